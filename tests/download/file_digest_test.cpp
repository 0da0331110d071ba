#include "download/file_digest.h"

#include <gtest/gtest.h>

#include <fstream>

#include "download/download_fixture.h"
#include "support/scratch.h"
#include "utils/md5.h"

namespace {

std::string Md5Of(const std::string& bytes) {
  Utils::Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.HexDigest();
}

void Append(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

TEST(FollowingDigestTest, HashesFilesInOrderWhileTheyGrowInAnyOrder) {
  const std::string folder = testsupport::NewFolder();
  const std::string first = folder + "/part_0";
  const std::string second = folder + "/part_1";
  const std::string a = downloadtest::PackageBytes(3 * 1024 * 1024 + 7, 1);
  const std::string b = downloadtest::PackageBytes(2 * 1024 * 1024 + 3, 2);
  // A resumed download: the first file already holds some bytes.
  testsupport::WriteFile(first, a.substr(0, 100000));
  testsupport::WriteFile(second, "");
  FollowingDigest digest;
  digest.Begin({first, second}, {100000, 0});

  // The second file grows first, then both by turns, as two part workers write.
  Append(second, b.substr(0, 1000000));
  digest.Grown(1, 1000000);
  for (size_t at = 100000; at < a.size(); at += 500000) {
    const std::string block = a.substr(at, 500000);
    Append(first, block);
    digest.Grown(0, static_cast<int64_t>(at + block.size()));
  }
  digest.Completed(0, static_cast<int64_t>(a.size()));
  Append(second, b.substr(1000000));
  digest.Completed(1, static_cast<int64_t>(b.size()));

  EXPECT_EQ(digest.Finish(), Md5Of(a + b));
}

TEST(FollowingDigestTest, GivesNoDigestForAnUnfinishedOrMissingFile) {
  const std::string folder = testsupport::NewFolder();
  testsupport::WriteFile(folder + "/whole", "abc");
  FollowingDigest unfinished;
  unfinished.Begin({folder + "/whole"}, {3});
  EXPECT_EQ(unfinished.Finish(), "");

  FollowingDigest missing;
  missing.Begin({folder + "/missing"}, {0});
  missing.Completed(0, 10);
  EXPECT_EQ(missing.Finish(), "");

  FollowingDigest cancelled;
  cancelled.Begin({folder + "/whole"}, {3});
  cancelled.Cancel();
  EXPECT_EQ(cancelled.Finish(), "");

  FollowingDigest whole;
  whole.Begin({folder + "/whole"}, {3});
  whole.Completed(0, 3);
  EXPECT_EQ(whole.Finish(), Md5Of("abc"));
}

}  // namespace
