// Draws every image of the installer's skin into skin/res/ (or the folder given as the only
// argument). The images are committed; run this after changing a design:
//   build/tools/skin_artwork skin/res
// One palette for everything: calm white and mint surfaces, a green primary colour whose hot and
// pushed shades match the markup's text colours (#59CB8F, #11A557), slate text (#303F56) and a
// muted blue-grey (#8991AF) for secondary marks.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "painter.h"
#include "png_file.h"
#include "ui/canvas.h"
#include "ui/text_layout.h"

using namespace artwork;
using SkinUI::Canvas;

namespace {

const Color kWhite = Hex(0xFFFFFF);
const Color kSlate = Hex(0x303F56);
const Color kMuted = Hex(0x8991AF);
const Color kGreenTop = Hex(0x2BC07C);
const Color kGreenBottom = Hex(0x13A85A);
const Color kHotTop = Hex(0x4FD293);
const Color kHotBottom = Hex(0x2BB970);
const Color kPushedTop = Hex(0x12A155);
const Color kPushedBottom = Hex(0x0D8A47);
const Color kTeal = Hex(0x17A9A0);
const Color kMint = Hex(0xE9F7F0);

std::string g_out;
int g_written = 0;

void Save(const Canvas& canvas, const std::string& name, bool palette = false) {
  const std::string path = g_out + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  if (!(palette ? WritePalettePng(canvas, path) : WritePng(canvas, path))) {
    std::fprintf(stderr, "can't write %s\n", path.c_str());
    std::exit(1);
  }
  ++g_written;
}

enum class State { Normal, Hot, Pushed };

Paint GreenFill(State state, double top, double bottom) {
  switch (state) {
    case State::Hot:
      return VerticalGradient(top, bottom, kHotTop, kHotBottom);
    case State::Pushed:
      return VerticalGradient(top, bottom, kPushedTop, kPushedBottom);
    default:
      return VerticalGradient(top, bottom, kGreenTop, kGreenBottom);
  }
}

// A filled green button with a faint top highlight; pushed buttons sit one pixel lower.
void GreenButton(const std::string& name, int w, int h, double radius, State state) {
  Canvas c(w, h);
  const double drop = state == State::Pushed ? 1 : 0;
  Fill(c, RoundRect(0, drop, w, h, radius), GreenFill(state, 0, h));
  Stroke(c, RoundRect(0, drop, w, h, radius), 1, Solid(Hex(0xFFFFFF, state == State::Pushed ? 0.06 : 0.16)));
  Save(c, name);
}

// White button with a thin border for secondary answers.
void PlainButton(const std::string& name, int w, int h, double radius, State state) {
  Canvas c(w, h);
  const Color fill = state == State::Normal ? kWhite : state == State::Hot ? Hex(0xF3FBF7) : Hex(0xE3F5EB);
  const Color border = state == State::Normal ? Hex(0xCAD3DD) : Hex(0x59CB8F);
  Fill(c, RoundRect(0, 0, w, h, radius), Solid(fill));
  Stroke(c, RoundRect(0, 0, w, h, radius), 1, Solid(border));
  Save(c, name);
}

// The product mark: a rounded square in teal-to-green with five sound bars like a wave.
void ProductMark(Canvas& c, double x, double y, double size) {
  const double r = size * 0.26;
  Fill(c, RoundRect(x, y, x + size, y + size, r),
       [=](double px, double py) { return Mix(kTeal, kGreenTop, ((px - x) + (py - y)) / (2 * size)); });
  const double heights[5] = {0.26, 0.46, 0.62, 0.46, 0.30};
  const double bar = size * 0.045, gap = size * 0.14;
  const double left = x + size / 2 - 2 * gap;
  for (int i = 0; i < 5; ++i) {
    const double bx = left + i * gap, half = heights[i] * size / 2;
    Fill(c, Segment(bx, y + size / 2 - half + bar, bx, y + size / 2 + half - bar, bar), Solid(kWhite));
  }
}

// Window backgrounds: white at the top fading to mint, with soft waves along the bottom.
void Background(Canvas& c, double waveTop, double phase, double glowX, double glowY, double glowRadius) {
  const int w = c.Width(), h = c.Height();
  Fill(c, RoundRect(-1, -1, w + 1, h + 1, 0), VerticalGradient(0, h, kWhite, Hex(0xEEF8F3)));
  if (glowRadius > 0) {
    Fill(c, Circle(glowX, glowY, glowRadius), [=](double px, double py) {
      const double d = std::hypot(px - glowX, py - glowY) / glowRadius;
      return Hex(0xDDF3E8, 0.85 * (1 - d) * (1 - d));
    });
  }
  for (int band = 0; band < 3; ++band) {
    const double base = waveTop + band * 16, amp = 7 - band * 2, period = 260 + band * 70;
    const Color color = band == 0 ? Hex(0xD9F1E5, 0.55) : band == 1 ? Hex(0xC9EBDD, 0.45) : Hex(0xB9E4D4, 0.35);
    Fill(
        c,
        [=](double px, double py) { return base + amp * std::sin(2 * M_PI * px / period + phase + band * 1.3) - py; },
        Solid(color));
  }
}

void MainBackgrounds() {
  {
    Canvas c(600, 400);
    Background(c, 330, 0.0, 0, 0, 0);
    Save(c, "mainWnd/bg1.png");
  }
  {
    Canvas c(600, 400);
    Background(c, 352, 1.1, 0, 0, 0);
    Save(c, "mainWnd/bg2.png");
  }
  {
    Canvas c(600, 400);
    Background(c, 346, 2.2, 300, 160, 140);
    Save(c, "mainWnd/bg3.png");
  }
  {
    Canvas c(600, 400);
    Background(c, 340, 3.3, 0, 0, 0);
    Save(c, "mainWnd/bg4.png");
  }
}

// The carousel shown while installing: the same calm surface with one feature each, named at
// the bottom where the page leaves room.
void Carousel() {
  const char* captions[3] = {"多轨混音 · 声声入耳", "智能降噪 · 纯净人声", "海量音效 · 一键调用"};
  for (int i = 0; i < 3; ++i) {
    Canvas c(600, 400);
    Background(c, 360, 0.7 * i, 0, 0, 0);
    if (i == 0) {
      for (int k = 0; k < 4; ++k) Fill(c, Ring(300, 160, 96 + k * 22, 1.5), Solid(Hex(0x9FDCC0, 0.35 - k * 0.07)));
    } else if (i == 1) {
      Fill(
          c,
          [](double px, double py) {
            return std::abs(py - (160 + 40 * std::sin(px / 38.0) * std::exp(-std::pow((px - 300) / 170.0, 2)))) - 1.2;
          },
          Solid(Hex(0x7FD1AE, 0.35)));
    } else {
      for (int k = 0; k < 18; ++k) {
        const double x = 120 + k * 21.0, h = 18 + 60 * std::abs(std::sin(k * 0.7));
        Fill(c, Segment(x, 160 - h, x, 160 + h, 4), Solid(Hex(0xA9E0C7, 0.30)));
      }
    }
    Text(c, captions[i], 14, false, {0, 340, 600, 370}, 0xFF5E7A70,
         SkinUI::kTextCenter | SkinUI::kTextVCenter | SkinUI::kTextSingleLine);
    Save(c, "mainWnd/ab" + std::to_string(i + 1) + ".png");
  }
}

void Logo() {
  {
    Canvas c(250, 70);
    const int title = TextWidth("澜音工坊", 30, true);
    const int total = 56 + 16 + title;
    const int x = (250 - total) / 2;
    ProductMark(c, x, 7, 56);
    Text(c, "澜音工坊", 30, true, {x + 72, 6, 250, 44}, 0xFF303F56,
         SkinUI::kTextLeft | SkinUI::kTextVCenter | SkinUI::kTextSingleLine);
    Text(c, "LUMETRAVOX STUDIO", 11, false, {x + 73, 44, 250, 62}, 0xFF8991AF,
         SkinUI::kTextLeft | SkinUI::kTextVCenter | SkinUI::kTextSingleLine);
    Save(c, "mainWnd/logoWithTitle.png");
  }
  {
    Canvas c(30, 30);
    ProductMark(c, 1, 1, 28);
    Save(c, "mainWnd/ilogo.png");
  }
}

void Check(Canvas& c, double x, double y, double s, const Color& color, double width) {
  Fill(c,
       Union(Segment(x + 0.22 * s, y + 0.52 * s, x + 0.42 * s, y + 0.71 * s, width),
             Segment(x + 0.42 * s, y + 0.71 * s, x + 0.78 * s, y + 0.32 * s, width)),
       Solid(color));
}

void MainControls() {
  for (State s : {State::Normal, State::Hot, State::Pushed}) {
    const std::string n = std::to_string(static_cast<int>(s) + 1);
    GreenButton("mainWnd/installBtn" + n + ".png", 234, 50, 25, s);
    GreenButton("mainWnd/editBtn" + n + ".png", 80, 40, 5, s);
    const uint32_t text = s == State::Normal ? 0xFF8991AF : s == State::Hot ? 0xFF59CB8F : 0xFF11A557;
    const Color mark = Hex(text & 0xFFFFFF);
    {
      Canvas c(88, 18);
      Text(c, "自定义安装", 14, false, {0, 0, 76, 18}, text,
           SkinUI::kTextRight | SkinUI::kTextVCenter | SkinUI::kTextSingleLine);
      Fill(c, Union(Segment(80, 5.5, 84, 9.5, 0.8), Segment(84, 9.5, 80, 13.5, 0.8)), Solid(mark));
      Save(c, "mainWnd/customeBtn" + n + ".png");
    }
    {
      const Color arrow = s == State::Normal ? kSlate : mark;
      Canvas c(46, 18);
      Fill(c, Union(Segment(8, 4.5, 3.5, 9, 0.9), Segment(3.5, 9, 8, 13.5, 0.9)), Solid(arrow));
      Save(c, "mainWnd/backBtn" + n + ".png");
    }
  }
  {
    Canvas c(340, 40);
    Fill(c, RoundRect(0, 0, 340, 40, 5), Solid(kWhite));
    Stroke(c, RoundRect(0, 0, 340, 40, 5), 1, Solid(Hex(0xCFD8E2)));
    Save(c, "mainWnd/installDirEdit.png");
  }
  {
    Canvas c(16, 16);
    Fill(c, RoundRect(0.5, 0.5, 15.5, 15.5, 3), Solid(kWhite));
    Stroke(c, RoundRect(0.5, 0.5, 15.5, 15.5, 3), 1, Solid(Hex(0xB4BFCC)));
    Save(c, "mainWnd/Cb1.png");
  }
  {
    Canvas c(16, 16);
    Fill(c, RoundRect(0.5, 0.5, 15.5, 15.5, 3), GreenFill(State::Normal, 0, 16));
    Check(c, 0, 0, 16, kWhite, 1.0);
    Save(c, "mainWnd/Cb2.png");
  }
  {
    Canvas c(410, 8);
    Fill(c, RoundRect(0, 0, 410, 8, 4), Solid(Hex(0xDDEBE4)));
    Save(c, "mainWnd/installPrg1.png");
  }
  {
    Canvas c(410, 8);
    Fill(c, RoundRect(0, 0, 410, 8, 4), HorizontalGradient(0, 410, Hex(0x3CCB8A), Hex(0x11A557)));
    Fill(c, RoundRect(2, 1, 408, 3, 1), Solid(Hex(0xFFFFFF, 0.25)));
    Save(c, "mainWnd/installPrg2.png");
  }
  {
    Canvas c(40, 40);
    Fill(c, Circle(20, 20, 19.5), GreenFill(State::Normal, 0, 40));
    Check(c, 4, 4, 32, kWhite, 2.0);
    Save(c, "mainWnd/finished.png");
  }
  {
    Canvas c(116, 32);
    Fill(c,
         Union(RoundRect(0, 0, 116, 26, 4),
               [](double x, double y) {
                 // The pointer below the bubble, towards the check box it explains.
                 return std::max({y - 32.0, 26.0 - y - 1, std::abs(x - 20) - (32 - y) * 0.8});
               }),
         Solid(Hex(0x303F56, 0.92)));
    Text(c, "请先同意用户协议", 12, false, {0, 0, 116, 26}, 0xFFFFFFFF,
         SkinUI::kTextCenter | SkinUI::kTextVCenter | SkinUI::kTextSingleLine);
    Save(c, "mainWnd/tipLbl.png");
  }
}

// Title strip buttons: a muted glyph that darkens on a soft round backdrop when hot or pushed;
// the close button turns red.
void TitleButtons() {
  for (State s : {State::Normal, State::Hot, State::Pushed}) {
    const std::string n = std::to_string(static_cast<int>(s) + 1);
    const double backdrop = s == State::Normal ? 0 : s == State::Hot ? 1 : 1;
    {
      Canvas c(16, 16);
      if (backdrop > 0) Fill(c, Circle(8, 8, 8), Solid(s == State::Hot ? Hex(0xE7EDF3) : Hex(0xD6DEE7)));
      Fill(c, Segment(4, 8.5, 12, 8.5, 0.8), Solid(s == State::Normal ? kMuted : kSlate));
      Save(c, "common/minbtn" + n + ".png");
    }
    for (const char* name : {"closebtn", "closebtnM_"}) {
      Canvas c(16, 16);
      if (backdrop > 0) Fill(c, Circle(8, 8, 8), Solid(s == State::Hot ? Hex(0xFDE7E7) : Hex(0xF8CFCF)));
      const Color mark = s == State::Normal ? kMuted : Hex(0xE5484D);
      Fill(c, Union(Segment(4.5, 4.5, 11.5, 11.5, 0.8), Segment(11.5, 4.5, 4.5, 11.5, 0.8)), Solid(mark));
      Save(c, std::string("common/") + name + n + ".png");
    }
  }
}

void DialogArt() {
  {
    Canvas c(360, 180);
    Fill(c, RoundRect(-1, -1, 361, 181, 0), Solid(kWhite));
    Fill(c, RoundRect(-1, -1, 361, 36, 0), VerticalGradient(0, 36, Hex(0xF3FAF6), Hex(0xEAF6F0)));
    Fill(c, RoundRect(0, 36, 360, 37, 0), Solid(Hex(0xDDEBE3)));
    Stroke(c, RoundRect(0, 0, 360, 180, 0), 1, Solid(Hex(0xD3E0D9)));
    Save(c, "MessageBoxWnd/bg.png");
  }
  for (State s : {State::Normal, State::Hot, State::Pushed}) {
    const std::string n = std::to_string(static_cast<int>(s) + 1);
    GreenButton("MessageBoxWnd/yesBtn" + n + ".png", 96, 32, 6, s);
    PlainButton("MessageBoxWnd/noBtn" + n + ".png", 96, 32, 6, s);
  }
  auto badge = [](const Color& top, const Color& bottom) {
    Canvas c(40, 40);
    Fill(c, Circle(20, 20, 19.5), VerticalGradient(0, 40, top, bottom));
    return c;
  };
  {
    Canvas c = badge(Hex(0xFFC145), Hex(0xF39C12));
    Fill(c, Segment(20, 10.5, 20, 23, 2.2), Solid(kWhite));
    Fill(c, Circle(20, 29.5, 2.6), Solid(kWhite));
    Save(c, "MessageBoxWnd/warning.png");
  }
  {
    Canvas c = badge(Hex(0x4FA8F5), Hex(0x1E7FD8));
    Fill(c, Circle(20, 11.5, 2.6), Solid(kWhite));
    Fill(c, Segment(20, 18, 20, 29.5, 2.2), Solid(kWhite));
    Save(c, "MessageBoxWnd/info.png");
  }
  {
    Canvas c = badge(kHotTop, kGreenBottom);
    Text(c, "?", 28, true, {0, 0, 40, 40}, 0xFFFFFFFF,
         SkinUI::kTextCenter | SkinUI::kTextVCenter | SkinUI::kTextSingleLine);
    Save(c, "MessageBoxWnd/question.png");
  }
  {
    Canvas c = badge(Hex(0x5AB0F0), Hex(0x2B82D0));
    for (int k = 0; k < 3; ++k) {
      Fill(c, Arc(20, 28, 5.5 + k * 5.5, 2.6, -0.26 * M_PI, 0.26 * M_PI), Solid(Hex(0xFFFFFF, k == 2 ? 0.55 : 1)));
    }
    Fill(c, Circle(20, 28, 2.4), Solid(kWhite));
    Save(c, "MessageBoxWnd/network.png");
  }
}

// The progress animation: a comet arc circling a soft track around the product's sound bars,
// which rise and fall twice per turn. 100 frames, every motion periodic in them, so frame 099
// runs smoothly into frame 000.
void InstallAnimation() {
  for (int frame = 0; frame < 100; ++frame) {
    const double t = frame / 100.0;
    // No backdrop of its own: the progress page's background has the soft glow behind it, and
    // every pixel left transparent keeps the frames small in the package.
    Canvas c(158, 158);
    Fill(c, Ring(79, 79, 62, 6), Solid(Hex(0xDDEFE6)));
    const double head = 2 * M_PI * t;
    const double tail = head - 0.7 * M_PI;
    Fill(c, Arc(79, 79, 62, 6, tail, head), [=](double x, double y) {
      double angle = std::atan2(x - 79, -(y - 79));
      double rel = std::fmod(angle - tail, 2 * M_PI);
      if (rel < 0) rel += 2 * M_PI;
      // Past either end (the round caps) take the colour of the nearer end.
      const double span = head - tail;
      const double along = rel <= span ? rel / span : (rel > span + (2 * M_PI - span) / 2 ? 0.0 : 1.0);
      Color c = Mix(kTeal, kGreenTop, along);
      c.a = 0.15 + 0.85 * along;
      return c;
    });
    for (int i = 0; i < 5; ++i) {
      const double level = 0.5 + 0.5 * std::sin(2 * M_PI * (2 * t) - i * 0.9);
      const double half = 10 + 18 * level;
      const double x = 79 + (i - 2) * 15;
      Fill(c, Segment(x, 79 - half, x, 79 + half, 4.5), Solid(Mix(kTeal, kGreenTop, i / 4.0)));
    }
    char name[64];
    std::snprintf(name, sizeof name, "mainWnd/installBtnAnimate/%03d.png", frame);
    Save(c, name, true);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <skin res folder>\n", argv[0]);
    return 2;
  }
  g_out = argv[1];
  MainBackgrounds();
  Carousel();
  Logo();
  MainControls();
  TitleButtons();
  DialogArt();
  InstallAnimation();
  std::printf("%d images written to %s\n", g_written, g_out.c_str());
  return 0;
}
