#include "ui/markup_builder.h"

#include <pugixml.hpp>

#include "ui/attribute_values.h"
#include "ui/button.h"
#include "ui/container.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/progress.h"
#include "ui/skin_window.h"
#include "utils/log.h"

namespace SkinUI {
namespace {

// Window attributes the toolkit reads itself; every other one is kept as a custom attribute.
void ApplyWindowAttribute(SkinWindow& window, std::string_view name, std::string_view value) {
  if (EqualsIgnoreCase(name, "size")) {
    window.SetInitialSize(ParseSize(value));
  } else if (EqualsIgnoreCase(name, "caption")) {
    window.SetCaptionBand(ParseRect(value));
  } else if (EqualsIgnoreCase(name, "roundcorner")) {
    window.SetRoundCorner(ParseSize(value));
  } else if (EqualsIgnoreCase(name, "defaultfontcolor")) {
    window.SetDefaultTextColor(ParseColor(value));
  } else if (EqualsIgnoreCase(name, "disabledfontcolor")) {
    window.SetDisabledTextColor(ParseColor(value));
  } else if (EqualsIgnoreCase(name, "sizebox") || EqualsIgnoreCase(name, "mininfo") ||
             EqualsIgnoreCase(name, "maxinfo")) {
    // Sizing limits and borders: the installer's windows have fixed sizes.
  } else if (!name.empty() && !value.empty()) {
    window.SetCustomAttribute(name, value);
  }
}

void AddFont(SkinWindow& window, const pugi::xml_node& node) {
  int id = -1;
  bool isDefault = false;
  FontDescription font;
  font.face.clear();
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    const std::string_view name = attribute.name();
    const std::string_view value = attribute.value();
    if (EqualsIgnoreCase(name, "id")) {
      id = ParseInt(value);
    } else if (EqualsIgnoreCase(name, "name")) {
      std::u32string face = DecodeUtf8(std::string(value));
      if (face.size() > 31) face.resize(31);  // the longest face name a font description holds
      font.face = EncodeUtf8(face);
    } else if (EqualsIgnoreCase(name, "size")) {
      font.size = ParseInt(value);
    } else if (EqualsIgnoreCase(name, "bold")) {
      font.bold = EqualsIgnoreCase(value, "true");
    } else if (EqualsIgnoreCase(name, "underline")) {
      font.underline = EqualsIgnoreCase(value, "true");
    } else if (EqualsIgnoreCase(name, "italic")) {
      font.italic = EqualsIgnoreCase(value, "true");
    } else if (EqualsIgnoreCase(name, "default")) {
      isDefault = EqualsIgnoreCase(value, "true");
    }
  }
  if (font.face.empty() || id < 0) return;
  window.AddFont(id, font, isDefault);
}

std::unique_ptr<CControl> BuildControl(const pugi::xml_node& node, SkinWindow& window) {
  const std::string_view element = node.name();
  std::unique_ptr<CControl> control = CreateBuiltinControl(element);
  if (!control) control = window.CreateControl(element);
  if (!control) {
    Utils::LogFormat("markup: no control for element <%s>, left out\r\n", node.name());
    return nullptr;
  }
  // Attributes apply in document order, so a later one overrides an earlier one.
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    control->SetAttribute(attribute.name(), attribute.value());
  }
  if (control->IsContainer()) {
    auto* container = static_cast<CContainer*>(control.get());
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (std::unique_ptr<CControl> built = BuildControl(child, window)) container->Add(std::move(built));
    }
  }
  return control;
}

}  // namespace

std::unique_ptr<CControl> CreateBuiltinControl(std::string_view element) {
  if (element == "Control") return std::make_unique<CControl>();
  if (element == "Container") return std::make_unique<CContainer>();
  if (element == "VerticalLayout") return std::make_unique<CVerticalLayout>();
  if (element == "HorizontalLayout") return std::make_unique<CHorizontalLayout>();
  if (element == "TabLayout") return std::make_unique<CTabLayout>();
  if (element == "Label" || element == "Text") return std::make_unique<CLabelControl>();
  if (element == "Button") return std::make_unique<CButtonControl>();
  if (element == "CheckBox") return std::make_unique<CCheckBoxControl>();
  if (element == "Edit") return std::make_unique<CEditControl>();
  if (element == "Progress") return std::make_unique<CProgressControl>();
  return nullptr;
}

std::unique_ptr<CControl> BuildMarkup(std::string_view markup, SkinWindow& window, std::string& error) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(markup.data(), markup.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    error = std::string("markup is not well-formed: ") + parsed.description();
    return nullptr;
  }
  pugi::xml_node root = document.document_element();
  if (!root || std::string_view(root.name()) != "Window") {
    error = "markup has no Window element";
    return nullptr;
  }
  for (const pugi::xml_attribute& attribute : root.attributes()) {
    ApplyWindowAttribute(window, attribute.name(), attribute.value());
  }
  std::unique_ptr<CControl> tree;
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() != pugi::node_element) continue;
    if (std::string_view(child.name()) == "Font") {
      AddFont(window, child);
    } else if (!tree) {
      tree = BuildControl(child, window);
    }
  }
  if (!tree) error = "markup has no root control";
  return tree;
}

}  // namespace SkinUI
