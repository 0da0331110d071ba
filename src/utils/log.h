#pragma once
// The installer's one diagnostic log: every statement writes exactly one line to standard error,
//   <P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(tag)<%04d>: message
// where the tag is the qualified name of the logging function and the number its source line.
// There are no levels and no switches: every statement always emits.
//
//   Utils::LogFormat("DL_TYPE=%d\r\n", type);  // printf-style, carries its own line end (or none)
//   Utils::LogText("THREAD BEGIN");            // finished text, printed literally, "\r\n" appended
//
// LogFormat and LogText are macros so that the tag and line are taken at the statement itself;
// they expand to calls of the functions below, so "Utils::LogFormat(...)" reads as a call.
#include <cstdarg>
#include <string>
#include <string_view>

#include "utils/log_tag.h"
#include "utils/wall_clock.h"

namespace Utils {

// What identifies a line: process, thread and the local time, read once per statement (first of
// all) so that date and time always belong together.
struct LogStamp {
  int pid;
  int tid;
  LocalTime time;
  static LogStamp Now();
};

// The complete line of a statement. Exposed so that the layout can be checked with fixed values;
// empty when the format is malformed.
std::string ComposeLogLine(const LogStamp& stamp, const char* tag, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
std::string ComposeLogLineV(const LogStamp& stamp, const char* tag, int line, const char* format, va_list args);
std::string ComposeLogText(const LogStamp& stamp, const char* tag, int line, std::string_view text);

// The sink: formats "header + format" with all arguments into one exactly sized buffer and writes
// it with a single write(2), so lines of different threads never interleave. A malformed format
// or a failed allocation drops the line; nothing is ever reported to the caller.
void LogWrite(const char* tag, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

// The text form: the text is copied verbatim ('%' stays '%') and "\r\n" is appended.
void LogWriteText(const char* tag, int line, std::string_view text);

}  // namespace Utils

#define LogFormat(format, ...) LogWrite(UTILS_LOG_TAG, __LINE__, format __VA_OPT__(, ) __VA_ARGS__)
#define LogText(text) LogWriteText(UTILS_LOG_TAG, __LINE__, text)
