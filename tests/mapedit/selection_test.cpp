#include "mapedit/selection.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

SelGrid Grid(int cols = 10, int rows = 6) {
  SelGrid g;
  g.cols = g.countX = cols;
  g.rows = g.countY = rows;
  return g;
}

TEST(Selection, DragSelectsRectangleAndMarksBlockCorners) {
  TSel s;
  SelGrid g = Grid();
  SelPress(s, g, 2, 1, 0);
  SelDragTo(s, g, 5, 3);
  EXPECT_EQ(s.count, 12);
  EXPECT_TRUE(s.Cell(3, 2) & kMarkInDrag);
  SelEndDrag(s, g);
  EXPECT_TRUE(s.Cell(3, 2) & kMarkSelected);
  EXPECT_FALSE(s.Cell(3, 2) & kMarkInDrag);
  EXPECT_EQ(s.kind, kSelCells);
  EXPECT_EQ(s.minCol, 2);
  EXPECT_EQ(s.maxCol, 5);
  EXPECT_EQ(s.minRow, 1);
  EXPECT_EQ(s.maxRow, 3);
  EXPECT_TRUE(s.blockValid);
  EXPECT_TRUE(s.Cell(2, 1) & kMarkCorner);
  EXPECT_TRUE(s.Cell(5, 3) & kMarkCorner);
  EXPECT_FALSE(s.Cell(3, 1) & kMarkCorner);
}

TEST(Selection, DragIsClampedInsideTheGrid) {
  TSel s;
  SelGrid g = Grid();
  SelPress(s, g, 8, 4, 0);
  SelDragTo(s, g, 40, 40);
  SelEndDrag(s, g);
  EXPECT_EQ(s.maxCol, 9);
  EXPECT_EQ(s.maxRow, 5);
}

TEST(Selection, ModifiersCombine) {
  struct Case {
    const char* name;
    int mods;
    int expectedCount;
  };
  // Existing selection: (1,1)-(2,1). Then press at (5,3) and release.
  const Case cases[] = {
      {"plain press replaces", 0, 1},
      {"ctrl adds the pressed item", kModCtrl, 3},
      {"shift extends from the anchor", kModShift, 15},  // (1..5) x (1..3), the old two inside
      {"both replace", kModShift | kModCtrl, 1},
  };
  for (const Case& c : cases) {
    TSel s;
    SelGrid g = Grid();
    SelPress(s, g, 1, 1, 0);
    SelDragTo(s, g, 2, 1);
    SelEndDrag(s, g);
    SelPress(s, g, 5, 3, c.mods);
    SelEndDrag(s, g);
    EXPECT_EQ(s.count, c.expectedCount) << c.name;
  }
}

TEST(Selection, KindsAreNeverMixed) {
  TSel s;
  SelGrid g = Grid();
  SelPress(s, g, 1, 1, 0);
  SelEndDrag(s, g);
  SelPress(s, g, 3, -1, kModCtrl);  // an X breakpoint with Ctrl: the cells go
  SelEndDrag(s, g);
  EXPECT_EQ(s.kind, kSelX);
  EXPECT_EQ(s.count, 1);
  EXPECT_FALSE(s.Cell(1, 1));
  SelPress(s, g, -1, 2, kModCtrl);
  SelDragTo(s, g, 4, 4);  // a Y drag moves along the rows only
  SelEndDrag(s, g);
  EXPECT_EQ(s.kind, kSelY);
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.minCol, -1);
  EXPECT_EQ(s.maxCol, -1);
}

TEST(Selection, ColumnAndRowSelectors) {
  TSel s;
  SelGrid g = Grid();
  SelPress(s, g, 3, 0, 0, kDragColumns);
  SelDragTo(s, g, 4, 0);
  SelEndDrag(s, g);
  EXPECT_EQ(s.count, 12);
  EXPECT_TRUE(SelColumnFull(s, g, 3));
  EXPECT_TRUE(SelColumnFull(s, g, 4));
  EXPECT_FALSE(SelRowFull(s, g, 0));
  SelPress(s, g, 0, 2, 0, kDragRows);
  SelEndDrag(s, g);
  EXPECT_EQ(s.count, 10);
  EXPECT_TRUE(SelRowFull(s, g, 2));
}

TEST(Selection, FixedAxisLimitsWholeColumns) {
  TSel s;
  SelGrid g = Grid();
  g.fixedY = true;
  g.fixedRow = 5;
  SelPress(s, g, 3, 0, 0, kDragColumns);
  SelEndDrag(s, g);
  EXPECT_EQ(s.count, 1);
  EXPECT_TRUE(s.Cell(3, 5) & kMarkSelected);
  EXPECT_TRUE(SelColumnFull(s, g, 3));
}

TEST(Selection, CornerSquareTogglesAllCells) {
  TSel s;
  SelGrid g = Grid(4, 3);
  SelToggleAllCells(s, g);
  EXPECT_EQ(s.count, 12);
  SelToggleAllCells(s, g);
  EXPECT_EQ(s.count, 0);
  SelAllBreakpoints(s, g, true);
  EXPECT_EQ(s.kind, kSelX);
  EXPECT_EQ(s.count, 4);
  SelAllBreakpoints(s, g, false);
  EXPECT_EQ(s.kind, kSelY);
  EXPECT_EQ(s.count, 3);
}

TEST(Selection, RightPressSelectsUnselectedItemAlone) {
  TSel s;
  SelGrid g = Grid();
  SelSelectRange(s, g, 1, 1, 3, 3);
  SelRightPress(s, g, 2, 2);
  EXPECT_EQ(s.count, 9);  // already selected: kept
  SelRightPress(s, g, 7, 4);
  EXPECT_EQ(s.count, 1);
  SelRightPress(s, g, 6, 0, kDragColumns);
  EXPECT_EQ(s.count, 6);
  EXPECT_TRUE(SelColumnFull(s, g, 6));
}

TEST(Selection, BlockTest) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> cells;
    bool block;
  };
  const Case cases[] = {
      {"2 x 2 is too small", {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, false},
      {"3 in a row", {{0, 0}, {1, 0}, {2, 0}}, true},
      {"3 x 2", {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}, true},
      {"gap", {{0, 0}, {2, 0}, {3, 0}}, false},
      {"L shape", {{0, 0}, {1, 0}, {2, 0}, {0, 1}}, false},
  };
  for (const Case& c : cases) {
    TSel s;
    SelGrid g = Grid();
    for (auto [col, row] : c.cells) s.Cell(col, row) |= kMarkSelected;
    SelUpdate(s, g);
    EXPECT_EQ(s.blockValid, c.block) << c.name;
  }
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

using test::MapTest;

// A 2D rubber band after the cell (1, 1) was clicked and (2, 1) added with Ctrl (which
// moved the anchor there): the band catches (4, 3) and (5, 3).
TEST(Selection, RubberBandFollowsTheModifierRules) {
  const struct {
    const char* what;
    int mods;
    std::vector<std::pair<int, int>> selected;
  } kCases[] = {
      {"plain band replaces", 0, {{4, 3}, {5, 3}}},
      {"Shift and Ctrl together replace", kModShift | kModCtrl, {{4, 3}, {5, 3}}},
      {"Ctrl adds the caught points", kModCtrl, {{1, 1}, {2, 1}, {4, 3}, {5, 3}}},
      {"Shift runs from the anchor", kModShift, {{1, 1}}},  // and (2, 1) ... (5, 3)
  };
  const SelGrid g = Grid();
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.what);
    TSel s;
    SelPress(s, g, 1, 1, 0);
    SelEndDrag(s, g);
    SelPress(s, g, 2, 1, kModCtrl);
    SelEndDrag(s, g);
    TCellSet caught{};
    caught[3 * kRowStride + 4] = caught[3 * kRowStride + 5] = true;
    const TCellSet preview = SelBandResult(s, g, caught, k.mods);
    SelApplyBand(s, g, caught, k.mods);
    std::vector<std::pair<int, int>> want = k.selected;
    if (k.mods == kModShift)
      for (int r = 1; r <= 3; ++r)
        for (int c = 2; c <= 5; ++c) want.emplace_back(c, r);
    EXPECT_EQ(s.count, static_cast<int>(want.size()));
    for (auto [c, r] : want) {
      EXPECT_TRUE(s.Cell(c, r) & kMarkSelected) << c << "," << r;
      EXPECT_TRUE(preview[r * kRowStride + c]) << c << "," << r;  // the preview showed it
    }
    // A Shift band keeps the anchor for the next one; others start at the caught point.
    EXPECT_EQ(s.anchorCol, k.mods == kModShift ? 2 : 4);
  }
}

TEST(Selection, RubberBandCatchesOnlyShownCells) {
  SelGrid g = Grid();
  g.fixedY = true;
  g.fixedRow = 5;
  TSel s;
  TCellSet caught{};
  caught[5 * kRowStride + 2] = caught[2 * kRowStride + 2] = true;  // one beside the fixed row
  caught[5 * kRowStride + 12] = true;                              // beyond the columns
  SelApplyBand(s, g, caught, 0);
  EXPECT_EQ(s.count, 1);
  EXPECT_TRUE(s.Cell(2, 5) & kMarkSelected);
  // An empty band without modifiers clears the selection.
  SelApplyBand(s, g, TCellSet{}, 0);
  EXPECT_EQ(s.count, 0);
}

TEST_F(MapTest, MouseSelectionThroughTheTable) {
  adv_->OpenEditor(0, 0, "9", false, -1);
  adv_->PressItem(2, 2, 0);
  EXPECT_FALSE(adv_->editor.editing);  // a press elsewhere accepts
  EXPECT_EQ(adv_->Cur().Cell(0, 0), 9);
  adv_->DragSelectionTo(4, 3);
  adv_->EndSelectionDrag();
  EXPECT_EQ(adv_->Cur().sel.count, 6);
  EXPECT_EQ(adv_->IncrementTarget(), 1);
  adv_->PressCornerCell(30, 5, 40, 20);  // above the diagonal
  EXPECT_EQ(adv_->Cur().sel.kind, kSelX);
  EXPECT_EQ(adv_->Cur().sel.count, 15);
  adv_->PressCornerCell(5, 15, 40, 20);  // below: Y breakpoints, which are not editable
  EXPECT_EQ(adv_->Cur().sel.kind, kSelY);
  EXPECT_EQ(adv_->IncrementTarget(), 0);
  adv_->PressSelectorCorner();
  EXPECT_EQ(adv_->Cur().sel.count, 150);
  adv_->PressSelectorCorner();
  EXPECT_EQ(adv_->Cur().sel.count, 0);
  adv_->liveRpm = 3000;
  adv_->liveTp = 50;
  adv_->UpdateOperatingPoint();
  EXPECT_EQ(adv_->IncrementTarget(), 2);
  adv_->RightPressItem(7, 7);
  EXPECT_EQ(adv_->Cur().sel.count, 1);
  EXPECT_EQ(adv_->CopyText(), "14");
}

}  // namespace
}  // namespace zeda
