#pragma once
// A window host without a display, for tests, screenshot tools and benchmarks: the window is laid
// out at its markup's size and painted into its own pixels; input is injected by position or by
// control name; timers run on a virtual clock that only moves when told to.
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/canvas.h"
#include "ui/skin_window.h"
#include "ui/window_host.h"

namespace SkinUI {

class HeadlessHost : public IWindowHost {
 public:
  // Hosts the window from now on (the window must outlive the host or be detached first).
  explicit HeadlessHost(SkinWindow& window);
  ~HeadlessHost() override;

  SkinWindow& Window() { return window_; }

  // Sizes the window to its markup's size and paints the first frame.
  void Show();
  // Delivers posted messages, then paints what is invalid. Returns the repainted rectangle.
  Rect Render();
  // The window's pixels, with everything outside its rounded shape transparent, as a screen
  // would show them.
  Canvas Frame() const;
  bool SaveScreenshot(const std::string& path);

  // Input at window coordinates.
  void MouseMove(int x, int y);
  void MouseDown(int x, int y);
  void MouseUp(int x, int y);
  void Click(int x, int y);
  // Moves to the middle of the named control and clicks it. False when there is no such control
  // or it isn't visible on screen (it or an ancestor hidden, or no area).
  bool Click(std::string_view name);
  void KeyDown(Key key, unsigned modifiers = kModNone, char32_t character = 0);
  void TypeText(std::string_view text);

  // Moves the virtual clock forward, delivering every timer tick on the way at its due time.
  void Advance(uint32_t milliseconds);
  uint32_t Now() const { return now_; }

  void SetClipboardText(std::string text) { clipboard_ = std::move(text); }
  bool IsClosed() const { return closed_; }
  int CloseCode() const { return closeCode_; }
  bool IsMinimized() const { return minimized_; }

  // IWindowHost
  uint32_t TickCount() override { return now_; }
  void RequestPaint() override {}
  void WakeUp() override {}
  void CloseWindow(int code) override;
  void MinimizeWindow() override { minimized_ = true; }
  void RestoreWindow() override { minimized_ = false; }
  std::string ClipboardText() override { return clipboard_; }

 private:
  SkinWindow& window_;
  uint32_t now_ = 0;
  std::string clipboard_;
  bool closed_ = false;
  int closeCode_ = 0;
  bool minimized_ = false;
};

}  // namespace SkinUI
