#include "setup/child_output.h"

#include <poll.h>

#include <exception>

namespace ChildOutput {

namespace {

// True when a read of the output pipe would return at once (data, or the pipe's end).
bool IsWaiting(Utils::ChildProcess& child) {
  pollfd output = {child.OutputReadEnd(), POLLIN, 0};
  return output.fd >= 0 && poll(&output, 1, 0) > 0 && output.revents != 0;
}

}  // namespace

std::unique_ptr<Utils::ChildProcess> Launch(const std::string& commandLine) {
  try {
    auto child = std::make_unique<Utils::ChildProcess>();
    child->Launch(commandLine);
    return child;
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool ReadLeftovers(Utils::ChildProcess& child, const std::function<bool(std::string_view)>& interpret) {
  char buffer[kReadSize];
  while (IsWaiting(child)) {
    const ssize_t n = child.ReadOutput(buffer, sizeof buffer);
    if (n <= 0) break;
    if (interpret(std::string_view(buffer, static_cast<size_t>(n)))) return true;
  }
  return false;
}

bool DiedOfSignal(uint32_t exitCode) {
  return exitCode != Utils::ChildProcess::kUnknownExit && (exitCode & Utils::ChildProcess::kKilledBySignal) != 0;
}

}  // namespace ChildOutput
