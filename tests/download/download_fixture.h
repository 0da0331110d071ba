#pragma once
// What the downloader tests share: a recorder of statuses, package files, and a fixture that keeps
// libcurl away from any proxy of the machine.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/download_status.h"
#include "link_service/link_service.h"

namespace downloadtest {

struct Status {
  int32_t code;
  double value;
  std::string text;
  std::chrono::steady_clock::time_point at;
};

// Collects every status a downloader reports, from whichever thread.
class StatusRecorder {
 public:
  // Runs on the reporting worker after the status is recorded, like the orchestrator's handler.
  std::function<void(const Status&)> onStatus;

  DownloadCallback Callback();
  std::vector<Status> All() const;
  // The codes in order, progress left out.
  std::vector<int32_t> Codes() const;
  std::vector<double> ProgressValues() const;
  // Waits until `count` statuses with this code have arrived.
  bool WaitFor(int32_t code, int count = 1, std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
  // Waits until a run's last status (1003, 1004 or 1005) has arrived `count` times.
  bool WaitForEnds(int count, std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Status> statuses_;
};

// Restarts the downloader from inside the callback on 1005, on the reporting worker, as the
// orchestrator does; `beforeRestart` runs first (a test may heal its server there).
template <class Downloader>
void RestartOnRetry(StatusRecorder& recorder, std::unique_ptr<Downloader>& downloader,
                    std::function<void()> beforeRestart = {}) {
  recorder.onStatus = [&downloader, beforeRestart](const Status& status) {
    if (status.code != DL_CODE_RETRY) return;
    if (beforeRestart) beforeRestart();
    downloader->Start();
  };
}

// Deterministic bytes that differ at every offset of a block, so a misplaced range shows.
std::string PackageBytes(size_t size, uint32_t seed = 1);
// Writes a package of `size` bytes into a fresh folder and returns its path.
std::string MakePackage(size_t size, const std::string& name = "setup.exe", uint32_t seed = 1);

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // A fresh folder with the target path of a download in it.
  std::string NewTarget(const std::string& name = "__Package_lumetravox.exe");

  testsupport::LinkService service_;
};

double Seconds(std::chrono::steady_clock::duration duration);

}  // namespace downloadtest
