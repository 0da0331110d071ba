// The installer's skin as people see it: every page of the main window and every dialog is
// rendered through the headless host and saved under the build folder (ui-screenshots/), and the
// rendered windows are checked for what a person would notice: missing images, missing glyphs,
// overlapping or cut-off controls, texts that don't show.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "ui/button.h"
#include "ui/container.h"
#include "ui/font.h"
#include "ui/label.h"
#include "ui/progress.h"
#include "ui/skin_package.h"
#include "ui_fixtures.h"

namespace {

using SkinUI::CControl;
using SkinUI::Rect;

const char* const kSkinFiles[] = {"mainWnd.xml",       "MessageBox1Wnd.xml",      "MessageBox2Wnd.xml",
                                  "NetworkTipWnd.xml", "InstalledPathTipWnd.xml", "exitTipWnd.xml"};

// Shows the first frame of a frame-sequence label; the animation itself belongs to the window
// that uses it.
class FramePreview : public SkinUI::CLabelControl {
 public:
  void SetAttribute(std::string_view name, std::string_view value) override {
    if (name == "sequencebkimage") {
      std::string file(value);
      const size_t at = file.find("%.3d");
      if (at != std::string::npos) file.replace(at, 4, "000");
      SetBkImage(file);
    } else {
      CLabelControl::SetAttribute(name, value);
    }
  }
};

class SkinWindowUnderTest : public uitest::TestWindow {
 public:
  SkinWindowUnderTest() {
    factory = [](std::string_view name) -> std::unique_ptr<CControl> {
      if (name == "SequenceLabel") return std::make_unique<FramePreview>();
      return nullptr;
    };
  }
};

std::string ScreenshotPath(const std::string& name) {
  std::filesystem::create_directories(LUMETRAVOX_SCREENSHOT_DIR);
  return std::string(LUMETRAVOX_SCREENSHOT_DIR) + "/" + name;
}

bool ShownOnScreen(const CControl* control) {
  for (const CControl* c = control; c; c = c->GetParent()) {
    if (!c->IsVisible()) return false;
  }
  return !control->GetPos().IsEmpty();
}

void ForEachControl(CControl* control, const std::function<void(CControl*)>& visit) {
  visit(control);
  if (!control->IsContainer()) return;
  auto* container = static_cast<SkinUI::CContainer*>(control);
  for (size_t i = 0; i < container->GetCount(); ++i) ForEachControl(container->GetItemAt(i), visit);
}

// What a person would see wrong on the current page.
void CheckLooksFinished(SkinWindowUnderTest& window, SkinUI::HeadlessHost& host, const std::string& what) {
  host.Render();
  const Rect client{0, 0, window.ClientSize().cx, window.ClientSize().cy};
  ForEachControl(window.Root(), [&](CControl* control) {
    if (!ShownOnScreen(control)) return;
    const std::string name = what + " " + control->GetName() + "(" + std::string(control->GetClass()) + ")";
    EXPECT_EQ(control->GetPos().Intersect(client), control->GetPos()) << name << " leaves the window";
    if (control->GetParent()) {
      EXPECT_EQ(control->GetPos().Intersect(control->GetParent()->GetPos()), control->GetPos())
          << name << " leaves its parent";
    }
    if (control->IsContainer() && std::string_view(control->GetClass()) != "TabLayout") {
      auto* container = static_cast<SkinUI::CContainer*>(control);
      for (size_t i = 0; i < container->GetCount(); ++i) {
        for (size_t j = i + 1; j < container->GetCount(); ++j) {
          const CControl* a = container->GetItemAt(i);
          const CControl* b = container->GetItemAt(j);
          if (!ShownOnScreen(a) || !ShownOnScreen(b)) continue;
          EXPECT_TRUE(a->GetPos().Intersect(b->GetPos()).IsEmpty()) << name << ": children overlap";
        }
      }
    }
    auto* label = static_cast<SkinUI::CLabelControl*>(control->GetInterface("Label"));
    if (!label || label->GetText().empty()) return;
    SkinUI::Font* font = label->GetFont();
    for (char32_t c : SkinUI::DecodeUtf8(label->GetText())) {
      if (c < 0x20) continue;  // line breaks
      EXPECT_TRUE(font->Covers(c)) << name << " has no glyph for U+" << std::hex << static_cast<unsigned>(c);
    }
    const Rect area = label->GetPos().Deflate(label->GetTextPadding());
    const SkinUI::Size size = label->MeasureText(label->GetText());
    // Only ink can be cut: the empty space a full-width colon keeps on its right may overhang.
    const SkinUI::Glyph& last = font->GetGlyph(SkinUI::DecodeUtf8(label->GetText()).back());
    const int trailing = std::max(0, last.advance - last.left - last.width);
    EXPECT_LE(size.cx - trailing, area.Width()) << name << " text is cut: " << label->GetText();
    EXPECT_LE(size.cy, area.Height() + 2) << name << " text is cut: " << label->GetText();
    // The text really shows: taking it away changes pixels.
    const SkinUI::Canvas with = window.Pixels();
    const std::string text = label->GetText();
    label->SetText("");
    host.Render();
    size_t changed = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) changed += with.At(x, y) != window.Pixels().At(x, y);
    }
    EXPECT_GT(changed, 20u) << name << " text doesn't show: " << text;
    label->SetText(text);
    host.Render();
  });
}

TEST(SkinArtwork, EveryImageTheMarkupNamesIsInThePackage) {
  SkinUI::SkinPackage* package = SkinUI::SkinPackage::Embedded();
  ASSERT_NE(package, nullptr);
  const std::regex image(R"(res\\[A-Za-z0-9_\\%.]+\.png)");
  std::set<std::string> missing;
  for (const char* file : kSkinFiles) {
    const std::string markup = *package->Find(file);
    for (auto it = std::sregex_iterator(markup.begin(), markup.end(), image); it != std::sregex_iterator(); ++it) {
      std::string name = it->str();
      const size_t pattern = name.find("%.3d");
      for (int frame = 0; frame < (pattern == std::string::npos ? 1 : 100); ++frame) {
        std::string request = name;
        if (pattern != std::string::npos) {
          char number[16];
          std::snprintf(number, sizeof number, "%03d", frame);
          request.replace(pattern, 4, number);
        }
        if (!package->Find(request)) missing.insert(request);
      }
    }
  }
  EXPECT_EQ(missing, (std::set<std::string>{"res\\common\\closebtn4.png", "res\\common\\closebtnM_4.png",
                                            "res\\common\\minbtn4.png"}));
}

// Page changes as the main window makes them: the background, the title strip and the names.
void ShowPage(SkinWindowUnderTest& window, int page) {
  static_cast<SkinUI::CTabLayout*>(window.LookupControl("mainTabLt"))->SelectItem(page);
  const char* backgrounds[] = {"res\\mainWnd\\bg1.png", "res\\mainWnd\\bg2.png", "res\\mainWnd\\bg3.png",
                               "res\\mainWnd\\bg4.png"};
  window.LookupControl("winCtn")->SetBkImage(backgrounds[page]);
  static_cast<SkinUI::CTabLayout*>(window.LookupControl("titleTabLt"))->SelectItem(page == 3 ? 2 : page == 1 ? 1 : 0);
  window.LookupControl("titleGrpCtn")->SetVisible(page != 2);
}

TEST(SkinScreenshots, MainWindowPages) {
  SkinWindowUnderTest window;
  ASSERT_TRUE(window.LoadSkin(*SkinUI::SkinPackage::Embedded(), "MainWnd.xml")) << window.LastError();
  SkinUI::HeadlessHost host(window);
  host.Show();
  EXPECT_EQ(window.ClientSize().cx, 600);
  EXPECT_EQ(window.ClientSize().cy, 400);
  // What the window does once it is ready: the product name at its measured width.
  auto* name = static_cast<SkinUI::CLabelControl*>(window.LookupControl("bTitleLbl3"));
  name->SetFixedWidth(name->MeasureText("澜音工坊").cx);
  name->SetText("澜音工坊");
  window.LookupControl("installDirEdit")->SetText("/opt/VemraSoft/lumetravox");
  static_cast<SkinUI::CLabelControl*>(window.LookupControl("progressLb"))->SetText("正在安装中:42%，请稍候...");

  for (int page = 0; page < 4; ++page) {
    ShowPage(window, page);
    if (page == 2) static_cast<SkinUI::CProgressControl*>(window.LookupControl("installPrg"))->SetValue(42);
    CheckLooksFinished(window, host, "page " + std::to_string(page));
    EXPECT_TRUE(host.SaveScreenshot(ScreenshotPath("mainWnd-page" + std::to_string(page) + ".png")));
  }
  // The primary button's hot and pushed looks, and the custom page's edit with its caret.
  ShowPage(window, 0);
  host.Render();
  const SkinUI::Rect install = window.LookupControl("defaultInstallBtn")->GetPos();
  host.MouseMove(install.left + 20, install.top + 20);
  EXPECT_TRUE(host.SaveScreenshot(ScreenshotPath("mainWnd-page0-hot.png")));
  host.MouseDown(install.left + 20, install.top + 20);
  EXPECT_TRUE(host.SaveScreenshot(ScreenshotPath("mainWnd-page0-pushed.png")));
  host.MouseMove(5, 390);
  host.MouseUp(5, 390);
  ShowPage(window, 1);
  EXPECT_TRUE(host.Click("installDirEdit"));
  EXPECT_TRUE(host.SaveScreenshot(ScreenshotPath("mainWnd-page1-editing.png")));
}

TEST(SkinScreenshots, Dialogs) {
  struct Case {
    const char* file;
    const char* caption;  // set by the caller for the two message boxes
    const char* text;
    std::vector<const char*> buttons;
  } cases[] = {
      {"MessageBox1Wnd.xml", "提示", "澜音工坊正在运行，请先关闭后再安装。", {"closebtn"}},
      {"MessageBox2Wnd.xml", "安装失败", "磁盘剩余空间不足。\n请清理磁盘或更换安装位置后重试。", {"closebtn"}},
      {"InstalledPathTipWnd.xml", nullptr, nullptr, {"okBtn", "cancelBtn", "closebtn"}},
      {"NetworkTipWnd.xml", nullptr, nullptr, {"okBtn", "cancelBtn", "closebtn"}},
      {"ExitTipWnd.xml", nullptr, nullptr, {"okBtn", "cancelBtn", "closebtn"}},
  };
  for (const Case& c : cases) {
    SkinWindowUnderTest window;
    ASSERT_TRUE(window.LoadSkin(*SkinUI::SkinPackage::Embedded(), c.file)) << c.file << window.LastError();
    SkinUI::HeadlessHost host(window);
    host.Show();
    EXPECT_EQ(window.ClientSize().cx, 360) << c.file;
    EXPECT_EQ(window.ClientSize().cy, 180) << c.file;
    EXPECT_NE(window.GetCustomAttribute("showshadow"), nullptr) << c.file;
    EXPECT_GT(window.CaptionBand().bottom, 0) << c.file;
    EXPECT_GT(window.RoundCorner().cx, 0) << c.file;
    if (c.caption) window.LookupControl("captionLbl")->SetText(c.caption);
    if (c.text) window.LookupControl("textLbl")->SetText(c.text);
    for (const char* button : c.buttons) EXPECT_NE(window.LookupControl(button), nullptr) << c.file << " " << button;
    if (c.buttons.size() == 1) {
      EXPECT_EQ(window.LookupControl("okBtn"), nullptr) << c.file;
      EXPECT_EQ(window.LookupControl("cancelBtn"), nullptr) << c.file;
    }
    EXPECT_FALSE(window.LookupControl("captionLbl")->GetText().empty()) << c.file;
    EXPECT_FALSE(window.LookupControl("textLbl")->GetText().empty()) << c.file;
    CheckLooksFinished(window, host, c.file);
    std::string shot = c.file;
    shot.replace(shot.find(".xml"), 4, ".png");
    EXPECT_TRUE(host.SaveScreenshot(ScreenshotPath(shot))) << c.file;
  }
}

}  // namespace
