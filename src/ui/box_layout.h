#pragma once
// The box layout shared by HorizontalLayout and VerticalLayout: fixed sizes and margins first,
// then the rest shared by the children without a fixed size.
#include <span>

#include "ui/geometry.h"

namespace SkinUI {

class CControl;

enum class BoxAxis { Horizontal, Vertical };

// Positions the visible children inside `inner` along the axis (hidden children take no space).
void LayoutBox(BoxAxis axis, const Rect& inner, std::span<CControl* const> children);

}  // namespace SkinUI
