#pragma once
// Controls that hold other controls: the base container and the three layouts of the skins.
#include <memory>
#include <vector>

#include "ui/box_layout.h"
#include "ui/control.h"

namespace SkinUI {

class CContainer : public CControl {
 public:
  std::string_view GetClass() const override { return "Container"; }
  void* GetInterface(std::string_view name) override;
  bool IsContainer() const override { return true; }

  // Appends a child (and joins it to this container's window).
  CControl* Add(std::unique_ptr<CControl> child);
  size_t GetCount() const { return children_.size(); }
  CControl* GetItemAt(size_t index) const { return index < children_.size() ? children_[index].get() : nullptr; }
  int GetItemIndex(const CControl* child) const;

  void SetPos(const Rect& rect) override;
  void DoPaint(Canvas& canvas, const Rect& dirty) override;
  CControl* FindControlAt(Point pt) override;
  CControl* FindControlByName(std::string_view name) override;
  void SetWindow(SkinWindow* window, CContainer* parent, bool init) override;
  // Positions the children inside the current rectangle.
  virtual void LayoutChildren();

 protected:
  std::vector<CControl*> ChildPointers() const;
  std::vector<std::unique_ptr<CControl>> children_;
};

class CHorizontalLayout : public CContainer {
 public:
  std::string_view GetClass() const override { return "HorizontalLayout"; }
  void LayoutChildren() override;
};

class CVerticalLayout : public CContainer {
 public:
  std::string_view GetClass() const override { return "VerticalLayout"; }
  void LayoutChildren() override;
};

// Shows exactly one child (page) at a time, each page over the whole inner area.
class CTabLayout : public CContainer {
 public:
  std::string_view GetClass() const override { return "TabLayout"; }
  void* GetInterface(std::string_view name) override;
  void SetAttribute(std::string_view name, std::string_view value) override;
  void SetWindow(SkinWindow* window, CContainer* parent, bool init) override;
  void LayoutChildren() override;

  int GetCurSel() const { return current_; }
  // False for an index outside the pages; selecting the current page does nothing. Otherwise
  // shows the page, hides the others, lays out again and, when asked, sends "tabselect" with
  // the new and the old index.
  bool SelectItem(int index, bool notify = true);

 private:
  int current_ = -1;
  int initial_ = 0;
};

}  // namespace SkinUI
