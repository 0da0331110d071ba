#pragma once
// The default downloader: one libcurl transfer through CurlClient, retried within a budget, then
// checked against the MD5 that the download service puts in the final address.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "download/curl_client.h"
#include "download/downloader.h"
#include "utils/thread.h"

class CCurlDownloader : public CDownloader {
 public:
  // Failures cost 2 points of the budget, a "partial file" only 1.
  static constexpr int kRetryBudget = 12;
  static constexpr int kRetryPauseMs = 500;

  CCurlDownloader(DownloadCallback callback, std::string url, std::string targetPath);
  // Stops the running transfer at its next progress callback and waits for the worker.
  ~CCurlDownloader() override;

  void Start() override;

 private:
  static void dlThreadFun(void* self);
  static void ForwardProgress(void* self, double speed, double percent);
  // The check of a complete file, and the run's last status.
  void VerifyAndReport();
  // Waits between attempts; false when the downloader is being destroyed.
  bool PauseBeforeRetry();
  bool Stopping();
  bool OnOwnWorker() const;

  DownloadCallback callback_;
  std::string targetPath_;
  std::string url_;
  CurlClient client_;
  std::unique_ptr<Utils::Thread> worker_;
  bool retried_ = false;
  // A restart asked for from inside the callback, on the worker itself: the worker begins the next
  // run once the callback has returned, so it never has to wait for itself.
  std::atomic<bool> restartPending_{false};
  std::mutex startLock_;
  std::mutex stopLock_;
  std::condition_variable stopChanged_;
  bool stopping_ = false;
};
