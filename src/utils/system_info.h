#pragma once
// Which system is this: a platform and version name, and its word size.
#include <optional>
#include <string>

namespace Utils {

// Platform "Linux" and the kernel release's major.minor ("6.1"). The version name is empty when
// the release can't be read; it never contains "XP", so the normal download route applies.
void GetOSVersion(std::string& platform, std::string& version);

// True on a 64-bit kernel of the architectures we ship for (x86_64, aarch64).
bool Is64BitSystem();

// What the two probes above answer while an override is set.
struct SystemIdentity {
  std::string platform;
  std::string version;
  bool is64Bit = false;
};

// Replaces the answers of GetOSVersion and Is64BitSystem until it is called again with
// std::nullopt. Meant for tests of rules that depend on a system we don't run on (an "XP" version
// name, a 64-bit or 32-bit system); the installer itself never sets it. Safe to call from any
// thread, but set it before the code under test starts asking.
void SetSystemIdentityOverride(std::optional<SystemIdentity> identity);

}  // namespace Utils
