#include "setup/report_lines.h"

#include <charconv>

#include "utils/text.h"

namespace ReportLines {

namespace {

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && Utils::IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace

std::string DecodeChunk(std::string_view bytes, unsigned codePage) {
  if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  std::string whole = Utils::ToWide(bytes, codePage);
  if (!whole.empty() || bytes.empty()) return whole;
  // A line feed byte never occurs inside a character of the byte-oriented code pages packages write
  // in (UTF-8, the ANSI pages, GBK), so the lines can be decoded one by one; a line that still does
  // not decode is left out.
  std::string text;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t feed = bytes.find('\n', at);
    const size_t end = feed == std::string_view::npos ? bytes.size() : feed;
    text += Utils::ToWide(bytes.substr(at, end - at), codePage);
    if (feed == std::string_view::npos) break;
    text += '\n';
    at = feed + 1;
  }
  return text;
}

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t at = 0;
  for (size_t feed; (feed = text.find('\n', at)) != std::string_view::npos; at = feed + 1)
    lines.push_back(text.substr(at, feed - at));
  if (at < text.size()) lines.push_back(text.substr(at));
  return lines;
}

int32_t WholeNumber(std::string_view text) {
  text = SkipBlanks(text);
  if (text.starts_with('+')) text.remove_prefix(1);
  int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() ? static_cast<int32_t>(static_cast<uint32_t>(number)) : 0;
}

bool Line::Is(std::string_view key) {
  if (!text_.starts_with(key)) return false;
  keyLength_ = key.size();
  return true;
}

std::string Line::Text() const { return Utils::CutToCodePoints(Value(), kMaxTextValue); }

std::string Line::Trimmed() const { return Utils::Trim(Text()); }

double Line::Number() const {
  std::string_view text = SkipBlanks(Value());
  if (text.starts_with('+')) text.remove_prefix(1);
  double number = 0.0;
  // from_chars, unlike strtod, does not follow the process locale, which the installer changes.
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() ? number : 0.0;
}

int32_t Line::Whole() const { return WholeNumber(Value()); }

}  // namespace ReportLines
