#pragma once
// Fonts of the skins: a face name, a pixel height and styles, matched through fontconfig and drawn
// with FreeType. The skins ask for "微软雅黑", which Linux machines don't have; the match adds the
// Chinese language so the nearest face with Chinese glyphs wins, and characters the chosen face
// lacks are drawn from the first face that has them.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace SkinUI {

class Canvas;

struct FontDescription {
  std::string face = "微软雅黑";
  int size = 12;  // character (em) height in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
  auto operator<=>(const FontDescription&) const = default;
};

struct Glyph {
  int advance = 0;  // pixels to the next pen position
  int left = 0;     // bitmap offset from the pen position
  int top = 0;      // bitmap top above the baseline
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;  // width × height
};

class FontFace;  // one FreeType face (a file and an index), shared by every size

class Font {
 public:
  Font(const FontDescription& description, std::vector<FontFace*> faces, bool syntheticBold, bool syntheticItalic);
  const FontDescription& Description() const { return description_; }
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int LineHeight() const { return ascent_ + descent_; }

  const Glyph& GetGlyph(char32_t codePoint);
  // Whether this font or one of its fallbacks has a real glyph for the character (otherwise the
  // missing-glyph box is drawn).
  bool Covers(char32_t codePoint);
  int Advance(char32_t codePoint) { return GetGlyph(codePoint).advance; }
  int MeasureWidth(const std::u32string& text);
  // Draws one line with the pen starting at x on the given baseline (underline included).
  void DrawLine(Canvas& canvas, int x, int baseline, const std::u32string& text, uint32_t argb);

 private:
  FontFace* FaceFor(char32_t codePoint);

  FontDescription description_;
  std::vector<FontFace*> faces_;  // first: the matched face; then fallbacks found per character
  bool syntheticBold_;
  bool syntheticItalic_;
  int ascent_ = 0;
  int descent_ = 0;
  std::unordered_map<char32_t, Glyph> glyphs_;
};

// The process-wide font service of the window thread: one FreeType library, faces opened once,
// fonts cached per description.
class FontLibrary {
 public:
  static FontLibrary& Instance();
  ~FontLibrary();
  // Never null: when nothing matches at all, a font without glyphs that measures as empty.
  Font* Get(const FontDescription& description);
  // A face holding the character, for fallback; null when the system has none.
  FontFace* FallbackFace(char32_t codePoint);

 private:
  FontLibrary();
  FontFace* OpenFace(const std::string& file, int index);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

std::u32string DecodeUtf8(const std::string& text);
std::string EncodeUtf8(const std::u32string& text);

}  // namespace SkinUI
