#pragma once
// Case-blind comparison of ASCII text (file suffixes, ini keys and section names). Bytes
// outside A-Z stay as they are, so UTF-8 and Windows-1250 letters never match across case:
// the names compared here are ASCII by definition. Pure functions, any thread.
#include <string_view>

namespace zeda {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// a and b are equal but for the case of ASCII letters.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// text ends in tail but for the case of ASCII letters.
constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace zeda
