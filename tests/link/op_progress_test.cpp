#include "link/op_progress.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

TEST(OpProgress, QuartersAreRoundedUpToWholeBlocks) {
  const int32_t expected[4][2] = {{0, 300}, {300, 600}, {600, 900}, {900, 1050}};
  for (int32_t state : {48, 49, 50, 51, 56, 57, 58, 59}) {
    int32_t start = -1, end = -1;
    QuarterRange(state, &start, &end);
    EXPECT_EQ(start, expected[state % 4][0]) << state;
    EXPECT_EQ(end, expected[state % 4][1]) << state;
  }
}

TEST(OpProgress, CheckingStatesShareOnePlan) {
  struct Case {
    int32_t state, p, gauge;
  } cases[] = {
      {30, 0, 12},   {30, 100, 56}, {31, 0, 56},    {31, 100, 100}, {48, 0, 12},
      {51, 100, 56}, {56, 0, 56},   {59, 100, 100}, {64, 37, 37},   {99, 80, 80},
  };
  for (const Case& c : cases) EXPECT_EQ(GaugeForState(c.state, c.p), c.gauge) << c.state;
}

TEST(OpProgress, PercentOfTheRange) {
  EXPECT_EQ(RangePercent(0, 0, 1050), 0);
  EXPECT_EQ(RangePercent(525, 0, 1050), 50);
  EXPECT_EQ(RangePercent(1050, 0, 1050), 100);
  EXPECT_EQ(RangePercent(2000, 0, 1050), 100);
  EXPECT_EQ(RangePercent(10, 300, 600), 0);
  EXPECT_EQ(RangePercent(5, 5, 5), 0);  // empty range
}

}  // namespace
}  // namespace zeda
