#pragma once
// The typed values of analytics records and the two maps that hold them. A record is an ObjectNode;
// the properties of an event are a PropertiesNode, which refuses nested objects and applies the
// string rules (size and UTF-8) the collector expects.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qz_analytics {

namespace utils {
class ObjectNode;
}

struct DateTime {
  int64_t seconds = 0;   // since 1970
  int milliseconds = 0;  // 0 to 999
  bool operator==(const DateTime&) const = default;
};

// One value. The alternatives are in the order of the kind numbers the record format uses:
// 0 number, 1 integer, 2 string, 3 list, 4 date-time, 5 boolean, 6 object.
class PropertyValue {
 public:
  enum Kind { kNumber = 0, kInteger = 1, kString = 2, kList = 3, kDateTime = 4, kBoolean = 5, kObject = 6 };
  using Storage = std::variant<double, int64_t, std::string, std::vector<std::string>, DateTime, bool,
                               std::shared_ptr<const utils::ObjectNode>>;

  PropertyValue() : value_(0.0) {}
  explicit PropertyValue(Storage value) : value_(std::move(value)) {}

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  const Storage& storage() const { return value_; }

  template <typename T>
  const T* get_if() const {
    return std::get_if<T>(&value_);
  }

 private:
  Storage value_;
};

namespace utils {

// A map from key to value, ordered by byte-wise key comparison, which is also the order of the
// keys in the record's JSON text.
class ObjectNode {
 public:
  using Entries = std::map<std::string, PropertyValue>;

  virtual ~ObjectNode() = default;

  // Sets an object-valued entry.
  virtual void SetObject(const std::string& key, const ObjectNode& value);

  // Stores any value under the key, replacing an entry of the same key.
  void SetValue(const std::string& key, PropertyValue value);
  const PropertyValue* Find(const std::string& key) const;
  bool Contains(const std::string& key) const { return entries_.count(key) != 0; }
  void Remove(const std::string& key) { entries_.erase(key); }
  // Copies every entry of `other` over this map.
  void Merge(const ObjectNode& other);

  const Entries& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

  // The compact one-line JSON text of the map (see json_text.h).
  std::string ToJson() const;

 private:
  Entries entries_;
};

}  // namespace utils

// The properties of one event or profile record.
class PropertiesNode : public utils::ObjectNode {
 public:
  // Properties never nest: an object value is silently not stored.
  void SetObject(const std::string& key, const utils::ObjectNode& value) override;

  // Refused (with a diagnostic on standard error) when longer than 8192 bytes or not valid text.
  void SetString(const std::string& key, std::string_view value);
  void SetString(const std::string& key, const char* value);
  // Refused (with a diagnostic) when not a finite number, which JSON can't carry.
  void SetNumber(const std::string& key, double value);
  void SetInteger(const std::string& key, int32_t value);
  void SetInteger64(const std::string& key, int64_t value);
  void SetBool(const std::string& key, bool value);
  void SetDateTime(const std::string& key, int64_t seconds, int milliseconds);
  void SetList(const std::string& key, std::vector<std::string> values);
};

// The string rule of the collector: tab, line feed, carriage return and printable ASCII, or
// well-formed UTF-8 sequences; anything else (other control characters, 0x7F, overlong forms,
// surrogates, a cut sequence) makes the text unusable.
bool IsValidPropertyString(std::string_view text);

constexpr size_t kMaxStringPropertyBytes = 8192;

}  // namespace qz_analytics
