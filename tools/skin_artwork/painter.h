#pragma once
// Anti-aliased shape painting for the skin artwork: shapes are signed distance functions, their
// edge coverage is taken from the distance at each pixel centre, and fills are colour functions of
// the position. Everything is plain arithmetic on doubles, so the output is the same on every run.
#include <cstdint>
#include <functional>
#include <string>

#include "ui/canvas.h"

namespace artwork {

struct Color {
  double r = 0, g = 0, b = 0, a = 1;  // straight alpha, 0..1
};

Color Hex(uint32_t rgb, double alpha = 1.0);
Color Mix(const Color& a, const Color& b, double t);

using Distance = std::function<double(double x, double y)>;  // < 0 inside
using Paint = std::function<Color(double x, double y)>;

// Shapes (centre-based where it reads best).
Distance RoundRect(double left, double top, double right, double bottom, double radius);
Distance Circle(double cx, double cy, double radius);
Distance Ring(double cx, double cy, double radius, double width);
Distance Segment(double x0, double y0, double x1, double y1, double halfWidth);
// An arc of a ring from angle `from` to `to` (radians, clockwise from the top) with round caps.
Distance Arc(double cx, double cy, double radius, double width, double from, double to);
Distance Union(Distance a, Distance b);
Distance Subtract(Distance a, Distance b);

Paint Solid(const Color& c);
Paint VerticalGradient(double top, double bottom, const Color& a, const Color& b);
Paint HorizontalGradient(double left, double right, const Color& a, const Color& b);

// Blends the shape filled with the paint over the canvas.
void Fill(SkinUI::Canvas& canvas, const Distance& shape, const Paint& paint, double opacity = 1.0);
// A 1-pixel-wide (or `width`) outline just inside the shape.
void Stroke(SkinUI::Canvas& canvas, const Distance& shape, double width, const Paint& paint);
// Text through the toolkit's own font rendering, so artwork and windows share the same face.
void Text(SkinUI::Canvas& canvas, const std::string& text, int size, bool bold, const SkinUI::Rect& box, uint32_t argb,
          unsigned style);
int TextWidth(const std::string& text, int size, bool bold);

}  // namespace artwork
