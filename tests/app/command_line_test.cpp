#include "app/command_line.h"

#include <gtest/gtest.h>

#include "lang/lang_string.h"

namespace zeda {
namespace {

TEST(CommandLine, OnlyTheFirstArgumentAndExactCase) {
  struct Case {
    std::vector<std::string> args;
    int language;
    bool noPatchCheck;
  };
  const Case cases[] = {
      {{}, -1, false},
      {{"ENGLISH"}, kEnglish, false},
      {{"DEUTSCH"}, kGerman, false},
      {{"CESKY"}, kCzech, false},
      {{"nopatchcheck"}, -1, true},
      {{"english"}, -1, false},
      {{"Deutsch"}, -1, false},
      {{"NOPATCHCHECK"}, -1, false},
      {{"CESKY "}, -1, false},
      {{"foo", "ENGLISH"}, -1, false},        // second argument ignored
      {{"nopatchcheck", "CESKY"}, -1, true},  // only the first counts
      {{"DEUTSCH", "nopatchcheck"}, kGerman, false},
      // Options are taken out first; the first remaining word counts.
      {{"--simulate", "CESKY"}, kCzech, false},
      {{"--trace", "t.log", "DEUTSCH"}, kGerman, false},
      {{"--trace", "ENGLISH"}, -1, false},  // ENGLISH is the trace file here
  };
  for (const Case& c : cases) {
    const CommandLine cl = ParseCommandLine(c.args);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(cl.language, c.language) << joined;
    EXPECT_EQ(cl.noPatchCheck, c.noPatchCheck) << joined;
  }
}

TEST(CommandLine, TraceAndSimulateOptions) {
  CommandLine cl = ParseCommandLine({"--trace", "/tmp/z.trc", "--simulate"});
  EXPECT_EQ(cl.tracePath, "/tmp/z.trc");
  EXPECT_TRUE(cl.simulate);
  EXPECT_TRUE(cl.problems.empty());
  cl = ParseCommandLine({"--trace=/tmp/y.trc"});
  EXPECT_EQ(cl.tracePath, "/tmp/y.trc");
  EXPECT_FALSE(cl.simulate);
  cl = ParseCommandLine({"--trace"});
  EXPECT_EQ(cl.tracePath, "");
  EXPECT_EQ(cl.problems.size(), 1u);
  cl = ParseCommandLine({"--trace="});
  EXPECT_EQ(cl.problems.size(), 1u);
}

TEST(CommandLine, ParameterFileToOpen) {
  struct Case {
    std::vector<std::string> args;
    std::string openPath;
    int language;
  };
  const Case cases[] = {
      {{"/home/u/My bikes/Čezeta řada 2.ign"}, "/home/u/My bikes/Čezeta řada 2.ign", -1},
      {{"/tmp/A.IGN"}, "/tmp/A.IGN", -1},
      {{"DEUTSCH", "a.ign", "b.ign"}, "a.ign", kGerman},  // the first file only
      {{"notes.txt", "x.ign.txt", "ign"}, "", -1},        // not parameter files
      {{"--trace", "t.ign", "u.ign"}, "u.ign", -1},       // t.ign is the trace file
      {{"a.ign", "--simulate"}, "a.ign", -1},
      {{"--simulate", "--image", "b.ign"}, "", -1},  // the simulated unit's words
  };
  for (const Case& c : cases) {
    const CommandLine cl = ParseCommandLine(c.args);
    EXPECT_EQ(cl.openPath, c.openPath) << c.args.front();
    EXPECT_EQ(cl.language, c.language) << c.args.front();
  }
}

}  // namespace
}  // namespace zeda
