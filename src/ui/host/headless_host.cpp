#include "ui/host/headless_host.h"

#include "ui/container.h"
#include "ui/host/png_writer.h"

namespace SkinUI {

HeadlessHost::HeadlessHost(SkinWindow& window) : window_(window) { window_.SetHost(this); }

HeadlessHost::~HeadlessHost() {
  if (window_.Host() == this) window_.SetHost(nullptr);
}

void HeadlessHost::Show() {
  const Size size = window_.InitialSize();
  window_.Resize(size.cx, size.cy);
  Render();
}

Rect HeadlessHost::Render() {
  window_.DispatchPosted();
  return window_.Paint();
}

Canvas HeadlessHost::Frame() const {
  Canvas frame = window_.Pixels();
  for (int y = 0; y < frame.Height(); ++y) {
    uint32_t* row = frame.Row(y);
    for (int x = 0; x < frame.Width(); ++x) {
      if (!window_.IsInsideRegion({x, y})) row[x] = 0;
    }
  }
  return frame;
}

bool HeadlessHost::SaveScreenshot(const std::string& path) {
  Render();
  return SavePng(Frame(), path);
}

void HeadlessHost::MouseMove(int x, int y) { window_.MouseMove({x, y}); }
void HeadlessHost::MouseDown(int x, int y) { window_.MouseDown({x, y}); }
void HeadlessHost::MouseUp(int x, int y) { window_.MouseUp({x, y}); }

void HeadlessHost::Click(int x, int y) {
  MouseMove(x, y);
  MouseDown(x, y);
  MouseUp(x, y);
}

bool HeadlessHost::Click(std::string_view name) {
  Render();  // so positions are current
  CControl* control = window_.LookupControl(name);
  if (!control) return false;
  for (CControl* c = control; c; c = c->GetParent()) {
    if (!c->IsVisible()) return false;
  }
  const Rect& pos = control->GetPos();
  if (pos.IsEmpty()) return false;
  Click(pos.left + pos.Width() / 2, pos.top + pos.Height() / 2);
  return true;
}

void HeadlessHost::KeyDown(Key key, unsigned modifiers, char32_t character) {
  window_.KeyDown(key, modifiers, character);
}

void HeadlessHost::TypeText(std::string_view text) { window_.TextInput(text); }

void HeadlessHost::Advance(uint32_t milliseconds) {
  const uint32_t target = now_ + milliseconds;
  while (true) {
    const std::optional<uint32_t> due = window_.NextTimerDue();
    if (!due) break;
    // Distances from now, so a wrap of the clock keeps the order; an overdue timer runs at once.
    const uint32_t wait = static_cast<int32_t>(*due - now_) < 0 ? 0 : *due - now_;
    if (wait > target - now_) break;
    now_ += wait;
    window_.RunDueTimers(now_);
    window_.DispatchPosted();
  }
  now_ = target;
}

void HeadlessHost::CloseWindow(int code) {
  closed_ = true;
  closeCode_ = code;
}

}  // namespace SkinUI
