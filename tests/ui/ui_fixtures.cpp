#include "ui_fixtures.h"

#include <stb_image_write.h>

namespace uitest {

std::string MakePng(int w, int h, const std::function<uint32_t(int x, int y)>& color) {
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t c = color(x, y);
      unsigned char* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = (c >> 16) & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[2] = c & 0xFF;
      p[3] = c >> 24;
    }
  }
  std::string out;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
      },
      &out, w, h, 4, rgba.data(), w * 4);
  return out;
}

TestWindow::TestWindow() {
  SetImageSource([this](std::string_view file) -> const std::string* {
    auto it = images.find(std::string(file));
    return it == images.end() ? nullptr : &it->second;
  });
}

void TestWindow::Notify(SkinUI::UiNotification& n) {
  seen.push_back({n.type, n.sender ? n.sender->GetName() : "", n.wParam, n.lParam});
  SkinWindow::Notify(n);
}

std::unique_ptr<SkinUI::CControl> TestWindow::CreateControl(std::string_view className) {
  offered.emplace_back(className);
  return factory ? factory(className) : nullptr;
}

intptr_t TestWindow::HandleMessage(uint32_t message, uintptr_t, intptr_t) {
  messages.push_back(message);
  return 0;
}

std::vector<std::string> TestWindow::Types() const {
  std::vector<std::string> out;
  for (const Seen& s : seen) {
    if (s.type != "windowinit") out.push_back(s.type);
  }
  return out;
}

std::string Markup(int w, int h, const std::string& body, const std::string& windowAttributes) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Window size=\"" + std::to_string(w) + "," + std::to_string(h) +
         "\" " + windowAttributes + ">\r\n<Font id=\"0\" name=\"微软雅黑\" size=\"14\" default=\"true\" />\r\n" + body +
         "\r\n</Window>\r\n";
}

}  // namespace uitest
