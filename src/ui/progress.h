#pragma once
// A horizontal progress bar: the background, then the fore image over the filled fraction.
#include "ui/label.h"

namespace SkinUI {

class CProgressControl : public CLabelControl {
 public:
  CProgressControl() { textStyle_ = kTextSingleLine | kTextVCenter | kTextCenter; }
  std::string_view GetClass() const override { return "Progress"; }
  void* GetInterface(std::string_view name) override;
  void SetAttribute(std::string_view name, std::string_view value) override;

  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  int GetValue() const { return value_; }
  // The range keeps maximum above minimum (a maximum not above it becomes minimum + 1), and the
  // value always lies inside the range.
  void SetMinValue(int value);
  void SetMaxValue(int value);
  void SetValue(int value);
  const std::string& GetForeImage() const { return foreImage_; }
  void SetForeImage(std::string_view image);
  // Width of the filled part: control width × (value - min) / (max - min), in integers.
  int FilledWidth() const;

 protected:
  void PaintStatusImage(Canvas& canvas) override;

 private:
  void Normalize();
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  std::string foreImage_;
};

}  // namespace SkinUI
