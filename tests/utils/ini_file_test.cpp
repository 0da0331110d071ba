#include "utils/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/scratch.h"
#include "utils/user_store.h"

namespace {

using namespace std::string_literals;
using testsupport::NewFolder;
using testsupport::ReadFile;
using testsupport::WriteFile;

TEST(IniFileTest, ReadsWithProfileFileRules) {
  const Utils::IniFile file(
      "\xEF\xBB\xBF; a comment\r\n"
      "[Other]\r\nKey=other\r\n"
      "  [ install ]  \r\n"
      "  downloadurl =  http://a/b=c  \r\n"
      "DownloadUrl=second\r\n"
      "Quoted=\"  padded  \"\r\n"
      "Single='x'\r\n"
      "Half=\"x\r\n"
      "Empty=\r\n"
      "no equals sign\r\n"
      "[Install]\r\nLate=1\r\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"Install", "DownloadUrl", "http://a/b=c"},  // case-insensitive names, trimmed, first match wins
      {"INSTALL", "quoted", "  padded  "},         // one pair of quotes removed, inside kept
      {"Install", "Single", "x"},
      {"Install", "Half", "\"x"},
      {"Install", "Empty", ""},
      {"Install", "Late", "1"},  // a repeated section is still searched
      {"Other", "Key", "other"},
      {"Install", "Key", std::nullopt},
      {"Missing", "Key", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(file.Get(c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniFileTest, WritingChangesOneLineAndKeepsTheRest) {
  Utils::IniFile file("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_TRUE(file.Set("a", "X", "10"));
  EXPECT_TRUE(file.Set("A", "z", " padded "));
  EXPECT_TRUE(file.Set("C", "w", "new"));
  EXPECT_EQ(file.Text(), "; keep me\r\n[A]\r\nX=10\r\nz=\" padded \"\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=new\r\n");
  EXPECT_EQ(file.Get("A", "z"), " padded ");

  EXPECT_FALSE(file.Set("A", "k", "two\nlines"));
  EXPECT_FALSE(file.Set("A", "k=v", "x"));
  EXPECT_FALSE(file.Set("A]", "k", "x"));
  EXPECT_FALSE(file.Set("A", " ", "x"));
}

TEST(IniFileTest, FilesOnDisk) {
  const std::string dir = NewFolder();
  const std::string path = dir + "/set.ini";
  EXPECT_EQ(Utils::ReadProfileString(path, "S", "k", "fallback"), "fallback");  // missing file
  EXPECT_TRUE(Utils::WriteProfileString(path, "S", "k", "v"));                 // created
  EXPECT_EQ(ReadFile(path), "[S]\nk=v\n");
  EXPECT_EQ(Utils::ReadProfileString(path, "s", "K", "fallback"), "v");

  // Bytes that are not UTF-8 are kept as they are, on both sides of a write.
  WriteFile(path, "[S]\nk=\xFF\xFE\x00z\njunk\x01\x02\n"s);
  EXPECT_TRUE(Utils::WriteProfileString(path, "S", "other", "1"));
  EXPECT_EQ(ReadFile(path), "[S]\nk=\xFF\xFE\x00z\njunk\x01\x02\nother=1\n"s);

  // A read-only file is never replaced, not even by root.
  chmod(path.c_str(), 0444);
  const std::string before = ReadFile(path);
  EXPECT_FALSE(Utils::WriteProfileString(path, "S", "k", "changed"));
  EXPECT_EQ(ReadFile(path), before);

  EXPECT_FALSE(Utils::WriteProfileString(dir + "/no/such/folder/x.ini", "S", "k", "v"));
}

// A writer killed at any moment leaves either the old or the new file, whole.
TEST(IniFileTest, KilledWriterNeverLeavesHalfAFile) {
  const std::string dir = NewFolder();
  const std::string path = dir + "/state.ini";
  const std::string a(4 << 20, 'a'), b(4 << 20, 'b');
  ASSERT_TRUE(Utils::WriteFileAtomically(path, a));
  for (int round = 0; round < 6; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) Utils::WriteFileAtomically(path, i % 2 ? a : b);
    }
    usleep(20000 + round * 7000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string now = ReadFile(path);
    ASSERT_TRUE(now == a || now == b) << "size " << now.size();
  }
}

TEST(UserStoreTest, ProductValuesRoundTrip) {
  uint32_t type = 0;
  std::string text = "unchanged";
  EXPECT_FALSE(Utils::ReadProductRegString("InstallPath", type, text));  // no store yet
  EXPECT_EQ(text, "unchanged");

  const std::string values[] = {"/opt/澜音 工坊", " leading and trailing ", "\"quoted\"", ""};
  for (const std::string& value : values) {
    ASSERT_TRUE(Utils::WriteProductRegString("InstallPath", value));
    ASSERT_TRUE(Utils::ReadProductRegString("InstallPath", type, text));
    EXPECT_EQ(text, value);
    EXPECT_EQ(type, Utils::kRegSz);
  }
  EXPECT_TRUE(Utils::WriteProductRegString("UnInstallEp", "/opt/x/uninst.ep"));
  EXPECT_FALSE(Utils::WriteProductRegString("UnInstallEp", "two\nlines"));
  EXPECT_FALSE(Utils::ReadProductRegString("Missing", type, text));

  const std::string store = ReadFile(Utils::UserStorePath());
  EXPECT_NE(store.find("[Software\\VemraSoft\\lumetravox]\n"), std::string::npos) << store;
  EXPECT_NE(store.find("UnInstallEp=/opt/x/uninst.ep\n"), std::string::npos) << store;
}

TEST(UserStoreTest, CorruptStoreKeepsItsBytesAndStillAnswers) {
  const std::string path = Utils::UserStorePath();
  ASSERT_TRUE(Utils::WriteProductRegString("InstallPath", "/a"));
  const std::string garbage = "\x00\xFF[[[\x01=\n=\n["s;
  WriteFile(path, garbage);
  uint32_t type = 0;
  std::string text;
  EXPECT_FALSE(Utils::ReadProductRegString("InstallPath", type, text));
  ASSERT_TRUE(Utils::WriteProductRegString("InstallPath", "/b"));
  ASSERT_TRUE(Utils::ReadProductRegString("InstallPath", type, text));
  EXPECT_EQ(text, "/b");
  EXPECT_EQ(ReadFile(path).substr(0, garbage.size()), garbage);
}

}  // namespace
