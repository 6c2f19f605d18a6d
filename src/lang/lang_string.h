#pragma once
// Texts in three languages.
//
// A LangString is one literal holding every variant:
//   "###" English "##" German "##" Czech
// A text that does not begin with "#" is plain and used unchanged in every language.
// LangText selects the variant of a language. Sources are UTF-8; a variant may hold at
// most 255 bytes of the Windows-1250 code page (one byte per character of that code
// page), and an empty variant or one of exactly ".." falls back to English.
//
// The parsed form is kept per distinct text for the whole run, so the returned pointer
// stays valid until exit. Use it with literals (and other texts that live for the run),
// not with texts composed on the fly, each of which would keep its own entry.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeda {

enum Language : int { kEnglish = 0, kGerman = 1, kCzech = 2 };
inline constexpr int kLanguageCount = 3;
inline constexpr int kMaxVariantBytes = 255;

// The program's one language index, 0 English, 1 German, 2 Czech; starts at 0.
int CurrentLanguage();
void SetCurrentLanguage(int language);

// Returns the variant of `text` for `language` (-1 = the current language). Null and
// plain texts come back unchanged; so does a malformed LangString, after its error has
// been reported (once per distinct text) through the message box hook.
const char* LangText(const char* text, int language = -1);

// The length of a UTF-8 text in the Windows-1250 code page: one byte for every
// character the code page has; anything else counts its UTF-8 bytes.
std::size_t Cp1250Length(std::string_view utf8);

// The Unicode code point of a Windows-1250 byte; 0 for the few bytes the code page leaves
// unassigned.
uint32_t Cp1250ToUnicode(unsigned char byte);

// Forgets every parsed text (tests only: pointers returned earlier become invalid).
void ClearLangTextCacheForTests();

}  // namespace zeda
