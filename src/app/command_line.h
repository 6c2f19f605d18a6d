#pragma once
// The program's command line.
//
// Options: "--trace <file>" (or "--trace=<file>") opens the link trace, "--simulate"
// asks for the built-in simulated unit. They may stand anywhere and are taken out first.
// Of what remains, only the first argument is examined, by exact case-sensitive
// comparison: "ENGLISH", "DEUTSCH", "CESKY" select the language, "nopatchcheck"
// suppresses the update check. Independently of that, the first word before "--simulate"
// that names a parameter file (ends in ".ign", any case) is opened once the window is up:
// that is how the desktop hands over a double-clicked file. Everything else is ignored.
#include <string>
#include <vector>

namespace zeda {

struct CommandLine {
  int language = -1;  // -1: not given on the command line
  bool noPatchCheck = false;
  std::string tracePath;  // empty: not given
  bool simulate = false;
  std::string openPath;               // parameter file to open at start-up; empty: none
  std::vector<std::string> problems;  // e.g. "--trace" without a file name
};

// args: the arguments without the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace zeda
