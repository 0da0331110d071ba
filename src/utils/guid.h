#pragma once
#include <string>

namespace Utils {

// A new random (version 4) identifier as 32 hexadecimal digits without braces or dashes; the
// third group's letters are lower-case, all others upper-case.
std::string NewGuidString();

}  // namespace Utils
