#include "ui/image.h"

#include <stb_image.h>

#include "ui/skin_package.h"

namespace SkinUI {

std::unique_ptr<Image> DecodeImage(std::string_view bytes, uint32_t mask) {
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
  int width = 0, height = 0, channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                        &width, &height, &channels, 4);
  if (!rgba) return nullptr;
  auto image = std::make_unique<Image>();
  image->width = width;
  image->height = height;
  image->pixels.resize(static_cast<size_t>(width) * height);
  const stbi_uc* p = rgba;
  for (uint32_t& pixel : image->pixels) {
    const uint32_t a = p[3];
    auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    pixel = (a << 24) | (mul(p[0]) << 16) | (mul(p[1]) << 8) | mul(p[2]);
    if (mask != 0 && pixel == mask) pixel = 0;
    p += 4;
  }
  stbi_image_free(rgba);
  return image;
}

const Image* ImageCache::Get(std::string_view file, uint32_t mask) {
  if (file.empty()) return nullptr;
  std::pair<std::string, uint32_t> key{SkinPackage::NormalizeName(file), mask};
  auto it = images_.find(key);
  if (it != images_.end()) return it->second.get();
  const std::string* bytes = source_ ? source_(file) : nullptr;
  std::unique_ptr<Image> image = bytes ? DecodeImage(*bytes, mask) : nullptr;
  return images_.emplace(std::move(key), std::move(image)).first->second.get();
}

}  // namespace SkinUI
