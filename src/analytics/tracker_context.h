#pragma once
// What the tracker knows across events and runs: who is sending (the device id, the primary id
// kept across log-outs, a logged-in user), where its files live, and how many records wait.
#include <atomic>
#include <string>

namespace vemra::tracking {

struct TrackerContext {
  bool loggedIn = false;
  std::string userId;
  std::string distinctId;
  std::string primaryDistinctId;
  int vipLevel = 0;
  std::string logPath;
  std::string locale;
  std::string dataFolder;
  std::string identityFile;
  std::string storedUrl;
  std::atomic<int> pendingCount{0};
};

// Creates the folder and every missing folder above it. True when it exists afterwards.
bool createFolders(const std::string& path);

// Fills dataFolder, identityFile and (when empty) logPath. A "Set.ini" in `exeFolder` may name the
// identity file ("Install" / "QZAnalyticsIni"); otherwise the files live in
// <local application data>/QZLocal/<appName>/. Folders that can't be created are left missing.
void resolveFolders(TrackerContext& context, const std::string& exeFolder, const std::string& appName);

// The file that carries unsent records from one run to the next.
std::string stagingFilePath(const TrackerContext& context, const std::string& appName);

// Reads the identity file and settles the ids: a device without an id gets a new one, and a
// collector other than the one recorded logs the user out and returns to the primary id.
void loadIdentity(TrackerContext& context, const std::string& collectorUrl);
// Writes the six "Base" values. A file that can't be written is left as it was.
void saveIdentity(const TrackerContext& context);
// Writes the "UninstallInfo" values of the application that sends.
void writeInstallRecord(const TrackerContext& context, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion);

}  // namespace vemra::tracking
