#pragma once
// The MD5 of a download, taken while it is written: a worker of its own reads the files behind
// their writers (from the page cache) and hashes them as one stream, so checking a finished
// download costs almost nothing and gives exactly the digest of the finished file. Bytes already
// on disk when a download resumes are hashed first.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "utils/md5.h"
#include "utils/thread.h"

class FollowingDigest {
 public:
  FollowingDigest() = default;
  ~FollowingDigest();  // Cancel
  FollowingDigest(const FollowingDigest&) = delete;
  FollowingDigest& operator=(const FollowingDigest&) = delete;

  // Starts hashing these files in order, as one stream; each already holds `existing` bytes and
  // is only ever appended to. Cancels what ran before.
  void Begin(const std::vector<std::string>& paths, const std::vector<int64_t>& existing);
  // File `index` now holds `length` bytes, all of them readable.
  void Grown(size_t index, int64_t length);
  // File `index` is finished at `length` bytes.
  void Completed(size_t index, int64_t length);
  // Waits until every file is hashed to its finished length. The digest (32 lower-case hexadecimal
  // digits), or empty when a read failed or a file was never finished.
  std::string Finish();
  // Stops without a digest.
  void Cancel();

 private:
  struct File {
    std::string path;
    int64_t length = 0;
    bool complete = false;
  };
  static void HashFun(void* self);
  void Hash();
  // Waits for the worker and forgets the files.
  void Stop(bool cancel);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<File> files_;
  // Where the worker waits: file and length it needs before it reads again. Writers wake it only
  // then, so it reads large blocks instead of chasing every small write.
  size_t wantedFile_ = 0;
  int64_t wantedLength_ = 0;
  bool cancelled_ = false;
  bool failed_ = false;
  std::string digest_;
  std::unique_ptr<Utils::Thread> worker_;
};

// The size of a file, or -1 when it can't be read.
int64_t FileSize(const std::string& path);
