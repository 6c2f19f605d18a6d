#include "base/tick_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace zeda {
namespace {

TEST(TickClock, MillisecondsAdvanceByFiftyPerTick) {
  SetTickCount(0);
  EXPECT_EQ(AdvanceTick(), 1);
  EXPECT_EQ(tickMs(), 50);
  for (int i = 0; i < 9; ++i) AdvanceTick();
  EXPECT_EQ(tickCount(), 10);
  EXPECT_EQ(tickMs(), 500);
  SetTickCount(1000);
  EXPECT_EQ(tickMs(), 50000);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST(TestEnvironment, KeepsTestsAwayFromSystemDevicesAndSettings) {
  ASSERT_NE(std::getenv("ZEDA_PORTS_ONLY"), nullptr);
  EXPECT_STREQ(std::getenv("ZEDA_PORTS_ONLY"), "1");
  ASSERT_NE(std::getenv("ZEDA_SETTINGS_DIR"), nullptr);
  EXPECT_NE(std::string(std::getenv("ZEDA_SETTINGS_DIR")).find("zeda-settings-"),
            std::string::npos);
}

}  // namespace
}  // namespace zeda
