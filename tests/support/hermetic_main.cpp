// Test entry point: before any test runs, the process gets a scratch root of its own and every
// folder the installer may read or write (HOME, XDG folders, APPDATA, TMPDIR, XDG_RUNTIME_DIR)
// points into it, so no test touches the real user's files, store or session buses.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

std::string MakeRoot() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/lumetravox-test-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    perror("mkdtemp");
    std::exit(2);
  }
  return pattern;
}

void Point(const char* variable, const std::string& path) {
  mkdir(path.c_str(), 0700);
  setenv(variable, path.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const std::string root = MakeRoot();
  setenv("LUMETRAVOX_TEST_ROOT", root.c_str(), 1);
  Point("HOME", root + "/home");
  Point("XDG_CONFIG_HOME", root + "/home/.config");
  Point("XDG_DATA_HOME", root + "/home/.local-share");
  Point("XDG_CACHE_HOME", root + "/home/.cache");
  Point("XDG_STATE_HOME", root + "/home/.state");
  Point("XDG_RUNTIME_DIR", root + "/runtime");
  Point("APPDATA", root + "/appdata");
  Point("TMPDIR", root + "/tmp");
  // The machine's own buses are never asked; tests that need D-Bus start a private bus daemon.
  setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + root + "/no-system-bus").c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root + "/no-session-bus").c_str(), 1);
  unsetenv("SUDO_USER");

  const int result = RUN_ALL_TESTS();
  if (!std::getenv("LUMETRAVOX_KEEP_TEST_ROOT")) {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  return result;
}
