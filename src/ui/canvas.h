#pragma once
// A drawing surface of premultiplied 32-bit pixels (alpha in bits 24-31, then red, green, blue),
// the layout of a top-down 32-bit device-independent bitmap. Every operation blends source-over
// and is clipped to the current clip rectangle.
#include <cstdint>
#include <vector>

#include "ui/geometry.h"

namespace SkinUI {

struct Image;

// Straight AARRGGBB (as markup writes colours) -> premultiplied pixel.
uint32_t Premultiply(uint32_t argb);

// Source-over of one premultiplied pixel onto another.
inline uint32_t BlendPixel(uint32_t dst, uint32_t src) {
  const uint32_t sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0 && (src & 0xFFFFFF) == 0) return dst;
  const uint32_t inv = 255 - sa;
  // Two channels at a time; (x + 128 + ((x + 128) >> 8)) >> 8 is x / 255 correctly rounded.
  uint32_t rb = (dst & 0x00FF00FF) * inv + 0x00800080;
  rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
  uint32_t ag = ((dst >> 8) & 0x00FF00FF) * inv + 0x00800080;
  ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
  return src + rb + ag;
}

// Premultiplied pixel scaled by an opacity 0..255.
inline uint32_t ScalePixel(uint32_t pixel, uint32_t alpha) {
  uint32_t rb = (pixel & 0x00FF00FF) * alpha + 0x00800080;
  rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
  uint32_t ag = ((pixel >> 8) & 0x00FF00FF) * alpha + 0x00800080;
  ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
  return rb | ag;
}

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height);

  void Resize(int width, int height);  // contents become transparent black
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }

  // The clip is always inside the canvas; PushClip narrows it, PopClip restores the previous one.
  const Rect& Clip() const { return clip_; }
  void PushClip(const Rect& rect);
  void PopClip();

  // Sets every pixel of the rectangle (inside the clip) without blending.
  void Clear(const Rect& rect, uint32_t premultiplied);
  // Blends a straight AARRGGBB colour over the rectangle.
  void FillRect(const Rect& rect, uint32_t argb);
  // A frame of `size` pixels inside the rectangle.
  void DrawBorder(const Rect& rect, int size, uint32_t argb);
  // Draws the `source` part of the image into `dest`, scaled by nearest-pixel sampling (so an
  // unscaled draw copies pixels exactly), with a constant opacity.
  void DrawImage(const Image& image, const Rect& source, const Rect& dest, uint8_t fade = 255);
  // The `source` part repeated without scaling over `dest`, starting at its top-left corner;
  // tileX/tileY choose the axes that repeat (the other axis is stretched).
  void TileImage(const Image& image, const Rect& source, const Rect& dest, bool tileX, bool tileY, uint8_t fade);
  // Blends a colour through an 8-bit coverage mask (glyphs) placed with its top-left at (x, y).
  void BlendMask(const uint8_t* mask, int maskWidth, int maskHeight, int pitch, int x, int y, uint32_t argb);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
  Rect clip_;
  std::vector<Rect> clipStack_;
};

}  // namespace SkinUI
