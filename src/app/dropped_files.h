#pragma once
// Files dropped on the main window: the first parameter file among them is opened.
#include <string>
#include <string_view>
#include <vector>

namespace zeda {

// A name longer than three characters whose last four, with A-Z folded to lower case,
// are ".ign".
bool IsIgnFileName(std::string_view name);

// Index of the first parameter file among the dropped names, -1 when there is none.
int FirstIgnFile(const std::vector<std::string>& names);

}  // namespace zeda
