#include "setup/uninstaller.h"

#include <unistd.h>

#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

#include "setup/child_output.h"
#include "setup/report_lines.h"
#include "utils/accounts.h"
#include "utils/text.h"

namespace {

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

// Once the uninstaller has closed its output, every read returns at once; the pause keeps the
// wait for its end from spinning.
constexpr auto kClosedOutputPause = std::chrono::milliseconds(20);

bool ConsoleUserIsAdmin() {
  std::string name;
  return Utils::GetConsoleUserName(name) && !name.empty() && Utils::IsUserAdmin(name);
}

}  // namespace

std::string ComposeUninstallCommandLine(const std::string& uninstallerPath, bool adminact, bool authorizationact,
                                        const std::string& oldInstallFolder) {
  return uninstallerPath + " /S -adminact=" + TrueFalse(adminact) +
         " -authorizationact=" + TrueFalse(authorizationact) + " -console=show _?=" + oldInstallFolder;
}

CUnInstaller::CUnInstaller(DownloadCallback callback, std::string uninstallerPath, std::string oldInstallFolder)
    : callback_(std::move(callback)),
      uninstallerPath_(std::move(uninstallerPath)),
      oldInstallFolder_(std::move(oldInstallFolder)) {}

CUnInstaller::~CUnInstaller() {
  if (worker_) worker_->Join();
}

void CUnInstaller::Start() {
  // A line over the launcher's limit of 1023 characters is kept whole: the launch refuses it and
  // the worker reports that, rather than running the uninstaller on a cut-off folder.
  commandLine_ =
      ComposeUninstallCommandLine(uninstallerPath_, ConsoleUserIsAdmin(), Utils::IsRunAsAdmin(), oldInstallFolder_);
  worker_ = std::make_unique<Utils::Thread>();
  worker_->Start(this, "UnInstaller", [](void* self) { static_cast<CUnInstaller*>(self)->Work(); });
  if (worker_->HasHandle()) worker_->Resume();
}

void CUnInstaller::Work() {
  if (uninstallerPath_.empty() || access(uninstallerPath_.c_str(), F_OK) != 0) {
    callback_(UNIST_CODE_FAIL, 1.0, kUninstallerMissingText);
    return;
  }
  callback_(UNIST_CODE_PROGRESS, 0.0, "");

  child_ = ChildOutput::Launch(commandLine_);
  if (!child_) {
    callback_(UNIST_CODE_FAIL, 2.0, "");
    return;
  }

  const bool sawResult = ReadReports(*child_);
  child_->Wait();
  child_->CloseAll();
  child_.reset();
  if (!sawResult) callback_(UNIST_CODE_SUCCESS, 1.0, "");
}

bool CUnInstaller::ReadReports(Utils::ChildProcess& child) {
  bool sawResult = false;
  const auto interpret = [&](std::string_view chunk) {
    if (ParseReport(ReportLines::DecodeChunk(chunk, outputCodePage_)) != 0) sawResult = true;
    return false;  // reading goes on after a result line until the uninstaller ends
  };
  char buffer[ChildOutput::kReadSize];
  while (child.IsRunning()) {
    const ssize_t n = child.ReadOutput(buffer, sizeof buffer);
    if (n > 0)
      interpret(std::string_view(buffer, static_cast<size_t>(n)));
    else
      std::this_thread::sleep_for(kClosedOutputPause);
  }
  // Its last lines may still sit in the pipe after it ended; a failure line there must count.
  ChildOutput::ReadLeftovers(child, interpret);
  return sawResult;
}

int32_t CUnInstaller::ParseReport(const std::string& text) {
  int32_t result = 0;
  for (const std::string_view fragment : ReportLines::Split(text)) {
    ReportLines::Line line(fragment);
    if (line.Is("Progress=")) {
      callback_(UNIST_CODE_PROGRESS, line.Number(), "");
    } else if (line.Is("Error=")) {
      callback_(UNIST_CODE_ERROR, 0.0, line.Text());
      result = 1000;
    } else if (line.Is("State=")) {
      const std::string state = line.Trimmed();
      if (state == "Success") {
        callback_(UNIST_CODE_SUCCESS, 0.0, "");
        result = 1;
      } else if (state == "Fail") {
        callback_(UNIST_CODE_ERROR, 0.0, kUninstallFailText);
        result = 1000;
      }
    } else if (line.Is("Encode=")) {
      // Only UTF-8 is taken from the uninstaller; any other value means the ANSI code page.
      outputCodePage_ = line.Trimmed() == "UTF8" ? Utils::kCodePageUtf8 : Utils::kCodePageAnsi;
    }
  }
  return result;
}
