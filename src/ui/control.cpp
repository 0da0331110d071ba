#include "ui/control.h"

#include "ui/attribute_values.h"
#include "ui/canvas.h"
#include "ui/container.h"
#include "ui/skin_window.h"

namespace SkinUI {

CControl::~CControl() {
  if (window_) window_->ForgetControl(this);
}

void* CControl::GetInterface(std::string_view name) { return name == "Control" ? this : nullptr; }

void CControl::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "name") {
    SetName(value);
  } else if (name == "text") {
    SetText(value);
  } else if (name == "userdata") {
    SetUserData(value);
  } else if (name == "width") {
    SetFixedWidth(ParseInt(value));
  } else if (name == "height") {
    SetFixedHeight(ParseInt(value));
  } else if (name == "minwidth") {
    minWidth_ = ParseInt(value);
  } else if (name == "maxwidth") {
    maxWidth_ = ParseInt(value);
  } else if (name == "minheight") {
    minHeight_ = ParseInt(value);
  } else if (name == "maxheight") {
    maxHeight_ = ParseInt(value);
  } else if (name == "pos") {
    // No skin control floats, so of the position only the two sizes it implies matter.
    const Rect r = ParseRect(value);
    SetFixedWidth(r.right - r.left);
    SetFixedHeight(r.bottom - r.top);
  } else if (name == "padding") {
    SetPadding(ParseRect(value));
  } else if (name == "bkcolor") {
    SetBkColor(ParseColor(value));
  } else if (name == "bkimage") {
    SetBkImage(value);
  } else if (name == "bordersize") {
    borderSize_ = ParseInt(value);
    Invalidate();
  } else if (name == "bordercolor") {
    borderColor_ = ParseColor(value);
    Invalidate();
  } else if (name == "visible") {
    SetVisible(ParseBool(value));
  } else if (name == "enabled") {
    SetEnabled(ParseBool(value));
  } else if (name == "mouse") {
    mouseEnabled_ = ParseBool(value);
  }
}

void CControl::SetText(std::string_view text) {
  if (text_ == text) return;
  text_ = text;
  Invalidate();
}

void CControl::SetFixedWidth(int width) {
  if (width < 0 || width == fixedWidth_) return;
  fixedWidth_ = width;
  NeedParentUpdate();
}

void CControl::SetFixedHeight(int height) {
  if (height < 0 || height == fixedHeight_) return;
  fixedHeight_ = height;
  NeedParentUpdate();
}

void CControl::SetPadding(const Rect& padding) {
  padding_ = padding;
  NeedParentUpdate();
}

void CControl::SetBkColor(uint32_t argb) {
  if (bkColor_ == argb) return;
  bkColor_ = argb;
  Invalidate();
}

void CControl::SetBkImage(std::string_view description) {
  if (bkImage_ == description) return;
  bkImage_ = description;
  Invalidate();
}

void CControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  // Invalidate while still laid out where it was, so the uncovered area repaints too.
  Invalidate();
  visible_ = visible;
  Invalidate();
  if (!visible && window_) {
    CControl* focus = window_->GetFocus();
    for (CControl* c = focus; c; c = c->GetParent()) {
      if (c == this) {
        window_->SetFocus(nullptr);
        break;
      }
    }
  }
  NeedParentUpdate();
}

void CControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Invalidate();
}

bool CControl::IsFocused() const { return window_ && window_->GetFocus() == this; }

void CControl::SetFocus() {
  if (window_) window_->SetFocus(this);
}

void CControl::Invalidate() {
  if (!window_ || !visible_) return;
  // Only the part that shows through every ancestor needs repainting.
  Rect visible = pos_;
  for (CControl* p = parent_; p; p = p->GetParent()) {
    if (!p->IsVisible()) return;
    visible = visible.Intersect(p->GetPos());
  }
  window_->Invalidate(visible);
}

void CControl::NeedParentUpdate() {
  if (!window_) return;
  window_->NeedLayout();
}

void CControl::Notify(std::string_view type, intptr_t wParam, intptr_t lParam) {
  if (window_) window_->SendNotify(this, type, wParam, lParam);
}

void CControl::DoEvent(ControlEvent& event) {
  if (event.type == EventType::Timer) Notify("timer", static_cast<intptr_t>(event.timerId));
}

void CControl::SetPos(const Rect& rect) {
  if (rect == pos_) return;
  Invalidate();
  pos_ = rect;
  Invalidate();
}

CControl* CControl::FindControlAt(Point pt) {
  if (!visible_ || !mouseEnabled_ || !pos_.Contains(pt)) return nullptr;
  return this;
}

CControl* CControl::FindControlByName(std::string_view name) { return name_ == name ? this : nullptr; }

void CControl::SetWindow(SkinWindow* window, CContainer* parent, bool init) {
  window_ = window;
  parent_ = parent;
  if (init && window_) DoInit();
}

void CControl::DoPaint(Canvas& canvas, const Rect& dirty) {
  if (pos_.Intersect(dirty).IsEmpty()) return;
  canvas.PushClip(pos_);
  PaintBkColor(canvas);
  PaintBkImage(canvas);
  PaintStatusImage(canvas);
  PaintText(canvas);
  PaintBorder(canvas);
  canvas.PopClip();
}

void CControl::PaintBkColor(Canvas& canvas) {
  if (bkColor_ != 0) canvas.FillRect(pos_, bkColor_);
}

void CControl::PaintBkImage(Canvas& canvas) {
  if (!bkImage_.empty()) DrawImage(canvas, bkImage_);
}

void CControl::PaintBorder(Canvas& canvas) {
  if (borderSize_ > 0 && borderColor_ != 0) canvas.DrawBorder(pos_, borderSize_, borderColor_);
}

bool CControl::DrawImage(Canvas& canvas, const std::string& description) {
  if (!window_ || description.empty()) return false;
  return DrawImageDescription(canvas, window_->Images(), pos_, ImageDescription::Parse(description));
}

}  // namespace SkinUI
