#include "ui/label.h"

#include "ui/attribute_values.h"
#include "ui/skin_window.h"

namespace SkinUI {

void* CLabelControl::GetInterface(std::string_view name) {
  return name == "Label" ? this : CControl::GetInterface(name);
}

void CLabelControl::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "font") {
    SetFontId(ParseInt(value));
  } else if (name == "textcolor") {
    SetTextColor(ParseColor(value));
  } else if (name == "disabledtextcolor") {
    disabledTextColor_ = ParseColor(value);
  } else if (name == "textpadding") {
    SetTextPadding(ParseRect(value));
  } else if (name == "align") {
    // Tested in this order; the last match wins.
    unsigned style = textStyle_;
    if (ContainsText(value, "left")) style = (style & ~kTextHorizontalMask) | kTextLeft;
    if (ContainsText(value, "center")) style = (style & ~kTextHorizontalMask) | kTextCenter;
    if (ContainsText(value, "right")) style = (style & ~kTextHorizontalMask) | kTextRight;
    SetTextStyle(style);
  } else if (name == "valign") {
    // "center" alone is not a vertical alignment: the default stays.
    unsigned style = textStyle_;
    if (ContainsText(value, "top")) style = (style & ~kTextVerticalMask) | kTextTop;
    if (ContainsText(value, "vcenter")) style = (style & ~kTextVerticalMask) | kTextVCenter;
    if (ContainsText(value, "bottom")) style = (style & ~kTextVerticalMask) | kTextBottom;
    SetTextStyle(style);
  } else if (name == "multiline") {
    if (ParseBool(value)) {
      SetTextStyle((textStyle_ & ~kTextSingleLine) | kTextWordBreak);
    } else {
      SetTextStyle((textStyle_ & ~kTextWordBreak) | kTextSingleLine);
    }
  } else {
    CControl::SetAttribute(name, value);
  }
}

void CLabelControl::SetFontId(int id) {
  font_ = id;
  Invalidate();
}

Font* CLabelControl::GetFont() const { return window_ ? window_->GetFont(font_) : nullptr; }

void CLabelControl::SetTextColor(uint32_t argb) {
  textColor_ = argb;
  Invalidate();
}

void CLabelControl::SetTextPadding(const Rect& padding) {
  textPadding_ = padding;
  Invalidate();
}

void CLabelControl::SetTextStyle(unsigned style) {
  textStyle_ = style;
  Invalidate();
}

uint32_t CLabelControl::ResolveColor(uint32_t argb) const {
  if (argb != 0) return argb;
  return window_ ? window_->DefaultTextColor() : 0xFF000000;
}

uint32_t CLabelControl::CurrentTextColor() const {
  if (!enabled_) return disabledTextColor_ != 0 ? disabledTextColor_ : window_->DisabledTextColor();
  return ResolveColor(textColor_);
}

Size CLabelControl::MeasureText(const std::string& text) const {
  Font* font = GetFont();
  if (!font) return {};
  const int width = pos_.Deflate(textPadding_).Width();
  return SkinUI::MeasureText(*font, text, textStyle_, width > 0 ? width : 9999);
}

void CLabelControl::PaintText(Canvas& canvas) {
  if (text_.empty()) return;
  Font* font = GetFont();
  if (!font) return;
  // Text colours carry no opacity: the colour's red, green and blue are drawn fully opaque.
  const uint32_t color = 0xFF000000 | (CurrentTextColor() & 0xFFFFFF);
  DrawText(canvas, *font, pos_.Deflate(textPadding_), text_, color, textStyle_);
}

}  // namespace SkinUI
