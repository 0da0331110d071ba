#include "utils/number_parsing.h"

#include <cfloat>
#include <charconv>
#include <limits>
#include <string>

#include "utils/text.h"

namespace Utils {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view SkipBlanks(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  return text.substr(at);
}

}  // namespace

std::optional<int32_t> ParseLeadingInt(std::string_view text) {
  text = SkipBlanks(text);
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at >= text.size() || !IsDigit(text[at])) return std::nullopt;
  int64_t value = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > int64_t{1} << 32) value = int64_t{1} << 32;  // far past the clamp; stop growing
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::optional<double> ParseLeadingDouble(std::string_view text) {
  text = SkipBlanks(text);
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const size_t start = at;
  size_t digits = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) ++digits;
  if (at < text.size() && text[at] == '.')
    for (++at; at < text.size() && IsDigit(text[at]); ++at) ++digits;
  if (digits == 0) return std::nullopt;
  size_t end = at;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent < text.size() && IsDigit(text[exponent])) {
      while (exponent < text.size() && IsDigit(text[exponent])) ++exponent;
      end = exponent;
    }
  }
  // from_chars wants no sign and at least one digit before an exponent; "5." and ".5" are fine.
  std::string number(text.substr(start, end - start));
  if (number.front() == '.') number.insert(number.begin(), '0');
  double value = 0.0;
  const auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)ptr;
  if (error == std::errc::result_out_of_range) {
    // Tell overflow from underflow by the exponent's sign.
    const size_t e = number.find_first_of("eE");
    const bool tiny = e != std::string::npos && number[e + 1] == '-';
    value = tiny ? 0.0 : DBL_MAX;
  } else if (error != std::errc()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace Utils
