#pragma once
// Decoded skin images: PNG bytes from the package, decoded once, premultiplied, and kept by the
// window that drew them for as long as it lives.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace SkinUI {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // premultiplied, row after row, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Decodes PNG (or any format stb_image reads) into premultiplied pixels; pixels whose
// premultiplied value equals a non-zero `mask` become fully transparent. Null when undecodable.
std::unique_ptr<Image> DecodeImage(std::string_view bytes, uint32_t mask = 0);

// Where an image cache gets file bytes from: the skin package of its window, or a test's table.
using ImageBytesSource = std::function<const std::string*(std::string_view file)>;

class ImageCache {
 public:
  explicit ImageCache(ImageBytesSource source = {}) : source_(std::move(source)) {}
  void SetSource(ImageBytesSource source) { source_ = std::move(source); }

  // The decoded image, or null when the file is missing or can't be decoded; either outcome is
  // remembered, so a missing image costs one lookup, not one per paint.
  const Image* Get(std::string_view file, uint32_t mask = 0);
  size_t Size() const { return images_.size(); }

 private:
  ImageBytesSource source_;
  std::map<std::pair<std::string, uint32_t>, std::unique_ptr<Image>, std::less<>> images_;
};

}  // namespace SkinUI
