#include "app/installer_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <string>
#include <vector>

#include "app/service_endpoints.h"
#include "support/scratch.h"
#include "utils/system_info.h"

namespace {

using namespace std::string_literals;

// An installer "executable" in its own folder, with or without a settings file beside it.
struct InstallerFolder {
  std::string dir = testsupport::NewFolder("installer");
  std::string exe = dir + "/lumetravox_setup.exe";

  InstallerSettings Load(const std::optional<std::string>& settingsFile) const {
    if (settingsFile) testsupport::WriteFile(dir + "/VemraInstallerConfig.ini", *settingsFile);
    InstallerSettings settings;
    LoadSettingsFile(settings, exe);
    return settings;
  }
};

TEST(SettingsFileTest, DefaultsWithoutAFile) {
  const InstallerSettings s = InstallerFolder().Load(std::nullopt);
  EXPECT_EQ(s.ExeName, "lumetravox_setup.exe");
  EXPECT_EQ(s.DownloadUrl, kDefaultDownloadUrl);
  EXPECT_EQ(s.DownloadType, 1);
  EXPECT_FALSE(s.IsCheckNet);
  EXPECT_TRUE(s.IsEnableAppSensors);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
  EXPECT_EQ(s.DlAppNameSuffix, ".downloader");
  EXPECT_EQ(s.m_DlAppVersion, "");
  EXPECT_EQ(s.InstCmd, "");
  EXPECT_EQ(s.ProductId, "lumetravox");
  EXPECT_EQ(s.ProductVersion, "1.7.9");
  EXPECT_TRUE(s.CurlReady);
  EXPECT_EQ(s.AbGroup, "IN");
  EXPECT_EQ(std::string(kDefaultDownloadUrl).rfind("http://", 0), 0u);
  EXPECT_EQ(std::string(kDefaultDownloadUrl).find("${ROUTE}"), std::string::npos);
  EXPECT_NE(std::string(kDefaultDownloadUrl).find("/software/226"), std::string::npos);
}

TEST(SettingsFileTest, FileValues) {
  struct Case {
    std::string file;
    std::function<void(const InstallerSettings&)> check;
  };
  const std::string longValue(300, 'x');
  const std::string longChinese = std::string(258, 'a') + "澜音";
  const Case cases[] = {
      {"[Install]\n",
       [](auto& s) {
         EXPECT_TRUE(s.IsCheckNet);  // the file's default differs from the built-in one
         EXPECT_EQ(s.DownloadType, 1);
         EXPECT_TRUE(s.IsEnableAppSensors);
         EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
         EXPECT_EQ(s.DownloadUrl, kDefaultDownloadUrl);
       }},
      {"", [](auto& s) { EXPECT_TRUE(s.IsCheckNet); }},  // exists but holds nothing
      {"[Install]\nIsCheckNet=TRUE\nIsEnableAppSensors=1\n",
       [](auto& s) {
         EXPECT_FALSE(s.IsCheckNet);
         EXPECT_FALSE(s.IsEnableAppSensors);
       }},
      {"[Install]\nDownloadScale=abc\n", [](auto& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.0); }},
      {"[Install]\nDownloadScale=0.5x\n", [](auto& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.5); }},
      {"[Install]\nDownloadScale=1e999\nDownloadType=99999999999\n",
       [](auto& s) {
         EXPECT_TRUE(std::isfinite(s.DownloadScale));
         EXPECT_EQ(s.DownloadType, INT32_MAX);
       }},
      {"[Install]\nDownloadType=abc\n", [](auto& s) { EXPECT_EQ(s.DownloadType, 0); }},
      {"[Install]\nDownloadType= 3rd\n", [](auto& s) { EXPECT_EQ(s.DownloadType, 3); }},
      {"[install]\ndownloadtype=2\nDlAppNameSuffix=.x\nm_DlAppVersion=2.0\nInstCmd=-a=b\n",
       [](auto& s) {
         EXPECT_EQ(s.DownloadType, 2);
         EXPECT_EQ(s.DlAppNameSuffix, ".x");
         EXPECT_EQ(s.m_DlAppVersion, "2.0");
         EXPECT_EQ(s.InstCmd, "-a=b");
       }},
      {"[Install]\nInstCmd=" + longValue + "\n", [&](auto& s) { EXPECT_EQ(s.InstCmd, longValue.substr(0, 259)); }},
      {"[Install]\nInstCmd=" + longChinese + "\n",
       [&](auto& s) { EXPECT_EQ(s.InstCmd, std::string(258, 'a') + "澜"); }},  // 259 characters, not bytes
      {"[Other]\nDownloadType=3\n", [](auto& s) { EXPECT_EQ(s.DownloadType, 1); }},  // missing section
      {"\x00\x01\xFF\xFE garbage [[ ==\n\x89PNG\r\n"s, [](auto& s) {
         EXPECT_TRUE(s.IsCheckNet);
         EXPECT_EQ(s.DownloadType, 1);
       }},
      {"[Install]\nDownloadUrl=" + std::string(1 << 20, 'h') + "\nDownloadType=3\n",  // a huge line
       [](auto& s) {
         EXPECT_EQ(s.DownloadUrl.size(), 259u);
         EXPECT_EQ(s.DownloadType, 3);
       }},
      {"[Install]\nDownloadUrl=http://x/${ROUTE}/a/${ROUTE}\n",
       [](auto& s) { EXPECT_EQ(s.DownloadUrl, "http://x/download_silent/a/download_silent"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 80));
    c.check(InstallerFolder().Load(c.file));
  }
}

TEST(CommandLineTest, SwitchesOverrideAndFirstOccurrenceWins) {
  struct Case {
    std::vector<std::string> args;
    std::function<void(const InstallerSettings&)> check;
  };
  const Case cases[] = {
      {{"-downloadtype=2", "-downloadtype=3"}, [](auto& s) { EXPECT_EQ(s.DownloadType, 2); }},
      {{"-instcmd=-a=b"}, [](auto& s) { EXPECT_EQ(s.InstCmd, "-a=b"); }},
      {{"-ischecknet"}, [](auto& s) { EXPECT_FALSE(s.IsCheckNet); }},  // no '=': not this switch
      {{"-ischecknet=true", "-isenableappsensors=True"},
       [](auto& s) {
         EXPECT_TRUE(s.IsCheckNet);
         EXPECT_FALSE(s.IsEnableAppSensors);
       }},
      {{"-downloadtype", "3"}, [](auto& s) { EXPECT_EQ(s.DownloadType, 0); }},  // a key with an empty value
      {{"-downloadtype=", "3"}, [](auto& s) { EXPECT_EQ(s.DownloadType, 0); }},
      {{"-downloadtype=x7"}, [](auto& s) { EXPECT_EQ(s.DownloadType, 0); }},
      {{"-downloadurl="}, [](auto& s) { EXPECT_EQ(s.DownloadUrl, ""); }},
      {{"-downloadurl=http://h/${ROUTE}?x=1"}, [](auto& s) { EXPECT_EQ(s.DownloadUrl, "http://h/download_silent?x=1"); }},
      {{"-downloadscale=0.25"}, [](auto& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.25); }},
      {{"-downloadscale=abc"}, [](auto& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7); }},
      {{"-dlappnamesuffix=", "-dlappversion=3.1"},
       [](auto& s) {
         EXPECT_EQ(s.DlAppNameSuffix, "");
         EXPECT_EQ(s.m_DlAppVersion, "3.1");
       }},
      {{"-DownloadType=3"}, [](auto& s) { EXPECT_EQ(s.DownloadType, 1); }},  // keys are case-sensitive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    InstallerSettings s;
    CommandLineArgs args;
    std::vector<std::string> all = {"/opt/installer/lumetravox_setup.exe"};
    all.insert(all.end(), c.args.begin(), c.args.end());
    ApplyCommandLine(s, all, args);
    c.check(s);
  }
}

TEST(CommandLineTest, BuildsTheSwitchMapIncludingTheProgramPath) {
  InstallerSettings s;
  CommandLineArgs args;
  ApplyCommandLine(s, {"/opt/setup.exe", "-a=1=2", "-a=3", "plain", "x=y", "-b"}, args);
  const CommandLineArgs expected = {
      {"/opt/setup.exe", ""}, {"-a", "1=2"}, {"plain", ""}, {"x=y", ""}, {"-b", ""}};
  EXPECT_EQ(args, expected);
}

TEST(CommandLineTest, SwitchWinsOverTheSettingsFile) {
  InstallerSettings s = InstallerFolder().Load("[Install]\nIsEnableAppSensors=false\nDownloadType=3\n");
  CommandLineArgs args;
  ApplyCommandLine(s, {"setup", "-isenableappsensors=true", "-downloadtype=2"}, args);
  EXPECT_TRUE(s.IsEnableAppSensors);
  EXPECT_EQ(s.DownloadType, 2);
}

TEST(DownloadRouteTest, RouteFollowsTheSystem) {
  struct Case {
    const char* version;
    bool is64;
    const char* url;
    const char* resolved;
  };
  const Case cases[] = {
      {"XP", false, "http://h/${ROUTE}/${ROUTE}", "http://h/download_silent_xp/download_silent_xp"},
      {"XP+", true, "http://h/${ROUTE}", "http://h/download_silent_xp"},
      {"2K", false, "http://h/${ROUTE}", "http://h/download_silent"},
      {"10", true, "http://h/${ROUTE}/${ROUTE}", "http://h/download_silent/download_silent"},  // 479 has no 64-bit package
      {"XP", false, "http://h/no-placeholder", "http://h/no-placeholder"},
  };
  for (const Case& c : cases) {
    Utils::SetSystemIdentityOverride(Utils::SystemIdentity{"Windows", c.version, c.is64});
    EXPECT_EQ(ResolveDownloadRoute(c.url), c.resolved) << c.version;
  }
  Utils::SetSystemIdentityOverride(std::nullopt);
  EXPECT_EQ(ResolveDownloadRoute("${ROUTE}"), "download_silent");  // this system

  EXPECT_EQ(DownloadRouteName("10", true, 267), "download_silent_64");
  EXPECT_EQ(DownloadRouteName("10", false, 267), "download_silent");
  EXPECT_EQ(DownloadRouteName("XP-", true, 267), "download_silent_xp");
  EXPECT_EQ(DownloadRouteName("10", true, SoftwareNumber), "download_silent");
}

}  // namespace
