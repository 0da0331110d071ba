// A stand-in for the old version's uninstaller, started by the uninstaller runner's tests (and
// installed as "uninst.ep" by the fixture setup package):
//
//   setup_fixture_uninstaller /S -adminact=<b> -authorizationact=<b> -console=show _?=<old folder>
//
// The old folder is the rest of the command line, so a folder with blanks arrives as several
// arguments and is joined again here. It plays the scenario file named by
// LUMETRAVOX_UNINSTALL_SCENARIO (see scenario.h); without one it removes the old folder and reports
// success. LUMETRAVOX_UNINSTALL_RECORD names a file to record its arguments and environment into.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "scenario.h"

namespace {

constexpr std::string_view kUninstallation =
    "write Progress=0.5\\r\\n\n"
    "remove\n"
    "pause 10\n"
    "write Progress=1\\r\\nState=Success\\r\\n\n";

bool HasFixedSwitches(int argc, char** argv) {
  return argc > 5 && std::string_view(argv[1]) == "/S" && std::string_view(argv[2]).starts_with("-adminact=") &&
         std::string_view(argv[3]).starts_with("-authorizationact=") && std::string_view(argv[4]) == "-console=show" &&
         std::string_view(argv[5]).starts_with("_?=");
}

std::string OldFolder(int argc, char** argv) {
  std::string folder = std::string(argv[5]).substr(3);
  for (int i = 6; i < argc; ++i) folder += std::string(" ") + argv[i];
  return folder;
}

// Only folders inside the test's own scratch root are ever removed, whatever the command line says.
bool Remove(const std::string& folder) {
  const char* root = std::getenv("LUMETRAVOX_TEST_ROOT");
  if (!root || !*root || folder.empty() || !folder.starts_with(std::string(root) + "/")) {
    fixture::WriteOut("Error=refusing to remove a folder outside the test root\r\n");
    return false;
  }
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  fixture::RecordInvocation("LUMETRAVOX_UNINSTALL_RECORD", argc, argv);
  if (!HasFixedSwitches(argc, argv)) {
    fixture::WriteOut("Error=bad command line\r\n");
    return 2;
  }
  const std::string folder = OldFolder(argc, argv);
  const std::string script = fixture::LoadScenario("LUMETRAVOX_UNINSTALL_SCENARIO", kUninstallation);
  fixture::RunScenario(script, folder, [&](std::string_view command, std::string_view) {
    if (command != "remove") return false;
    if (!Remove(folder)) std::exit(1);
    return true;
  });
  return 0;
}
