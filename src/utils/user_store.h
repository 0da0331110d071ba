#pragma once
// The per-user settings store that stands in for the current user's registry: one ini file,
// ${XDG_CONFIG_HOME:-$HOME/.config}/VemraSoft/registry.ini, one section per key path
// ("[Software\VemraSoft\lumetravox]"), one line per value. Every call opens and closes the file.
#include <cstdint>
#include <string>
#include <string_view>

namespace Utils {

constexpr uint32_t kRegSz = 1;  // the only value type the store holds: text
constexpr char kProductRegKey[] = "Software\\VemraSoft\\lumetravox";

std::string UserStorePath();

bool WriteUserStoreString(std::string_view keyPath, std::string_view name, std::string_view text);
// False (and `text` unchanged) when the store, the key or the value is missing or unreadable.
bool ReadUserStoreString(std::string_view keyPath, std::string_view name, uint32_t& type, std::string& text);

// The product's key "Software\VemraSoft\lumetravox".
bool WriteProductRegString(std::string_view name, std::string_view text);
bool ReadProductRegString(std::string_view name, uint32_t& type, std::string& text);

}  // namespace Utils
