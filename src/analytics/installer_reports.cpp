#include "analytics/installer_reports.h"

#include <cmath>
#include <cstdint>
#include <mutex>

#include "analytics/qz_exception.h"
#include "app/installer_settings.h"
#include "utils/text.h"

namespace {

using vemra::tracking::QzContextProperties;
using vemra::tracking::QzEvent;
using vemra::tracking::QzTracker;

constexpr char kAbKey[] = "AB";
constexpr size_t kShortReasonCharacters = 199;

std::mutex g_trackerLock;
std::shared_ptr<QzTracker> g_tracker;

std::shared_ptr<QzTracker> ActiveTracker() {
  if (!Settings().IsEnableAppSensors) return nullptr;
  return ReportTracker();
}

// The AB group goes with the event when it is a valid AB value; otherwise the event goes without.
QzContextProperties ContextFor(QzEvent event, const ReportExtras& extras) {
  QzContextProperties props;
  const auto ab = extras.find(kAbKey);
  if (ab == extras.end()) return props;
  try {
    if (QzContextProperties::isValidABValue(ab->second)) props.setProperty(ab->second, {static_cast<int>(event)});
  } catch (const vemra::tracking::QzException&) {
  }
  return props;
}

}  // namespace

void SetReportTracker(std::shared_ptr<QzTracker> tracker) {
  std::lock_guard<std::mutex> lock(g_trackerLock);
  g_tracker = std::move(tracker);
}

std::shared_ptr<QzTracker> ReportTracker() {
  std::lock_guard<std::mutex> lock(g_trackerLock);
  return g_tracker;
}

void ReleaseReportTracker() {
  std::shared_ptr<QzTracker> last;
  {
    std::lock_guard<std::mutex> lock(g_trackerLock);
    last.swap(g_tracker);
  }
  // Destroyed here, outside the lock: the shutdown may post for a few seconds.
}

void ReportTask(const std::string& name, float elapsed, const std::string& reason, const ReportExtras& extras) {
  const auto tracker = ActiveTracker();
  if (!tracker) return;
  vemra::tracking::QzEventTask task;
  task.name = name;
  task.reason = reason;
  task.elapsed = vemra::tracking::Some(elapsed);
  task.result = vemra::tracking::Some(vemra::tracking::QzResult::Success);
  tracker->trackTask(task, ContextFor(QzEvent::Task, extras));
}

void ReportClick(const std::string& name, const ReportExtras& extras) {
  const auto tracker = ActiveTracker();
  if (!tracker) return;
  vemra::tracking::QzEventClick click;
  click.name = name;
  click.clickType = vemra::tracking::ClickType::Button;
  tracker->trackClick(click, ContextFor(QzEvent::Click, extras));
}

void ReportView(const std::string& name, const ReportExtras& extras) {
  const auto tracker = ActiveTracker();
  if (!tracker) return;
  vemra::tracking::QzEventView view;
  view.name = name;
  tracker->trackView(view, ContextFor(QzEvent::View, extras));
}

void ReportCrash() {
  const auto tracker = ActiveTracker();
  if (!tracker) return;
  tracker->trackCrash("崩溃");
}

vemra::tracking::TrackerConfig InstallerTrackerConfig() {
  const InstallerSettings& settings = Settings();
  vemra::tracking::TrackerConfig config;
  config.appName = settings.ProductId + settings.DlAppNameSuffix;
  config.appVersion = settings.ProductVersion;
  config.appStore = settings.ExeName;
  config.dlAppId = settings.ProductId;
  config.dlAppVersion = settings.m_DlAppVersion;
  return config;
}

std::string FormatShortReason(double code, const std::string& message) {
  // The code is the status value cut toward zero; values beyond the integer range saturate.
  long value = 0;
  if (std::isfinite(code)) {
    const double truncated = std::trunc(code);
    if (truncated >= static_cast<double>(INT64_MAX)) {
      value = INT64_MAX;
    } else if (truncated <= static_cast<double>(INT64_MIN)) {
      value = INT64_MIN;
    } else {
      value = static_cast<long>(truncated);
    }
  }
  return Utils::CutToCodePoints(":1.code=" + std::to_string(value) + "；2.msg=" + message, kShortReasonCharacters);
}
