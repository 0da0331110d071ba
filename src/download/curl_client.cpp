#include "download/curl_client.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "analytics/installer_reports.h"
#include "download/formatted_text.h"
#include "download/narrow_forms.h"
#include "utils/log.h"
#include "utils/text.h"

namespace {

constexpr size_t kErrorTextCharacters = 200;
constexpr size_t kReasonCharacters = 200;
// Large receive blocks keep the write calls few; libcurl's default is 16 KiB.
constexpr long kReceiveBufferBytes = 512 * 1024;

std::string CurlErrorText(int32_t code) {
  return Utils::ToWide(curl_easy_strerror(static_cast<CURLcode>(code)), Utils::kCodePageAnsi);
}

// The length query saw a status outside 2xx/3xx (or none at all): the collector hears why the
// package could not be sized.
void ReportLengthFailure(long status) {
  char text[256];
  snprintf(text, sizeof text, "1.获取文件大小的状态码为=%ld；", status);
  ReportTask("下载失败原因", 0.0f, Utils::CutToCodePoints(text, kReasonCharacters), {{"AB", "IN"}});
}

bool IsUsableStatus(long status) { return status >= 200 && status <= 399; }

}  // namespace

CurlClient::CurlClient(std::string url, std::string targetPath, void* owner, ProgressFunction progress)
    : url_(std::move(url)), targetPath_(std::move(targetPath)), owner_(owner), progress_(progress) {}

CurlClient::~CurlClient() {
  if (!targetPath_.empty()) remove(NarrowPath(GetFilePath(true)).c_str());
  stopRequested_ = true;
}

std::string CurlClient::GetFilePath(bool part) const { return part ? targetPath_ + ".part" : targetPath_; }

int32_t CurlClient::Start() {
  Utils::LogText("start download");
  const std::string partPath = NarrowPath(GetFilePath(true));
  const std::string targetPath = NarrowPath(GetFilePath(false));
  const std::string narrowUrl = NarrowUrl(url_);
  completedMd5_.clear();

  Resolve(narrowUrl);
  int32_t result = fileLength_ < kMinimumFileLength ? kLengthRefused : Transfer(partPath);

  Utils::LogText(FormatText("error:%d:%s", result, CurlErrorText(result).c_str()));
  transfer_.reset();
  if (result == 0) {
    // The digest has followed the part file; what is left to hash is what the last reads missed.
    partDigest_.Completed(0, FileSize(partPath));
    const std::string digest = partDigest_.Finish();
    remove(targetPath.c_str());
    if (rename(partPath.c_str(), targetPath.c_str()) == 0) completedMd5_ = digest;
  } else {
    partDigest_.Cancel();
  }
  Utils::LogText("end download");
  return result;
}

// Two ways to the real address and the length: the first reads both from one HEAD; the second
// asks for each separately, for servers that answer the first poorly. Both are skipped when an
// earlier call already knows them.
void CurlClient::Resolve(const std::string& narrowUrl) {
  if (realUrl_.empty() || fileLength_ < kMinimumFileLength) {
    CurlEasy head = Head(narrowUrl);
    realUrl_ = GetEffectiveUrl(head.get());
    fileLength_ = GetDownloadFileLength(head.get());
  }
  if (realUrl_.empty() || fileLength_ < kMinimumFileLength) {
    realUrl_ = GetRealUrl_Str(narrowUrl);
    if (!realUrl_.empty()) fileLength_ = GetDownloadFileLength_Str(realUrl_);
  }
}

int32_t CurlClient::Transfer(const std::string& partPath) {
  transfer_.reset(curl_easy_init());
  CURL* handle = transfer_.get();
  if (!handle) return kNoHandle;

  // Appending keeps what an earlier attempt received; the transfer resumes after it.
  FILE* file = fopen(partPath.c_str(), "ab+");
  if (!file) {
    errorText_ = Utils::CutToCodePoints(strerror(errno), kErrorTextCharacters);
    return kPartFileFailed;
  }
  // Unbuffered: every block reaches the file at once, where the digest reads it back.
  setvbuf(file, nullptr, _IONBF, 0);

  CurlList headers(curl_slist_append(nullptr, "Connection: keep-alive"));
  if (headers) headers.reset(curl_slist_append(headers.release(), "Accept-Encoding: gzip, deflate"));
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(handle, CURLOPT_TCP_KEEPIDLE, 10L);
  curl_easy_setopt(handle, CURLOPT_TCP_KEEPINTVL, 10L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, 0L);
  curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);

  PartFile part{file, &partDigest_, 0};
  int options = 0;
  options |= curl_easy_setopt(handle, CURLOPT_URL, realUrl_.c_str());
  options |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CurlClient::WritePart);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, &part);
  options |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  options |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
  options |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
  options |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);

  struct stat info {};
  resumeOffset_ = fstat(fileno(file), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
  if (resumeOffset_ > 0) {
    options |= curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_));
  }
  // The digest follows the part file: bytes left by an earlier attempt are hashed first.
  part.length = std::max<int64_t>(0, resumeOffset_);
  partDigest_.Begin({partPath}, {part.length});

  int32_t result = options;
  if (result == 0) result = curl_easy_perform(handle);
  if (fclose(file) != 0 && result == 0) result = CURLE_WRITE_ERROR;
  return result;
}

size_t CurlClient::WritePart(char* data, size_t size, size_t count, void* partFile) {
  auto* part = static_cast<PartFile*>(partFile);
  const size_t written = fwrite(data, 1, size * count, part->file);
  part->length += static_cast<int64_t>(written);
  part->digest->Grown(0, part->length);
  return written;
}

int CurlClient::ProgressCallback(void* client, curl_off_t totalExpected, curl_off_t received, curl_off_t, curl_off_t) {
  auto* self = static_cast<CurlClient*>(client);
  if (self->stopRequested_) return 1;

  const int64_t now = time(nullptr);
  if (now < self->lastProgressTime_ + 1) return 0;
  self->lastProgressTime_ = now;

  curl_off_t bytesPerSecond = 0;
  const double speed = curl_easy_getinfo(self->transfer_.get(), CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond) == CURLE_OK
                           ? static_cast<double>(bytesPerSecond)
                           : 0.0;

  double percent = 0.0;
  if (self->fileLength_ > kMinimumFileLength) {
    percent = static_cast<double>(self->resumeOffset_ + received) / self->fileLength_ * 100.0;
  } else {
    if (received <= 0 || totalExpected <= 0) return 0;
    percent = static_cast<double>(received) * 100.0 / static_cast<double>(totalExpected);
  }
  if (percent == 0.0) return 0;

  if (self->progress_) self->progress_(self->owner_, speed, percent);
  if (totalExpected != 0) {
    Utils::LogFormat(" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(received / 1048576),
                     static_cast<int>(totalExpected / 1048576), static_cast<double>(static_cast<float>(percent)),
                     static_cast<double>(static_cast<float>(speed / 1024.0)));
  }
  return 0;
}

CurlEasy CurlClient::Head(const std::string& url) {
  CurlEasy handle(curl_easy_init());
  if (!handle || SetHeadOptions(handle.get(), url) != 0) return handle;
  const CURLcode code = curl_easy_perform(handle.get());
  const std::string description = CurlErrorText(code);
  Utils::LogFormat("error:%d:%s", static_cast<int>(code), description.c_str());
  Utils::LogText(FormatText("error:%d:%s", static_cast<int>(code), description.c_str()));
  return handle;
}

std::string CurlClient::GetEffectiveUrl(CURL* handle) {
  char* url = nullptr;
  if (!handle || curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || !url) return {};
  return url;
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
  curl_off_t stated = -1;
  const CURLcode read =
      handle ? curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &stated) : CURLE_BAD_FUNCTION_ARGUMENT;
  const double length = static_cast<double>(stated);
  Utils::LogText(FormatText("error:%d:%s", static_cast<int>(read), CurlErrorText(read).c_str()));
  long status = 0;
  const bool statusRead = handle && curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK;
  if (statusRead && IsUsableStatus(status)) return length;
  ReportLengthFailure(statusRead ? status : 0);
  return -1.0;
}

std::string CurlClient::GetRealUrl_Str(const std::string& url) {
  std::string effective;
  CurlEasy handle(curl_easy_init());
  if (handle) {
    const int options = SetHeadOptions(handle.get(), url);
    const CURLcode code = options == 0 ? curl_easy_perform(handle.get()) : static_cast<CURLcode>(options);
    if (code == CURLE_OK) {
      effective = GetEffectiveUrl(handle.get());
    } else {
      Utils::LogFormat("error:%d:%s", static_cast<int>(code), CurlErrorText(code).c_str());
    }
  }
  return effective.empty() ? url : effective;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url) {
  double length = -1.0;
  CurlEasy handle(curl_easy_init());
  if (!handle) return length;
  int options = 0;
  options |= curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
  options |= curl_easy_setopt(handle.get(), CURLOPT_HEADER, 1L);
  options |= curl_easy_setopt(handle.get(), CURLOPT_NOBODY, 1L);
  options |= curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &DiscardBody);
  options |= curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  CURLcode code = static_cast<CURLcode>(options);
  if (options == 0) {
    curl_easy_perform(handle.get());
    curl_off_t stated = -1;
    code = curl_easy_getinfo(handle.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &stated);
    length = static_cast<double>(stated);
    long status = 0;
    code = curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    if (code != CURLE_OK || !IsUsableStatus(status)) {
      ReportLengthFailure(code == CURLE_OK ? status : 0);
      length = -1.0;
    }
  }
  Utils::LogText(FormatText("error:%d:%s", static_cast<int>(code), CurlErrorText(code).c_str()));
  return length;
}
