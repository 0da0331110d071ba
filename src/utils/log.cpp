#include "utils/log.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace Utils {

namespace {

constexpr const char kHeaderFormat[] = "<P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: ";

int PrintHeader(char* out, size_t room, const LogStamp& s, const char* tag, int line) {
  const LocalTime& t = s.time;
  return std::snprintf(out, room, kHeaderFormat, s.pid, s.tid, t.year, t.month, t.day, t.hour, t.minute,
                       t.second, t.millisecond, tag, line);
}

// One write(2) for the whole line; retried only when a signal interrupted it before anything
// was written, so a line is never emitted in pieces.
void EmitLine(const std::string& line) {
  if (line.empty()) return;
  ssize_t written;
  do {
    written = write(STDERR_FILENO, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
}

}  // namespace

LogStamp LogStamp::Now() {
  const LocalTime time = ReadLocalTime();
  return {static_cast<int>(getpid()), static_cast<int>(syscall(SYS_gettid)), time};
}

// Measures first, then formats into one buffer of exactly the right size.
std::string ComposeLogLineV(const LogStamp& stamp, const char* tag, int line, const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int header = PrintHeader(nullptr, 0, stamp, tag, line);
  const int message = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (header < 0 || message < 0) return {};
  std::string out;
  try {
    out.resize(static_cast<size_t>(header) + static_cast<size_t>(message));
  } catch (...) {
    return {};
  }
  PrintHeader(out.data(), static_cast<size_t>(header) + 1, stamp, tag, line);
  std::vsnprintf(out.data() + header, static_cast<size_t>(message) + 1, format, args);
  return out;
}

std::string ComposeLogLine(const LogStamp& stamp, const char* tag, int line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = ComposeLogLineV(stamp, tag, line, format, args);
  va_end(args);
  return out;
}

std::string ComposeLogText(const LogStamp& stamp, const char* tag, int line, std::string_view text) {
  const int header = PrintHeader(nullptr, 0, stamp, tag, line);
  if (header < 0) return {};
  std::string out;
  try {
    out.resize(static_cast<size_t>(header) + text.size() + 2);
  } catch (...) {
    return {};
  }
  PrintHeader(out.data(), static_cast<size_t>(header) + 1, stamp, tag, line);
  text.copy(out.data() + header, text.size());
  out[out.size() - 2] = '\r';
  out[out.size() - 1] = '\n';
  return out;
}

void LogWrite(const char* tag, int line, const char* format, ...) {
  const LogStamp stamp = LogStamp::Now();
  va_list args;
  va_start(args, format);
  const std::string text = ComposeLogLineV(stamp, tag, line, format, args);
  va_end(args);
  EmitLine(text);
}

void LogWriteText(const char* tag, int line, std::string_view text) {
  EmitLine(ComposeLogText(LogStamp::Now(), tag, line, text));
}

}  // namespace Utils
