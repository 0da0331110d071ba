#pragma once
#include <string>

#include "ui/canvas.h"

namespace artwork {

// Writes the canvas as a PNG compressed with zlib at its best level: the package stores PNGs as
// they are, and every byte saved here is a byte less to unpack when the installer starts.
// Images of at most 256 colours are written with a palette, losslessly.
bool WritePng(const SkinUI::Canvas& canvas, const std::string& path);

// Writes the canvas with a palette of at most 256 colours chosen by median cut (lossy where the
// image has more). For the animation frames: a third of the bytes, and no visible difference.
bool WritePalettePng(const SkinUI::Canvas& canvas, const std::string& path);

}  // namespace artwork
