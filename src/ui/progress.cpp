#include "ui/progress.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/canvas.h"
#include "ui/image_description.h"
#include "ui/skin_window.h"

namespace SkinUI {

void* CProgressControl::GetInterface(std::string_view name) {
  return name == "Progress" ? this : CLabelControl::GetInterface(name);
}

void CProgressControl::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "foreimage") {
    SetForeImage(value);
  } else if (name == "min") {
    SetMinValue(ParseInt(value));
  } else if (name == "max") {
    SetMaxValue(ParseInt(value));
  } else if (name == "value") {
    SetValue(ParseInt(value));
  } else {
    CLabelControl::SetAttribute(name, value);
  }
}

void CProgressControl::Normalize() {
  if (max_ <= min_) max_ = min_ + 1;
  value_ = std::clamp(value_, min_, max_);
}

void CProgressControl::SetMinValue(int value) {
  min_ = value;
  Normalize();
  Invalidate();
}

void CProgressControl::SetMaxValue(int value) {
  max_ = value;
  Normalize();
  Invalidate();
}

void CProgressControl::SetValue(int value) {
  const int old = value_;
  value_ = value;
  Normalize();
  if (value_ != old) Invalidate();
}

void CProgressControl::SetForeImage(std::string_view image) {
  foreImage_ = image;
  Invalidate();
}

int CProgressControl::FilledWidth() const {
  return static_cast<int>(static_cast<int64_t>(pos_.Width()) * (value_ - min_) / (max_ - min_));
}

void CProgressControl::PaintStatusImage(Canvas& canvas) {
  if (foreImage_.empty() || !window_) return;
  const int filled = FilledWidth();
  if (filled <= 0) return;
  // The fore image is laid over the filled part only: its nine-grid fits that part, so the
  // rounded end follows the value instead of being cut off.
  const Rect part{pos_.left, pos_.top, pos_.left + filled, pos_.bottom};
  ImageDescription desc = ImageDescription::Parse(foreImage_);
  DrawImageDescription(canvas, window_->Images(), part, desc);
}

}  // namespace SkinUI
