// Fill and copy drags.
#include <gtest/gtest.h>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

class DragTest : public MapTest {
 protected:
  CSheet& S() { return adv_->Cur(); }
  void SelectCells(int c0, int r0, int c1, int r1) {
    SelSelectRange(S().sel, S().SelectionGrid(), c0, r0, c1, r1);
  }
  void SetRow(int r, int c0, std::initializer_list<int32_t> v) {
    int c = c0;
    for (int32_t x : v) S().Cell(c++, r) = x;
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
    SelectCells(4, 2, 5, 3);
    ASSERT_TRUE(adv_->BeginDrag(c.mode));
    TBlock t = adv_->DragTarget(c.dc, c.dr);
    EXPECT_EQ(t.c0, c.expected.c0) << c.name;
    EXPECT_EQ(t.c1, c.expected.c1) << c.name;
    EXPECT_EQ(t.r0, c.expected.r0) << c.name;
    EXPECT_EQ(t.r1, c.expected.r1) << c.name;
    adv_->CancelDrag();
  }
}

TEST_F(DragTest, FillSingleCellFillsTheBlock) {
  S().Cell(3, 3) = 17;
  SelectCells(3, 3, 3, 3);
  ASSERT_TRUE(adv_->BeginDrag(kDragFill));
  adv_->FinishDrag(2, 2);
  for (int r = 3; r <= 5; ++r)
    for (int c = 3; c <= 5; ++c) EXPECT_EQ(S().Cell(c, r), 17);
  EXPECT_EQ(S().sel.count, 9);
  EXPECT_EQ(log_.Count(), 1u);
}

TEST_F(DragTest, FillRowExtendsBySlopesAndCopiesDown) {
  SetRow(2, 4, {10, 12, 20, 23});
  SelectCells(4, 2, 7, 2);
  ASSERT_TRUE(adv_->BeginDrag(kDragFill));
  adv_->FinishDrag(2, 1);  // two columns right, one row down
  EXPECT_EQ(S().Cell(8, 2), 26);
  EXPECT_EQ(S().Cell(9, 2), 29);
  EXPECT_EQ(S().Cell(5, 2), 12);  // inside the source: unchanged
  EXPECT_EQ(S().Cell(9, 3), 29);  // copied down
  EXPECT_EQ(S().Cell(4, 3), 10);
  SelectCells(4, 2, 7, 2);
  ASSERT_TRUE(adv_->BeginDrag(kDragFill));
  adv_->FinishDrag(-2, 0);  // left: the slope of the first pair
  EXPECT_EQ(S().Cell(3, 2), 8);
  EXPECT_EQ(S().Cell(2, 2), 6);
}

TEST_F(DragTest, FillBlockBeyondCornerAddsBothSlopes) {
  SetRow(1, 2, {10, 12});
  SetRow(2, 2, {15, 20});
  SelectCells(2, 1, 3, 2);
  ASSERT_TRUE(adv_->BeginDrag(kDragFill));
  adv_->FinishDrag(1, 1);
  // Right of the block: row slopes; below: column slopes; the corner both.
  EXPECT_EQ(S().Cell(4, 1), 14);
  EXPECT_EQ(S().Cell(4, 2), 25);
  EXPECT_EQ(S().Cell(2, 3), 20);
  EXPECT_EQ(S().Cell(3, 3), 28);
  EXPECT_EQ(S().Cell(4, 3), 20 + 5 + 8);
}

TEST_F(DragTest, FillClampsToTheDataRange) {
  SetRow(0, 0, {50, 58});
  SelectCells(0, 0, 1, 0);
  ASSERT_TRUE(adv_->BeginDrag(kDragFill));
  adv_->FinishDrag(3, 0);
  EXPECT_EQ(S().Cell(2, 0), 60);  // 66 clamped at the commit
  EXPECT_EQ(S().Cell(4, 0), 60);
}

TEST_F(DragTest, CopyMovesValues) {
  SetRow(0, 0, {1, 2, 3});
  SetRow(1, 0, {4, 5, 6});
  SelectCells(0, 0, 2, 1);
  ASSERT_TRUE(adv_->BeginDrag(kDragCopy));
  adv_->FinishDrag(5, 3);
  EXPECT_EQ(S().Cell(5, 3), 1);
  EXPECT_EQ(S().Cell(7, 3), 3);
  EXPECT_EQ(S().Cell(6, 4), 5);
  EXPECT_EQ(S().sel.minCol, 5);
  EXPECT_EQ(S().sel.minRow, 3);
  EXPECT_EQ(S().sel.count, 6);
}

TEST_F(DragTest, FillBreakpointsContinuesTheSlopes) {
  CAxe& x = S().axisX;
  x.values[5] = x.prevValues[5] = 36;
  SelSelectRange(S().sel, S().SelectionGrid(), 5, -1, 6, -1);  // 36, 40
  ASSERT_TRUE(adv_->BeginDrag(kDragFill));
  EXPECT_EQ(adv_->DragTarget(-2, 7).r0, -1);  // only along the axis
  adv_->FinishDrag(-2, 0);
  EXPECT_EQ(x.values[3], 28);
  EXPECT_EQ(x.values[4], 32);
  EXPECT_EQ(x.values[5], 36);
}

TEST_F(DragTest, NotOnNonEditableParts) {
  SelSelectRange(S().sel, S().SelectionGrid(), -1, 2, -1, 4);  // throttle breakpoints
  EXPECT_FALSE(adv_->BeginDrag(kDragFill));
  adv_->ClearSelection();
  EXPECT_FALSE(adv_->BeginDrag(kDragCopy));
}

}  // namespace
}  // namespace zeda
