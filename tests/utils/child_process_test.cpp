#include "utils/child_process.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/scratch.h"
#include "utils/command_line.h"
#include "utils/utils_exception.h"

namespace {

using Utils::ChildProcess;

const std::string kFixture = LUMETRAVOX_CHILD_FIXTURE;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The fixture with its mode, as the start of a command line.
std::string Fixture(const std::string& mode) { return Quoted(kFixture) + " " + mode; }

// Reads the child's output the way the runners do (at most 1024 bytes a read) until its end.
std::string ReadAll(ChildProcess& child) {
  std::string out;
  char buffer[1024];
  ssize_t n;
  while ((n = child.ReadOutput(buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  EXPECT_EQ(n, 0);
  return out;
}

uint32_t ExitCodeOf(ChildProcess& child) {
  uint32_t code = 0;
  EXPECT_TRUE(child.ExitCode(code));
  return code;
}

std::vector<std::string> SplitAtNul(const std::string& bytes) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t end; (end = bytes.find('\0', at)) != std::string::npos; at = end + 1)
    parts.push_back(bytes.substr(at, end - at));
  return parts;
}

// A copy of the fixture in a folder whose name has blanks in it.
std::string FixtureCopyIn(const std::string& folderName) {
  const std::string folder = testsupport::NewFolder() + "/" + folderName;
  std::filesystem::create_directories(folder);
  const std::string copy = folder + "/child_fixture";
  std::filesystem::copy_file(kFixture, copy);
  return copy;
}

// This process's pipe descriptors, by number, with their pipe identity ("pipe:[inode]").
std::map<int, std::string> OwnPipes() {
  std::map<int, std::string> pipes;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (!error && target.starts_with("pipe:")) pipes[std::stoi(entry.path().filename().string())] = target;
  }
  return pipes;
}

TEST(ChildProcessTest, OutputArrivesWhileTheChildRuns) {
  ChildProcess child;
  child.Launch(Fixture("write 500 first second third"));
  ASSERT_GT(child.Pid(), 0);

  // The runners' loop: read while the exit code says the child still runs.
  std::vector<std::string> reads;
  std::vector<bool> runningAfterRead;
  uint32_t code;
  while (child.ExitCode(code) && code == ChildProcess::kStillRunning) {
    char buffer[1024];
    const ssize_t n = child.ReadOutput(buffer, sizeof buffer);
    if (n <= 0) break;
    reads.emplace_back(buffer, static_cast<size_t>(n));
    runningAfterRead.push_back(child.IsRunning());
  }
  const std::string rest = ReadAll(child);
  child.Wait();

  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads[0], "first");
  EXPECT_TRUE(runningAfterRead[0]);
  std::string all;
  for (const std::string& read : reads) all += read;
  EXPECT_EQ(all + rest, "firstsecondthird");
  EXPECT_EQ(ExitCodeOf(child), 0u);
}

TEST(ChildProcessTest, ExitCodeReads259UntilTheChildEnds) {
  ChildProcess child;
  child.Launch(Fixture("sleep 400"));
  EXPECT_EQ(ExitCodeOf(child), ChildProcess::kStillRunning);
  EXPECT_TRUE(child.IsRunning());
  EXPECT_EQ(ReadAll(child), "woke");
  child.Wait();
  EXPECT_FALSE(child.IsRunning());
  EXPECT_EQ(ExitCodeOf(child), 0u);
  child.CloseAll();
  EXPECT_EQ(ExitCodeOf(child), 0u);  // the code stays readable after the close
}

TEST(ChildProcessTest, AChildThatExitsAtOnceReportsItsCode) {
  for (const uint32_t code : {0u, 1u, 7u, 255u}) {
    ChildProcess child;
    child.Launch(Fixture("exit " + std::to_string(code)));
    EXPECT_EQ(ReadAll(child), "");
    child.Wait();
    EXPECT_EQ(ExitCodeOf(child), code);
  }
}

TEST(ChildProcessTest, AChildEndedBySignalGetsItsOwnCode) {
  for (const int signal : {SIGKILL, SIGTERM}) {
    ChildProcess child;
    child.Launch(Fixture("sleep 60000"));
    ASSERT_EQ(kill(child.Pid(), signal), 0);
    child.Wait();
    EXPECT_EQ(ExitCodeOf(child), ChildProcess::kKilledBySignal | static_cast<uint32_t>(signal));
  }
}

// The child writes a megabyte to standard error only, more than any pipe holds. Nothing arrives on
// the output pipe, so the read returns only when the child has ended; and it does end, because
// what it writes to standard error is taken off the pipe meanwhile.
TEST(ChildProcessTest, AChildWritingOnlyToStandardErrorEndsAndReadsReturnAtItsEnd) {
  ChildProcess child;
  const auto start = std::chrono::steady_clock::now();
  child.Launch(Fixture("stderr 1048576 300"));
  char buffer[1024];
  EXPECT_EQ(child.ReadOutput(buffer, sizeof buffer), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  child.Wait();
  EXPECT_EQ(ExitCodeOf(child), 0u);
}

TEST(ChildProcessTest, MegabytesOfOutputArriveWholeAndInOrder) {
  constexpr size_t kBytes = 8 << 20;
  ChildProcess child;
  child.Launch(Fixture("flood " + std::to_string(kBytes) + " END"));
  const std::string out = ReadAll(child);
  child.Wait();
  ASSERT_EQ(out.size(), kBytes + 3);
  size_t wrong = 0;
  for (size_t i = 0; i < kBytes; ++i) wrong += out[i] != static_cast<char>('a' + i % 26);
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(out.substr(kBytes), "END");
  EXPECT_EQ(ExitCodeOf(child), 0u);
}

// A caller that stops reading (the setup runner does after a result line) must still be able to
// wait for the child, even when the child goes on writing far more than the pipe holds.
TEST(ChildProcessTest, WaitDoesNotHangOnOutputNobodyReads) {
  ChildProcess child;
  child.Launch(Fixture("flood 8388608"));
  char buffer[16];
  EXPECT_GT(child.ReadOutput(buffer, sizeof buffer), 0);
  child.Wait();
  EXPECT_EQ(ExitCodeOf(child), 0u);
}

// The same text goes through SplitCommandLine and, in the child, arrives as its argv.
TEST(ChildProcessTest, TheChildGetsTheArgumentsOfItsCommandLine) {
  const std::string program = FixtureCopyIn("My Tools");
  const std::string commandLine =
      Quoted(program) + R"( argv plain "two  words" a\\\"b "" "x""y" 澜音 -instdir="/opt/My App" tail\)";
  ChildProcess child;
  child.Launch(commandLine);
  const std::vector<std::string> got = SplitAtNul(ReadAll(child));
  child.Wait();
  const std::vector<std::string> expected = {"plain", "two  words",           R"(a\"b)", "", R"(x"y)",
                                             "澜音",  "-instdir=/opt/My App", R"(tail\)"};
  EXPECT_EQ(got, expected);
  const std::vector<std::string> split = Utils::SplitCommandLine(commandLine);
  EXPECT_EQ(std::vector<std::string>(split.begin() + 2, split.end()), expected);
  EXPECT_EQ(child.CommandLine(), commandLine);
}

TEST(ChildProcessTest, AProgramWithoutAFolderIsSearchedOnPath) {
  const std::string program = FixtureCopyIn("bin");
  const std::string path = std::filesystem::path(program).parent_path().string() + ":" + getenv("PATH");
  setenv("PATH", path.c_str(), 1);
  ChildProcess child;
  child.Launch("child_fixture argv found");
  EXPECT_EQ(SplitAtNul(ReadAll(child)), std::vector<std::string>{"found"});
  child.Wait();
}

TEST(ChildProcessTest, TheChildGetsTheParentsFolderAndEnvironmentWithoutLoaderVariables) {
  const std::string folder = testsupport::NewFolder("work");
  ASSERT_EQ(chdir(folder.c_str()), 0);
  setenv("LD_PRELOAD", "/nonexistent/preload.so", 1);
  setenv("LD_LIBRARY_PATH", "/nonexistent", 1);
  setenv("LD_AUDIT", "/nonexistent/audit.so", 1);
  setenv("LUMETRAVOX_PASSED_ON", "yes", 1);

  ChildProcess child;
  child.Launch(Fixture("env"));
  const std::vector<std::string> entries = SplitAtNul(ReadAll(child));
  child.Wait();
  std::set<std::string> names;
  for (const std::string& entry : entries) names.insert(entry.substr(0, entry.find('=')));
  EXPECT_TRUE(names.count("LUMETRAVOX_PASSED_ON"));
  EXPECT_TRUE(names.count("HOME"));
  EXPECT_FALSE(names.count("LD_PRELOAD"));
  EXPECT_FALSE(names.count("LD_LIBRARY_PATH"));
  EXPECT_FALSE(names.count("LD_AUDIT"));

  ChildProcess inFolder;
  inFolder.Launch(Fixture("cwd"));
  EXPECT_EQ(ReadAll(inFolder), std::filesystem::canonical(folder).string());
  inFolder.Wait();
}

// A second child must not inherit the pipes of a first one that still runs: it would hold the first
// child's output open, and its reader would never see the end.
TEST(ChildProcessTest, NoDescriptorOfOneChildLeaksIntoAnother) {
  const std::map<int, std::string> before = OwnPipes();
  ChildProcess first;
  first.Launch(Fixture("sleep 60000"));
  std::set<std::string> firstPipes;
  for (const auto& [fd, pipe] : OwnPipes())
    if (!before.count(fd)) firstPipes.insert(pipe);
  ASSERT_EQ(firstPipes.size(), 3u);  // the parent's ends of the error, output and input pipes

  ChildProcess second;
  second.Launch(Fixture("fds"));
  const std::string listing = ReadAll(second);
  second.Wait();
  for (const std::string& pipe : firstPipes) EXPECT_EQ(listing.find(pipe), std::string::npos) << listing;
  for (const char* standard : {"0 pipe:", "1 pipe:", "2 pipe:"})
    EXPECT_NE(listing.find(standard), std::string::npos) << listing;

  kill(first.Pid(), SIGKILL);
  first.Wait();
}

TEST(ChildProcessTest, AChildThatCannotStartThrowsAndNothingRuns) {
  const std::string folder = testsupport::NewFolder("programs");
  const std::string notExecutable = folder + "/not-executable";
  testsupport::WriteFile(notExecutable, "#!/bin/sh\nexit 0\n");
  chmod(notExecutable.c_str(), 0644);
  const std::string noInterpreter = folder + "/no-interpreter";
  testsupport::WriteFile(noInterpreter, "not a program\n");
  chmod(noInterpreter.c_str(), 0755);

  const std::string commandLines[] = {
      "",
      "   ",
      R"("" argv)",
      folder + "/missing argv",
      "lumetravox-no-such-program-on-path argv",
      Quoted(notExecutable),
      Quoted(noInterpreter),
      Quoted(folder),
  };
  for (const std::string& commandLine : commandLines) {
    ChildProcess child;
    EXPECT_THROW(child.Launch(commandLine), Utils::Exception) << commandLine;
    EXPECT_EQ(child.Pid(), -1) << commandLine;
    uint32_t code;
    EXPECT_FALSE(child.ExitCode(code));
  }
}

TEST(ChildProcessTest, CommandLinesUpTo1023CharactersAreLaunched) {
  // Padding of three-byte characters: the limit counts characters, not bytes.
  const std::string start = Fixture("argv ");  // the build folder's path is plain ASCII
  std::string padding;
  for (size_t characters = start.size(); characters < ChildProcess::kMaxCommandLine; ++characters) padding += "澜";
  const std::string longest = start + padding;

  ChildProcess child;
  child.Launch(longest);
  EXPECT_EQ(SplitAtNul(ReadAll(child)), std::vector<std::string>{padding});
  child.Wait();

  ChildProcess tooLong;
  EXPECT_THROW(tooLong.Launch(longest + "x"), Utils::Exception);
  EXPECT_EQ(tooLong.Pid(), -1);
}

TEST(ChildProcessTest, AnObjectIsLaunchedOnce) {
  ChildProcess child;
  child.Launch(Fixture("exit 0"));
  EXPECT_THROW(child.Launch(Fixture("exit 0")), Utils::Exception);
  child.Wait();
}

}  // namespace
