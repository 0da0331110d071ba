#include "utils/system_info.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <optional>
#include <regex>
#include <string>

namespace {

TEST(SystemInfoTest, DescribesTheRunningKernel) {
  utsname names{};
  ASSERT_EQ(uname(&names), 0);
  const std::string release = names.release;
  const std::string machine = names.machine;

  std::string platform = "stale", version = "stale";
  Utils::GetOSVersion(platform, version);
  EXPECT_EQ(platform, "Linux");
  // The release's leading "major.minor" ("6.1.0-18-amd64" -> "6.1").
  std::smatch majorMinor;
  ASSERT_TRUE(std::regex_search(release, majorMinor, std::regex(R"(^\d+\.\d+)"))) << release;
  EXPECT_EQ(version, majorMinor.str()) << release;
  // Only an XP name selects the XP download route, and this is never XP.
  EXPECT_EQ(version.find("XP"), std::string::npos);

  EXPECT_EQ(Utils::Is64BitSystem(), machine == "x86_64" || machine == "aarch64") << machine;
}

TEST(SystemInfoTest, OverrideReplacesBothAnswersUntilCleared) {
  std::string realPlatform, realVersion;
  Utils::GetOSVersion(realPlatform, realVersion);
  const bool real64 = Utils::Is64BitSystem();

  for (const bool is64Bit : {true, false}) {
    Utils::SetSystemIdentityOverride(Utils::SystemIdentity{"Windows", "XP", is64Bit});
    std::string platform, version;
    Utils::GetOSVersion(platform, version);
    EXPECT_EQ(platform, "Windows");
    EXPECT_EQ(version, "XP");
    EXPECT_EQ(Utils::Is64BitSystem(), is64Bit);
  }

  Utils::SetSystemIdentityOverride(std::nullopt);
  std::string platform, version;
  Utils::GetOSVersion(platform, version);
  EXPECT_EQ(platform, realPlatform);
  EXPECT_EQ(version, realVersion);
  EXPECT_EQ(Utils::Is64BitSystem(), real64);
}

}  // namespace
