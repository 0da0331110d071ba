#include "analytics/context_properties.h"

#include "analytics/json_text.h"
#include "analytics/qz_exception.h"

namespace vemra::tracking {

namespace {

// Times above this are milliseconds since 1970; smaller ones are seconds.
constexpr int64_t kLargestSecondsValue = 157789439999;

}  // namespace

void QzContextProperties::addProperty(const std::string& name, ContextValue value, ContextKind kind,
                                      const std::vector<int>& events) {
  if (names_.count(name)) QZ_RAISE("setProperty", "Property[" + name + "] already exist!");
  auto shared = std::make_shared<const ContextValue>(std::move(value));
  names_[name] = shared;
  for (const int event : events) {
    if (event < 0 || event >= kEventCount) QZ_RAISE("setProperty", "QzEvent[" + std::to_string(event) + "] overflow!");
    events_[event].push_back(ContextEntry{shared, kind, name});
  }
}

void QzContextProperties::setProperty(const std::string& value, const std::vector<int>& events) {
  addProperty(kAbPropertyName, value, ContextKind::kText, events);
}

const std::vector<ContextEntry>& QzContextProperties::getEventProperties(int event) const {
  if (event < 0 || event >= kEventCount)
    QZ_RAISE("getEventProperties", "QzEvent[" + std::to_string(event) + "] overflow!");
  return events_[event];
}

bool QzContextProperties::isValidABValue(const std::string& value) {
  const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
  const auto upperOrDigit = [&](char c) { return upper(c) || (c >= '0' && c <= '9'); };
  if (value.empty()) return false;
  if (value.size() >= 4) QZ_RAISE("isValidABValue", "value's length is great than 3.");
  if (!upper(value[0])) QZ_RAISE("isValidABValue", "First char is not in A to Z");
  if (value.size() > 1 && !upperOrDigit(value[1]))
    QZ_RAISE("isValidABValue", "second char is not in A to Z and 0 to 9");
  if (value.size() > 2 && !upperOrDigit(value[2])) QZ_RAISE("isValidABValue", "third char is not in A to Z and 0 to 9");
  return true;
}

void AddContextProperties(const QzContextProperties& props, int event, qz_analytics::PropertiesNode& properties) {
  for (const ContextEntry& entry : props.getEventProperties(event)) {
    const ContextValue& value = *entry.value;
    switch (entry.kind) {
      case ContextKind::kBoolean:
        if (const bool* flag = std::get_if<bool>(&value)) properties.SetBool(entry.name, *flag);
        break;
      case ContextKind::kTime:
        if (const int64_t* time = std::get_if<int64_t>(&value)) {
          const bool inMilliseconds = *time > kLargestSecondsValue;
          const int64_t seconds = inMilliseconds ? *time / 1000 : *time;
          const int milliseconds = inMilliseconds ? static_cast<int>(*time % 1000) : 0;
          properties.SetString(entry.name, qz_analytics::json::FormatLocalDateTime(seconds, milliseconds));
        }
        break;
      case ContextKind::kNumber:
        if (const double* number = std::get_if<double>(&value)) properties.SetNumber(entry.name, *number);
        break;
      case ContextKind::kText:
        if (const std::string* text = std::get_if<std::string>(&value)) properties.SetString(entry.name, *text);
        break;
      case ContextKind::kTextList:
        if (const auto* list = std::get_if<std::vector<std::string>>(&value)) properties.SetList(entry.name, *list);
        break;
    }
  }
}

}  // namespace vemra::tracking
