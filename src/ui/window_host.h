#pragma once
// What a skin window needs from whatever shows it: a real desktop window (SDL2) or the headless
// host of tests and screenshot tools. The window keeps its own pixels, timers and message queue;
// the host supplies the clock, presents the pixels, and carries out window-level requests.
//
// Loops: a host runs a window (modally or not) by waiting for input, a posted message or the next
// timer (SkinWindow::NextTimerDue), then, for every window it hosts, dispatching posted messages,
// running due timers and painting what became invalid. A dialog's loop nested inside the main
// window's does the same for all windows, so the main window keeps receiving its posted statuses
// while the dialog is open; the nested loop ends when its own window asks to close.
#include <cstdint>
#include <string>

#include "ui/geometry.h"

namespace SkinUI {

class IWindowHost {
 public:
  virtual ~IWindowHost() = default;
  // Milliseconds of the clock timers run on (the monotonic clock, or a test's virtual one).
  virtual uint32_t TickCount() = 0;
  // The window has invalid pixels and wants to be painted and presented soon.
  virtual void RequestPaint() = 0;
  // Any thread: a message was posted, the loop should wake up and dispatch it.
  virtual void WakeUp() = 0;
  // The window asks to end (the code reaches whoever runs it modally).
  virtual void CloseWindow(int code) = 0;
  virtual void MinimizeWindow() = 0;
  virtual void MaximizeWindow() {}
  virtual void RestoreWindow() {}
  virtual std::string ClipboardText() = 0;
  // Where text typed through an input method goes, so its candidate list can sit beside it.
  virtual void SetTextInputArea(const Rect&) {}
};

}  // namespace SkinUI
