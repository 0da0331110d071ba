// The report-line parsers of both runners, fed chunks directly (no child process).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/installer.h"
#include "setup/report_lines.h"
#include "setup/uninstaller.h"
#include "status_recorder.h"

namespace {

std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

struct ParseCase {
  const char* name;
  std::vector<std::string> chunks;  // each one a separate read
  std::vector<Status> statuses;
  int32_t lastResult;  // ParseReport's result for the last chunk
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << c.name; }

class SetupReportTest : public testing::TestWithParam<ParseCase> {};

TEST_P(SetupReportTest, ReportsEachRecognisedLineInOrder) {
  StatusRecorder recorder;
  CInstaller installer(recorder.Callback(), "\"/nowhere/package\"", "", false, false, false);
  int32_t result = -1;
  for (const std::string& chunk : GetParam().chunks) result = installer.ParseReport(chunk);
  EXPECT_EQ(recorder.Statuses(), GetParam().statuses);
  EXPECT_EQ(result, GetParam().lastResult);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SetupReportTest,
    testing::Values(
        ParseCase{"ProgressThenPathKeepsCarriageReturn",
                  {"Progress=42.5\r\nInstPath=D:\\App\r\n"},
                  {{2002, 42.5, ""}, {3000, 0.0, "D:\\App\r"}},
                  0},
        ParseCase{"SuccessValueIsTrimmed", {"State= Success \r\n"}, {{2003, 0.0, ""}}, 1},
        ParseCase{"StateIsCaseSensitive", {"State=success\r\n", "State=FAIL\n"}, {}, 0},
        ParseCase{"Fail", {"State=Fail\r\n"}, {{2004, 0.0, "安装包安装失败"}}, 1000},
        ParseCase{"ErrorCarriesItsText", {"Error=disk full\n"}, {{2004, 1000.0, "disk full"}}, 1000},
        ParseCase{"LastResultLineDecides",
                  {"State=Success\nError=late\n", "Error=early\r\nState=Success\r\n"},
                  {{2003, 0.0, ""}, {2004, 1000.0, "late"}, {2004, 1000.0, "early\r"}, {2003, 0.0, ""}},
                  1},
        ParseCase{"EveryTextKey",
                  {"ExePath=/p/a\nStartExe=/p/b\nUninstExePath=/p/u\nUninstExe=/p/v\nUninstEp=/p/uninst.ep\n"
                   "StartUrl=https://x/\nMessage=你好\nInstPath=\n"},
                  {{3001, 0.0, "/p/a"},
                   {3001, 0.0, "/p/b"},
                   {3002, 0.0, "/p/u"},
                   {3002, 0.0, "/p/v"},
                   {3003, 0.0, "/p/uninst.ep"},
                   {3004, 0.0, "https://x/"},
                   {3009, 0.0, "你好"},
                   {3000, 0.0, ""}},
                  0},
        ParseCase{
            "StartupStyles",
            {"StartupStyle=UserStartup\nStartupStyle=Other\nStartupStyle= AutoStartup\r\nStartupStyle=NonStartup"},
            {{3005, 2.0, ""}, {3005, 0.0, ""}, {3005, 1.0, ""}, {3005, 0.0, ""}},
            0},
        ParseCase{"DetentionsAreUnsigned",
                  {"TopShowDetention=-1\r\nFinsihCloseDetention=2500\nTopShowDetention=soon\n"},
                  {{3007, 4294967295.0, ""}, {3008, 2500.0, ""}, {3007, 0.0, ""}},
                  0},
        ParseCase{"ProgressWithoutNumberIsZero",
                  {"Progress=abc\nProgress= 7\nProgress=+0.5\r\n"},
                  {{2002, 0.0, ""}, {2002, 7.0, ""}, {2002, 0.5, ""}},
                  0},
        ParseCase{"LineCutByAReadMatchesNothing", {"Progr", "ess=42\r\n"}, {}, 0},
        ParseCase{"ResultLineCutByAReadIsLost", {"State=Su", "ccess\r\n"}, {}, 0},
        ParseCase{"UnknownAndIndentedLinesAreIgnored",
                  {"Hello=1\n Progress=5\nFinishCloseDetention=3\nInstallVersion=1.2.3\n\n"},
                  {},
                  0},
        ParseCase{"LongValuesAreCutAt771Characters",
                  {"Message=" + Repeat("中", 800) + "\n"},
                  {{3009, 0.0, Repeat("中", 771)}},
                  0}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

class UninstallReportTest : public testing::TestWithParam<ParseCase> {};

TEST_P(UninstallReportTest, ReportsEachRecognisedLineInOrder) {
  StatusRecorder recorder;
  CUnInstaller uninstaller(recorder.Callback(), "/nowhere/uninst", "/nowhere");
  int32_t result = -1;
  for (const std::string& chunk : GetParam().chunks) result = uninstaller.ParseReport(chunk);
  EXPECT_EQ(recorder.Statuses(), GetParam().statuses);
  EXPECT_EQ(result, GetParam().lastResult);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UninstallReportTest,
    testing::Values(ParseCase{"Progress", {"Progress=30\nProgress=x\r\n"}, {{5002, 30.0, ""}, {5002, 0.0, ""}}, 0},
                    ParseCase{"ErrorThenSuccessInOneRead",
                              {"Error=boom\r\nState=Success\r\n"},
                              {{5005, 0.0, "boom\r"}, {5003, 0.0, ""}},
                              1},
                    ParseCase{"Fail", {"State= Fail\r\n"}, {{5005, 0.0, "安装包卸载失败"}}, 1000},
                    ParseCase{"SetupOnlyKeysAreIgnored",
                              {"InstPath=/x\nMessage=hi\nExePath=/y\nStartupStyle=AutoStartup\nState=success\n"},
                              {},
                              0}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* line;
  unsigned setupPage;
  unsigned uninstallPage;
};

TEST(ReportEncodeTest, SetsTheCodePageOfLaterReads) {
  const EncodeCase cases[] = {
      {"Encode=UTF8\r\n", 65001, 65001}, {"Encode=ACP\n", 0, 0},  {"Encode=936\r\n", 936, 0}, {"Encode=abc\n", 0, 0},
      {"Encode= 65001 \n", 65001, 0},    {"Encode=utf8\n", 0, 0},
  };
  for (const EncodeCase& c : cases) {
    StatusRecorder recorder;
    CInstaller installer(recorder.Callback(), "\"/p\"", "", false, false, false);
    CUnInstaller uninstaller(recorder.Callback(), "/u", "/o");
    // Start from another page, so that "back to the ANSI page" is seen too.
    installer.ParseReport("Encode=UTF8\n");
    uninstaller.ParseReport("Encode=UTF8\n");
    EXPECT_EQ(installer.ParseReport(c.line), 0) << c.line;
    EXPECT_EQ(uninstaller.ParseReport(c.line), 0) << c.line;
    EXPECT_EQ(installer.OutputCodePage(), c.setupPage) << c.line;
    EXPECT_EQ(uninstaller.OutputCodePage(), c.uninstallPage) << c.line;
    EXPECT_TRUE(recorder.Statuses().empty()) << c.line;
  }
}

TEST(ReportDecodeTest, DecodesEachReadInItsCodePage) {
  EXPECT_EQ(ReportLines::DecodeChunk("Message=\xd6\xd0\xce\xc4\r\n", 936), "Message=中文\r\n");
  EXPECT_EQ(ReportLines::DecodeChunk("Message=中文\n", 65001), "Message=中文\n");
  // Output ends at a zero byte, as a C string would.
  EXPECT_EQ(ReportLines::DecodeChunk(std::string("State=Fail\n\0Error=x\n", 20), 0), "State=Fail\n");
}

TEST(ReportDecodeTest, ABrokenCharacterCostsOnlyItsOwnLine) {
  // A read that ends inside a character, or GBK bytes read as UTF-8: the chunk as a whole does not
  // decode, but the result line beside the broken one must still be seen.
  const std::string cut = std::string("Error=disk full\r\nMessage=中").substr(0, 27);
  EXPECT_EQ(ReportLines::DecodeChunk(cut, 65001), "Error=disk full\r\n");
  EXPECT_EQ(ReportLines::DecodeChunk("Message=\xd6\xd0\r\nState=Fail\r\n", 0), "\nState=Fail\r\n");
}

}  // namespace
