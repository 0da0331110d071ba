#include "ui/image_description.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/canvas.h"
#include "ui/image.h"

namespace SkinUI {

ImageDescription ImageDescription::Parse(std::string_view text) {
  ImageDescription d;
  if (text.find('=') == std::string_view::npos) {
    d.file = std::string(text);
    return d;
  }
  // key='value' pairs; values are quoted with single quotes and may contain spaces.
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t eq = text.find('=', i);
    if (eq == std::string_view::npos) break;
    const std::string_view key = text.substr(i, eq - i);
    size_t start = eq + 1;
    std::string_view value;
    if (start < text.size() && text[start] == '\'') {
      const size_t close = text.find('\'', start + 1);
      if (close == std::string_view::npos) break;
      value = text.substr(start + 1, close - start - 1);
      i = close + 1;
    } else {
      const size_t space = std::min(text.find(' ', start), text.size());
      value = text.substr(start, space - start);
      i = space;
    }
    if (key == "file" || key == "res") {
      d.file = std::string(value);
    } else if (key == "dest") {
      d.dest = ParseRect(value);
    } else if (key == "source") {
      d.source = ParseRect(value);
    } else if (key == "corner") {
      d.corner = ParseRect(value);
    } else if (key == "mask") {
      d.mask = ParseColor(value);
    } else if (key == "fade") {
      d.fade = static_cast<uint8_t>(std::clamp(ParseInt(value), 0, 255));
    } else if (key == "hole") {
      d.hole = ParseBool(value);
    } else if (key == "xtiled") {
      d.xtiled = ParseBool(value);
    } else if (key == "ytiled") {
      d.ytiled = ParseBool(value);
    }
  }
  return d;
}

void DrawNineGrid(Canvas& canvas, const Image& image, const NineGrid& g) {
  const Rect& s = g.source;
  const Rect& d = g.dest;
  const Rect& c = g.corner;
  // Column and row edges of the three bands, in source and in destination.
  const int sx[4] = {s.left, s.left + c.left, s.right - c.right, s.right};
  const int sy[4] = {s.top, s.top + c.top, s.bottom - c.bottom, s.bottom};
  const int dx[4] = {d.left, d.left + c.left, d.right - c.right, d.right};
  const int dy[4] = {d.top, d.top + c.top, d.bottom - c.bottom, d.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const Rect src{sx[col], sy[row], sx[col + 1], sy[row + 1]};
      const Rect dst{dx[col], dy[row], dx[col + 1], dy[row + 1]};
      if (src.IsEmpty() || dst.IsEmpty()) continue;
      const bool middle = row == 1 && col == 1;
      if (middle && g.hole) continue;
      if (middle && (g.xtiled || g.ytiled)) {
        canvas.TileImage(image, src, dst, g.xtiled, g.ytiled, g.fade);
      } else {
        canvas.DrawImage(image, src, dst, g.fade);
      }
    }
  }
}

bool DrawImageDescription(Canvas& canvas, ImageCache& images, const Rect& control, const ImageDescription& desc) {
  const Image* image = images.Get(desc.file, desc.mask);
  if (!image) return false;
  Rect dest = desc.dest.IsZero() ? control : desc.dest.Offset(control.left, control.top);
  Rect source = desc.source.IsZero() ? Rect{0, 0, image->width, image->height} : desc.source;
  source = source.Intersect({0, 0, image->width, image->height});
  canvas.PushClip(control);
  DrawNineGrid(canvas, *image, {source, dest, desc.corner, desc.fade, desc.hole, desc.xtiled, desc.ytiled});
  canvas.PopClip();
  return true;
}

}  // namespace SkinUI
