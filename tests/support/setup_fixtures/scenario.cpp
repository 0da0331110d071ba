#include "scenario.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace fixture {

namespace {

std::string Substitute(std::string_view text, const std::string& dir) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    if (text.substr(at).starts_with("${DIR}")) {
      out += dir;
      at += 6;
    } else if (text[at] == '\\' && at + 1 < text.size()) {
      const char c = text[at + 1];
      if (c == 'x' && at + 3 < text.size()) {
        out += static_cast<char>(std::stoi(std::string(text.substr(at + 2, 2)), nullptr, 16));
        at += 4;
        continue;
      }
      out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
      at += 2;
    } else {
      out += text[at++];
    }
  }
  return out;
}

void Flood(long bytes) {
  const std::string line = "noise: the package goes on talking after its result line\n";
  std::string block;
  while (block.size() < 65536) block += line;
  for (long left = bytes; left > 0;) {
    const long n = std::min<long>(left, static_cast<long>(block.size()));
    WriteOut(std::string_view(block.data(), static_cast<size_t>(n)));
    left -= n;
  }
}

}  // namespace

void WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n <= 0) std::_Exit(96);
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

std::string LoadScenario(const char* variable, std::string_view fallback) {
  const char* path = std::getenv(variable);
  if (!path || !*path) return std::string(fallback);
  std::ifstream in(path, std::ios::binary);
  if (!in) std::_Exit(97);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void RunScenario(std::string_view script, const std::string& dir,
                 const std::function<bool(std::string_view, std::string_view)>& own) {
  while (!script.empty()) {
    const size_t feed = script.find('\n');
    std::string_view line = script.substr(0, feed);
    script = feed == std::string_view::npos ? std::string_view() : script.substr(feed + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) continue;
    const size_t blank = line.find(' ');
    const std::string_view command = line.substr(0, blank);
    const std::string_view argument = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    if (command == "write") {
      WriteOut(Substitute(argument, dir));
    } else if (command == "pause") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(std::string(argument).c_str())));
    } else if (command == "flood") {
      Flood(std::atol(std::string(argument).c_str()));
    } else if (command == "close") {
      close(STDOUT_FILENO);
      close(STDERR_FILENO);
    } else if (command == "crash") {
      kill(getpid(), SIGKILL);
    } else if (command == "exit") {
      std::_Exit(std::atoi(std::string(argument).c_str()));
    } else if (!own(command, argument)) {
      std::_Exit(98);
    }
  }
}

void RecordInvocation(const char* variable, int argc, char** argv) {
  const char* path = std::getenv(variable);
  if (!path || !*path) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int i = 0; i < argc; ++i) out << argv[i] << '\0';
  out << '\0';
  for (char** entry = environ; *entry; ++entry) out << *entry << '\0';
}

}  // namespace fixture
