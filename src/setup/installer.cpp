#include "setup/installer.h"

#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

#include "app/installer_settings.h"
#include "setup/child_output.h"
#include "setup/report_lines.h"
#include "utils/text.h"

namespace {

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

// The pause after each read: packages print a handful of lines, so reading faster buys nothing.
constexpr auto kReadPause = std::chrono::milliseconds(100);

}  // namespace

std::string ComposeSetupCommandLine(const std::string& quotedPackagePath, bool adminact, bool authorizationact,
                                    bool dsc, bool ssc, const std::string& extraArguments,
                                    const std::string& installFolder) {
  std::string line = quotedPackagePath;
  line += " /S -console=show -version=1.0.0";
  line += std::string(" -adminact=") + TrueFalse(adminact);
  line += std::string(" -authorizationact=") + TrueFalse(authorizationact);
  line += std::string(" -dsc=") + TrueFalse(dsc);
  line += std::string(" -ssc=") + TrueFalse(ssc);
  if (!extraArguments.empty()) line += " " + extraArguments;
  if (!installFolder.empty()) {
    line += " -instdir=\"" + installFolder + "\"";
    line += " /D=" + installFolder;
  }
  return line;
}

CInstaller::CInstaller(DownloadCallback callback, std::string packagePath, std::string installFolder, bool dsc,
                       bool ssc, bool adminact)
    : callback_(std::move(callback)),
      packagePath_(std::move(packagePath)),
      installFolder_(std::move(installFolder)),
      ssc_(ssc),
      dsc_(dsc),
      adminact_(adminact) {}

CInstaller::~CInstaller() {
  if (worker_) worker_->Join();
}

void CInstaller::SetParams(std::string installFolder, bool dsc, bool ssc, bool adminact, bool authorizationact) {
  installFolder_ = std::move(installFolder);
  dsc_ = dsc;
  ssc_ = ssc;
  adminact_ = adminact;
  authorizationact_ = authorizationact;
}

void CInstaller::Start() {
  commandLine_ = ComposeSetupCommandLine(packagePath_, adminact_, authorizationact_, dsc_, ssc_, Settings().InstCmd,
                                         installFolder_);
  if (worker_) worker_->Join();
  worker_ = std::make_unique<Utils::Thread>();
  worker_->Start(this, "ABDEF", [](void* self) { static_cast<CInstaller*>(self)->Work(); });
  if (worker_->HasHandle()) worker_->Resume();
}

void CInstaller::Work() {
  callback_(IST_CODE_START, 0.0, "");
  callback_(IST_CODE_PROGRESS, 0.0, "");

  child_ = ChildOutput::Launch(commandLine_);
  if (!child_) {
    callback_(IST_CODE_FAIL, 2.0, "");
    return;
  }

  const bool sawResult = ReadReports(*child_);
  // A package may go on writing after its result line; Wait reads and discards that output, so the
  // package can never block on a full pipe while we wait for it to end.
  child_->Wait();
  uint32_t exitCode = 0;
  child_->ExitCode(exitCode);
  child_->CloseAll();
  child_.reset();
  if (sawResult) return;

  // Without a result line the package's exit code does not matter: packages that simply exit have
  // installed. A package killed by a signal, though, never finished, and recording it as installed
  // would leave a broken product behind.
  if (ChildOutput::DiedOfSignal(exitCode))
    callback_(IST_CODE_FAIL, 0.0, kSetupFailText);
  else
    callback_(IST_CODE_SUCCESS, 1.0, "");
}

bool CInstaller::ReadReports(Utils::ChildProcess& child) {
  char buffer[ChildOutput::kReadSize];
  while (child.IsRunning()) {
    const ssize_t n = child.ReadOutput(buffer, sizeof buffer);
    if (n > 0 && Interpret(std::string_view(buffer, static_cast<size_t>(n)))) return true;
    std::this_thread::sleep_for(kReadPause);
  }
  // The package has ended, but its last lines may still sit in the pipe, and a result line among
  // them must count.
  return ChildOutput::ReadLeftovers(child, [this](std::string_view chunk) { return Interpret(chunk); });
}

bool CInstaller::Interpret(std::string_view bytes) {
  return ParseReport(ReportLines::DecodeChunk(bytes, outputCodePage_)) != 0;
}

int32_t CInstaller::ParseReport(const std::string& text) {
  int32_t result = 0;
  for (const std::string_view fragment : ReportLines::Split(text)) {
    // The keys are checked in this order and the first one the line begins with decides.
    ReportLines::Line line(fragment);
    if (line.Is("Progress=")) {
      callback_(IST_CODE_PROGRESS, line.Number(), "");
    } else if (line.Is("InstPath=")) {
      callback_(IST_INFO_INSTALL_PATH, 0.0, line.Text());
    } else if (line.Is("State=")) {
      const std::string state = line.Trimmed();
      if (state == "Success") {
        callback_(IST_CODE_SUCCESS, 0.0, "");
        result = 1;
      } else if (state == "Fail") {
        callback_(IST_CODE_FAIL, 0.0, kSetupFailText);
        result = 1000;
      }
    } else if (line.Is("InstallVersion=")) {
      // Recognised, and not reported on.
    } else if (line.Is("ExePath=") || line.Is("StartExe=")) {
      callback_(IST_INFO_EXE_PATH, 0.0, line.Text());
    } else if (line.Is("UninstExePath=") || line.Is("UninstExe=")) {
      callback_(IST_INFO_UNINSTALLER_PATH, 0.0, line.Text());
    } else if (line.Is("UninstEp=")) {
      callback_(IST_INFO_UNINSTALL_EP, 0.0, line.Text());
    } else if (line.Is("Error=")) {
      callback_(IST_CODE_FAIL, 1000.0, line.Text());
      result = 1000;
    } else if (line.Is("TopShowDetention=")) {
      callback_(IST_INFO_TOP_SHOW_DETENTION, static_cast<uint32_t>(line.Whole()), "");
    } else if (line.Is("FinsihCloseDetention=")) {
      callback_(IST_INFO_FINISH_CLOSE_DETENTION, static_cast<uint32_t>(line.Whole()), "");
    } else if (line.Is("StartUrl=")) {
      callback_(IST_INFO_START_URL, 0.0, line.Text());
    } else if (line.Is("StartupStyle=")) {
      const std::string style = line.Trimmed();
      callback_(IST_INFO_STARTUP_STYLE, style == "AutoStartup" ? 1.0 : style == "UserStartup" ? 2.0 : 0.0, "");
    } else if (line.Is("Encode=")) {
      // Takes effect from the next read on: this chunk is already decoded.
      const std::string encoding = line.Trimmed();
      outputCodePage_ = encoding == "UTF8"  ? Utils::kCodePageUtf8
                        : encoding == "ACP" ? Utils::kCodePageAnsi
                                            : static_cast<uint32_t>(ReportLines::WholeNumber(encoding));
    } else if (line.Is("Message=")) {
      callback_(IST_INFO_MESSAGE, 0.0, line.Text());
    }
  }
  return result;
}
