#include "utils/work_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>

#include "support/scratch.h"
#include "utils/special_folders.h"
#include "utils/text.h"

namespace {

using testsupport::NewFolder;

const std::string kWorkDirName = "~VemraTemp.92482B06FB471E17";

// A path of exactly `length` characters (code points) under the scratch root, made of
// three-byte characters so that its size in bytes is far above its length. Its folders are
// created only when `create` is set.
std::string PathOfLength(size_t length, bool create) {
  std::string path = NewFolder("long");
  size_t have = Utils::CodePointCount(path);
  while (have < length) {
    size_t left = length - have;  // a component costs its '/' plus at least one character
    size_t characters = std::min<size_t>(80, left - 1);
    if (left - (characters + 1) == 1) --characters;
    path += "/";
    for (size_t i = 0; i < characters; ++i) path += "澜";
    have += characters + 1;
    if (create) mkdir(path.c_str(), 0700);
  }
  return path;
}

std::string PointTempDirAt(const std::string& folder) {
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  return folder + "/" + kWorkDirName;
}

TEST(GetTempWorkDirTest, CreatesAPrivateFolderOnceAndReusesIt) {
  const std::string workDir = Utils::UserTempDir() + "/" + kWorkDirName;
  umask(0);  // the folder must be private whatever the umask says

  const std::string first = Utils::GetTempWorkDir();
  ASSERT_EQ(first, workDir + "/");
  struct stat created {};
  ASSERT_EQ(lstat(workDir.c_str(), &created), 0);
  EXPECT_TRUE(S_ISDIR(created.st_mode));
  EXPECT_EQ(created.st_mode & 07777, 0700u);
  EXPECT_EQ(created.st_uid, geteuid());

  testsupport::WriteFile(workDir + "/lumetravox_un_asa.exe", "copy");
  EXPECT_EQ(Utils::GetTempWorkDir(), first);
  struct stat again {};
  ASSERT_EQ(lstat(workDir.c_str(), &again), 0);
  EXPECT_EQ(again.st_ino, created.st_ino);
  EXPECT_EQ(testsupport::ReadFile(workDir + "/lumetravox_un_asa.exe"), "copy");
}

// Whatever sits at the working folder's name and could be reached by someone else is refused
// and left as it is: we never run an uninstaller copy from a place another user controls.
TEST(GetTempWorkDirTest, RefusesAFolderThatIsNotOursAlone) {
  struct Case {
    const char* what;
    std::function<void(const std::string& workDir)> plant;
    bool needsRoot = false;
  };
  const Case cases[] = {
      {"owned by another user",
       [](const std::string& dir) {
         mkdir(dir.c_str(), 0700);
         ASSERT_EQ(chown(dir.c_str(), 65534, 65534), 0);
       },
       true},
      {"a link to a private folder of ours",
       [](const std::string& dir) {
         const std::string target = NewFolder("target");
         ASSERT_EQ(symlink(target.c_str(), dir.c_str()), 0);
       }},
      {"open to everyone",
       [](const std::string& dir) {
         mkdir(dir.c_str(), 0700);
         chmod(dir.c_str(), 0777);
       }},
      {"open to the group",
       [](const std::string& dir) {
         mkdir(dir.c_str(), 0700);
         chmod(dir.c_str(), 0750);
       }},
      {"a file", [](const std::string& dir) { testsupport::WriteFile(dir, "x"); }},
  };
  for (const Case& c : cases) {
    if (c.needsRoot && geteuid() != 0) continue;  // only root can give a folder away
    const std::string workDir = PointTempDirAt(NewFolder("temp"));
    c.plant(workDir);
    struct stat before {};
    ASSERT_EQ(lstat(workDir.c_str(), &before), 0) << c.what;

    EXPECT_EQ(Utils::GetTempWorkDir(), "") << c.what;

    struct stat after {};
    ASSERT_EQ(lstat(workDir.c_str(), &after), 0) << c.what;
    EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
    EXPECT_EQ(after.st_uid, before.st_uid) << c.what;
  }
}

TEST(GetTempWorkDirTest, MissingTempFolderIsNotCreated) {
  const std::string temp = NewFolder("temp") + "/missing";
  PointTempDirAt(temp);
  EXPECT_EQ(Utils::GetTempWorkDir(), "");
  EXPECT_FALSE(testsupport::Exists(temp));
}

// The limit counts characters, not bytes: the temporary folders here are far longer in bytes.
TEST(GetTempWorkDirTest, PathMustFitIn259Characters) {
  const size_t suffix = 1 + kWorkDirName.size() + 1;  // "/~VemraTemp.92482B06FB471E17/"

  const std::string fits = PointTempDirAt(PathOfLength(259 - suffix, true));
  EXPECT_EQ(Utils::GetTempWorkDir(), fits + "/");

  const std::string tooLong = PointTempDirAt(PathOfLength(260 - suffix, true));
  EXPECT_EQ(Utils::GetTempWorkDir(), "");
  EXPECT_FALSE(testsupport::Exists(tooLong));
}

TEST(CreateDirectoriesTest, CreatesEveryMissingFolderAlongThePath) {
  const std::string base = NewFolder("create");
  testsupport::WriteFile(base + "/file", "keep");
  const std::string fits = PathOfLength(259, false);
  const std::string tooLong = PathOfLength(260, false);

  struct Case {
    std::string path;
    bool result;
    std::string mustExist;  // a folder the call must leave behind ("" for none)
  };
  const Case cases[] = {
      {base, true, base},                        // exists already
      {base + "/", true, base},                  // with a trailing '/'
      {base + "/a/b/c", true, base + "/a/b/c"},  // three new levels
      {base + "/d/e/", true, base + "/d/e"},     // new, ending in '/'
      {fits, true, fits},                        // 259 characters, many more bytes
      {base + "/file/sub", false, ""},           // a file where a folder must be
      {base + "/file", false, ""},               // the folder itself is a file
      {tooLong, false, ""},                      // 260 characters
      {"", false, ""},                           // names no folder at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::CreateDirectories(c.path), c.result) << c.path;
    if (!c.mustExist.empty()) {
      EXPECT_TRUE(Utils::IsDirectory(c.mustExist)) << c.path;
    }
  }
  EXPECT_EQ(testsupport::ReadFile(base + "/file"), "keep");
  EXPECT_FALSE(testsupport::Exists(Utils::FolderOf(tooLong))) << "nothing of an over-long path is created";
}

}  // namespace
