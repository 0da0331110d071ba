#include "utils/resources.h"

#include <mutex>
#include <string>
#include <vector>

namespace Utils {
namespace {

struct ResourceEntry {
  std::string type;
  int id;
  std::span<const std::byte> bytes;
};

bool SameTypeName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Function-local so that registrations from other objects' static initialisers always find the
// table constructed, whatever order the linker put them in.
struct ResourceTable {
  std::mutex lock;
  std::vector<ResourceEntry> entries;
};

ResourceTable& Table() {
  static ResourceTable table;
  return table;
}

}  // namespace

bool RegisterResource(std::string_view type, int id, std::span<const std::byte> bytes) {
  ResourceTable& table = Table();
  std::lock_guard guard(table.lock);
  for (const ResourceEntry& entry : table.entries) {
    if (entry.id == id && SameTypeName(entry.type, type)) return false;
  }
  table.entries.push_back({std::string(type), id, bytes});
  return true;
}

std::span<const std::byte> FindResource(std::string_view type, int id) {
  ResourceTable& table = Table();
  std::lock_guard guard(table.lock);
  for (const ResourceEntry& entry : table.entries) {
    if (entry.id == id && SameTypeName(entry.type, type)) return entry.bytes;
  }
  return {};
}

}  // namespace Utils
