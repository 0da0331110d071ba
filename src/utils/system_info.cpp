#include "utils/system_info.h"

#include <sys/utsname.h>

#include <cctype>
#include <mutex>
#include <string_view>

namespace Utils {

namespace {

std::mutex overrideLock;
std::optional<SystemIdentity> identityOverride;

std::optional<SystemIdentity> CurrentOverride() {
  const std::lock_guard<std::mutex> lock(overrideLock);
  return identityOverride;
}

size_t DigitsAt(std::string_view text, size_t start) {
  size_t end = start;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  return end - start;
}

// "6.1.0-18-amd64" -> "6.1", "6" -> "6". Anything that doesn't start with a number gives empty:
// a vendor's free-form release text must not decide the download route.
std::string MajorMinor(std::string_view release) {
  const size_t major = DigitsAt(release, 0);
  if (major == 0) return {};
  if (major < release.size() && release[major] == '.') {
    if (const size_t minor = DigitsAt(release, major + 1); minor > 0)
      return std::string(release.substr(0, major + 1 + minor));
  }
  return std::string(release.substr(0, major));
}

}  // namespace

void GetOSVersion(std::string& platform, std::string& version) {
  if (const auto identity = CurrentOverride()) {
    platform = identity->platform;
    version = identity->version;
    return;
  }
  platform = "Linux";
  version.clear();
  utsname names{};
  if (uname(&names) == 0) version = MajorMinor(names.release);
}

bool Is64BitSystem() {
  if (const auto identity = CurrentOverride()) return identity->is64Bit;
  utsname names{};
  if (uname(&names) != 0) return false;
  const std::string_view machine = names.machine;
  return machine == "x86_64" || machine == "aarch64";
}

void SetSystemIdentityOverride(std::optional<SystemIdentity> identity) {
  const std::lock_guard<std::mutex> lock(overrideLock);
  identityOverride = std::move(identity);
}

}  // namespace Utils
