#pragma once
// printf-style formatting into a string, for log statements that hand over a finished text.
#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
