#include "params/file_history.h"

#include <gtest/gtest.h>

#include "params/quicksave.h"

namespace zeda {
namespace {

std::vector<std::string> Paths(std::initializer_list<const char*> l) {
  return std::vector<std::string>(l.begin(), l.end());
}

TEST(FileHistory, AddRules) {
  struct Case {
    std::vector<std::string> before;
    std::string add;
    std::vector<std::string> after;
  } cases[] = {
      {{}, "/a.ign", Paths({"/a.ign"})},
      {Paths({"/a", "/b", "/c", "/d", "/e"}), "/d", Paths({"/d", "/a", "/b", "/c", "/e"})},
      {Paths({"", "/a", "/b"}), "/c", Paths({"/c", "/a", "/b"})},  // empties dropped
      {Paths({"/a", "/b"}), "", Paths({"", "/a", "/b"})},          // New: empty at head
      {Paths({"", "/a"}), "", Paths({"", "/a"})},                  // only one empty
      {Paths({"/0", "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"}), "/n",
       Paths({"/n", "/0", "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"})},
  };
  for (const auto& c : cases) {
    FileHistory h;
    h.Assign(c.before);
    h.Add(c.add);
    EXPECT_EQ(h.Entries(), c.after) << c.add;
  }
}

TEST(FileHistory, OpeningEntryThreeMakesItEntryZeroWithSameCount) {
  FileHistory h;
  h.Assign(Paths({"/a", "/b", "/c", "/d", "/e"}));
  h.Add("/d");
  EXPECT_EQ(h.Count(), 5);
  EXPECT_EQ(h.Entry(0), "/d");
}

TEST(FileHistory, RemoveAndMenu) {
  FileHistory h;
  h.Assign(Paths({"/x/a.ign", "/x/b.v2.ign", "C:\\d\\c.ign"}));
  EXPECT_TRUE(h.ItemVisible(2));
  EXPECT_FALSE(h.ItemVisible(3));
  EXPECT_FALSE(h.ItemVisible(0));
  EXPECT_EQ(h.Caption(1), "1 b.v2");
  EXPECT_EQ(h.Caption(2), "2 c");
  h.Remove("/x/b.v2.ign");
  EXPECT_EQ(h.Entries(), Paths({"/x/a.ign", "C:\\d\\c.ign"}));
  EXPECT_TRUE(h.SeparatorVisible());
  h.Remove("/x/a.ign");
  EXPECT_FALSE(h.SeparatorVisible());
  h.Remove("/nothing");
  EXPECT_EQ(h.Count(), 1);
}

TEST(Quicksave, Numbering) {
  struct Case {
    const char* current;
    std::vector<std::string> names;
    const char* expected;
  } cases[] = {
      {"/d/a/bike.ign", Paths({"bike.ign", "bike_007.ign", "bike_012.ign"}), "/d/a/bike_013.ign"},
      {"/d/a/bike.ign", Paths({"bike.ign"}), "/d/a/bike_001.ign"},
      {"/d/a/bike.ign", Paths({"bike_010.ign"}), "/d/a/bike_011.ign"},  // 010 counts as ten
      {"/d/a/bike.ign", Paths({"bike_999.ign"}), "/d/a/bike_1000.ign"},
      {"/d/a/bike.ign", Paths({"bike_5.txt", "other_9.ign", "bike_x.ign"}), "/d/a/bike_001.ign"},
      {"/d/a/my_bike.ign", Paths({"my_bike.ign", "my_bike_002.ign"}), "/d/a/my_bike_003.ign"},
      {"/d/a/bike", Paths({}), ""},    // no '.': a plain Save
      {"/d/a.b/bike", Paths({}), ""},  // the '.' belongs to the folder
  };
  for (const auto& c : cases) EXPECT_EQ(QuicksaveName(c.current, c.names), c.expected);
}

}  // namespace
}  // namespace zeda
