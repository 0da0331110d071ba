#pragma once
// The tracker: checks each event record, turns it into properties under fixed names, adds the
// caller's context properties and hands the event to the analytics core.
#include <memory>
#include <string>

#include "analytics/property_value.h"
#include "analytics/qz_tracker.h"
#include "analytics/tracker_context.h"

namespace vemra::tracking {

class QzTrackerImpl : public QzTracker {
 public:
  explicit QzTrackerImpl(TrackerConfig config);
  // `exeFolder` is where a "Set.ini" may redirect the identity file (normally the program's folder).
  QzTrackerImpl(TrackerConfig config, std::string exeFolder);
  // Saves the identity, makes a last attempt to deliver pending records, stages the rest for the
  // next run and closes the track log.
  ~QzTrackerImpl() override;

  // Resolves the files, loads the identity and starts the analytics core. Raises QzException.
  void init();

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
  TrackLogger* getTrackLogger() override;

  const TrackerContext& context() const { return context_; }
  const std::string& collectorUrl() const { return collectorUrl_; }

 private:
  using Properties = qz_analytics::PropertiesNode;

  // Adds the caller's properties for the event (they replace fixed ones) and queues the event.
  void send(QzEvent event, const char* eventName, Properties& properties, const QzContextProperties& props);
  // Posts everything queued when something is pending, trying up to three times.
  void flushNow();
  // Notes one more pending record; the flush waits for an operation that flushes now.
  void markPending();
  Properties localeCommonProperties() const;

  const TrackerConfig config_;
  const std::string exeFolder_;
  std::string collectorUrl_;
  TrackerContext context_;
  std::unique_ptr<NativeTrackLogger> logger_;
};

}  // namespace vemra::tracking
