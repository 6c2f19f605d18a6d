#pragma once
// Test support: a simulated unit's options from zedasim's command-line words, for the
// tests that run the simulator in-process (its server, or its unit under a test's own loop).
#include <string>
#include <vector>

#include "sim_unit.h"

namespace zeda::test {

// args are the words after the program name ({"--key", "108"}); false with error set when
// zedasim would refuse them.
inline bool ParseSimArgs(const std::vector<std::string>& args, sim::SimOptions& options,
                         std::string& error) {
  std::vector<std::string> all = {"zedasim"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  return sim::ParseSimOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace zeda::test
