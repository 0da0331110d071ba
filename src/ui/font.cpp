#include "ui/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cmath>

#include "ui/canvas.h"
#include "utils/log.h"

namespace SkinUI {

class FontFace {
 public:
  FT_Face face = nullptr;
  ~FontFace() {
    if (face) FT_Done_Face(face);
  }
  bool Has(char32_t codePoint) const { return FT_Get_Char_Index(face, codePoint) != 0; }
};

struct FontLibrary::Impl {
  FT_Library library = nullptr;
  bool fontconfigReady = false;
  std::map<std::pair<std::string, int>, std::unique_ptr<FontFace>> faces;
  std::map<FontDescription, std::unique_ptr<Font>> fonts;
  std::unordered_map<char32_t, FontFace*> fallbacks;
};

namespace {

// Fontconfig's answer for a pattern: the file and face index.
struct FontMatch {
  std::string file;
  int index = 0;
};

bool MatchPattern(FcPattern* pattern, FontMatch& out) {
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (!match) return false;
  FcChar8* file = nullptr;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    out.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &out.index);
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace

FontLibrary& FontLibrary::Instance() {
  static FontLibrary library;
  return library;
}

FontLibrary::FontLibrary() : impl_(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&impl_->library) != 0) {
    impl_->library = nullptr;
    Utils::LogText("FreeType could not start; texts are not drawn");
  }
  impl_->fontconfigReady = FcInit() == FcTrue;
}

FontLibrary::~FontLibrary() {
  impl_->fonts.clear();
  impl_->faces.clear();
  if (impl_->library) FT_Done_FreeType(impl_->library);
  // Fontconfig keeps its configuration until told otherwise; release it with the last font.
  if (impl_->fontconfigReady) FcFini();
}

FontFace* FontLibrary::OpenFace(const std::string& file, int index) {
  auto key = std::make_pair(file, index);
  auto it = impl_->faces.find(key);
  if (it != impl_->faces.end()) return it->second.get();
  auto face = std::make_unique<FontFace>();
  if (!impl_->library || FT_New_Face(impl_->library, file.c_str(), index, &face->face) != 0) {
    face->face = nullptr;
    Utils::LogFormat("font file can't be opened: %s\r\n", file.c_str());
    return impl_->faces.emplace(key, nullptr).first->second.get();
  }
  return impl_->faces.emplace(key, std::move(face)).first->second.get();
}

Font* FontLibrary::Get(const FontDescription& description) {
  auto it = impl_->fonts.find(description);
  if (it != impl_->fonts.end()) return it->second.get();
  std::vector<FontFace*> faces;
  bool syntheticBold = false, syntheticItalic = false;
  if (impl_->fontconfigReady) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(description.face.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, description.size);
    FcPatternAddInteger(pattern, FC_WEIGHT, description.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, description.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FontMatch match;
    if (MatchPattern(pattern, match)) {
      if (FontFace* face = OpenFace(match.file, match.index)) {
        faces.push_back(face);
        // Faces without a bold or italic design (the Chinese ones, mostly) get the style drawn
        // onto their outlines.
        syntheticBold = description.bold && !(face->face->style_flags & FT_STYLE_FLAG_BOLD);
        syntheticItalic = description.italic && !(face->face->style_flags & FT_STYLE_FLAG_ITALIC);
      }
    }
    FcPatternDestroy(pattern);
  }
  auto font = std::make_unique<Font>(description, std::move(faces), syntheticBold, syntheticItalic);
  return impl_->fonts.emplace(description, std::move(font)).first->second.get();
}

FontFace* FontLibrary::FallbackFace(char32_t codePoint) {
  auto it = impl_->fallbacks.find(codePoint);
  if (it != impl_->fallbacks.end()) return it->second;
  FontFace* found = nullptr;
  if (impl_->fontconfigReady) {
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* charset = FcCharSetCreate();
    FcCharSetAddChar(charset, codePoint);
    FcPatternAddCharSet(pattern, FC_CHARSET, charset);
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FontMatch match;
    if (MatchPattern(pattern, match)) {
      FontFace* face = OpenFace(match.file, match.index);
      if (face && face->Has(codePoint)) found = face;
    }
    FcCharSetDestroy(charset);
    FcPatternDestroy(pattern);
  }
  impl_->fallbacks[codePoint] = found;
  return found;
}

Font::Font(const FontDescription& description, std::vector<FontFace*> faces, bool syntheticBold, bool syntheticItalic)
    : description_(description),
      faces_(std::move(faces)),
      syntheticBold_(syntheticBold),
      syntheticItalic_(syntheticItalic) {
  if (!faces_.empty()) {
    FT_Face face = faces_.front()->face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(description_.size, 1)));
    ascent_ = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    descent_ = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
  } else {
    ascent_ = description_.size;
  }
}

FontFace* Font::FaceFor(char32_t codePoint) {
  for (FontFace* face : faces_) {
    if (face->Has(codePoint)) return face;
  }
  if (FontFace* fallback = FontLibrary::Instance().FallbackFace(codePoint)) {
    faces_.push_back(fallback);
    return fallback;
  }
  return faces_.empty() ? nullptr : faces_.front();  // the primary face's missing-glyph box
}

bool Font::Covers(char32_t codePoint) {
  FontFace* face = FaceFor(codePoint);
  return face && face->Has(codePoint);
}

const Glyph& Font::GetGlyph(char32_t codePoint) {
  auto it = glyphs_.find(codePoint);
  if (it != glyphs_.end()) return it->second;
  Glyph glyph;
  FontFace* face = FaceFor(codePoint);
  if (face) {
    FT_Face ft = face->face;
    FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(std::max(description_.size, 1)));
    const FT_UInt index = FT_Get_Char_Index(ft, codePoint);
    if (FT_Load_Glyph(ft, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) == 0) {
      if (syntheticBold_) FT_GlyphSlot_Embolden(ft->glyph);
      if (syntheticItalic_) FT_GlyphSlot_Oblique(ft->glyph);
      if (FT_Render_Glyph(ft->glyph, FT_RENDER_MODE_NORMAL) == 0) {
        const FT_Bitmap& bitmap = ft->glyph->bitmap;
        glyph.left = ft->glyph->bitmap_left;
        glyph.top = ft->glyph->bitmap_top;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.height = static_cast<int>(bitmap.rows);
        glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
        for (int y = 0; y < glyph.height; ++y) {
          const uint8_t* src = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
          std::copy(src, src + glyph.width, glyph.coverage.begin() + static_cast<ptrdiff_t>(y) * glyph.width);
        }
      }
      glyph.advance = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    }
  }
  return glyphs_.emplace(codePoint, std::move(glyph)).first->second;
}

int Font::MeasureWidth(const std::u32string& text) {
  int width = 0;
  for (char32_t c : text) width += Advance(c);
  return width;
}

void Font::DrawLine(Canvas& canvas, int x, int baseline, const std::u32string& text, uint32_t argb) {
  const int start = x;
  for (char32_t c : text) {
    const Glyph& glyph = GetGlyph(c);
    if (glyph.width > 0 && glyph.height > 0) {
      canvas.BlendMask(glyph.coverage.data(), glyph.width, glyph.height, glyph.width, x + glyph.left,
                       baseline - glyph.top, argb);
    }
    x += glyph.advance;
  }
  if (description_.underline && x > start) {
    const int thickness = std::max(1, description_.size / 14);
    const int y = baseline + std::max(1, descent_ / 2);
    canvas.FillRect({start, y, x, y + thickness}, argb);
  }
}

std::u32string DecodeUtf8(const std::string& text) {
  std::u32string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    char32_t cp = extra <= 0 ? c : (c & (0x3F >> extra));
    bool valid = extra >= 0 && i + extra < n;
    for (int k = 1; valid && k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(text[i + k]);
      valid = (cc & 0xC0) == 0x80;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!valid) {
      out.push_back(0xFFFD);  // a stray byte shows as the replacement character
      ++i;
      continue;
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

std::string EncodeUtf8(const std::u32string& text) {
  std::string out;
  for (char32_t cp : text) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace SkinUI
