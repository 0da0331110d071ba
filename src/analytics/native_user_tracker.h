#pragma once
// User-profile properties: a fixed table says whether each known property is set, set once or
// incremented, and the typed entry points turn one name and one value into one profile record.
#include <cstdint>
#include <string>

#include "analytics/tracker_context.h"

namespace vemra::tracking {

enum class ProfileKind { NotSupported = 0, SetOnce = 1, Increment = 2, Set = 3, Append = 4 };

class NativeUserTracker {
 public:
  static ProfileKind KindOf(const std::string& name);

  static void ProfileUserPropertyString(const std::string& name, const std::string& value);
  static void ProfileUserPropertyNumber(const std::string& name, int32_t value);
  static void ProfileUserPropertyNumber(const std::string& name, double value);
  // Seconds since 1970, or milliseconds for values above 157789439999.
  static void ProfileUserPropertyDateTime(const std::string& name, int64_t time);

  // The profile steps that follow the activity, launch and payment events; each adds the number
  // of records it sent to the context's pending count.
  static void VisitStep(TrackerContext& context, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion);
  static void LaunchStep(TrackerContext& context);
  static void PaymentStep(TrackerContext& context, double paidAmount);
};

}  // namespace vemra::tracking
