#pragma once
// The downloader of download type 2: the whole transfer goes to the system's HTTP client (here
// libcurl with its defaults for proxy and certificates, one plain GET that follows redirects and
// writes the target file). It only supplies address and path, tries up to three times, and relays
// the client's progress as DL_CODE_PROGRESS. No MD5 check, no restart: runs end in 1003 or 1004.
#include <atomic>
#include <cstdint>
#include <string>

#include "download/downloader.h"
#include "utils/thread.h"

class CWinDownloader : public CDownloader {
 public:
  static constexpr int kAttempts = 3;
  static constexpr int kAttemptPauseMs = 1000;

  // Result codes of one attempt, in the system's signed 32-bit form: 0 for success, E_ABORT when
  // the progress hook cancelled the transfer, otherwise kInternetError with libcurl's code in the
  // low bits. Failures are negative.
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kAbort = static_cast<int32_t>(0x80004004u);
  static constexpr int32_t kInternetError = static_cast<int32_t>(0x800C0000u);

  // The progress hook of the transfer: relays progress while the downloader lives, and cancels
  // the transfer once it is being destroyed.
  class CBindCallback {
   public:
    ~CBindCallback() { abort = true; }
    // kOk to go on, kAbort to cancel. A maximum of 0 (size not known yet) reports nothing.
    int32_t OnProgress(uint64_t progress, uint64_t maximum);

    DownloadCallback callback;
    std::atomic<bool> abort{false};
  };

  CWinDownloader(DownloadCallback callback, std::string url, std::string targetPath);
  // Cancels a running transfer at its next progress notification and waits for the worker.
  ~CWinDownloader() override;

  // Only the first call begins a run; later calls have no effect.
  void Start() override;

  // The address as it is requested: percent-encoded, except a local "file:///" address.
  static std::string RequestAddress(const std::string& url);

 private:
  static void WorkerFun(void* self);
  // One transfer of the whole file into the target path.
  int32_t DownloadToFile(const std::string& address);
  bool PauseBetweenAttempts();

  CBindCallback bindCallback_;
  DownloadCallback callback_;
  std::string targetPath_;
  std::string url_;
  Utils::Thread worker_;
  std::atomic<bool> started_{false};
};
