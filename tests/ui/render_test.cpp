#include <gtest/gtest.h>

#include "ui/canvas.h"
#include "ui/image.h"
#include "ui/image_description.h"
#include "ui/progress.h"
#include "ui_fixtures.h"

namespace {

using SkinUI::Canvas;
using SkinUI::Rect;

TEST(Canvas, BlendsPremultipliedSourceOver) {
  struct Case {
    uint32_t dst;
    uint32_t argb;  // straight colour filled over dst
    uint32_t expected;
  } cases[] = {
      {0xFF0000FF, 0xFFFF0000, 0xFFFF0000},  // opaque replaces
      {0xFF0000FF, 0x80FF0000, 0xFF80007F},  // half red over blue
      {0xFF0000FF, 0x00FF0000, 0xFF0000FF},  // alpha 0 is no fill at all
      {0x00000000, 0x80FF0000, 0x80800000},  // over nothing: stays premultiplied
      {0xFFFFFFFF, 0x40000000, 0xFFBFBFBF},
  };
  for (const Case& c : cases) {
    Canvas canvas(1, 1);
    canvas.Clear({0, 0, 1, 1}, c.dst);
    canvas.FillRect({0, 0, 1, 1}, c.argb);
    EXPECT_EQ(canvas.At(0, 0), c.expected) << std::hex << c.dst << " " << c.argb;
  }
}

TEST(Canvas, DrawsOnlyInsideTheClip) {
  Canvas canvas(6, 6);
  canvas.PushClip({2, 2, 4, 4});
  canvas.FillRect({0, 0, 6, 6}, 0xFFFFFFFF);
  canvas.PushClip({3, 0, 6, 6});  // narrows, never widens
  canvas.FillRect({0, 0, 6, 6}, 0xFF000000);
  canvas.PopClip();
  canvas.PopClip();
  EXPECT_EQ(canvas.At(1, 1), 0u);
  EXPECT_EQ(canvas.At(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(canvas.At(3, 3), 0xFF000000u);
  EXPECT_EQ(canvas.At(4, 4), 0u);
  canvas.DrawBorder({0, 0, 6, 6}, 1, 0xFF00FF00);
  EXPECT_EQ(canvas.At(0, 3), 0xFF00FF00u);
  EXPECT_EQ(canvas.At(2, 2), 0xFFFFFFFFu);
}

// A 6 × 6 image: 2-pixel corners in four colours, edges and middle in others, so every part of
// a nine-grid can be told apart.
constexpr uint32_t kTL = 0xFFFF0000, kTR = 0xFF00FF00, kBL = 0xFF0000FF, kBR = 0xFFFFFF00;
constexpr uint32_t kEdge = 0xFF808080, kMiddle = 0xFF00FFFF;
uint32_t GridColor(int x, int y) {
  const bool left = x < 2, right = x >= 4, top = y < 2, bottom = y >= 4;
  if (top && left) return kTL;
  if (top && right) return kTR;
  if (bottom && left) return kBL;
  if (bottom && right) return kBR;
  if (!left && !right && !top && !bottom) return kMiddle;
  return kEdge;
}

class ImageDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    files_["grid.png"] = uitest::MakePng(6, 6, GridColor);
    files_["stripes.png"] = uitest::MakePng(2, 1, [](int x, int) { return x == 0 ? 0xFFFF0000 : 0xFF0000FF; });
    files_["masked.png"] = uitest::MakePng(2, 1, [](int x, int) { return x == 0 ? 0xFFFF00FF : 0xFF00FF00; });
    files_["half.png"] = uitest::SolidPng(1, 1, 0x80FFFFFF);
    images_.SetSource([this](std::string_view f) -> const std::string* {
      auto it = files_.find(std::string(f));
      return it == files_.end() ? nullptr : &it->second;
    });
  }
  Canvas Draw(int w, int h, const std::string& description, uint32_t background = 0) {
    Canvas canvas(w, h);
    canvas.Clear({0, 0, w, h}, background);
    SkinUI::DrawImageDescription(canvas, images_, {0, 0, w, h}, SkinUI::ImageDescription::Parse(description));
    return canvas;
  }
  std::map<std::string, std::string> files_;
  SkinUI::ImageCache images_;
};

TEST_F(ImageDrawing, UnscaledDrawCopiesPixelsExactly) {
  Canvas c = Draw(6, 6, "grid.png");
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(c.At(x, y), GridColor(x, y)) << x << "," << y;
  }
}

TEST_F(ImageDrawing, NineGridKeepsCornersAndStretchesTheRest) {
  Canvas c = Draw(20, 10, "file='grid.png' corner='2,2,2,2'");
  EXPECT_EQ(c.At(0, 0), kTL);
  EXPECT_EQ(c.At(1, 1), kTL);
  EXPECT_EQ(c.At(18, 0), kTR);
  EXPECT_EQ(c.At(19, 9), kBR);
  EXPECT_EQ(c.At(0, 8), kBL);
  EXPECT_EQ(c.At(2, 0), kEdge);
  EXPECT_EQ(c.At(17, 1), kEdge);
  EXPECT_EQ(c.At(0, 5), kEdge);
  EXPECT_EQ(c.At(2, 2), kMiddle);
  EXPECT_EQ(c.At(17, 7), kMiddle);
  // Without corners the whole image stretches: the top-left colour then covers a third.
  Canvas stretched = Draw(18, 6, "grid.png");
  EXPECT_EQ(stretched.At(5, 0), kTL);
  EXPECT_EQ(stretched.At(6, 0), kEdge);
}

TEST_F(ImageDrawing, HoleLeavesTheMiddleOut) {
  Canvas c = Draw(10, 10, "file='grid.png' corner='2,2,2,2' hole='true'", 0xFF000000);
  EXPECT_EQ(c.At(0, 0), kTL);
  EXPECT_EQ(c.At(5, 0), kEdge);
  EXPECT_EQ(c.At(5, 5), 0xFF000000u);
}

TEST_F(ImageDrawing, TilingRepeatsInsteadOfStretching) {
  Canvas tiled = Draw(8, 1, "file='stripes.png' xtiled='true'");
  Canvas stretched = Draw(8, 1, "stripes.png");
  const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
  const uint32_t tiledRow[8] = {red, blue, red, blue, red, blue, red, blue};
  const uint32_t stretchedRow[8] = {red, red, red, red, blue, blue, blue, blue};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(tiled.At(x, 0), tiledRow[x]) << x;
    EXPECT_EQ(stretched.At(x, 0), stretchedRow[x]) << x;
  }
  // A cut last tile keeps its scale.
  Canvas odd = Draw(3, 1, "file='stripes.png' xtiled='true'");
  EXPECT_EQ(odd.At(2, 0), red);
}

TEST_F(ImageDrawing, MaskFadeDestAndSource) {
  Canvas masked = Draw(2, 1, "file='masked.png' mask='#FFFF00FF'", 0xFF000000);
  EXPECT_EQ(masked.At(0, 0), 0xFF000000u);  // the mask colour became transparent
  EXPECT_EQ(masked.At(1, 0), 0xFF00FF00u);
  Canvas unmasked = Draw(2, 1, "masked.png", 0xFF000000);
  EXPECT_EQ(unmasked.At(0, 0), 0xFFFF00FFu);  // the same file without a mask is its own cache entry

  Canvas faded = Draw(1, 1, "file='grid.png' source='0,0,1,1' fade='128'", 0xFF000000);
  EXPECT_EQ(faded.At(0, 0), 0xFF800000u);
  Canvas halfAlpha = Draw(1, 1, "half.png", 0xFF000000);
  EXPECT_EQ(halfAlpha.At(0, 0), 0xFF808080u);

  Canvas placed = Draw(6, 6, "file='grid.png' source='4,4,6,6' dest='1,1,3,3'");
  EXPECT_EQ(placed.At(0, 0), 0u);
  EXPECT_EQ(placed.At(1, 1), kBR);
  EXPECT_EQ(placed.At(2, 2), kBR);
  EXPECT_EQ(placed.At(3, 3), 0u);
  // A destination reaching outside the control is clipped to it.
  Canvas clipped(6, 6);
  SkinUI::DrawImageDescription(clipped, images_, {0, 0, 3, 3},
                               SkinUI::ImageDescription::Parse("file='grid.png' dest='0,0,6,6'"));
  EXPECT_EQ(clipped.At(2, 2), kMiddle);
  EXPECT_EQ(clipped.At(4, 4), 0u);
}

TEST_F(ImageDrawing, UndecodableImagesAreRememberedAsMissing) {
  files_["broken.png"] = "\x89PNG but not really";
  Canvas c = Draw(4, 4, "broken.png", 0xFF123456);
  EXPECT_EQ(c.At(1, 1), 0xFF123456u);
  EXPECT_EQ(images_.Get("broken.png"), nullptr);
  EXPECT_EQ(images_.Get("missing.png"), nullptr);
  const SkinUI::Image* grid = images_.Get("grid.png");
  ASSERT_NE(grid, nullptr);
  files_.erase("grid.png");
  EXPECT_EQ(images_.Get("grid.png"), grid);  // decoded once, kept afterwards
}

TEST(ProgressControl, FillsTheValueFractionOfItsWidth) {
  uitest::TestWindow window;
  window.images["track.png"] = uitest::SolidPng(8, 8, 0xFF0000FF);
  window.images["fill.png"] = uitest::SolidPng(8, 8, 0xFF00FF00);
  ASSERT_TRUE(window.LoadMarkup(uitest::Markup(410, 8,
                                               "<Progress name=\"p\" bkimage=\"file='track.png' corner='2,2,2,2'\" "
                                               "foreimage=\"file='fill.png' corner='2,2,2,2'\" "
                                               "isstretchfore=\"false\" />")));
  SkinUI::HeadlessHost host(window);
  host.Show();
  auto* progress = static_cast<SkinUI::CProgressControl*>(window.LookupControl("p"));
  struct Case {
    int value;
    int filled;
  } cases[] = {{50, 205}, {0, 0}, {100, 410}, {1, 4}, {150, 410}, {-3, 0}};
  for (const Case& c : cases) {
    progress->SetValue(c.value);
    host.Render();
    EXPECT_EQ(progress->FilledWidth(), c.filled) << c.value;
    if (c.filled > 0) {
      EXPECT_EQ(window.Pixels().At(c.filled - 1, 4), 0xFF00FF00u) << c.value;
    }
    if (c.filled < 410) {
      EXPECT_EQ(window.Pixels().At(c.filled, 4), 0xFF0000FFu) << c.value;
    }
  }
  // A maximum not above the minimum becomes minimum + 1; the value stays in range.
  progress->SetMinValue(10);
  progress->SetMaxValue(5);
  EXPECT_EQ(progress->GetMaxValue(), 11);
  EXPECT_EQ(progress->GetValue(), 10);
  progress->SetValue(20);
  EXPECT_EQ(progress->GetValue(), 11);
}

TEST(Invalidation, RepaintsOnlyWhatChanged) {
  uitest::TestWindow window;
  ASSERT_TRUE(window.LoadMarkup(uitest::Markup(
      200, 100,
      "<VerticalLayout bkcolor=\"#FFFFFFFF\"><Label name=\"a\" height=\"30\" text=\"one\" />"
      "<Label name=\"b\" height=\"30\" /><Control name=\"c\" visible=\"false\" height=\"10\" /></VerticalLayout>")));
  SkinUI::HeadlessHost host(window);
  host.Show();
  EXPECT_TRUE(host.Render().IsEmpty());  // nothing changed since the first frame
  window.LookupControl("a")->SetText("two");
  EXPECT_EQ(host.Render(), (Rect{0, 0, 200, 30}));
  window.LookupControl("b")->SetBkColor(0xFF00FF00);
  EXPECT_EQ(host.Render(), (Rect{0, 30, 200, 60}));
  EXPECT_EQ(window.Pixels().At(100, 45), 0xFF00FF00u);
  window.LookupControl("b")->SetBkImage("missing.png");
  window.LookupControl("b")->SetBkColor(0xFF00FF00);  // unchanged: no repaint of its own
  EXPECT_EQ(host.Render(), (Rect{0, 30, 200, 60}));
  window.LookupControl("c")->SetVisible(true);  // showing a control repaints where it lands
  EXPECT_EQ(host.Render(), (Rect{0, 60, 200, 70}));
}

}  // namespace
