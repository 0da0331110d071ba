#pragma once
// Runs the downloaded setup package silently and turns the report lines it prints into setup
// statuses (2001 to 2004, 3000 to 3009) for its owner:
//
//   CInstaller installer(callback, "\"" + packagePath + "\"", folder, dsc, ssc, adminact);
//   installer.SetParams(folder, dsc, ssc, adminact, authorizationact);
//   installer.Start();  // returns at once; the statuses arrive on the runner's worker
//
// Every status is reported on the worker, in the order the package printed its lines.
// Destruction waits for the worker, and the worker for the package to end.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "setup/setup_status.h"
#include "utils/child_process.h"
#include "utils/thread.h"

class CInstaller {
 public:
  // `packagePath` is already enclosed in double quotes.
  CInstaller(DownloadCallback callback, std::string packagePath, std::string installFolder, bool dsc, bool ssc,
             bool adminact);
  ~CInstaller();
  CInstaller(const CInstaller&) = delete;
  CInstaller& operator=(const CInstaller&) = delete;

  // The switches of the next run. Called while no run is going on.
  void SetParams(std::string installFolder, bool dsc, bool ssc, bool adminact, bool authorizationact);

  // Builds the command line, waits for the worker of an earlier run and starts a new one.
  void Start();

  // Interprets one chunk of the package's output, reporting a status for each recognised line.
  // Returns 1 when a success line was seen, 1000 when a failure line was seen (the last one
  // counts), else 0. An "Encode=" line changes how the following chunks are decoded.
  int32_t ParseReport(const std::string& text);

  // The command line of the latest Start.
  const std::string& CommandLine() const { return commandLine_; }
  unsigned OutputCodePage() const { return outputCodePage_; }

 private:
  void Work();
  // Reads and interprets the running package's output. False when a result line was seen.
  bool ReadReports(Utils::ChildProcess& child);
  // Interprets one read of output; true when it held a result line.
  bool Interpret(std::string_view bytes);

  DownloadCallback callback_;
  std::string packagePath_;
  std::string installFolder_;
  std::string commandLine_;
  bool ssc_;
  bool dsc_;
  std::atomic<unsigned> outputCodePage_{0};
  std::unique_ptr<Utils::Thread> worker_;
  std::unique_ptr<Utils::ChildProcess> child_;
  bool adminact_;
  bool authorizationact_ = true;
};

// The setup package's command line: the quoted package path, the fixed switches, the four rights
// and shortcut switches, the extra arguments (if any) and, for a non-empty folder, "-instdir=" and
// "/D=" (the latter last and unquoted, as installers of this kind expect).
std::string ComposeSetupCommandLine(const std::string& quotedPackagePath, bool adminact, bool authorizationact,
                                    bool dsc, bool ssc, const std::string& extraArguments,
                                    const std::string& installFolder);
