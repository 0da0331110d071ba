#include "download/mt_curl_downloader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

#include "app/installer_settings.h"
#include "download/formatted_text.h"
#include "download/narrow_forms.h"
#include "download/part_ranges.h"
#include "utils/log.h"
#include "utils/md5.h"
#include "utils/text.h"
#include "utils/url.h"

namespace {

// A part gives up when it receives less than 1 byte per second for 5 seconds.
constexpr long kLowSpeedLimit = 1;
constexpr long kLowSpeedSeconds = 5;
constexpr size_t kMd5Length = 32;
constexpr size_t kMergeBlockBytes = 1024 * 1024;
constexpr long kReceiveBufferBytes = 512 * 1024;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string CurlErrorText(int32_t code) {
  return Utils::ToWide(curl_easy_strerror(static_cast<CURLcode>(code)), Utils::kCodePageAnsi);
}

// Writes all of a block, across short writes.
bool WriteAll(int fd, const unsigned char* data, size_t length) {
  while (length > 0) {
    const ssize_t n = write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

// Copies all of `in` to `out` at `outOffset`: inside the kernel where the file system allows it,
// else through one large buffer.
bool AppendFile(int in, int out, off_t& outOffset) {
  for (;;) {
    const ssize_t n = copy_file_range(in, nullptr, out, &outOffset, 1 << 30, 0);
    if (n == 0) return true;
    if (n > 0) continue;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    break;
  }
  std::vector<unsigned char> buffer(kMergeBlockBytes);
  for (;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (lseek(out, outOffset, SEEK_SET) < 0 || !WriteAll(out, buffer.data(), static_cast<size_t>(n))) return false;
    outOffset += n;
  }
}

}  // namespace

CMTCurlDownloader::DownloadPartNode::~DownloadPartNode() {
  if (worker) worker->Join();
  if (file) fclose(file);
}

CMTCurlDownloader::CMTCurlDownloader(DownloadCallback callback, std::string url, std::string targetPath)
    : callback_(std::move(callback)), targetPath_(std::move(targetPath)), url_(std::move(url)) {
  remove(NarrowPath(targetPath_).c_str());
  DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader() {
  {
    std::lock_guard lock(stopLock_);
    stopping_ = true;
  }
  // There is no way to stop a running part: the run is waited for.
  std::lock_guard lock(startLock_);
  if (firstWorker_) firstWorker_->Join();
  firstWorker_.reset();
}

bool CMTCurlDownloader::OnOwnWorker() const {
  return firstWorker_ && firstWorker_->Id() == static_cast<uint32_t>(gettid());
}

bool CMTCurlDownloader::Stopping() {
  std::lock_guard lock(stopLock_);
  return stopping_;
}

void CMTCurlDownloader::Start() {
  // A restart asked for from inside the callback runs on this same worker once the callback
  // has returned.
  if (OnOwnWorker()) {
    restartPending_ = true;
    return;
  }
  std::lock_guard lock(startLock_);
  if (firstWorker_) firstWorker_->Join();
  firstWorker_ = std::make_unique<Utils::Thread>();
  firstWorker_->Start(this, "ABDEF", &CMTCurlDownloader::Start_Down);
  if (firstWorker_->HasHandle()) firstWorker_->Resume();
}

std::string CMTCurlDownloader::PartPath(int index) const {
  return NarrowPath(targetPath_) + "_" + std::to_string(index);
}

void CMTCurlDownloader::DeletePartFiles() const {
  for (int i = 0; i < kMaxParts; ++i) remove(PartPath(i).c_str());
}

void CMTCurlDownloader::Start_Down(void* argument) {
  auto* self = static_cast<CMTCurlDownloader*>(argument);
  do {
    self->restartPending_ = false;
    self->callback_(DL_CODE_START, 1.0, "");
    Utils::LogText("start download");
    const std::string narrowTarget = NarrowPath(self->targetPath_);
    const std::string narrowUrl = NarrowUrl(self->url_);

    remove(narrowTarget.c_str());
    // Part files are kept for resuming only when they had shown progress.
    if (self->lastPercent_ == 0.0) self->DeletePartFiles();

    if (self->realUrl_.empty() || self->fileLength_ < kMinimumFileLength) {
      if (!self->getRealDownloadUrl(narrowUrl)) {
        self->callback_(DL_CODE_FAIL, 0.0, kLibCurlText);
        continue;
      }
    }
    self->CreateParts(narrowTarget);
    self->LaunchParts();
    self->waitForFinishThreadFun();
  } while (self->restartPending_ && !self->Stopping());
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& narrowUrl) {
  realUrl_.clear();
  expectedMd5_.clear();
  fileLength_ = 0;
  if (!Settings().CurlReady) return false;

  CurlEasy handle(curl_easy_init());
  if (!handle) return false;
  CurlList headers(curl_slist_append(nullptr, "Connection: keep-alive"));
  curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());
  // Certificates are checked as libcurl does by default: a package from a host whose certificate
  // does not verify is not downloaded.
  if (SetHeadOptions(handle.get(), narrowUrl) != 0) return false;
  if (curl_easy_perform(handle.get()) != CURLE_OK) return false;

  char* effective = nullptr;
  if (curl_easy_getinfo(handle.get(), CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective && *effective) {
    realUrl_ = effective;
    Utils::LogText(FormatText("Download File real url %s", realUrl_.c_str()));
    expectedMd5_ = Utils::UrlParentSegment(realUrl_);
  }
  curl_off_t length = -1;
  long status = 0;
  if (curl_easy_getinfo(handle.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 && status <= 399) {
    fileLength_ = length;
    Utils::LogText(FormatText("Download File Length %lld", static_cast<long long>(fileLength_)));
  }
  return !realUrl_.empty() && fileLength_ >= kMinimumFileLength;
}

void CMTCurlDownloader::CreateParts(const std::string& narrowTarget) {
  const std::vector<PartRange> ranges = SplitIntoParts(fileLength_);
  std::vector<std::string> paths;
  std::vector<int64_t> existing;
  for (size_t i = 0; i < ranges.size(); ++i) {
    auto part = std::make_unique<DownloadPartNode>();
    part->partPath = narrowTarget + "_" + std::to_string(i);
    const int64_t held = std::max<int64_t>(0, FileSize(part->partPath));
    part->downloaded = held;
    part->start = ranges[i].first + held;
    part->end = ranges[i].last;
    part->handle.reset(curl_easy_init());
    part->url = realUrl_;
    part->owner = this;
    part->index = i;
    if (part->start > part->end) {
      part->status = kPartComplete;
    } else {
      part->status = kPartPending;
      part->file = fopen(part->partPath.c_str(), "ab+");
      if (!part->file) part->status = kPartFileFailed;
      // Unbuffered: every block reaches the file at once, where the digest reads it back.
      if (part->file) setvbuf(part->file, nullptr, _IONBF, 0);
    }
    paths.push_back(part->partPath);
    existing.push_back(held);
    parts_.push_back(std::move(part));
  }
  // The digest of the merged file is taken from the parts in order while they arrive, beginning
  // with the bytes an earlier run left.
  mergedDigest_.Begin(paths, existing);
  for (const auto& part : parts_) {
    if (part->status == kPartComplete) mergedDigest_.Completed(part->index, part->downloaded);
  }
}

void CMTCurlDownloader::LaunchParts() {
  for (auto& part : parts_) {
    if (part->status != kPartPending) continue;
    ++activeParts_;
    part->worker = std::make_unique<Utils::Thread>();
    part->worker->Start(part.get(), "", &CMTCurlDownloader::downloadThreadFun);
    if (!part->worker->Resume()) --activeParts_;
    SleepMs(kPartStartGapMs);
  }
}

void CMTCurlDownloader::downloadThreadFun(void* argument) {
  auto* part = static_cast<DownloadPartNode*>(argument);
  int budget = kRetryBudget;
  int32_t result = downloadExe(part);
  while (result != 0 && budget > 0) {
    budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
    Utils::LogText(FormatText("CurlDownLoader Code=%d", result));
    SleepMs(kRetryPauseMs);
    result = downloadExe(part);
  }
  if (part->file) {
    fclose(part->file);
    part->file = nullptr;
  }
  if (part->status == kPartComplete) part->owner->mergedDigest_.Completed(part->index, part->downloaded);
  --part->owner->activeParts_;
}

int32_t CMTCurlDownloader::downloadExe(DownloadPartNode* part) {
  // An attempt that received the part's last byte and then failed on more than the range left
  // the part complete: there is nothing left to ask for.
  if (part->start > part->end) {
    const bool closed = !part->file || fclose(part->file) == 0;
    part->file = nullptr;
    part->status = closed ? kPartComplete : CURLE_WRITE_ERROR;
    return part->status;
  }
  char range[64];
  snprintf(range, sizeof range, "%lld-%lld", static_cast<long long>(part->start), static_cast<long long>(part->end));
  CURL* handle = part->handle.get();
  int options = 0;
  options |= curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_URL, part->url.c_str());
  options |= curl_easy_setopt(handle, CURLOPT_TIMEOUT, 0L);
  options |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::WritePart);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, part);
  options |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  options |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::ProgressCallback);
  options |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, part->owner);
  options |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  options |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedLimit);
  options |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
  options |= curl_easy_setopt(handle, CURLOPT_RANGE, range);
  if (options != 0) return options;
  curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);

  part->attemptStart = part->start;
  int32_t code = curl_easy_perform(handle);
  if (code != CURLE_OK) {
    Utils::LogText(FormatText("error:%d:%s", code, CurlErrorText(code).c_str()));
  } else {
    Utils::LogText("curl_easy_cleanup");
  }
  curl_easy_reset(handle);
  if (code == CURLE_OK) {
    if (fclose(part->file) != 0) code = CURLE_WRITE_ERROR;
    part->file = nullptr;
  }
  part->status = code;
  return code;
}

size_t CMTCurlDownloader::WritePart(char* data, size_t size, size_t count, void* argument) {
  auto* part = static_cast<DownloadPartNode*>(argument);
  if (!part || !part->file) return 0;
  // The bytes are only this part's when the server answered the range. A whole-file answer is
  // refused too unless the range begins at the file's first byte: written at this part's offset,
  // its bytes would corrupt the merged file.
  long status = 0;
  curl_easy_getinfo(part->handle.get(), CURLINFO_RESPONSE_CODE, &status);
  if (status != 206 && !(status == 200 && part->attemptStart == 0)) return 0;
  // Bytes past the range are never written; returning fewer than offered ends the attempt, so a
  // server that sends more than was asked for fails it.
  const size_t wanted = BytesWithinRange(part->start, part->end, size * count);
  const size_t written = wanted == 0 ? 0 : fwrite(data, 1, wanted, part->file);
  part->start += static_cast<int64_t>(written);
  part->downloaded += static_cast<int64_t>(written);
  part->owner->mergedDigest_.Grown(part->index, part->downloaded);
  return written;
}

int CMTCurlDownloader::ProgressCallback(void* argument, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* self = static_cast<CMTCurlDownloader*>(argument);
  std::lock_guard lock(self->progressLock_);
  const int64_t now = time(nullptr);
  if (now < self->lastProgressTime_ + 1) return 0;
  self->lastProgressTime_ = now;

  double percent = 0.0;
  if (self->fileLength_ >= kMinimumFileLength) {
    for (const auto& part : self->parts_) {
      const int64_t downloaded = part->downloaded;
      if (downloaded > 0) percent += static_cast<double>(downloaded) * 100.0 / static_cast<double>(self->fileLength_);
    }
  }
  if (percent > 100.0) return 0;
  if (percent - self->lastPercent_ >= 1.0) {
    self->lastPercent_ = percent;
    self->callback_(DL_CODE_PROGRESS, percent / 100.0, "");
  }
  return 0;
}

void CMTCurlDownloader::waitForFinishThreadFun() {
  for (auto& part : parts_) {
    if (part->worker) part->worker->Join();
  }
  int32_t failure = 0;
  for (const auto& part : parts_) {
    if (part->status != kPartComplete) {
      failure = part->status;
      break;
    }
  }

  if (failure == 0) {
    lastPercent_ = 0.0;
    const bool merged = MergeParts();
    for (size_t i = 1; i < parts_.size(); ++i) Utils::LogText(FormatText("partPath::%s", parts_[i]->partPath.c_str()));
    if (merged) {
      // The digest worker reads the part files: it finishes before they are renamed and deleted.
      const bool checked = expectedMd5_.size() == kMd5Length;
      std::string actual = checked ? mergedDigest_.Finish() : std::string();
      mergedDigest_.Cancel();
      const std::string narrowTarget = NarrowPath(targetPath_);
      rename(parts_[0]->partPath.c_str(), narrowTarget.c_str());
      DeletePartFiles();
      if (checked) {
        if (actual.empty()) actual = Utils::FileMd5(narrowTarget);
        if (actual.size() == kMd5Length && actual != expectedMd5_) {
          callback_(DL_CODE_VERIFY, 0.0, "mtcurl文件md5校验失败");
          remove(narrowTarget.c_str());
          FreeParts();
          if (retried_) {
            Utils::LogText("finish recv, md5 chaek failed and retry failed.");
            callback_(DL_CODE_FAIL, 0.0, kLibCurlText);
          } else {
            retried_ = true;
            Utils::LogText("finish recv, md5 chaek failed retry once.");
            callback_(DL_CODE_RETRY, 0.0, kLibCurlText);
          }
          return;
        }
      } else {
        callback_(DL_CODE_VERIFY, 0.0, "mtcurl获取url-md5失败");
      }
      Utils::LogText("finish recv");
      FreeParts();
      callback_(DL_CODE_SUCCESS, 0.0, kLibCurlText);
      return;
    }
    // The first part file could not take the others: nothing of this run can be resumed.
    failure = CURLE_WRITE_ERROR;
  }

  mergedDigest_.Cancel();
  FreeParts();
  if (lastPercent_ == 0.0) DeletePartFiles();
  if (retried_) {
    lastPercent_ = 0.0;
    callback_(DL_CODE_FAIL, static_cast<double>(failure), kLibCurlText);
  } else {
    retried_ = true;
    callback_(DL_CODE_RETRY, static_cast<double>(failure), kLibCurlText);
  }
}

bool CMTCurlDownloader::MergeParts() {
  const std::string& firstPath = parts_[0]->partPath;
  // Not opened for appending: the kernel's copy needs an explicit offset.
  const int out = open(firstPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (out < 0) return false;
  off_t outOffset = lseek(out, 0, SEEK_END);
  bool ok = outOffset >= 0;
  for (size_t i = 1; ok && i < parts_.size(); ++i) {
    const int in = open(parts_[i]->partPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) continue;  // a part file that does not open is left out
    ok = AppendFile(in, out, outOffset);
    close(in);
  }
  if (close(out) != 0) ok = false;
  return ok;
}

void CMTCurlDownloader::FreeParts() { parts_.clear(); }
