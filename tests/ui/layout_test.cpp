#include <gtest/gtest.h>

#include "ui/container.h"
#include "ui/progress.h"
#include "ui/skin_package.h"
#include "ui_fixtures.h"

namespace {

using SkinUI::Rect;
using uitest::Markup;
using uitest::TestWindow;

// Builds the markup, lays it out at its size and returns the window.
std::unique_ptr<TestWindow> LaidOut(int w, int h, const std::string& body) {
  auto window = std::make_unique<TestWindow>();
  EXPECT_TRUE(window->LoadMarkup(Markup(w, h, body))) << window->LastError();
  window->Paint();
  return window;
}

TEST(BoxLayout, SharesTheRestAmongStretchableChildren) {
  struct Case {
    const char* what;
    int width;
    std::string children;
    std::vector<Rect> expected;  // positions of a, b, c
  } cases[] = {
      {"spacer between fixed",
       480,
       "<Control name=\"a\" width=\"10\" /><Control name=\"b\" /><Control name=\"c\" width=\"56\" />",
       {{0, 0, 10, 30}, {10, 0, 424, 30}, {424, 0, 480, 30}}},
      {"remainder to the last",
       100,
       "<Control name=\"a\" /><Control name=\"b\" /><Control name=\"c\" />",
       {{0, 0, 33, 30}, {33, 0, 66, 30}, {66, 0, 100, 30}}},
      {"margins",
       100,
       "<Control name=\"a\" width=\"10\" padding=\"5,2,5,3\" /><Control name=\"b\" padding=\"1,0,1,0\" /><Control "
       "name=\"c\" width=\"20\" />",
       {{5, 2, 15, 27}, {21, 0, 79, 30}, {80, 0, 100, 30}}},
      {"hidden take no space",
       100,
       "<Control name=\"a\" /><Control name=\"b\" width=\"40\" visible=\"false\" /><Control name=\"c\" />",
       {{0, 0, 50, 30}, {0, 0, 0, 0}, {50, 0, 100, 30}}},
      {"too little room",
       50,
       "<Control name=\"a\" width=\"40\" /><Control name=\"b\" /><Control name=\"c\" width=\"30\" />",
       {{0, 0, 40, 30}, {40, 0, 40, 30}, {40, 0, 70, 30}}},
      {"fixed height capped to the row",
       100,
       "<Control name=\"a\" width=\"10\" height=\"10\" /><Control name=\"b\" height=\"80\" /><Control name=\"c\" "
       "width=\"10\" padding=\"0,4,0,4\" height=\"80\" />",
       {{0, 0, 10, 10}, {10, 0, 90, 30}, {90, 4, 100, 26}}},
  };
  for (const Case& c : cases) {
    auto window = LaidOut(c.width, 30, "<HorizontalLayout>" + c.children + "</HorizontalLayout>");
    const char* names[] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(window->LookupControl(names[i])->GetPos(), c.expected[i]) << c.what << " " << names[i];
    }
  }
}

TEST(BoxLayout, VerticalStacksWithTheAxesExchanged) {
  auto window = LaidOut(80, 200,
                        "<VerticalLayout><Control name=\"a\" pos=\"0,0,0,54\" height=\"54\" />"
                        "<Control name=\"b\" /><Control name=\"c\" height=\"20\" width=\"30\" padding=\"4,0,0,0\" />"
                        "</VerticalLayout>");
  EXPECT_EQ(window->LookupControl("a")->GetPos(), (Rect{0, 0, 80, 54}));
  EXPECT_EQ(window->LookupControl("b")->GetPos(), (Rect{0, 54, 80, 180}));
  EXPECT_EQ(window->LookupControl("c")->GetPos(), (Rect{4, 180, 34, 200}));
}

TEST(BoxLayout, ShowingAChildLaysOutAgain) {
  auto window = LaidOut(100, 30,
                        "<HorizontalLayout><Control name=\"a\" /><Control name=\"b\" width=\"40\" visible=\"false\" />"
                        "</HorizontalLayout>");
  EXPECT_EQ(window->LookupControl("a")->GetPos().Width(), 100);
  window->LookupControl("b")->SetVisible(true);
  window->Paint();
  EXPECT_EQ(window->LookupControl("a")->GetPos().Width(), 60);
  EXPECT_EQ(window->LookupControl("b")->GetPos(), (Rect{60, 0, 100, 30}));
  window->LookupControl("b")->SetFixedWidth(10);
  window->Paint();
  EXPECT_EQ(window->LookupControl("a")->GetPos().Width(), 90);
}

TEST(TabLayout, ShowsOnePageAndReportsChanges) {
  auto window =
      LaidOut(100, 50,
              "<TabLayout name=\"tabs\"><Control name=\"p0\" /><Control name=\"p1\" />"
              "<VerticalLayout name=\"p2\"><Control name=\"inner\" height=\"10\" /></VerticalLayout></TabLayout>");
  auto* tabs = static_cast<SkinUI::CTabLayout*>(window->LookupControl("tabs"));
  EXPECT_EQ(tabs->GetCurSel(), 0);
  EXPECT_TRUE(window->LookupControl("p0")->IsVisible());
  EXPECT_FALSE(window->LookupControl("p1")->IsVisible());
  EXPECT_EQ(window->LookupControl("p0")->GetPos(), (Rect{0, 0, 100, 50}));

  window->seen.clear();
  EXPECT_TRUE(tabs->SelectItem(2));
  window->Paint();
  EXPECT_EQ(tabs->GetCurSel(), 2);
  EXPECT_FALSE(window->LookupControl("p0")->IsVisible());
  EXPECT_TRUE(window->LookupControl("p2")->IsVisible());
  EXPECT_EQ(window->LookupControl("p2")->GetPos(), (Rect{0, 0, 100, 50}));
  EXPECT_EQ(window->LookupControl("inner")->GetPos(), (Rect{0, 0, 100, 10}));
  ASSERT_EQ(window->seen.size(), 1u);
  EXPECT_EQ(window->seen[0].type, "tabselect");
  EXPECT_EQ(window->seen[0].sender, "tabs");
  EXPECT_EQ(window->seen[0].wParam, 2);
  EXPECT_EQ(window->seen[0].lParam, 0);

  EXPECT_TRUE(tabs->SelectItem(2));  // the current page: nothing happens
  EXPECT_FALSE(tabs->SelectItem(3));
  EXPECT_FALSE(tabs->SelectItem(-1));
  EXPECT_TRUE(tabs->SelectItem(1, false));
  EXPECT_EQ(window->seen.size(), 1u);
  EXPECT_EQ(tabs->GetCurSel(), 1);
}

// The installer's own window, as the package carries it.
TEST(MainWindowLayout, PlacesTheControlsWhereTheDesignSays) {
  TestWindow window;
  SkinUI::SkinPackage* package = SkinUI::SkinPackage::Embedded();
  ASSERT_NE(package, nullptr);
  ASSERT_TRUE(window.LoadSkin(*package, "MainWnd.xml")) << window.LastError();
  SkinUI::HeadlessHost host(window);
  host.Show();
  EXPECT_EQ(window.ClientSize().cx, 600);
  EXPECT_EQ(window.ClientSize().cy, 400);
  EXPECT_EQ(window.LookupControl("closebtn")->GetPos(), (Rect{570, 17, 586, 33}));
  EXPECT_EQ(window.LookupControl("minbtn")->GetPos(), (Rect{542, 17, 558, 33}));
  EXPECT_EQ(window.LookupControl("mainTabLt")->GetPos(), (Rect{0, 46, 600, 399}));
  EXPECT_EQ(window.LookupControl("defaultInstallBtn")->GetPos(), (Rect{183, 236, 417, 286}));
  EXPECT_EQ(window.LookupControl("customeBtn")->GetPos(), (Rect{492, 361, 580, 379}));

  auto* pages = static_cast<SkinUI::CTabLayout*>(window.LookupControl("mainTabLt"));
  pages->SelectItem(1);
  host.Render();
  EXPECT_EQ(window.LookupControl("installDirEdit")->GetPos(), (Rect{128, 171, 468, 211}));
  EXPECT_EQ(window.LookupControl("chDirBtn")->GetPos(), (Rect{478, 171, 558, 211}));
  pages->SelectItem(2);
  host.Render();
  auto* progress = static_cast<SkinUI::CProgressControl*>(window.LookupControl("installPrg"));
  EXPECT_EQ(progress->GetPos(), (Rect{95, 313, 505, 321}));
  progress->SetValue(50);
  EXPECT_EQ(progress->FilledWidth(), 205);
}

}  // namespace
