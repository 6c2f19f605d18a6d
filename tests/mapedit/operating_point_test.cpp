#include <gtest/gtest.h>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

TEST_F(MapTest, RpmLookupByMidpoints) {
  struct Case {
    int32_t rpm;
    int expectedCol;
  };
  // Breakpoints 1 000, 1 500, 2 000 ... 11 000 rpm.
  const Case cases[] = {
      {999, -1},  // before the first breakpoint on the advance map: base advance column
      {1000, 0},   {1249, 0}, {1250, 1},  // exactly on the midpoint: the upper one
      {1251, 1},   {5500, 9},             // between 5 000 and 6 000: midpoint
      {20000, 14},                        // beyond the last
  };
  for (const Case& c : cases) {
    adv_->liveRpm = c.rpm;
    adv_->liveTp = 50;
    adv_->UpdateOperatingPoint();
    EXPECT_EQ(adv_->Cur().actualCol, c.expectedCol) << c.rpm;
  }
}

TEST(OperatingPoint, BeforeFirstBreakpointWithoutBaseAdvanceIsColumnZero) {
  TTableSet set;
  ServoMapOptions o;
  TTab* t = CreateServoMap(set, 2, o);
  test::FillSheet(*t, 0, test::kRpm15, 15, 0);
  t->liveRpm = 500;
  t->liveTp = 50;
  t->UpdateOperatingPoint();
  EXPECT_EQ(t->Cur().actualCol, 0);
  EXPECT_EQ(t->Cur().actualRow, 7);  // 50 % between 40 and 60: the midpoint rule picks 60
  EXPECT_EQ(t->Cur().actualState, 1);
}

TEST_F(MapTest, AdvanceMapStates) {
  struct Case {
    int sheet;
    uint32_t liveFlags;
    int32_t rpm;
    int expectedState;
  };
  const Case cases[] = {
      {0, 0x00, 3000, 1},  // the unit runs on map 1
      {1, 0x00, 3000, 2},  // map 2 shown, the unit uses map 1
      {1, 0x01, 3000, 1},
      {0, 0x10, 3000, -1},  // map 1 takes its load from the pressure sensor,
                            // this axis is TP
      {1, 0x10, 3000, 2},
      {1, 0x21, 3000, -1},
      {0, 0x00, 0, 0},  // engine stopped
  };
  for (const Case& c : cases) {
    adv_->SelectSheet(c.sheet);
    adv_->liveFlags = c.liveFlags;
    adv_->liveRpm = c.rpm;
    adv_->liveTp = 20;
    adv_->UpdateOperatingPoint();
    EXPECT_EQ(adv_->Cur().actualState, c.expectedState) << c.sheet << " " << c.liveFlags;
  }
}

TEST(OperatingPoint, PressureLoadAxisIsWrongWhenTheBitIsClear) {
  TTableSet set;
  AdvanceMapOptions o;
  o.load[0].iapLoad = true;
  TTab* t = CreateAdvanceMap(set, 1, o);
  test::FillSheet(*t, 0, test::kRpm15, 15, 0);
  t->liveRpm = 3000;
  t->liveIap = 60;
  t->liveFlags = 0;
  t->UpdateOperatingPoint();
  EXPECT_EQ(t->Cur().actualState, -1);
  t->liveFlags = 0x10;
  t->UpdateOperatingPoint();
  EXPECT_EQ(t->Cur().actualState, 1);
}

TEST_F(MapTest, FixedAxisUsesItsFixedIndex) {
  adv_->Sheet(0).axisY.fixed = true;
  adv_->Rebuild();
  adv_->liveRpm = 2000;
  adv_->liveTp = 0;
  adv_->UpdateOperatingPoint();
  EXPECT_EQ(adv_->Cur().actualRow, 9);
  EXPECT_EQ(adv_->Cur().actualCol, 2);
}

TEST_F(MapTest, RecomputedOnTicksWithBitOneAndScrolledWhenAutoscroll) {
  adv_->visibleCols = 5;
  adv_->liveRpm = 9000;
  adv_->liveTp = 50;
  adv_->tick = 0;
  adv_->Tick();  // tick 1: not recomputed
  EXPECT_NE(adv_->Cur().actualCol, 12);
  adv_->Tick();  // tick 2
  EXPECT_EQ(adv_->Cur().actualCol, 12);
  EXPECT_EQ(adv_->Cur().axisX.scrollPos, 8);  // autoscroll is on: 12 is the last visible
  set_.autoscroll = false;
  adv_->liveRpm = 1000;
  adv_->Tick();
  adv_->Tick();
  adv_->Tick();
  EXPECT_EQ(adv_->Cur().actualCol, 0);
  EXPECT_EQ(adv_->Cur().axisX.scrollPos, 8);
}

TEST(OperatingPoint, TstTakesTheLastBreakpointNotAbove) {
  TTab t(1, 0x71);
  t.AddSheet("T", "Tst", "TP", "D", 4, 1, kSheetTrackLive);
  t.DefineAxis(0, 1, "Tst", "", 0, 100, 1, 1, {}, true, 1, 1, 4, 1, false, true, -1, 0, 0);
  t.DefineAxis(0, 2, "X", "", 0, 100, 1, 1, {}, true, 1, 1, 1, 1, true, true, -1, 0, 0);
  CSheet& s = t.Sheet(0);
  int32_t v[4] = {10, 20, 30, 40};
  for (int i = 0; i < 4; ++i) s.axisX.values[i] = v[i];
  t.Rebuild();
  struct Case {
    int32_t live;
    int col;
  };
  for (Case c : {Case{5, 0}, Case{10, 0}, Case{19, 0}, Case{26, 1}, Case{30, 2}, Case{99, 3}}) {
    t.liveTst = c.live;
    t.UpdateOperatingPoint();
    EXPECT_EQ(s.actualCol, c.col) << c.live;
  }
}

TEST(OperatingPoint, SensorNamedColumnsTrackTheirTemperature) {
  TTab t(1, 0x30);
  t.AddSheet("Corr", "Sensor", "T", "D", 2, 4, kSheetTrackLive);
  t.DefineAxis(0, 1, "S", "", 0, 2000, 1, 1, {}, false, 0, 1, 2, 0, false, false, -1, 0, 0);
  t.DefineAxis(0, 2, "TW", "", -40, 150, 1, 1, {}, true, 1, 1, 4, 0, false, true, -1, 0, 0);
  CSheet& s = t.Sheet(0);
  s.axisX.stringView = {"", "Coolant", "Inlet Air"};
  s.axisX.values[0] = 1001;
  s.axisX.values[1] = 1002;
  int32_t ys[4] = {-20, 0, 40, 80};
  for (int i = 0; i < 4; ++i) s.axisY.values[i] = ys[i];
  t.liveTw = 70;  // nearest row 80
  t.liveTa = 5;   // nearest row 0
  t.UpdateOperatingPoint();
  EXPECT_EQ(s.sensorRows[0], 3);
  EXPECT_EQ(s.sensorRows[1], 1);
}

TEST(OperatingPoint, SheetsWithoutTrackingHaveNoPoint) {
  TTableSet set;
  TTab* t = CreateThrottleSensorTable(set, 3, 0);
  t->liveTp = 50;
  t->UpdateOperatingPoint();
  EXPECT_EQ(t->Cur().actualState, 0);
  EXPECT_EQ(t->Cur().actualCol, -2);
  EXPECT_EQ(t->Cur().actualRow, -2);
}

}  // namespace
}  // namespace zeda
