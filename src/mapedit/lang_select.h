#pragma once
// Language selection for the map editor's own texts ("###English##German##Czech").
//
// Thin names over the program-wide language index and LangText.
#include <string>
#include <string_view>

namespace zeda {

inline constexpr int kLangEnglish = 0;
inline constexpr int kLangGerman = 1;
inline constexpr int kLangCzech = 2;

// The interface language the map editor uses (0 English, 1 German, 2 Czech).
int MapeditLanguage();
void SetMapeditLanguage(int language);

// The variant of a three-language text for a language (-1: the current one). A text not
// starting with "#" is returned unchanged; an empty or ".." variant falls back to English.
std::string MapeditText(std::string_view text, int language = -1);

}  // namespace zeda
