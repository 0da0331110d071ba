#pragma once
// A D-Bus of the test's own: a dbus-daemon listening on a socket in the scratch folder, and
// python3-dbusmock services started on it, so tests talk to real D-Bus peers without ever
// reaching the machine's buses. Everything started here is killed when the object goes away
// (and by the kernel if the test process dies first).
//
//   testsupport::PrivateBus bus;
//   ASSERT_TRUE(bus.Started());
//   bus.ExportAsSystemBus();                       // DBUS_SYSTEM_BUS_ADDRESS for the code under test
//   ASSERT_TRUE(bus.StartMock("networkmanager", "org.freedesktop.NetworkManager"));
//   bus.Call("org.freedesktop.NetworkManager", "/org/freedesktop", "org.freedesktop.DBus.Mock",
//            "SetConnectivity", "u", 2u);
//
// Header-only so that any test executable can include it without a build change.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch.h"

extern char** environ;

namespace testsupport {

class PrivateBus {
 public:
  PrivateBus() : folder_(NewFolder("bus")) {
    const std::string config = folder_ + "/bus.conf";
    WriteFile(config, std::string(kConfigHead) + "  <listen>unix:path=" + folder_ + "/socket</listen>\n" + kConfigTail);
    int addressPipe[2];
    if (pipe2(addressPipe, O_CLOEXEC) != 0) return;
    addressReader_ = addressPipe[0];
    const pid_t daemon = Spawn({"/usr/bin/dbus-daemon", "--config-file=" + config, "--print-address", "--nofork"},
                               addressPipe[1], folder_ + "/dbus-daemon.log");
    close(addressPipe[1]);
    if (daemon > 0) address_ = ReadLine(addressReader_, std::chrono::seconds(10));
    if (!address_.empty()) bus_ = Connect(address_);
  }

  ~PrivateBus() {
    if (bus_) sd_bus_close_unref(bus_);
    // Services first, so none of them sees its bus vanish and reports it.
    for (auto pid = children_.rbegin(); pid != children_.rend(); ++pid) {
      kill(*pid, SIGKILL);
      waitpid(*pid, nullptr, 0);
    }
    if (addressReader_ >= 0) close(addressReader_);
  }

  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool Started() const { return bus_ != nullptr; }
  const std::string& Address() const { return address_; }

  // Points DBUS_SYSTEM_BUS_ADDRESS of this process at the private bus.
  void ExportAsSystemBus() const { setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1); }

  // Starts python3-dbusmock's `templateName` with this bus as its system bus and waits (a few
  // seconds at most) until it owns `busName`. Debian's interpreter is named explicitly: the
  // python3 on PATH may be another one without dbusmock.
  bool StartMock(const std::string& templateName, const std::string& busName) {
    if (!Started()) return false;
    const pid_t mock = Spawn({"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", templateName}, -1,
                             folder_ + "/mock-" + templateName + ".log");
    if (mock <= 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(mock, nullptr, WNOHANG) == mock) {
        children_.pop_back();  // died at start-up (see its log in the scratch folder)
        return false;
      }
      if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                             "GetNameOwner", nullptr, nullptr, "s", busName.c_str()) >= 0)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // A method call on the private bus (sd_bus_call_method's type string and arguments); true when
  // it was answered without an error.
  template <typename... Args>
  bool Call(const char* destination, const char* path, const char* interface, const char* member, const char* types,
            Args... args) {
    if (!Started()) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_call_method(bus_, destination, path, interface, member, &error, nullptr, types, args...);
    sd_bus_error_free(&error);
    return result >= 0;
  }

 private:
  // A bus on which everyone may own any name and call anything.
  static constexpr const char kConfigHead[] =
      R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
)";
  static constexpr const char kConfigTail[] = R"(  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";

  // Forks and executes `argv` with this bus as the system bus, standard output into `out` (or the
  // log file) and standard error into the log file. The child dies with the test process.
  pid_t Spawn(const std::vector<std::string>& argv, int out, const std::string& logPath) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (text.rfind("DBUS_SYSTEM_BUS_ADDRESS=", 0) == 0 || text.rfind("PYTHONHOME=", 0) == 0 ||
          text.rfind("PYTHONPATH=", 0) == 0)
        continue;
      env.push_back(text);
    }
    if (!address_.empty()) env.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + address_);
    std::vector<char*> args, envp;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
      dup2(null, 0);
      dup2(out >= 0 ? out : log, 1);
      dup2(log, 2);
      execve(args[0], args.data(), envp.data());
      _exit(127);
    }
    if (log >= 0) close(log);
    if (null >= 0) close(null);
    if (pid > 0) children_.push_back(pid);
    return pid;
  }

  static std::string ReadLine(int fd, std::chrono::milliseconds limit) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (line.empty() || line.back() != '\n') {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd wait{fd, POLLIN, 0};
      if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) return {};
      char c;
      if (read(fd, &c, 1) != 1) return {};
      line.push_back(c);
    }
    line.pop_back();
    return line;
  }

  static sd_bus* Connect(const std::string& address) {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return nullptr;
    if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
      sd_bus_close_unref(bus);
      return nullptr;
    }
    return bus;
  }

  std::string folder_;
  std::string address_;
  int addressReader_ = -1;
  sd_bus* bus_ = nullptr;
  std::vector<pid_t> children_;
};

}  // namespace testsupport
