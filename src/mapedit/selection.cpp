#include "mapedit/selection.h"

#include <algorithm>

namespace zeda {
namespace {

int kindOfItem(int col, int row) {
  if (col >= 0 && row >= 0) return kSelCells;
  if (row == -1 && col >= 0) return kSelX;
  if (col == -1 && row >= 0) return kSelY;
  return kSelNone;
}

// Visible index range of one direction: a fixed axis shows only its fixed index.
void colRange(const SelGrid& g, int kind, int& lo, int& hi) {
  if (g.fixedX) {
    lo = hi = g.fixedCol;
  } else {
    lo = 0;
    hi = (kind == kSelX ? g.countX : g.cols) - 1;
  }
}
void rowRange(const SelGrid& g, int kind, int& lo, int& hi) {
  if (g.fixedY) {
    lo = hi = g.fixedRow;
  } else {
    lo = 0;
    hi = (kind == kSelY ? g.countY : g.rows) - 1;
  }
}

void clearMark(TSel& s, int16_t mark) {
  for (auto& m : s.selX) m &= ~mark;
  for (auto& m : s.selY) m &= ~mark;
  for (auto& m : s.selCells) m &= ~mark;
}

// Marks the rectangle between anchor and end according to the drag kind.
void markRange(TSel& s, const SelGrid& g, int16_t mark) {
  int dk = s.dragKind & 0xFF;
  int kind = dk == kDragX ? kSelX : dk == kDragY ? kSelY : kSelCells;
  int cLo, cHi, rLo, rHi;
  colRange(g, kind, cLo, cHi);
  rowRange(g, kind, rLo, rHi);
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
    for (int c = std::max(c0, cLo); c <= std::min(c1, cHi); ++c) s.cell(c, r) |= mark;
}

int dragKindFor(int kind, int dragKind) {
  if (dragKind == kDragColumns || dragKind == kDragRows) return dragKind;
  return kind == kSelX ? kDragX : kind == kSelY ? kDragY : kDragCells;
}

void clampItem(const SelGrid& g, int kind, int& col, int& row) {
  int lo, hi;
  if (kind != kSelY) {
    colRange(g, kind, lo, hi);
    col = std::clamp(col, lo, std::max(lo, hi));
  }
  if (kind != kSelX) {
    rowRange(g, kind, lo, hi);
    row = std::clamp(row, lo, std::max(lo, hi));
  }
}

}  // namespace

bool TSel::isSelected(int c, int r) const {
  if (r == -1 && c >= 0 && c < kMaxCols) return selX[c] & (kMarkSelected | kMarkInDrag);
  if (c == -1 && r >= 0 && r < kMaxRows) return selY[r] & (kMarkSelected | kMarkInDrag);
  if (c >= 0 && r >= 0 && c < kMaxCols && r < kMaxRows)
    return cell(c, r) & (kMarkSelected | kMarkInDrag);
  return false;
}

void selClear(TSel& s) {
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

void selPress(TSel& s, const SelGrid& g, int col, int row, int mods, int dragKind) {
  int kind = (dragKind == kDragColumns || dragKind == kDragRows) ? kSelCells : kindOfItem(col, row);
  if (kind == kSelNone) return;
  clampItem(g, kind, col, row);
  bool shift = mods & kModShift, ctrl = mods & kModCtrl;
  bool keep = shift != ctrl;
  int anchorCol = col, anchorRow = row;
  if (shift && !ctrl && s.count > 0 && s.kind == kind && s.anchorCol >= -1 && s.anchorRow >= -1)
    anchorCol = s.anchorCol, anchorRow = s.anchorRow;
  if (!keep || (s.kind != kSelNone && s.kind != kind)) selClear(s);
  clearMark(s, kMarkInDrag);
  s.dragKind = dragKindFor(kind, dragKind) | kDragActive;
  s.anchorCol = anchorCol;
  s.anchorRow = anchorRow;
  s.endCol = col;
  s.endRow = row;
  markRange(s, g, kMarkInDrag);
  selUpdate(s, g);
}

void selDragTo(TSel& s, const SelGrid& g, int col, int row) {
  if (!(s.dragKind & kDragActive)) return;
  int dk = s.dragKind & 0xFF;
  int kind = dk == kDragX ? kSelX : dk == kDragY ? kSelY : kSelCells;
  if (kind == kSelX) row = -1;
  if (kind == kSelY) col = -1;
  clampItem(g, kind, col, row);
  s.endCol = col;
  s.endRow = row;
  clearMark(s, kMarkInDrag);
  markRange(s, g, kMarkInDrag);
  selUpdate(s, g);
}

void selEndDrag(TSel& s, const SelGrid& g) {
  auto promote = [](int16_t& m) {
    if (m & kMarkInDrag) m = static_cast<int16_t>((m & ~kMarkInDrag) | kMarkSelected);
  };
  for (auto& m : s.selX) promote(m);
  for (auto& m : s.selY) promote(m);
  for (auto& m : s.selCells) promote(m);
  s.dragKind &= ~kDragActive;
  selUpdate(s, g);
}

void selSelectOne(TSel& s, const SelGrid& g, int col, int row) {
  selSelectRange(s, g, col, row, col, row);
}

void selSelectRange(TSel& s, const SelGrid& g, int anchorCol, int anchorRow, int endCol,
                    int endRow) {
  int kind = kindOfItem(anchorCol, anchorRow);
  selClear(s);
  if (kind == kSelNone) {
    selUpdate(s, g);
    return;
  }
  clampItem(g, kind, anchorCol, anchorRow);
  if (kind == kSelX) endRow = -1;
  if (kind == kSelY) endCol = -1;
  clampItem(g, kind, endCol, endRow);
  s.dragKind = dragKindFor(kind, 0);
  s.anchorCol = anchorCol;
  s.anchorRow = anchorRow;
  s.endCol = endCol;
  s.endRow = endRow;
  markRange(s, g, kMarkSelected);
  s.dragKind = 0;
  selUpdate(s, g);
}

void selToggleAllCells(TSel& s, const SelGrid& g) {
  int cLo, cHi, rLo, rHi;
  colRange(g, kSelCells, cLo, cHi);
  rowRange(g, kSelCells, rLo, rHi);
  bool all = s.kind == kSelCells;
  for (int r = rLo; all && r <= rHi; ++r)
    for (int c = cLo; all && c <= cHi; ++c) all = s.cell(c, r) & kMarkSelected;
  selClear(s);
  if (!all && cHi >= cLo && rHi >= rLo) selSelectRange(s, g, cLo, rLo, cHi, rHi);
  selUpdate(s, g);
}

void selAllBreakpoints(TSel& s, const SelGrid& g, bool xAxis) {
  int lo, hi;
  if (xAxis) {
    colRange(g, kSelX, lo, hi);
    if (hi >= lo) return selSelectRange(s, g, lo, -1, hi, -1);
  } else {
    rowRange(g, kSelY, lo, hi);
    if (hi >= lo) return selSelectRange(s, g, -1, lo, -1, hi);
  }
  selClear(s);
}

void selRightPress(TSel& s, const SelGrid& g, int col, int row, int dragKind) {
  if (dragKind == kDragColumns) {
    if (col < 0 || col >= g.cols || selColumnFull(s, g, col)) return;
    int rLo, rHi;
    rowRange(g, kSelCells, rLo, rHi);
    selSelectRange(s, g, col, rLo, col, rHi);
    return;
  }
  if (dragKind == kDragRows) {
    if (row < 0 || row >= g.rows || selRowFull(s, g, row)) return;
    int cLo, cHi;
    colRange(g, kSelCells, cLo, cHi);
    selSelectRange(s, g, cLo, row, cHi, row);
    return;
  }
  if (!s.isSelected(col, row)) selSelectOne(s, g, col, row);
}

bool selColumnFull(const TSel& s, const SelGrid& g, int c) {
  if (s.kind != kSelCells || c < 0 || c >= g.cols) return false;
  int rLo, rHi;
  rowRange(g, kSelCells, rLo, rHi);
  if (rHi < rLo) return false;
  for (int r = rLo; r <= rHi; ++r)
    if (!(s.cell(c, r) & kMarkSelected)) return false;
  return true;
}

bool selRowFull(const TSel& s, const SelGrid& g, int r) {
  if (s.kind != kSelCells || r < 0 || r >= g.rows) return false;
  int cLo, cHi;
  colRange(g, kSelCells, cLo, cHi);
  if (cHi < cLo) return false;
  for (int c = cLo; c <= cHi; ++c)
    if (!(s.cell(c, r) & kMarkSelected)) return false;
  return true;
}

void selUpdate(TSel& s, const SelGrid& g) {
  // Marks beyond the used columns and rows (left by an axis that shrank) are dropped, so
  // nothing acts on items outside the sheet.
  for (int c = std::max(0, g.countX); c < kMaxCols; ++c) s.selX[c] = 0;
  for (int r = std::max(0, g.countY); r < kMaxRows; ++r) s.selY[r] = 0;
  for (int r = 0; r < kMaxRows; ++r)
    for (int c = 0; c < kMaxCols; ++c)
      if (c >= g.cols || r >= g.rows) s.cell(c, r) = 0;
  if (s.anchorCol >= std::max(g.cols, g.countX) || s.anchorRow >= std::max(g.rows, g.countY))
    s.anchorCol = s.anchorRow = -2;
  if (s.endCol >= std::max(g.cols, g.countX) || s.endRow >= std::max(g.rows, g.countY))
    s.endCol = s.endRow = -2;
  constexpr int16_t any = kMarkSelected | kMarkInDrag;
  clearMark(s, kMarkCorner);
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
      if (s.cell(c, r) & any) widen(c, r);
  if (s.count > 0) s.kind = kSelCells;
  if (s.count == 0) {
    for (int c = 0; c < kMaxCols; ++c)
      if (s.selX[c] & any) widen(c, -1);
    if (s.count > 0) s.kind = kSelX;
  }
  if (s.count == 0) {
    for (int r = 0; r < kMaxRows; ++r)
      if (s.selY[r] & any) widen(-1, r);
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
    s.cell(s.minCol, s.minRow) |= kMarkCorner;
    s.cell(s.maxCol, s.minRow) |= kMarkCorner;
    s.cell(s.minCol, s.maxRow) |= kMarkCorner;
    s.cell(s.maxCol, s.maxRow) |= kMarkCorner;
  }
}

}  // namespace zeda
