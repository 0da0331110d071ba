#include "ui/skin_package.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

#include "utils/log.h"
#include "utils/resources.h"

namespace SkinUI {
namespace {

struct ArchiveCloser {
  void operator()(archive* a) const { archive_read_free(a); }
};

}  // namespace

std::string SkinPackage::NormalizeName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c == '\\') {
      c = '/';
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

bool SkinPackage::Open(std::span<const std::byte> bytes) {
  open_ = false;
  files_.clear();
  if (bytes.empty()) {
    lastError_ = "Error opening zip file";
    return false;
  }
  std::unique_ptr<archive, ArchiveCloser> reader(archive_read_new());
  archive_read_support_format_7zip(reader.get());
  archive_read_support_filter_all(reader.get());
  if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
    lastError_ = "Error opening zip file";
    Utils::LogFormat("skin package: %s\r\n", archive_error_string(reader.get()));
    return false;
  }
  archive_entry* entry = nullptr;
  int status;
  while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
    if (archive_entry_filetype(entry) != AE_IFREG) continue;  // folders carry no bytes
    const char* name = archive_entry_pathname_utf8(entry);
    if (!name) name = archive_entry_pathname(entry);
    if (!name) continue;
    std::string content;
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0) {
      content.reserve(static_cast<size_t>(archive_entry_size(entry)));
    }
    char buffer[64 * 1024];
    la_ssize_t got;
    while ((got = archive_read_data(reader.get(), buffer, sizeof buffer)) > 0) content.append(buffer, got);
    if (got < 0) {
      lastError_ = "Could not unzip file";
      Utils::LogFormat("skin package: %s: %s\r\n", name, archive_error_string(reader.get()));
      files_.clear();
      return false;
    }
    files_[NormalizeName(name)] = std::move(content);
  }
  if (status != ARCHIVE_EOF) {
    lastError_ = "Error opening zip file";
    Utils::LogFormat("skin package: %s\r\n", archive_error_string(reader.get()));
    files_.clear();
    return false;
  }
  open_ = true;
  lastError_.clear();
  return true;
}

const std::string* SkinPackage::Find(std::string_view request) const {
  auto it = files_.find(NormalizeName(request));
  return it == files_.end() ? nullptr : &it->second;
}

bool SkinPackage::ReadMarkup(std::string_view request, std::string& text) {
  if (!open_) {
    lastError_ = "Error opening zip file";
    return false;
  }
  const std::string* file = Find(request);
  if (!file) {
    lastError_ = "Could not find ziped file";
    return false;
  }
  if (file->empty()) {
    lastError_ = "File is empty";
    return false;
  }
  if (file->size() > kMaxMarkupBytes) {
    lastError_ = "File too large";
    return false;
  }
  text = *file;
  return true;
}

SkinPackage* SkinPackage::Embedded(int resourceId) {
  // The first package opened stays open for the whole run; a failed attempt is retried by the
  // next window, which then also fails the same way without a message.
  static std::unordered_map<int, std::unique_ptr<SkinPackage>> opened;
  auto it = opened.find(resourceId);
  if (it != opened.end()) return it->second.get();
  std::span<const std::byte> bytes = Utils::FindResource(kSkinResourceType, resourceId);
  if (bytes.empty()) return nullptr;
  auto package = std::make_unique<SkinPackage>();
  if (!package->Open(bytes)) return nullptr;
  return opened.emplace(resourceId, std::move(package)).first->second.get();
}

}  // namespace SkinUI
