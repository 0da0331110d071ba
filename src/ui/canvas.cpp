#include "ui/canvas.h"

#include <algorithm>

#include "ui/image.h"

namespace SkinUI {

uint32_t Premultiply(uint32_t argb) {
  const uint32_t a = argb >> 24;
  auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (mul((argb >> 16) & 0xFF) << 16) | (mul((argb >> 8) & 0xFF) << 8) | mul(argb & 0xFF);
}

Canvas::Canvas(int width, int height) { Resize(width, height); }

void Canvas::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * height_, 0);
  clip_ = {0, 0, width_, height_};
  clipStack_.clear();
}

void Canvas::PushClip(const Rect& rect) {
  clipStack_.push_back(clip_);
  clip_ = clip_.Intersect(rect);
}

void Canvas::PopClip() {
  if (clipStack_.empty()) return;
  clip_ = clipStack_.back();
  clipStack_.pop_back();
}

void Canvas::Clear(const Rect& rect, uint32_t premultiplied) {
  const Rect r = rect.Intersect(clip_);
  for (int y = r.top; y < r.bottom; ++y) std::fill(Row(y) + r.left, Row(y) + r.right, premultiplied);
}

void Canvas::FillRect(const Rect& rect, uint32_t argb) {
  const uint32_t src = Premultiply(argb);
  if (src == 0) return;
  const Rect r = rect.Intersect(clip_);
  for (int y = r.top; y < r.bottom; ++y) {
    uint32_t* row = Row(y);
    for (int x = r.left; x < r.right; ++x) row[x] = BlendPixel(row[x], src);
  }
}

void Canvas::DrawBorder(const Rect& rect, int size, uint32_t argb) {
  if (size <= 0 || rect.IsEmpty()) return;
  size = std::min({size, (rect.Width() + 1) / 2, (rect.Height() + 1) / 2});
  FillRect({rect.left, rect.top, rect.right, rect.top + size}, argb);
  FillRect({rect.left, rect.bottom - size, rect.right, rect.bottom}, argb);
  FillRect({rect.left, rect.top + size, rect.left + size, rect.bottom - size}, argb);
  FillRect({rect.right - size, rect.top + size, rect.right, rect.bottom - size}, argb);
}

void Canvas::DrawImage(const Image& image, const Rect& source, const Rect& dest, uint8_t fade) {
  if (fade == 0 || source.IsEmpty() || dest.IsEmpty()) return;
  const Rect src = source.Intersect({0, 0, image.width, image.height});
  if (src != source) return;  // a source outside the image draws nothing rather than garbage
  const Rect r = dest.Intersect(clip_);
  if (r.IsEmpty()) return;
  const int sw = src.Width(), sh = src.Height(), dw = dest.Width(), dh = dest.Height();
  // Column lookup once per draw: the source column sampled at each destination pixel's centre.
  std::vector<int> columns(r.Width());
  for (int x = r.left; x < r.right; ++x) {
    columns[x - r.left] = src.left + static_cast<int>((static_cast<int64_t>(x - dest.left) * 2 + 1) * sw / (2 * dw));
  }
  for (int y = r.top; y < r.bottom; ++y) {
    const int sy = src.top + static_cast<int>((static_cast<int64_t>(y - dest.top) * 2 + 1) * sh / (2 * dh));
    const uint32_t* srcRow = image.pixels.data() + static_cast<size_t>(sy) * image.width;
    uint32_t* row = Row(y);
    if (fade == 255) {
      for (int x = r.left; x < r.right; ++x) row[x] = BlendPixel(row[x], srcRow[columns[x - r.left]]);
    } else {
      for (int x = r.left; x < r.right; ++x) row[x] = BlendPixel(row[x], ScalePixel(srcRow[columns[x - r.left]], fade));
    }
  }
}

void Canvas::TileImage(const Image& image, const Rect& source, const Rect& dest, bool tileX, bool tileY, uint8_t fade) {
  if (source.IsEmpty() || dest.IsEmpty()) return;
  const int stepX = tileX ? source.Width() : dest.Width();
  const int stepY = tileY ? source.Height() : dest.Height();
  for (int y = dest.top; y < dest.bottom; y += stepY) {
    const int h = std::min(stepY, dest.bottom - y);
    for (int x = dest.left; x < dest.right; x += stepX) {
      const int w = std::min(stepX, dest.right - x);
      // A cut tile keeps its scale: take only the part of the source that fits.
      Rect src = source;
      if (tileX) src.right = src.left + w;
      if (tileY) src.bottom = src.top + h;
      DrawImage(image, src, {x, y, x + w, y + h}, fade);
    }
  }
}

void Canvas::BlendMask(const uint8_t* mask, int maskWidth, int maskHeight, int pitch, int x, int y, uint32_t argb) {
  const Rect r = Rect{x, y, x + maskWidth, y + maskHeight}.Intersect(clip_);
  const uint32_t alpha = argb >> 24;
  for (int py = r.top; py < r.bottom; ++py) {
    const uint8_t* m = mask + static_cast<size_t>(py - y) * pitch;
    uint32_t* row = Row(py);
    for (int px = r.left; px < r.right; ++px) {
      const uint32_t coverage = m[px - x];
      if (coverage == 0) continue;
      const uint32_t a = (coverage * alpha + 127) / 255;
      row[px] = BlendPixel(row[px], Premultiply((a << 24) | (argb & 0xFFFFFF)));
    }
  }
}

}  // namespace SkinUI
