#include "ui/skin_window.h"

#include <algorithm>
#include <chrono>

#include "ui/attribute_values.h"
#include "ui/container.h"
#include "ui/markup_builder.h"
#include "ui/skin_package.h"
#include "utils/log.h"

namespace SkinUI {
namespace {

constexpr uint32_t kMinTimerInterval = 10;
constexpr uint32_t kMaxTimerInterval = 0x7FFFFFFF;

// True when tick a is at or after tick b on a clock that wraps at 2^32.
bool AtOrAfter(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) >= 0; }

bool IsAncestorOrSelf(const CControl* ancestor, const CControl* control) {
  for (const CControl* c = control; c; c = c->GetParent()) {
    if (c == ancestor) return true;
  }
  return false;
}

}  // namespace

SkinWindow::SkinWindow() = default;

SkinWindow::~SkinWindow() {
  // Controls forget themselves while the tree goes away; nothing of the window may be used then.
  root_.reset();
}

bool SkinWindow::LoadSkin(SkinPackage& package, std::string_view markupFile) {
  std::string markup;
  if (!package.ReadMarkup(markupFile, markup)) {
    lastError_ = package.LastError();
    Utils::LogFormat("skin %.*s: %s\r\n", static_cast<int>(markupFile.size()), markupFile.data(), lastError_.c_str());
    return false;
  }
  images_.SetSource([&package](std::string_view file) { return package.Find(file); });
  return LoadMarkup(markup);
}

bool SkinWindow::LoadMarkup(std::string_view markup) {
  std::unique_ptr<CControl> root = BuildMarkup(markup, *this, lastError_);
  if (!root) {
    Utils::LogFormat("skin: %s\r\n", lastError_.c_str());
    return false;
  }
  lastError_.clear();
  AttachRoot(std::move(root));
  return true;
}

void SkinWindow::AttachRoot(std::unique_ptr<CControl> root) {
  if (root_) {
    hot_ = captured_ = focus_ = nullptr;
    root_.reset();
  }
  root_ = std::move(root);
  initSent_ = false;
  if (root_) root_->SetWindow(this, nullptr, true);
  if (canvas_.Width() == 0 && initialSize_.cx > 0 && initialSize_.cy > 0) {
    Resize(initialSize_.cx, initialSize_.cy);
  }
  NeedLayout();
  Invalidate({0, 0, canvas_.Width(), canvas_.Height()});
  OnWindowReady();
}

void SkinWindow::SetCustomAttribute(std::string_view name, std::string_view value) {
  custom_[std::string(name)] = std::string(value);
}

const std::string* SkinWindow::GetCustomAttribute(std::string_view name) const {
  for (const auto& [key, value] : custom_) {
    if (EqualsIgnoreCase(key, name)) return &value;
  }
  return nullptr;
}

void SkinWindow::AddFont(int id, const FontDescription& description, bool isDefault) {
  fonts_[id] = description;
  if (isDefault) defaultFont_ = description;
  Invalidate({0, 0, canvas_.Width(), canvas_.Height()});
}

Font* SkinWindow::DefaultFont() {
  // Without a default font in the markup, the system's GUI font stands in.
  static const FontDescription systemFont{"Sans", 12, false, false, false};
  return FontLibrary::Instance().Get(defaultFont_ ? *defaultFont_ : systemFont);
}

Font* SkinWindow::GetFont(int id) {
  auto it = fonts_.find(id);
  if (it == fonts_.end()) return DefaultFont();
  return FontLibrary::Instance().Get(it->second);
}

CControl* SkinWindow::LookupControl(std::string_view name) const {
  if (!root_ || name.empty()) return nullptr;
  return root_->FindControlByName(name);
}

void SkinWindow::Resize(int width, int height) {
  if (width == canvas_.Width() && height == canvas_.Height()) return;
  canvas_.Resize(width, height);
  NeedLayout();
  dirty_ = {0, 0, width, height};
  if (host_) host_->RequestPaint();
}

void SkinWindow::Invalidate(const Rect& rect) {
  const Rect r = rect.Intersect({0, 0, canvas_.Width(), canvas_.Height()});
  if (r.IsEmpty()) return;
  dirty_ = dirty_.Union(r);
  if (host_) host_->RequestPaint();
}

void SkinWindow::NeedLayout() {
  layoutNeeded_ = true;
  if (host_) host_->RequestPaint();
}

Rect SkinWindow::Paint() {
  if (!root_) return {};
  if (!initSent_) {
    initSent_ = true;
    SendNotify(root_.get(), "windowinit");
    if (!root_) return {};
  }
  if (layoutNeeded_) {
    layoutNeeded_ = false;
    const Rect client{0, 0, canvas_.Width(), canvas_.Height()};
    // The root always gets the whole client area; its layout then places everything else.
    if (root_->GetPos() == client && root_->IsContainer()) {
      static_cast<CContainer*>(root_.get())->LayoutChildren();
    } else {
      root_->SetPos(client);
    }
  }
  const Rect area = dirty_;
  dirty_ = {};
  if (area.IsEmpty()) return {};
  canvas_.PushClip(area);
  canvas_.Clear(area, 0);
  root_->DoPaint(canvas_, area);
  canvas_.PopClip();
  return area;
}

bool SkinWindow::IsInsideRegion(Point pt) const {
  const int w = canvas_.Width(), h = canvas_.Height();
  if (pt.x < 0 || pt.y < 0 || pt.x >= w || pt.y >= h) return false;
  const int cx = roundCorner_.cx, cy = roundCorner_.cy;
  if (cx <= 0 && cy <= 0) return true;
  // The region is a rounded rectangle over the window plus one pixel right and below, with
  // corner ellipses of cx × cy; a point is outside only inside a corner square beyond the arc.
  const double rx = std::max(cx, 1) / 2.0, ry = std::max(cy, 1) / 2.0;
  const double px = pt.x + 0.5, py = pt.y + 0.5;
  const double right = w + 1, bottom = h + 1;
  double ex, ey;
  if (px < rx) {
    ex = rx;
  } else if (px > right - rx) {
    ex = right - rx;
  } else {
    return true;
  }
  if (py < ry) {
    ey = ry;
  } else if (py > bottom - ry) {
    ey = bottom - ry;
  } else {
    return true;
  }
  const double dx = (px - ex) / rx, dy = (py - ey) / ry;
  return dx * dx + dy * dy <= 1.0;
}

bool SkinWindow::IsCaptionAt(Point pt) {
  const int w = canvas_.Width();
  const Rect band{caption_.left, caption_.top, w - caption_.right, caption_.bottom};
  if (!band.Contains(pt)) return false;
  CControl* control = root_ ? root_->FindControlAt(pt) : nullptr;
  if (!control) return true;
  const std::string_view cls = control->GetClass();
  return cls != "Button" && cls != "Option" && cls != "Text";
}

void SkinWindow::MouseMove(Point pt) {
  lastMouse_ = pt;
  if (captured_) {
    ControlEvent move{EventType::MouseMove, pt};
    captured_->DoEvent(move);
    return;
  }
  CControl* now = root_ ? root_->FindControlAt(pt) : nullptr;
  if (now != hot_) {
    if (CControl* old = hot_) {
      hot_ = nullptr;
      ControlEvent leave{EventType::MouseLeave, pt};
      old->DoEvent(leave);
    }
    hot_ = now;
    if (hot_) {
      ControlEvent enter{EventType::MouseEnter, pt};
      hot_->DoEvent(enter);
    }
  }
  if (hot_) {
    ControlEvent move{EventType::MouseMove, pt};
    hot_->DoEvent(move);
  }
}

void SkinWindow::MouseDown(Point pt) {
  MouseMove(pt);
  CControl* control = root_ ? root_->FindControlAt(pt) : nullptr;
  if (!control) return;
  SetFocus(control);
  if (!root_ || root_->FindControlAt(pt) != control) return;  // focus handling changed the tree
  captured_ = control;
  ControlEvent down{EventType::ButtonDown, pt};
  control->DoEvent(down);
}

void SkinWindow::MouseUp(Point pt) {
  lastMouse_ = pt;
  CControl* control = captured_;
  captured_ = nullptr;
  if (!control) return;
  ControlEvent up{EventType::ButtonUp, pt};
  control->DoEvent(up);
  // The pointer may have left the control while it held the capture.
  MouseMove(pt);
}

void SkinWindow::MouseLeave() {
  if (CControl* old = hot_) {
    hot_ = nullptr;
    ControlEvent leave{EventType::MouseLeave, lastMouse_};
    old->DoEvent(leave);
  }
}

void SkinWindow::KeyDown(Key key, unsigned modifiers, char32_t character) {
  if (!focus_) return;
  ControlEvent event{EventType::KeyDown};
  event.key = key;
  event.modifiers = modifiers;
  event.character = character;
  focus_->DoEvent(event);
}

void SkinWindow::TextInput(std::string_view text) {
  if (!focus_ || text.empty()) return;
  ControlEvent event{EventType::TextInput};
  event.text = std::string(text);
  focus_->DoEvent(event);
}

void SkinWindow::SetFocus(CControl* control) {
  if (control == focus_) return;
  if (CControl* old = focus_) {
    focus_ = nullptr;
    ControlEvent kill{EventType::KillFocus};
    old->DoEvent(kill);
  }
  focus_ = control;
  if (focus_) {
    ControlEvent set{EventType::SetFocus};
    focus_->DoEvent(set);
  }
}

uint32_t SkinWindow::Now() const {
  if (host_) return host_->TickCount();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

bool SkinWindow::StartControlTimer(CControl* control, uintptr_t id, uint32_t intervalMs) {
  if (!control) return false;
  intervalMs = std::clamp(intervalMs, kMinTimerInterval, kMaxTimerInterval);
  const uint32_t due = Now() + intervalMs;
  for (Timer& timer : timers_) {
    if (timer.control == control && timer.id == id) {
      timer.interval = intervalMs;
      timer.due = due;
      return true;
    }
  }
  timers_.push_back({control, id, intervalMs, due});
  return true;
}

bool SkinWindow::StopControlTimer(CControl* control, uintptr_t id) {
  auto it =
      std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.control == control && t.id == id; });
  if (it == timers_.end()) return false;
  timers_.erase(it);
  return true;
}

std::optional<uint32_t> SkinWindow::NextTimerDue() const {
  std::optional<uint32_t> next;
  const uint32_t now = Now();
  for (const Timer& timer : timers_) {
    // Compared relative to now, so the order survives a wrap of the clock.
    if (!next || static_cast<int32_t>(timer.due - now) < static_cast<int32_t>(*next - now)) next = timer.due;
  }
  return next;
}

void SkinWindow::RunDueTimers(uint32_t now) {
  // Collect first: a tick may start or stop timers (its own included).
  std::vector<std::pair<CControl*, uintptr_t>> due;
  for (Timer& timer : timers_) {
    if (AtOrAfter(now, timer.due)) {
      // Like the system's timers, a late tick is delivered once, not once per missed period.
      timer.due = now + timer.interval;
      due.emplace_back(timer.control, timer.id);
    }
  }
  for (const auto& entry : due) {
    const bool stillRunning = std::any_of(timers_.begin(), timers_.end(), [&](const Timer& t) {
      return t.control == entry.first && t.id == entry.second;
    });
    if (!stillRunning) continue;
    ControlEvent tick{EventType::Timer};
    tick.timerId = entry.second;
    entry.first->DoEvent(tick);
  }
}

void SkinWindow::SendNotify(CControl* sender, std::string_view type, intptr_t wParam, intptr_t lParam) {
  UiNotification notification;
  notification.type = std::string(type);
  notification.sender = sender;
  notification.wParam = wParam;
  notification.lParam = lParam;
  notification.timestamp = Now();
  notification.ptMouse = lastMouse_;
  Notify(notification);
  for (INotifyListener* listener : std::vector<INotifyListener*>(listeners_)) listener->Notify(notification);
}

void SkinWindow::PostNotify(CControl* sender, std::string_view type, intptr_t wParam, intptr_t lParam) {
  Posted item{true, {}, 0, 0, 0};
  item.notification.type = std::string(type);
  item.notification.sender = sender;
  item.notification.wParam = wParam;
  item.notification.lParam = lParam;
  {
    std::lock_guard guard(postedLock_);
    posted_.push_back(std::move(item));
  }
  if (host_) host_->WakeUp();
}

void SkinWindow::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard guard(postedLock_);
    posted_.push_back({false, {}, message, wParam, lParam});
  }
  if (host_) host_->WakeUp();
}

size_t SkinWindow::DispatchPosted() {
  std::deque<Posted> batch;
  {
    std::lock_guard guard(postedLock_);
    batch.swap(posted_);
  }
  size_t delivered = 0;
  while (!batch.empty()) {
    Posted item = std::move(batch.front());
    batch.pop_front();
    ++delivered;
    if (item.isNotification) {
      SendNotify(item.notification.sender, item.notification.type, item.notification.wParam, item.notification.lParam);
    } else {
      HandleMessage(item.message, item.wParam, item.lParam);
    }
  }
  return delivered;
}

void SkinWindow::AddNotifier(INotifyListener* listener) {
  if (listener) listeners_.push_back(listener);
}

void SkinWindow::Close(int code) {
  if (host_) host_->CloseWindow(code);
}

void SkinWindow::ForgetControl(CControl* control) {
  if (IsAncestorOrSelf(control, hot_)) hot_ = nullptr;
  if (IsAncestorOrSelf(control, captured_)) captured_ = nullptr;
  if (IsAncestorOrSelf(control, focus_)) focus_ = nullptr;
  std::erase_if(timers_, [control](const Timer& t) { return t.control == control; });
  std::lock_guard guard(postedLock_);
  std::erase_if(posted_, [control](const Posted& p) { return p.isNotification && p.notification.sender == control; });
}

void SkinWindow::Notify(UiNotification& notification) {
  if (notification.type == "click") OnClick(notification);
}

void SkinWindow::OnClick(UiNotification& notification) {
  if (!notification.sender) return;
  const std::string& name = notification.sender->GetName();
  if (name == "closebtn") {
    Close(0);
  } else if (name == "minbtn") {
    if (host_) host_->MinimizeWindow();
  } else if (name == "maxbtn") {
    if (host_) host_->MaximizeWindow();
  } else if (name == "restorebtn") {
    if (host_) host_->RestoreWindow();
  }
}

intptr_t SkinWindow::HandleMessage(uint32_t, uintptr_t, intptr_t) { return 0; }

}  // namespace SkinUI
