#pragma once
// Extra properties a caller attaches to particular kinds of events, such as the AB-test group.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "analytics/property_value.h"

namespace vemra::tracking {

// How a context value is added to an event.
enum class ContextKind { kBoolean = 0, kTime = 1, kNumber = 2, kText = 3, kTextList = 4 };

using ContextValue = std::variant<bool, int64_t, double, std::string, std::vector<std::string>>;

struct ContextEntry {
  std::shared_ptr<const ContextValue> value;
  ContextKind kind;
  std::string name;
};

class QzContextProperties {
 public:
  static constexpr int kEventCount = 15;
  static constexpr char kAbPropertyName[] = "qzc_ab";

  // Stores the AB-test value under "qzc_ab" for each listed event number. Raises when the name is
  // already there or a number is outside 0 to 14 (entries appended before that number stay).
  void setProperty(const std::string& value, const std::vector<int>& events);
  // The entries of one event number; raises for a number outside 0 to 14.
  const std::vector<ContextEntry>& getEventProperties(int event) const;

  // False for the empty text (no AB value); raises unless it is one to three characters, the
  // first A-Z and the others A-Z or 0-9.
  static bool isValidABValue(const std::string& value);

  // Adds one named value of any kind; what setProperty does for the AB value.
  void addProperty(const std::string& name, ContextValue value, ContextKind kind, const std::vector<int>& events);

 private:
  std::unordered_map<std::string, std::shared_ptr<const ContextValue>> names_;
  std::array<std::vector<ContextEntry>, kEventCount> events_;
};

// Adds the entries of one event number to an event's properties, each in the form of its kind.
void AddContextProperties(const QzContextProperties& props, int event, qz_analytics::PropertiesNode& properties);

}  // namespace vemra::tracking
