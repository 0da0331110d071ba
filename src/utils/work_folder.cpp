#include "utils/work_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "utils/special_folders.h"
#include "utils/text.h"

namespace Utils {

namespace {

// Another user who can write to the temporary folder (a shared /tmp) could otherwise plant the
// folder, or a link to one of theirs, and have us run whatever they put there as the old
// uninstaller. Only a folder that no one else can reach is used.
bool IsPrivateFolder(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool EnsureFolder(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (errno != ENOENT) return false;
  if (mkdir(path.c_str(), 0755) == 0) return true;
  // Someone else may have created it in between; that is as good as creating it ourselves.
  return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string GetTempWorkDir() {
  const std::string folder = JoinPath(UserTempDir(), kTempWorkDirName);
  const std::string path = folder + "/";
  if (CodePointCount(path) > kMaxPathCharacters) return {};
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return IsPrivateFolder(folder) ? path : std::string();
}

bool CreateDirectories(const std::string& path) {
  if (path.empty() || CodePointCount(path) > kMaxPathCharacters) return false;
  // Every prefix that ends at a '/' (the root "/" of an absolute path exists), then the whole
  // path unless it ends in '/' itself.
  for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (!EnsureFolder(path.substr(0, slash + 1))) return false;
  }
  return path.back() == '/' || EnsureFolder(path);
}

}  // namespace Utils
