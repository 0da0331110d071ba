#include "analytics/device_facts.h"

#include <openssl/rand.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <vector>

#include "utils/system_info.h"

namespace vemra::tracking {

OsDescription osNameAndVersion() {
  OsDescription os;
  Utils::GetOSVersion(os.name, os.version);
  return os;
}

std::string userAgent() {
  const OsDescription os = osNameAndVersion();
  struct utsname system {};
  const std::string machine = uname(&system) == 0 ? system.machine : "";
  return "Mozilla/5.0(" + os.name + " " + os.version + "; " + machine + ";)";
}

std::optional<Locale> splitLocale(const std::string& text) {
  const size_t underscore = text.find('_');
  if (underscore == std::string::npos) return std::nullopt;
  return Locale{text.substr(0, underscore), text.substr(underscore + 1), text};
}

std::optional<Locale> systemLocale() {
  std::string name;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) {
      name = value;
      break;
    }
  }
  // "zh_CN.UTF-8@stroke" names language zh and country CN.
  name = name.substr(0, name.find_first_of(".@"));
  auto locale = splitLocale(name);
  const auto letters = [](const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
  };
  if (!locale || !letters(locale->language) || !letters(locale->country)) return std::nullopt;
  return locale;
}

Locale localeProperties(const std::string& locale) {
  Locale result;
  if (!locale.empty()) {
    if (auto split = splitLocale(locale)) result = *split;
  }
  if (result.language.empty()) result = systemLocale().value_or(Locale{});
  return result;
}

namespace {

// Used only when the system can't give random bytes: the standard-seeded Mersenne Twister.
std::string FallbackDistinctId() {
  static std::mutex lock;
  static std::mt19937 generator;  // default seed 5489
  std::lock_guard<std::mutex> guard(lock);
  std::uniform_int_distribution<uint32_t> draw(0, 2147483646);
  uint32_t d[9];
  for (int i = 1; i <= 8; ++i) d[i] = draw(generator);
  char text[80];
  std::snprintf(text, sizeof text, "%x%x-%x-%x-%x-%x%x%x", d[8], d[7], d[6], (d[5] & 0xfff) | 0x4000,
                (d[4] % 0x3fff) + 0x8000, d[3], d[2], d[1]);
  return text;
}

}  // namespace

std::string newDistinctId() {
  unsigned char bytes[16];
  bool made = false;
  for (int attempt = 0; attempt < 10 && !made; ++attempt) made = RAND_bytes(bytes, sizeof bytes) == 1;
  if (!made) return FallbackDistinctId();
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[40];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

ScreenSize primaryScreenSize() {
  // Each connected connector lists its modes, the preferred one first ("1920x1080").
  std::error_code error;
  std::vector<std::filesystem::path> connectors;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/class/drm", error)) {
    connectors.push_back(entry.path());
  }
  std::sort(connectors.begin(), connectors.end());
  for (const auto& connector : connectors) {
    std::ifstream status(connector / "status");
    std::string state;
    if (!(status >> state) || state != "connected") continue;
    std::ifstream modes(connector / "modes");
    ScreenSize size;
    char separator = 0;
    if (modes >> size.width >> separator >> size.height && separator == 'x') return size;
  }
  return {};
}

}  // namespace vemra::tracking
