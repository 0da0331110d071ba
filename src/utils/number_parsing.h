#pragma once
// Numbers in settings values and switches are read from their longest valid leading part, the way
// the C library's strtol/strtod read them: leading blanks skipped, trailing characters ignored.
#include <cstdint>
#include <optional>
#include <string_view>

namespace Utils {

// A decimal integer; nullopt when no digits lead the text. Values beyond 32 bits are clamped.
std::optional<int32_t> ParseLeadingInt(std::string_view text);
// A decimal floating-point number (digits, point, exponent; no hex, "inf" or "nan"); nullopt when
// no number leads the text. Overflow gives the largest finite value, underflow 0.
std::optional<double> ParseLeadingDouble(std::string_view text);

}  // namespace Utils
