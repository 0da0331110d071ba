#include "utils/md5.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/scratch.h"

namespace {

using testsupport::NewFolder;
using testsupport::WriteFile;

TEST(FileMd5Test, DigestsOfFiles) {
  const std::string dir = NewFolder();
  WriteFile(dir + "/empty", "");
  WriteFile(dir + "/abc", "abc");
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
  WriteFile(dir + "/big", big);

  EXPECT_EQ(Utils::FileMd5(dir + "/empty"), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Utils::FileMd5(dir + "/abc"), "900150983cd24fb0d6963f7d28e17f72");
  Utils::Md5 pieces;  // the incremental digest agrees with the file digest whatever the chunking
  for (size_t at = 0; at < big.size(); at += 1000) pieces.Update(big.data() + at, std::min<size_t>(1000, big.size() - at));
  EXPECT_EQ(Utils::FileMd5(dir + "/big"), pieces.HexDigest());
}

TEST(FileMd5Test, UnreadableInputGivesEmptyText) {
  const std::string dir = NewFolder();
  EXPECT_EQ(Utils::FileMd5(""), "");
  EXPECT_EQ(Utils::FileMd5(dir + "/missing"), "");
  EXPECT_EQ(Utils::FileMd5(dir), "");  // a folder
}

}  // namespace
