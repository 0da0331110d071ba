#pragma once
// Runs a copy of the old version's uninstaller silently and turns its report lines into uninstall
// statuses (5002 to 5005) for its owner:
//
//   CUnInstaller uninstaller(callback, copyPath, oldInstallFolder);
//   uninstaller.Start();  // once; the statuses arrive on the runner's worker
//
// Destruction waits for the worker, and the worker for the uninstaller to end.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "setup/setup_status.h"
#include "utils/child_process.h"
#include "utils/thread.h"

class CUnInstaller {
 public:
  CUnInstaller(DownloadCallback callback, std::string uninstallerPath, std::string oldInstallFolder);
  ~CUnInstaller();
  CUnInstaller(const CUnInstaller&) = delete;
  CUnInstaller& operator=(const CUnInstaller&) = delete;

  // Builds the command line and starts the worker.
  void Start();

  // Interprets one chunk of the uninstaller's output, reporting a status for each recognised line.
  // Returns 1 when a success line was seen, 1000 when a failure line was seen (the last one
  // counts), else 0.
  int32_t ParseReport(const std::string& text);

  const std::string& CommandLine() const { return commandLine_; }
  unsigned OutputCodePage() const { return outputCodePage_; }

 private:
  void Work();
  // Reads the output until the uninstaller has ended. False when a result line was seen.
  bool ReadReports(Utils::ChildProcess& child);

  DownloadCallback callback_;
  std::string commandLine_;
  std::string uninstallerPath_;
  std::string oldInstallFolder_;
  std::atomic<unsigned> outputCodePage_{0};
  std::unique_ptr<Utils::Thread> worker_;
  std::unique_ptr<Utils::ChildProcess> child_;
};

// The uninstaller's command line. Both paths go in unquoted, the old folder last, after "_?=", so
// the uninstaller takes the rest of the line as the folder even when it has blanks in it.
std::string ComposeUninstallCommandLine(const std::string& uninstallerPath, bool adminact, bool authorizationact,
                                        const std::string& oldInstallFolder);
