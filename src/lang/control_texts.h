#pragma once
// The main window's translation tables: for a control (by its object name) the caption,
// the hint or the item list in English, German and Czech. The menu table holds the menus,
// the device buttons and the hints; the page table the captions and item lists of the
// parameter pages. An item list holds one item per line ("No\nTP\nIAP").
//
// Constant data, any thread.
#include <span>
#include <string_view>

namespace zeda {

enum class TextProperty : int { Caption, Hint, Items };

struct ControlText {
  const char* name;  // the control's object name
  TextProperty property;
  const char* text[3];  // English, German, Czech (UTF-8)
};

// Menu captions (with the device buttons' captions) and hints.
std::span<const ControlText> MenuTextTable();
// Captions and item lists of the parameter pages' controls.
std::span<const ControlText> PageTextTable();
// The number of page captions set in a fixed order at the head of PageTextTable; the
// rows after them are the pages' other controls and the item lists.
inline constexpr int kOrderedPageCaptions = 123;

// The row of `name` and `property` in either table, nullptr when there is none.
const ControlText* FindControlText(std::string_view name, TextProperty property);
// Its text in `language` (-1: current), nullptr when there is no row.
const char* ControlTextFor(std::string_view name, TextProperty property, int language = -1);

}  // namespace zeda
