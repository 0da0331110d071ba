#include "download/curl_downloader.h"

#include <unistd.h>

#include <chrono>

#include "download/formatted_text.h"
#include "download/narrow_forms.h"
#include "utils/log.h"
#include "utils/md5.h"
#include "utils/url.h"

namespace {
constexpr size_t kMd5Length = 32;
}

CCurlDownloader::CCurlDownloader(DownloadCallback callback, std::string url, std::string targetPath)
    : callback_(std::move(callback)),
      targetPath_(std::move(targetPath)),
      url_(std::move(url)),
      client_(url_, targetPath_, this, &CCurlDownloader::ForwardProgress) {
  // Every downloader starts from an empty part file, whatever an earlier installer left.
  if (!targetPath_.empty()) remove(NarrowPath(client_.GetFilePath(true)).c_str());
}

CCurlDownloader::~CCurlDownloader() {
  client_.RequestStop();
  {
    std::lock_guard lock(stopLock_);
    stopping_ = true;
  }
  stopChanged_.notify_all();
  std::lock_guard lock(startLock_);
  if (worker_) worker_->Join();
  worker_.reset();
}

bool CCurlDownloader::OnOwnWorker() const { return worker_ && worker_->Id() == static_cast<uint32_t>(gettid()); }

void CCurlDownloader::Start() {
  if (OnOwnWorker()) {
    restartPending_ = true;
    return;
  }
  std::lock_guard lock(startLock_);
  if (worker_) worker_->Join();
  worker_ = std::make_unique<Utils::Thread>();
  worker_->Start(this, "ABDEF", &CCurlDownloader::dlThreadFun);
  if (worker_->HasHandle()) worker_->Resume();
}

void CCurlDownloader::ForwardProgress(void* self, double speed, double percent) {
  auto* downloader = static_cast<CCurlDownloader*>(self);
  if (speed > 0.0 && percent <= 100.0) downloader->callback_(DL_CODE_PROGRESS, percent / 100.0, "");
}

bool CCurlDownloader::Stopping() {
  std::lock_guard lock(stopLock_);
  return stopping_;
}

bool CCurlDownloader::PauseBeforeRetry() {
  std::unique_lock lock(stopLock_);
  return !stopChanged_.wait_for(lock, std::chrono::milliseconds(kRetryPauseMs), [this] { return stopping_; });
}

void CCurlDownloader::dlThreadFun(void* argument) {
  auto* self = static_cast<CCurlDownloader*>(argument);
  do {
    self->restartPending_ = false;
    self->callback_(DL_CODE_START, 1.0, "");
    if (self->targetPath_.empty()) {
      self->callback_(DL_CODE_FAIL, 1.0, "");
      continue;
    }
    int budget = kRetryBudget;
    int32_t result = self->client_.Start();
    bool gaveUp = false;
    while (result != 0) {
      budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
      // A downloader being destroyed gives up at once instead of spending the rest of its budget.
      if (budget <= 0 || !self->PauseBeforeRetry()) {
        self->callback_(DL_CODE_FAIL, static_cast<double>(result), kLibCurlText);
        gaveUp = true;
        break;
      }
      Utils::LogText(FormatText("CurlDownLoader Code=%d", result));
      result = self->client_.Start();
    }
    if (!gaveUp) self->VerifyAndReport();
  } while (self->restartPending_ && !self->Stopping());
}

// The download service names the package's MD5 in the final address (…/<md5>/<file name>).
void CCurlDownloader::VerifyAndReport() {
  const std::string expected = Utils::UrlParentSegment(client_.RealUrl());
  if (expected.size() != kMd5Length) {
    callback_(DL_CODE_VERIFY, 0.0, "curl获取url-md5失败");
    callback_(DL_CODE_SUCCESS, 0.0, kLibCurlText);
    return;
  }
  std::string actual = client_.CompletedFileMd5();
  if (actual.empty()) actual = Utils::FileMd5(NarrowPath(targetPath_));
  if (actual.size() == kMd5Length && actual != expected) {
    callback_(DL_CODE_VERIFY, 0.0, "curl文件md5校验失败");
    if (retried_) {
      callback_(DL_CODE_FAIL, 0.0, kLibCurlText);
    } else {
      retried_ = true;
      callback_(DL_CODE_RETRY, 0.0, kLibCurlText);
    }
    return;
  }
  callback_(DL_CODE_SUCCESS, 0.0, kLibCurlText);
}
