// Fill drag and copy drag of a selected block in the table view.
#include <algorithm>

#include "mapedit/increment.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

// Extends a run of source values [i0, i1] to position i by the slope at its nearer end.
int64_t Extend1D(const int32_t* s, int i0, int i1, int i) {
  if (i < i0) return i1 > i0 ? int64_t{s[i0 + 1] - int64_t{s[i0]}} * (i - i0) + s[i0] : s[i0];
  if (i > i1) return i1 > i0 ? int64_t{i - i1} * (int64_t{s[i1]} - s[i1 - 1]) + s[i1] : s[i1];
  return s[i];
}

void MoveInside(int& lo, int& hi, int limit) {
  if (lo < 0) {
    hi -= lo;
    lo = 0;
  }
  if (hi > limit - 1) {
    lo -= hi - (limit - 1);
    hi = limit - 1;
  }
  lo = std::max(lo, 0);
}

}  // namespace

bool TTab::BeginDrag(int mode) {
  drag.mode = kDragNone;
  if (!HasSheets() || (mode != kDragFill && mode != kDragCopy)) return false;
  CSheet& s = Cur();
  const TSel& sel = s.sel;
  if (sel.count <= 0) return false;
  if (editor.editing) AcceptEditor();
  if (sel.kind == kSelCells && s.axisData.editable) {
    drag.part = kPartCells;
    drag.snapshot = s.cells;
  } else if (sel.kind == kSelX && s.axisX.editable) {
    drag.part = kPartX;
    std::copy(s.axisX.values.begin(), s.axisX.values.end(), drag.snapshot.begin());
  } else if (sel.kind == kSelY && s.axisY.editable) {
    drag.part = kPartY;
    std::copy(s.axisY.values.begin(), s.axisY.values.begin() + kMaxRows, drag.snapshot.begin());
  } else {
    return false;
  }
  drag.mode = mode;
  drag.source = {sel.minCol, sel.maxCol, sel.minRow, sel.maxRow};
  drag.target = drag.source;
  return true;
}

TBlock TTab::DragTarget(int dc, int dr) const {
  TBlock t = drag.source;
  if (drag.mode == kDragNone || !HasSheets()) return t;
  const CSheet& s = Cur();
  bool alongX = drag.part != kPartY && !(drag.part == kPartCells && s.axisX.fixed);
  bool alongY = drag.part != kPartX && !(drag.part == kPartCells && s.axisY.fixed);
  int cols = drag.part == kPartX ? s.axisX.count : s.CellCols();
  int rows = drag.part == kPartY ? s.axisY.count : s.CellRows();
  if (!alongX) dc = 0;
  if (!alongY) dr = 0;
  if (drag.mode == kDragFill) {
    if (dc > 0) t.c1 = std::min(t.c1 + dc, cols - 1);
    if (dc < 0) t.c0 = std::max(t.c0 + dc, 0);
    if (dr > 0) t.r1 = std::min(t.r1 + dr, rows - 1);
    if (dr < 0) t.r0 = std::max(t.r0 + dr, 0);
  } else {
    t.c0 += dc;
    t.c1 += dc;
    t.r0 += dr;
    t.r1 += dr;
    if (alongX) MoveInside(t.c0, t.c1, cols);
    if (alongY) MoveInside(t.r0, t.r1, rows);
  }
  return t;
}

void TTab::FinishDrag(int dc, int dr) {
  if (drag.mode == kDragNone || !HasSheets()) return;
  drag.target = DragTarget(dc, dr);
  WriteDragValues();
  CSheet& s = Cur();
  const TBlock& t = drag.target;
  SelGrid g = s.SelectionGrid();
  if (drag.part == kPartX)
    SelSelectRange(s.sel, g, t.c0, -1, t.c1, -1);
  else if (drag.part == kPartY)
    SelSelectRange(s.sel, g, -1, t.r0, -1, t.r1);
  else
    SelSelectRange(s.sel, g, t.c0, t.r0, t.c1, t.r1);
  int part = drag.part;
  drag.mode = kDragNone;
  CommitEdit(part, kKeyNow);
}

void TTab::WriteDragValues() {
  CSheet& s = Cur();
  const TBlock& src = drag.source;
  const TBlock& t = drag.target;
  const int32_t* snap = drag.snapshot.data();
  if (drag.part == kPartX || drag.part == kPartY) {
    int32_t* v = drag.part == kPartX ? s.axisX.values.data() : s.axisY.values.data();
    int i0 = drag.part == kPartX ? src.c0 : src.r0, i1 = drag.part == kPartX ? src.c1 : src.r1;
    int t0 = drag.part == kPartX ? t.c0 : t.r0, t1 = drag.part == kPartX ? t.c1 : t.r1;
    for (int i = t0; i <= t1; ++i) {
      int64_t value = drag.mode == kDragCopy ? snap[i - t0 + i0] : Extend1D(snap, i0, i1, i);
      v[i] = AddSaturated(0, value);
    }
    return;
  }
  auto snapAt = [snap](int c, int r) -> int64_t { return snap[r * kRowStride + c]; };
  for (int r = t.r0; r <= t.r1; ++r) {
    for (int c = t.c0; c <= t.c1; ++c) {
      int64_t value;
      if (drag.mode == kDragCopy) {
        value = snapAt(c - t.c0 + src.c0, r - t.r0 + src.r0);
      } else {
        // Nearest source cell, then the row slope and the column slope at that end.
        int cc = std::clamp(c, src.c0, src.c1), rc = std::clamp(r, src.r0, src.r1);
        int64_t sx = 0, sy = 0;
        if (c < src.c0 && src.c1 > src.c0) sx = snapAt(src.c0 + 1, rc) - snapAt(src.c0, rc);
        if (c > src.c1 && src.c1 > src.c0) sx = snapAt(src.c1, rc) - snapAt(src.c1 - 1, rc);
        if (r < src.r0 && src.r1 > src.r0) sy = snapAt(cc, src.r0 + 1) - snapAt(cc, src.r0);
        if (r > src.r1 && src.r1 > src.r0) sy = snapAt(cc, src.r1) - snapAt(cc, src.r1 - 1);
        value = snapAt(cc, rc) + (c - cc) * sx + (r - rc) * sy;
      }
      s.Cell(c, r) = AddSaturated(0, value);
    }
  }
}

}  // namespace zeda
