#include <gtest/gtest.h>

#include "ui/canvas.h"
#include "ui/font.h"
#include "ui/label.h"
#include "ui/text_layout.h"
#include "ui_fixtures.h"

namespace {

using SkinUI::Canvas;
using SkinUI::Font;
using SkinUI::FontLibrary;
using SkinUI::Rect;

Font* Yahei(int size, bool bold = false, bool italic = false, bool underline = false) {
  return FontLibrary::Instance().Get({"微软雅黑", size, bold, italic, underline});
}

// The bounding box of every pixel that isn't the background.
Rect Ink(const Canvas& canvas) {
  Rect box{canvas.Width(), canvas.Height(), 0, 0};
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.At(x, y) != 0) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    }
  }
  return box;
}

size_t InkCount(const Canvas& canvas) {
  size_t n = 0;
  for (uint32_t p : canvas.Pixels()) n += p != 0;
  return n;
}

TEST(Fonts, ChineseFaceNameFindsAFaceWithChineseGlyphs) {
  Font* font = Yahei(14);
  // The face the skins name doesn't exist here; the language decides the match, and every
  // character of the product's name has a real glyph of one em.
  for (char32_t c : std::u32string(U"澜音工坊立即安装")) {
    const SkinUI::Glyph& glyph = font->GetGlyph(c);
    EXPECT_EQ(glyph.advance, 14) << static_cast<unsigned>(c);
    EXPECT_GT(glyph.width * glyph.height, 20) << static_cast<unsigned>(c);
  }
  EXPECT_EQ(font->MeasureWidth(U"澜音工坊"), 56);
  EXPECT_GT(font->LineHeight(), 14);
  EXPECT_EQ(Yahei(40)->MeasureWidth(U"安装完成"), 160);
  EXPECT_EQ(Yahei(14), font);  // one font per description
}

TEST(Fonts, FallsBackPerCharacterToAFaceThatHasIt) {
  // U+0259 (ə) is not in the Chinese face but in the Latin one.
  const SkinUI::Glyph& schwa = Yahei(14)->GetGlyph(U'\u0259');
  EXPECT_GT(schwa.advance, 0);
  EXPECT_GT(schwa.width * schwa.height, 10);
}

TEST(Fonts, StylesChangeTheInk) {
  auto draw = [](Font* font) {
    Canvas c(60, 30);
    font->DrawLine(c, 2, 20, U"Hi工", 0xFF000000);
    return c;
  };
  const Canvas plain = draw(Yahei(16));
  const Canvas bold = draw(Yahei(16, true));
  const Canvas italic = draw(Yahei(16, false, true));
  const Canvas underline = draw(Yahei(16, false, false, true));
  EXPECT_GT(InkCount(bold), InkCount(plain) * 11 / 10);
  EXPECT_GT(Ink(italic).right, Ink(plain).right);  // slanted to the right
  EXPECT_GT(Ink(underline).bottom, 20);            // a line under the baseline
  EXPECT_LE(Ink(plain).bottom, 20 + Yahei(16)->Descent());
}

TEST(TextLayout, AlignsASingleLineInsideItsRectangle) {
  using namespace SkinUI;
  Font* font = Yahei(14);
  struct Case {
    unsigned style;
    int left;  // expected ink left (±2)
    int top;   // expected line top (±3)
  } cases[] = {
      {kTextSingleLine | kTextLeft | kTextTop, 0, 0},
      {kTextSingleLine | kTextCenter | kTextTop, (100 - 28) / 2, 0},
      {kTextSingleLine | kTextRight | kTextTop, 100 - 28, 0},
      {kTextSingleLine | kTextLeft | kTextVCenter, 0, (40 - font->LineHeight()) / 2},
      {kTextSingleLine | kTextLeft | kTextBottom, 0, 40 - font->LineHeight()},
  };
  for (const Case& c : cases) {
    Canvas canvas(100, 40);
    DrawText(canvas, *font, {0, 0, 100, 40}, "工工", 0xFF000000, c.style);
    const Rect ink = Ink(canvas);
    EXPECT_NEAR(ink.left, c.left, 2) << c.style;
    // Ink of "工" sits between the line's top and its baseline.
    EXPECT_GE(ink.top, c.top) << c.style;
    EXPECT_LE(ink.bottom, c.top + font->Ascent() + 1) << c.style;
    EXPECT_LE(ink.top, c.top + font->Ascent() / 2) << c.style;
  }
  // Text is clipped to its rectangle.
  Canvas canvas(100, 40);
  DrawText(canvas, *font, {10, 10, 30, 30}, "工工工工工工", 0xFF000000, kTextSingleLine | kTextLeft | kTextVCenter);
  const Rect ink = Ink(canvas);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 30);
}

TEST(TextLayout, WrapsAtWordBreaksAndBetweenChineseCharacters) {
  using namespace SkinUI;
  Font* font = Yahei(14);
  const unsigned wrap = kTextWordBreak;
  struct Case {
    std::string text;
    int width;
    std::vector<std::u32string> lines;
  } cases[] = {
      {"检测到计算机中已存在此软件", 60, {U"检测到计", U"算机中已", U"存在此软", U"件"}},
      {"当前网络较差，请重试", 56, {U"当前网络", U"较差，请", U"重试"}},
      {"一二三，四", 42, {U"一二", U"三，四"}},  // the comma stays with the character before it
      {"two\nlines", 200, {U"two", U"lines"}},
      {"", 50, {U""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LayoutLines(*font, c.text, wrap, c.width), c.lines) << c.text;
  }
  // Latin words break at spaces, and the spaces at the break vanish.
  const int word = std::max({font->MeasureWidth(U"alpha"), font->MeasureWidth(U"beta"), font->MeasureWidth(U"gamma")});
  const std::vector<std::u32string> latin = LayoutLines(*font, "alpha beta gamma", wrap, word + 2);
  EXPECT_EQ(latin, (std::vector<std::u32string>{U"alpha", U"beta", U"gamma"}));
  // A word wider than the line breaks between characters rather than overflowing.
  for (const std::u32string& line : LayoutLines(*font, "abcdefghijklmnop", wrap, 30)) {
    EXPECT_LE(font->MeasureWidth(line), 30);
  }
  // On a single line, line breaks count as nothing.
  EXPECT_EQ(LayoutLines(*font, "a\r\nb", kTextSingleLine, 10), (std::vector<std::u32string>{U"ab"}));
  const Size size = MeasureText(*font, "检测到计算机中已存在此软件", wrap, 60);
  EXPECT_EQ(size.cy, 4 * font->LineHeight());
  EXPECT_EQ(size.cx, 56);
}

TEST(TextLayout, LabelDrawsInsideItsTextPaddingAndMeasures) {
  uitest::TestWindow window;
  ASSERT_TRUE(window.LoadMarkup(uitest::Markup(200, 40,
                                               "<HorizontalLayout><Label name=\"l\" width=\"200\" text=\"已同意\" "
                                               "textpadding=\"26,0,0,0\" /></HorizontalLayout>")));
  SkinUI::HeadlessHost host(window);
  host.Show();
  const Rect ink = Ink(window.Pixels());
  EXPECT_GE(ink.left, 26);
  EXPECT_LE(ink.left, 28);
  EXPECT_LE(ink.right, 26 + 42 + 1);
  auto* label = static_cast<SkinUI::CLabelControl*>(window.LookupControl("l"));
  EXPECT_EQ(label->MeasureText("澜音工坊").cx, 56);
}

}  // namespace
