#include "setup/download_installer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "app/installer_settings.h"
#include "utils/log.h"
#include "utils/special_folders.h"
#include "utils/work_folder.h"

namespace {

bool FileExists(const std::string& path) { return !path.empty() && access(path.c_str(), F_OK) == 0; }

// Downloads land as plain files; the package, like any program, must be executable to run.
void MakeExecutable(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) chmod(path.c_str(), (info.st_mode & 07777) | S_IXUSR);
}

}  // namespace

std::string UninstallerCopyPath() {
  const std::string folder = Utils::GetTempWorkDir();
  return folder.empty() ? std::string() : Utils::JoinPath(folder, Settings().ProductId + "_un_asa.exe");
}

CDownloadInstaller::CDownloadInstaller(DownloadCallback owner, std::string downloadUrl, std::string oldUninstaller,
                                       std::string installFolder, bool dsc, bool ssc, bool adminact)
    : downloadUrl_(std::move(downloadUrl)),
      oldUninstaller_(std::move(oldUninstaller)),
      installFolder_(std::move(installFolder)),
      dsc_(dsc),
      ssc_(ssc),
      adminact_(adminact),
      owner_(std::move(owner)) {}

CDownloadInstaller::~CDownloadInstaller() {
  stopping_ = true;
  // Each phase's worker may start the next phase until it has ended, so the components go in the
  // order of the phases: nothing is destroyed while a worker that could still reach it runs.
  uninstaller_.reset();
  downloader_.reset();
  installer_.reset();
}

void CDownloadInstaller::SetParams(std::string downloadUrl, const std::string& /*unused*/, std::string oldUninstaller,
                                   std::string installFolder, bool dsc, bool ssc, bool adminact,
                                   bool authorizationact) {
  downloadUrl_ = std::move(downloadUrl);
  oldUninstaller_ = std::move(oldUninstaller);
  installFolder_ = std::move(installFolder);
  dsc_ = dsc;
  ssc_ = ssc;
  adminact_ = adminact;
  authorizationact_ = authorizationact;
}

std::string CDownloadInstaller::GetPackagePath() const {
  return Utils::JoinPath(installFolder_, "__Package_" + Settings().ProductId + ".exe");
}

void CDownloadInstaller::Start() {
  packagePath_ = GetPackagePath();
  Utils::LogFormat("DL_TYPE=%d\r\n", Settings().DownloadType);

  if (!downloader_) {
    const auto onDownload = [this](int32_t code, double value, const std::string& text) {
      owner_(code, value, text);
      switch (code) {
        case DL_CODE_START:
          Utils::CreateDirectories(installFolder_);
          Utils::LogFormat("DL_CODE_START\r\n");
          break;
        case DL_CODE_PROGRESS:
          Utils::LogFormat("DL_CODE_PROGRESS\r\n");
          break;
        case DL_CODE_SUCCESS:
          Utils::LogFormat("DOWNLOAD_SUCCESS\r\n");
          StartSetup();
          Utils::LogFormat("DL_CODE_SUCCESS\r\n");
          break;
        case DL_CODE_FAIL:
          DeletePackage();
          Utils::LogFormat("DL_CODE_FAIL\r\n");
          break;
        case DL_CODE_RETRY:
          Utils::LogFormat("DL_CODE_RETRY\r\n");
          StartDownload();
          break;
        default:
          break;
      }
    };
    downloader_ = CreateDownloader(Settings().DownloadType, onDownload, downloadUrl_, packagePath_);
  }

  if (!installer_) {
    const auto onSetup = [this](int32_t code, double value, const std::string& text) {
      owner_(code, value, text);
      switch (code) {
        case IST_CODE_START:
          Utils::LogFormat("IST_CODE_START\r\n");
          break;
        case IST_CODE_PROGRESS:
          Utils::LogFormat("DL_CODE_SUCCESS\r\n");
          break;
        case IST_CODE_SUCCESS:
          DeletePackage();
          Utils::LogFormat("INSTALL_SUCCESS\r\n");
          break;
        case IST_CODE_FAIL:
          DeletePackage();
          Utils::LogFormat("IST_CODE_FAIL\r\n");
          break;
        default:
          break;
      }
    };
    installer_ =
        std::make_unique<CInstaller>(onSetup, "\"" + packagePath_ + "\"", installFolder_, dsc_, ssc_, adminact_);
  }
  installer_->SetParams(installFolder_, dsc_, ssc_, adminact_, authorizationact_);

  if (FileExists(oldUninstaller_)) {
    const auto onUninstall = [this](int32_t code, double value, const std::string& text) {
      owner_(code, value, text);
      switch (code) {
        case UNIST_CODE_START:
          Utils::LogFormat("UNIST_CODE_START\r\n");
          break;
        case UNIST_CODE_PROGRESS:
          Utils::LogFormat("UNIST_CODE_PROGRESS\r\n");
          break;
        case UNIST_CODE_SUCCESS:
          StartDownload();
          Utils::LogFormat("UNIST_CODE_SUCCESS\r\n");
          break;
        case UNIST_CODE_FAIL:
          Utils::LogFormat("UNIST_CODE_FAIL\r\n");
          break;
        case UNIST_CODE_ERROR:
          Utils::LogFormat("UNIST_CODE_ERROR\r\n");
          break;
        default:
          break;
      }
    };
    const std::string copyPath = UninstallerCopyPath();
    if (!copyPath.empty()) {
      // The copy runs from the private working folder, never from the old install folder it is
      // about to remove. A failed copy shows up as the runner's "uninstaller missing".
      std::error_code ignored;
      std::filesystem::remove(copyPath, ignored);
      std::filesystem::copy_file(oldUninstaller_, copyPath, ignored);
      chmod(copyPath.c_str(), S_IRWXU);
    }
    uninstaller_ = std::make_unique<CUnInstaller>(onUninstall, copyPath, Utils::FolderOf(oldUninstaller_));
    uninstaller_->Start();
  } else {
    StartDownload();
  }
}

void CDownloadInstaller::StartDownload() {
  if (!stopping_) downloader_->Start();
}

void CDownloadInstaller::StartSetup() {
  if (stopping_) return;
  MakeExecutable(packagePath_);
  installer_->Start();
}

void CDownloadInstaller::DeletePackage() { unlink(packagePath_.c_str()); }
