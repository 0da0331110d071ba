#pragma once
// Profile files ("ini" files) with the rules the installer's files have always had: section and key
// names compare without regard to letter case, the first match wins, values are trimmed of blanks
// and lose one pair of surrounding quotes. Writing changes one line and keeps the rest of the file
// as it was; the new file replaces the old one by rename, so a crash never leaves half a file.
//
// Written by hand rather than with a general ini library because those rewrite the whole file in
// their own layout and resolve duplicate keys differently.
#include <optional>
#include <string>
#include <string_view>

namespace Utils {

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string text) : text_(std::move(text)) {}

  // The file's bytes (a leading UTF-8 byte-order mark is dropped); nullopt when it can't be read.
  static std::optional<IniFile> Load(const std::string& path);

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the first matching key's value, or adds the key (and the section) at the end.
  // False when the section, key or value can't be stored on one line.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  const std::string& Text() const { return text_; }
  bool Save(const std::string& path) const;

 private:
  std::string text_;
};

// One value, or the fallback when the file, the section or the key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback);
// Stores one value; creates the file when missing. False when the file can't be written.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Writes the bytes to a temporary file beside `path`, flushes it and renames it over `path`.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace Utils
