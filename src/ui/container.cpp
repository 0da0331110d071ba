#include "ui/container.h"

#include "ui/attribute_values.h"
#include "ui/canvas.h"
#include "ui/skin_window.h"

namespace SkinUI {

void* CContainer::GetInterface(std::string_view name) {
  return name == "Container" ? this : CControl::GetInterface(name);
}

CControl* CContainer::Add(std::unique_ptr<CControl> child) {
  if (!child) return nullptr;
  CControl* added = child.get();
  children_.push_back(std::move(child));
  added->SetWindow(window_, this, window_ != nullptr);
  NeedParentUpdate();
  return added;
}

int CContainer::GetItemIndex(const CControl* child) const {
  for (size_t i = 0; i < children_.size(); ++i) {
    if (children_[i].get() == child) return static_cast<int>(i);
  }
  return -1;
}

std::vector<CControl*> CContainer::ChildPointers() const {
  std::vector<CControl*> out;
  out.reserve(children_.size());
  for (const auto& child : children_) out.push_back(child.get());
  return out;
}

void CContainer::SetPos(const Rect& rect) {
  CControl::SetPos(rect);
  LayoutChildren();
}

void CContainer::LayoutChildren() {
  for (const auto& child : children_) {
    if (child->IsVisible()) child->SetPos(pos_);
  }
}

void CContainer::DoPaint(Canvas& canvas, const Rect& dirty) {
  const Rect area = pos_.Intersect(dirty);
  if (area.IsEmpty()) return;
  CControl::DoPaint(canvas, dirty);
  canvas.PushClip(area);
  for (const auto& child : children_) {
    if (child->IsVisible()) child->DoPaint(canvas, area);
  }
  canvas.PopClip();
}

CControl* CContainer::FindControlAt(Point pt) {
  if (!visible_ || !pos_.Contains(pt)) return nullptr;
  // Later children paint over earlier ones, so they are asked first.
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (CControl* found = (*it)->FindControlAt(pt)) return found;
  }
  return mouseEnabled_ ? this : nullptr;
}

CControl* CContainer::FindControlByName(std::string_view name) {
  if (name_ == name) return this;
  for (const auto& child : children_) {
    if (CControl* found = child->FindControlByName(name)) return found;
  }
  return nullptr;
}

void CContainer::SetWindow(SkinWindow* window, CContainer* parent, bool init) {
  CControl::SetWindow(window, parent, init);
  for (const auto& child : children_) child->SetWindow(window, this, init);
}

void CHorizontalLayout::LayoutChildren() { LayoutBox(BoxAxis::Horizontal, pos_, ChildPointers()); }

void CVerticalLayout::LayoutChildren() { LayoutBox(BoxAxis::Vertical, pos_, ChildPointers()); }

void* CTabLayout::GetInterface(std::string_view name) {
  return name == "TabLayout" ? this : CContainer::GetInterface(name);
}

void CTabLayout::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "selectedid") {
    initial_ = ParseInt(value);
  } else {
    CContainer::SetAttribute(name, value);
  }
}

void CTabLayout::SetWindow(SkinWindow* window, CContainer* parent, bool init) {
  CContainer::SetWindow(window, parent, init);
  if (!init) return;
  // Initially the first page (or the one "selectedid" names) shows, without a notification.
  current_ = -1;
  const int first = (initial_ >= 0 && initial_ < static_cast<int>(children_.size())) ? initial_ : 0;
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->SetVisible(static_cast<int>(i) == first);
  if (!children_.empty()) current_ = first;
}

void CTabLayout::LayoutChildren() {
  CControl* page = GetItemAt(static_cast<size_t>(current_));
  if (page && page->IsVisible()) page->SetPos(pos_);
}

bool CTabLayout::SelectItem(int index, bool notify) {
  if (index < 0 || index >= static_cast<int>(children_.size())) return false;
  if (index == current_) return true;
  const int old = current_;
  current_ = index;
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->SetVisible(static_cast<int>(i) == index);
  LayoutChildren();
  Invalidate();
  if (notify) Notify("tabselect", current_, old);
  return true;
}

}  // namespace SkinUI
