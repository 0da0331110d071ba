#pragma once
// The fixture setup package and uninstaller (tests/support/setup_fixtures), and the files through
// which a test tells them what to do and learns how they were started.
#include <stdlib.h>

#include <string>
#include <vector>

#include "support/scratch.h"

namespace fixture_programs {

inline const std::string kPackage = LUMETRAVOX_SETUP_PACKAGE;
inline const std::string kUninstaller = LUMETRAVOX_UNINSTALLER;

// Makes the program named by `variable` play `script` (see scenario.h) instead of its default.
inline void UseScenario(const char* variable, const std::string& script) {
  const std::string path = testsupport::NewFolder("scenario") + "/scenario.txt";
  testsupport::WriteFile(path, script);
  setenv(variable, path.c_str(), 1);
}

// How a fixture program was started: its arguments and its environment.
struct Invocation {
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
  bool HasVariable(const std::string& name) const {
    for (const std::string& entry : environment)
      if (entry.starts_with(name + "=")) return true;
    return false;
  }
};

// Asks the program named by `variable` to record its invocation; returns the file it will use.
inline std::string RecordInvocation(const char* variable) {
  const std::string path = testsupport::NewFolder("record") + "/invocation";
  setenv(variable, path.c_str(), 1);
  return path;
}

inline Invocation ReadInvocation(const std::string& path) {
  const std::string bytes = testsupport::ReadFile(path);
  Invocation invocation;
  bool inEnvironment = false;
  size_t at = 0;
  for (size_t end; (end = bytes.find('\0', at)) != std::string::npos; at = end + 1) {
    const std::string entry = bytes.substr(at, end - at);
    if (!inEnvironment && entry.empty())
      inEnvironment = true;
    else
      (inEnvironment ? invocation.environment : invocation.arguments).push_back(entry);
  }
  return invocation;
}

}  // namespace fixture_programs
