#pragma once
// The main window's menu bar as one table: every menu and item with its object name,
// parent menu, caption, shortcut and hint (English; the language tables translate them).
// A caption or hint may also be a LangString that carries its own translations.
// Top-level menus have an empty parent. Shortcuts use the portable text form
// ("Ctrl+Alt+N", "F7").
#include <cstdint>
#include <span>

namespace zeda {

enum MenuFlags : uint32_t {
  kMenuSeparator = 1u << 0,
  kMenuHidden = 1u << 1,
  kMenuCheckable = 1u << 2,
  kMenuEnabled = 1u << 3,  // works in this build; other items stay disabled for now
};

struct MenuEntry {
  const char* name;
  const char* parent;  // "" for a top-level menu
  const char* caption;
  const char* shortcut;  // "" for none
  const char* hint;      // "" for none
  uint32_t flags;
};

std::span<const MenuEntry> MenuTable();

// One of the main window's tool buttons and the menu item it shares its command with.
struct SpeedButtonEntry {
  const char* name;
  const char* menuItem;
  const char* caption;
  const char* hint;
};

std::span<const SpeedButtonEntry> SpeedButtonTable();

}  // namespace zeda
