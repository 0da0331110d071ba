#include "utils/accounts.h"

#include <grp.h>
#include <pwd.h>
#include <systemd/sd-login.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace Utils {

namespace {

// The reentrant account look-ups need a scratch buffer; grow it while they say it is too small
// (large group lists and directory services can exceed the suggested size).
template <typename Record, typename Lookup>
bool LookUp(Lookup lookup, Record& record, std::vector<char>& buffer) {
  buffer.resize(1024);
  while (true) {
    Record* found = nullptr;
    const int error = lookup(&record, buffer.data(), buffer.size(), &found);
    if (error == ERANGE && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    return error == 0 && found != nullptr;
  }
}

std::optional<std::string> UserNameOf(uid_t uid) {
  passwd account{};
  std::vector<char> buffer;
  const auto byUid = [uid](passwd* out, char* buf, size_t size, passwd** found) {
    return getpwuid_r(uid, out, buf, size, found);
  };
  if (!LookUp(byUid, account, buffer) || account.pw_name == nullptr || *account.pw_name == '\0') return std::nullopt;
  return std::string(account.pw_name);
}

bool IsAdminGroup(gid_t gid) {
  group entry{};
  std::vector<char> buffer;
  const auto byGid = [gid](group* out, char* buf, size_t size, group** found) {
    return getgrgid_r(gid, out, buf, size, found);
  };
  if (!LookUp(byGid, entry, buffer) || entry.gr_name == nullptr) return false;
  const std::string_view name = entry.gr_name;
  return name == "sudo" || name == "wheel" || name == "admin";
}

std::vector<gid_t> GroupsOf(const char* name, gid_t primary) {
  std::vector<gid_t> groups(32);
  while (true) {
    int count = static_cast<int>(groups.size());
    if (getgrouplist(name, primary, groups.data(), &count) >= 0) {
      groups.resize(static_cast<size_t>(count));
      return groups;
    }
    // Too small: `count` now holds the size needed (guard against a list that keeps growing).
    if (count <= static_cast<int>(groups.size()) || count > 65536) return {};
    groups.resize(static_cast<size_t>(count));
  }
}

std::optional<std::string> ActiveSeatUser() {
  char* session = nullptr;
  uid_t uid = 0;
  const int found = sd_seat_get_active("seat0", &session, &uid);
  std::free(session);
  if (found < 0) return std::nullopt;
  return UserNameOf(uid);
}

}  // namespace

bool IsRunAsAdmin() { return geteuid() == 0; }

bool IsUserAdmin(const std::string& name) {
  if (name.empty()) return false;
  passwd account{};
  std::vector<char> buffer;
  const auto byName = [&name](passwd* out, char* buf, size_t size, passwd** found) {
    return getpwnam_r(name.c_str(), out, buf, size, found);
  };
  if (!LookUp(byName, account, buffer)) return false;
  if (account.pw_uid == 0) return true;
  for (const gid_t gid : GroupsOf(account.pw_name, account.pw_gid)) {
    if (IsAdminGroup(gid)) return true;
  }
  return false;
}

bool GetConsoleUserName(std::string& name) {
  if (auto user = ActiveSeatUser()) {
    name = std::move(*user);
    return true;
  }
  // Started through sudo from a terminal or remote login: the person behind it is the user.
  if (const char* sudoUser = std::getenv("SUDO_USER"); sudoUser && *sudoUser) {
    name = sudoUser;
    return true;
  }
  if (auto user = UserNameOf(getuid())) {
    name = std::move(*user);
    return true;
  }
  return false;
}

}  // namespace Utils
