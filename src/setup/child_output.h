#pragma once
// What the two runners share about the program they run: starting it, and reading what it left
// in its output pipe after it ended.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "utils/child_process.h"

namespace ChildOutput {

// The most bytes taken from the output pipe at a time.
constexpr size_t kReadSize = 1024;

// Creates the pipes and starts the program hidden behind them; nullptr when either fails (among
// other reasons, for a command line over the launcher's limit).
std::unique_ptr<Utils::ChildProcess> Launch(const std::string& commandLine);

// For a program that has ended: hands each chunk it left in the output pipe to `interpret` until
// that returns true, which this then returns. Only what is there already is read: a program the
// ended one started may keep the pipe open for a long time.
bool ReadLeftovers(Utils::ChildProcess& child, const std::function<bool(std::string_view chunk)>& interpret);

// True when the exit code says the program was ended by a signal rather than exiting.
bool DiedOfSignal(uint32_t exitCode);

}  // namespace ChildOutput
