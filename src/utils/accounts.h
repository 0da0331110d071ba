#pragma once
// Who runs the installer, and who sits at the machine.
#include <string>

namespace Utils {

// True when the installer runs with the effective user id 0.
bool IsRunAsAdmin();

// True when the local account `name` is root or a member of one of the groups that grant
// administration through sudo or polkit ("sudo", "wheel", "admin"). Empty or unknown names: false.
bool IsUserAdmin(const std::string& name);

// The user at the machine: the owner of the active session on seat0 (systemd-logind), else the
// user who ran sudo ($SUDO_USER), else the real user of this process. False when none answers.
bool GetConsoleUserName(std::string& name);

}  // namespace Utils
