#include "utils/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/scratch.h"
#include "utils/child_process.h"
#include "utils/special_folders.h"

namespace {

const char kName[] = "Installer_lumetravox";

// Starts the fixture that tries to take the same lock from another process and returns its first
// word: "held" (it now holds the lock until killed) or "busy".
std::string OtherProcessTries(Utils::ChildProcess& other) {
  other.Launch(std::string("\"") + LUMETRAVOX_CHILD_FIXTURE + "\" lock " + kName);
  std::string out;
  char buffer[64];
  ssize_t n;
  while (out.find('\n') == std::string::npos && (n = other.ReadOutput(buffer, sizeof buffer)) > 0)
    out.append(buffer, static_cast<size_t>(n));
  return out.substr(0, out.find('\n'));
}

TEST(SingleInstanceMutexTest, LockFileLivesInTheUserTempFolderForTheUserOnly) {
  Utils::SingleInstanceMutex instance(kName);
  instance.Acquire();
  ASSERT_TRUE(instance.IsHeld());
  const std::string path = Utils::UserTempDir() + "/D1A547DB89C0BC61_Installer_lumetravox.lock";
  EXPECT_EQ(instance.LockPath(), path);
  struct stat info {};
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(SingleInstanceMutexTest, OneHolderAtATimeWithinAProcess) {
  Utils::SingleInstanceMutex first(kName);
  first.Acquire();
  ASSERT_TRUE(first.IsHeld());
  const int handle = first.Handle();
  first.Acquire();  // already held: nothing changes
  EXPECT_EQ(first.Handle(), handle);

  Utils::SingleInstanceMutex second(kName);
  second.Acquire();
  EXPECT_FALSE(second.IsHeld());
  EXPECT_EQ(second.Handle(), -1);

  first.Release();
  EXPECT_FALSE(first.IsHeld());
  second.Acquire();
  EXPECT_TRUE(second.IsHeld());
}

TEST(SingleInstanceMutexTest, ASecondProcessIsRefusedUntilTheFirstEndsEvenByCrashing) {
  {
    Utils::SingleInstanceMutex mine(kName);
    mine.Acquire();
    ASSERT_TRUE(mine.IsHeld());
    Utils::ChildProcess other;
    EXPECT_EQ(OtherProcessTries(other), "busy");
    other.Wait();
    uint32_t code;
    ASSERT_TRUE(other.ExitCode(code));
    EXPECT_EQ(code, 3u);
  }

  Utils::ChildProcess holder;
  ASSERT_EQ(OtherProcessTries(holder), "held");
  Utils::SingleInstanceMutex mine(kName);
  mine.Acquire();
  EXPECT_FALSE(mine.IsHeld());

  ASSERT_EQ(kill(holder.Pid(), SIGKILL), 0);
  holder.Wait();
  mine.Acquire();
  EXPECT_TRUE(mine.IsHeld());
}

// In a shared temporary folder another user could put a link where the lock file goes; following
// it would let them make us create or lock a file of their choosing.
TEST(SingleInstanceMutexTest, ALinkInPlaceOfTheLockFileIsNotFollowed) {
  const std::string target = testsupport::NewFolder("elsewhere") + "/planted";
  Utils::SingleInstanceMutex instance(kName);
  ASSERT_EQ(symlink(target.c_str(), instance.LockPath().c_str()), 0);
  instance.Acquire();
  EXPECT_FALSE(instance.IsHeld());
  EXPECT_FALSE(testsupport::Exists(target));
}

TEST(SingleInstanceMutexTest, ANameWithAFolderPartIsRefused) {
  Utils::SingleInstanceMutex instance("../Installer_lumetravox");
  instance.Acquire();
  EXPECT_FALSE(instance.IsHeld());
}

}  // namespace
