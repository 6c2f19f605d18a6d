#include "mapedit/percent_sheet.h"

#include <gtest/gtest.h>

#include "mapedit/tab_model.h"

namespace zeda {
namespace {

CSheet PercentSheet() {
  CSheet s;
  s.flags = kSheetPercent;
  s.axisX.count = 3;
  s.axisY.count = 2;
  int32_t xs[3] = {10, 15, 30};
  int32_t ys[2] = {0, 100};
  for (int i = 0; i < 3; ++i) s.axisX.values[i] = xs[i];
  for (int i = 0; i < 2; ++i) s.axisY.values[i] = ys[i];
  s.baseCountX = 2;
  s.baseCountY = 2;
  s.baseX[0] = 10;
  s.baseX[1] = 30;
  s.baseY[0] = 0;
  s.baseY[1] = 100;
  s.baseCells[0] = 100;
  s.baseCells[1] = 300;
  s.baseCells[kRowStride] = 200;
  s.baseCells[kRowStride + 1] = 400;
  return s;
}

TEST(PercentSheet, BaseAtOwnBreakpoints) {
  CSheet s = PercentSheet();
  ComputeBaseAtCells(s);
  EXPECT_EQ(s.baseAtCells[0], 100);
  EXPECT_EQ(s.baseAtCells[1], 150);
  EXPECT_EQ(s.baseAtCells[2], 300);
  EXPECT_EQ(s.baseAtCells[kRowStride + 1], 250);
}

TEST(PercentSheet, AbsoluteValues) {
  CSheet s = PercentSheet();
  ComputeBaseAtCells(s);
  s.percentStored = true;
  s.cells[0] = 50;   // 50 % of 100
  s.cells[1] = -33;  // -33 % of 150 = -49.5 -> -50
  s.cells[2] = 1;    // 1 % of 300 = 3
  ComputeAbsCells(s);
  EXPECT_EQ(s.absCells[0], 50);
  EXPECT_EQ(s.absCells[1], -50);
  EXPECT_EQ(s.absCells[2], 3);
  s.percentStored = false;
  ComputeAbsCells(s);
  EXPECT_EQ(s.absCells[1], -33);
}

TEST(PercentSheet, IncrementIsPercentOfTheBase) {
  TTab t(1, 0x71);
  t.AddSheet("P", "X", "Y", "D", 3, 2, kSheetPercent);
  CSheet& s = t.Sheet(0);
  s.axisData.maxValue = 10000;
  s.baseAtCells[0] = 250;
  s.baseAtCells[1] = 20;
  EXPECT_EQ(t.CellStep(s, 0, 0, 1), 3);  // 2.5 rounded away from zero
  EXPECT_EQ(t.CellStep(s, 0, 0, -1), -3);
  EXPECT_EQ(t.CellStep(s, 1, 0, 1), 1);  // 0.2: at least one
}

TEST(PercentSheet, CommitComputesAbsoluteCells) {
  TTab t(1, 0x71);
  t.AddSheet("P", "X", "Y", "D", 3, 2, kSheetPercent);
  CSheet& s = t.Sheet(0);
  s.percentStored = true;
  s.axisData.maxValue = 1000;
  s.baseCountX = s.baseCountY = 2;
  s.baseX[1] = 100;
  s.baseY[1] = 100;
  for (int i : {0, 1, kRowStride, kRowStride + 1}) s.baseCells[i] = 200;
  s.cells[0] = 10;
  t.CommitEdit(kPartX | kPartCells, kKeyNow);
  EXPECT_EQ(s.baseAtCells[0], 200);
  EXPECT_EQ(s.absCells[0], 20);
}

}  // namespace
}  // namespace zeda
