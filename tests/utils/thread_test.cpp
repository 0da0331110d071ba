#include "utils/thread.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch.h"
#include "support/stderr_capture.h"
#include "utils/log.h"

namespace {

constexpr uint32_t kNoThread = 0xFFFFFFFF;

struct LogLine {
  std::string thread;
  std::string tag;
  std::string text;
};

std::vector<LogLine> ParseLog(const std::string& out) {
  static const std::regex line(R"(<P\d+><T(\d+)><[^>]*>\(([^)]*)\)<\d+>: ([^\r]*)\r\n)");
  std::vector<LogLine> lines;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
    lines.push_back({(*it)[1], (*it)[2], (*it)[3]});
  return lines;
}

std::string ThreadNameOf(uint32_t id) {
  std::string name = testsupport::ReadFile("/proc/self/task/" + std::to_string(id) + "/comm");
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

struct Work {
  std::atomic<int> runs{0};
  std::atomic<uint32_t> ranOn{0};
};

void DoWork(void* argument) {
  auto* work = static_cast<Work*>(argument);
  work->ranOn = static_cast<uint32_t>(gettid());
  ++work->runs;
  Utils::LogText("working");
}

TEST(ThreadTest, RunsTheCallableOnceBetweenBeginAndEndLinesOfTheWorker) {
  Work work;
  testsupport::StderrCapture capture;
  Utils::Thread thread;
  thread.Start(&work, "ABDEF", DoWork);
  ASSERT_TRUE(thread.HasHandle());
  const uint32_t id = thread.Id();
  EXPECT_NE(id, kNoThread);
  EXPECT_NE(id, static_cast<uint32_t>(gettid()));
  EXPECT_TRUE(thread.Resume());
  EXPECT_TRUE(thread.Resume());  // a second resume neither fails nor runs the work again
  thread.Join();
  const std::vector<LogLine> lines = ParseLog(capture.Finish());

  EXPECT_EQ(work.runs, 1);
  EXPECT_EQ(work.ranOn, id);
  ASSERT_EQ(lines.size(), 3u);
  const char* texts[] = {"THREAD BEGIN", "working", "THREAD END"};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].text, texts[i]);
    EXPECT_EQ(std::stoul(lines[i].thread), id) << lines[i].text;
  }
  EXPECT_EQ(lines[0].tag, "Utils::Thread::CallBack");
  EXPECT_EQ(lines[2].tag, "Utils::Thread::CallBack");

  EXPECT_FALSE(thread.HasHandle());
  EXPECT_EQ(thread.Id(), kNoThread);
  EXPECT_FALSE(thread.Resume());
}

TEST(ThreadTest, NamesTheThreadForDebuggersWithinFifteenBytes) {
  struct Case {
    std::string name;
    std::string shown;  // "" means "t" followed by the thread id
  };
  const Case cases[] = {
      {"ABDEF", "ABDEF"},
      {"UnInstaller", "UnInstaller"},
      {"", ""},
      {"abcdefghijklmnopqrstuvwxyz", "abcdefghijklmno"},
      {"澜音工坊安装器", "澜音工坊安"},      // 21 bytes: five whole characters fit
      {"abcdefghijklm澜", "abcdefghijklm"},  // the 3-byte character would end at byte 16
  };
  for (const Case& c : cases) {
    Utils::Thread thread;
    thread.Start(nullptr, c.name, [](void*) {});
    ASSERT_TRUE(thread.HasHandle());
    const std::string expected = c.shown.empty() ? std::string("t").append(std::to_string(thread.Id())) : c.shown;
    EXPECT_EQ(ThreadNameOf(thread.Id()), expected) << c.name;
    EXPECT_EQ(thread.Name(), c.name);
  }
}

TEST(ThreadTest, SetThreadNameNamesTheCallingThreadToo) {
  Utils::SetThreadName(static_cast<uint32_t>(gettid()), "main-of-test");
  char name[16] = {};
  ASSERT_EQ(pthread_getname_np(pthread_self(), name, sizeof name), 0);
  EXPECT_STREQ(name, "main-of-test");
}

// A worker that is started but never resumed must not keep its owner waiting forever; it ends
// without running its work, so it logs nothing either.
TEST(ThreadTest, AThreadNeverResumedEndsWithoutRunningWhenJoinedOrDestroyed) {
  for (const bool destroy : {false, true}) {
    Work work;
    testsupport::StderrCapture capture;
    auto thread = std::make_unique<Utils::Thread>();
    thread->Start(&work, "ABDEF", DoWork);
    ASSERT_TRUE(thread->HasHandle());
    if (destroy) {
      thread.reset();
    } else {
      thread->Join();
      EXPECT_EQ(thread->Id(), kNoThread);
      EXPECT_FALSE(thread->HasHandle());
    }
    EXPECT_EQ(work.runs, 0);
    EXPECT_EQ(capture.Finish(), "");
  }
}

TEST(ThreadTest, DestructionWaitsForTheWorkToFinish) {
  std::atomic<bool> finished{false};
  {
    Utils::Thread thread;
    thread.Start(&finished, "ABDEF", [](void* flag) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      *static_cast<std::atomic<bool>*>(flag) = true;
    });
    thread.Resume();
  }
  EXPECT_TRUE(finished);
}

TEST(ThreadTest, JoinWithoutAThreadReturnsAtOnce) {
  Utils::Thread thread;
  thread.Join();
  EXPECT_EQ(thread.Id(), kNoThread);
  EXPECT_FALSE(thread.Resume());
}

// Ask for thread stacks larger than any address space, so the system refuses every new thread.
TEST(ThreadTest, RefusedThreadLeavesAnEmptyHandleAndNeverRuns) {
  pthread_attr_t saved;
  ASSERT_EQ(pthread_getattr_default_np(&saved), 0);
  pthread_attr_t huge;
  pthread_attr_init(&huge);
  ASSERT_EQ(pthread_attr_setstacksize(&huge, size_t{1} << 62), 0);
  ASSERT_EQ(pthread_setattr_default_np(&huge), 0);

  Work work;
  testsupport::StderrCapture capture;
  Utils::Thread thread;
  thread.Start(&work, "ABDEF", DoWork);
  const bool created = thread.HasHandle();
  const bool resumed = thread.Resume();
  thread.Join();
  const std::string log = capture.Finish();

  pthread_setattr_default_np(&saved);
  pthread_attr_destroy(&huge);
  pthread_attr_destroy(&saved);

  EXPECT_FALSE(created);
  EXPECT_FALSE(resumed);
  EXPECT_EQ(thread.Id(), kNoThread);
  EXPECT_EQ(work.runs, 0);
  EXPECT_EQ(log, "");
}

}  // namespace
