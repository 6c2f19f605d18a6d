// Fill and copy drags.
#include <gtest/gtest.h>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

class DragTest : public MapTest {
 protected:
  CSheet& s() { return adv->cur(); }
  void selectCells(int c0, int r0, int c1, int r1) {
    selSelectRange(s().sel, s().selGrid(), c0, r0, c1, r1);
  }
  void setRow(int r, int c0, std::initializer_list<int32_t> v) {
    int c = c0;
    for (int32_t x : v) s().cell(c++, r) = x;
  }
};

TEST_F(DragTest, TargetBlocks) {
  struct Case {
    const char* name;
    int mode, dc, dr;
    TBlock expected;
  };
  const Case cases[] = {
      {"fill right and down", kDragFill, 2, 1, {4, 7, 2, 4}},
      {"fill left moves the near edge", kDragFill, -3, 0, {1, 5, 2, 3}},
      {"fill clamped inside", kDragFill, 40, 40, {4, 14, 2, 9}},
      {"copy moves the block", kDragCopy, 3, 1, {7, 8, 3, 4}},
      {"copy pushed back inside", kDragCopy, 20, -10, {13, 14, 0, 1}},
  };
  for (const Case& c : cases) {
    selectCells(4, 2, 5, 3);
    ASSERT_TRUE(adv->BeginDrag(c.mode));
    TBlock t = adv->DragTarget(c.dc, c.dr);
    EXPECT_EQ(t.c0, c.expected.c0) << c.name;
    EXPECT_EQ(t.c1, c.expected.c1) << c.name;
    EXPECT_EQ(t.r0, c.expected.r0) << c.name;
    EXPECT_EQ(t.r1, c.expected.r1) << c.name;
    adv->CancelDrag();
  }
}

TEST_F(DragTest, FillSingleCellFillsTheBlock) {
  s().cell(3, 3) = 17;
  selectCells(3, 3, 3, 3);
  ASSERT_TRUE(adv->BeginDrag(kDragFill));
  adv->FinishDrag(2, 2);
  for (int r = 3; r <= 5; ++r)
    for (int c = 3; c <= 5; ++c) EXPECT_EQ(s().cell(c, r), 17);
  EXPECT_EQ(s().sel.count, 9);
  EXPECT_EQ(log.count(), 1u);
}

TEST_F(DragTest, FillRowExtendsBySlopesAndCopiesDown) {
  setRow(2, 4, {10, 12, 20, 23});
  selectCells(4, 2, 7, 2);
  ASSERT_TRUE(adv->BeginDrag(kDragFill));
  adv->FinishDrag(2, 1);  // two columns right, one row down
  EXPECT_EQ(s().cell(8, 2), 26);
  EXPECT_EQ(s().cell(9, 2), 29);
  EXPECT_EQ(s().cell(5, 2), 12);  // inside the source: unchanged
  EXPECT_EQ(s().cell(9, 3), 29);  // copied down
  EXPECT_EQ(s().cell(4, 3), 10);
  selectCells(4, 2, 7, 2);
  ASSERT_TRUE(adv->BeginDrag(kDragFill));
  adv->FinishDrag(-2, 0);  // left: the slope of the first pair
  EXPECT_EQ(s().cell(3, 2), 8);
  EXPECT_EQ(s().cell(2, 2), 6);
}

TEST_F(DragTest, FillBlockBeyondCornerAddsBothSlopes) {
  setRow(1, 2, {10, 12});
  setRow(2, 2, {15, 20});
  selectCells(2, 1, 3, 2);
  ASSERT_TRUE(adv->BeginDrag(kDragFill));
  adv->FinishDrag(1, 1);
  // Right of the block: row slopes; below: column slopes; the corner both.
  EXPECT_EQ(s().cell(4, 1), 14);
  EXPECT_EQ(s().cell(4, 2), 25);
  EXPECT_EQ(s().cell(2, 3), 20);
  EXPECT_EQ(s().cell(3, 3), 28);
  EXPECT_EQ(s().cell(4, 3), 20 + 5 + 8);
}

TEST_F(DragTest, FillClampsToTheDataRange) {
  setRow(0, 0, {50, 58});
  selectCells(0, 0, 1, 0);
  ASSERT_TRUE(adv->BeginDrag(kDragFill));
  adv->FinishDrag(3, 0);
  EXPECT_EQ(s().cell(2, 0), 60);  // 66 clamped at the commit
  EXPECT_EQ(s().cell(4, 0), 60);
}

TEST_F(DragTest, CopyMovesValues) {
  setRow(0, 0, {1, 2, 3});
  setRow(1, 0, {4, 5, 6});
  selectCells(0, 0, 2, 1);
  ASSERT_TRUE(adv->BeginDrag(kDragCopy));
  adv->FinishDrag(5, 3);
  EXPECT_EQ(s().cell(5, 3), 1);
  EXPECT_EQ(s().cell(7, 3), 3);
  EXPECT_EQ(s().cell(6, 4), 5);
  EXPECT_EQ(s().sel.minCol, 5);
  EXPECT_EQ(s().sel.minRow, 3);
  EXPECT_EQ(s().sel.count, 6);
}

TEST_F(DragTest, FillBreakpointsContinuesTheSlopes) {
  CAxe& X = s().axisX;
  X.values[5] = X.prevValues[5] = 36;
  selSelectRange(s().sel, s().selGrid(), 5, -1, 6, -1);  // 36, 40
  ASSERT_TRUE(adv->BeginDrag(kDragFill));
  EXPECT_EQ(adv->DragTarget(-2, 7).r0, -1);  // only along the axis
  adv->FinishDrag(-2, 0);
  EXPECT_EQ(X.values[3], 28);
  EXPECT_EQ(X.values[4], 32);
  EXPECT_EQ(X.values[5], 36);
}

TEST_F(DragTest, NotOnNonEditableParts) {
  selSelectRange(s().sel, s().selGrid(), -1, 2, -1, 4);  // throttle breakpoints
  EXPECT_FALSE(adv->BeginDrag(kDragFill));
  adv->ClearSelection();
  EXPECT_FALSE(adv->BeginDrag(kDragCopy));
}

}  // namespace
}  // namespace zeda
