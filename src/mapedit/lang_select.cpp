#include "mapedit/lang_select.h"

#include "lang/lang_string.h"

namespace zeda {

// The map editor speaks the program's one language.
int mapeditLanguage() { return currentLanguage(); }

void setMapeditLanguage(int language) { setCurrentLanguage(language); }

std::string mapeditText(std::string_view text, int language) {
  const std::string owned(text);
  return LangText(owned.c_str(), language);
}

}  // namespace zeda
