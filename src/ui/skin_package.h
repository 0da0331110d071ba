#pragma once
// The skin package: a 7z archive of the window markup files and their images, carried inside the
// executable as resource "SKINRES" 147. It is opened from memory once and every file is decoded
// at that moment, so later lookups are plain map reads on the window thread.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace SkinUI {

inline constexpr std::string_view kSkinResourceType = "SKINRES";
inline constexpr int kSkinResourceId = 147;
// Markup files above this size are refused rather than parsed.
inline constexpr size_t kMaxMarkupBytes = 4 * 1024 * 1024;

class SkinPackage {
 public:
  // Decodes every file of the archive. False (with LastError set) when the bytes are not a
  // readable archive or a file in it can't be decoded; a package is either whole or not opened.
  bool Open(std::span<const std::byte> archive);

  // The bytes of the file a request names: backslashes count as "/", letter case is ignored.
  const std::string* Find(std::string_view request) const;

  // Markup text by name, with the markup loader's last-error texts ("Could not find ziped file",
  // "File is empty", "File too large", "Error opening zip file") on failure.
  bool ReadMarkup(std::string_view request, std::string& text);

  bool IsOpen() const { return open_; }
  size_t FileCount() const { return files_.size(); }
  const std::string& LastError() const { return lastError_; }

  // The package of resource "SKINRES" with the given id, opened on first use and shared by every
  // window for the rest of the run. Null when the resource is missing, empty or unreadable.
  static SkinPackage* Embedded(int resourceId = kSkinResourceId);

  static std::string NormalizeName(std::string_view name);

 private:
  bool open_ = false;
  std::string lastError_;
  std::unordered_map<std::string, std::string> files_;  // by normalised name
};

}  // namespace SkinUI
