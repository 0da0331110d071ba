#pragma once
// The toolkit side of a window: its control tree built from markup, fonts, images, the pixels it
// paints, input routing, per-control timers, notifications and a message queue that other
// threads may post to. A host (window_host.h) shows it and feeds it input and time; the frame
// windows of the installer derive from it and answer its hooks (OnWindowReady, Notify, OnClick,
// CreateControl, HandleMessage).
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/canvas.h"
#include "ui/control.h"
#include "ui/font.h"
#include "ui/image.h"
#include "ui/window_host.h"

namespace SkinUI {

class SkinPackage;

// A notification from a control to its window.
struct UiNotification {
  std::string type;  // "click", "selectchanged", "tabselect", "timer", "windowinit", "textchanged", "return", ...
  CControl* sender = nullptr;
  intptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t timestamp = 0;
  Point ptMouse;
};

class INotifyListener {
 public:
  virtual ~INotifyListener() = default;
  virtual void Notify(UiNotification& notification) = 0;
};

// Offered every markup element the toolkit doesn't have; returns the control or declines (null).
class IControlFactory {
 public:
  virtual ~IControlFactory() = default;
  virtual std::unique_ptr<CControl> CreateControl(std::string_view className) = 0;
};

class SkinWindow : public INotifyListener, public IControlFactory {
 public:
  SkinWindow();
  ~SkinWindow() override;

  // --- Building -------------------------------------------------------------------------------
  // Reads the markup file from the package and builds the tree; images come from the same package.
  // False when no tree came back; LastError then says why.
  bool LoadSkin(SkinPackage& package, std::string_view markupFile);
  // Builds from markup text; images come from the current image source.
  bool LoadMarkup(std::string_view markup);
  void SetImageSource(ImageBytesSource source) { images_.SetSource(std::move(source)); }
  const std::string& LastError() const { return lastError_; }
  // Takes the tree, joins every control to this window and runs OnWindowReady.
  void AttachRoot(std::unique_ptr<CControl> root);

  // --- What the Window element said -----------------------------------------------------------
  Size InitialSize() const { return initialSize_; }
  void SetInitialSize(Size size) { initialSize_ = size; }
  const Rect& CaptionBand() const { return caption_; }
  void SetCaptionBand(const Rect& band) { caption_ = band; }
  Size RoundCorner() const { return roundCorner_; }
  void SetRoundCorner(Size corner) { roundCorner_ = corner; }
  // Attributes of the Window element that aren't the toolkit's own (the frame's shadow settings).
  void SetCustomAttribute(std::string_view name, std::string_view value);
  const std::string* GetCustomAttribute(std::string_view name) const;
  const std::map<std::string, std::string>& CustomAttributes() const { return custom_; }

  // --- Fonts and colours ----------------------------------------------------------------------
  void AddFont(int id, const FontDescription& description, bool isDefault);
  // The font with that id, else the default font; never null.
  Font* GetFont(int id);
  Font* DefaultFont();
  uint32_t DefaultTextColor() const { return defaultTextColor_; }
  void SetDefaultTextColor(uint32_t argb) { defaultTextColor_ = argb; }
  uint32_t DisabledTextColor() const { return disabledTextColor_; }
  void SetDisabledTextColor(uint32_t argb) { disabledTextColor_ = argb; }
  ImageCache& Images() { return images_; }

  // --- The tree -------------------------------------------------------------------------------
  CControl* Root() const { return root_.get(); }
  CControl* LookupControl(std::string_view name) const;

  // --- Geometry and painting ------------------------------------------------------------------
  void Resize(int width, int height);
  Size ClientSize() const { return {canvas_.Width(), canvas_.Height()}; }
  void Invalidate(const Rect& rect);
  void NeedLayout();
  // Lays out when needed and repaints exactly the invalid part; returns that part (empty when
  // nothing was invalid). The first paint after a tree was attached sends "windowinit".
  Rect Paint();
  const Canvas& Pixels() const { return canvas_; }
  // Whether a point is inside the window's visible shape (the rounded rectangle of "roundcorner").
  bool IsInsideRegion(Point pt) const;
  // Whether a point drags the window: inside the caption band and not over a button.
  bool IsCaptionAt(Point pt);

  // --- Input from the host --------------------------------------------------------------------
  void MouseMove(Point pt);
  void MouseDown(Point pt);
  void MouseUp(Point pt);
  void MouseLeave();
  void KeyDown(Key key, unsigned modifiers = kModNone, char32_t character = 0);
  void TextInput(std::string_view text);
  CControl* GetFocus() const { return focus_; }
  void SetFocus(CControl* control);
  CControl* GetHot() const { return hot_; }

  // --- Timers ---------------------------------------------------------------------------------
  // A repeating timer whose ticks arrive as timer events at the control. Starting a running timer
  // again restarts it with the new interval. Intervals are kept within 10 ms and 0x7FFFFFFF ms.
  bool StartControlTimer(CControl* control, uintptr_t id, uint32_t intervalMs);
  bool StopControlTimer(CControl* control, uintptr_t id);
  // When the next timer is due (host clock), if any timer runs.
  std::optional<uint32_t> NextTimerDue() const;
  // Delivers every timer due at `now`, each once.
  void RunDueTimers(uint32_t now);

  // --- Notifications and messages -------------------------------------------------------------
  void SendNotify(CControl* sender, std::string_view type, intptr_t wParam = 0, intptr_t lParam = 0);
  // Any thread: queues a notification that the window thread delivers from its message loop.
  void PostNotify(CControl* sender, std::string_view type, intptr_t wParam = 0, intptr_t lParam = 0);
  // Any thread: queues a window message; HandleMessage receives it on the window thread.
  void PostMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Window thread: delivers everything queued so far. Returns how many items were delivered.
  size_t DispatchPosted();
  void AddNotifier(INotifyListener* listener);

  // --- Host -----------------------------------------------------------------------------------
  void SetHost(IWindowHost* host) { host_ = host; }
  IWindowHost* Host() const { return host_; }
  uint32_t Now() const;
  void Close(int code = 0);

  // A control is going away: forget every reference to it (timers, hover, capture, focus, queue).
  void ForgetControl(CControl* control);

  // --- Hooks for derived windows --------------------------------------------------------------
  // After the tree was attached.
  virtual void OnWindowReady() {}
  // Every notification; the base hands "click" to OnClick.
  void Notify(UiNotification& notification) override;
  // The built-in names: "closebtn" closes, "minbtn" minimises, "maxbtn" maximises, "restorebtn" restores.
  virtual void OnClick(UiNotification& notification);
  std::unique_ptr<CControl> CreateControl(std::string_view) override { return nullptr; }
  virtual intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

 private:
  struct Timer {
    CControl* control;
    uintptr_t id;
    uint32_t interval;
    uint32_t due;
  };
  struct Posted {
    bool isNotification;
    UiNotification notification;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
  };

  std::unique_ptr<CControl> root_;
  std::string lastError_;
  Size initialSize_;
  Rect caption_;
  Size roundCorner_;
  std::map<std::string, std::string> custom_;
  std::map<int, FontDescription> fonts_;
  std::optional<FontDescription> defaultFont_;
  uint32_t defaultTextColor_ = 0xFF000000;
  uint32_t disabledTextColor_ = 0xFFA7A6AA;
  ImageCache images_;
  Canvas canvas_;
  Rect dirty_;
  bool layoutNeeded_ = true;
  bool initSent_ = false;
  Point lastMouse_;
  CControl* hot_ = nullptr;
  CControl* captured_ = nullptr;
  CControl* focus_ = nullptr;
  std::vector<Timer> timers_;
  std::vector<INotifyListener*> listeners_;
  mutable std::mutex postedLock_;
  std::deque<Posted> posted_;
  IWindowHost* host_ = nullptr;
};

}  // namespace SkinUI
