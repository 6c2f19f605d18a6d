#pragma once
// The main window's translation tables: for a control (by its object name) the caption,
// the hint or the item list in English, German and Czech. The menu table holds the menus,
// the device buttons and the hints; the page table the captions and item lists of the
// parameter pages. An item list holds one item per line ("No\nTP\nIAP").
//
// Constant data, any thread.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "lang/lang_string.h"

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

// The three variants of a text the program writes in English: a page's caption or item, or
// a text its code sets at run time ("Revolutions with collective ignitions"). Looked up in
// the caption and item rows of `name` first, then in every page caption, page item and
// status text (menu texts carry accelerators and are not searched); the first row with that
// English text wins. nullopt when no row has it.
using TextVariants = std::array<std::string_view, kLanguageCount>;
std::optional<TextVariants> FindEnglishText(std::string_view name, std::string_view english);

// `text` in `language` (-1: current): a LangString's variant; an English text with a row,
// the row's variant; anything else (numbers, type names) unchanged.
std::string TranslateText(std::string_view name, std::string_view text, int language = -1);

}  // namespace zeda
