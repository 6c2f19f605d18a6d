#include "app/dropped_files.h"

namespace zeda {

bool isIgnFileName(std::string_view name) {
  // The suffix is plain ASCII, so comparing the last four bytes equals comparing the
  // last four characters of a UTF-8 name.
  if (name.size() < 4) return false;
  const std::string_view tail = name.substr(name.size() - 4);
  static constexpr char kSuffix[] = ".ign";
  for (int i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kSuffix[i]) return false;
  }
  return true;
}

int firstIgnFile(const std::vector<std::string>& names) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (isIgnFileName(names[i])) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zeda
