#include "utils/accounts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-login.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

#include "support/scratch.h"

namespace {

using testsupport::NewFolder;
using testsupport::WriteFile;

// The accounts the machine's own files would give us are unknown, so the account probes run in a
// child process with a private mount namespace in which /etc/passwd, /etc/group and /run (where
// systemd-logind publishes its seats) are files of the test's own. The child's answer comes back
// as text. Needs root; nullopt when the namespace can't be made.
struct Machine {
  std::string passwd;
  std::string group;
  std::string seat0;  // contents of /run/systemd/seats/seat0; "" for a machine with no seat
};

std::optional<std::string> RunOnMachine(const Machine& machine, const std::function<std::string()>& probe) {
  const std::string root = NewFolder("machine");
  WriteFile(root + "/passwd", machine.passwd);
  WriteFile(root + "/group", machine.group);
  const std::string run = root + "/run";
  mkdir(run.c_str(), 0755);
  mkdir((run + "/systemd").c_str(), 0755);
  mkdir((run + "/systemd/seats").c_str(), 0755);
  if (!machine.seat0.empty()) WriteFile(run + "/systemd/seats/seat0", machine.seat0);
  const std::string passwdPath = root + "/passwd", groupPath = root + "/group";

  int answer[2];
  if (pipe2(answer, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(answer[0]);
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(passwdPath.c_str(), "/etc/passwd", nullptr, MS_BIND, nullptr) != 0 ||
        mount(groupPath.c_str(), "/etc/group", nullptr, MS_BIND, nullptr) != 0 ||
        mount(run.c_str(), "/run", nullptr, MS_BIND, nullptr) != 0)
      _exit(77);
    const std::string text = probe();
    const ssize_t written = write(answer[1], text.data(), text.size());
    _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  close(answer[1]);
  std::string text;
  char chunk[512];
  ssize_t n;
  while ((n = read(answer[0], chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
  close(answer[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

// Membership lists long enough to outgrow the first buffers of the account look-ups.
std::string ManyNames(int count) {
  std::string names;
  for (int i = 0; i < count; ++i) names += "member" + std::to_string(i) + ",";
  return names;
}

std::string ManyGroups(const std::string& member, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i)
    lines += "team" + std::to_string(i) + ":x:" + std::to_string(3000 + i) + ":" + member + "\n";
  return lines;
}

Machine Office() {
  Machine office;
  office.passwd =
      "superuser:x:0:0::/root:/bin/sh\n"
      "toor:x:0:0::/root:/bin/sh\n"
      "alice:x:1001:1001::/home/alice:/bin/sh\n"
      "bob:x:1002:10::/home/bob:/bin/sh\n"
      "carol:x:1003:1003::/home/carol:/bin/sh\n"
      "dave:x:1004:1004::/home/dave:/bin/sh\n"
      "erin:x:1005:1005::/home/erin:/bin/sh\n"
      "frank:x:1006:1006::/home/frank:/bin/sh\n";
  office.group = "superuser:x:0:\nwheel:x:10:\n";
  office.group += "sudo:x:27:" + ManyNames(400) + "alice\n";
  office.group += ManyGroups("frank", 60);
  office.group +=
      "admin:x:115:carol,frank\n"
      "sudoers:x:200:dave\n"
      "staff:x:50:dave,erin\n";
  return office;
}

TEST(AccountsTest, RunAsAdminMeansEffectiveRoot) { EXPECT_EQ(Utils::IsRunAsAdmin(), geteuid() == 0); }

TEST(AccountsTest, AdminsAreRootAndMembersOfTheAdministrationGroups) {
  struct Case {
    const char* name;
    bool admin;
  };
  const Case cases[] = {
      {"superuser", true},  // uid 0
      {"toor", true},       // uid 0 under another name
      {"alice", true},      // listed in "sudo", after 400 others
      {"bob", true},        // "wheel" is the primary group
      {"carol", true},      // listed in "admin"
      {"frank", true},      // "admin" after 60 other groups
      {"dave", false},      // "sudoers" only sounds like it
      {"erin", false},      // ordinary groups only
      {"mallory", false},   // no such account
      {"", false},
  };
  const auto answers = RunOnMachine(Office(), [&] {
    std::string text;
    for (const Case& c : cases) text += Utils::IsUserAdmin(c.name) ? '1' : '0';
    return text;
  });
  if (!answers) GTEST_SKIP() << "needs root for a private mount namespace";
  ASSERT_EQ(answers->size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ((*answers)[i] == '1', cases[i].admin) << cases[i].name;
}

TEST(AccountsTest, RootAndUnknownNamesOnThisMachine) {
  EXPECT_TRUE(Utils::IsUserAdmin("root"));
  EXPECT_FALSE(Utils::IsUserAdmin("lumetravox-no-such-user"));
  EXPECT_FALSE(Utils::IsUserAdmin(""));
}

// What GetConsoleUserName answers as text: "name" or "-" when it reports false.
std::string ConsoleUser() {
  std::string name = "unset";
  return Utils::GetConsoleUserName(name) ? name : "-";
}

TEST(AccountsTest, ConsoleUserIsTheSeatOwnerThenTheSudoUserThenTheRealUser) {
  struct Case {
    const char* what;
    std::string seat0;
    const char* sudoUser;  // nullptr: not set
    uid_t realUid;
    std::string user;
  };
  const Case cases[] = {
      {"active session on seat0", "ACTIVE=c7\nACTIVE_UID=1001\n", "bob", 0, "alice"},
      {"no seat, started through sudo", "", "bob", 0, "bob"},
      {"no seat, no sudo", "", nullptr, 0, "superuser"},
      {"no seat, no sudo, an unknown real user", "", nullptr, 4242, "-"},
  };
  for (const Case& c : cases) {
    Machine machine = Office();
    machine.seat0 = c.seat0;
    const auto answer = RunOnMachine(machine, [&] {
      if (c.sudoUser) {
        setenv("SUDO_USER", c.sudoUser, 1);
      } else {
        unsetenv("SUDO_USER");
      }
      if (c.realUid != getuid() && setresuid(c.realUid, c.realUid, c.realUid) != 0) return std::string("setuid failed");
      return ConsoleUser();
    });
    if (!answer) GTEST_SKIP() << "needs root for a private mount namespace";
    EXPECT_EQ(*answer, c.user) << c.what;
  }
}

// Runs on the machine as it is: only meaningful where no one is logged in at a seat (build
// machines, containers).
TEST(AccountsTest, SudoUserNamesTheConsoleUserWhenNoSeatIsActive) {
  char* session = nullptr;
  const int seat = sd_seat_get_active("seat0", &session, nullptr);
  free(session);
  if (seat >= 0) GTEST_SKIP() << "someone is logged in at seat0";

  setenv("SUDO_USER", "someone-who-ran-sudo", 1);
  std::string name;
  ASSERT_TRUE(Utils::GetConsoleUserName(name));
  EXPECT_EQ(name, "someone-who-ran-sudo");
}

}  // namespace
