#include "utils/special_folders.h"

#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace Utils {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string HomeDir() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

std::string ExecutableFolder() { return FolderOf(ExecutablePath()); }

std::string LocalAppDataDir() {
  const std::string data = Env("XDG_DATA_HOME");
  if (!data.empty()) return WithoutTrailingSlash(data);
  return JoinPath(HomeDir(), ".local/share");
}

std::string AppDataDir() {
  const std::string appData = Env("APPDATA");
  return appData.empty() ? LocalAppDataDir() : WithoutTrailingSlash(appData);
}

// A per-user install needs no rights; only root installs for everyone.
std::string ProgramFilesDir() { return geteuid() == 0 ? std::string("/opt") : LocalAppDataDir(); }

std::string CommonDocumentsDir() { return geteuid() == 0 ? std::string("/var/lib") : LocalAppDataDir(); }

std::string UserTempDir() {
  std::string dir = Env("XDG_RUNTIME_DIR");
  if (dir.empty()) dir = Env("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  return WithoutTrailingSlash(dir);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  size_t end = folder.size();
  while (end > 0 && folder[end - 1] == '/') --end;
  size_t begin = 0;
  while (begin < name.size() && name[begin] == '/') ++begin;
  return folder.substr(0, end) + "/" + name.substr(begin);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool PathExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace Utils
