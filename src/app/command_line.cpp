#include "app/command_line.h"

#include <string_view>

#include "app/dropped_files.h"
#include "lang/lang_string.h"

namespace zeda {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine out;
  std::vector<std::string> words;
  // Words after --simulate belong to the simulated unit, so a file name there is not ours.
  std::vector<std::string> ownWords;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--trace") {
      if (i + 1 < args.size()) {
        out.tracePath = args[++i];
      } else {
        out.problems.push_back("--trace needs a file name");
      }
    } else if (a.starts_with("--trace=")) {
      out.tracePath = std::string(a.substr(8));
      if (out.tracePath.empty()) out.problems.push_back("--trace needs a file name");
    } else if (a == "--simulate") {
      out.simulate = true;
    } else {
      words.push_back(args[i]);
      if (!out.simulate) ownWords.push_back(args[i]);
    }
  }
  const int file = FirstIgnFile(ownWords);
  if (file >= 0) out.openPath = ownWords[static_cast<size_t>(file)];
  if (words.empty()) return out;
  const std::string& first = words.front();
  if (first == "ENGLISH") {
    out.language = kEnglish;
  } else if (first == "DEUTSCH") {
    out.language = kGerman;
  } else if (first == "CESKY") {
    out.language = kCzech;
  } else if (first == "nopatchcheck") {
    out.noPatchCheck = true;
  }
  return out;
}

}  // namespace zeda
