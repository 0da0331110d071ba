#pragma once
// Collects the statuses a runner or the orchestrator reports, from whichever thread reports them.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "setup/setup_status.h"

struct Status {
  int32_t code;
  double value;
  std::string text;
  bool operator==(const Status&) const = default;
};

inline void PrintTo(const Status& status, std::ostream* out) {
  *out << "{" << status.code << ", " << status.value << ", \"" << status.text << "\"}";
}

class StatusRecorder {
 public:
  DownloadCallback Callback() {
    return [this](int32_t code, double value, const std::string& text) {
      {
        std::lock_guard lock(mutex_);
        statuses_.push_back({code, value, text});
      }
      changed_.notify_all();
    };
  }

  std::vector<Status> Statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
  }

  std::vector<int32_t> Codes() const {
    std::vector<int32_t> codes;
    for (const Status& status : Statuses()) codes.push_back(status.code);
    return codes;
  }

  // Waits until a status with the code has arrived; false after the time limit.
  bool WaitFor(int32_t code, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
      for (const Status& status : statuses_)
        if (status.code == code) return true;
      return false;
    });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Status> statuses_;
};
