// A stand-in for the product's setup package, started by the setup runner's tests as a real child:
//
//   setup_fixture_package /S -console=show -version=1.0.0 -adminact=<b> -authorizationact=<b>
//                         -dsc=<b> -ssc=<b> [extra arguments] [-instdir="<folder>" /D=<folder>]
//
// It plays the scenario file named by LUMETRAVOX_SETUP_SCENARIO (see scenario.h); without one it
// really installs: it creates the folder of "-instdir=", puts the product program "lumetravox.exe"
// and the uninstaller "uninst.ep" (a copy of the fixture uninstaller) there, and reports the way a
// real package does. LUMETRAVOX_SETUP_RECORD names a file to record its arguments and environment
// into. A command line without the fixed switches gets an "Error=" line and exit code 2.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "scenario.h"

namespace {

constexpr std::string_view kInstallation =
    "write Progress=0.25\\r\\n\n"
    "pause 10\n"
    "install\n"
    "write InstPath=${DIR}\\r\\nExePath=${DIR}/lumetravox.exe\\r\\nUninstEp=${DIR}/uninst.ep\\r\\n\n"
    "write StartupStyle=UserStartup\\r\\nProgress=1\\r\\n\n"
    "pause 10\n"
    "write State=Success\\r\\n\n";

constexpr std::string_view kProductProgram = "#!/bin/sh\necho \"lumetravox 1.0.0\"\n";

bool HasFixedSwitches(int argc, char** argv) {
  return argc > 7 && std::string_view(argv[1]) == "/S" && std::string_view(argv[2]) == "-console=show" &&
         std::string_view(argv[3]) == "-version=1.0.0" && std::string_view(argv[4]).starts_with("-adminact=") &&
         std::string_view(argv[5]).starts_with("-authorizationact=") &&
         std::string_view(argv[6]).starts_with("-dsc=") && std::string_view(argv[7]).starts_with("-ssc=");
}

std::string InstallFolder(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.starts_with("-instdir=")) return std::string(argument.substr(9));
  }
  return {};
}

// Puts the product into the folder; false (after an "Error=" line) when that fails.
bool Install(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (folder.empty() || (fs::create_directories(folder, error), error)) {
    fixture::WriteOut("Error=cannot create the install folder\r\n");
    return false;
  }
  const std::string program = folder + "/lumetravox.exe";
  std::ofstream(program, std::ios::binary | std::ios::trunc) << kProductProgram;
  const std::string uninstaller = folder + "/uninst.ep";
  fs::copy_file(LUMETRAVOX_FIXTURE_UNINSTALLER, uninstaller, fs::copy_options::overwrite_existing, error);
  if (error || chmod(program.c_str(), 0755) != 0 || chmod(uninstaller.c_str(), 0755) != 0) {
    fixture::WriteOut("Error=cannot write the product files\r\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  fixture::RecordInvocation("LUMETRAVOX_SETUP_RECORD", argc, argv);
  if (!HasFixedSwitches(argc, argv)) {
    fixture::WriteOut("Error=bad command line\r\n");
    return 2;
  }
  const std::string folder = InstallFolder(argc, argv);
  const std::string script = fixture::LoadScenario("LUMETRAVOX_SETUP_SCENARIO", kInstallation);
  fixture::RunScenario(script, folder, [&](std::string_view command, std::string_view) {
    if (command != "install") return false;
    if (!Install(folder)) std::exit(1);
    return true;
  });
  return 0;
}
