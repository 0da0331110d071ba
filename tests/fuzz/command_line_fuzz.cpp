// The Windows-rules command-line splitter: any line splits, and a line that needs no quoting
// splits at its blanks.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "utils/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const auto arguments = Utils::SplitCommandLine(line);
  size_t characters = 0;
  for (const std::string& argument : arguments) characters += argument.size();
  if (characters > line.size()) std::abort();  // splitting only ever removes characters
  return 0;
}
