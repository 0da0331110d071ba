#include <gtest/gtest.h>

#include <thread>

#include "ui/button.h"
#include "ui/edit.h"
#include "ui_fixtures.h"

namespace {

using SkinUI::Key;
using uitest::Markup;
using uitest::TestWindow;

constexpr uint32_t kNormal = 0xFF0000FF, kHot = 0xFF00FF00, kPushed = 0xFFFF0000, kDisabled = 0xFF808080;
constexpr uint32_t kSelected = 0xFFFFFF00;

class ControlsTest : public ::testing::Test {
 protected:
  void Load(const std::string& body, int w = 200, int h = 40) {
    window_.images["n.png"] = uitest::SolidPng(4, 4, kNormal);
    window_.images["h.png"] = uitest::SolidPng(4, 4, kHot);
    window_.images["p.png"] = uitest::SolidPng(4, 4, kPushed);
    window_.images["d.png"] = uitest::SolidPng(4, 4, kDisabled);
    window_.images["s.png"] = uitest::SolidPng(4, 4, kSelected);
    ASSERT_TRUE(window_.LoadMarkup(Markup(w, h, body, "caption=\"0,0,0,20\" roundcorner=\"6,6\"")))
        << window_.LastError();
    host_.Show();
    window_.seen.clear();
  }
  uint32_t PixelAt(int x, int y) {
    host_.Render();
    return window_.Pixels().At(x, y);
  }
  TestWindow window_;
  SkinUI::HeadlessHost host_{window_};
};

TEST_F(ControlsTest, ButtonShowsItsStatesAndClicksOnReleaseOverItself) {
  Load(
      "<HorizontalLayout><Button name=\"b\" width=\"100\" normalimage=\"n.png\" hotimage=\"h.png\" "
      "pushedimage=\"p.png\" "
      "disabledimage=\"d.png\" /><Control /></HorizontalLayout>");
  EXPECT_EQ(PixelAt(50, 20), kNormal);
  host_.MouseMove(50, 20);
  EXPECT_EQ(PixelAt(50, 20), kHot);
  host_.MouseDown(50, 20);
  EXPECT_EQ(PixelAt(50, 20), kPushed);
  host_.MouseMove(150, 20);  // dragged off while held: no longer pushed
  EXPECT_NE(PixelAt(50, 20), kPushed);
  host_.MouseUp(150, 20);
  EXPECT_EQ(PixelAt(50, 20), kNormal);
  EXPECT_TRUE(window_.Types().empty());  // released elsewhere: no click

  host_.MouseDown(50, 20);
  host_.MouseMove(150, 20);
  host_.MouseMove(60, 20);  // and back before release
  host_.MouseUp(60, 20);
  EXPECT_EQ(window_.Types(), (std::vector<std::string>{"click"}));
  EXPECT_EQ(window_.seen.back().sender, "b");

  window_.LookupControl("b")->SetEnabled(false);
  EXPECT_EQ(PixelAt(50, 20), kDisabled);
  host_.Click(50, 20);
  EXPECT_EQ(window_.Types().size(), 1u);  // a disabled button doesn't click
}

TEST_F(ControlsTest, MissingStateImagesFallBackToTheNormalImage) {
  Load(
      "<HorizontalLayout><Button name=\"b\" width=\"100\" normalimage=\"n.png\" hotimage=\"missing.png\" "
      "disabledimage=\"res\\common\\closebtn4.png\" /></HorizontalLayout>");
  host_.MouseMove(50, 20);
  EXPECT_EQ(PixelAt(50, 20), kNormal);
  host_.MouseDown(50, 20);
  EXPECT_EQ(PixelAt(50, 20), kNormal);  // no pushed image at all
  host_.MouseUp(50, 20);
  window_.LookupControl("b")->SetEnabled(false);
  EXPECT_EQ(PixelAt(50, 20), kNormal);
}

TEST_F(ControlsTest, ButtonTextTakesTheStateColours) {
  Load(
      "<HorizontalLayout><Button name=\"b\" width=\"100\" text=\"工\" textcolor=\"#FF0000FF\" "
      "hottextcolor=\"#FF00FF00\" pushedtextcolor=\"#FFFF0000\" /></HorizontalLayout>");
  auto inkColor = [this] {
    host_.Render();
    // The darkest-ink pixel of the glyph carries the text colour at full coverage.
    uint32_t best = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 100; ++x) {
        const uint32_t p = window_.Pixels().At(x, y);
        if ((p >> 24) == 255) best = p;
      }
    }
    return best;
  };
  EXPECT_EQ(inkColor(), 0xFF0000FFu);
  host_.MouseMove(50, 20);
  EXPECT_EQ(inkColor(), 0xFF00FF00u);
  host_.MouseDown(50, 20);
  EXPECT_EQ(inkColor(), 0xFFFF0000u);
}

TEST_F(ControlsTest, CheckBoxTogglesAndReportsClickThenSelectChanged) {
  Load(
      "<HorizontalLayout><CheckBox name=\"c\" width=\"100\" normalimage=\"n.png\" hotimage=\"h.png\" "
      "pushedimage=\"p.png\" selectedimage=\"s.png\" /><Control /></HorizontalLayout>");
  auto* check = static_cast<SkinUI::CCheckBoxControl*>(window_.LookupControl("c"));
  EXPECT_FALSE(check->IsSelected());
  host_.MouseMove(50, 20);
  host_.MouseDown(50, 20);
  EXPECT_EQ(PixelAt(50, 20), kHot);  // an unselected check box never shows its pushed image
  host_.MouseUp(50, 20);
  EXPECT_TRUE(check->IsSelected());
  EXPECT_EQ(PixelAt(50, 20), kSelected);
  EXPECT_EQ(window_.Types(), (std::vector<std::string>{"click", "selectchanged"}));

  window_.seen.clear();
  check->Selected(true);  // no change, no notification
  EXPECT_TRUE(window_.seen.empty());
  check->Selected(false, false);
  EXPECT_TRUE(window_.seen.empty());
  check->Selected(true);
  EXPECT_EQ(window_.Types(), (std::vector<std::string>{"selectchanged"}));
  host_.Click(50, 20);
  EXPECT_FALSE(check->IsSelected());
}

TEST_F(ControlsTest, EditTakesTypingInputMethodTextAndEditingKeys) {
  Load(
      "<HorizontalLayout><Edit name=\"e\" width=\"150\" text=\"C:\\Program\" textpadding=\"9,0,9,3\" />"
      "<Button name=\"other\" /></HorizontalLayout>");
  auto* edit = static_cast<SkinUI::CEditControl*>(window_.LookupControl("e"));
  host_.Click(140, 20);
  EXPECT_TRUE(edit->IsFocused());
  EXPECT_EQ(edit->GetCaret(), 10u);  // clicked past the end
  host_.TypeText(" Files");
  EXPECT_EQ(edit->GetText(), "C:\\Program Files");
  host_.KeyDown(Key::Home);
  host_.TypeText("澜音");  // committed by an input method
  EXPECT_EQ(edit->GetText(), "澜音C:\\Program Files");
  EXPECT_EQ(edit->GetCaret(), 2u);
  host_.KeyDown(Key::Backspace);
  host_.KeyDown(Key::Delete);
  EXPECT_EQ(edit->GetText(), "澜:\\Program Files");
  host_.KeyDown(Key::End);
  host_.KeyDown(Key::Left);
  host_.KeyDown(Key::Left);
  host_.KeyDown(Key::Backspace);
  EXPECT_EQ(edit->GetText(), "澜:\\Program Fies");
  host_.KeyDown(Key::Right);
  host_.KeyDown(Key::Right);
  host_.KeyDown(Key::Right);   // stops at the end
  host_.KeyDown(Key::Delete);  // nothing after the caret
  host_.SetClipboardText("\\x\r\ny");
  host_.KeyDown(Key::Character, SkinUI::kModCtrl, U'v');
  EXPECT_EQ(edit->GetText(), "澜:\\Program Fies\\xy");  // pasted as one line
  const std::vector<std::string> types = window_.Types();
  const size_t changes = std::count(types.begin(), types.end(), "textchanged");
  EXPECT_EQ(changes, 6u);
  host_.KeyDown(Key::Return);
  EXPECT_EQ(window_.Types().back(), "return");
  EXPECT_EQ(window_.seen.back().sender, "e");

  edit->SetText("D:\\Games");
  EXPECT_EQ(edit->GetCaret(), 8u);
  host_.Click("other");
  EXPECT_FALSE(edit->IsFocused());
  host_.TypeText("zzz");
  EXPECT_EQ(edit->GetText(), "D:\\Games");
}

TEST_F(ControlsTest, EditShowsACaretOnlyWhileFocused) {
  Load(
      "<HorizontalLayout bkcolor=\"#FFFFFFFF\"><Edit name=\"e\" width=\"150\" textcolor=\"#FF000000\" "
      "textpadding=\"9,0,9,3\" /><Control /></HorizontalLayout>");
  auto column = [this](int x) {
    host_.Render();
    int dark = 0;
    for (int y = 0; y < 40; ++y) dark += window_.Pixels().At(x, y) == 0xFF000000;
    return dark;
  };
  EXPECT_EQ(column(9), 0);
  host_.Click(50, 20);
  EXPECT_GT(column(9), 10);
  host_.Click(180, 20);
  EXPECT_EQ(column(9), 0);
}

TEST_F(ControlsTest, TimersTickOnTheirControlAndReachTheWindow) {
  Load("<HorizontalLayout><Label name=\"a\" /><Label name=\"b\" /></HorizontalLayout>");
  SkinUI::CControl* a = window_.LookupControl("a");
  SkinUI::CControl* b = window_.LookupControl("b");
  EXPECT_TRUE(window_.StartControlTimer(a, 2100, 30));
  EXPECT_TRUE(window_.StartControlTimer(b, 5, 100));
  host_.Advance(29);
  EXPECT_TRUE(window_.seen.empty());
  host_.Advance(281);  // to 310 ms
  int ticksA = 0, ticksB = 0;
  for (const auto& s : window_.seen) {
    EXPECT_EQ(s.type, "timer");
    if (s.sender == "a") {
      EXPECT_EQ(s.wParam, 2100);
      ++ticksA;
    } else {
      EXPECT_EQ(s.wParam, 5);
      ++ticksB;
    }
  }
  EXPECT_EQ(ticksA, 10);
  EXPECT_EQ(ticksB, 3);

  window_.seen.clear();
  EXPECT_TRUE(window_.StartControlTimer(a, 2100, 200));  // restart with a new interval
  EXPECT_TRUE(window_.StopControlTimer(b, 5));
  EXPECT_FALSE(window_.StopControlTimer(b, 5));
  host_.Advance(399);
  EXPECT_EQ(window_.seen.size(), 1u);
  EXPECT_TRUE(window_.StopControlTimer(a, 2100));
  host_.Advance(1000);
  EXPECT_EQ(window_.seen.size(), 1u);
  EXPECT_FALSE(window_.NextTimerDue().has_value());

  // Intervals are kept within what the system's timers accept: at least 10 ms, at most 0x7FFFFFFF.
  window_.StartControlTimer(a, 1, 0);
  EXPECT_EQ(*window_.NextTimerDue(), host_.Now() + 10);
  window_.StartControlTimer(a, 1, 0xFFFFFFFF);
  EXPECT_EQ(*window_.NextTimerDue(), host_.Now() + 0x7FFFFFFFu);
}

TEST_F(ControlsTest, WindowInitIsSentOnceAtTheFirstPaint) {
  TestWindow window;
  ASSERT_TRUE(window.LoadMarkup(Markup(50, 50, "<VerticalLayout name=\"root\" />")));
  EXPECT_TRUE(window.seen.empty());
  SkinUI::HeadlessHost host(window);
  host.Show();
  host.Render();
  window.LookupControl("root")->Invalidate();
  host.Render();
  ASSERT_EQ(window.seen.size(), 1u);
  EXPECT_EQ(window.seen[0].type, "windowinit");
  EXPECT_EQ(window.seen[0].sender, "root");
}

TEST_F(ControlsTest, BuiltInNamesCloseAndMinimise) {
  Load(
      "<HorizontalLayout><Button name=\"minbtn\" width=\"20\" /><Button name=\"closebtn\" width=\"20\" />"
      "<Button name=\"ok\" width=\"20\" /></HorizontalLayout>");
  EXPECT_TRUE(host_.Click("ok"));
  EXPECT_FALSE(host_.IsClosed());
  EXPECT_TRUE(host_.Click("minbtn"));
  EXPECT_TRUE(host_.IsMinimized());
  EXPECT_FALSE(host_.IsClosed());
  EXPECT_TRUE(host_.Click("closebtn"));
  EXPECT_TRUE(host_.IsClosed());
  EXPECT_FALSE(host_.Click("nosuchbutton"));
}

TEST_F(ControlsTest, HiddenControlsCanNotBeClicked) {
  Load(
      "<HorizontalLayout><VerticalLayout name=\"group\"><Button name=\"inner\" /></VerticalLayout>"
      "<Button name=\"hidden\" visible=\"false\" /></HorizontalLayout>");
  EXPECT_FALSE(host_.Click("hidden"));
  window_.LookupControl("group")->SetVisible(false);
  EXPECT_FALSE(host_.Click("inner"));
  EXPECT_TRUE(window_.Types().empty());
}

TEST_F(ControlsTest, PostedMessagesAndNotificationsArriveOnTheWindowThread) {
  Load("<HorizontalLayout><Label name=\"a\" /></HorizontalLayout>");
  const std::thread::id windowThread = std::this_thread::get_id();
  std::thread worker([this] {
    for (int i = 0; i < 50; ++i) window_.PostMessage(0x7E8, i);
    window_.PostNotify(window_.Root(), "checknet", 1, 2);
  });
  worker.join();
  EXPECT_TRUE(window_.messages.empty());  // nothing runs on the worker
  host_.Render();
  ASSERT_EQ(window_.messages.size(), 50u);
  EXPECT_EQ(window_.messages[0], 0x7E8u);
  ASSERT_EQ(window_.Types(), (std::vector<std::string>{"checknet"}));
  EXPECT_EQ(window_.seen.back().wParam, 1);
  EXPECT_EQ(std::this_thread::get_id(), windowThread);
  EXPECT_EQ(window_.DispatchPosted(), 0u);
}

TEST_F(ControlsTest, CaptionBandAndRoundedShape) {
  Load(
      "<VerticalLayout><HorizontalLayout height=\"20\"><Label name=\"title\" /><Button name=\"x\" width=\"20\" />"
      "</HorizontalLayout><Control /></VerticalLayout>");
  EXPECT_TRUE(window_.IsCaptionAt({50, 10}));    // over a label: drags
  EXPECT_FALSE(window_.IsCaptionAt({190, 10}));  // over a button: clicks
  EXPECT_FALSE(window_.IsCaptionAt({50, 25}));   // below the band
  EXPECT_FALSE(window_.IsInsideRegion({0, 0}));  // cut by the 6 × 6 corner
  EXPECT_TRUE(window_.IsInsideRegion({3, 0}));
  EXPECT_TRUE(window_.IsInsideRegion({100, 20}));
  EXPECT_EQ(host_.Frame().At(0, 0), 0u);
}

TEST_F(ControlsTest, DestroyedControlsLeaveNoTimersOrFocusBehind) {
  Load("<HorizontalLayout><Edit name=\"e\" /></HorizontalLayout>");
  host_.Click("e");
  window_.StartControlTimer(window_.LookupControl("e"), 1, 10);
  window_.PostNotify(window_.LookupControl("e"), "late");
  ASSERT_TRUE(window_.LoadMarkup(Markup(100, 40, "<HorizontalLayout />")));  // replaces the tree
  EXPECT_EQ(window_.GetFocus(), nullptr);
  EXPECT_FALSE(window_.NextTimerDue().has_value());
  window_.seen.clear();
  host_.Advance(100);
  host_.Render();
  EXPECT_TRUE(window_.Types().empty());
}

}  // namespace
