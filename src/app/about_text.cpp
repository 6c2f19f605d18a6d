#include "app/about_text.h"

#include <cstdio>

#include "app/title.h"
#include "base/identity.h"
#include "lang/lang_string.h"

namespace zeda {
namespace {

constexpr const char* kUnitLine =
    "###For ignition units %s (unit key %s)##Für Zündungen %s (Einheitenschlüssel %s)"
    "##Pro zapalování %s (klíč jednotky %s)";
// The program's licence (the LICENSE file beside the source), and where the source is.
constexpr const char* kLicenceLine =
    "###Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later)"
    "##Lizenz: GNU General Public License, Version 3 oder neuer (GPL-3.0-or-later)"
    "##Licence: GNU General Public License, verze 3 nebo novější (GPL-3.0-or-later)";
constexpr const char* kSourceLine = "###Source code: %s##Quelltext: %s##Zdrojový kód: %s";
constexpr const char* kProjectLine = "###Project: %s##Projekt: %s##Projekt: %s";

}  // namespace

std::string AboutText(int language) {
  char unit[256];
  std::snprintf(unit, sizeof unit, LangText(kUnitLine, language), kProductText, kUnitVersionText);
  char project[160];
  std::snprintf(project, sizeof project, LangText(kProjectLine, language), kProjectAddress);
  char source[160];
  std::snprintf(source, sizeof source, LangText(kSourceLine, language), kProjectAddress);
  return std::string("zeda ") + kUnitVersionText + "\n" + unit + "\n" + BuildText() + "\n\n" +
         project + "\n" + LangText(kLicenceLine, language) + "\n" + source;
}

}  // namespace zeda
