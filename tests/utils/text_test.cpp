#include "utils/text.h"

#include <gtest/gtest.h>

#include "utils/guid.h"
#include "utils/url.h"

namespace {

TEST(CodePageTest, ConvertsBetweenUtf8AndCodePages) {
  const std::string gbk = "\xC4\xE3\xBA\xC3";  // 你好 in GBK
  EXPECT_EQ(Utils::ToWide(gbk, 936), "你好");
  EXPECT_EQ(Utils::ToNarrow("你好", 936), gbk);
  EXPECT_EQ(Utils::ToWide("é", Utils::kCodePageUtf8), "é");
  EXPECT_EQ(Utils::ToNarrow("澜音工坊", Utils::kCodePageUtf8), "澜音工坊");
  EXPECT_EQ(Utils::ToNarrow("路径", Utils::kCodePageAnsi), "路径");  // the plain C locale counts as UTF-8
}

TEST(CodePageTest, RefusedConversionsGiveEmptyText) {
  struct Case {
    std::string text;
    unsigned codePage;
    bool toWide;
  };
  const Case cases[] = {
      {"\xFF\xFE", Utils::kCodePageUtf8, true},    // not UTF-8
      {"\xC3", Utils::kCodePageUtf8, true},        // cut short
      {"\xED\xA0\x80", Utils::kCodePageUtf8, true},  // a surrogate
      {"\xC0\xAF", Utils::kCodePageUtf8, true},    // overlong '/'
      {"\x81", 936, true},                         // a GBK lead byte without its trail
      {"abc", 12345, true},                        // unknown code page
      {"abc", 12345, false},
      {"\xFF", Utils::kCodePageUtf8, false},       // input that is not UTF-8
      {"😀", 936, false},                           // no GBK form
  };
  for (const Case& c : cases) {
    const std::string out = c.toWide ? Utils::ToWide(c.text, c.codePage) : Utils::ToNarrow(c.text, c.codePage);
    EXPECT_EQ(out, "") << c.codePage << " " << c.toWide;
  }
  EXPECT_EQ(Utils::ToWide(std::string("ab\0cd", 5), Utils::kCodePageUtf8), "ab");
}

TEST(CodePointTest, CountsAndCutsWithoutSplittingSequences) {
  EXPECT_EQ(Utils::CodePointCount("a澜音😀"), 4u);
  EXPECT_EQ(Utils::CodePointCount("a\xFF\xFE"), 3u);
  EXPECT_EQ(Utils::CutToCodePoints("a澜音😀b", 3), "a澜音");
  EXPECT_EQ(Utils::CutToCodePoints("a澜音😀b", 4), "a澜音😀");
  EXPECT_EQ(Utils::CutToCodePoints("ab", 10), "ab");
  EXPECT_EQ(Utils::CutToCodePoints("\xE6\xBE", 1), "\xE6");  // a broken sequence counts byte by byte
}

TEST(TrimTest, RemovesTheSixBlanksOnly) {
  EXPECT_EQ(Utils::Trim("\tabc\r\n"), "abc");
  EXPECT_EQ(Utils::Trim(" \t\n\v\f\r"), "");
  EXPECT_EQ(Utils::Trim("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // no-break space is text
  EXPECT_EQ(Utils::TrimLeft("  a b  "), "a b  ");
  EXPECT_EQ(Utils::TrimRight("  a b  "), "  a b");
}

TEST(ReplaceAllTest, ReplacesEveryOccurrenceAndContinuesAfterTheInsertion) {
  EXPECT_EQ(Utils::ReplaceAll("${ROUTE}/${ROUTE}", "${ROUTE}", "download_silent"), "download_silent/download_silent");
  EXPECT_EQ(Utils::ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(Utils::ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(Utils::ReplaceAll("abc", "d", "x"), "abc");
}

TEST(UrlTest, EncodesBytesOutsidePrintableAscii) {
  EXPECT_EQ(Utils::UrlEncode("a b/c?d=é"), "a+b/c?d=%C3%A9");
  EXPECT_EQ(Utils::UrlEncode("%20"), "%20");
  EXPECT_EQ(Utils::UrlEncode(std::string("\x00\x1F\x7F~!", 5)), "%00%1F%7F~!");
  EXPECT_EQ(Utils::UrlEncodeWide("http://h/安装 包.exe"), "http://h/%E5%AE%89%E8%A3%85+%E5%8C%85.exe");
}

TEST(UrlTest, ParentSegmentIsTheFolderBeforeTheFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"x/a/b/c.exe", "b"},
      {"c.exe", ""},
      {"/c.exe", ""},
      {"http://h/0cc175b9c0f1b6a831c399e269772661/setup.exe", "0cc175b9c0f1b6a831c399e269772661"},
      {"http://h/a/", "a"},
      {"http://h//c.exe", ""},
  };
  for (const auto& [url, segment] : cases) EXPECT_EQ(Utils::UrlParentSegment(url), segment) << url;
}

TEST(GuidTest, HasThirtyTwoDigitsWithTheThirdGroupInLowerCase) {
  for (int i = 0; i < 200; ++i) {
    const std::string guid = Utils::NewGuidString();
    ASSERT_EQ(guid.size(), 32u);
    for (size_t at = 0; at < guid.size(); ++at) {
      const char c = guid[at];
      const bool thirdGroup = at >= 12 && at < 16;
      ASSERT_TRUE((c >= '0' && c <= '9') || (thirdGroup ? (c >= 'a' && c <= 'f') : (c >= 'A' && c <= 'F'))) << guid;
    }
    EXPECT_EQ(guid[12], '4') << guid;  // version 4
    EXPECT_NE(Utils::NewGuidString(), guid);
  }
}

}  // namespace
