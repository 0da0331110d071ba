#include "analytics/property_value.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "analytics/json_text.h"
#include "utils/utf8.h"

namespace qz_analytics {

namespace utils {

void ObjectNode::SetObject(const std::string& key, const ObjectNode& value) {
  SetValue(key, PropertyValue(std::make_shared<const ObjectNode>(value)));
}

void ObjectNode::SetValue(const std::string& key, PropertyValue value) { entries_[key] = std::move(value); }

const PropertyValue* ObjectNode::Find(const std::string& key) const {
  const auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : &found->second;
}

void ObjectNode::Merge(const ObjectNode& other) {
  for (const auto& [key, value] : other.entries_) entries_[key] = value;
}

std::string ObjectNode::ToJson() const {
  std::string text;
  json::AppendObject(text, *this);
  return text;
}

}  // namespace utils

bool IsValidPropertyString(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      if (byte != '\t' && byte != '\n' && byte != '\r' && (byte < 0x20 || byte > 0x7E)) return false;
      ++at;
      continue;
    }
    const size_t length = ::Utils::utf8::SequenceLength(text, at);
    if (length < 2) return false;
    at += length;
  }
  return true;
}

namespace {

// One write per diagnostic so that lines of different threads don't interleave.
void WriteDiagnostic(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stderr); }

}  // namespace

void PropertiesNode::SetObject(const std::string&, const utils::ObjectNode&) {}

void PropertiesNode::SetString(const std::string& key, std::string_view value) {
  if (value.size() > kMaxStringPropertyBytes) {
    WriteDiagnostic("String property '" + key + "' is too long, value: " + std::string(value) + "\n");
    return;
  }
  if (!IsValidPropertyString(value)) {
    WriteDiagnostic("String property '" + key + "' is not valid UTF-8 string, value: " + std::string(value) + "\n");
    return;
  }
  SetValue(key, PropertyValue(std::string(value)));
}

void PropertiesNode::SetString(const std::string& key, const char* value) {
  SetString(key, std::string_view(value ? value : ""));
}

void PropertiesNode::SetNumber(const std::string& key, double value) {
  // "nan" or "inf" would make the whole batch unreadable JSON, and a batch the collector can't
  // read comes back to the front of the queue on every flush; such a value is left out instead.
  if (!std::isfinite(value)) {
    WriteDiagnostic("Number property '" + key + "' is not a finite number, value: " + json::FormatNumber(value) + "\n");
    return;
  }
  SetValue(key, PropertyValue(value));
}

void PropertiesNode::SetInteger(const std::string& key, int32_t value) {
  SetValue(key, PropertyValue(static_cast<int64_t>(value)));
}

void PropertiesNode::SetInteger64(const std::string& key, int64_t value) { SetValue(key, PropertyValue(value)); }

void PropertiesNode::SetBool(const std::string& key, bool value) { SetValue(key, PropertyValue(value)); }

void PropertiesNode::SetDateTime(const std::string& key, int64_t seconds, int milliseconds) {
  SetValue(key, PropertyValue(DateTime{seconds, milliseconds}));
}

void PropertiesNode::SetList(const std::string& key, std::vector<std::string> values) {
  SetValue(key, PropertyValue(std::move(values)));
}

}  // namespace qz_analytics
