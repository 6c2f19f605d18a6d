#include "store/store_command.h"

namespace zeda {
namespace {
bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

std::optional<StoreCommandLine> SplitStoreCommand(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    while (i < line.size() && Blank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      const size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      word.assign(line.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      while (i < line.size() && !Blank(line[i])) word.push_back(line[i++]);
    }
    words.push_back(std::move(word));
  }
  if (words.empty() || words[0].empty()) return std::nullopt;
  StoreCommandLine cmd;
  for (char c : words[0])
    cmd.keyword.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
  cmd.args.assign(words.begin() + 1, words.end());
  return cmd;
}

}  // namespace zeda
