#include "ui/attribute_values.h"

#include <cstdlib>
#include <string>

namespace SkinUI {

uint32_t ParseColor(std::string_view text) {
  if (!text.empty() && text.front() == '#') {
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  }
  uint32_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}

void ParseIntList(std::string_view text, int* out, int count) {
  // strtol wants a terminated string; markup values are short.
  const std::string copy(text);
  const char* p = copy.c_str();
  for (int i = 0; i < count; ++i) {
    if (*p == '\0') {
      out[i] = 0;
      continue;
    }
    char* end = nullptr;
    out[i] = static_cast<int>(std::strtol(p, &end, 10));
    p = end;
    if (*p != '\0') ++p;
  }
}

Rect ParseRect(std::string_view text) {
  int v[4];
  ParseIntList(text, v, 4);
  return {v[0], v[1], v[2], v[3]};
}

Size ParseSize(std::string_view text) {
  int v[2];
  ParseIntList(text, v, 2);
  return {v[0], v[1]};
}

int ParseInt(std::string_view text) {
  int v = 0;
  ParseIntList(text, &v, 1);
  return v;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool ContainsText(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace SkinUI
