// Code-page conversions and character cuts: UTF-8 that converts to GBK converts back unchanged,
// and a cut never splits a character.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "utils/text.h"
#include "utils/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string wide = Utils::ToWide(bytes, 936);
  if (!wide.empty() && !Utils::IsValidUtf8(wide)) std::abort();
  const std::string narrow = Utils::ToNarrow(bytes, 936);
  if (!narrow.empty() && Utils::ToWide(narrow, 936) != bytes.substr(0, bytes.find('\0'))) std::abort();
  const std::string cut = Utils::CutToCodePoints(bytes, size / 3);
  if (bytes.compare(0, cut.size(), cut) != 0) std::abort();
  if (Utils::IsValidUtf8(bytes) && !Utils::IsValidUtf8(cut)) std::abort();
  Utils::UrlEncode(bytes);
  Utils::UrlParentSegment(bytes);
  Utils::Trim(bytes);
  return 0;
}
