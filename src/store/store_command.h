#pragma once
// The store's command lines: a keyword (any case) after leading blanks, then arguments
// separated by blanks or tabs; an argument with blanks is written in double quotes, and ""
// is an empty argument (the root folder). Pure functions; any thread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeda {

struct StoreCommandLine {
  std::string keyword;  // upper case
  std::vector<std::string> args;
};

// Nothing for a blank line or a quote that is never closed.
std::optional<StoreCommandLine> SplitStoreCommand(std::string_view line);

}  // namespace zeda
