#pragma once
// The collector's record format is fixed byte for byte (one line, no blanks, keys in map order,
// only seven characters escaped), so the text is written by hand rather than by a JSON library.
#include <cstdint>
#include <string>
#include <string_view>

#include "analytics/property_value.h"

namespace qz_analytics::json {

// A JSON string: the text in double quotes, with \b \t \n \f \r \" \\ escaped.
void AppendString(std::string& out, std::string_view text);
// printf "%g": six significant digits, exponent form from a million up ("1e+06").
std::string FormatNumber(double value);
// The local time of the moment as "YYYY-MM-DD hh:mm:ss.mmm".
std::string FormatLocalDateTime(int64_t seconds, int milliseconds);

void AppendValue(std::string& out, const PropertyValue& value);
void AppendObject(std::string& out, const utils::ObjectNode& object);

}  // namespace qz_analytics::json
