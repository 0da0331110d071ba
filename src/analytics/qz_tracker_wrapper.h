#pragma once
// What the application holds: the tracker with every failure swallowed, so analytics can never
// change what the installer does.
#include <memory>

#include "analytics/qz_tracker_impl.h"

namespace vemra::tracking {

class QzTrackerWrapper : public QzTracker {
 public:
  explicit QzTrackerWrapper(std::unique_ptr<QzTrackerImpl> impl) : impl_(std::move(impl)) {}

  void trackActivity(const QzContextProperties& props) override;
  void trackLaunch(const QzContextProperties& props) override;
  void trackLogin(const QzUserInfo& user, bool success, const std::string& reason,
                  const QzContextProperties& props) override;
  void trackClick(const QzEventClick& click, const QzContextProperties& props) override;
  void trackView(const QzEventView& view, const QzContextProperties& props) override;
  void trackCashier(const QzEventCashier& cashier, const QzContextProperties& props) override;
  void trackShare(const QzEventShare& share, const QzContextProperties& props) override;
  void trackTask(const QzEventTask& task, const QzContextProperties& props) override;
  void trackFile(const QzEventFile& file, const QzContextProperties& props) override;
  void trackOrder(const QzEventOrder& order, const QzContextProperties& props) override;
  void trackPayment(const QzEventPayment& payment, const QzContextProperties& props) override;
  void trackUninstall(const std::string& reason, const QzContextProperties& props) override;
  void trackCrash(const std::string& reason) override;
  void trackUpdate(const QzEventUpdate& update, const QzContextProperties& props) override;
  void trackAppOpenNotification(const AppOpenNotification* notification, const QzContextProperties& props) override;
  void setLocale(const std::string& locale) override;
  std::string getPrimaryDistinctId() override;
  // Always none: the log belongs to the implementation.
  TrackLogger* getTrackLogger() override { return nullptr; }

 private:
  template <typename Call>
  void Guard(const char* operation, Call call);

  std::unique_ptr<QzTrackerImpl> impl_;
};

// Builds the process's tracker: constructs the implementation, starts it (a start that fails
// leaves a tracker that drops every event) and wraps it.
std::shared_ptr<QzTrackerWrapper> CreateTracker(const TrackerConfig& config);

}  // namespace vemra::tracking
