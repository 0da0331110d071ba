#pragma once
// Saving pixels as PNG for screenshots: premultiplied pixels go back to straight alpha.
#include <string>
#include <vector>

namespace SkinUI {

class Canvas;

// The canvas as straight-alpha RGBA bytes, row after row (what PNG writers take).
std::vector<unsigned char> ToStraightRgba(const Canvas& canvas);

// Writes the canvas (its transparent parts stay transparent). False when the file can't be written.
bool SavePng(const Canvas& canvas, const std::string& path);

}  // namespace SkinUI
