#include "app/dropped_files.h"

#include "base/ascii_case.h"

namespace zeda {

bool IsIgnFileName(std::string_view name) {
  // The suffix is plain ASCII, so comparing the last four bytes equals comparing the
  // last four characters of a UTF-8 name.
  return EndsWithIgnoringAsciiCase(name, ".ign");
}

int FirstIgnFile(const std::vector<std::string>& names) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (IsIgnFileName(names[i])) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zeda
