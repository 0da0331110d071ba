#include "utils/text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

#include "utils/utf8.h"

namespace Utils {

namespace {

std::string_view UpToNul(std::string_view text) {
  const size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// The iconv name of a code page; empty for UTF-8, which needs no conversion. The plain C locale
// reports ASCII, which would refuse every non-ASCII path: UTF-8 is its superset and what the
// files of this system hold, so it is used instead.
std::string CharsetOf(unsigned codePage) {
  if (codePage == kCodePageUtf8) return {};
  if (codePage == kCodePageAnsi) {
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8" || codeset == "utf8" || codeset == "ANSI_X3.4-1968" || codeset.empty()) return {};
    return codeset;
  }
  return "CP" + std::to_string(codePage);
}

// Converts the whole input or nothing: any invalid or unconvertible sequence gives empty text.
std::string Convert(std::string_view input, const std::string& to, const std::string& from) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(input.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  size_t produced = 0;
  bool ok = true;
  while (inLeft > 0) {
    char* at = out.data() + produced;
    size_t outLeft = out.size() - produced;
    const size_t r = iconv(cd, &in, &inLeft, &at, &outLeft);
    produced = out.size() - outLeft;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL (cut short)
    break;
  }
  if (ok) {
    // Flush shift state (for stateful encodings).
    char* at = out.data() + produced;
    size_t outLeft = out.size() - produced;
    if (iconv(cd, nullptr, nullptr, &at, &outLeft) == static_cast<size_t>(-1)) ok = false;
    produced = out.size() - outLeft;
  }
  iconv_close(cd);
  if (!ok) return {};
  out.resize(produced);
  return out;
}

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string ToWide(std::string_view narrow, unsigned codePage) {
  narrow = UpToNul(narrow);
  const std::string charset = CharsetOf(codePage);
  if (charset.empty()) return IsValidUtf8(narrow) ? std::string(narrow) : std::string();
  return Convert(narrow, "UTF-8", charset);
}

std::string ToNarrow(std::string_view wide, unsigned codePage) {
  wide = UpToNul(wide);
  if (!IsValidUtf8(wide)) return {};
  const std::string charset = CharsetOf(codePage);
  if (charset.empty()) return std::string(wide);
  return Convert(wide, charset, "UTF-8");
}

std::string TrimLeft(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  return std::string(text.substr(begin));
}

std::string TrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string out;
  size_t at = 0;
  for (size_t hit; (hit = text.find(find, at)) != std::string_view::npos; at = hit + find.size()) {
    out.append(text.substr(at, hit - at));
    out.append(replacement);
  }
  out.append(text.substr(at));
  return out;
}

bool IsSameText(std::string_view a, std::string_view b) { return a == b; }

std::string ToDecimal(uint64_t value) { return std::to_string(value); }

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = utf8::SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

size_t CodePointCount(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size(); ++count) at += std::max<size_t>(1, utf8::SequenceLength(text, at));
  return count;
}

std::string CutToCodePoints(std::string_view text, size_t limit) {
  size_t at = 0;
  for (size_t count = 0; at < text.size() && count < limit; ++count)
    at += std::max<size_t>(1, utf8::SequenceLength(text, at));
  return std::string(text.substr(0, at));
}

}  // namespace Utils
