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
// The licence is the project's; the box points to where it is published.
constexpr const char* kLicenceLine =
    "###Licence and source code: %s##Lizenz und Quelltext: %s##Licence a zdrojový kód: %s";
constexpr const char* kProjectLine = "###Project: %s##Projekt: %s##Projekt: %s";

}  // namespace

std::string AboutText(int language) {
  char unit[256];
  std::snprintf(unit, sizeof unit, LangText(kUnitLine, language), kProductText, kUnitVersionText);
  char project[160];
  std::snprintf(project, sizeof project, LangText(kProjectLine, language), kProjectAddress);
  char licence[160];
  std::snprintf(licence, sizeof licence, LangText(kLicenceLine, language), kProjectAddress);
  return std::string("zeda ") + kUnitVersionText + "\n" + unit + "\n" + BuildText() + "\n\n" +
         project + "\n" + licence;
}

}  // namespace zeda
