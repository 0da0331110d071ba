// Skin markup: any text builds a window or is refused with an error, and what is built lays out
// and paints.
#include <algorithm>
#include <cstdint>
#include <string>

#include "ui/skin_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string markup(reinterpret_cast<const char*>(data), size);
  SkinUI::SkinWindow window;
  if (!window.LoadMarkup(markup)) return 0;
  const SkinUI::Size wanted = window.InitialSize();
  // The markup chooses the window size; keep the canvas small enough for many runs a second.
  window.Resize(std::clamp(wanted.cx, 1, 640), std::clamp(wanted.cy, 1, 480));
  window.Paint();
  return 0;
}
