#pragma once
// Placing text in a rectangle: one line with horizontal and vertical alignment, or several lines
// wrapped at word breaks and between Chinese characters.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/geometry.h"

namespace SkinUI {

class Canvas;
class Font;

// Text style bits (the values of the classic DrawText flags, so the markup's meaning maps 1:1).
enum TextStyle : unsigned {
  kTextLeft = 0x0,
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextTop = 0x0,
  kTextVCenter = 0x4,
  kTextBottom = 0x8,
  kTextWordBreak = 0x10,
  kTextSingleLine = 0x20,
  kTextHorizontalMask = 0x3,
  kTextVerticalMask = 0xC,
};

// The lines the text occupies at the given width: one line unless wrapping is on; explicit line
// breaks ("\n", "\r\n") always break when wrapping, and count as nothing on a single line.
std::vector<std::u32string> LayoutLines(Font& font, const std::string& text, unsigned style, int width);

// Width of the widest line and the height of all lines.
Size MeasureText(Font& font, const std::string& text, unsigned style, int width);

// Draws the text inside the rectangle, clipped to it.
void DrawText(Canvas& canvas, Font& font, const Rect& rect, const std::string& text, uint32_t argb, unsigned style);

}  // namespace SkinUI
