// The uninstaller runner against the fixture uninstaller: real processes, real pipes.
#include "setup/uninstaller.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixture_programs.h"
#include "status_recorder.h"
#include "support/scratch.h"
#include "utils/accounts.h"

namespace {

using namespace fixture_programs;

std::vector<Status> RunUninstaller(const std::string& path, const std::string& oldFolder) {
  StatusRecorder recorder;
  {
    CUnInstaller uninstaller(recorder.Callback(), path, oldFolder);
    uninstaller.Start();
  }
  return recorder.Statuses();
}

// An installed old version: a folder (with a blank in its name) holding a file.
std::string OldVersionFolder() {
  const std::string folder = testsupport::NewFolder("programs") + "/Old Version";
  mkdir(folder.c_str(), 0755);
  testsupport::WriteFile(folder + "/lumetravox.exe", "old");
  return folder;
}

bool ConsoleUserIsAdmin() {
  std::string name;
  return Utils::GetConsoleUserName(name) && Utils::IsUserAdmin(name);
}

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

TEST(UninstallCommandLineTest, PathsGoInUnquotedWithTheFolderLast) {
  EXPECT_EQ(ComposeUninstallCommandLine("/run/user/1000/~VemraTemp.92482B06FB471E17/lumetravox_un_asa.exe", true, true,
                                        "/opt/Old Version"),
            "/run/user/1000/~VemraTemp.92482B06FB471E17/lumetravox_un_asa.exe /S -adminact=true "
            "-authorizationact=true -console=show _?=/opt/Old Version");
  EXPECT_EQ(ComposeUninstallCommandLine("/u", false, true, ""),
            "/u /S -adminact=false -authorizationact=true -console=show _?=");
}

TEST(UnInstallerTest, DefaultUninstallerRemovesTheOldFolder) {
  const std::string record = RecordInvocation("LUMETRAVOX_UNINSTALL_RECORD");
  setenv("LD_PRELOAD", "/nonexistent/libspy.so", 1);
  setenv("LD_AUDIT", "/nonexistent/libaudit.so", 1);
  const std::string folder = OldVersionFolder();

  const std::vector<Status> expected = {{5002, 0.0, ""}, {5002, 0.5, ""}, {5002, 1.0, ""}, {5003, 0.0, ""}};
  EXPECT_EQ(RunUninstaller(kUninstaller, folder), expected);
  EXPECT_FALSE(testsupport::Exists(folder));

  const Invocation invocation = ReadInvocation(record);
  const std::vector<std::string> arguments = {kUninstaller,
                                              "/S",
                                              std::string("-adminact=") + TrueFalse(ConsoleUserIsAdmin()),
                                              std::string("-authorizationact=") + TrueFalse(Utils::IsRunAsAdmin()),
                                              "-console=show",
                                              "_?=" + folder.substr(0, folder.find(" Version")),
                                              "Version"};
  EXPECT_EQ(invocation.arguments, arguments);
  EXPECT_FALSE(invocation.HasVariable("LD_PRELOAD"));
  EXPECT_FALSE(invocation.HasVariable("LD_AUDIT"));
}

struct ScenarioCase {
  const char* name;
  std::string script;
  std::vector<Status> statuses;
};

void PrintTo(const ScenarioCase& c, std::ostream* out) { *out << c.name; }

class UnInstallerScenarioTest : public testing::TestWithParam<ScenarioCase> {};

TEST_P(UnInstallerScenarioTest, ReportsTheStatusSequence) {
  UseScenario("LUMETRAVOX_UNINSTALL_SCENARIO", GetParam().script);
  EXPECT_EQ(RunUninstaller(kUninstaller, OldVersionFolder()), GetParam().statuses);
}

INSTANTIATE_TEST_SUITE_P(
    Uninstallers, UnInstallerScenarioTest,
    testing::Values(ScenarioCase{"StateFail",
                                 "write Progress=0.5\\n\npause 20\nwrite State=Fail\\r\\n\n",
                                 {{5002, 0.0, ""}, {5002, 0.5, ""}, {5005, 0.0, "安装包卸载失败"}}},
                    ScenarioCase{"ErrorThenSuccessInOneWrite",
                                 "write Error=locked\\r\\nState=Success\\r\\n\n",
                                 {{5002, 0.0, ""}, {5005, 0.0, "locked\r"}, {5003, 0.0, ""}}},
                    // Unlike the setup runner, reading goes on after a result line.
                    ScenarioCase{"KeepsReadingAfterTheResult",
                                 "write State=Success\\n\npause 100\nwrite Progress=1\\n\n",
                                 {{5002, 0.0, ""}, {5003, 0.0, ""}, {5002, 1.0, ""}}},
                    ScenarioCase{"OnlyProgressThenANormalEnd",
                                 "write Progress=0.5\\n\npause 20\nwrite Progress=1\\n\nexit 4\n",
                                 {{5002, 0.0, ""}, {5002, 0.5, ""}, {5002, 1.0, ""}, {5003, 1.0, ""}}},
                    // "Encode=936" means the ANSI page here: the GBK text after it is not readable.
                    ScenarioCase{"Encode936IsTheAnsiPage",
                                 "write Encode=936\\n\npause 100\nwrite Error=\\xd6\\xd0\\xce\\xc4\\n\n",
                                 {{5002, 0.0, ""}, {5003, 1.0, ""}}},
                    ScenarioCase{"Utf8AfterEncodeUtf8",
                                 "write Encode=UTF8\\n\npause 100\nwrite Error=文件被占用\\n\n",
                                 {{5002, 0.0, ""}, {5005, 0.0, "文件被占用"}}}),
    [](const testing::TestParamInfo<ScenarioCase>& info) { return std::string(info.param.name); });

TEST(UnInstallerTest, MissingCopyIsReportedWithoutProgress) {
  const std::vector<Status> expected = {{5004, 1.0, "可执行卸载文件不存在"}};
  EXPECT_EQ(RunUninstaller(testsupport::NewFolder() + "/lumetravox_un_asa.exe", "/opt/Old"), expected);
  EXPECT_EQ(RunUninstaller("", "/opt/Old"), expected);
}

TEST(UnInstallerTest, CommandLineLimitIs1023Characters) {
  // The fixed part of the line around the two paths.
  const std::string head = ComposeUninstallCommandLine(kUninstaller, ConsoleUserIsAdmin(), Utils::IsRunAsAdmin(), "");
  const std::string base = testsupport::NewFolder() + "/";
  ASSERT_LT(head.size() + base.size(), 900u);

  // A folder path of `length` characters, in names short enough for the file system.
  const auto folderOfLength = [&](size_t length) {
    std::string folder = base;
    while (folder.size() < length) folder += std::string(std::min<size_t>(length - folder.size(), 100), 'f') + "/";
    folder.resize(length);
    return folder;
  };

  const std::string fits = folderOfLength(1023 - head.size());
  EXPECT_EQ(RunUninstaller(kUninstaller, fits).back(), (Status{5003, 0.0, ""}));

  const std::string tooLong = folderOfLength(1024 - head.size());
  const std::vector<Status> refused = {{5002, 0.0, ""}, {5004, 2.0, ""}};
  EXPECT_EQ(RunUninstaller(kUninstaller, tooLong), refused);
}

TEST(UnInstallerTest, ProgramThatCannotStartFailsWithTwo) {
  const std::string notRunnable = testsupport::NewFolder() + "/lumetravox_un_asa.exe";
  testsupport::WriteFile(notRunnable, "MZ");
  const std::vector<Status> expected = {{5002, 0.0, ""}, {5004, 2.0, ""}};
  EXPECT_EQ(RunUninstaller(notRunnable, OldVersionFolder()), expected);
}

TEST(UnInstallerTest, WaitsWithoutSpinningWhenOutputIsClosedButTheProgramRuns) {
  UseScenario("LUMETRAVOX_UNINSTALL_SCENARIO", "write State=Success\\n\nclose\npause 800\n");
  timespec before{}, after{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
  const std::vector<Status> expected = {{5002, 0.0, ""}, {5003, 0.0, ""}};
  EXPECT_EQ(RunUninstaller(kUninstaller, OldVersionFolder()), expected);
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
  const double cpuSeconds = static_cast<double>(after.tv_sec - before.tv_sec) + (after.tv_nsec - before.tv_nsec) / 1e9;
  // Reading a closed pipe without a pause would keep a core busy for the whole 800 ms.
  EXPECT_LT(cpuSeconds, 0.4);
}

}  // namespace
