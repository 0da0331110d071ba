#pragma once
// Text helpers. All text is std::string holding UTF-8 ("wide" text); narrow text in another code
// page is converted at the edges with ToWide/ToNarrow. Character limits count code points.
#include <cstdint>
#include <string>
#include <string_view>

namespace Utils {

constexpr unsigned kCodePageAnsi = 0;   // the locale's narrow encoding
constexpr unsigned kCodePageUtf8 = 65001;

// Bytes in a code page -> UTF-8, and back. Empty when the text can't be converted (invalid
// input, a code page the system doesn't know). Input ends at its first NUL, as a C string would.
std::string ToWide(std::string_view narrow, unsigned codePage);
std::string ToNarrow(std::string_view wide, unsigned codePage);

// Space, tab, line feed, vertical tab, form feed and carriage return; every other character is text.
bool IsBlank(char c);

std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);
bool IsSameText(std::string_view a, std::string_view b);  // exact, case-sensitive
std::string ToDecimal(uint64_t value);

bool IsValidUtf8(std::string_view text);
// Code points in the text; every byte that isn't part of a valid UTF-8 sequence counts as one.
size_t CodePointCount(std::string_view text);
// The first `limit` code points (counted as above); never splits a UTF-8 sequence.
std::string CutToCodePoints(std::string_view text, size_t limit);

}  // namespace Utils
