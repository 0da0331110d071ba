#pragma once
// A tracker talking to a collector on loopback, with its files in the test's scratch home.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "analytics/qz_tracker_impl.h"
#include "analytics/sdk.h"
#include "collector/collector.h"
#include "support/scratch.h"
#include "support/stderr_capture.h"

namespace vemra::tracking {

inline TrackerConfig TestConfig(const std::string& serverUrl) {
  TrackerConfig config;
  config.appName = "lumetravox.downloader";
  config.appVersion = "1.7.9";
  config.appStore = "lumetravox_setup.exe";
  config.dlAppId = "lumetravox";
  config.serverUrl = serverUrl;
  return config;
}

// The folder of the identity file when no Set.ini redirects it.
inline std::string DefaultDataFolder(const std::string& appName = "lumetravox.downloader") {
  return std::string(getenv("XDG_DATA_HOME")) + "/QZLocal/" + appName + "/";
}

// Properties every "track" record carries from the tracker's common set.
inline const std::set<std::string>& CommonPropertyNames() {
  static const std::set<std::string> names = {
      "$lib",           "$lib_version",  "qz_app_id",        "$app_version",    "$app_id",          "qz_app_store",
      "qz_edition",     "qz_dlapp_id",   "qz_dlapp_version", "qz_app_platform", "qz_track_type",    "qz_sdk_version",
      "qz_sdk",         "$os",           "$os_version",      "qz_l10n_locale",  "qz_l10n_language", "qz_l10n_country",
      "$screen_height", "$screen_width", "qz_user_id"};
  return names;
}

// The record's properties without the common ones.
inline nlohmann::json OwnProperties(const nlohmann::json& record) {
  nlohmann::json own = nlohmann::json::object();
  for (const auto& [key, value] : record["properties"].items())
    if (!CommonPropertyNames().count(key)) own[key] = value;
  return own;
}

class TrackerTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    exeFolder_ = testsupport::NewFolder("program");
  }
  void TearDown() override { tracker_.reset(); }

  QzTrackerImpl& StartTracker(const TrackerConfig& config) {
    tracker_.reset();
    tracker_ = std::make_unique<QzTrackerImpl>(config, exeFolder_);
    tracker_->init();
    return *tracker_;
  }
  QzTrackerImpl& StartTracker() { return StartTracker(TestConfig(collector_.Url())); }
  // Ends the tracker's life: what is pending is flushed, the rest staged.
  void StopTracker() { tracker_.reset(); }

  testsupport::Collector collector_;
  std::string exeFolder_;
  std::unique_ptr<QzTrackerImpl> tracker_;
};

// Captures what this process writes to standard output while the object lives.
class StdoutCapture {
 public:
  StdoutCapture() {
    fflush(stdout);
    path_ = testsupport::NewFolder("stdout") + "/out";
    saved_ = dup(1);
    FILE* file = fopen(path_.c_str(), "w");
    dup2(fileno(file), 1);
    fclose(file);
  }
  ~StdoutCapture() { Finish(); }
  std::string Finish() {
    if (saved_ >= 0) {
      fflush(stdout);
      dup2(saved_, 1);
      close(saved_);
      saved_ = -1;
    }
    return testsupport::ReadFile(path_);
  }

 private:
  std::string path_;
  int saved_ = -1;
};

}  // namespace vemra::tracking
