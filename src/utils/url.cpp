#include "utils/url.h"

#include "utils/text.h"

namespace Utils {

std::string UrlEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 33 && b <= 126) {
      out += c;
    } else if (b == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

std::string UrlEncodeWide(std::string_view text) { return UrlEncode(ToNarrow(text, kCodePageUtf8)); }

std::string UrlParentSegment(std::string_view url) {
  const size_t last = url.rfind('/');
  if (last == std::string_view::npos) return {};
  const std::string_view head = url.substr(0, last);
  const size_t before = head.rfind('/');
  if (before == std::string_view::npos) return {};
  return std::string(head.substr(before + 1));
}

}  // namespace Utils
