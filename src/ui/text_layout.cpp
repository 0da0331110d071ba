#include "ui/text_layout.h"

#include <algorithm>

#include "ui/canvas.h"
#include "ui/font.h"

namespace SkinUI {
namespace {

// Characters between which a line may break even without a space: CJK ideographs, kana, hangul,
// CJK punctuation and full-width forms.
bool IsWideBreakable(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

// Closing punctuation stays with the character before it rather than starting a line.
bool IsClosingPunctuation(char32_t c) {
  static const std::u32string closing = U"，。、；：？！）》」』】〕…,.;:?!)]}%";
  return closing.find(c) != std::u32string::npos;
}

// Splits a paragraph into units that are never broken inside (unless one alone is too wide):
// runs of spaces, words of narrow characters, and single wide characters with their closing marks.
std::vector<std::u32string> BreakUnits(const std::u32string& text) {
  std::vector<std::u32string> units;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i + 1;
    if (text[i] == U' ') {
      while (j < text.size() && text[j] == U' ') ++j;
    } else if (IsWideBreakable(text[i])) {
      while (j < text.size() && IsClosingPunctuation(text[j])) ++j;
    } else {
      while (j < text.size() && text[j] != U' ' && !IsWideBreakable(text[j])) ++j;
      while (j < text.size() && IsClosingPunctuation(text[j])) ++j;
    }
    units.push_back(text.substr(i, j - i));
    i = j;
  }
  return units;
}

void TrimTrailingSpaces(std::u32string& line) {
  while (!line.empty() && line.back() == U' ') line.pop_back();
}

void WrapParagraph(Font& font, const std::u32string& paragraph, int width, std::vector<std::u32string>& lines) {
  std::u32string line;
  int lineWidth = 0;
  auto finishLine = [&] {
    TrimTrailingSpaces(line);
    lines.push_back(line);
    line.clear();
    lineWidth = 0;
  };
  for (const std::u32string& unit : BreakUnits(paragraph)) {
    const int unitWidth = font.MeasureWidth(unit);
    if (lineWidth + unitWidth <= width) {
      line += unit;
      lineWidth += unitWidth;
      continue;
    }
    if (unit.front() == U' ') {  // spaces at a break vanish
      finishLine();
      continue;
    }
    if (!line.empty()) finishLine();
    if (unitWidth <= width) {
      line = unit;
      lineWidth = unitWidth;
      continue;
    }
    // A word wider than the whole line is split between characters.
    for (char32_t c : unit) {
      const int w = font.Advance(c);
      if (lineWidth + w > width && !line.empty()) finishLine();
      line.push_back(c);
      lineWidth += w;
    }
  }
  finishLine();
}

}  // namespace

std::vector<std::u32string> LayoutLines(Font& font, const std::string& text, unsigned style, int width) {
  const std::u32string all = DecodeUtf8(text);
  std::vector<std::u32string> lines;
  if ((style & kTextSingleLine) || !(style & kTextWordBreak)) {
    std::u32string line;
    for (char32_t c : all) {
      if (c != U'\r' && c != U'\n') line.push_back(c);
    }
    lines.push_back(std::move(line));
    return lines;
  }
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(U'\n', start);
    if (end == std::u32string::npos) end = all.size();
    std::u32string paragraph = all.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == U'\r') paragraph.pop_back();
    WrapParagraph(font, paragraph, std::max(width, 1), lines);
    start = end + 1;
  }
  return lines;
}

Size MeasureText(Font& font, const std::string& text, unsigned style, int width) {
  Size size;
  const std::vector<std::u32string> lines = LayoutLines(font, text, style, width);
  for (const std::u32string& line : lines) size.cx = std::max(size.cx, font.MeasureWidth(line));
  size.cy = static_cast<int>(lines.size()) * font.LineHeight();
  return size;
}

void DrawText(Canvas& canvas, Font& font, const Rect& rect, const std::string& text, uint32_t argb, unsigned style) {
  if (text.empty() || rect.IsEmpty()) return;
  const std::vector<std::u32string> lines = LayoutLines(font, text, style, rect.Width());
  const int lineHeight = font.LineHeight();
  const int total = static_cast<int>(lines.size()) * lineHeight;
  int y = rect.top;
  if (style & kTextVCenter) {
    y = rect.top + (rect.Height() - total) / 2;
  } else if (style & kTextBottom) {
    y = rect.bottom - total;
  }
  canvas.PushClip(rect);
  for (const std::u32string& line : lines) {
    const int width = font.MeasureWidth(line);
    int x = rect.left;
    if (style & kTextCenter) {
      x = rect.left + (rect.Width() - width) / 2;
    } else if (style & kTextRight) {
      x = rect.right - width;
    }
    font.DrawLine(canvas, x, y + font.Ascent(), line, argb);
    y += lineHeight;
  }
  canvas.PopClip();
}

}  // namespace SkinUI
