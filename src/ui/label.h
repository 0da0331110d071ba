#pragma once
// A control with text: font, colours, padding and alignment. The base of buttons, check boxes,
// edits and progress bars.
#include "ui/control.h"
#include "ui/text_layout.h"

namespace SkinUI {

class Font;

class CLabelControl : public CControl {
 public:
  CLabelControl() { textStyle_ = kTextSingleLine | kTextVCenter | kTextLeft; }
  std::string_view GetClass() const override { return "Label"; }
  void* GetInterface(std::string_view name) override;
  void SetAttribute(std::string_view name, std::string_view value) override;

  int GetFontId() const { return font_; }
  void SetFontId(int id);
  Font* GetFont() const;
  uint32_t GetTextColor() const { return textColor_; }
  void SetTextColor(uint32_t argb);
  const Rect& GetTextPadding() const { return textPadding_; }
  void SetTextPadding(const Rect& padding);
  unsigned GetTextStyle() const { return textStyle_; }
  void SetTextStyle(unsigned style);
  bool IsMultiLine() const { return (textStyle_ & kTextWordBreak) != 0; }

  // The size the given text takes in this control's font and text style (its padding not
  // included); a multi-line text wraps at the control's current text width.
  Size MeasureText(const std::string& text) const;

 protected:
  void PaintText(Canvas& canvas) override;
  // The colour the text is drawn in now (state colours of buttons override this).
  virtual uint32_t CurrentTextColor() const;
  uint32_t ResolveColor(uint32_t argb) const;

  int font_ = -1;
  uint32_t textColor_ = 0;
  uint32_t disabledTextColor_ = 0;
  Rect textPadding_;
  unsigned textStyle_;
};

}  // namespace SkinUI
