#pragma once
// A child process whose standard input, output and error run through pipes. The runners start the
// setup package and the old uninstaller with it and read their report lines from the output pipe:
//
//   Utils::ChildProcess child;                 // creates the pipes; throws Utils::Exception
//   child.Launch(commandLine);                 // throws Utils::Exception when it can't start
//   uint32_t code;
//   while (child.ExitCode(code) && code == Utils::ChildProcess::kStillRunning) {
//     char buffer[1024];
//     const ssize_t n = child.ReadOutput(buffer, sizeof buffer);  // blocks until data or the end
//     ...
//   }
//   child.Wait();
//   child.CloseAll();
//
// What the child wrote just before it ended can still sit in the pipe when ExitCode stops reading
// 259 (its last report line, for instance); reading on until ReadOutput returns 0 gets all of it.
// The child gets the parent's working folder and environment, minus the variables that would make
// the dynamic loader load libraries of someone else's choosing into it. An object is launched once.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "utils/pipe.h"

namespace Utils {

class ChildProcess {
 public:
  // What ExitCode reports while the child runs (the value Windows programs know as STILL_ACTIVE).
  static constexpr uint32_t kStillRunning = 259;
  // A child ended by a signal reports this bit plus the signal number (SIGKILL gives 0x80000009);
  // a normal exit reports its status, 0 to 255, so the two never meet and neither meets 259.
  static constexpr uint32_t kKilledBySignal = 0x80000000;
  // A child that ended in a way that left no status to read (reaped elsewhere).
  static constexpr uint32_t kUnknownExit = 0xFFFFFFFF;
  // Longest command line, in characters (code points), that Launch accepts.
  static constexpr size_t kMaxCommandLine = 1023;

  // Creates the error, output and input pipes, in that order. Throws Utils::Exception.
  ChildProcess() = default;
  ~ChildProcess();  // CloseAll
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Splits the command line (Utils::SplitCommandLine) and starts the program, searched on PATH when
  // it names no folder. Throws Utils::Exception, with nothing started, when the line is empty or
  // longer than kMaxCommandLine, when the object was launched before, or when the program can't be
  // started (missing, not executable). On success the child's pipe ends are closed here.
  void Launch(std::string_view commandLine);

  // Reads at most `size` bytes of the child's standard output, waiting until some arrive. Returns
  // the count, 0 once every writer of the pipe has ended, -1 on failure. While it waits it reads and
  // throws away the child's standard error, so a child that writes much there can't stall on it.
  ssize_t ReadOutput(void* buffer, size_t size);

  // The child's exit code, or kStillRunning while it runs. False when there is no child.
  bool ExitCode(uint32_t& code);
  bool IsRunning();

  // Waits until the child has ended. Output that still arrives is read and thrown away meanwhile,
  // so a child that keeps writing after its caller stopped reading can't block on a full pipe.
  void Wait();

  // Closes every pipe end still open and reaps the child if it has ended. Never stops the child:
  // one that outlives its object is reaped only when the installer exits, so callers Wait first.
  void CloseAll();

  pid_t Pid() const { return pid_; }
  int OutputReadEnd() const { return output_.ReadEnd(); }
  const std::string& CommandLine() const { return commandLine_; }

 private:
  // Reads and discards whatever the error pipe holds; closes its read end once it has ended.
  void DiscardErrors();
  // Records the exit status once the child is reaped; the pid may then belong to someone else.
  void Reaped(int status);

  std::string commandLine_;
  Pipe error_;
  Pipe output_;
  Pipe input_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  uint32_t exitCode_ = kStillRunning;
};

}  // namespace Utils
