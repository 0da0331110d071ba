#pragma once
// The multi-part downloader: one HEAD for the real address and size, at most two byte ranges
// fetched in parallel into part files, joined into the target file and checked against the MD5 in
// the real address. A failed part or a failed check gets one restart of the whole download, which
// resumes the part files when progress had been reported.
//
// Every thread is owned: a run's worker resolves, splits and starts the part workers, then waits
// for them, merges, verifies and reports. Destroying the downloader waits for the run to end.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/curl_handle.h"
#include "download/downloader.h"
#include "download/file_digest.h"
#include "utils/thread.h"

class CMTCurlDownloader : public CDownloader {
 public:
  static constexpr int64_t kMinimumFileLength = 256;
  static constexpr int kRetryBudget = 12;
  static constexpr int kRetryPauseMs = 400;
  static constexpr int kPartStartGapMs = 100;

  // Part status besides libcurl's codes.
  static constexpr int32_t kPartPending = -1;
  static constexpr int32_t kPartComplete = 0;
  static constexpr int32_t kPartFileFailed = -2;

  struct DownloadPartNode {
    ~DownloadPartNode();
    FILE* file = nullptr;
    int64_t start = 0;         // next byte this part needs, as an offset in the whole file
    int64_t end = -1;          // the part's last byte, inclusive
    int64_t attemptStart = 0;  // start when the running attempt began
    CurlEasy handle;
    std::string url;
    std::string partPath;
    int32_t status = kPartPending;
    std::atomic<int64_t> downloaded{0};  // bytes of this part on disk
    CMTCurlDownloader* owner = nullptr;
    size_t index = 0;
    std::unique_ptr<Utils::Thread> worker;
  };

  CMTCurlDownloader(DownloadCallback callback, std::string url, std::string targetPath);
  ~CMTCurlDownloader() override;

  void Start() override;

  // What the last resolution found (for diagnostics and tests).
  const std::string& RealUrl() const { return realUrl_; }
  int64_t FileLength() const { return fileLength_; }

 private:
  static void Start_Down(void* self);
  bool getRealDownloadUrl(const std::string& narrowUrl);
  void CreateParts(const std::string& narrowTarget);
  void LaunchParts();
  static int32_t downloadExe(DownloadPartNode* part);
  static void downloadThreadFun(void* part);
  void waitForFinishThreadFun();
  // Appends the later part files to the first one. False when that fails.
  bool MergeParts();
  void FreeParts();
  void DeletePartFiles() const;
  std::string PartPath(int index) const;
  bool OnOwnWorker() const;
  bool Stopping();

  static size_t WritePart(char* data, size_t size, size_t count, void* part);
  static int ProgressCallback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  std::vector<std::unique_ptr<DownloadPartNode>> parts_;
  DownloadCallback callback_;
  std::string targetPath_;
  std::string url_;
  std::string realUrl_;
  int64_t fileLength_ = -1;
  std::string expectedMd5_;
  double lastPercent_ = 0.0;
  std::atomic<int32_t> activeParts_{0};
  int64_t lastProgressTime_ = 0;
  bool retried_ = false;
  std::unique_ptr<Utils::Thread> firstWorker_;

  std::mutex progressLock_;
  // The merged file's digest, taken from the part files in order while they are written.
  FollowingDigest mergedDigest_;
  std::atomic<bool> restartPending_{false};
  std::mutex startLock_;
  std::mutex stopLock_;
  bool stopping_ = false;
};
