#include "utils/child_process.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "utils/command_line.h"
#include "utils/text.h"
#include "utils/utils_exception.h"

extern char** environ;

namespace Utils {

namespace {

// Variables that would let whoever started the installer load code into the programs it runs.
bool IsLoaderVariable(std::string_view entry) {
  for (const std::string_view name : {"LD_PRELOAD=", "LD_LIBRARY_PATH=", "LD_AUDIT="})
    if (entry.starts_with(name)) return true;
  return false;
}

// The parent's environment without the loader variables; points into `environ`.
std::vector<char*> ChildEnvironment() {
  std::vector<char*> entries;
  for (char** entry = environ; entry && *entry; ++entry)
    if (!IsLoaderVariable(*entry)) entries.push_back(*entry);
  entries.push_back(nullptr);
  return entries;
}

// posix_spawn's settings, released however Launch leaves.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
};

// Reads whatever a pipe holds into a scratch buffer. False once the pipe has ended or failed.
bool ReadAndDiscard(int fd) {
  char scratch[16384];
  ssize_t n;
  do {
    n = read(fd, scratch, sizeof scratch);
  } while (n < 0 && errno == EINTR);
  return n > 0;
}

}  // namespace

ChildProcess::~ChildProcess() { CloseAll(); }

void ChildProcess::Launch(std::string_view commandLine) {
  if (pid_ >= 0 || CodePointCount(commandLine) > kMaxCommandLine) throw Exception();
  const std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty() || arguments[0].empty()) throw Exception();
  commandLine_ = commandLine;

  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> environment = ChildEnvironment();

  SpawnSetup setup;
  // dup2 clears close-on-exec on the copies, so exactly these three ends reach the child.
  if (posix_spawn_file_actions_adddup2(&setup.actions, input_.ReadEnd(), STDIN_FILENO) != 0 ||
      posix_spawn_file_actions_adddup2(&setup.actions, output_.WriteEnd(), STDOUT_FILENO) != 0 ||
      posix_spawn_file_actions_adddup2(&setup.actions, error_.WriteEnd(), STDERR_FILENO) != 0)
    throw Exception();
  // The child starts with no signal blocked and with SIGPIPE at its default, whatever the thread
  // that launches it blocks or the installer ignores: both would otherwise pass through exec.
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  // posix_spawnp searches PATH only for a program without '/', and reports a failed exec (missing
  // file, no execute permission) as its result, so a child that never ran is never mistaken for one
  // that exited.
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], &setup.actions, &setup.attributes, argv.data(), environment.data()) != 0)
    throw Exception();
  pid_ = pid;

  // The parent keeps only its own ends; with the child's write ends closed here, the output pipe
  // reports its end as soon as the child and its descendants are gone.
  output_.CloseWrite();
  error_.CloseWrite();
  input_.CloseRead();
}

ssize_t ChildProcess::ReadOutput(void* buffer, size_t size) {
  for (;;) {
    if (output_.ReadEnd() < 0) return -1;
    pollfd fds[2] = {{output_.ReadEnd(), POLLIN, 0}, {error_.ReadEnd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (fds[1].revents != 0) DiscardErrors();
    if (fds[0].revents == 0) continue;
    const ssize_t n = read(output_.ReadEnd(), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

void ChildProcess::DiscardErrors() {
  if (!ReadAndDiscard(error_.ReadEnd())) error_.CloseRead();
}

bool ChildProcess::ExitCode(uint32_t& code) {
  if (pid_ < 0) return false;
  if (!reaped_) {
    int status = 0;
    const pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == pid_) {
      Reaped(status);
    } else if (result < 0 && errno == ECHILD) {
      // Someone reaped it for us (SIGCHLD set to be ignored): it has ended, its code is lost.
      reaped_ = true;
      exitCode_ = kUnknownExit;
    }
  }
  code = exitCode_;
  return true;
}

bool ChildProcess::IsRunning() {
  uint32_t code;
  return ExitCode(code) && code == kStillRunning;
}

void ChildProcess::Wait() {
  if (pid_ < 0) return;
  // A pidfd turns the child's end into one more thing to poll for; without one (an old kernel) the
  // loop looks again every 50 ms. Called directly: glibc 2.36 declares pidfd_open without C linkage.
  const int exited = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
  bool outputOpen = true;
  while (IsRunning()) {
    pollfd fds[3] = {
        {exited, POLLIN, 0}, {outputOpen ? output_.ReadEnd() : -1, POLLIN, 0}, {error_.ReadEnd(), POLLIN, 0}};
    if (poll(fds, 3, exited >= 0 ? -1 : 50) < 0) continue;  // EINTR: look again
    if (fds[1].revents != 0) outputOpen = ReadAndDiscard(output_.ReadEnd());
    if (fds[2].revents != 0) DiscardErrors();
  }
  if (exited >= 0) close(exited);
}

void ChildProcess::CloseAll() {
  error_.CloseRead();
  error_.CloseWrite();
  output_.CloseRead();
  output_.CloseWrite();
  input_.CloseRead();
  input_.CloseWrite();
  uint32_t ignored;
  ExitCode(ignored);  // reaps a child that has ended, so it doesn't linger as a zombie
}

void ChildProcess::Reaped(int status) {
  reaped_ = true;
  if (WIFEXITED(status))
    exitCode_ = static_cast<uint32_t>(WEXITSTATUS(status));
  else if (WIFSIGNALED(status))
    exitCode_ = kKilledBySignal | static_cast<uint32_t>(WTERMSIG(status));
  else
    exitCode_ = kUnknownExit;
}

}  // namespace Utils
