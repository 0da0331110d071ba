#include "analytics/tracker_context.h"

#include <filesystem>

#include "analytics/device_facts.h"
#include "analytics/property_value.h"
#include "utils/ini_file.h"
#include "utils/number_parsing.h"
#include "utils/special_folders.h"
#include "utils/utf8.h"

namespace vemra::tracking {

namespace {

constexpr char kBase[] = "Base";
// Identity values have always been read into 128-byte buffers; longer values are cut there.
constexpr size_t kMaxIdentityValueBytes = 127;

std::string CutToBytes(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t at = 0;
  while (at < text.size()) {
    const size_t length = std::max<size_t>(1, Utils::utf8::SequenceLength(text, at));
    if (at + length > limit) break;
    at += length;
  }
  return text.substr(0, at);
}

std::string ReadValue(const Utils::IniFile& file, const char* section, const char* key) {
  return CutToBytes(file.Get(section, key).value_or(""), kMaxIdentityValueBytes);
}

// Ids go into every record as JSON strings; a value that isn't clean text (a damaged file) is
// treated as missing, so the device gets a fresh id instead of records the collector can't read.
std::string ReadId(const Utils::IniFile& file, const char* key) {
  std::string id = ReadValue(file, kBase, key);
  return qz_analytics::IsValidPropertyString(id) ? id : std::string();
}

Utils::IniFile LoadOrEmpty(const std::string& path) { return Utils::IniFile::Load(path).value_or(Utils::IniFile()); }

}  // namespace

bool createFolders(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return true;
  std::filesystem::create_directories(path, error);
  return std::filesystem::is_directory(path, error);
}

void resolveFolders(TrackerContext& context, const std::string& exeFolder, const std::string& appName) {
  const std::string overrideFile = Utils::JoinPath(exeFolder, "Set.ini");
  context.identityFile.clear();
  if (!exeFolder.empty() && Utils::PathExists(overrideFile)) {
    context.identityFile = Utils::ReadProfileString(overrideFile, "Install", "QZAnalyticsIni", "");
  }

  if (context.identityFile.find('/') == std::string::npos) {
    const std::string local = Utils::JoinPath(Utils::LocalAppDataDir(), "QZLocal");
    createFolders(local);
    context.dataFolder = Utils::JoinPath(local, appName) + "/";
    createFolders(context.dataFolder);
    context.identityFile = Utils::JoinPath(context.dataFolder, appName + "_QZSConfigure.ini");
  } else {
    context.dataFolder = Utils::FolderOf(context.identityFile);
    if (context.dataFolder.empty()) context.dataFolder.push_back('/');
    createFolders(context.dataFolder);
  }

  // Joined with exactly one '/': an overridden data folder carries no trailing separator.
  if (context.logPath.empty()) context.logPath = Utils::JoinPath(context.dataFolder, appName + "_QZSLog.txt");
}

std::string stagingFilePath(const TrackerContext& context, const std::string& appName) {
  return Utils::JoinPath(context.dataFolder, appName + "_QZSQueue.txt");
}

void loadIdentity(TrackerContext& context, const std::string& collectorUrl) {
  context.userId.clear();
  context.distinctId.clear();
  context.primaryDistinctId.clear();
  context.storedUrl.clear();
  context.loggedIn = false;

  if (Utils::PathExists(context.identityFile)) {
    const Utils::IniFile file = LoadOrEmpty(context.identityFile);
    context.distinctId = ReadId(file, "DistinctId");
    context.primaryDistinctId = ReadId(file, "PrimaryDistinctId");
    if (context.primaryDistinctId.empty()) context.primaryDistinctId = context.distinctId;
    context.userId = ReadId(file, "UserId");
    context.vipLevel = Utils::ParseLeadingInt(ReadValue(file, kBase, "UserVipLevel")).value_or(0);
    context.loggedIn = ReadValue(file, kBase, "isLogined") == "OK";
    context.storedUrl = ReadValue(file, kBase, "URL");
  }

  if (context.distinctId.empty()) {
    context.distinctId = newDistinctId();
    saveIdentity(context);
  }
  if (context.storedUrl != collectorUrl) {
    context.userId.clear();
    context.loggedIn = false;
    if (context.primaryDistinctId.empty()) {
      context.distinctId = newDistinctId();
      context.primaryDistinctId = context.distinctId;
    } else {
      context.distinctId = context.primaryDistinctId;
    }
    context.storedUrl = collectorUrl;
    saveIdentity(context);
  }
  if (context.userId.empty()) context.loggedIn = false;
}

void saveIdentity(const TrackerContext& context) {
  Utils::IniFile file = LoadOrEmpty(context.identityFile);
  file.Set(kBase, "DistinctId", context.distinctId);
  file.Set(kBase, "PrimaryDistinctId", context.primaryDistinctId);
  file.Set(kBase, "UserId", context.userId);
  file.Set(kBase, "UserVipLevel", std::to_string(context.vipLevel));
  file.Set(kBase, "URL", context.storedUrl);
  file.Set(kBase, "isLogined", context.loggedIn ? "OK" : "NG");
  file.Save(context.identityFile);
}

void writeInstallRecord(const TrackerContext& context, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion) {
  Utils::IniFile file = LoadOrEmpty(context.identityFile);
  file.Set("UninstallInfo", "AppStore", appStore);
  file.Set("UninstallInfo", "AppName", appName);
  file.Set("UninstallInfo", "AppVersion", appVersion);
  file.Save(context.identityFile);
}

}  // namespace vemra::tracking
