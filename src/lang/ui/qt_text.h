#pragma once
// The widgets' bridge from the core's UTF-8 texts to QString: a plain string, or a
// three-language text in the current language. Header only; main (UI) thread.
#include <QString>
#include <string>

#include "lang/lang_string.h"

namespace zeda {

inline QString Qs(const std::string& s) { return QString::fromUtf8(s.c_str()); }
inline QString Lang(const char* text) { return QString::fromUtf8(LangText(text)); }

}  // namespace zeda
