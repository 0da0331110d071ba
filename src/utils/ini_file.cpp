#include "utils/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

#include "utils/special_folders.h"
#include "utils/text.h"

namespace Utils {

namespace {

// Settings files are a few hundred bytes; anything far larger is not one of ours.
constexpr off_t kMaxIniBytes = 16 * 1024 * 1024;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Line {
  size_t begin;  // offset of the first byte
  size_t end;    // offset of the line end ('\n' or the end of the text), '\r' excluded
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t newline = text.find('\n', at);
    const size_t next = newline == std::string::npos ? text.size() : newline + 1;
    size_t end = newline == std::string::npos ? text.size() : newline;
    if (end > at && text[end - 1] == '\r') --end;
    lines.push_back({at, end});
    at = next;
  }
  return lines;
}

// "[name]" (blanks allowed around it) gives the section name.
std::optional<std::string> SectionName(std::string_view line) {
  const std::string trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
  const size_t close = trimmed.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(std::string_view(trimmed).substr(1, close - 1));
}

struct KeyValue {
  std::string key;
  std::string value;
};

std::optional<KeyValue> ParseKeyValue(std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::string value = Trim(line.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return KeyValue{Trim(line.substr(0, equals)), std::move(value)};
}

// Quotes the value when reading it back would otherwise change it (surrounding blanks or quotes).
std::string StoredForm(std::string_view value) {
  if (value.empty()) return {};
  const bool blankEdge = Trim(value).size() != value.size();
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  std::string stored(value);
  if (blankEdge || quoted) stored.insert(0, 1, '"').push_back('"');
  return stored;
}

bool FitsOnOneLine(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

}  // namespace

std::optional<IniFile> IniFile::Load(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxIniBytes) {
    close(fd);
    return std::nullopt;
  }
  std::string text;
  char chunk[16384];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text.size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxIniBytes)) {
      close(fd);
      return std::nullopt;
    }
    text.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return IniFile(std::move(text));
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const Line& line : SplitLines(text_)) {
    const std::string_view content(text_.data() + line.begin, line.end - line.begin);
    if (auto name = SectionName(content)) {
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (auto pair = ParseKeyValue(content); pair && SameName(pair->key, key)) return pair->value;
  }
  return std::nullopt;
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!FitsOnOneLine(section) || section.find(']') != std::string_view::npos || !FitsOnOneLine(key) ||
      key.find('=') != std::string_view::npos || Trim(key).empty() || !FitsOnOneLine(value))
    return false;
  const std::string newline = text_.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  const std::string entry = std::string(key) + "=" + StoredForm(value);

  bool inSection = false;
  std::optional<size_t> insertAt;  // after the last non-blank line of the first matching section
  for (const Line& line : SplitLines(text_)) {
    const std::string_view content(text_.data() + line.begin, line.end - line.begin);
    if (auto name = SectionName(content)) {
      if (inSection) break;  // the first matching section has ended
      inSection = SameName(*name, section);
      if (inSection) insertAt = line.end;
      continue;
    }
    if (!inSection) continue;
    if (auto pair = ParseKeyValue(content); pair && SameName(pair->key, key)) {
      text_.replace(line.begin, line.end - line.begin, entry);
      return true;
    }
    if (!Trim(content).empty()) insertAt = line.end;
  }
  if (insertAt) {
    text_.insert(*insertAt, newline + entry);
    return true;
  }
  if (!text_.empty() && text_.back() != '\n') text_ += newline;
  text_.append("[").append(section).append("]").append(newline).append(entry).append(newline);
  return true;
}

bool IniFile::Save(const std::string& path) const { return WriteFileAtomically(path, text_); }

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback) {
  if (auto file = IniFile::Load(path))
    if (auto value = file->Get(section, key)) return *value;
  return std::string(fallback);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  IniFile file;
  if (PathExists(path)) {
    auto loaded = IniFile::Load(path);
    if (!loaded) return false;  // never replace a file we could not read
    file = std::move(*loaded);
  }
  return file.Set(section, key, value) && file.Save(path);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  mode_t mode = 0644;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    // A read-only file stays as it is, even for root, who could otherwise replace it by rename.
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0) return false;
    mode = st.st_mode & 07777;
  }
  static std::atomic<unsigned> counter{0};
  const std::string temporary =
      path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode) == 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  // The data must be on disk before the rename makes it the file, or a crash could leave an empty one.
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  const std::string folder = FolderOf(path).empty() ? "." : FolderOf(path);
  if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace Utils
