#include "utils/log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/stderr_capture.h"

namespace {

using Utils::LogStamp;

const LogStamp kStamp{4242, 77, {2024, 3, 5, 9, 7, 3, 45}};

TEST(LogLineTest, HeaderAndTextAreExact) {
  EXPECT_EQ(Utils::ComposeLogText(kStamp, "Utils::Thread::CallBack", 101, "THREAD BEGIN"),
            "<P04242><T00077><2024-03-05 09:07:03.045>(Utils::Thread::CallBack)<0101>: THREAD BEGIN\r\n");
}

TEST(LogLineTest, WideValuesAreNeverCut) {
  const LogStamp wide{1234567, 654321, {2024, 12, 31, 23, 59, 59, 999}};
  EXPECT_EQ(Utils::ComposeLogText(wide, "F", 12345, "x"),
            "<P1234567><T654321><2024-12-31 23:59:59.999>(F)<12345>: x\r\n");
}

TEST(LogLineTest, TextIsLiteralAndFormatCarriesItsOwnLineEnd) {
  EXPECT_EQ(Utils::ComposeLogText(kStamp, "T", 1, "http://h/a%20b%s%d"),
            "<P04242><T00077><2024-03-05 09:07:03.045>(T)<0001>: http://h/a%20b%s%d\r\n");
  EXPECT_EQ(Utils::ComposeLogLine(kStamp, "Utils::CheckNetwork", 7, "GetConnectivity %d", 0),
            "<P04242><T00077><2024-03-05 09:07:03.045>(Utils::CheckNetwork)<0007>: GetConnectivity 0");
  EXPECT_EQ(Utils::ComposeLogLine(kStamp, "T", 2, "%s|%d|%ld|%lld|%f\r\n", "a", -3, 4L, 5LL << 40, 0.5),
            "<P04242><T00077><2024-03-05 09:07:03.045>(T)<0002>: a|-3|4|5497558138880|0.500000\r\n");
}

TEST(LogTagTest, CompilerNamesBecomeQualifiedFunctionNames) {
  struct Case {
    const char* pretty;
    const char* tag;
  };
  const Case cases[] = {
      {"static void Utils::Thread::CallBack(Utils::Thread*)", "Utils::Thread::CallBack"},
      {"bool Utils::HardDiskManager::CheckFreeSpace(const string&)", "Utils::HardDiskManager::CheckFreeSpace"},
      {"CDownloadInstaller::Start(int)::<lambda(int, double, const string&)>",
       "CDownloadInstaller::Start::<lambda>"},
      {"std::array<int, 2> Ns::F(T) const [with T = int]", "Ns::F"},
      {"Utils::Pipe::Pipe()", "Utils::Pipe::Pipe"},
      {"virtual const std::map<int, std::string>& A::B::Get() const &&", "A::B::Get"},
      {"int main()", "main"},
  };
  for (const Case& c : cases) {
    const auto tag = Utils::detail::MakeLogTag<128>(c.pretty);
    EXPECT_STREQ(tag.c_str(), c.tag) << c.pretty;
  }
}

struct Reporter {
  void Report() { Utils::LogText("from a member"); }
};

TEST(LogStatementTest, WritesOneLineWithTagOfTheCallingFunction) {
  testsupport::StderrCapture capture;
  Reporter{}.Report();
  [] { Utils::LogFormat("in a lambda %d\r\n", 5); }();
  const std::string out = capture.Finish();

  const std::string pid = std::to_string(getpid());
  const std::regex line(
      R"(<P0*)" + pid + R"(><T\d{5,}><\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}>\(([^)]*)\)<(\d{4,})>: ([^\r]*)\r\n)");
  std::vector<std::smatch> found;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
    found.push_back(*it);
  ASSERT_EQ(found.size(), 2u) << out;
  EXPECT_EQ(found[0][1], "{anonymous}::Reporter::Report");
  EXPECT_EQ(found[0][3], "from a member");
  EXPECT_EQ(found[1][1], "{anonymous}::LogStatementTest_WritesOneLineWithTagOfTheCallingFunction_Test::TestBody::<lambda>");
  EXPECT_EQ(found[1][3], "in a lambda 5");
}

TEST(LogStatementTest, LinesOfManyThreadsNeverInterleave) {
  testsupport::StderrCapture capture;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) Utils::LogFormat("thread %d line %d %s\r\n", t, i, std::string(300, 'x').c_str());
    });
  for (auto& t : threads) t.join();
  const std::string out = capture.Finish();

  const std::regex whole(R"(<P\d+><T\d+><[^>]+>\([^)]+\)<\d+>: thread \d line \d+ x{300}\r\n)");
  size_t lines = 0;
  for (size_t at = 0; at < out.size(); ++lines) {
    const size_t end = out.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    ASSERT_TRUE(std::regex_match(out.substr(at, end + 2 - at), whole)) << out.substr(at, end + 2 - at);
    at = end + 2;
  }
  EXPECT_EQ(lines, 1600u);
}

}  // namespace
