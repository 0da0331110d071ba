#include "analytics/qz_tracker_wrapper.h"

#include <unistd.h>

#include <string>

namespace vemra::tracking {

template <typename Call>
void QzTrackerWrapper::Guard(const char* operation, Call call) {
  if (!impl_) return;
  try {
    call(*impl_);
  } catch (...) {
    if (impl_->getTrackLogger()) {
      const std::string line = std::string("Failed to ") + operation + "\n";
      ssize_t ignored = write(STDOUT_FILENO, line.data(), line.size());
      (void)ignored;
    }
  }
}

void QzTrackerWrapper::trackActivity(const QzContextProperties& props) {
  Guard("trackActivity", [&](QzTrackerImpl& impl) { impl.trackActivity(props); });
}
void QzTrackerWrapper::trackLaunch(const QzContextProperties& props) {
  Guard("trackLaunch", [&](QzTrackerImpl& impl) { impl.trackLaunch(props); });
}
void QzTrackerWrapper::trackLogin(const QzUserInfo& user, bool success, const std::string& reason,
                                  const QzContextProperties& props) {
  Guard("trackLogin", [&](QzTrackerImpl& impl) { impl.trackLogin(user, success, reason, props); });
}
void QzTrackerWrapper::trackClick(const QzEventClick& click, const QzContextProperties& props) {
  Guard("trackClick", [&](QzTrackerImpl& impl) { impl.trackClick(click, props); });
}
void QzTrackerWrapper::trackView(const QzEventView& view, const QzContextProperties& props) {
  Guard("trackView", [&](QzTrackerImpl& impl) { impl.trackView(view, props); });
}
void QzTrackerWrapper::trackCashier(const QzEventCashier& cashier, const QzContextProperties& props) {
  Guard("trackCashier", [&](QzTrackerImpl& impl) { impl.trackCashier(cashier, props); });
}
void QzTrackerWrapper::trackShare(const QzEventShare& share, const QzContextProperties& props) {
  Guard("trackShare", [&](QzTrackerImpl& impl) { impl.trackShare(share, props); });
}
void QzTrackerWrapper::trackTask(const QzEventTask& task, const QzContextProperties& props) {
  Guard("trackTask", [&](QzTrackerImpl& impl) { impl.trackTask(task, props); });
}
void QzTrackerWrapper::trackFile(const QzEventFile& file, const QzContextProperties& props) {
  Guard("trackFile", [&](QzTrackerImpl& impl) { impl.trackFile(file, props); });
}
void QzTrackerWrapper::trackOrder(const QzEventOrder& order, const QzContextProperties& props) {
  Guard("trackOrder", [&](QzTrackerImpl& impl) { impl.trackOrder(order, props); });
}
void QzTrackerWrapper::trackPayment(const QzEventPayment& payment, const QzContextProperties& props) {
  Guard("trackPayment", [&](QzTrackerImpl& impl) { impl.trackPayment(payment, props); });
}
void QzTrackerWrapper::trackUninstall(const std::string& reason, const QzContextProperties& props) {
  Guard("trackUninstall", [&](QzTrackerImpl& impl) { impl.trackUninstall(reason, props); });
}
void QzTrackerWrapper::trackCrash(const std::string& reason) {
  Guard("trackCrash", [&](QzTrackerImpl& impl) { impl.trackCrash(reason); });
}
void QzTrackerWrapper::trackUpdate(const QzEventUpdate& update, const QzContextProperties& props) {
  Guard("trackUpdate", [&](QzTrackerImpl& impl) { impl.trackUpdate(update, props); });
}
void QzTrackerWrapper::trackAppOpenNotification(const AppOpenNotification* notification,
                                                const QzContextProperties& props) {
  Guard("trackAppOpenNotification", [&](QzTrackerImpl& impl) { impl.trackAppOpenNotification(notification, props); });
}

void QzTrackerWrapper::setLocale(const std::string& locale) {
  if (impl_) impl_->setLocale(locale);
}

std::string QzTrackerWrapper::getPrimaryDistinctId() { return impl_ ? impl_->getPrimaryDistinctId() : std::string(); }

std::shared_ptr<QzTrackerWrapper> CreateTracker(const TrackerConfig& config) {
  auto impl = std::make_unique<QzTrackerImpl>(config);
  try {
    impl->init();
  } catch (...) {
    // A tracker that could not start stays in place without an analytics core: its events are
    // checked and then dropped, and the installer runs the same either way.
  }
  return std::make_shared<QzTrackerWrapper>(std::move(impl));
}

}  // namespace vemra::tracking
