#include "analytics/native_user_tracker.h"

#include <map>

#include "analytics/device_facts.h"
#include "analytics/qz_exception.h"
#include "analytics/sdk.h"

namespace vemra::tracking {

namespace {

using qz_analytics::PropertiesNode;
using qz_analytics::Sdk;

constexpr int64_t kLargestSecondsValue = 157789439999;
constexpr char kInstallSource[] = "android_id=123##imei=1234##mac=123";

const std::map<std::string, ProfileKind>& KindTable() {
  // Built on first use; a name listed twice keeps its first kind.
  static const std::map<std::string, ProfileKind> table = [] {
    std::map<std::string, ProfileKind> kinds;
    const auto add = [&](ProfileKind kind, std::initializer_list<const char*> names) {
      for (const char* name : names) kinds.emplace(name, kind);
    };
    add(ProfileKind::Set, {"qz_label", "qz_os", "qz_os_version", "qz_manufacturer", "qz_model"});
    add(ProfileKind::SetOnce, {"$first_visit_time", "qz_first_visit_date"});
    add(ProfileKind::Set, {"qz_app_store", "qz_app_platform", "qz_last_app_id", "qz_last_app_version"});
    add(ProfileKind::SetOnce, {"$ios_install_source"});
    add(ProfileKind::Set, {"qz_carrier", "qz_last_visit_date"});
    add(ProfileKind::Increment, {"qz_visit_count"});
    add(ProfileKind::Set, {"aurora_pushid"});
    add(ProfileKind::Set,
        {"qz_user_id", "qz_user_name", "qz_user_type", "qz_user_nickname", "qz_user_portrait", "qz_user_mobilephone",
         "qz_user_email", "qz_user_weixin", "qz_user_qq", "qz_user_did", "qz_user_created", "qz_user_last_login",
         "qz_user_last_ip", "qz_user_vip_level", "qz_user_vip_enddate"});
    add(ProfileKind::Set, {"idfa", "imei", "android_id", "oaid"});
    add(ProfileKind::Set, {"qz_ip", "qz_country_code", "qz_country", "qz_province", "qz_city"});
    add(ProfileKind::SetOnce, {"qz_first_paid_date"});
    add(ProfileKind::Set, {"qz_last_paid_date"});
    add(ProfileKind::Increment, {"qz_paid_count", "qz_consumption"});
    return kinds;
  }();
  return table;
}

[[noreturn]] void RaiseNotSupported(const char* function, const std::string& name) {
  QZ_RAISE(function, "Not supported user property [" + name + "]!");
}

template <typename T>
void SendNumber(const char* function, const std::string& name, T value) {
  switch (NativeUserTracker::KindOf(name)) {
    case ProfileKind::SetOnce:
      Sdk::profileSetOnce(name, value);
      break;
    case ProfileKind::Set:
      Sdk::profileSet(name, value);
      break;
    case ProfileKind::Increment:
      if constexpr (std::is_same_v<T, double>) {
        PropertiesNode properties;
        properties.SetNumber(name, value);
        Sdk::profileIncrement(properties);
      } else {
        Sdk::profileIncrement(name, value);
      }
      break;
    case ProfileKind::Append:
      QZ_RAISE(function, "user property [" + name + "] is number value, it cannot be append to list!");
    case ProfileKind::NotSupported:
      RaiseNotSupported(function, name);
  }
}

void SetVisitTimes() {
  const int64_t now = qz_analytics::CurrentTimeMillis();
  NativeUserTracker::ProfileUserPropertyDateTime("$first_visit_time", now);
  NativeUserTracker::ProfileUserPropertyDateTime("qz_first_visit_date", now);
  NativeUserTracker::ProfileUserPropertyDateTime("qz_last_visit_date", now);
}

}  // namespace

ProfileKind NativeUserTracker::KindOf(const std::string& name) {
  const auto& table = KindTable();
  const auto found = table.find(name);
  return found == table.end() ? ProfileKind::NotSupported : found->second;
}

void NativeUserTracker::ProfileUserPropertyString(const std::string& name, const std::string& value) {
  static constexpr char kFunction[] = "ProfileUserPropertyString";
  switch (KindOf(name)) {
    case ProfileKind::SetOnce:
      Sdk::profileSetOnce(name, value);
      break;
    case ProfileKind::Set:
      Sdk::profileSet(name, value);
      break;
    case ProfileKind::Append:
      Sdk::profileAppend(name, value);
      break;
    case ProfileKind::Increment:
      QZ_RAISE(kFunction, "user property [" + name + "] is string type value, it cannot be accumulated!");
    case ProfileKind::NotSupported:
      RaiseNotSupported(kFunction, name);
  }
}

void NativeUserTracker::ProfileUserPropertyNumber(const std::string& name, int32_t value) {
  SendNumber("ProfileUserPropertyNumber", name, value);
}

void NativeUserTracker::ProfileUserPropertyNumber(const std::string& name, double value) {
  SendNumber("ProfileUserPropertyNumber", name, value);
}

void NativeUserTracker::ProfileUserPropertyDateTime(const std::string& name, int64_t time) {
  static constexpr char kFunction[] = "ProfileUserPropertyDateTime";
  const bool inMilliseconds = time > kLargestSecondsValue;
  PropertiesNode properties;
  properties.SetDateTime(name, inMilliseconds ? time / 1000 : time, inMilliseconds ? static_cast<int>(time % 1000) : 0);
  switch (KindOf(name)) {
    case ProfileKind::SetOnce:
      Sdk::profileSetOnce(properties);
      break;
    case ProfileKind::Set:
      Sdk::profileSet(properties);
      break;
    case ProfileKind::Increment:
      QZ_RAISE(kFunction, "user property [" + name + "] is boolean value, it cannot be accumulative!");
    case ProfileKind::Append:
      QZ_RAISE(kFunction, "user property [" + name + "] is boolean value, it cannot be append to list!");
    case ProfileKind::NotSupported:
      RaiseNotSupported(kFunction, name);
  }
}

void NativeUserTracker::VisitStep(TrackerContext& context, const std::string& appStore, const std::string& appName,
                                  const std::string& appVersion) {
  SetVisitTimes();
  const OsDescription os = osNameAndVersion();
  ProfileUserPropertyString("qz_os", os.name);
  ProfileUserPropertyString("qz_os_version", os.version);
  ProfileUserPropertyString("qz_app_store", appStore);
  ProfileUserPropertyString("qz_app_platform", os.name);
  ProfileUserPropertyString("qz_last_app_id", appName);
  ProfileUserPropertyString("qz_last_app_version", appVersion);
  ProfileUserPropertyString("$ios_install_source", kInstallSource);
  context.pendingCount += 9;
}

void NativeUserTracker::LaunchStep(TrackerContext& context) {
  if (context.userId.empty()) return;
  SetVisitTimes();
  context.pendingCount += 4;
}

void NativeUserTracker::PaymentStep(TrackerContext& context, double paidAmount) {
  ProfileUserPropertyNumber("qz_paid_count", 1);
  ProfileUserPropertyNumber("qz_consumption", paidAmount);
  const int64_t now = qz_analytics::CurrentTimeMillis();
  ProfileUserPropertyDateTime("qz_first_paid_date", now);
  ProfileUserPropertyDateTime("qz_last_paid_date", now);
  context.pendingCount += 4;
}

}  // namespace vemra::tracking
