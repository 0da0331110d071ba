#pragma once
// Small fixtures for the toolkit tests: PNG images made in memory, a window whose images come from
// a table, and a notification log.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/host/headless_host.h"
#include "ui/skin_window.h"

namespace uitest {

// A PNG of w × h pixels whose straight RGBA colour (0xAARRGGBB) comes from the function.
std::string MakePng(int w, int h, const std::function<uint32_t(int x, int y)>& color);
inline std::string SolidPng(int w, int h, uint32_t argb) {
  return MakePng(w, h, [argb](int, int) { return argb; });
}

// A window that records every notification and takes its images from a table.
class TestWindow : public SkinUI::SkinWindow {
 public:
  struct Seen {
    std::string type;
    std::string sender;
    intptr_t wParam;
    intptr_t lParam;
  };
  TestWindow();
  std::map<std::string, std::string> images;  // file name as written in markup -> PNG bytes
  std::vector<Seen> seen;
  std::vector<std::string> offered;  // element names offered to the factory
  std::function<std::unique_ptr<SkinUI::CControl>(std::string_view)> factory;
  std::vector<uint32_t> messages;

  void Notify(SkinUI::UiNotification& n) override;
  std::unique_ptr<SkinUI::CControl> CreateControl(std::string_view className) override;
  intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Types of the notifications seen, ignoring "windowinit".
  std::vector<std::string> Types() const;
};

// Wraps controls in a Window element of the given size.
std::string Markup(int w, int h, const std::string& body, const std::string& windowAttributes = "");

}  // namespace uitest
