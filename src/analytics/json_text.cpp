#include "analytics/json_text.h"

#include <time.h>

#include <cinttypes>
#include <cstdio>

namespace qz_analytics::json {

void AppendString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        // Property strings never hold other control characters (they are refused when added),
        // but ids are only checked for length; a raw one would make the whole batch unreadable.
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

std::string FormatNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string FormatLocalDateTime(int64_t seconds, int milliseconds) {
  const time_t moment = static_cast<time_t>(seconds);
  struct tm local {};
  localtime_r(&moment, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, milliseconds);
  return text;
}

namespace {

struct ValueWriter {
  std::string& out;
  void operator()(double value) const { out += FormatNumber(value); }
  void operator()(int64_t value) const { out += std::to_string(value); }
  void operator()(const std::string& value) const { AppendString(out, value); }
  void operator()(const std::vector<std::string>& values) const {
    out += '[';
    for (size_t i = 0; i < values.size(); ++i) {
      if (i) out += ',';
      AppendString(out, values[i]);
    }
    out += ']';
  }
  void operator()(const DateTime& value) const {
    AppendString(out, FormatLocalDateTime(value.seconds, value.milliseconds));
  }
  void operator()(bool value) const { out += value ? "true" : "false"; }
  void operator()(const std::shared_ptr<const utils::ObjectNode>& object) const {
    if (object) {
      AppendObject(out, *object);
    } else {
      out += "{}";
    }
  }
};

}  // namespace

void AppendValue(std::string& out, const PropertyValue& value) { std::visit(ValueWriter{out}, value.storage()); }

void AppendObject(std::string& out, const utils::ObjectNode& object) {
  out += '{';
  bool first = true;
  for (const auto& [key, value] : object.entries()) {
    if (!first) out += ',';
    first = false;
    // Keys are written as they are: record keys are fixed and property keys are checked to be
    // plain variable names before a record is built.
    out += '"';
    out += key;
    out += "\":";
    AppendValue(out, value);
  }
  out += '}';
}

}  // namespace qz_analytics::json
