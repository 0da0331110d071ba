#include "utils/command_line.h"

namespace Utils {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the program argument starting at `at` and moves `at` past it.
std::string TakeProgram(std::string_view line, size_t& at) {
  std::string program;
  if (line[at] == '"') {
    const size_t close = line.find('"', at + 1);
    const size_t end = close == std::string_view::npos ? line.size() : close;
    program = line.substr(at + 1, end - at - 1);
    at = close == std::string_view::npos ? line.size() : close + 1;
    return program;
  }
  while (at < line.size() && !IsBlank(line[at])) program += line[at++];
  return program;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at == line.size()) return arguments;
  arguments.push_back(TakeProgram(line, at));

  std::string current;
  bool started = false;  // a quoted part makes an argument even when it adds no character
  bool quoted = false;
  while (at < line.size()) {
    const char c = line[at];
    if (IsBlank(c) && !quoted) {
      if (started) arguments.push_back(std::move(current));
      current.clear();
      started = false;
      ++at;
      continue;
    }
    started = true;
    if (c == '\\') {
      size_t backslashes = 0;
      for (; at < line.size() && line[at] == '\\'; ++at) ++backslashes;
      if (at < line.size() && line[at] == '"') {
        current.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          current += '"';
          ++at;
        }
        // An even count leaves the quote to the next pass, where it opens or closes a quoted part.
      } else {
        current.append(backslashes, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
        current += '"';
        at += 2;
      } else {
        quoted = !quoted;
        ++at;
      }
      continue;
    }
    current += c;
    ++at;
  }
  if (started) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace Utils
