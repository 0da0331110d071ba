// The setup-package runner against the fixture package: real processes, real pipes.
#include "setup/installer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/installer_settings.h"
#include "fixture_programs.h"
#include "status_recorder.h"
#include "support/scratch.h"

namespace {

using namespace fixture_programs;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Runs the fixture package once with the switches the orchestrator would pass, and returns every
// status it reported; the runner's destruction waits for the worker.
std::vector<Status> RunPackage(const std::string& packagePath, const std::string& folder) {
  StatusRecorder recorder;
  {
    CInstaller installer(recorder.Callback(), Quoted(packagePath), folder, true, false, true);
    installer.SetParams(folder, true, false, true, true);
    installer.Start();
  }
  return recorder.Statuses();
}

std::vector<Status> RunScenario(const std::string& script) {
  UseScenario("LUMETRAVOX_SETUP_SCENARIO", script);
  return RunPackage(kPackage, testsupport::NewFolder("product"));
}

TEST(SetupCommandLineTest, PiecesInTheirOrder) {
  struct Case {
    bool adminact, authorizationact, dsc, ssc;
    std::string extra, folder, expected;
  };
  const Case cases[] = {
      {true, true, true, false, "", "/opt/Apps/Product",
       "\"/opt/Apps/Product/__Package_lumetravox.exe\" /S -console=show -version=1.0.0 -adminact=true "
       "-authorizationact=true -dsc=true -ssc=false -instdir=\"/opt/Apps/Product\" /D=/opt/Apps/Product"},
      {false, false, false, true, "", "",
       "\"/opt/Apps/Product/__Package_lumetravox.exe\" /S -console=show -version=1.0.0 -adminact=false "
       "-authorizationact=false -dsc=false -ssc=true"},
      {false, true, false, false, "-channel=7 -quiet", "",
       "\"/opt/Apps/Product/__Package_lumetravox.exe\" /S -console=show -version=1.0.0 -adminact=false "
       "-authorizationact=true -dsc=false -ssc=false -channel=7 -quiet"},
      {true, false, true, true, "-channel=7", "/home/ann/My Apps",
       "\"/opt/Apps/Product/__Package_lumetravox.exe\" /S -console=show -version=1.0.0 -adminact=true "
       "-authorizationact=false -dsc=true -ssc=true -channel=7 -instdir=\"/home/ann/My Apps\" /D=/home/ann/My Apps"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComposeSetupCommandLine("\"/opt/Apps/Product/__Package_lumetravox.exe\"", c.adminact, c.authorizationact,
                                      c.dsc, c.ssc, c.extra, c.folder),
              c.expected);
  }
}

TEST(InstallerTest, DefaultPackageInstallsAndReportsInOrder) {
  const std::string folder = testsupport::NewFolder("apps") + "/Product Dir";
  const std::vector<Status> expected = {
      {2001, 0.0, ""},
      {2002, 0.0, ""},
      {2002, 0.25, ""},
      {3000, 0.0, folder + "\r"},
      {3001, 0.0, folder + "/lumetravox.exe\r"},
      {3003, 0.0, folder + "/uninst.ep\r"},
      {3005, 2.0, ""},
      {2002, 1.0, ""},
      {2003, 0.0, ""},
  };
  EXPECT_EQ(RunPackage(kPackage, folder), expected);
  struct stat info;
  ASSERT_EQ(stat((folder + "/lumetravox.exe").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
  EXPECT_TRUE(testsupport::Exists(folder + "/uninst.ep"));
}

TEST(InstallerTest, PackageGetsTheCommandLineAsArgumentsAndACleanEnvironment) {
  Settings().InstCmd = "-channel=7 -quiet";
  setenv("LD_PRELOAD", "/nonexistent/libspy.so", 1);
  setenv("LD_LIBRARY_PATH", "/nonexistent", 1);
  setenv("LD_AUDIT", "/nonexistent/libaudit.so", 1);
  setenv("LUMETRAVOX_PLAIN_VARIABLE", "kept", 1);
  const std::string record = RecordInvocation("LUMETRAVOX_SETUP_RECORD");
  const std::string folder = testsupport::NewFolder("apps") + "/My Product";

  ASSERT_EQ(RunPackage(kPackage, folder).back(), (Status{2003, 0.0, ""}));
  const Invocation invocation = ReadInvocation(record);
  const std::vector<std::string> expected = {kPackage,
                                             "/S",
                                             "-console=show",
                                             "-version=1.0.0",
                                             "-adminact=true",
                                             "-authorizationact=true",
                                             "-dsc=true",
                                             "-ssc=false",
                                             "-channel=7",
                                             "-quiet",
                                             "-instdir=" + folder,
                                             "/D=" + folder.substr(0, folder.find(' ')),
                                             "Product"};
  EXPECT_EQ(invocation.arguments, expected);
  EXPECT_FALSE(invocation.HasVariable("LD_PRELOAD"));
  EXPECT_FALSE(invocation.HasVariable("LD_LIBRARY_PATH"));
  EXPECT_FALSE(invocation.HasVariable("LD_AUDIT"));
  EXPECT_TRUE(invocation.HasVariable("LUMETRAVOX_PLAIN_VARIABLE"));
}

struct ScenarioCase {
  const char* name;
  std::string script;
  std::vector<Status> statuses;
};

void PrintTo(const ScenarioCase& c, std::ostream* out) { *out << c.name; }

class InstallerScenarioTest : public testing::TestWithParam<ScenarioCase> {};

TEST_P(InstallerScenarioTest, ReportsTheStatusSequence) {
  EXPECT_EQ(RunScenario(GetParam().script), GetParam().statuses);
}

// Writes 300 ms apart reach the runner as separate reads; one write is never split (it is shorter
// than a read).
INSTANTIATE_TEST_SUITE_P(
    Packages, InstallerScenarioTest,
    testing::Values(ScenarioCase{"StateFail",
                                 "write Progress=0.5\\r\\n\npause 300\nwrite State=Fail\\r\\n\npause 300\n"
                                 "write State=Success\\r\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2002, 0.5, ""}, {2004, 0.0, "安装包安装失败"}}},
                    ScenarioCase{"ErrorStopsReading",
                                 "write Error=disk full\\n\npause 300\nwrite Message=after the error\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2004, 1000.0, "disk full"}}},
                    ScenarioCase{"NoResultLineIsSuccessWhateverTheExitCode",
                                 "write Progress=0.5\\r\\n\npause 20\nwrite State=success\\r\\n\nexit 3\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2002, 0.5, ""}, {2003, 1.0, ""}}},
                    // The result line comes while the runner pauses between reads, and the package exits at
                    // once: it still counts.
                    ScenarioCase{"ResultLineJustBeforeTheEnd",
                                 "write Progress=0.1\\r\\n\npause 30\nwrite State=Fail\\r\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2002, 0.1, ""}, {2004, 0.0, "安装包安装失败"}}},
                    ScenarioCase{"FloodAfterTheResultLineIsDrained",
                                 "write State=Success\\r\\n\nflood 8388608\nwrite Error=never read\\r\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2003, 0.0, ""}}},
                    ScenarioCase{"KilledBySignalIsAFailure",
                                 "write Progress=0.3\\r\\n\npause 20\ncrash\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2002, 0.3, ""}, {2004, 0.0, "安装包安装失败"}}},
                    // The first message is GBK read as the ANSI page and is lost; after "Encode=936" the same
                    // bytes read as 中文.
                    ScenarioCase{"GbkAfterEncode936",
                                 "write Message=\\xd6\\xd0\\xce\\xc4\\r\\nEncode=936\\r\\n\npause 300\n"
                                 "write Message=\\xd6\\xd0\\xce\\xc4\\r\\nState=Success\\r\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {3009, 0.0, "中文\r"}, {2003, 0.0, ""}}},
                    ScenarioCase{"Utf8AfterEncodeUtf8",
                                 "write Encode=UTF8\\n\npause 300\nwrite Message=澜音工坊\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {3009, 0.0, "澜音工坊"}, {2003, 1.0, ""}}},
                    ScenarioCase{"LineSplitAcrossReadsIsNotRecognised",
                                 "write Progr\npause 300\nwrite ess=0.5\\r\\n\n",
                                 {{2001, 0.0, ""}, {2002, 0.0, ""}, {2003, 1.0, ""}}}),
    [](const testing::TestParamInfo<ScenarioCase>& info) { return std::string(info.param.name); });

TEST(InstallerTest, PackageThatCannotStartFailsWithTwo) {
  const std::vector<Status> expected = {{2001, 0.0, ""}, {2002, 0.0, ""}, {2004, 2.0, ""}};
  EXPECT_EQ(RunPackage(testsupport::NewFolder() + "/missing package.exe", testsupport::NewFolder()), expected);

  // A file that is there but may not be run.
  const std::string notRunnable = testsupport::NewFolder() + "/package.exe";
  testsupport::WriteFile(notRunnable, "MZ");
  EXPECT_EQ(RunPackage(notRunnable, testsupport::NewFolder()), expected);
}

TEST(InstallerTest, CommandLineOverTheLimitFailsWithTwo) {
  const std::string folder = testsupport::NewFolder() + "/" + std::string(600, 'x');
  const std::vector<Status> expected = {{2001, 0.0, ""}, {2002, 0.0, ""}, {2004, 2.0, ""}};
  EXPECT_EQ(RunPackage(kPackage, folder), expected);
  EXPECT_FALSE(testsupport::Exists(folder));
}

TEST(InstallerTest, SecondStartRunsAgainWithTheNewSwitches) {
  const std::string record = RecordInvocation("LUMETRAVOX_SETUP_RECORD");
  UseScenario("LUMETRAVOX_SETUP_SCENARIO", "write State=Success\\n\n");
  StatusRecorder recorder;
  {
    CInstaller installer(recorder.Callback(), Quoted(kPackage), "", true, true, true);
    installer.Start();
    installer.SetParams("", false, false, false, false);
    installer.Start();
    EXPECT_EQ(installer.CommandLine(), Quoted(kPackage) +
                                           " /S -console=show -version=1.0.0 -adminact=false "
                                           "-authorizationact=false -dsc=false -ssc=false");
  }
  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{2001, 2002, 2003, 2001, 2002, 2003}));
  EXPECT_EQ(ReadInvocation(record).arguments[4], "-adminact=false");
}

}  // namespace
