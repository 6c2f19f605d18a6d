#pragma once
// The About box's text and the project's web address. Constant data; any thread.
#include <string>

namespace zeda {

inline constexpr const char* kProjectAddress = "https://zedaproject.org";

// Program, version, the unit key it works with, licence and project address, in `language`
// (-1: current).
std::string AboutText(int language = -1);

}  // namespace zeda
