#include "ui/box_layout.h"

#include <algorithm>
#include <vector>

#include "ui/control.h"

namespace SkinUI {
namespace {

// The layout works on a main axis (along which children are stacked) and a cross axis; these
// read a control's numbers for either.
struct AxisView {
  BoxAxis axis;
  int Fixed(const CControl& c) const { return axis == BoxAxis::Horizontal ? c.GetFixedWidth() : c.GetFixedHeight(); }
  int CrossFixed(const CControl& c) const {
    return axis == BoxAxis::Horizontal ? c.GetFixedHeight() : c.GetFixedWidth();
  }
  int Min(const CControl& c) const { return axis == BoxAxis::Horizontal ? c.GetMinWidth() : c.GetMinHeight(); }
  int Max(const CControl& c) const { return axis == BoxAxis::Horizontal ? c.GetMaxWidth() : c.GetMaxHeight(); }
  int MarginBefore(const CControl& c) const {
    return axis == BoxAxis::Horizontal ? c.GetPadding().left : c.GetPadding().top;
  }
  int MarginAfter(const CControl& c) const {
    return axis == BoxAxis::Horizontal ? c.GetPadding().right : c.GetPadding().bottom;
  }
  int CrossMarginBefore(const CControl& c) const {
    return axis == BoxAxis::Horizontal ? c.GetPadding().top : c.GetPadding().left;
  }
  int CrossMarginAfter(const CControl& c) const {
    return axis == BoxAxis::Horizontal ? c.GetPadding().bottom : c.GetPadding().right;
  }
};

}  // namespace

void LayoutBox(BoxAxis axis, const Rect& inner, std::span<CControl* const> children) {
  const AxisView view{axis};
  const bool horizontal = axis == BoxAxis::Horizontal;
  const int mainStart = horizontal ? inner.left : inner.top;
  const int mainLength = horizontal ? inner.Width() : inner.Height();
  const int crossStart = horizontal ? inner.top : inner.left;
  const int crossLength = horizontal ? inner.Height() : inner.Width();

  // Pass 1: fixed sizes and margins; children without a fixed size are stretchable.
  std::vector<int> sizes(children.size(), 0);
  int needed = 0;
  int stretchable = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    const CControl& child = *children[i];
    if (!child.IsVisible()) continue;
    needed += view.MarginBefore(child) + view.MarginAfter(child);
    if (view.Fixed(child) > 0) {
      sizes[i] = std::clamp(view.Fixed(child), view.Min(child), std::max(view.Min(child), view.Max(child)));
      needed += sizes[i];
    } else {
      sizes[i] = -1;
      ++stretchable;
    }
  }

  // Pass 2: share what is left equally; the last stretchable child takes the remainder, so the
  // children fill the inner area exactly.
  if (stretchable > 0) {
    const int left = std::max(mainLength - needed, 0);
    const int share = left / stretchable;
    int given = 0;
    int seen = 0;
    for (size_t i = 0; i < children.size(); ++i) {
      if (!children[i]->IsVisible() || sizes[i] >= 0) continue;
      ++seen;
      sizes[i] = seen == stretchable ? left - given : share;
      given += sizes[i];
    }
  }

  // Pass 3: place the children one after the other.
  int cursor = mainStart;
  for (size_t i = 0; i < children.size(); ++i) {
    CControl& child = *children[i];
    if (!child.IsVisible()) continue;
    cursor += view.MarginBefore(child);
    const int crossRoom = crossLength - view.CrossMarginBefore(child) - view.CrossMarginAfter(child);
    const int cross = view.CrossFixed(child) > 0 ? std::min(view.CrossFixed(child), crossRoom) : crossRoom;
    const int c0 = crossStart + view.CrossMarginBefore(child);
    if (horizontal) {
      child.SetPos({cursor, c0, cursor + sizes[i], c0 + std::max(cross, 0)});
    } else {
      child.SetPos({c0, cursor, c0 + std::max(cross, 0), cursor + sizes[i]});
    }
    cursor += sizes[i] + view.MarginAfter(child);
  }
}

}  // namespace SkinUI
