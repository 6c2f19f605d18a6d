#pragma once
// TSel: the selection of one sheet, and the rules that keep it consistent.
#include <array>
#include <cstdint>

#include "mapedit/limits.h"

namespace zeda {

// Marks per item.
inline constexpr int16_t kMarkSelected = 1;
inline constexpr int16_t kMarkInDrag = 2;
inline constexpr int16_t kMarkCorner = 4;

// What a mouse drag selects.
inline constexpr int kDragCells = 1;
inline constexpr int kDragX = 2;
inline constexpr int kDragY = 4;
inline constexpr int kDragColumns = 8;
inline constexpr int kDragRows = 16;
inline constexpr int kDragActive = 0x100;

struct TSel {
  int dragKind = 0;
  int kind = kSelNone;
  std::array<int16_t, kMaxCols> selX{};
  std::array<int16_t, kMaxRows> selY{};
  std::array<int16_t, kMaxCells> selCells{};  // index r * 50 + c
  bool blockValid = false;
  int32_t blockC0 = -2, blockC1 = -2, blockR0 = -2, blockR1 = -2;
  int32_t anchorCol = -2, anchorRow = -2;
  int32_t endCol = -2, endRow = -2;
  int32_t minCol = -2, minRow = -2, maxCol = -2, maxRow = -2;
  int32_t count = 0;

  int16_t& Cell(int c, int r) { return selCells[r * kRowStride + c]; }
  int16_t Cell(int c, int r) const { return selCells[r * kRowStride + c]; }
  bool IsSelected(int c, int r) const;  // (c, -1) X breakpoint, (-1, r) Y breakpoint
};

// Which items a selection can cover: the used columns and rows, and for a fixed axis only
// its fixed index.
struct SelGrid {
  int cols = 0;  // cell columns
  int rows = 0;  // cell rows
  int countX = 0;
  int countY = 0;
  bool fixedX = false;
  bool fixedY = false;
  int fixedCol = 0;
  int fixedRow = 0;
};

// Modifier bits of keys and mouse presses.
inline constexpr int kModShift = 1;
inline constexpr int kModCtrl = 2;

void SelClear(TSel& s);

// Mouse press on an item starts a range of the item's kind ((c, r) cell, (c, -1) X
// breakpoint, (-1, r) Y breakpoint). With `dragKind` kDragColumns / kDragRows the press was
// on a column / row selector and whole columns or rows of cells are selected.
void SelPress(TSel& s, const SelGrid& g, int col, int row, int mods, int dragKind = 0);
// Moves the moving end of the running range (clamped inside the grid).
void SelDragTo(TSel& s, const SelGrid& g, int col, int row);
// Ends the running drag: temporary marks become selected.
void SelEndDrag(TSel& s, const SelGrid& g);

// The square where the selector strips meet: all cells, or none when all were selected.
void SelToggleAllCells(TSel& s, const SelGrid& g);
// The top-left corner cell: all X breakpoints (above its diagonal) or all Y breakpoints.
void SelAllBreakpoints(TSel& s, const SelGrid& g, bool xAxis);
// Right press: selects the item alone unless it is selected already. For selectors
// (dragKind kDragColumns / kDragRows) the whole column / row unless fully selected.
void SelRightPress(TSel& s, const SelGrid& g, int col, int row, int dragKind = 0);

// Selects exactly one item (keyboard moves, insertions).
void SelSelectOne(TSel& s, const SelGrid& g, int col, int row);
// Selects the rectangle between anchor and end (keyboard moves with Shift).
void SelSelectRange(TSel& s, const SelGrid& g, int anchorCol, int anchorRow, int endCol,
                    int endRow);

// Recomputes count, bounding box, kind and the interpolation block.
void SelUpdate(TSel& s, const SelGrid& g);

// A set of cells, index r * 50 + c (the points a rubber band of the 2D graph caught).
using TCellSet = std::array<bool, kMaxCells>;

// The cells a rubber band leaves selected. Without Shift and Ctrl, or with both, the band
// replaces the selection; Ctrl alone adds the caught points to it; Shift alone adds the
// rectangle from the existing anchor over every caught point, as a Shift press extends a
// range from the anchor. The widget draws this while the band is open (so it depends on the
// modifiers held at that moment) and applies it on release.
TCellSet SelBandResult(const TSel& s, const SelGrid& g, const TCellSet& caught, int mods);
// Makes a band's result the selection of cells. A Shift band keeps the anchor; any other
// moves it to the first caught point.
void SelApplyBand(TSel& s, const SelGrid& g, const TCellSet& caught, int mods);

// True when every cell of column c (only the fixed row when Y is fixed) is selected.
bool SelColumnFull(const TSel& s, const SelGrid& g, int c);
bool SelRowFull(const TSel& s, const SelGrid& g, int r);

}  // namespace zeda
