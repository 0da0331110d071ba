#include "png_file.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "ui/host/png_writer.h"

namespace {

unsigned char* CompressWithZlib(unsigned char* data, int length, int* outLength, int /*quality*/) {
  uLongf size = compressBound(static_cast<uLong>(length));
  auto* out = static_cast<unsigned char*>(std::malloc(size));  // released by the writer with free()
  if (!out || compress2(out, &size, data, static_cast<uLong>(length), Z_BEST_COMPRESSION) != Z_OK) {
    std::free(out);
    return nullptr;
  }
  *outLength = static_cast<int>(size);
  return out;
}

}  // namespace

// A private copy of the PNG writer that deflates with zlib (the toolkit's shared copy uses the
// writer's own, weaker deflate). Static, so it doesn't clash with the shared one.
#define STBIW_ZLIB_COMPRESS CompressWithZlib
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace artwork {
namespace {

using Rgba = std::array<unsigned char, 4>;

struct Weighted {
  Rgba color;
  size_t count;
};

// Median cut: split the box with the widest channel range at its weighted median until there are
// `limit` boxes; each box's weighted mean is a palette entry.
std::vector<Rgba> MedianCut(std::vector<Weighted> colors, size_t limit) {
  std::vector<std::vector<Weighted>> boxes{std::move(colors)};
  auto widest = [](const std::vector<Weighted>& box, int& channel) {
    int best = -1;
    for (int c = 0; c < 4; ++c) {
      const auto [lo, hi] = std::minmax_element(
          box.begin(), box.end(), [c](const Weighted& a, const Weighted& b) { return a.color[c] < b.color[c]; });
      const int range = hi->color[c] - lo->color[c];
      if (range > best) {
        best = range;
        channel = c;
      }
    }
    return best;
  };
  while (boxes.size() < limit) {
    int pick = -1, channel = 0, bestRange = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      int c = 0;
      const int range = boxes[i].size() > 1 ? widest(boxes[i], c) : 0;
      if (range > bestRange) {
        bestRange = range;
        pick = static_cast<int>(i);
        channel = c;
      }
    }
    if (pick < 0) break;
    std::vector<Weighted>& box = boxes[pick];
    std::stable_sort(box.begin(), box.end(),
                     [channel](const Weighted& a, const Weighted& b) { return a.color[channel] < b.color[channel]; });
    size_t total = 0;
    for (const Weighted& w : box) total += w.count;
    size_t seen = 0, cut = 1;
    for (; cut < box.size(); ++cut) {
      seen += box[cut - 1].count;
      if (seen * 2 >= total) break;
    }
    cut = std::clamp<size_t>(cut, 1, box.size() - 1);
    std::vector<Weighted> upper(box.begin() + static_cast<ptrdiff_t>(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }
  std::vector<Rgba> palette;
  for (const std::vector<Weighted>& box : boxes) {
    double sum[4] = {0, 0, 0, 0};
    size_t total = 0;
    for (const Weighted& w : box) {
      for (int c = 0; c < 4; ++c) sum[c] += static_cast<double>(w.color[c]) * w.count;
      total += w.count;
    }
    Rgba mean;
    for (int c = 0; c < 4; ++c) mean[c] = static_cast<unsigned char>(sum[c] / total + 0.5);
    palette.push_back(mean);
  }
  return palette;
}

void AppendChunk(std::string& png, const char* type, const std::string& data) {
  auto be32 = [&png](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>((v >> shift) & 0xFF));
  };
  be32(static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  png += body;
  be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

bool WriteIndexed(const SkinUI::Canvas& canvas, const std::vector<unsigned char>& rgba,
                  const std::vector<Rgba>& palette, const std::string& path) {
  const int w = canvas.Width(), h = canvas.Height();
  std::map<Rgba, unsigned char> nearest;
  std::string rows;
  rows.reserve(static_cast<size_t>(w + 1) * h);
  for (int y = 0; y < h; ++y) {
    rows.push_back(0);  // no filter: what palette images compress best with
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      const Rgba color{p[0], p[1], p[2], p[3]};
      auto it = nearest.find(color);
      if (it == nearest.end()) {
        size_t best = 0;
        long bestDistance = -1;
        for (size_t i = 0; i < palette.size(); ++i) {
          long d = 0;
          for (int c = 0; c < 4; ++c) {
            const long diff = static_cast<long>(palette[i][c]) - color[c];
            d += diff * diff * (c == 3 ? 2 : 1);  // alpha errors show most at the soft edges
          }
          if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
          }
        }
        it = nearest.emplace(color, static_cast<unsigned char>(best)).first;
      }
      rows.push_back(static_cast<char>(it->second));
    }
  }
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  std::string idat(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(idat.data()), &size, reinterpret_cast<const Bytef*>(rows.data()),
                static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK) {
    return false;
  }
  idat.resize(size);
  std::string ihdr;
  for (uint32_t v : {static_cast<uint32_t>(w), static_cast<uint32_t>(h)}) {
    for (int shift = 24; shift >= 0; shift -= 8) ihdr.push_back(static_cast<char>((v >> shift) & 0xFF));
  }
  ihdr += std::string("\x08\x03\x00\x00\x00", 5);  // 8-bit palette indices, no interlace
  std::string plte, trns;
  for (const Rgba& c : palette) {
    plte += std::string{static_cast<char>(c[0]), static_cast<char>(c[1]), static_cast<char>(c[2])};
    trns.push_back(static_cast<char>(c[3]));
  }
  std::string png("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(png, "IHDR", ihdr);
  AppendChunk(png, "PLTE", plte);
  AppendChunk(png, "tRNS", trns);
  AppendChunk(png, "IDAT", idat);
  AppendChunk(png, "IEND", "");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
}

std::vector<Weighted> CountColors(const std::vector<unsigned char>& rgba) {
  std::map<Rgba, size_t> counts;
  for (size_t i = 0; i < rgba.size(); i += 4) ++counts[{rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]}];
  std::vector<Weighted> colors;
  for (const auto& [color, count] : counts) colors.push_back({color, count});
  return colors;
}

}  // namespace

bool WritePng(const SkinUI::Canvas& canvas, const std::string& path) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return false;
  const std::vector<unsigned char> rgba = SkinUI::ToStraightRgba(canvas);
  const std::vector<Weighted> colors = CountColors(rgba);
  if (colors.size() <= 256) {
    std::vector<Rgba> palette;
    for (const Weighted& w : colors) palette.push_back(w.color);
    return WriteIndexed(canvas, rgba, palette, path);
  }
  return stbi_write_png(path.c_str(), canvas.Width(), canvas.Height(), 4, rgba.data(), canvas.Width() * 4) != 0;
}

bool WritePalettePng(const SkinUI::Canvas& canvas, const std::string& path) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return false;
  const std::vector<unsigned char> rgba = SkinUI::ToStraightRgba(canvas);
  return WriteIndexed(canvas, rgba, MedianCut(CountColors(rgba), 256), path);
}

}  // namespace artwork
