#pragma once
// Chains one installation: remove the old version (when its uninstaller is found), download the
// setup package, run it. Every status of the three phases goes to the owner unchanged; the
// hand-overs happen inside the status callbacks, on the worker that reported:
//
//   uninstall 5003 -> download starts;  download 1003 -> setup starts;  1005 -> download again;
//   1004, 2003, 2004 -> the package file is deleted.
//
// It has no thread of its own: Start returns at once. Destruction starts no further phase and
// waits for every worker.
#include <atomic>
#include <memory>
#include <string>

#include "download/downloader.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"

class CDownloadInstaller {
 public:
  CDownloadInstaller(DownloadCallback owner, std::string downloadUrl, std::string oldUninstaller,
                     std::string installFolder, bool dsc, bool ssc, bool adminact);
  ~CDownloadInstaller();
  CDownloadInstaller(const CDownloadInstaller&) = delete;
  CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

  // Replaces the values of the next Start. The second argument is accepted and not used.
  void SetParams(std::string downloadUrl, const std::string& unused, std::string oldUninstaller,
                 std::string installFolder, bool dsc, bool ssc, bool adminact, bool authorizationact);

  // The install folder + "/__Package_lumetravox.exe".
  std::string GetPackagePath() const;

  // Begins the installation: the old uninstaller first when it exists, else the download. A
  // second Start reuses the downloader and the setup runner of the first.
  void Start();

 private:
  // The next phases; nothing begins once destruction has begun.
  void StartDownload();
  void StartSetup();
  void DeletePackage();
  // Copies the old uninstaller into the private working folder and starts it from there.
  void StartUninstall();

  std::unique_ptr<CUnInstaller> uninstaller_;
  std::unique_ptr<CDownloader> downloader_;
  std::unique_ptr<CInstaller> installer_;
  std::string downloadUrl_;
  std::string oldUninstaller_;
  std::string installFolder_;
  std::string packagePath_;
  bool dsc_;
  bool ssc_;
  bool adminact_;
  bool authorizationact_ = false;
  DownloadCallback owner_;
  std::atomic<bool> stopping_{false};
};

// Where the old uninstaller is copied before it runs: the private working folder +
// "/lumetravox_un_asa.exe"; empty when that folder is not available.
std::string UninstallerCopyPath();
