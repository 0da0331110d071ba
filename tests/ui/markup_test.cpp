#include <gtest/gtest.h>

#include "ui/attribute_values.h"
#include "ui/button.h"
#include "ui/container.h"
#include "ui/label.h"
#include "ui/markup_builder.h"
#include "ui/skin_package.h"
#include "ui_fixtures.h"

namespace {

using SkinUI::Rect;
using uitest::Markup;
using uitest::TestWindow;

TEST(AttributeValues, ReadsColoursRectanglesAndBooleans) {
  struct ColorCase {
    const char* text;
    uint32_t value;
  } colors[] = {
      {"#FF303F56", 0xFF303F56},
      {"0xFF1675FE", 0xFF1675FE},
      {"0XFFFFFFFF", 0xFFFFFFFF},
      {"FF112233", 0xFF112233},
      {"#26003B76", 0x26003B76},
      {"#00000000", 0},
      {"", 0},
      {"#zz", 0},
  };
  for (const ColorCase& c : colors) EXPECT_EQ(SkinUI::ParseColor(c.text), c.value) << c.text;

  struct RectCase {
    const char* text;
    Rect value;
  } rects[] = {
      {"9,0,9,3", {9, 0, 9, 3}}, {"0,0,0,15", {0, 0, 0, 15}},       {"1,2", {1, 2, 0, 0}},
      {"", {0, 0, 0, 0}},        {"10 20 30 40", {10, 20, 30, 40}}, {"-5,2,-1,4", {-5, 2, -1, 4}},
  };
  for (const RectCase& c : rects) EXPECT_EQ(SkinUI::ParseRect(c.text), c.value) << c.text;

  EXPECT_TRUE(SkinUI::ParseBool("true"));
  for (const char* text : {"True", "TRUE", "1", "yes", ""}) EXPECT_FALSE(SkinUI::ParseBool(text)) << text;
}

TEST(MarkupAttributes, AlignmentFollowsTheContainsRules) {
  using namespace SkinUI;
  struct Case {
    const char* element;
    const char* attributes;
    unsigned horizontal;
    unsigned vertical;
  } cases[] = {
      {"Label", "", kTextLeft, kTextVCenter},
      {"Button", "", kTextCenter, kTextVCenter},
      {"Button", "align=\"left\"", kTextLeft, kTextVCenter},
      {"Label", "align=\"center\"", kTextCenter, kTextVCenter},
      {"Label", "valign=\"center\"", kTextLeft, kTextVCenter},  // "center" is not a vertical alignment
      {"Label", "valign=\"top\"", kTextLeft, kTextTop},
      {"Label", "valign=\"bottom\"", kTextLeft, kTextBottom},
      {"Label", "align=\"left right\"", kTextRight, kTextVCenter},   // the last match wins
      {"Label", "valign=\"top vcenter\"", kTextLeft, kTextVCenter},  // tested in order
      {"Label", "align=\"middle\"", kTextLeft, kTextVCenter},
  };
  for (const Case& c : cases) {
    TestWindow window;
    const std::string body = std::string("<") + c.element + " name=\"x\" " + c.attributes + " />";
    ASSERT_TRUE(window.LoadMarkup(Markup(100, 20, body))) << body;
    auto* label = static_cast<CLabelControl*>(window.LookupControl("x"));
    EXPECT_EQ(label->GetTextStyle() & kTextHorizontalMask, c.horizontal) << body;
    EXPECT_EQ(label->GetTextStyle() & kTextVerticalMask, c.vertical) << body;
  }
}

TEST(MarkupAttributes, ApplyInDocumentOrder) {
  struct Case {
    const char* attributes;
    int width;
    int height;
  } cases[] = {
      {"width=\"30\" pos=\"0,0,10,15\"", 10, 15},
      {"pos=\"0,0,10,15\" width=\"30\"", 30, 15},
      {"pos=\"0,0,0,54\" height=\"54\"", 0, 54},
      {"height=\"20\" pos=\"0,0,0,54\"", 0, 54},
  };
  for (const Case& c : cases) {
    TestWindow window;
    ASSERT_TRUE(window.LoadMarkup(Markup(100, 100, std::string("<Control name=\"x\" ") + c.attributes + " />")));
    const SkinUI::CControl* control = window.LookupControl("x");
    EXPECT_EQ(control->GetFixedWidth(), c.width) << c.attributes;
    EXPECT_EQ(control->GetFixedHeight(), c.height) << c.attributes;
  }
}

TEST(MarkupAttributes, VisibleIsTrueOnlyForExactTrue) {
  TestWindow window;
  ASSERT_TRUE(
      window.LoadMarkup(Markup(100, 100,
                               "<VerticalLayout><Control name=\"a\" visible=\"True\" />"
                               "<Control name=\"b\" visible=\"true\" /><Control name=\"c\" /></VerticalLayout>")));
  EXPECT_FALSE(window.LookupControl("a")->IsVisible());
  EXPECT_TRUE(window.LookupControl("b")->IsVisible());
  EXPECT_TRUE(window.LookupControl("c")->IsVisible());
}

TEST(MarkupWindow, ReadsToolkitAttributesAndKeepsTheRestAsCustom) {
  TestWindow window;
  ASSERT_TRUE(window.LoadMarkup(
      "<Window SIZE=\"600,400\" caption=\"0,0,0,35\" RoundCorner=\"2,2\" showshadow=\"true\" shadowsize=\"6\" "
      "shadowcolor=\"#26003B76\" empty=\"\">"
      "<Font id=\"1\" name=\"微软雅黑\" size=\"18\" bold=\"TRUE\" />"
      "<Font id=\"-1\" name=\"Ignored\" size=\"30\" />"
      "<Font id=\"2\" size=\"30\" />"
      "<Font id=\"3\" name=\"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\" size=\"12\" default=\"True\" />"
      "<VerticalLayout name=\"root\" /></Window>"));
  EXPECT_EQ(window.InitialSize().cx, 600);
  EXPECT_EQ(window.InitialSize().cy, 400);
  EXPECT_EQ(window.CaptionBand(), (Rect{0, 0, 0, 35}));
  EXPECT_EQ(window.RoundCorner().cx, 2);
  ASSERT_NE(window.GetCustomAttribute("showshadow"), nullptr);
  EXPECT_EQ(*window.GetCustomAttribute("showshadow"), "true");
  EXPECT_EQ(*window.GetCustomAttribute("shadowcolor"), "#26003B76");
  EXPECT_EQ(window.GetCustomAttribute("size"), nullptr);
  EXPECT_EQ(window.GetCustomAttribute("empty"), nullptr);  // a custom attribute needs a value

  EXPECT_EQ(window.GetFont(1)->Description().size, 18);
  EXPECT_TRUE(window.GetFont(1)->Description().bold);
  // A font without a name or with a negative id is ignored; unknown ids fall back to the default,
  // here font 3 (whose face name was cut to 31 characters).
  EXPECT_EQ(window.GetFont(2)->Description().size, 12);
  EXPECT_EQ(window.GetFont(-1)->Description().size, 12);
  EXPECT_EQ(window.GetFont(3)->Description().face, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");
}

TEST(MarkupElements, UnknownElementsAreOfferedToTheFactory) {
  TestWindow window;
  window.factory = [](std::string_view name) -> std::unique_ptr<SkinUI::CControl> {
    if (name == "SequenceLabel") return std::make_unique<SkinUI::CLabelControl>();
    return nullptr;
  };
  ASSERT_TRUE(window.LoadMarkup(Markup(200, 100,
                                       "<HorizontalLayout name=\"row\">"
                                       "<SequenceLabel name=\"anim\" width=\"50\" sequencecount=\"100\" />"
                                       "<Gadget name=\"gadget\"><Label name=\"inside\" /></Gadget>"
                                       "<Button name=\"after\" width=\"20\" />"
                                       "</HorizontalLayout>")));
  EXPECT_EQ(window.offered, (std::vector<std::string>{"SequenceLabel", "Gadget"}));
  ASSERT_NE(window.LookupControl("anim"), nullptr);
  EXPECT_EQ(window.LookupControl("anim")->GetFixedWidth(), 50);
  // A declined element is left out with everything inside it; its siblings stay.
  EXPECT_EQ(window.LookupControl("gadget"), nullptr);
  EXPECT_EQ(window.LookupControl("inside"), nullptr);
  EXPECT_NE(window.LookupControl("after"), nullptr);
  EXPECT_EQ(static_cast<SkinUI::CContainer*>(window.LookupControl("row"))->GetCount(), 2u);
}

TEST(MarkupElements, IgnoresAttributesNoControlKnows) {
  TestWindow window;
  ASSERT_TRUE(window.LoadMarkup(
      Markup(100, 40,
             "<Button name=\"b\" hotfont=\"4\" pushedfont=\"4\" isstretchfore=\"false\" hotborercolor=\"#FF1675FE\" "
             "text=\"ok\" />")));
  EXPECT_EQ(window.LookupControl("b")->GetText(), "ok");
  EXPECT_EQ(window.LookupControl("b")->GetBorderColor(), 0u);
}

TEST(MarkupFailures, GiveNoTreeAndAReasonButNeverCrash) {
  struct Case {
    const char* what;
    std::string markup;
  } cases[] = {
      {"empty", ""},
      {"not XML", "this is not markup"},
      {"unclosed", "<Window size=\"10,10\"><VerticalLayout>"},
      {"no Window element", "<Dialog><VerticalLayout /></Dialog>"},
      {"only fonts", "<Window><Font id=\"0\" name=\"x\" size=\"12\" /></Window>"},
      {"declined root", "<Window><Gadget><Label /></Gadget></Window>"},
      {"comment only", "<Window><!-- nothing --></Window>"},
  };
  for (const Case& c : cases) {
    TestWindow window;
    EXPECT_FALSE(window.LoadMarkup(c.markup)) << c.what;
    EXPECT_FALSE(window.LastError().empty()) << c.what;
    EXPECT_EQ(window.Root(), nullptr) << c.what;
    EXPECT_TRUE(window.Paint().IsEmpty()) << c.what;
  }
}

TEST(MarkupFailures, APackageWithoutTheMarkupFileBuildsNothing) {
  TestWindow window;
  SkinUI::SkinPackage* package = SkinUI::SkinPackage::Embedded();
  ASSERT_NE(package, nullptr);
  EXPECT_FALSE(window.LoadSkin(*package, "NoSuchWnd.xml"));
  EXPECT_EQ(window.LastError(), "Could not find ziped file");
  EXPECT_EQ(window.Root(), nullptr);
  SkinUI::SkinPackage closed;
  EXPECT_FALSE(window.LoadSkin(closed, "mainWnd.xml"));
  EXPECT_EQ(window.LastError(), "Error opening zip file");
}

TEST(MarkupFailures, MissingImagesAreSimplyNotDrawn) {
  TestWindow window;
  window.images["blue.png"] = uitest::SolidPng(4, 4, 0xFF0000FF);
  ASSERT_TRUE(window.LoadMarkup(Markup(40, 20,
                                       "<HorizontalLayout bkcolor=\"#FF00FF00\">"
                                       "<Button name=\"a\" normalimage=\"missing.png\" disabledimage=\"gone.png\" />"
                                       "<Label name=\"b\" bkimage=\"file='also-missing.png' corner='1,1,1,1'\" />"
                                       "<Label name=\"c\" bkimage=\"blue.png\" />"
                                       "</HorizontalLayout>")));
  SkinUI::HeadlessHost host(window);
  host.Show();
  window.LookupControl("a")->SetEnabled(false);
  host.Render();
  const SkinUI::Canvas& pixels = window.Pixels();
  EXPECT_EQ(pixels.At(5, 10), 0xFF00FF00u);   // under the button: the layout's green only
  EXPECT_EQ(pixels.At(18, 10), 0xFF00FF00u);  // under the label with a missing image
  EXPECT_EQ(pixels.At(35, 10), 0xFF0000FFu);  // the image that exists
}

}  // namespace
