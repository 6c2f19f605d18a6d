#pragma once
// The numbered status texts: short words of the live monitor and the texts of the
// message boxes, each in English, German and Czech. Other areas take them by number.
//
// Constant data; StatusText reads the program's language index, so any thread may call
// it (the text of the language current at the call).
#include <cstddef>
#include <span>

namespace zeda {

// One numbered text in the three languages (UTF-8).
struct StatusTextRow {
  int number;
  const char* text[3];  // English, German, Czech
};

// The numbers in use run from kFirstStatusText to kLastStatusText; a few in between are
// unused (no row).
inline constexpr int kFirstStatusText = 15;
inline constexpr int kLastStatusText = 95;
// Text 38 is kept at this many characters in every language (the display's field width).
inline constexpr std::size_t kPickupErrorWidth = 40;

std::span<const StatusTextRow> StatusTextTable();

// The text `number` in `language` (-1: the current language). "" for a number without a
// row; a language outside 0-2 reads English.
const char* StatusText(int number, int language = -1);

}  // namespace zeda
