#include "app/tick_clock.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

TEST(TickClock, MillisecondsAdvanceByFiftyPerTick) {
  setTickCount(0);
  EXPECT_EQ(advanceTick(), 1);
  EXPECT_EQ(tickMs(), 50);
  for (int i = 0; i < 9; ++i) advanceTick();
  EXPECT_EQ(tickCount(), 10);
  EXPECT_EQ(tickMs(), 500);
  setTickCount(1000);
  EXPECT_EQ(tickMs(), 50000);
}

}  // namespace
}  // namespace zeda
