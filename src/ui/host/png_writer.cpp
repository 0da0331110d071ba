#include "ui/host/png_writer.h"

#include <stb_image_write.h>

#include <algorithm>

#include "ui/canvas.h"

namespace SkinUI {

std::vector<unsigned char> ToStraightRgba(const Canvas& canvas) {
  std::vector<unsigned char> rgba(static_cast<size_t>(canvas.Width()) * canvas.Height() * 4);
  unsigned char* out = rgba.data();
  for (uint32_t pixel : canvas.Pixels()) {
    const uint32_t a = pixel >> 24;
    auto straight = [a](uint32_t c) { return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a); };
    out[0] = static_cast<unsigned char>(straight((pixel >> 16) & 0xFF));
    out[1] = static_cast<unsigned char>(straight((pixel >> 8) & 0xFF));
    out[2] = static_cast<unsigned char>(straight(pixel & 0xFF));
    out[3] = static_cast<unsigned char>(a);
    out += 4;
  }
  return rgba;
}

bool SavePng(const Canvas& canvas, const std::string& path) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return false;
  const std::vector<unsigned char> rgba = ToStraightRgba(canvas);
  return stbi_write_png(path.c_str(), canvas.Width(), canvas.Height(), 4, rgba.data(), canvas.Width() * 4) != 0;
}

}  // namespace SkinUI
