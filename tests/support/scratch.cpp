#include "support/scratch.h"

#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

const std::string& ScratchRoot() {
  static const std::string root = [] {
    const char* home = std::getenv("LUMETRAVOX_TEST_ROOT");
    if (!home) throw std::runtime_error("test process started without its scratch root");
    return std::string(home);
  }();
  return root;
}

std::string NewFolder(const std::string& hint) {
  static std::atomic<int> counter{0};
  std::string path = ScratchRoot() + "/" + hint + "-" + std::to_string(++counter);
  if (mkdir(path.c_str(), 0700) != 0) throw std::runtime_error("cannot create " + path);
  return path;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace testsupport
