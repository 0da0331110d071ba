// Report lines of the setup package and the old uninstaller, fed in chunks as the pipe would
// deliver them: any output is read without harm, whatever code page it announces.
#include <cstdint>
#include <string>

#include "setup/installer.h"
#include "setup/uninstaller.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string output(reinterpret_cast<const char*>(data), size);
  const DownloadCallback ignore = [](int32_t, double, const std::string&) {};
  CInstaller installer(ignore, "\"/nonexistent/package\"", "/nonexistent", true, true, false);
  CUnInstaller uninstaller(ignore, "/nonexistent/uninst", "/nonexistent");
  // Chunks of at most 1024 bytes, as the runners read them.
  for (size_t at = 0; at < output.size(); at += 1024) {
    installer.ParseReport(output.substr(at, 1024));
    uninstaller.ParseReport(output.substr(at, 1024));
  }
  return 0;
}
