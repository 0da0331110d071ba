#include "ui/button.h"

#include "ui/attribute_values.h"
#include "ui/skin_window.h"

namespace SkinUI {

void* CButtonControl::GetInterface(std::string_view name) {
  return name == "Button" ? this : CLabelControl::GetInterface(name);
}

void CButtonControl::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "normalimage") {
    SetNormalImage(value);
  } else if (name == "hotimage") {
    SetHotImage(value);
  } else if (name == "pushedimage") {
    SetPushedImage(value);
  } else if (name == "disabledimage") {
    SetDisabledImage(value);
  } else if (name == "hottextcolor") {
    hotTextColor_ = ParseColor(value);
  } else if (name == "pushedtextcolor") {
    pushedTextColor_ = ParseColor(value);
  } else {
    CLabelControl::SetAttribute(name, value);
  }
}

void CButtonControl::SetNormalImage(std::string_view image) {
  normalImage_ = image;
  Invalidate();
}
void CButtonControl::SetHotImage(std::string_view image) {
  hotImage_ = image;
  Invalidate();
}
void CButtonControl::SetPushedImage(std::string_view image) {
  pushedImage_ = image;
  Invalidate();
}
void CButtonControl::SetDisabledImage(std::string_view image) {
  disabledImage_ = image;
  Invalidate();
}

void CButtonControl::SetEnabled(bool enabled) {
  if (!enabled) {
    hot_ = pushed_ = capturing_ = false;
  }
  CLabelControl::SetEnabled(enabled);
}

bool CButtonControl::Activate() {
  if (!enabled_ || !visible_) return false;
  Notify("click");
  return true;
}

void CButtonControl::DoEvent(ControlEvent& event) {
  if (!enabled_ && event.type != EventType::Timer) return;
  switch (event.type) {
    case EventType::MouseEnter:
      hot_ = true;
      pushed_ = capturing_;
      Invalidate();
      break;
    case EventType::MouseLeave:
      hot_ = false;
      pushed_ = false;
      Invalidate();
      break;
    case EventType::ButtonDown:
      capturing_ = true;
      pushed_ = true;
      Invalidate();
      break;
    case EventType::MouseMove:
      if (capturing_) {
        const bool inside = pos_.Contains(event.pt);
        if (inside != pushed_) {
          pushed_ = inside;
          Invalidate();
        }
      }
      break;
    case EventType::ButtonUp: {
      const bool click = capturing_ && pos_.Contains(event.pt);
      capturing_ = false;
      pushed_ = false;
      hot_ = pos_.Contains(event.pt);
      Invalidate();
      // Last: the click may close the window or hide this very control.
      if (click) Activate();
      break;
    }
    case EventType::KeyDown:
      if (event.key == Key::Return || (event.key == Key::Character && event.character == U' ')) Activate();
      break;
    default:
      CLabelControl::DoEvent(event);
      break;
  }
}

uint32_t CButtonControl::CurrentTextColor() const {
  if (enabled_ && pushed_ && pushedTextColor_ != 0) return pushedTextColor_;
  if (enabled_ && (hot_ || pushed_) && hotTextColor_ != 0) return hotTextColor_;
  return CLabelControl::CurrentTextColor();
}

void CButtonControl::PaintStateImages(Canvas& canvas, bool allowPushed) {
  const std::string* image = &normalImage_;
  if (!enabled_) {
    image = &disabledImage_;
  } else if (pushed_ && allowPushed) {
    image = &pushedImage_;
  } else if (hot_ || (pushed_ && !allowPushed)) {
    image = &hotImage_;
  }
  // A missing state image (or one that doesn't decode) falls back to the normal image.
  if (image != &normalImage_ && !image->empty() && DrawImage(canvas, *image)) return;
  DrawImage(canvas, normalImage_);
}

void CButtonControl::PaintStatusImage(Canvas& canvas) { PaintStateImages(canvas, true); }

void* CCheckBoxControl::GetInterface(std::string_view name) {
  return name == "CheckBox" ? this : CButtonControl::GetInterface(name);
}

void CCheckBoxControl::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "selected") {
    Selected(ParseBool(value), false);
  } else if (name == "selectedimage") {
    selectedImage_ = value;
    Invalidate();
  } else if (name == "selectedtextcolor") {
    selectedTextColor_ = ParseColor(value);
    Invalidate();
  } else {
    CButtonControl::SetAttribute(name, value);
  }
}

void CCheckBoxControl::Selected(bool selected, bool notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  Invalidate();
  if (notify) Notify("selectchanged");
}

bool CCheckBoxControl::Activate() {
  if (!CButtonControl::Activate()) return false;
  Selected(!selected_);
  return true;
}

void CCheckBoxControl::PaintStatusImage(Canvas& canvas) {
  if (selected_ && !selectedImage_.empty() && DrawImage(canvas, selectedImage_)) return;
  PaintStateImages(canvas, false);
}

uint32_t CCheckBoxControl::CurrentTextColor() const {
  if (enabled_ && selected_ && selectedTextColor_ != 0) return selectedTextColor_;
  return CButtonControl::CurrentTextColor();
}

}  // namespace SkinUI
