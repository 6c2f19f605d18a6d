// The commit protocol, increments and the hover buttons' auto-repeat.
#include <gtest/gtest.h>

#include "mapedit/increment.h"
#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

void RunTicks(TTab& t, int n) {
  for (int i = 0; i < n; ++i) t.Tick();
}

TEST_F(MapTest, TwentyIncrementsOfOneCellAreOneCommitFiveTicksAfterTheLast) {
  adv_->SelectItem(4, 2);
  const int32_t before = adv_->Cur().Cell(4, 2);
  for (int i = 0; i < 20; ++i) {
    adv_->Increment(1);
    adv_->Tick();
  }
  EXPECT_EQ(log_.Count(), 0u);
  EXPECT_EQ(adv_->Cur().Cell(4, 2), before + 20);
  int32_t last = adv_->tick - 1;  // the tick of the last increment
  RunTicks(*adv_, 10);
  ASSERT_EQ(log_.Count(), 1u);
  EXPECT_EQ(log_.ticks[0], last + kCommitDelayTicks);
}

TEST_F(MapTest, IncrementElsewhereCommitsThePendingOneAtOnce) {
  adv_->SelectItem(4, 2);
  adv_->Increment(1);
  adv_->SelectItem(5, 2);
  adv_->IncrementItem(7, 3, 1);  // a different key
  EXPECT_EQ(log_.Count(), 1u);
  EXPECT_EQ(adv_->pendingParts, 0);
  RunTicks(*adv_, 10);
  EXPECT_EQ(log_.Count(), 1u);  // both steps went out in that one commit
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
    log_.ticks.clear();
    adv_->pendingParts = 0;
    adv_->pendingKey = 0;
    for (const Step& s : c.steps) {
      adv_->CommitEdit(s.parts, s.key);
      EXPECT_EQ(log_.Count(), s.commitsAfter) << c.name;
    }
  }
}

TEST_F(MapTest, PendingEditCommitsOnTickAtItsDeadline) {
  adv_->tick = 100;
  adv_->CommitEdit(kPartCells, 42);
  EXPECT_EQ(adv_->commitDue, 105);
  RunTicks(*adv_, 4);
  EXPECT_EQ(log_.Count(), 0u);
  adv_->Tick();
  EXPECT_EQ(log_.Count(), 1u);
  EXPECT_EQ(adv_->pendingKey, 0);
  EXPECT_EQ(adv_->commitDue, 0);
}

TEST_F(MapTest, IncrementSelectionByKind) {
  CSheet& s = adv_->Cur();
  SelSelectRange(s.sel, s.SelectionGrid(), 3, -1, 5, -1);  // X breakpoints 3 ... 5
  adv_->Increment(1);
  EXPECT_EQ(s.axisX.values[3], 26);
  EXPECT_EQ(s.axisX.values[5], 36);
  adv_->ClearSelection();
  SelSelectRange(s.sel, s.SelectionGrid(), -1, 2, -1, 3);  // Y breakpoints of a throttle map
  int32_t y2 = s.axisY.values[2];
  adv_->Increment(1);
  EXPECT_EQ(s.axisY.values[2], y2);  // not editable
}

TEST_F(MapTest, IncrementOperatingPointAndBaseAdvance) {
  adv_->ClearSelection();
  adv_->liveRpm = 2000;
  adv_->liveTp = 10;
  adv_->UpdateOperatingPoint();
  CSheet& s = adv_->Cur();
  ASSERT_EQ(s.actualCol, 2);
  ASSERT_EQ(s.actualRow, 3);
  int32_t before = s.Cell(2, 3);
  adv_->Increment(-1);
  EXPECT_EQ(s.Cell(2, 3), before - 1);
  adv_->liveRpm = 500;
  adv_->UpdateOperatingPoint();
  ASSERT_EQ(s.actualCol, -1);
  adv_->baseAdvance = 10;
  adv_->Increment(1);
  adv_->Increment(1);
  EXPECT_EQ(adv_->baseAdvance, 12);
  RunTicks(*adv_, 6);
  EXPECT_EQ(log_.Count(), 2u);  // the live cell, then the base advance
}

TEST_F(MapTest, HeldHoverButtonStepsOncePerTickAndCommitsOnceAfterRelease) {
  CSheet& s = adv_->Cur();
  s.flags &= ~kSheetAccelCells;
  int32_t before = s.Cell(6, 4);
  adv_->tick = 0;
  adv_->HoverPress(6, 4, +1);
  RunTicks(*adv_, 55);  // about three seconds
  adv_->HoverRelease();
  // Auto-repeat starts 16 ticks after the press: ticks 16 ... 55 each step by one.
  EXPECT_EQ(s.Cell(6, 4), before + 40);
  EXPECT_EQ(log_.Count(), 0u);
  RunTicks(*adv_, 10);
  EXPECT_EQ(log_.Count(), 1u);
  EXPECT_EQ(log_.ticks[0], 55 + kCommitDelayTicks);
}

TEST_F(MapTest, HoverRepeatAcceleratesWithTheFlag) {
  CSheet& s = adv_->Cur();
  s.flags |= kSheetAccelX;
  adv_->tick = 0;
  s.axisX.values[14] = 110;
  adv_->HoverPress(14, -1, +1);
  RunTicks(*adv_, 15);
  EXPECT_EQ(s.axisX.values[14], 110);
  RunTicks(*adv_, 20);  // 20 steps of one
  EXPECT_EQ(s.axisX.values[14], 130);
  RunTicks(*adv_, 4);  // then ten on every second tick
  EXPECT_EQ(s.axisX.values[14], 150);
  adv_->HoverRelease();
  EXPECT_EQ(s.axisX.values[14], 150);  // release after repeat adds nothing
}

TEST_F(MapTest, ShortHoverClickStepsOnceAndWheelSteps) {
  CSheet& s = adv_->Cur();
  int32_t before = s.Cell(1, 1);
  adv_->HoverPress(1, 1, -1);
  adv_->Tick();
  adv_->HoverRelease();
  EXPECT_EQ(s.Cell(1, 1), before - 1);
  adv_->HoverWheel(+1);
  adv_->HoverWheel(+1);
  EXPECT_EQ(s.Cell(1, 1), before + 1);
}

TEST_F(MapTest, HoverOnSelectedItemStepsTheSelection) {
  CSheet& s = adv_->Cur();
  SelSelectRange(s.sel, s.SelectionGrid(), 0, 0, 1, 0);
  int32_t a = s.Cell(0, 0), b = s.Cell(1, 0);
  adv_->HoverPress(1, 0, +1);
  adv_->HoverRelease();
  EXPECT_EQ(s.Cell(0, 0), a + 1);
  EXPECT_EQ(s.Cell(1, 0), b + 1);
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
    EXPECT_EQ(GeometricStep(c.m, c.s, 2.0), c.expected) << c.m << " " << c.s;
}

TEST(GeometricStep, LadderEndsUseTheStepSize) {
  EXPECT_EQ(GeometricStep(100, -1, 3.0), -3);
  EXPECT_EQ(GeometricStep(101, -1, 3.0), -1);  // from the second point down to the first
  EXPECT_EQ(GeometricStep(2147483647, 1, 3.0), 3);
  EXPECT_EQ(GeometricStep(-2147483647 - 1, 1, 3.0), 3);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(MapTest, HoverButtonsShowOnlyOnEditableItems) {
  adv_->HoverOver(3, 3);
  EXPECT_TRUE(adv_->hover.shown);
  adv_->HoverOver(-1, 3);  // throttle breakpoint
  EXPECT_FALSE(adv_->hover.shown);
  adv_->HoverWheel(1);
  EXPECT_EQ(log_.Count(), 0u);
  adv_->HoverOver(3, -1);
  EXPECT_TRUE(adv_->hover.shown);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(MapTest, OpenStructuralEditCommitsAtItsEndNotOnTick) {
  CSheet& s = adv_->Cur();
  adv_->CommitEdit(0, kKeyBegin);
  for (int i = 0; i < 20; ++i) {
    s.Cell(2, 2) = i;  // a point dragged in the graph
    adv_->CommitEdit(kPartCells, kKeyBegin);
    adv_->Tick();
  }
  EXPECT_EQ(log_.Count(), 0u);
  s.Cell(2, 2) = 33;
  adv_->CommitEdit(kPartCells, kKeyEnd);
  EXPECT_EQ(log_.Count(), 1u);
  EXPECT_EQ(s.Cell(2, 2), 33);
  EXPECT_EQ(adv_->pendingKey, 0);
}

}  // namespace
}  // namespace zeda
