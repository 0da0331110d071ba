#pragma once
// The report-line protocol that setup packages and uninstallers speak on their standard output:
// lines of the form Key=value. The runners read the output in chunks and interpret each chunk on
// its own, so a line cut by a read boundary arrives as two fragments that match no key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ReportLines {

// The longest text value, in characters; longer values are cut there.
constexpr size_t kMaxTextValue = 771;

// The chunk's bytes up to the first zero byte, decoded from the code page to UTF-8 text. A chunk
// that does not decode as a whole (a character cut by the read boundary, a stray byte) is decoded
// line by line, so one bad line does not take the result line next to it down with it.
std::string DecodeChunk(std::string_view bytes, unsigned codePage);

// The lines of a chunk, split at line feeds; a carriage return before a line feed stays part of
// its line. The fragment after the last line feed is a line too.
std::vector<std::string_view> Split(std::string_view text);

// The whole number at the start of `text` (leading blanks skipped, optional sign), wrapped to 32
// bits as a C conversion would; 0 when none.
int32_t WholeNumber(std::string_view text);

// One line and the key it begins with:
//
//   ReportLines::Line line(text);
//   if (line.Is("Progress=")) Report(line.Number());
//   else if (line.Is("InstPath=")) Report(line.Text());
class Line {
 public:
  explicit Line(std::string_view text) : text_(text) {}

  // True when the line begins with `key`; the values below are then read after it.
  bool Is(std::string_view key);

  // Everything after the key to the end of the line, carriage return included, cut to
  // kMaxTextValue characters.
  std::string Text() const;
  // The text value without white space at either end.
  std::string Trimmed() const;
  // The floating-point number at the start of the value (leading blanks skipped); 0.0 when none.
  double Number() const;
  // The whole number at the start of the value, as WholeNumber reads it.
  int32_t Whole() const;

 private:
  std::string_view Value() const { return text_.substr(keyLength_); }

  std::string_view text_;
  size_t keyLength_ = 0;
};

}  // namespace ReportLines
