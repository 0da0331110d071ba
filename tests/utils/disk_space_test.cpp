#include "utils/disk_space.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "support/scratch.h"
#include "support/stderr_capture.h"

namespace {

using testsupport::NewFolder;

// Other processes write to the same file systems while the test runs, so free space may move a
// little between our reading and the probe's.
constexpr uint64_t kFreeSpaceSlack = 256ull << 20;

uint64_t TotalBytesOf(const std::string& path) {
  struct statvfs info {};
  if (statvfs(path.c_str(), &info) != 0) return 0;
  return static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
}

TEST(HardDiskManagerTest, ReportsTheFileSystemThatHoldsTheFolder) {
  const std::string folder = NewFolder("disk");
  Utils::HardDiskManager disk;
  ASSERT_TRUE(disk.CheckFreeSpace(folder));

  struct statvfs info {};
  ASSERT_EQ(statvfs(folder.c_str(), &info), 0);
  EXPECT_EQ(disk.totalBytes, static_cast<uint64_t>(info.f_blocks) * info.f_frsize);
  EXPECT_NEAR(static_cast<double>(disk.freeBytesAvailable), static_cast<double>(info.f_bavail) * info.f_frsize,
              kFreeSpaceSlack);
  EXPECT_NEAR(static_cast<double>(disk.totalFreeBytes), static_cast<double>(info.f_bfree) * info.f_frsize,
              kFreeSpaceSlack);
  EXPECT_GT(disk.totalBytes, 0u);
  EXPECT_LE(disk.freeBytesAvailable, disk.totalFreeBytes);
  EXPECT_LE(disk.totalFreeBytes, disk.totalBytes);
}

// A folder that isn't created yet is answered for by its nearest existing ancestor, on whichever
// file system that is.
TEST(HardDiskManagerTest, MissingFolderIsAnsweredByItsNearestAncestor) {
  const std::string scratch = NewFolder("disk");
  struct Case {
    std::string folder;
    std::string ancestor;
  };
  std::vector<Case> cases = {
      {scratch + "/new", scratch},
      {scratch + "/new/deeper/still/", scratch},
  };
  if (TotalBytesOf("/dev/shm") != 0 && TotalBytesOf("/dev/shm") != TotalBytesOf(scratch))
    cases.push_back({"/dev/shm/lumetravox-never-created/sub", "/dev/shm"});

  for (const Case& c : cases) {
    Utils::HardDiskManager disk;
    EXPECT_TRUE(disk.CheckFreeSpace(c.folder)) << c.folder;
    EXPECT_EQ(disk.totalBytes, TotalBytesOf(c.ancestor)) << c.folder;
    EXPECT_FALSE(testsupport::Exists(c.folder)) << "the probe must not create " << c.folder;
  }
}

TEST(HardDiskManagerTest, FailureLogsTheErrorAndKeepsTheCounters) {
  const std::string scratch = NewFolder("disk");
  testsupport::WriteFile(scratch + "/file", "x");
  struct Case {
    std::string folder;
    int error;
  };
  const Case cases[] = {
      {scratch + "/file/sub", ENOTDIR},  // a file where a folder should be
      {"", ENOENT},                      // no folder at all
  };
  // Callers read a failed query on a fresh manager as "no free space".
  Utils::HardDiskManager fresh;
  EXPECT_FALSE(fresh.CheckFreeSpace(cases[0].folder));
  EXPECT_EQ(fresh.freeBytesAvailable, 0u);
  EXPECT_EQ(fresh.totalBytes, 0u);
  EXPECT_EQ(fresh.totalFreeBytes, 0u);

  for (const Case& c : cases) {
    Utils::HardDiskManager disk;
    disk.freeBytesAvailable = 1;
    disk.totalBytes = 2;
    disk.totalFreeBytes = 3;

    testsupport::StderrCapture capture;
    EXPECT_FALSE(disk.CheckFreeSpace(c.folder)) << c.folder;
    const std::string log = capture.Finish();

    EXPECT_EQ(disk.freeBytesAvailable, 1u);
    EXPECT_EQ(disk.totalBytes, 2u);
    EXPECT_EQ(disk.totalFreeBytes, 3u);
    const std::regex line(R"(<P\d{5,}><T\d{5,}><[-0-9 :.]{23}>\(Utils::HardDiskManager::CheckFreeSpace\)<\d{4,}>: )"
                          "HardDiskManager::CheckFreeSpace FAIL code=" +
                          std::to_string(c.error) + "\r\n");
    EXPECT_TRUE(std::regex_match(log, line)) << c.folder << ": " << log;
  }
}

}  // namespace
