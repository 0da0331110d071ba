#pragma once
// A single-line text field drawn by the toolkit itself: caret, typing, input-method text,
// backspace and delete, arrows, home and end, paste. It stands in for the native in-place edit
// box and sends "textchanged" on every change and "return" on the Enter key.
#include "ui/label.h"

namespace SkinUI {

class CEditControl : public CLabelControl {
 public:
  std::string_view GetClass() const override { return "Edit"; }
  void* GetInterface(std::string_view name) override;
  void SetAttribute(std::string_view name, std::string_view value) override;
  void DoEvent(ControlEvent& event) override;
  void SetText(std::string_view text) override;

  // Caret position in characters (code points) from the start of the text.
  size_t GetCaret() const { return caret_; }
  void SetCaret(size_t position);
  size_t GetMaxChars() const { return maxChars_; }
  bool IsReadOnly() const { return readOnly_; }

 protected:
  void PaintText(Canvas& canvas) override;

 private:
  void InsertText(std::string_view text);
  void ReplaceWith(const std::u32string& text, size_t caret);
  // The text area (control minus its text padding) and the horizontal scroll that keeps the caret
  // visible in it.
  Rect TextArea() const;
  void ScrollToCaret();
  size_t CaretFromPoint(int x);

  size_t caret_ = 0;
  int scroll_ = 0;
  size_t maxChars_ = 255;
  bool readOnly_ = false;
};

}  // namespace SkinUI
