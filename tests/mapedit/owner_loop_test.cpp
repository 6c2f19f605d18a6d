// The main window's per-tick loop over several tables: an overlay edited in one table
// reaches the parameters and every other table, whatever the order of commits.
#include <gtest/gtest.h>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::FillSheet;
using test::kRpm15;

struct OwnerLoop {
  TTableSet set;
  TTab* adv = nullptr;
  TTab* servo = nullptr;
  TTab* pwm = nullptr;
  int32_t byte248 = 10, word79 = 9000, word77 = 3000;

  explicit OwnerLoop(bool servoFirst) {
    auto makeServo = [&] { servo = CreateServoMap(set, 2, {}); };
    if (servoFirst) makeServo();
    adv = CreateAdvanceMap(set, 1, {});
    if (!servoFirst) makeServo();
    pwm = CreatePwmTable(set, 3, "PWM 1", 0xFFFFFF);
    FillSheet(*adv, 0, kRpm15, 15, 0);
    FillSheet(*adv, 1, kRpm15, 15, 10);
    FillSheet(*servo, 0, kRpm15, 15, 20);
    for (int i = 0; i < set.Count(); ++i) {
      set.Table(i).Rebuild();
      set.Table(i).onTableChanged = [this](TTab& t) {
        set.TakeOverlays(t, byte248, word79, word77);
      };
    }
  }
  void Tick(int n = 1) {
    for (int k = 0; k < n; ++k) {
      TableTickInputs in;
      in.baseAdvance = byte248;
      in.limiter = word79;
      in.startLimiter = word77;
      in.rpm = 500;  // below the first rpm breakpoint: the base advance is live
      in.tpPresent = true;
      set.Tick(in);
    }
  }
};

TEST(OwnerLoop, BaseAdvanceEditSurvivesAnotherTablesCommit) {
  for (bool servoFirst : {false, true}) {
    SCOPED_TRACE(servoFirst ? "servo map before the advance map" : "advance map first");
    OwnerLoop o(servoFirst);
    o.Tick(4);
    ASSERT_EQ(o.adv->Cur().actualCol, -1);
    ASSERT_GT(o.adv->Cur().actualState, 0);
    ASSERT_EQ(o.servo->baseAdvance, 10);
    // "Advance +" twice, then a servo cell: both commits fall due on the same tick.
    o.adv->Increment(1);
    o.adv->Increment(1);
    o.servo->SelectItem(3, 3);
    o.servo->Increment(1);
    o.Tick(10);
    EXPECT_EQ(o.byte248, 12);
    EXPECT_EQ(o.adv->baseAdvance, 12);
    EXPECT_EQ(o.servo->baseAdvance, 12);
    EXPECT_EQ(o.pwm->baseAdvance, 12);
    // A later commit of another table keeps it.
    o.pwm->SelectItem(1, 1);
    o.pwm->Increment(1);
    o.servo->SelectItem(2, 2);
    o.servo->Increment(1);
    o.Tick(10);
    EXPECT_EQ(o.byte248, 12);
  }
}

}  // namespace
}  // namespace zeda
