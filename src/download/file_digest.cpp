#include "download/file_digest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {
constexpr size_t kReadBlockBytes = 1024 * 1024;
}

int64_t FileSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return -1;
  return info.st_size;
}

FollowingDigest::~FollowingDigest() { Cancel(); }

void FollowingDigest::Begin(const std::vector<std::string>& paths, const std::vector<int64_t>& existing) {
  Cancel();
  {
    std::lock_guard lock(mutex_);
    files_.clear();
    for (size_t i = 0; i < paths.size(); ++i) files_.push_back({paths[i], std::max<int64_t>(0, existing[i]), false});
    cancelled_ = false;
    failed_ = false;
    wantedFile_ = 0;
    wantedLength_ = 0;
    digest_.clear();
  }
  worker_ = std::make_unique<Utils::Thread>();
  worker_->Start(this, "md5", &FollowingDigest::HashFun);
  if (!worker_->Resume()) worker_.reset();
}

void FollowingDigest::Grown(size_t index, int64_t length) {
  {
    std::lock_guard lock(mutex_);
    if (index >= files_.size() || length <= files_[index].length) return;
    files_[index].length = length;
    if (index != wantedFile_ || length < wantedLength_) return;
  }
  changed_.notify_all();
}

void FollowingDigest::Completed(size_t index, int64_t length) {
  {
    std::lock_guard lock(mutex_);
    if (index >= files_.size()) return;
    files_[index].length = length;
    files_[index].complete = true;
  }
  changed_.notify_all();
}

std::string FollowingDigest::Finish() {
  if (!worker_) return {};
  bool finished = false;
  {
    std::lock_guard lock(mutex_);
    // Only a stream whose every file is finished can be hashed to its end.
    finished = std::all_of(files_.begin(), files_.end(), [](const File& file) { return file.complete; });
    if (!finished) failed_ = true;
  }
  Stop(!finished);
  std::lock_guard lock(mutex_);
  return failed_ ? std::string() : digest_;
}

void FollowingDigest::Cancel() {
  if (worker_) Stop(true);
}

void FollowingDigest::Stop(bool cancel) {
  {
    std::lock_guard lock(mutex_);
    if (cancel) cancelled_ = true;
  }
  changed_.notify_all();
  worker_->Join();
  worker_.reset();
}

void FollowingDigest::HashFun(void* self) { static_cast<FollowingDigest*>(self)->Hash(); }

void FollowingDigest::Hash() {
  Utils::Md5 md5;
  std::vector<unsigned char> buffer(kReadBlockBytes);
  size_t index = 0;
  int64_t offset = 0;
  int fd = -1;
  bool failed = false;
  std::unique_lock lock(mutex_);
  while (index < files_.size()) {
    wantedFile_ = index;
    wantedLength_ = offset + static_cast<int64_t>(buffer.size());
    changed_.wait(lock, [&] {
      const File& file = files_[index];
      return cancelled_ || file.complete || file.length >= wantedLength_;
    });
    if (cancelled_) break;
    if (files_[index].complete && files_[index].length <= offset) {
      if (fd >= 0) close(fd);
      fd = -1;
      ++index;
      offset = 0;
      continue;
    }
    const size_t want = static_cast<size_t>(std::min<int64_t>(files_[index].length - offset, buffer.size()));
    const std::string path = files_[index].path;
    lock.unlock();
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ssize_t got = -1;
    if (fd >= 0) {
      do {
        got = pread(fd, buffer.data(), want, offset);
      } while (got < 0 && errno == EINTR);
    }
    if (got > 0) {
      md5.Update(buffer.data(), static_cast<size_t>(got));
      offset += got;
    }
    lock.lock();
    if (got <= 0) {
      failed = true;
      break;
    }
  }
  if (fd >= 0) close(fd);
  if (!cancelled_ && !failed) digest_ = md5.HexDigest();
  failed_ = failed_ || failed || cancelled_;
}
