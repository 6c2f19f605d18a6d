#include "mapedit/lang_select.h"

#include "lang/lang_string.h"

namespace zeda {

// The map editor speaks the program's one language.
int MapeditLanguage() { return CurrentLanguage(); }

void SetMapeditLanguage(int language) { SetCurrentLanguage(language); }

std::string MapeditText(std::string_view text, int language) {
  const std::string owned(text);
  return LangText(owned.c_str(), language);
}

}  // namespace zeda
