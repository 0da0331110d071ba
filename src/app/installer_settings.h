#pragma once
// The process-wide installer settings: built-in defaults, then the settings file beside the
// executable, then the command-line switches. Final before the main window exists; read-only
// afterwards except CurlReady, which start-up clears when libcurl can't be initialised.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// This installer's number in the maker's list of products; only the download route uses it.
constexpr int SoftwareNumber = 479;

struct InstallerSettings {
  std::string ProductId = "lumetravox";
  std::string ProductVersion = "1.7.9";
  std::string ExeName;
  std::string DlAppNameSuffix = ".downloader";
  std::string m_DlAppVersion;
  std::string InstCmd;
  std::string DownloadUrl;  // set from the default download URL, route-resolved
  int32_t DownloadType = 1;
  bool IsCheckNet = false;
  bool IsEnableAppSensors = true;
  double DownloadScale = 0.7;
  bool CurlReady = true;
  std::string AbGroup = "IN";

  InstallerSettings();
};

// The one record of the process.
InstallerSettings& Settings();

// Switches of the command line, key -> value; the first occurrence of a key wins.
using CommandLineArgs = std::map<std::string, std::string>;
const CommandLineArgs& TheCommandLineArgs();

// Reads VemraInstallerConfig.ini beside `exePath` (default: the running executable).
void LoadSettingsFile(InstallerSettings& settings, const std::string& exePath);
void LoadSettingsFile(InstallerSettings& settings);

// Applies the process arguments, the program path included.
void ApplyCommandLine(InstallerSettings& settings, const std::vector<std::string>& arguments,
                      CommandLineArgs& args);
void ApplyCommandLine(InstallerSettings& settings, const std::vector<std::string>& arguments);

// Replaces every "${ROUTE}" with the download route of this system.
std::string ResolveDownloadRoute(const std::string& url);
// The route for a system: "download_silent_xp" on any XP ("XP-", "XP", "XP+"), then
// "download_silent_64" for products with 64-bit packages on a 64-bit system, else "download_silent".
std::string DownloadRouteName(const std::string& versionName, bool is64BitSystem, int softwareNumber);
