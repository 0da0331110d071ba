#pragma once
// The image description of bkimage, the state images and foreimage: a plain file path, or
// key='value' pairs (file, dest, source, corner, mask, fade, hole, xtiled, ytiled).
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/geometry.h"

namespace SkinUI {

class Canvas;
class ImageCache;

struct ImageDescription {
  std::string file;
  Rect dest;    // relative to the control's top-left; all zeros: the whole control
  Rect source;  // part of the image; all zeros: the whole image
  Rect corner;  // nine-grid corners that keep their size
  uint32_t mask = 0;
  uint8_t fade = 255;
  bool hole = false;
  bool xtiled = false;
  bool ytiled = false;

  static ImageDescription Parse(std::string_view text);
};

// Draws the description into the control rectangle (dest clipped to it). False when the image
// can't be found or decoded: it is then simply not drawn.
bool DrawImageDescription(Canvas& canvas, ImageCache& images, const Rect& control, const ImageDescription& image);

// Draws the `source` part of an image as a nine-grid over `dest`: corners keep their size, edges
// and middle stretch (or tile); `hole` leaves the middle out.
struct NineGrid {
  Rect source;
  Rect dest;
  Rect corner;
  uint8_t fade = 255;
  bool hole = false;
  bool xtiled = false;
  bool ytiled = false;
};
struct Image;
void DrawNineGrid(Canvas& canvas, const Image& image, const NineGrid& grid);

}  // namespace SkinUI
