#pragma once
// The analytics core of the process: turns property sets into records, checks them, and queues
// them for the collector. There is one core per process, created by Init; while it doesn't exist,
// every operation that would build a record does nothing.
#include <cstdint>
#include <memory>
#include <string>

#include "analytics/property_value.h"
#include "analytics/record_queue.h"

namespace qz_analytics {

class Sdk {
 public:
  // Creates the core unless it exists (then nothing changes and the answer is true). False when
  // the distinct id is empty or longer than 255 bytes.
  static bool Init(const std::string& stagingPath, const std::string& collectorUrl, const std::string& distinctId,
                   bool isLoginId);
  // Writes unsent records to the staging file and releases the core.
  static void Shutdown();
  static bool Exists();

  static bool track(const std::string& eventName, const PropertiesNode& properties);
  // An activity event whose "$ios_install_source" is empty unless the properties set it.
  static bool trackWithInstallSource(const PropertiesNode& properties);
  // Sends the "$SignUp" record that links the current id to the login id, then sends as that id.
  static bool login(const std::string& loginId);

  static bool profileSet(const PropertiesNode& properties);
  static bool profileSet(const std::string& key, const std::string& value);
  static bool profileSet(const std::string& key, int32_t value);
  static bool profileSet(const std::string& key, double value);
  static bool profileSetOnce(const PropertiesNode& properties);
  static bool profileSetOnce(const std::string& key, const std::string& value);
  static bool profileSetOnce(const std::string& key, int32_t value);
  static bool profileSetOnce(const std::string& key, double value);
  static bool profileIncrement(const PropertiesNode& properties);
  static bool profileIncrement(const std::string& key, int32_t value);
  static bool profileAppend(const PropertiesNode& properties);
  static bool profileAppend(const std::string& key, const std::string& value);

  static void addCommonProperties(const PropertiesNode& properties);
  static bool flushAll();

  // The id records are sent under and whether it is a login id; read and changed by the tracker.
  static std::string distinctId();
  static bool isLoginId();
  static void setDistinctId(const std::string& distinctId, bool isLoginId);

  // What is waiting to be posted (for diagnostics and tests); empty without a core.
  static std::vector<std::string> QueuedRecords();

  Sdk(const std::string& stagingPath, const std::string& collectorUrl, const std::string& distinctId, bool isLoginId);

 private:
  bool buildRecord(const std::string& action, const std::string& eventName, const PropertiesNode& properties,
                   const std::string& distinctId, const std::string& originalId);

  PropertiesNode commonProperties_;
  std::string distinctId_;
  bool isLoginId_ = false;
  std::unique_ptr<RecordQueue> queue_;
};

// Checks that write their reason to standard error.
bool checkKeyName(const std::string& label, const std::string& key);
bool checkIdString(const std::string& label, const std::string& value);
bool checkProperties(const PropertiesNode& properties);

// A nine-digit record id: two random digits, three random digits, the last four digits of the
// current time in milliseconds.
int64_t makeTrackId();

// The current time in milliseconds since 1970.
int64_t CurrentTimeMillis();

}  // namespace qz_analytics
