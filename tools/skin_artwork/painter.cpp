#include "painter.h"

#include <algorithm>
#include <cmath>

#include "ui/font.h"
#include "ui/text_layout.h"

namespace artwork {

Color Hex(uint32_t rgb, double alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Color Mix(const Color& a, const Color& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Distance RoundRect(double left, double top, double right, double bottom, double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double hw = (right - left) / 2, hh = (bottom - top) / 2;
  return [=](double x, double y) {
    const double qx = std::abs(x - cx) - (hw - radius), qy = std::abs(y - cy) - (hh - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
  };
}

Distance Circle(double cx, double cy, double radius) {
  return [=](double x, double y) { return std::hypot(x - cx, y - cy) - radius; };
}

Distance Ring(double cx, double cy, double radius, double width) {
  return [=](double x, double y) { return std::abs(std::hypot(x - cx, y - cy) - radius) - width / 2; };
}

Distance Segment(double x0, double y0, double x1, double y1, double halfWidth) {
  return [=](double x, double y) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - halfWidth;
  };
}

Distance Arc(double cx, double cy, double radius, double width, double from, double to) {
  return [=](double x, double y) {
    double angle = std::atan2(x - cx, -(y - cy));  // clockwise from the top
    const double span = to - from;
    double rel = std::fmod(angle - from, 2 * M_PI);
    if (rel < 0) rel += 2 * M_PI;
    if (rel <= span) return std::abs(std::hypot(x - cx, y - cy) - radius) - width / 2;
    const double ax = cx + radius * std::sin(from), ay = cy - radius * std::cos(from);
    const double bx = cx + radius * std::sin(to), by = cy - radius * std::cos(to);
    return std::min(std::hypot(x - ax, y - ay), std::hypot(x - bx, y - by)) - width / 2;
  };
}

Distance Union(Distance a, Distance b) {
  return [=](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Distance Subtract(Distance a, Distance b) {
  return [=](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

Paint Solid(const Color& c) {
  return [=](double, double) { return c; };
}

Paint VerticalGradient(double top, double bottom, const Color& a, const Color& b) {
  return [=](double, double y) { return Mix(a, b, (y - top) / (bottom - top)); };
}

Paint HorizontalGradient(double left, double right, const Color& a, const Color& b) {
  return [=](double x, double) { return Mix(a, b, (x - left) / (right - left)); };
}

namespace {

uint32_t ToPremultiplied(const Color& c, double coverage) {
  const double a = std::clamp(c.a * coverage, 0.0, 1.0);
  auto channel = [a](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * a * 255.0)); };
  return (static_cast<uint32_t>(std::lround(a * 255.0)) << 24) | (channel(c.r) << 16) | (channel(c.g) << 8) |
         channel(c.b);
}

}  // namespace

void Fill(SkinUI::Canvas& canvas, const Distance& shape, const Paint& paint, double opacity) {
  for (int y = 0; y < canvas.Height(); ++y) {
    uint32_t* row = canvas.Row(y);
    for (int x = 0; x < canvas.Width(); ++x) {
      const double cx = x + 0.5, cy = y + 0.5;
      const double coverage = std::clamp(0.5 - shape(cx, cy), 0.0, 1.0);
      if (coverage <= 0) continue;
      row[x] = SkinUI::BlendPixel(row[x], ToPremultiplied(paint(cx, cy), coverage * opacity));
    }
  }
}

void Stroke(SkinUI::Canvas& canvas, const Distance& shape, double width, const Paint& paint) {
  Fill(
      canvas, [&](double x, double y) { return std::max(shape(x, y), -shape(x, y) - width); }, paint);
}

void Text(SkinUI::Canvas& canvas, const std::string& text, int size, bool bold, const SkinUI::Rect& box, uint32_t argb,
          unsigned style) {
  SkinUI::Font* font = SkinUI::FontLibrary::Instance().Get({"微软雅黑", size, bold, false, false});
  SkinUI::DrawText(canvas, *font, box, text, argb, style);
}

int TextWidth(const std::string& text, int size, bool bold) {
  SkinUI::Font* font = SkinUI::FontLibrary::Instance().Get({"微软雅黑", size, bold, false, false});
  return font->MeasureWidth(SkinUI::DecodeUtf8(text));
}

}  // namespace artwork
