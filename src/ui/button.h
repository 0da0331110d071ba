#pragma once
// Buttons and check boxes: state images and state text colours, "click" on release over the
// control, and for check boxes a selected state that a click toggles ("selectchanged").
#include "ui/label.h"

namespace SkinUI {

class CButtonControl : public CLabelControl {
 public:
  CButtonControl() { textStyle_ = kTextSingleLine | kTextVCenter | kTextCenter; }
  std::string_view GetClass() const override { return "Button"; }
  void* GetInterface(std::string_view name) override;
  void SetAttribute(std::string_view name, std::string_view value) override;
  void DoEvent(ControlEvent& event) override;
  void SetEnabled(bool enabled) override;

  const std::string& GetNormalImage() const { return normalImage_; }
  void SetNormalImage(std::string_view image);
  void SetHotImage(std::string_view image);
  void SetPushedImage(std::string_view image);
  void SetDisabledImage(std::string_view image);

  bool IsHot() const { return hot_; }
  bool IsPushed() const { return pushed_; }
  // What a completed click does: sends "click". Returns false when the control can't act.
  virtual bool Activate();

 protected:
  void PaintStatusImage(Canvas& canvas) override;
  uint32_t CurrentTextColor() const override;
  // Draws the image of the current state, falling back to the normal image.
  void PaintStateImages(Canvas& canvas, bool allowPushed);

  std::string normalImage_;
  std::string hotImage_;
  std::string pushedImage_;
  std::string disabledImage_;
  uint32_t hotTextColor_ = 0;
  uint32_t pushedTextColor_ = 0;
  bool hot_ = false;
  bool pushed_ = false;     // the mouse button is held and the pointer is over the control
  bool capturing_ = false;  // the mouse button went down on this control
};

class CCheckBoxControl : public CButtonControl {
 public:
  std::string_view GetClass() const override { return "CheckBox"; }
  void* GetInterface(std::string_view name) override;
  void SetAttribute(std::string_view name, std::string_view value) override;

  bool IsSelected() const { return selected_; }
  // Changes the state; when it really changed and `notify` is set, sends "selectchanged".
  void Selected(bool selected, bool notify = true);
  bool Activate() override;

 protected:
  void PaintStatusImage(Canvas& canvas) override;
  uint32_t CurrentTextColor() const override;

  bool selected_ = false;
  std::string selectedImage_;
  uint32_t selectedTextColor_ = 0;
};

}  // namespace SkinUI
