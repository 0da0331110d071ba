#pragma once
// The base of every control: name, text, geometry, background, border, visibility, enabled state,
// timers and notifications. Each control declares the markup attributes it accepts in its own
// SetAttribute, next to the getter and setter of the property; unknown attributes are ignored.
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/geometry.h"
#include "ui/image_description.h"

namespace SkinUI {

class Canvas;
class SkinWindow;
class CContainer;

// Keys the controls react to; the host maps its own key codes onto these.
enum class Key { None, Backspace, Delete, Left, Right, Home, End, Return, Escape, Tab, Up, Down, Character };
enum KeyModifier : unsigned { kModNone = 0, kModShift = 1, kModCtrl = 2, kModAlt = 4 };

enum class EventType {
  MouseEnter,
  MouseLeave,
  MouseMove,
  ButtonDown,
  ButtonUp,
  KeyDown,
  TextInput,
  SetFocus,
  KillFocus,
  Timer
};

struct ControlEvent {
  explicit ControlEvent(EventType eventType, Point point = {}) : type(eventType), pt(point) {}
  EventType type;
  Point pt;                // window coordinates, for mouse events
  Key key = Key::None;     // KeyDown
  char32_t character = 0;  // KeyDown with Key::Character (letters with modifiers, such as Ctrl+V)
  unsigned modifiers = 0;  // KeyModifier bits
  std::string text;        // TextInput: committed UTF-8 text from the keyboard or an input method
  uintptr_t timerId = 0;   // Timer
};

class CControl {
 public:
  CControl() = default;
  CControl(const CControl&) = delete;
  CControl& operator=(const CControl&) = delete;
  virtual ~CControl();

  // What the markup element is called ("Control", "Label", "Button", ...).
  virtual std::string_view GetClass() const { return "Control"; }
  // This control seen as the named interface, or null; derived controls add their own names.
  virtual void* GetInterface(std::string_view name);
  virtual void SetAttribute(std::string_view name, std::string_view value);
  // Called once when the control joins a window (timers may start here).
  virtual void DoInit() {}
  virtual void DoEvent(ControlEvent& event);
  virtual void SetPos(const Rect& rect);
  virtual void DoPaint(Canvas& canvas, const Rect& dirty);
  // The deepest visible control under the point (window coordinates), or null.
  virtual CControl* FindControlAt(Point pt);
  virtual CControl* FindControlByName(std::string_view name);
  // Joins the control (and its children) to a window; `init` runs DoInit.
  virtual void SetWindow(SkinWindow* window, CContainer* parent, bool init);
  virtual bool IsContainer() const { return false; }

  SkinWindow* GetWindow() const { return window_; }
  CContainer* GetParent() const { return parent_; }

  const std::string& GetName() const { return name_; }
  void SetName(std::string_view name) { name_ = name; }
  const std::string& GetText() const { return text_; }
  virtual void SetText(std::string_view text);
  const std::string& GetUserData() const { return userData_; }
  void SetUserData(std::string_view data) { userData_ = data; }

  const Rect& GetPos() const { return pos_; }
  int GetFixedWidth() const { return fixedWidth_; }
  int GetFixedHeight() const { return fixedHeight_; }
  void SetFixedWidth(int width);
  void SetFixedHeight(int height);
  int GetMinWidth() const { return minWidth_; }
  int GetMaxWidth() const { return maxWidth_; }
  int GetMinHeight() const { return minHeight_; }
  int GetMaxHeight() const { return maxHeight_; }
  const Rect& GetPadding() const { return padding_; }
  void SetPadding(const Rect& padding);

  uint32_t GetBkColor() const { return bkColor_; }
  void SetBkColor(uint32_t argb);
  const std::string& GetBkImage() const { return bkImage_; }
  void SetBkImage(std::string_view description);
  int GetBorderSize() const { return borderSize_; }
  uint32_t GetBorderColor() const { return borderColor_; }

  bool IsVisible() const { return visible_; }
  virtual void SetVisible(bool visible);
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool IsFocused() const;
  void SetFocus();
  // Whether mouse and keyboard events stop at this control (false for plain spacers and labels
  // would still hit-test; only hidden controls and their children are skipped).
  bool IsMouseEnabled() const { return mouseEnabled_; }

  // Marks the control's rectangle for repainting, and the parent's layout as stale.
  void Invalidate();
  void NeedParentUpdate();
  // Sends a notification from this control to its window.
  void Notify(std::string_view type, intptr_t wParam = 0, intptr_t lParam = 0);

 protected:
  virtual void PaintBkColor(Canvas& canvas);
  virtual void PaintBkImage(Canvas& canvas);
  virtual void PaintStatusImage(Canvas&) {}
  virtual void PaintText(Canvas&) {}
  virtual void PaintBorder(Canvas& canvas);
  // Draws an image description into this control; false when the image is missing.
  bool DrawImage(Canvas& canvas, const std::string& description);

  SkinWindow* window_ = nullptr;
  CContainer* parent_ = nullptr;
  std::string name_;
  std::string text_;
  std::string userData_;
  Rect pos_;
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  int minWidth_ = 0;
  int maxWidth_ = 9999;
  int minHeight_ = 0;
  int maxHeight_ = 9999;
  Rect padding_;
  uint32_t bkColor_ = 0;
  std::string bkImage_;
  int borderSize_ = 0;
  uint32_t borderColor_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
};

}  // namespace SkinUI
