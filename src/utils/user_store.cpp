#include "utils/user_store.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "utils/ini_file.h"
#include "utils/special_folders.h"

namespace Utils {

std::string UserStorePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string base = config && *config ? std::string(config) : JoinPath(home ? home : "/", ".config");
  return JoinPath(JoinPath(base, "VemraSoft"), "registry.ini");
}

bool WriteUserStoreString(std::string_view keyPath, std::string_view name, std::string_view text) {
  const std::string path = UserStorePath();
  std::error_code error;
  std::filesystem::create_directories(FolderOf(path), error);
  if (error) return false;
  return WriteProfileString(path, keyPath, name, text);
}

bool ReadUserStoreString(std::string_view keyPath, std::string_view name, uint32_t& type, std::string& text) {
  const auto store = IniFile::Load(UserStorePath());
  if (!store) return false;
  const auto value = store->Get(keyPath, name);
  if (!value) return false;
  type = kRegSz;
  text = *value;
  return true;
}

bool WriteProductRegString(std::string_view name, std::string_view text) {
  return WriteUserStoreString(kProductRegKey, name, text);
}

bool ReadProductRegString(std::string_view name, uint32_t& type, std::string& text) {
  return ReadUserStoreString(kProductRegKey, name, type, text);
}

}  // namespace Utils
