// The commit protocol, increments and the hover buttons' auto-repeat.
#include <gtest/gtest.h>

#include "mapedit/increment.h"
#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

void runTicks(TTab& t, int n) {
  for (int i = 0; i < n; ++i) t.Tick();
}

TEST_F(MapTest, TwentyIncrementsOfOneCellAreOneCommitFiveTicksAfterTheLast) {
  adv->SelectItem(4, 2);
  const int32_t before = adv->cur().cell(4, 2);
  for (int i = 0; i < 20; ++i) {
    adv->Increment(1);
    adv->Tick();
  }
  EXPECT_EQ(log.count(), 0u);
  EXPECT_EQ(adv->cur().cell(4, 2), before + 20);
  int32_t last = adv->tick - 1;  // the tick of the last increment
  runTicks(*adv, 10);
  ASSERT_EQ(log.count(), 1u);
  EXPECT_EQ(log.ticks[0], last + kCommitDelayTicks);
}

TEST_F(MapTest, IncrementElsewhereCommitsThePendingOneAtOnce) {
  adv->SelectItem(4, 2);
  adv->Increment(1);
  adv->SelectItem(5, 2);
  adv->IncrementItem(7, 3, 1);  // a different key
  EXPECT_EQ(log.count(), 1u);
  EXPECT_EQ(adv->pendingParts, 0);
  runTicks(*adv, 10);
  EXPECT_EQ(log.count(), 1u);  // both steps went out in that one commit
}

TEST_F(MapTest, CommitMarks) {
  struct Step {
    int parts;
    int32_t key;
    size_t commitsAfter;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"end mark without begin is ignored", {{kPartCells, kKeyEnd, 0}}},
      {"begin then end commits at the end",
       {{0, kKeyBegin, 0}, {kPartCells, 77, 1}, {0, kKeyEnd, 1}}},
      {"begin, parts, end", {{0, kKeyBegin, 0}, {kPartCells, kKeyBegin, 0}, {kPartX, kKeyEnd, 1}}},
      {"key 0 commits at once", {{kPartCells, kKeyNow, 1}}},
      {"key 0 with another pending: one commit", {{kPartCells, 55, 0}, {kPartX, kKeyNow, 1}}},
      {"begin while a key is pending commits it",
       {{kPartCells, 55, 0}, {0, kKeyBegin, 1}, {kPartX, kKeyEnd, 2}}},
      {"nothing to report", {{0, kKeyNow, 0}}},
  };
  for (const Case& c : cases) {
    log.ticks.clear();
    adv->pendingParts = 0;
    adv->pendingKey = 0;
    for (const Step& s : c.steps) {
      adv->CommitEdit(s.parts, s.key);
      EXPECT_EQ(log.count(), s.commitsAfter) << c.name;
    }
  }
}

TEST_F(MapTest, PendingEditCommitsOnTickAtItsDeadline) {
  adv->tick = 100;
  adv->CommitEdit(kPartCells, 42);
  EXPECT_EQ(adv->commitDue, 105);
  runTicks(*adv, 4);
  EXPECT_EQ(log.count(), 0u);
  adv->Tick();
  EXPECT_EQ(log.count(), 1u);
  EXPECT_EQ(adv->pendingKey, 0);
  EXPECT_EQ(adv->commitDue, 0);
}

TEST_F(MapTest, IncrementSelectionByKind) {
  CSheet& s = adv->cur();
  selSelectRange(s.sel, s.selGrid(), 3, -1, 5, -1);  // X breakpoints 3 ... 5
  adv->Increment(1);
  EXPECT_EQ(s.axisX.values[3], 26);
  EXPECT_EQ(s.axisX.values[5], 36);
  adv->ClearSelection();
  selSelectRange(s.sel, s.selGrid(), -1, 2, -1, 3);  // Y breakpoints of a throttle map
  int32_t y2 = s.axisY.values[2];
  adv->Increment(1);
  EXPECT_EQ(s.axisY.values[2], y2);  // not editable
}

TEST_F(MapTest, IncrementOperatingPointAndBaseAdvance) {
  adv->ClearSelection();
  adv->liveRpm = 2000;
  adv->liveTp = 10;
  adv->UpdateOperatingPoint();
  CSheet& s = adv->cur();
  ASSERT_EQ(s.actualCol, 2);
  ASSERT_EQ(s.actualRow, 3);
  int32_t before = s.cell(2, 3);
  adv->Increment(-1);
  EXPECT_EQ(s.cell(2, 3), before - 1);
  adv->liveRpm = 500;
  adv->UpdateOperatingPoint();
  ASSERT_EQ(s.actualCol, -1);
  adv->baseAdvance = 10;
  adv->Increment(1);
  adv->Increment(1);
  EXPECT_EQ(adv->baseAdvance, 12);
  runTicks(*adv, 6);
  EXPECT_EQ(log.count(), 2u);  // the live cell, then the base advance
}

TEST_F(MapTest, HeldHoverButtonStepsOncePerTickAndCommitsOnceAfterRelease) {
  CSheet& s = adv->cur();
  s.flags &= ~kSheetAccelCells;
  int32_t before = s.cell(6, 4);
  adv->tick = 0;
  adv->HoverPress(6, 4, +1);
  runTicks(*adv, 55);  // about three seconds
  adv->HoverRelease();
  // Auto-repeat starts 16 ticks after the press: ticks 16 ... 55 each step by one.
  EXPECT_EQ(s.cell(6, 4), before + 40);
  EXPECT_EQ(log.count(), 0u);
  runTicks(*adv, 10);
  EXPECT_EQ(log.count(), 1u);
  EXPECT_EQ(log.ticks[0], 55 + kCommitDelayTicks);
}

TEST_F(MapTest, HoverRepeatAcceleratesWithTheFlag) {
  CSheet& s = adv->cur();
  s.flags |= kSheetAccelX;
  adv->tick = 0;
  s.axisX.values[14] = 110;
  adv->HoverPress(14, -1, +1);
  runTicks(*adv, 15);
  EXPECT_EQ(s.axisX.values[14], 110);
  runTicks(*adv, 20);  // 20 steps of one
  EXPECT_EQ(s.axisX.values[14], 130);
  runTicks(*adv, 4);  // then ten on every second tick
  EXPECT_EQ(s.axisX.values[14], 150);
  adv->HoverRelease();
  EXPECT_EQ(s.axisX.values[14], 150);  // release after repeat adds nothing
}

TEST_F(MapTest, ShortHoverClickStepsOnceAndWheelSteps) {
  CSheet& s = adv->cur();
  int32_t before = s.cell(1, 1);
  adv->HoverPress(1, 1, -1);
  adv->Tick();
  adv->HoverRelease();
  EXPECT_EQ(s.cell(1, 1), before - 1);
  adv->HoverWheel(+1);
  adv->HoverWheel(+1);
  EXPECT_EQ(s.cell(1, 1), before + 1);
}

TEST_F(MapTest, HoverOnSelectedItemStepsTheSelection) {
  CSheet& s = adv->cur();
  selSelectRange(s.sel, s.selGrid(), 0, 0, 1, 0);
  int32_t a = s.cell(0, 0), b = s.cell(1, 0);
  adv->HoverPress(1, 0, +1);
  adv->HoverRelease();
  EXPECT_EQ(s.cell(0, 0), a + 1);
  EXPECT_EQ(s.cell(1, 0), b + 1);
}

TEST(GeometricStep, LadderAndOutside) {
  struct Case {
    int32_t m;
    int s;
    int32_t expected;
  };
  // Above 100 the value moves to the next ladder point, rounded to tens.
  const Case cases[] = {
      {50, 1, 2},       {100, 1, 2},      // outside: the step size
      {1000, 1, 10},    {1000, -1, -10},  // 1000 * 1.01 = 1010
      {5000, 1, 50},    {5000, -1, -50}, {-1000, 1, 10}, {-1000, -1, -10},  // magnitudes: mirrored
      {20000000, 1, 2},                                                     // beyond the last point
  };
  for (const Case& c : cases)
    EXPECT_EQ(geometricStep(c.m, c.s, 2.0), c.expected) << c.m << " " << c.s;
}

TEST(GeometricStep, LadderEndsUseTheStepSize) {
  EXPECT_EQ(geometricStep(100, -1, 3.0), -3);
  EXPECT_EQ(geometricStep(101, -1, 3.0), -1);  // from the second point down to the first
  EXPECT_EQ(geometricStep(2147483647, 1, 3.0), 3);
  EXPECT_EQ(geometricStep(-2147483647 - 1, 1, 3.0), 3);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(MapTest, HoverButtonsShowOnlyOnEditableItems) {
  adv->HoverOver(3, 3);
  EXPECT_TRUE(adv->hover.shown);
  adv->HoverOver(-1, 3);  // throttle breakpoint
  EXPECT_FALSE(adv->hover.shown);
  adv->HoverWheel(1);
  EXPECT_EQ(log.count(), 0u);
  adv->HoverOver(3, -1);
  EXPECT_TRUE(adv->hover.shown);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(MapTest, OpenStructuralEditCommitsAtItsEndNotOnTick) {
  CSheet& s = adv->cur();
  adv->CommitEdit(0, kKeyBegin);
  for (int i = 0; i < 20; ++i) {
    s.cell(2, 2) = i;  // a point dragged in the graph
    adv->CommitEdit(kPartCells, kKeyBegin);
    adv->Tick();
  }
  EXPECT_EQ(log.count(), 0u);
  s.cell(2, 2) = 33;
  adv->CommitEdit(kPartCells, kKeyEnd);
  EXPECT_EQ(log.count(), 1u);
  EXPECT_EQ(s.cell(2, 2), 33);
  EXPECT_EQ(adv->pendingKey, 0);
}

}  // namespace
}  // namespace zeda
