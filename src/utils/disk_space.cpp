#include "utils/disk_space.h"

#include <sys/statvfs.h>

#include <cerrno>

#include "utils/log.h"
#include "utils/special_folders.h"

namespace Utils {

namespace {

// statvfs of the path or, while it doesn't exist yet, of the nearest ancestor that does: the
// install folder is checked before the setup package creates it, and its future parent answers
// for the same file system. Returns 0 or the errno of the last attempt.
int StatNearestExisting(std::string path, struct statvfs& out) {
  while (true) {
    if (statvfs(path.c_str(), &out) == 0) return 0;
    const int error = errno;
    if (error != ENOENT) return error;
    std::string parent = FolderOf(path);
    if (parent.empty() || parent == path) return error;
    path = std::move(parent);
  }
}

}  // namespace

bool HardDiskManager::CheckFreeSpace(const std::string& folder) {
  struct statvfs info {};
  if (const int error = StatNearestExisting(folder, info); error != 0) {
    LogFormat("HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", static_cast<long>(error));
    return false;
  }
  const uint64_t unit = info.f_frsize;
  freeBytesAvailable = static_cast<uint64_t>(info.f_bavail) * unit;
  totalBytes = static_cast<uint64_t>(info.f_blocks) * unit;
  totalFreeBytes = static_cast<uint64_t>(info.f_bfree) * unit;
  return true;
}

}  // namespace Utils
