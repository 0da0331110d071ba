#include "ui/edit.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/canvas.h"
#include "ui/font.h"
#include "ui/skin_window.h"

namespace SkinUI {

void* CEditControl::GetInterface(std::string_view name) {
  return name == "Edit" ? this : CLabelControl::GetInterface(name);
}

void CEditControl::SetAttribute(std::string_view name, std::string_view value) {
  if (name == "maxchar") {
    maxChars_ = static_cast<size_t>(std::max(ParseInt(value), 0));
  } else if (name == "readonly") {
    readOnly_ = ParseBool(value);
  } else {
    CLabelControl::SetAttribute(name, value);
  }
}

void CEditControl::SetText(std::string_view text) {
  CLabelControl::SetText(text);
  caret_ = DecodeUtf8(text_).size();
  scroll_ = 0;
  ScrollToCaret();
}

void CEditControl::SetCaret(size_t position) {
  caret_ = std::min(position, DecodeUtf8(text_).size());
  ScrollToCaret();
  Invalidate();
}

Rect CEditControl::TextArea() const { return pos_.Deflate(textPadding_); }

void CEditControl::ScrollToCaret() {
  Font* font = GetFont();
  if (!font) return;
  const std::u32string text = DecodeUtf8(text_);
  const int caretX = font->MeasureWidth(text.substr(0, caret_));
  const int width = std::max(TextArea().Width() - 1, 1);
  if (caretX - scroll_ > width) scroll_ = caretX - width;
  if (caretX - scroll_ < 0) scroll_ = caretX;
  // Never leave empty room on the right while text is scrolled out on the left.
  const int total = font->MeasureWidth(text);
  scroll_ = std::max(0, std::min(scroll_, total - width));
}

size_t CEditControl::CaretFromPoint(int x) {
  Font* font = GetFont();
  if (!font) return caret_;
  const std::u32string text = DecodeUtf8(text_);
  int pen = TextArea().left - scroll_;
  for (size_t i = 0; i < text.size(); ++i) {
    const int advance = font->Advance(text[i]);
    if (x < pen + advance / 2) return i;
    pen += advance;
  }
  return text.size();
}

void CEditControl::ReplaceWith(const std::u32string& text, size_t caret) {
  const std::string encoded = EncodeUtf8(text);
  const bool changed = encoded != text_;
  text_ = encoded;
  caret_ = caret;
  ScrollToCaret();
  Invalidate();
  if (changed) Notify("textchanged");
}

void CEditControl::InsertText(std::string_view input) {
  if (readOnly_) return;
  std::u32string insert;
  // One line only: line breaks and other control characters of pasted text are dropped.
  for (char32_t c : DecodeUtf8(std::string(input))) {
    if (c >= 0x20 && c != 0x7F) insert.push_back(c);
  }
  std::u32string text = DecodeUtf8(text_);
  if (maxChars_ > 0 && text.size() + insert.size() > maxChars_) {
    insert.resize(maxChars_ > text.size() ? maxChars_ - text.size() : 0);
  }
  if (insert.empty()) return;
  text.insert(caret_, insert);
  ReplaceWith(text, caret_ + insert.size());
}

void CEditControl::DoEvent(ControlEvent& event) {
  if (!enabled_ && event.type != EventType::Timer) return;
  std::u32string text = DecodeUtf8(text_);
  caret_ = std::min(caret_, text.size());
  switch (event.type) {
    case EventType::ButtonDown:
      caret_ = CaretFromPoint(event.pt.x);
      Invalidate();
      break;
    case EventType::SetFocus:
    case EventType::KillFocus:
      Invalidate();
      if (event.type == EventType::SetFocus && window_ && window_->Host()) window_->Host()->SetTextInputArea(pos_);
      break;
    case EventType::TextInput:
      InsertText(event.text);
      break;
    case EventType::KeyDown:
      switch (event.key) {
        case Key::Backspace:
          if (!readOnly_ && caret_ > 0) {
            text.erase(caret_ - 1, 1);
            ReplaceWith(text, caret_ - 1);
          }
          break;
        case Key::Delete:
          if (!readOnly_ && caret_ < text.size()) {
            text.erase(caret_, 1);
            ReplaceWith(text, caret_);
          }
          break;
        case Key::Left:
          if (caret_ > 0) SetCaret(caret_ - 1);
          break;
        case Key::Right:
          SetCaret(caret_ + 1);
          break;
        case Key::Home:
          SetCaret(0);
          break;
        case Key::End:
          SetCaret(text.size());
          break;
        case Key::Return:
          Notify("return");
          break;
        case Key::Character:
          if ((event.modifiers & kModCtrl) && (event.character == U'v' || event.character == U'V') && window_ &&
              window_->Host()) {
            InsertText(window_->Host()->ClipboardText());
          }
          break;
        default:
          break;
      }
      break;
    default:
      CLabelControl::DoEvent(event);
      break;
  }
}

void CEditControl::PaintText(Canvas& canvas) {
  Font* font = GetFont();
  if (!font) return;
  const Rect area = TextArea();
  if (area.IsEmpty()) return;
  // The field may have been resized (or laid out for the first time) since the caret moved.
  ScrollToCaret();
  const std::u32string text = DecodeUtf8(text_);
  const uint32_t color = 0xFF000000 | (CurrentTextColor() & 0xFFFFFF);
  const int top = area.top + (area.Height() - font->LineHeight()) / 2;
  const int baseline = top + font->Ascent();
  canvas.PushClip(area);
  font->DrawLine(canvas, area.left - scroll_, baseline, text, color);
  if (IsFocused()) {
    const int x = area.left - scroll_ + font->MeasureWidth(text.substr(0, caret_));
    canvas.FillRect({x, top, x + 1, top + font->LineHeight()}, color);
  }
  canvas.PopClip();
}

}  // namespace SkinUI
