#include "utils/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "utils/special_folders.h"

namespace Utils {

std::string SingleInstanceMutex::LockPath() const {
  return JoinPath(UserTempDir(), "D1A547DB89C0BC61_" + name_ + ".lock");
}

void SingleInstanceMutex::Acquire() {
  if (IsHeld()) return;
  // The name is one file name; a '/' would put the lock somewhere else entirely.
  if (name_.find('/') != std::string::npos) return;
  // O_NOFOLLOW: in a shared temporary folder another user could plant a link here.
  const int fd = open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return;
  }
  handle_ = fd;
}

void SingleInstanceMutex::Release() {
  if (handle_ < 0) return;
  close(handle_);
  handle_ = -1;
}

}  // namespace Utils
