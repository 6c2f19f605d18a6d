// Insertion, deletion, interpolation, axis use and switching sheets.
#include <gtest/gtest.h>

#include "mapedit/interpolation.h"
#include "mapedit/lang_select.h"
#include "mapedit/map_fixture.h"
#include "mapedit/messages.h"

namespace zeda {
namespace {

using test::MapTest;

TEST_F(MapTest, InsertColumnBetween3000And4000Rpm) {
  CSheet& s = adv_->Cur();
  // Make 3 000 and 4 000 rpm neighbours (drop 3 500 and the last point).
  ASSERT_TRUE(adv_->DeleteColumn(14));
  ASSERT_TRUE(adv_->DeleteColumn(5));
  ASSERT_EQ(s.axisX.values[4], 30);
  ASSERT_EQ(s.axisX.values[5], 40);
  s.Cell(4, 0) = 10;
  s.Cell(5, 0) = 21;
  s.Cell(4, 1) = -7;
  s.Cell(5, 1) = 2;
  log_.ticks.clear();
  ASSERT_TRUE(adv_->InsertColumn(5));
  EXPECT_EQ(s.axisX.count, 14);
  EXPECT_EQ(s.axisX.values[4], 30);
  EXPECT_EQ(s.axisX.values[5], 35);  // 3 500 rpm
  EXPECT_EQ(s.axisX.values[6], 40);
  EXPECT_EQ(s.Cell(5, 0), 15);  // (10 + 21) / 2
  EXPECT_EQ(s.Cell(5, 1), -2);  // (-7 + 2) / 2, toward zero
  EXPECT_EQ(s.Cell(6, 0), 21);
  EXPECT_EQ(log_.Count(), 1u);
  // The new column is the selection.
  EXPECT_EQ(s.sel.kind, kSelCells);
  EXPECT_EQ(s.sel.minCol, 5);
  EXPECT_EQ(s.sel.maxCol, 5);
  EXPECT_EQ(s.sel.count, 10);
}

TEST_F(MapTest, InsertColumnAtTheEnds) {
  CSheet& s = adv_->Cur();
  adv_->DeleteColumn(14);
  adv_->DeleteColumn(13);
  // Front: a copy of the old first breakpoint; normalisation separates the two by moving
  // the front one down (the first changed breakpoint is the one after it).
  ASSERT_TRUE(adv_->InsertColumn(0));
  EXPECT_EQ(s.axisX.values[0], 9);
  EXPECT_EQ(s.axisX.values[1], 10);
  EXPECT_EQ(s.axisX.values[2], 15);
  EXPECT_EQ(s.Cell(0, 2), s.Cell(1, 2));
  // End: the stored value stays when it lies above its neighbour.
  int n = s.axisX.count;
  s.axisX.values[n] = 200;
  ASSERT_TRUE(adv_->InsertColumn(n));
  EXPECT_EQ(s.axisX.values[n], 200);
  EXPECT_EQ(s.Cell(n, 3), s.Cell(n - 1, 3));
}

TEST_F(MapTest, SixteenthColumnShowsTheMaximumMessage) {
  CSheet& s = adv_->Cur();
  ASSERT_EQ(s.axisX.count, 15);
  EXPECT_FALSE(adv_->InsertColumn(3));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], "Column count is on maximum !\nDelete some first...");
  EXPECT_EQ(s.axisX.count, 15);
  EXPECT_EQ(log_.Count(), 0u);
  SetMapeditLanguage(kLangGerman);
  adv_->InsertColumn(3);
  SetMapeditLanguage(kLangEnglish);
  EXPECT_EQ(host_.messages[1], MapeditText(mapedit_msg::kColumnsAtMaximum, kLangGerman));
}

TEST(EditOps, RowMaximumMessageAndNotResizable) {
  TTableSet set;
  test::FakeHost host;
  TTab* t = CreatePwmTable(set, 1, "PWM 1", 0);
  t->host = &host;
  EXPECT_FALSE(t->InsertColumn(2));  // not resizable: no message
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(t->InsertRow(2));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], "Row count is on maximum !\nDelete some first...");
}

TEST_F(MapTest, DeleteSelectedColumnsOneCommitAndMenuRule) {
  CSheet& s = adv_->Cur();
  SelGrid g = s.SelectionGrid();
  SelSelectRange(s.sel, g, 2, 0, 4, 9);  // three whole columns
  EXPECT_EQ(adv_->DeletableColumns(), 3);
  EXPECT_TRUE(adv_->CanDeleteColumns());
  EXPECT_EQ(adv_->DeleteColumnsText(), "Delete columns (3)");
  EXPECT_EQ(adv_->DeleteRowsText(), "");
  EXPECT_FALSE(adv_->CanDeleteRows());  // no row is fully selected
  int32_t keep = s.Cell(5, 0);
  EXPECT_EQ(adv_->DeleteSelectedColumns(), 3);
  EXPECT_EQ(s.axisX.count, 12);
  EXPECT_EQ(s.Cell(2, 0), keep);
  EXPECT_EQ(s.sel.count, 0);
  EXPECT_EQ(log_.Count(), 1u);
  // Every column selected: not offered.
  SelToggleAllCells(s.sel, s.SelectionGrid());
  EXPECT_EQ(adv_->DeletableColumns(), 12);
  EXPECT_FALSE(adv_->CanDeleteColumns());
  EXPECT_EQ(adv_->DeleteColumnsText(), "");
  SelSelectRange(s.sel, s.SelectionGrid(), 0, 0, 0, 9);
  EXPECT_EQ(adv_->DeleteColumnsText(), "Delete column");
  SelSelectRange(s.sel, s.SelectionGrid(), 0, 4, 11, 4);
  EXPECT_EQ(adv_->DeleteRowsText(), "");  // throttle rows are fixed points
}

TEST_F(MapTest, DeletionStopsAtMinCount) {
  CSheet& s = adv_->Cur();
  s.axisX.minCount = 13;
  SelSelectRange(s.sel, s.SelectionGrid(), 0, -1, 5, -1);
  EXPECT_EQ(adv_->DeleteSelectedColumns(), 2);
  EXPECT_EQ(s.axisX.count, 13);
  EXPECT_FALSE(adv_->DeleteColumn(0));
}

TEST_F(MapTest, DeletingWithAFixedLoadAxisUsesTheFixedRow) {
  CSheet& s = adv_->Cur();
  s.axisY.fixed = true;
  adv_->Rebuild();
  SelSelectRange(s.sel, s.SelectionGrid(), 3, 0, 4, 9);  // clamped to the fixed row
  EXPECT_EQ(s.sel.count, 2);
  EXPECT_EQ(adv_->DeletableColumns(), 2);
  EXPECT_EQ(adv_->DeleteSelectedColumns(), 2);
}

TEST(Interpolation, RegionCases) {
  struct Case {
    const char* name;
    bool proportionalX;
    int32_t xs[4];
    int32_t corners[4];      // A B C D
    int32_t expectedMid[2];  // cells (1, 1) and (2, 1) of a 4 x 3 block
  };
  const Case cases[] = {
      {"by index", false, {0, 0, 0, 0}, {0, 30, 0, 30}, {10, 20}},
      {"by value", true, {10, 20, 25, 40}, {0, 30, 0, 30}, {10, 15}},
      {"equal corner columns use the middle", true, {10, 20, 25, 10}, {0, 30, 10, 40}, {20, 20}},
      {"half away from zero", false, {0, 0, 0, 0}, {-1, -2, -1, -2}, {-1, -2}},
  };
  for (const Case& c : cases) {
    int32_t cells[kMaxCells] = {};
    auto at = [&cells](int col, int row) -> int32_t& { return cells[row * kRowStride + col]; };
    at(0, 0) = c.corners[0];
    at(3, 0) = c.corners[1];
    at(0, 2) = c.corners[2];
    at(3, 2) = c.corners[3];
    InterpolateRegion(cells, 0, 3, 0, 2, c.proportionalX ? c.xs : nullptr, nullptr);
    EXPECT_EQ(at(1, 1), c.expectedMid[0]) << c.name;
    EXPECT_EQ(at(2, 1), c.expectedMid[1]) << c.name;
  }
}

TEST(Interpolation, EqualCornerColumnsGiveUEqualHalfEverywhere) {
  int32_t cells[kMaxCells] = {};
  int32_t xs[3] = {50, 70, 50};
  cells[0] = 0;
  cells[2] = 100;
  InterpolateRegion(cells, 0, 2, 0, 0, xs, nullptr);
  EXPECT_EQ(cells[0], 50);
  EXPECT_EQ(cells[1], 50);
  EXPECT_EQ(cells[2], 50);
}

TEST_F(MapTest, InterpolateCommandOnBlockAndBreakpoints) {
  CSheet& s = adv_->Cur();
  s.Cell(2, 1) = 0;
  s.Cell(6, 1) = 40;
  s.Cell(2, 3) = 0;
  s.Cell(6, 3) = 40;
  SelSelectRange(s.sel, s.SelectionGrid(), 2, 1, 6, 3);
  ASSERT_TRUE(s.sel.blockValid);
  EXPECT_TRUE(s.sel.selCells[1 * 50 + 2] & kMarkCorner);
  ASSERT_TRUE(adv_->Interpolate());
  // rpm 2 000 ... 4 000 by value: 2 500 is a quarter of the way.
  EXPECT_EQ(s.Cell(3, 2), 10);
  EXPECT_EQ(s.Cell(4, 2), 20);
  EXPECT_EQ(s.sel.count, 0);
  EXPECT_EQ(log_.Count(), 1u);
  SelSelectRange(s.sel, s.SelectionGrid(), 0, -1, 4, -1);
  s.axisX.values[4] = 50;
  s.axisX.prevValues[4] = 50;  // as if it had been like that
  ASSERT_TRUE(adv_->Interpolate());
  EXPECT_EQ(s.axisX.values[1], 20);
  EXPECT_EQ(s.axisX.values[2], 30);
  EXPECT_EQ(s.axisX.values[3], 40);
  // Two items are no block; throttle breakpoints are not editable.
  SelSelectRange(s.sel, s.SelectionGrid(), 0, 0, 1, 0);
  EXPECT_FALSE(adv_->CanInterpolate());
  SelSelectRange(s.sel, s.SelectionGrid(), -1, 0, -1, 5);
  EXPECT_FALSE(adv_->CanInterpolate());
}

TEST(AxisUse, RulesByFixMode) {
  struct Case {
    int fixX, fixY;
    bool onlyX, onlyY, both;
  };
  const Case cases[] = {
      {0, 1, true, false, true},   // advance map: rpm always used
      {1, 1, true, true, true},    // servo map
      {0, 2, true, false, false},  // no load sensor
      {2, 0, false, true, false}, {1, 0, false, true, true},
  };
  for (const Case& c : cases) {
    TTab t(1, 0x71);
    t.AddSheet("S", "A", "B", "C", 4, 4, 0);
    t.Sheet(0).axisX.fixMode = c.fixX;
    t.Sheet(0).axisY.fixMode = c.fixY;
    EXPECT_EQ(t.CanUseOnlyX(), c.onlyX) << c.fixX << c.fixY;
    EXPECT_EQ(t.CanUseOnlyY(), c.onlyY) << c.fixX << c.fixY;
    EXPECT_EQ(t.CanUseBoth(), c.both) << c.fixX << c.fixY;
  }
}

TEST(AxisUse, SwitchesFixedFlagsAndCommits) {
  TTableSet set;
  TTab* t = CreateServoMap(set, 1, {});
  test::ChangeLog log;
  log.Attach(*t);
  ASSERT_TRUE(t->UseOnlyX());
  EXPECT_TRUE(t->Cur().axisY.fixed);
  EXPECT_FALSE(t->Cur().axisX.fixed);
  EXPECT_EQ(t->Cur().axisY.fixedIndex, 9);
  ASSERT_TRUE(t->UseOnlyY());
  EXPECT_TRUE(t->Cur().axisX.fixed);
  EXPECT_EQ(t->Cur().axisX.fixedIndex, 0);
  ASSERT_TRUE(t->UseBoth());
  EXPECT_FALSE(t->Cur().axisX.fixed || t->Cur().axisY.fixed);
  EXPECT_EQ(log.Count(), 3u);
}

TEST(ToggleSheet, OnlyForSwitchableSheets) {
  TTableSet set;
  TTab* servo = CreateServoMap(set, 1, {});
  test::ChangeLog log;
  log.Attach(*servo);
  ASSERT_TRUE(servo->ToggleSheet());
  EXPECT_FALSE(servo->Cur().enabled);
  EXPECT_EQ(log.Count(), 1u);
  ASSERT_TRUE(servo->ToggleSheet());
  EXPECT_TRUE(servo->Cur().enabled);
  TTab* adv = CreateAdvanceMap(set, 2, {});
  EXPECT_FALSE(adv->ToggleSheet());
  EXPECT_TRUE(adv->Cur().enabled);
}

TEST(InsertIndex, NearestGridLineWithinTheAxis) {
  struct Case {
    int mouse, scroll, expected;
  } cases[] = {
      {100, 0, 0},   {119, 0, 0}, {120, 0, 1},
      {185, 3, 5},   {20, 0, 0},  // left of the grid: the front, not a negative index
      {900, 0, 15},               // right of the last column: appended
      {700, 10, 15},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TTab::InsertIndexAt(c.mouse, 100, 40, c.scroll, 15), c.expected) << c.mouse;
}

}  // namespace
}  // namespace zeda
