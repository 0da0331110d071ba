#pragma once
#include <string>
#include <string_view>

namespace Utils {

// Bytes 33..126 stay as they are (so "%20" is never encoded twice), a space becomes '+', every
// other byte becomes %XX with upper-case digits.
std::string UrlEncode(std::string_view bytes);
// The same over the UTF-8 form of a text.
std::string UrlEncodeWide(std::string_view text);
// The path segment before the file name: "x/a/b/c.exe" -> "b"; empty with fewer than two '/'.
std::string UrlParentSegment(std::string_view url);

}  // namespace Utils
