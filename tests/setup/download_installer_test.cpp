// The orchestrator end to end, without a window: the old uninstaller, the download from the local
// link service, and the fixture setup package, each a real process or server.
#include "setup/download_installer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/installer_settings.h"
#include "fixture_programs.h"
#include "link_service/link_service.h"
#include "status_recorder.h"
#include "support/scratch.h"
#include "support/stderr_capture.h"
#include "utils/work_folder.h"

namespace {

using namespace fixture_programs;

// An installed old version: its folder with the fixture uninstaller as "uninst.ep".
std::string InstallOldVersion() {
  const std::string folder = testsupport::NewFolder("programs") + "/Old lumetravox";
  std::filesystem::create_directories(folder);
  const std::string uninstaller = folder + "/uninst.ep";
  std::filesystem::copy_file(kUninstaller, uninstaller);
  testsupport::WriteFile(folder + "/lumetravox.exe", "old");
  return uninstaller;
}

TEST(DownloadInstallerTest, PackagePathIsInTheInstallFolder) {
  CDownloadInstaller orchestrator([](int32_t, double, const std::string&) {}, "", "", "", true, true, true);
  orchestrator.SetParams("http://127.0.0.1:1/software/226", "ignored", "", "/opt/Apps/Product", true, false, true,
                         true);
  EXPECT_EQ(orchestrator.GetPackagePath(), "/opt/Apps/Product/__Package_lumetravox.exe");
}

TEST(DownloadInstallerTest, UninstallerRunsAsACopyInTheWorkingFolder) {
  const std::string record = RecordInvocation("LUMETRAVOX_UNINSTALL_RECORD");
  UseScenario("LUMETRAVOX_UNINSTALL_SCENARIO", "write State=Fail\\n\n");
  const std::string oldUninstaller = InstallOldVersion();
  StatusRecorder recorder;
  {
    CDownloadInstaller orchestrator(recorder.Callback(), "", "", "", true, true, true);
    orchestrator.SetParams("http://127.0.0.1:1/software/226", "", oldUninstaller,
                           testsupport::NewFolder("apps") + "/lumetravox", true, true, true, true);
    orchestrator.Start();
    ASSERT_TRUE(recorder.WaitFor(5005));
  }
  const std::string copy = Utils::GetTempWorkDir() + "lumetravox_un_asa.exe";
  const Invocation invocation = ReadInvocation(record);
  ASSERT_GE(invocation.arguments.size(), 7u);
  EXPECT_EQ(invocation.arguments[0], copy);
  EXPECT_EQ(invocation.arguments[5] + " " + invocation.arguments[6],
            "_?=" + oldUninstaller.substr(0, oldUninstaller.rfind('/')));
  struct stat info;
  ASSERT_EQ(stat(copy.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(DownloadInstallerTest, UninstallerFailureStopsTheChain) {
  struct Case {
    const char* script;
    std::vector<Status> statuses;
  };
  const Case cases[] = {
      {"write State=Fail\\n\n", {{5002, 0.0, ""}, {5005, 0.0, "安装包卸载失败"}}},
      {"write Error=文件被占用\\n\n", {{5002, 0.0, ""}, {5005, 0.0, "文件被占用"}}},
  };
  for (const Case& c : cases) {
    UseScenario("LUMETRAVOX_UNINSTALL_SCENARIO", c.script);
    StatusRecorder recorder;
    {
      CDownloadInstaller orchestrator(recorder.Callback(), "", "", "", true, true, true);
      orchestrator.SetParams("http://127.0.0.1:1/software/226", "", InstallOldVersion(),
                             testsupport::NewFolder("apps") + "/lumetravox", true, true, true, true);
      orchestrator.Start();
      ASSERT_TRUE(recorder.WaitFor(5005));
    }
    // Destruction waited for every worker: whatever was going to be reported has been.
    EXPECT_EQ(recorder.Statuses(), c.statuses) << c.script;
  }
}

TEST(DownloadInstallerTest, UnsafeWorkingFolderMeansNoUninstallerRuns) {
  // Someone planted a link where the working folder belongs: the copy is never made or run.
  const std::string elsewhere = testsupport::NewFolder("planted");
  const std::string runtime = getenv("XDG_RUNTIME_DIR");
  ASSERT_EQ(symlink(elsewhere.c_str(), (runtime + "/" + Utils::kTempWorkDirName).c_str()), 0);
  const std::string record = RecordInvocation("LUMETRAVOX_UNINSTALL_RECORD");

  StatusRecorder recorder;
  {
    CDownloadInstaller orchestrator(recorder.Callback(), "", "", "", true, true, true);
    orchestrator.SetParams("http://127.0.0.1:1/software/226", "", InstallOldVersion(),
                           testsupport::NewFolder("apps") + "/lumetravox", true, true, true, true);
    orchestrator.Start();
  }
  EXPECT_EQ(recorder.Statuses(), (std::vector<Status>{{5004, 1.0, "可执行卸载文件不存在"}}));
  EXPECT_FALSE(testsupport::Exists(record));
  EXPECT_FALSE(testsupport::Exists(elsewhere + "/lumetravox_un_asa.exe"));
}

TEST(DownloadInstallerTest, DestroyedWhileUninstallingStartsNoDownload) {
  UseScenario("LUMETRAVOX_UNINSTALL_SCENARIO", "write Progress=0.5\\n\npause 400\nwrite State=Success\\n\n");
  StatusRecorder recorder;
  {
    CDownloadInstaller orchestrator(recorder.Callback(), "", "", "", true, true, true);
    orchestrator.SetParams("http://127.0.0.1:1/software/226", "", InstallOldVersion(),
                           testsupport::NewFolder("apps") + "/lumetravox", true, true, true, true);
    orchestrator.Start();
    ASSERT_TRUE(recorder.WaitFor(5002));
  }
  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{5002, 5002, 5003}));
}

// The fixture package as the link service serves it. The single-stream client refuses packages
// under 1 MiB, so the program is padded; bytes after the end of an ELF file do not change how it runs.
std::string ServedPackage() {
  std::string bytes = testsupport::ReadFile(kPackage);
  if (bytes.size() < 1536 * 1024) bytes.resize(1536 * 1024, '\0');
  const std::string path = testsupport::NewFolder("served") + "/lumetravox_setup.exe";
  testsupport::WriteFile(path, bytes);
  return path;
}

// Download statuses without the progress reports, whose number depends on timing.
std::vector<Status> WithoutDownloadProgress(const std::vector<Status>& statuses) {
  std::vector<Status> kept;
  for (const Status& status : statuses)
    if (status.code != 1002) kept.push_back(status);
  return kept;
}

// One installation through the orchestrator against the local link service, per download type.
class OrchestratorTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    // Loopback only: a proxy of the machine must not see these requests.
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
      unsetenv(name);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    Settings().DownloadType = GetParam();
    service_.ServeFile(ServedPackage(), "lumetravox_setup.exe");
    installFolder_ = testsupport::NewFolder("apps") + "/Vemra Apps/lumetravox";
  }

  // Starts the orchestrator and waits until `lastCode` has been reported; the orchestrator is then
  // destroyed, which waits for every worker.
  void RunInstallation(const std::string& oldUninstaller, int32_t lastCode) {
    CDownloadInstaller orchestrator(recorder_.Callback(), "", "", "", true, true, true);
    orchestrator.SetParams(service_.Url(), "", oldUninstaller, installFolder_, true, false, true, true);
    orchestrator.Start();
    ASSERT_TRUE(recorder_.WaitFor(lastCode, std::chrono::seconds(60)));
  }

  std::string PackagePath() const { return installFolder_ + "/__Package_lumetravox.exe"; }

  testsupport::LinkService service_;
  StatusRecorder recorder_;
  std::string installFolder_;
};

TEST_P(OrchestratorTest, UninstallDownloadAndSetupInstallTheProduct) {
  const std::string oldUninstaller = InstallOldVersion();
  const std::string oldFolder = oldUninstaller.substr(0, oldUninstaller.rfind('/'));
  // The owner hears of the result before the package file is deleted.
  bool packageThereAtResult = false;
  DownloadCallback record = recorder_.Callback();
  {
    CDownloadInstaller orchestrator(
        [&](int32_t code, double value, const std::string& text) {
          if (code == 2003) packageThereAtResult = testsupport::Exists(PackagePath());
          record(code, value, text);
        },
        "", "", "", true, true, true);
    orchestrator.SetParams(service_.Url(), "", oldUninstaller, installFolder_, true, false, true, true);
    orchestrator.Start();
    ASSERT_TRUE(recorder_.WaitFor(2003, std::chrono::seconds(60)));
  }

  const std::string downloadText = GetParam() == 2 ? "URLDownloadToFile" : "LibCurl";
  const std::vector<Status> expected = {
      {5002, 0.0, ""},
      {5002, 0.5, ""},
      {5002, 1.0, ""},
      {5003, 0.0, ""},
      {1001, 1.0, ""},
      {1003, 0.0, downloadText},
      {2001, 0.0, ""},
      {2002, 0.0, ""},
      {2002, 0.25, ""},
      {3000, 0.0, installFolder_ + "\r"},
      {3001, 0.0, installFolder_ + "/lumetravox.exe\r"},
      {3003, 0.0, installFolder_ + "/uninst.ep\r"},
      {3005, 2.0, ""},
      {2002, 1.0, ""},
      {2003, 0.0, ""},
  };
  EXPECT_EQ(WithoutDownloadProgress(recorder_.Statuses()), expected);
  for (const Status& status : recorder_.Statuses()) {
    if (status.code == 1002) {
      EXPECT_GT(status.value, 0.0);
      EXPECT_LE(status.value, 1.0);
    }
  }

  EXPECT_FALSE(testsupport::Exists(oldFolder));
  struct stat info;
  ASSERT_EQ(stat((installFolder_ + "/lumetravox.exe").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
  EXPECT_TRUE(testsupport::Exists(installFolder_ + "/uninst.ep"));
  EXPECT_TRUE(packageThereAtResult);
  EXPECT_FALSE(testsupport::Exists(PackagePath()));
}

TEST_P(OrchestratorTest, WithoutAnOldVersionTheDownloadStartsAtOnce) {
  RunInstallation("", 2003);
  const std::vector<int32_t> codes = recorder_.Codes();
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), 1001);
  EXPECT_EQ(codes.back(), 2003);
  EXPECT_TRUE(testsupport::Exists(installFolder_ + "/lumetravox.exe"));
  EXPECT_FALSE(testsupport::Exists(PackagePath()));
}

TEST_P(OrchestratorTest, SetupFailureDeletesThePackage) {
  UseScenario("LUMETRAVOX_SETUP_SCENARIO", "write Progress=0.5\\r\\n\nwrite Error=磁盘已满\\r\\n\n");
  RunInstallation("", 2004);
  const std::vector<Status> statuses = WithoutDownloadProgress(recorder_.Statuses());
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.back(), (Status{2004, 1000.0, "磁盘已满\r"}));
  EXPECT_FALSE(testsupport::Exists(PackagePath()));
}

TEST_P(OrchestratorTest, DestroyedWhileDownloadingStartsNoSetup) {
  testsupport::LinkService::Faults faults;
  faults.stallAfterBytes = 256 * 1024;
  service_.SetFaults(faults);
  std::thread releaser;
  {
    CDownloadInstaller orchestrator(recorder_.Callback(), "", "", "", true, true, true);
    orchestrator.SetParams(service_.Url(), "", "", installFolder_, true, false, true, true);
    orchestrator.Start();
    ASSERT_TRUE(service_.WaitForStall(std::chrono::seconds(30)));
    // The multi-part downloader can only wait for its parts, so the stalled transfer goes on a
    // moment after destruction has begun; the run then completes, and still no setup may start.
    releaser = std::thread([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      service_.ReleaseStalls();
    });
  }
  releaser.join();
  const std::vector<int32_t> codes = recorder_.Codes();
  for (const int32_t code : codes) EXPECT_LT(code, 2000) << "a setup status after destruction";
  EXPECT_FALSE(testsupport::Exists(installFolder_ + "/lumetravox.exe"));
}

TEST_P(OrchestratorTest, DestroyedWhileSettingUpWaitsForThePackage) {
  UseScenario("LUMETRAVOX_SETUP_SCENARIO", "write Progress=0.5\\n\npause 400\ninstall\nwrite State=Success\\n\n");
  {
    CDownloadInstaller orchestrator(recorder_.Callback(), "", "", "", true, true, true);
    orchestrator.SetParams(service_.Url(), "", "", installFolder_, true, false, true, true);
    orchestrator.Start();
    ASSERT_TRUE(recorder_.WaitFor(2001, std::chrono::seconds(60)));
  }
  EXPECT_EQ(recorder_.Codes().back(), 2003);
  EXPECT_TRUE(testsupport::Exists(installFolder_ + "/lumetravox.exe"));
  EXPECT_FALSE(testsupport::Exists(PackagePath()));
}

INSTANTIATE_TEST_SUITE_P(DownloadTypes, OrchestratorTest, testing::Values(1, 2, 3),
                         [](const testing::TestParamInfo<int>& info) { return "Type" + std::to_string(info.param); });

// The orchestrator's log lines, message by message for each thread that wrote them (threads in the
// order of their first line), progress lines left out.
std::vector<std::vector<std::string>> HandlerLogByThread(const std::string& log) {
  static const std::regex kLine(R"(<P\d+><T(\d+)><[^>]*>\((CDownloadInstaller::Start[^)]*)\)<\d+>: ([^\r\n]*))");
  std::vector<std::string> order;
  std::map<std::string, std::vector<std::string>> byThread;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), kLine); it != std::sregex_iterator(); ++it) {
    const std::string thread = (*it)[1], message = (*it)[3];
    if (message == "DL_CODE_PROGRESS") continue;
    if (!byThread.contains(thread)) order.push_back(thread);
    byThread[thread].push_back(std::string((*it)[2]) + ": " + message);
  }
  std::vector<std::vector<std::string>> sequences;
  for (const std::string& thread : order) sequences.push_back(byThread[thread]);
  return sequences;
}

// The single-stream downloader reports from one worker, so every phase's lines come from one thread.
class LoggingOrchestratorTest : public OrchestratorTest {};

TEST_P(LoggingOrchestratorTest, EachHandOverIsLoggedOnTheReportingWorker) {
  testsupport::StderrCapture capture;
  RunInstallation(InstallOldVersion(), 2003);
  const std::string handler = "CDownloadInstaller::Start::<lambda>: ";
  const std::vector<std::vector<std::string>> expected = {
      {"CDownloadInstaller::Start: DL_TYPE=1"},
      {handler + "UNIST_CODE_PROGRESS", handler + "UNIST_CODE_PROGRESS", handler + "UNIST_CODE_PROGRESS",
       handler + "UNIST_CODE_SUCCESS"},
      {handler + "DL_CODE_START", handler + "DOWNLOAD_SUCCESS", handler + "DL_CODE_SUCCESS"},
      {handler + "IST_CODE_START", handler + "DL_CODE_SUCCESS", handler + "DL_CODE_SUCCESS",
       handler + "DL_CODE_SUCCESS", handler + "INSTALL_SUCCESS"},
  };
  EXPECT_EQ(HandlerLogByThread(capture.Finish()), expected);
}

INSTANTIATE_TEST_SUITE_P(DownloadTypes, LoggingOrchestratorTest, testing::Values(1),
                         [](const testing::TestParamInfo<int>& info) { return "Type" + std::to_string(info.param); });

// The two downloaders that check the MD5 in the final address.
class VerifyingOrchestratorTest : public OrchestratorTest {};

TEST_P(VerifyingOrchestratorTest, WrongMd5RestartsOnceThenFailsWithoutSetup) {
  testsupport::LinkService::Faults faults;
  faults.md5 = testsupport::LinkService::Md5Segment::kWrong;
  service_.SetFaults(faults);
  RunInstallation("", 1004);

  const std::string mismatch = GetParam() == 3 ? "mtcurl文件md5校验失败" : "curl文件md5校验失败";
  const std::vector<Status> expected = {
      {1001, 1.0, ""}, {1006, 0.0, mismatch}, {1005, 0.0, "LibCurl"},
      {1001, 1.0, ""}, {1006, 0.0, mismatch}, {1004, 0.0, "LibCurl"},
  };
  EXPECT_EQ(WithoutDownloadProgress(recorder_.Statuses()), expected);
  EXPECT_FALSE(testsupport::Exists(PackagePath()));
  EXPECT_FALSE(testsupport::Exists(installFolder_ + "/lumetravox.exe"));
  // The install folder made at the download's start stays.
  EXPECT_TRUE(testsupport::Exists(installFolder_));
}

INSTANTIATE_TEST_SUITE_P(DownloadTypes, VerifyingOrchestratorTest, testing::Values(1, 3),
                         [](const testing::TestParamInfo<int>& info) { return "Type" + std::to_string(info.param); });

}  // namespace
