#include "mapedit/selection.h"

#include <algorithm>

namespace zeda {
namespace {

int KindOfItem(int col, int row) {
  if (col >= 0 && row >= 0) return kSelCells;
  if (row == -1 && col >= 0) return kSelX;
  if (col == -1 && row >= 0) return kSelY;
  return kSelNone;
}

// Visible index range of one direction: a fixed axis shows only its fixed index.
void ColRange(const SelGrid& g, int kind, int& lo, int& hi) {
  if (g.fixedX) {
    lo = hi = g.fixedCol;
  } else {
    lo = 0;
    hi = (kind == kSelX ? g.countX : g.cols) - 1;
  }
}
void RowRange(const SelGrid& g, int kind, int& lo, int& hi) {
  if (g.fixedY) {
    lo = hi = g.fixedRow;
  } else {
    lo = 0;
    hi = (kind == kSelY ? g.countY : g.rows) - 1;
  }
}

void ClearMark(TSel& s, int16_t mark) {
  for (auto& m : s.selX) m &= ~mark;
  for (auto& m : s.selY) m &= ~mark;
  for (auto& m : s.selCells) m &= ~mark;
}

// Marks the rectangle between anchor and end according to the drag kind.
void MarkRange(TSel& s, const SelGrid& g, int16_t mark) {
  int dk = s.dragKind & 0xFF;
  int kind = dk == kDragX ? kSelX : dk == kDragY ? kSelY : kSelCells;
  int cLo, cHi, rLo, rHi;
  ColRange(g, kind, cLo, cHi);
  RowRange(g, kind, rLo, rHi);
  int c0 = std::min(s.anchorCol, s.endCol), c1 = std::max(s.anchorCol, s.endCol);
  int r0 = std::min(s.anchorRow, s.endRow), r1 = std::max(s.anchorRow, s.endRow);
  if (dk == kDragX) {
    for (int c = std::max(c0, cLo); c <= std::min(c1, cHi); ++c) s.selX[c] |= mark;
    return;
  }
  if (dk == kDragY) {
    for (int r = std::max(r0, rLo); r <= std::min(r1, rHi); ++r) s.selY[r] |= mark;
    return;
  }
  if (dk == kDragColumns) {
    r0 = rLo;
    r1 = rHi;
  } else if (dk == kDragRows) {
    c0 = cLo;
    c1 = cHi;
  }
  for (int r = std::max(r0, rLo); r <= std::min(r1, rHi); ++r)
    for (int c = std::max(c0, cLo); c <= std::min(c1, cHi); ++c) s.Cell(c, r) |= mark;
}

int DragKindFor(int kind, int dragKind) {
  if (dragKind == kDragColumns || dragKind == kDragRows) return dragKind;
  return kind == kSelX ? kDragX : kind == kSelY ? kDragY : kDragCells;
}

void ClampItem(const SelGrid& g, int kind, int& col, int& row) {
  int lo, hi;
  if (kind != kSelY) {
    ColRange(g, kind, lo, hi);
    col = std::clamp(col, lo, std::max(lo, hi));
  }
  if (kind != kSelX) {
    RowRange(g, kind, lo, hi);
    row = std::clamp(row, lo, std::max(lo, hi));
  }
}

}  // namespace

bool TSel::IsSelected(int c, int r) const {
  if (r == -1 && c >= 0 && c < kMaxCols) return selX[c] & (kMarkSelected | kMarkInDrag);
  if (c == -1 && r >= 0 && r < kMaxRows) return selY[r] & (kMarkSelected | kMarkInDrag);
  if (c >= 0 && r >= 0 && c < kMaxCols && r < kMaxRows)
    return Cell(c, r) & (kMarkSelected | kMarkInDrag);
  return false;
}

void SelClear(TSel& s) {
  s.selX.fill(0);
  s.selY.fill(0);
  s.selCells.fill(0);
  s.kind = kSelNone;
  s.count = 0;
  s.blockValid = false;
  s.blockC0 = s.blockC1 = s.blockR0 = s.blockR1 = -2;
  s.minCol = s.minRow = s.maxCol = s.maxRow = -2;
  s.dragKind &= ~0xFF;
}

void SelPress(TSel& s, const SelGrid& g, int col, int row, int mods, int dragKind) {
  int kind = (dragKind == kDragColumns || dragKind == kDragRows) ? kSelCells : KindOfItem(col, row);
  if (kind == kSelNone) return;
  ClampItem(g, kind, col, row);
  bool shift = mods & kModShift, ctrl = mods & kModCtrl;
  bool keep = shift != ctrl;
  int anchorCol = col, anchorRow = row;
  if (shift && !ctrl && s.count > 0 && s.kind == kind && s.anchorCol >= -1 && s.anchorRow >= -1)
    anchorCol = s.anchorCol, anchorRow = s.anchorRow;
  if (!keep || (s.kind != kSelNone && s.kind != kind)) SelClear(s);
  ClearMark(s, kMarkInDrag);
  s.dragKind = DragKindFor(kind, dragKind) | kDragActive;
  s.anchorCol = anchorCol;
  s.anchorRow = anchorRow;
  s.endCol = col;
  s.endRow = row;
  MarkRange(s, g, kMarkInDrag);
  SelUpdate(s, g);
}

void SelDragTo(TSel& s, const SelGrid& g, int col, int row) {
  if (!(s.dragKind & kDragActive)) return;
  int dk = s.dragKind & 0xFF;
  int kind = dk == kDragX ? kSelX : dk == kDragY ? kSelY : kSelCells;
  if (kind == kSelX) row = -1;
  if (kind == kSelY) col = -1;
  ClampItem(g, kind, col, row);
  s.endCol = col;
  s.endRow = row;
  ClearMark(s, kMarkInDrag);
  MarkRange(s, g, kMarkInDrag);
  SelUpdate(s, g);
}

void SelEndDrag(TSel& s, const SelGrid& g) {
  auto promote = [](int16_t& m) {
    if (m & kMarkInDrag) m = static_cast<int16_t>((m & ~kMarkInDrag) | kMarkSelected);
  };
  for (auto& m : s.selX) promote(m);
  for (auto& m : s.selY) promote(m);
  for (auto& m : s.selCells) promote(m);
  s.dragKind &= ~kDragActive;
  SelUpdate(s, g);
}

void SelSelectOne(TSel& s, const SelGrid& g, int col, int row) {
  SelSelectRange(s, g, col, row, col, row);
}

void SelSelectRange(TSel& s, const SelGrid& g, int anchorCol, int anchorRow, int endCol,
                    int endRow) {
  int kind = KindOfItem(anchorCol, anchorRow);
  SelClear(s);
  if (kind == kSelNone) {
    SelUpdate(s, g);
    return;
  }
  ClampItem(g, kind, anchorCol, anchorRow);
  if (kind == kSelX) endRow = -1;
  if (kind == kSelY) endCol = -1;
  ClampItem(g, kind, endCol, endRow);
  s.dragKind = DragKindFor(kind, 0);
  s.anchorCol = anchorCol;
  s.anchorRow = anchorRow;
  s.endCol = endCol;
  s.endRow = endRow;
  MarkRange(s, g, kMarkSelected);
  s.dragKind = 0;
  SelUpdate(s, g);
}

void SelToggleAllCells(TSel& s, const SelGrid& g) {
  int cLo, cHi, rLo, rHi;
  ColRange(g, kSelCells, cLo, cHi);
  RowRange(g, kSelCells, rLo, rHi);
  bool all = s.kind == kSelCells;
  for (int r = rLo; all && r <= rHi; ++r)
    for (int c = cLo; all && c <= cHi; ++c) all = s.Cell(c, r) & kMarkSelected;
  SelClear(s);
  if (!all && cHi >= cLo && rHi >= rLo) SelSelectRange(s, g, cLo, rLo, cHi, rHi);
  SelUpdate(s, g);
}

void SelAllBreakpoints(TSel& s, const SelGrid& g, bool xAxis) {
  int lo, hi;
  if (xAxis) {
    ColRange(g, kSelX, lo, hi);
    if (hi >= lo) return SelSelectRange(s, g, lo, -1, hi, -1);
  } else {
    RowRange(g, kSelY, lo, hi);
    if (hi >= lo) return SelSelectRange(s, g, -1, lo, -1, hi);
  }
  SelClear(s);
}

void SelRightPress(TSel& s, const SelGrid& g, int col, int row, int dragKind) {
  if (dragKind == kDragColumns) {
    if (col < 0 || col >= g.cols || SelColumnFull(s, g, col)) return;
    int rLo, rHi;
    RowRange(g, kSelCells, rLo, rHi);
    SelSelectRange(s, g, col, rLo, col, rHi);
    return;
  }
  if (dragKind == kDragRows) {
    if (row < 0 || row >= g.rows || SelRowFull(s, g, row)) return;
    int cLo, cHi;
    ColRange(g, kSelCells, cLo, cHi);
    SelSelectRange(s, g, cLo, row, cHi, row);
    return;
  }
  if (!s.IsSelected(col, row)) SelSelectOne(s, g, col, row);
}

bool SelColumnFull(const TSel& s, const SelGrid& g, int c) {
  if (s.kind != kSelCells || c < 0 || c >= g.cols) return false;
  int rLo, rHi;
  RowRange(g, kSelCells, rLo, rHi);
  if (rHi < rLo) return false;
  for (int r = rLo; r <= rHi; ++r)
    if (!(s.Cell(c, r) & kMarkSelected)) return false;
  return true;
}

bool SelRowFull(const TSel& s, const SelGrid& g, int r) {
  if (s.kind != kSelCells || r < 0 || r >= g.rows) return false;
  int cLo, cHi;
  ColRange(g, kSelCells, cLo, cHi);
  if (cHi < cLo) return false;
  for (int c = cLo; c <= cHi; ++c)
    if (!(s.Cell(c, r) & kMarkSelected)) return false;
  return true;
}

void SelUpdate(TSel& s, const SelGrid& g) {
  // Marks beyond the used columns and rows (left by an axis that shrank) are dropped, so
  // nothing acts on items outside the sheet.
  for (int c = std::max(0, g.countX); c < kMaxCols; ++c) s.selX[c] = 0;
  for (int r = std::max(0, g.countY); r < kMaxRows; ++r) s.selY[r] = 0;
  for (int r = 0; r < kMaxRows; ++r)
    for (int c = 0; c < kMaxCols; ++c)
      if (c >= g.cols || r >= g.rows) s.Cell(c, r) = 0;
  if (s.anchorCol >= std::max(g.cols, g.countX) || s.anchorRow >= std::max(g.rows, g.countY))
    s.anchorCol = s.anchorRow = -2;
  if (s.endCol >= std::max(g.cols, g.countX) || s.endRow >= std::max(g.rows, g.countY))
    s.endCol = s.endRow = -2;
  constexpr int16_t kAny = kMarkSelected | kMarkInDrag;
  ClearMark(s, kMarkCorner);
  s.count = 0;
  s.kind = kSelNone;
  s.minCol = s.minRow = s.maxCol = s.maxRow = -2;
  auto widen = [&s](int c, int r) {
    if (s.count == 0) {
      s.minCol = s.maxCol = c;
      s.minRow = s.maxRow = r;
    } else {
      s.minCol = std::min(s.minCol, c);
      s.maxCol = std::max(s.maxCol, c);
      s.minRow = std::min(s.minRow, r);
      s.maxRow = std::max(s.maxRow, r);
    }
    ++s.count;
  };
  for (int r = 0; r < kMaxRows; ++r)
    for (int c = 0; c < kMaxCols; ++c)
      if (s.Cell(c, r) & kAny) widen(c, r);
  if (s.count > 0) s.kind = kSelCells;
  if (s.count == 0) {
    for (int c = 0; c < kMaxCols; ++c)
      if (s.selX[c] & kAny) widen(c, -1);
    if (s.count > 0) s.kind = kSelX;
  }
  if (s.count == 0) {
    for (int r = 0; r < kMaxRows; ++r)
      if (s.selY[r] & kAny) widen(-1, r);
    if (s.count > 0) s.kind = kSelY;
  }
  s.blockValid = false;
  s.blockC0 = s.blockC1 = s.blockR0 = s.blockR1 = -2;
  if (s.count == 0) return;
  int w = s.maxCol - s.minCol + 1, h = s.maxRow - s.minRow + 1;
  if (w * h != s.count || (w <= 2 && h <= 2)) return;
  s.blockValid = true;
  s.blockC0 = s.minCol;
  s.blockC1 = s.maxCol;
  s.blockR0 = s.minRow;
  s.blockR1 = s.maxRow;
  if (s.kind == kSelX) {
    s.selX[s.minCol] |= kMarkCorner;
    s.selX[s.maxCol] |= kMarkCorner;
  } else if (s.kind == kSelY) {
    s.selY[s.minRow] |= kMarkCorner;
    s.selY[s.maxRow] |= kMarkCorner;
  } else {
    s.Cell(s.minCol, s.minRow) |= kMarkCorner;
    s.Cell(s.maxCol, s.minRow) |= kMarkCorner;
    s.Cell(s.minCol, s.maxRow) |= kMarkCorner;
    s.Cell(s.maxCol, s.maxRow) |= kMarkCorner;
  }
}

TCellSet SelBandResult(const TSel& s, const SelGrid& g, const TCellSet& caught, int mods) {
  const bool shift = mods & kModShift, ctrl = mods & kModCtrl;
  TCellSet result{};
  // Only cells the sheet shows count (a shrunk axis may leave marks behind the grid).
  auto inGrid = [&g](int c, int r) {
    return c < g.cols && r < g.rows && (!g.fixedX || c == g.fixedCol) &&
           (!g.fixedY || r == g.fixedRow);
  };
  const bool keep = shift != ctrl && s.kind == kSelCells;
  for (int r = 0; r < kMaxRows; ++r)
    for (int c = 0; c < kMaxCols; ++c) {
      const int i = r * kRowStride + c;
      result[i] = inGrid(c, r) && (caught[i] || (keep && (s.Cell(c, r) & kMarkSelected)));
    }
  if (!(shift && !ctrl) || s.kind != kSelCells || s.anchorCol < 0 || s.anchorRow < 0) return result;
  // Shift: the range runs from the anchor over every caught point.
  int c0 = s.anchorCol, c1 = s.anchorCol, r0 = s.anchorRow, r1 = s.anchorRow;
  bool any = false;
  for (int r = 0; r < kMaxRows; ++r)
    for (int c = 0; c < kMaxCols; ++c)
      if (caught[r * kRowStride + c] && inGrid(c, r)) {
        c0 = std::min(c0, c), c1 = std::max(c1, c);
        r0 = std::min(r0, r), r1 = std::max(r1, r);
        any = true;
      }
  if (!any) return result;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      if (inGrid(c, r)) result[r * kRowStride + c] = true;
  return result;
}

void SelApplyBand(TSel& s, const SelGrid& g, const TCellSet& caught, int mods) {
  const TCellSet result = SelBandResult(s, g, caught, mods);
  const bool keepAnchor = (mods & kModShift) && !(mods & kModCtrl) && s.kind == kSelCells &&
                          s.anchorCol >= 0 && s.anchorRow >= 0;
  const int anchorCol = s.anchorCol, anchorRow = s.anchorRow;
  SelClear(s);
  s.anchorCol = s.anchorRow = -2;
  for (int r = 0; r < kMaxRows; ++r)
    for (int c = 0; c < kMaxCols; ++c) {
      const int i = r * kRowStride + c;
      if (result[i]) s.Cell(c, r) = kMarkSelected;
      if (caught[i] && result[i] && s.anchorCol < 0) s.anchorCol = c, s.anchorRow = r;
    }
  if (keepAnchor) s.anchorCol = anchorCol, s.anchorRow = anchorRow;
  s.endCol = s.anchorCol;
  s.endRow = s.anchorRow;
  SelUpdate(s, g);
}

}  // namespace zeda
