#pragma once
// The tracker the application talks to: one operation per kind of business event.
#include <string>

#include "analytics/context_properties.h"
#include "analytics/track_logger.h"
#include "analytics/tracker_types.h"

namespace vemra::tracking {

struct TrackerConfig {
  std::string appName;
  std::string appVersion;
  std::string appStore;
  std::string dlAppId;
  std::string dlAppVersion;
  std::string logPath;  // empty: beside the identity file
  Edition edition = Edition::China;
  std::string serverUrl;  // empty: the default collector
};

class QzTracker {
 public:
  virtual ~QzTracker() = default;
  virtual void trackActivity(const QzContextProperties& props) = 0;
  virtual void trackLaunch(const QzContextProperties& props) = 0;
  virtual void trackLogin(const QzUserInfo& user, bool success, const std::string& reason,
                          const QzContextProperties& props) = 0;
  virtual void trackClick(const QzEventClick& click, const QzContextProperties& props) = 0;
  virtual void trackView(const QzEventView& view, const QzContextProperties& props) = 0;
  virtual void trackCashier(const QzEventCashier& cashier, const QzContextProperties& props) = 0;
  virtual void trackShare(const QzEventShare& share, const QzContextProperties& props) = 0;
  virtual void trackTask(const QzEventTask& task, const QzContextProperties& props) = 0;
  virtual void trackFile(const QzEventFile& file, const QzContextProperties& props) = 0;
  virtual void trackOrder(const QzEventOrder& order, const QzContextProperties& props) = 0;
  virtual void trackPayment(const QzEventPayment& payment, const QzContextProperties& props) = 0;
  virtual void trackUninstall(const std::string& reason, const QzContextProperties& props) = 0;
  virtual void trackCrash(const std::string& reason) = 0;
  virtual void trackUpdate(const QzEventUpdate& update, const QzContextProperties& props) = 0;
  virtual void trackAppOpenNotification(const AppOpenNotification* notification, const QzContextProperties& props) = 0;
  virtual void setLocale(const std::string& locale) = 0;
  virtual std::string getPrimaryDistinctId() = 0;
  virtual TrackLogger* getTrackLogger() = 0;
};

}  // namespace vemra::tracking
