#pragma once
// Resources of the executable: blocks of bytes linked in at build time (the skin package, the
// icon) and found by a type name and a numeric id, as the program's own resource table.
// An embedded object registers its bytes from a static initialiser; lookups happen afterwards,
// from main() on, so the table needs no ordering between translation units.
#include <cstddef>
#include <span>
#include <string_view>

namespace Utils {

// Adds (type, id) -> bytes. The bytes must live for the whole run (they are linked in). A second
// registration of the same type and id is refused and returns false.
bool RegisterResource(std::string_view type, int id, std::span<const std::byte> bytes);

// The bytes registered for (type, id); the type name ignores ASCII letter case, as resource type
// names always have. Empty when there is no such resource.
std::span<const std::byte> FindResource(std::string_view type, int id);

}  // namespace Utils
