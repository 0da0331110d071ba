// Profile files and the numbers read from them: any bytes parse without harm, and a value that
// was stored reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "utils/ini_file.h"
#include "utils/number_parsing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Utils::IniFile file(text);
  const auto value = file.Get("Install", "DownloadUrl");
  if (value) {
    Utils::ParseLeadingInt(*value);
    Utils::ParseLeadingDouble(*value);
  }
  // The tail of the input, up to its first line break, as a value to store.
  const std::string stored = text.substr(text.size() / 2, text.find_first_of("\r\n", text.size() / 2) - text.size() / 2);
  if (file.Set("Install", "Fuzzed", stored) && file.Get("Install", "Fuzzed") != stored) std::abort();
  return 0;
}
