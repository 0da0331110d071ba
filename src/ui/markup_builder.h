#pragma once
// Builds a window's control tree from its markup: the Window element's attributes, the fonts, and
// one root control with its nested controls. Unknown elements are offered to the window's control
// factory; what nobody creates is left out together with its children.
#include <memory>
#include <string>
#include <string_view>

namespace SkinUI {

class CControl;
class SkinWindow;

// The control a built-in element name makes, or null for names the toolkit doesn't have.
std::unique_ptr<CControl> CreateBuiltinControl(std::string_view element);

// Parses the markup, applies the Window attributes and fonts to the window, and returns the root
// control (not yet attached). Null when the text isn't well-formed XML, has no Window element, or
// no root control could be built; `error` then says which.
std::unique_ptr<CControl> BuildMarkup(std::string_view markup, SkinWindow& window, std::string& error);

}  // namespace SkinUI
