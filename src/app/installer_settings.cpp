#include "app/installer_settings.h"

#include "app/service_endpoints.h"
#include "utils/ini_file.h"
#include "utils/number_parsing.h"
#include "utils/special_folders.h"
#include "utils/system_info.h"
#include "utils/text.h"

namespace {

constexpr char kSettingsFileName[] = "VemraInstallerConfig.ini";
constexpr char kSection[] = "Install";
// Values longer than this are cut, as a 260-character read buffer with its terminator would.
constexpr size_t kMaxValueLength = 259;

// Products whose maker publishes 64-bit packages; this installer's number is not among them.
constexpr int kProductsWith64BitPackages[] = {267, 385, 257, 335, 318};

CommandLineArgs& ProcessCommandLineArgs() {
  static CommandLineArgs args;
  return args;
}

std::string ReadValue(const Utils::IniFile& file, const char* key, const char* fallback) {
  const auto value = file.Get(kSection, key);
  return Utils::CutToCodePoints(value ? *value : fallback, kMaxValueLength);
}

}  // namespace

InstallerSettings::InstallerSettings() : DownloadUrl(ResolveDownloadRoute(kDefaultDownloadUrl)) {}

InstallerSettings& Settings() {
  static InstallerSettings settings;
  return settings;
}

const CommandLineArgs& TheCommandLineArgs() { return ProcessCommandLineArgs(); }

void LoadSettingsFile(InstallerSettings& settings, const std::string& exePath) {
  settings.ExeName = Utils::FileNameOf(exePath);
  const std::string path = Utils::JoinPath(Utils::FolderOf(exePath), kSettingsFileName);
  // A file that exists but can't be read is treated like an empty one: every key takes its
  // file default, as the profile reader would give.
  if (Utils::PathExists(path)) {
    const Utils::IniFile file = Utils::IniFile::Load(path).value_or(Utils::IniFile());
    settings.DownloadUrl = ResolveDownloadRoute(ReadValue(file, "DownloadUrl", kDefaultDownloadUrl));
    settings.DownloadType = file.Get(kSection, "DownloadType")
                                ? Utils::ParseLeadingInt(ReadValue(file, "DownloadType", "")).value_or(0)
                                : 1;
    settings.IsCheckNet = ReadValue(file, "IsCheckNet", "true") == "true";
    settings.IsEnableAppSensors = ReadValue(file, "IsEnableAppSensors", "true") == "true";
    settings.DlAppNameSuffix = ReadValue(file, "DlAppNameSuffix", ".downloader");
    settings.m_DlAppVersion = ReadValue(file, "m_DlAppVersion", "");
    settings.DownloadScale = Utils::ParseLeadingDouble(ReadValue(file, "DownloadScale", "0.7")).value_or(0.0);
    settings.InstCmd = ReadValue(file, "InstCmd", "");
  }
  settings.ProductId = "lumetravox";
  settings.ProductVersion = "1.7.9";
}

void LoadSettingsFile(InstallerSettings& settings) { LoadSettingsFile(settings, Utils::ExecutablePath()); }

void ApplyCommandLine(InstallerSettings& settings, const std::vector<std::string>& arguments,
                      CommandLineArgs& args) {
  for (const std::string& argument : arguments) {
    const size_t equals = argument.find('=');
    if (!argument.empty() && argument.front() == '-' && equals != std::string::npos)
      args.emplace(argument.substr(0, equals), argument.substr(equals + 1));  // keeps the first one
    else
      args.emplace(argument, std::string());
  }
  const auto value = [&](const char* key) -> const std::string* {
    const auto found = args.find(key);
    return found == args.end() ? nullptr : &found->second;
  };

  if (auto v = value("-downloadurl")) settings.DownloadUrl = ResolveDownloadRoute(*v);
  if (auto v = value("-downloadtype")) settings.DownloadType = Utils::ParseLeadingInt(*v).value_or(0);
  // A scale without a number keeps the value it had: the progress bar needs one.
  if (auto v = value("-downloadscale")) settings.DownloadScale = Utils::ParseLeadingDouble(*v).value_or(settings.DownloadScale);
  if (auto v = value("-ischecknet")) settings.IsCheckNet = *v == "true";
  if (auto v = value("-isenableappsensors")) settings.IsEnableAppSensors = *v == "true";
  if (auto v = value("-dlappnamesuffix")) settings.DlAppNameSuffix = *v;
  if (auto v = value("-dlappversion")) settings.m_DlAppVersion = *v;
  if (auto v = value("-instcmd")) settings.InstCmd = *v;
}

void ApplyCommandLine(InstallerSettings& settings, const std::vector<std::string>& arguments) {
  ApplyCommandLine(settings, arguments, ProcessCommandLineArgs());
}

std::string ResolveDownloadRoute(const std::string& url) {
  static constexpr char kPlaceholder[] = "${ROUTE}";
  if (url.find(kPlaceholder) == std::string::npos) return url;
  std::string platform, version;
  Utils::GetOSVersion(platform, version);
  // The 64-bit probe is asked only for products that have 64-bit packages, as the rule reads.
  bool has64BitPackages = false;
  for (const int product : kProductsWith64BitPackages) has64BitPackages |= product == SoftwareNumber;
  const bool is64Bit = has64BitPackages && Utils::Is64BitSystem();
  return Utils::ReplaceAll(url, kPlaceholder, DownloadRouteName(version, is64Bit, SoftwareNumber));
}

std::string DownloadRouteName(const std::string& versionName, bool is64BitSystem, int softwareNumber) {
  if (versionName.find("XP") != std::string::npos) return "download_silent_xp";
  for (const int product : kProductsWith64BitPackages)
    if (product == softwareNumber && is64BitSystem) return "download_silent_64";
  return "download_silent";
}
