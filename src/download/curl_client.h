#pragma once
// Downloads one file over HTTP(S) with libcurl, synchronously on the calling thread. Before the
// transfer it learns, with HEAD requests, where the file really is (the address after all
// redirects) and how large it is; it then fetches it with one GET into "<target>.part", resuming
// after whatever that file already holds, and renames it to the target when the transfer is done.
// What one call learnt (real address, length, part file) is reused by the next.
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "download/curl_handle.h"
#include "download/file_digest.h"

class CurlClient {
 public:
  // (owner, speed in bytes per second, percent done)
  using ProgressFunction = void (*)(void* owner, double speed, double percent);

  static constexpr double kMinimumFileLength = 1048576.0;
  // Results of Start besides libcurl's own codes.
  static constexpr int32_t kLengthRefused = -998;  // length unknown or below the minimum
  static constexpr int32_t kNoHandle = -997;
  static constexpr int32_t kPartFileFailed = -996;

  CurlClient(std::string url, std::string targetPath, void* owner, ProgressFunction progress);
  ~CurlClient();  // removes the part file
  CurlClient(const CurlClient&) = delete;
  CurlClient& operator=(const CurlClient&) = delete;

  // 0 when the file is complete at the target path; otherwise one of the codes above, libcurl's
  // code of the GET, or the OR of the codes of refused options.
  int32_t Start();

  static int ProgressCallback(void* client, curl_off_t totalExpected, curl_off_t received, curl_off_t, curl_off_t);

  // One HEAD request that follows redirects; the caller reads the results from the handle.
  static CurlEasy Head(const std::string& url);
  static std::string GetEffectiveUrl(CURL* handle);
  // The content length of a finished HEAD, or -1.0 (the status is reported when it is not 2xx/3xx).
  static double GetDownloadFileLength(CURL* handle);
  static std::string GetRealUrl_Str(const std::string& url);
  static double GetDownloadFileLength_Str(const std::string& url);

  std::string GetFilePath(bool part) const;

  // Makes the running transfer end at its next progress callback; never cleared.
  void RequestStop() { stopRequested_ = true; }

  const std::string& RealUrl() const { return realUrl_; }
  double FileLength() const { return fileLength_; }
  int64_t ResumeOffset() const { return resumeOffset_; }
  const std::string& ErrorText() const { return errorText_; }
  // The MD5 of the file at the target path after a successful Start, taken from the bytes as they
  // were written; empty when it isn't known (the caller then hashes the file itself).
  const std::string& CompletedFileMd5() const { return completedMd5_; }

 private:
  struct PartFile {
    FILE* file = nullptr;
    FollowingDigest* digest = nullptr;
    int64_t length = 0;  // bytes in the file
  };
  static size_t WritePart(char* data, size_t size, size_t count, void* partFile);
  void Resolve(const std::string& narrowUrl);
  int32_t Transfer(const std::string& partPath);

  std::string url_;
  std::string targetPath_;
  void* owner_;
  CurlEasy transfer_;
  ProgressFunction progress_;
  double fileLength_ = -1.0;
  int64_t resumeOffset_ = -1;
  int64_t lastProgressTime_ = 0;
  std::atomic<bool> stopRequested_{false};
  std::string errorText_;
  std::string realUrl_;
  FollowingDigest partDigest_;
  std::string completedMd5_;
};
