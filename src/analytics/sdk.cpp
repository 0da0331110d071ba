#include "analytics/sdk.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "analytics/collector_post.h"

namespace qz_analytics {

namespace {

constexpr char kLibName[] = "cpp";
constexpr char kLibVersion[] = "0.9";

std::unique_ptr<Sdk> g_sdk;

void WriteDiagnostic(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stderr); }

bool IsKeyStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '$' || c == '_'; }
bool IsKeyChar(char c) { return IsKeyStart(c) || (c >= '0' && c <= '9'); }

std::string LastDigits(int64_t value, size_t count) {
  const std::string text = std::to_string(value);
  return text.size() > count ? text.substr(text.size() - count) : text;
}

template <typename T>
PropertiesNode SingleNumber(const std::string& key, T value) {
  PropertiesNode properties;
  if constexpr (std::is_same_v<T, double>) {
    properties.SetNumber(key, value);
  } else {
    properties.SetInteger(key, value);
  }
  return properties;
}

PropertiesNode SingleString(const std::string& key, const std::string& value) {
  PropertiesNode properties;
  properties.SetString(key, value);
  return properties;
}

}  // namespace

int64_t CurrentTimeMillis() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool checkKeyName(const std::string& label, const std::string& key) {
  if (key.empty() || key.size() > 100) {
    WriteDiagnostic("The " + label + " is empty or too long, max length is 100\n");
    return false;
  }
  bool valid = IsKeyStart(key[0]);
  for (size_t i = 1; valid && i < key.size(); ++i) valid = IsKeyChar(key[i]);
  if (!valid) WriteDiagnostic("The " + label + " need to be a valid variable name.\n");
  return valid;
}

bool checkIdString(const std::string& label, const std::string& value) {
  if (value.empty()) {
    WriteDiagnostic("The " + label + " is empty.\n");
    return false;
  }
  if (value.size() > 255) {
    WriteDiagnostic("The " + label + " is too long, max length is 255.\n");
    return false;
  }
  return true;
}

bool checkProperties(const PropertiesNode& properties) {
  for (const auto& [key, value] : properties.entries()) {
    if (!checkKeyName("Property Key", key)) return false;
    if (key == "$time" && value.kind() != PropertyValue::kDateTime) {
      WriteDiagnostic("The property '$time' should be DateTime type.\n");
      return false;
    }
    if (key == "$project" && value.kind() != PropertyValue::kString) {
      WriteDiagnostic("The property '$project' should be String type.\n");
      return false;
    }
  }
  return true;
}

int64_t makeTrackId() {
  const std::string a = LastDigits(std::rand() % 99 + 100, 2);
  const std::string b = LastDigits(std::rand() % 999 + 1000, 3);
  const std::string c = LastDigits(CurrentTimeMillis(), 4);
  return std::strtoll((a + b + c).c_str(), nullptr, 10);
}

Sdk::Sdk(const std::string& stagingPath, const std::string& collectorUrl, const std::string& distinctId, bool isLoginId)
    : distinctId_(distinctId), isLoginId_(isLoginId) {
  commonProperties_.SetString("$lib", kLibName);
  commonProperties_.SetString("$lib_version", kLibVersion);
  queue_ = std::make_unique<RecordQueue>(collectorUrl, stagingPath, post);
}

bool Sdk::Init(const std::string& stagingPath, const std::string& collectorUrl, const std::string& distinctId,
               bool isLoginId) {
  if (!checkIdString("Distinct ID", distinctId)) return false;
  if (g_sdk) return true;
  g_sdk = std::make_unique<Sdk>(stagingPath, collectorUrl, distinctId, isLoginId);
  std::srand(static_cast<unsigned>(time(nullptr)));
  return true;
}

void Sdk::Shutdown() {
  if (!g_sdk) return;
  g_sdk->queue_->close();
  g_sdk.reset();
}

bool Sdk::Exists() { return g_sdk != nullptr; }

bool Sdk::track(const std::string& eventName, const PropertiesNode& properties) {
  return g_sdk && g_sdk->buildRecord("track", eventName, properties, g_sdk->distinctId_, "");
}

bool Sdk::trackWithInstallSource(const PropertiesNode& properties) {
  if (!g_sdk) return false;
  PropertiesNode merged;
  merged.SetString("$ios_install_source", "");
  merged.Merge(properties);
  return g_sdk->buildRecord("track", "QzEventActivity", merged, g_sdk->distinctId_, "");
}

bool Sdk::login(const std::string& loginId) {
  if (!g_sdk) return false;
  const bool built = g_sdk->buildRecord("track_signup", "$SignUp", PropertiesNode(), loginId, g_sdk->distinctId_);
  g_sdk->distinctId_ = loginId;
  g_sdk->isLoginId_ = true;
  return built;
}

bool Sdk::profileSet(const PropertiesNode& properties) {
  return g_sdk && g_sdk->buildRecord("profile_set", "", properties, g_sdk->distinctId_, "");
}
bool Sdk::profileSet(const std::string& key, const std::string& value) {
  return g_sdk && profileSet(SingleString(key, value));
}
bool Sdk::profileSet(const std::string& key, int32_t value) { return g_sdk && profileSet(SingleNumber(key, value)); }
bool Sdk::profileSet(const std::string& key, double value) { return g_sdk && profileSet(SingleNumber(key, value)); }

bool Sdk::profileSetOnce(const PropertiesNode& properties) {
  return g_sdk && g_sdk->buildRecord("profile_set_once", "", properties, g_sdk->distinctId_, "");
}
bool Sdk::profileSetOnce(const std::string& key, const std::string& value) {
  return g_sdk && profileSetOnce(SingleString(key, value));
}
bool Sdk::profileSetOnce(const std::string& key, int32_t value) {
  return g_sdk && profileSetOnce(SingleNumber(key, value));
}
bool Sdk::profileSetOnce(const std::string& key, double value) {
  return g_sdk && profileSetOnce(SingleNumber(key, value));
}

bool Sdk::profileIncrement(const PropertiesNode& properties) {
  return g_sdk && g_sdk->buildRecord("profile_increment", "", properties, g_sdk->distinctId_, "");
}
bool Sdk::profileIncrement(const std::string& key, int32_t value) {
  return g_sdk && profileIncrement(SingleNumber(key, value));
}

bool Sdk::profileAppend(const PropertiesNode& properties) {
  return g_sdk && g_sdk->buildRecord("profile_append", "", properties, g_sdk->distinctId_, "");
}
bool Sdk::profileAppend(const std::string& key, const std::string& value) {
  if (!g_sdk) return false;
  PropertiesNode properties;
  properties.SetList(key, {value});
  return profileAppend(properties);
}

void Sdk::addCommonProperties(const PropertiesNode& properties) {
  if (g_sdk) g_sdk->commonProperties_.Merge(properties);
}

bool Sdk::flushAll() { return g_sdk && g_sdk->queue_->flushAll(); }

std::string Sdk::distinctId() { return g_sdk ? g_sdk->distinctId_ : std::string(); }
bool Sdk::isLoginId() { return g_sdk && g_sdk->isLoginId_; }

void Sdk::setDistinctId(const std::string& distinctId, bool isLoginId) {
  if (!g_sdk) return;
  g_sdk->distinctId_ = distinctId;
  g_sdk->isLoginId_ = isLoginId;
}

std::vector<std::string> Sdk::QueuedRecords() { return g_sdk ? g_sdk->queue_->Snapshot() : std::vector<std::string>(); }

bool Sdk::buildRecord(const std::string& action, const std::string& eventName, const PropertiesNode& properties,
                      const std::string& distinctId, const std::string& originalId) {
  if (!checkProperties(properties)) return false;
  if (action == "track" && !checkKeyName("Event Name", eventName)) return false;
  if (action == "track_signup" && !checkIdString("Original ID", originalId)) return false;

  PropertiesNode merged;
  if (action.find("track") != std::string::npos) merged.Merge(commonProperties_);
  merged.Merge(properties);

  int64_t time = CurrentTimeMillis();
  if (const PropertyValue* given = merged.Find("$time")) {
    if (const DateTime* moment = given->get_if<DateTime>()) time = moment->seconds * 1000 + moment->milliseconds;
    merged.Remove("$time");
  }
  std::string project;
  if (const PropertyValue* given = merged.Find("$project")) {
    if (const std::string* text = given->get_if<std::string>()) project = *text;
    merged.Remove("$project");
  }
  if (isLoginId_) merged.SetBool("$is_login_id", true);

  utils::ObjectNode lib;
  lib.SetValue("$lib", PropertyValue(std::string(kLibName)));
  lib.SetValue("$lib_method", PropertyValue(std::string("code")));
  lib.SetValue("$lib_version", PropertyValue(std::string(kLibVersion)));

  utils::ObjectNode record;
  record.SetValue("type", PropertyValue(action));
  record.SetValue("time", PropertyValue(time));
  record.SetValue("distinct_id", PropertyValue(distinctId));
  record.SetValue("properties", PropertyValue(std::make_shared<const utils::ObjectNode>(merged)));
  record.SetValue("lib", PropertyValue(std::make_shared<const utils::ObjectNode>(lib)));
  record.SetValue("_track_id", PropertyValue(makeTrackId()));
  if (!project.empty()) record.SetValue("project", PropertyValue(project));
  if (action == "track" || action == "track_signup") record.SetValue("event", PropertyValue(eventName));
  if (action == "track_signup") record.SetValue("original_id", PropertyValue(originalId));

  queue_->send(record.ToJson());
  return true;
}

}  // namespace qz_analytics
