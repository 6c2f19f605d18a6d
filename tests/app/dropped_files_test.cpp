#include "app/dropped_files.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

TEST(DroppedFiles, IgnNames) {
  struct Case {
    const char* name;
    bool ign;
  };
  const Case cases[] = {
      {"A.IGN", true},      {"/home/t/r1.ign", true}, {"x.Ign", true},  {".ign", true},
      {"x.ign.txt", false}, {"ign", false},           {"abc", false},   {"", false},
      {"x.ing", false},     {"xign", false},          {"x_ign", false}, {"dir.ign/x", false},
      {"Mapa č.IGN", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsIgnFileName(c.name), c.ign) << c.name;
}

TEST(DroppedFiles, FirstParameterFileWins) {
  EXPECT_EQ(FirstIgnFile({}), -1);
  EXPECT_EQ(FirstIgnFile({"a.txt", "b.bin"}), -1);
  EXPECT_EQ(FirstIgnFile({"a.txt", "B.IGN", "c.ign"}), 1);
  EXPECT_EQ(FirstIgnFile({"c.ign", "B.IGN"}), 0);
}

}  // namespace
}  // namespace zeda
