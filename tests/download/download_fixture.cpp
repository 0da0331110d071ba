#include "download/download_fixture.h"

#include <curl/curl.h>
#include <stdlib.h>

#include "support/scratch.h"

namespace downloadtest {

DownloadCallback StatusRecorder::Callback() {
  return [this](int32_t code, double value, const std::string& text) {
    Status status{code, value, text, std::chrono::steady_clock::now()};
    {
      std::lock_guard lock(mutex_);
      statuses_.push_back(status);
    }
    changed_.notify_all();
    if (onStatus) onStatus(status);
  };
}

std::vector<Status> StatusRecorder::All() const {
  std::lock_guard lock(mutex_);
  return statuses_;
}

std::vector<int32_t> StatusRecorder::Codes() const {
  std::vector<int32_t> codes;
  for (const Status& status : All()) {
    if (status.code != DL_CODE_PROGRESS) codes.push_back(status.code);
  }
  return codes;
}

std::vector<double> StatusRecorder::ProgressValues() const {
  std::vector<double> values;
  for (const Status& status : All()) {
    if (status.code == DL_CODE_PROGRESS) values.push_back(status.value);
  }
  return values;
}

bool StatusRecorder::WaitFor(int32_t code, int count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    int seen = 0;
    for (const Status& status : statuses_) seen += status.code == code;
    return seen >= count;
  });
}

bool StatusRecorder::WaitForEnds(int count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    int seen = 0;
    for (const Status& status : statuses_) {
      seen += status.code == DL_CODE_SUCCESS || status.code == DL_CODE_FAIL || status.code == DL_CODE_RETRY;
    }
    return seen >= count;
  });
}

std::string PackageBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}

std::string MakePackage(size_t size, const std::string& name, uint32_t seed) {
  const std::string path = testsupport::NewFolder("served") + "/" + name;
  testsupport::WriteFile(path, PackageBytes(size, seed));
  return path;
}

void DownloadTest::SetUp() {
  // Loopback only: a proxy of the machine must not see these requests.
  for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
    unsetenv(name);
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

std::string DownloadTest::NewTarget(const std::string& name) { return testsupport::NewFolder("install") + "/" + name; }

double Seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace downloadtest
