#include "download/win_downloader.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "download/curl_handle.h"
#include "download/narrow_forms.h"
#include "utils/url.h"

namespace {

constexpr long kReceiveBufferBytes = 512 * 1024;

struct Transfer {
  FILE* file = nullptr;
  CWinDownloader::CBindCallback* bind = nullptr;
  uint64_t lastReported = 0;
};

size_t WriteTarget(char* data, size_t size, size_t count, void* transfer) {
  return fwrite(data, size, count, static_cast<Transfer*>(transfer)->file) * size;
}

int ProgressHook(void* argument, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(argument);
  if (transfer->bind->abort) return 1;
  // libcurl also calls while nothing arrives; only new bytes are worth a notification.
  if (static_cast<uint64_t>(received) == transfer->lastReported) return 0;
  transfer->lastReported = static_cast<uint64_t>(received);
  return transfer->bind->OnProgress(static_cast<uint64_t>(received), static_cast<uint64_t>(total)) ==
                 CWinDownloader::kOk
             ? 0
             : 1;
}

}  // namespace

int32_t CWinDownloader::CBindCallback::OnProgress(uint64_t progress, uint64_t maximum) {
  if (abort) return kAbort;
  if (maximum == 0) return kOk;
  if (callback) callback(DL_CODE_PROGRESS, static_cast<double>(progress) / static_cast<double>(maximum), "");
  return kOk;
}

CWinDownloader::CWinDownloader(DownloadCallback callback, std::string url, std::string targetPath)
    : callback_(std::move(callback)), targetPath_(std::move(targetPath)), url_(std::move(url)) {
  worker_.Start(this, "ABDEF", &CWinDownloader::WorkerFun);
}

CWinDownloader::~CWinDownloader() {
  bindCallback_.abort = true;
  // A worker that never ran is let go without running (Utils::Thread::Join).
  worker_.Join();
}

void CWinDownloader::Start() {
  // The worker is created once, so only the first call begins a run; the progress hook is left
  // alone while that run may be using it.
  if (started_.exchange(true)) return;
  bindCallback_.callback = callback_;
  if (worker_.HasHandle()) worker_.Resume();
}

std::string CWinDownloader::RequestAddress(const std::string& url) {
  if (url.rfind("file:///", 0) == 0) return url;
  return Utils::UrlEncodeWide(url);
}

bool CWinDownloader::PauseBetweenAttempts() {
  // A downloader being destroyed does not wait for more attempts.
  for (int waited = 0; waited < kAttemptPauseMs; waited += 50) {
    if (bindCallback_.abort) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return !bindCallback_.abort;
}

void CWinDownloader::WorkerFun(void* argument) {
  auto* self = static_cast<CWinDownloader*>(argument);
  self->callback_(DL_CODE_START, 1.0, "");
  if (self->targetPath_.empty()) {
    self->callback_(DL_CODE_FAIL, 1.0, "");
    return;
  }
  const std::string address = RequestAddress(self->url_);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    const int32_t result = self->DownloadToFile(address);
    if (result == kOk) {
      self->callback_(DL_CODE_SUCCESS, 0.0, kSystemDownloadText);
      return;
    }
    if (!self->PauseBetweenAttempts() || attempt == kAttempts) {
      self->callback_(DL_CODE_FAIL, static_cast<double>(result), kSystemDownloadText);
      return;
    }
  }
}

int32_t CWinDownloader::DownloadToFile(const std::string& address) {
  CurlEasy handle(curl_easy_init());
  if (!handle) return kInternetError | CURLE_FAILED_INIT;
  FILE* file = fopen(NarrowPath(targetPath_).c_str(), "wb");
  if (!file) return kInternetError | CURLE_WRITE_ERROR;

  Transfer transfer{file, &bindCallback_, 0};
  curl_easy_setopt(handle.get(), CURLOPT_URL, address.c_str());
  curl_easy_setopt(handle.get(), CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(handle.get(), CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &WriteTarget);
  curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle.get(), CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle.get(), CURLOPT_XFERINFOFUNCTION, &ProgressHook);
  curl_easy_setopt(handle.get(), CURLOPT_XFERINFODATA, &transfer);
  CURLcode code = curl_easy_perform(handle.get());
  if (fclose(file) != 0 && code == CURLE_OK) code = CURLE_WRITE_ERROR;
  if (code == CURLE_OK) return kOk;
  if (code == CURLE_ABORTED_BY_CALLBACK) return kAbort;
  return kInternetError | code;
}
