#pragma once
// How markup attribute values are read: colours, number lists, rectangles and booleans. One place,
// so every control reads "#FF303F56" or "0,0,0,15" the same way.
#include <cstdint>
#include <string_view>

#include "ui/geometry.h"

namespace SkinUI {

// AARRGGBB in hexadecimal with an optional leading "#" or "0x"; anything unreadable reads as 0.
uint32_t ParseColor(std::string_view text);

// Decimal integers separated by single characters ("1,2,3,4"): the first `count` of them go to
// `out`, missing ones are 0. A number stops at its first non-digit; that one character is skipped.
void ParseIntList(std::string_view text, int* out, int count);

Rect ParseRect(std::string_view text);  // l, t, r, b
Size ParseSize(std::string_view text);  // cx, cy
int ParseInt(std::string_view text);    // one decimal number, 0 when there is none

// Control booleans are true only for the exact text "true".
inline bool ParseBool(std::string_view text) { return text == "true"; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool ContainsText(std::string_view text, std::string_view part);

}  // namespace SkinUI
