// Structural edits: insertion and deletion of columns and rows, interpolation, axis use
// and switching a sheet on and off. Each commits at once.
#include <algorithm>
#include <vector>

#include "mapedit/interpolation.h"
#include "mapedit/lang_select.h"
#include "mapedit/messages.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

int32_t Mean(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); }

// The new breakpoint at b after the others moved up (n = count before the insertion).
void PlaceNewBreakpoint(CAxe& a, int b, int n) {
  auto& v = a.values;
  if (b > 0 && b < n) {
    v[b] = Mean(v[b - 1], v[b + 1]);
  } else if (b == 0) {
    if (n > 0) v[0] = v[1];
  } else if (v[b] <= v[b - 1]) {
    // Appended: keep the value stored there unless it is not above its neighbour.
    v[b] = v[b - 1];
  }
}

void InsertIntoAxis(CAxe& a, int b) {
  int n = a.count;
  for (int i = n; i > b; --i) a.values[i] = a.values[i - 1];
  PlaceNewBreakpoint(a, b, n);
  a.pushed.fill(false);
  ++a.count;
}

void RemoveFromAxis(CAxe& a, int i) {
  for (int k = i; k + 1 < a.count; ++k) a.values[k] = a.values[k + 1];
  a.pushed.fill(false);
  --a.count;
}

// New cell between two neighbours along a line: mean, or a copy of the only neighbour.
int32_t NewCell(bool hasLow, int32_t low, bool hasHigh, int32_t high) {
  if (hasLow && hasHigh) return Mean(low, high);
  return hasHigh ? high : hasLow ? low : 0;
}

}  // namespace

bool TTab::InsertColumn(int b) {
  if (!HasSheets()) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = Cur();
  CAxe& x = s.axisX;
  if (!x.resizable) return false;
  if (x.count >= x.maxCount || x.count >= kMaxCols) {
    ShowMessage(mapedit_msg::kColumnsAtMaximum);
    return false;
  }
  b = std::clamp(b, 0, x.count);
  int oldCols = s.CellCols(), rows = s.CellRows();
  InsertIntoAxis(x, b);
  int newCols = s.CellCols();
  for (int r = 0; r < rows; ++r) {
    for (int c = std::min(oldCols, newCols - 1); c > b; --c) s.Cell(c, r) = s.Cell(c - 1, r);
    bool low = b > 0, high = b + 1 < newCols;
    s.Cell(b, r) = NewCell(low, low ? s.Cell(b - 1, r) : 0, high, high ? s.Cell(b + 1, r) : 0);
  }
  SelClear(s.sel);
  SelGrid g = s.SelectionGrid();
  if (b < g.cols) {
    if (s.axisY.fixed)
      SelSelectOne(s.sel, g, b, s.axisY.fixedIndex);
    else
      SelSelectRange(s.sel, g, b, 0, b, std::max(0, g.rows - 1));
  }
  Rebuild();
  ScrollTo(b, -1);
  CommitEdit(kPartX | kPartCells, kKeyNow);
  return true;
}

bool TTab::InsertRow(int b) {
  if (!HasSheets()) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = Cur();
  CAxe& y = s.axisY;
  if (!y.resizable) return false;
  if (y.count >= y.maxCount || y.count >= kMaxRows) {
    ShowMessage(mapedit_msg::kRowsAtMaximum);
    return false;
  }
  b = std::clamp(b, 0, y.count);
  int oldRows = s.CellRows(), cols = s.CellCols();
  InsertIntoAxis(y, b);
  int newRows = s.CellRows();
  for (int c = 0; c < cols; ++c) {
    for (int r = std::min(oldRows, newRows - 1); r > b; --r) s.Cell(c, r) = s.Cell(c, r - 1);
    bool low = b > 0, high = b + 1 < newRows;
    s.Cell(c, b) = NewCell(low, low ? s.Cell(c, b - 1) : 0, high, high ? s.Cell(c, b + 1) : 0);
  }
  SelClear(s.sel);
  SelGrid g = s.SelectionGrid();
  if (b < g.rows) {
    if (s.axisX.fixed)
      SelSelectOne(s.sel, g, s.axisX.fixedIndex, b);
    else
      SelSelectRange(s.sel, g, 0, b, std::max(0, g.cols - 1), b);
  }
  Rebuild();
  ScrollTo(-1, b);
  CommitEdit(kPartY | kPartCells, kKeyNow);
  return true;
}

namespace {

bool DeleteColumnRaw(CSheet& s, int i) {
  CAxe& x = s.axisX;
  if (!x.resizable || x.fixed || x.count <= x.minCount || i < 0 || i >= x.count) return false;
  int cols = s.CellCols(), rows = s.CellRows();
  RemoveFromAxis(x, i);
  for (int r = 0; r < rows; ++r)
    for (int c = i; c + 1 < cols; ++c) s.Cell(c, r) = s.Cell(c + 1, r);
  for (int c = i; c + 1 < kMaxCols; ++c) {
    s.sel.selX[c] = s.sel.selX[c + 1];
    for (int r = 0; r < kMaxRows; ++r) s.sel.Cell(c, r) = s.sel.Cell(c + 1, r);
  }
  s.sel.selX[kMaxCols - 1] = 0;
  for (int r = 0; r < kMaxRows; ++r) s.sel.Cell(kMaxCols - 1, r) = 0;
  return true;
}

bool DeleteRowRaw(CSheet& s, int i) {
  CAxe& y = s.axisY;
  if (!y.resizable || y.fixed || y.count <= y.minCount || i < 0 || i >= y.count) return false;
  int cols = s.CellCols(), rows = s.CellRows();
  RemoveFromAxis(y, i);
  for (int r = i; r + 1 < rows; ++r)
    for (int c = 0; c < cols; ++c) s.Cell(c, r) = s.Cell(c, r + 1);
  for (int r = i; r + 1 < kMaxRows; ++r) {
    s.sel.selY[r] = s.sel.selY[r + 1];
    for (int c = 0; c < kMaxCols; ++c) s.sel.Cell(c, r) = s.sel.Cell(c, r + 1);
  }
  s.sel.selY[kMaxRows - 1] = 0;
  for (int c = 0; c < kMaxCols; ++c) s.sel.Cell(c, kMaxRows - 1) = 0;
  return true;
}

std::vector<int> QualifyingColumns(const CSheet& s) {
  std::vector<int> out;
  const CAxe& x = s.axisX;
  if (!x.resizable || x.fixed) return out;
  SelGrid g = s.SelectionGrid();
  for (int c = 0; c < x.count; ++c) {
    if (s.sel.kind == kSelCells ? SelColumnFull(s.sel, g, c)
                                : s.sel.kind == kSelX && (s.sel.selX[c] & kMarkSelected))
      out.push_back(c);
  }
  return out;
}

std::vector<int> QualifyingRows(const CSheet& s) {
  std::vector<int> out;
  const CAxe& y = s.axisY;
  if (!y.resizable || y.fixed) return out;
  SelGrid g = s.SelectionGrid();
  for (int r = 0; r < y.count; ++r) {
    if (s.sel.kind == kSelCells ? SelRowFull(s.sel, g, r)
                                : s.sel.kind == kSelY && (s.sel.selY[r] & kMarkSelected))
      out.push_back(r);
  }
  return out;
}

}  // namespace

bool TTab::DeleteColumn(int i) {
  if (!HasSheets()) return false;
  if (editor.editing) AcceptEditor();
  if (!DeleteColumnRaw(Cur(), i)) return false;
  Rebuild();
  CommitEdit(kPartX | kPartCells, kKeyNow);
  return true;
}

bool TTab::DeleteRow(int i) {
  if (!HasSheets()) return false;
  if (editor.editing) AcceptEditor();
  if (!DeleteRowRaw(Cur(), i)) return false;
  Rebuild();
  CommitEdit(kPartY | kPartCells, kKeyNow);
  return true;
}

int TTab::DeletableColumns() const {
  return HasSheets() ? static_cast<int>(QualifyingColumns(Cur()).size()) : 0;
}

int TTab::DeletableRows() const {
  return HasSheets() ? static_cast<int>(QualifyingRows(Cur()).size()) : 0;
}

bool TTab::CanDeleteColumns() const {
  int q = DeletableColumns();
  return q > 0 && q < Cur().axisX.count;
}

bool TTab::CanDeleteRows() const {
  int q = DeletableRows();
  return q > 0 && q < Cur().axisY.count;
}

namespace {
std::string DeleteText(int n, const char* one, const char* several) {
  if (n == 1) return MapeditText(one);
  return MapeditText(several) + " (" + std::to_string(n) + ")";
}
}  // namespace

std::string TTab::DeleteColumnsText() const {
  if (!CanDeleteColumns()) return {};
  return DeleteText(DeletableColumns(), mapedit_msg::kDeleteColumn, mapedit_msg::kDeleteColumns);
}

std::string TTab::DeleteRowsText() const {
  if (!CanDeleteRows()) return {};
  return DeleteText(DeletableRows(), mapedit_msg::kDeleteRow, mapedit_msg::kDeleteRows);
}

int TTab::DeleteSelectedColumns() {
  if (!HasSheets()) return 0;
  if (editor.editing) AcceptEditor();
  CSheet& s = Cur();
  std::vector<int> cols = QualifyingColumns(s);
  int done = 0;
  // From the right, so the indices still to come stay valid.
  for (auto it = cols.rbegin(); it != cols.rend(); ++it) {
    if (s.axisX.count <= s.axisX.minCount) break;
    if (DeleteColumnRaw(s, *it)) ++done;
  }
  SelClear(s.sel);
  Rebuild();
  if (done) CommitEdit(kPartX | kPartCells, kKeyNow);
  return done;
}

int TTab::DeleteSelectedRows() {
  if (!HasSheets()) return 0;
  if (editor.editing) AcceptEditor();
  CSheet& s = Cur();
  std::vector<int> rows = QualifyingRows(s);
  int done = 0;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (s.axisY.count <= s.axisY.minCount) break;
    if (DeleteRowRaw(s, *it)) ++done;
  }
  SelClear(s.sel);
  Rebuild();
  if (done) CommitEdit(kPartY | kPartCells, kKeyNow);
  return done;
}

int TTab::InsertIndexAt(int mouse, int gridStart, int cellSize, int scrollPos, int count) {
  int b = scrollPos;
  if (cellSize > 0) b = (mouse - gridStart + cellSize / 2) / cellSize + scrollPos;
  // A click beside the grid inserts at its nearest end, never outside the axis.
  return std::clamp(b, 0, std::max(0, count));
}

bool TTab::CanInterpolate() const {
  if (!HasSheets()) return false;
  const TSel& sel = Cur().sel;
  if (!sel.blockValid || sel.count <= 2) return false;
  const CSheet& s = Cur();
  if (sel.kind == kSelCells) return s.axisData.editable;
  if (sel.kind == kSelX) return s.axisX.editable;
  if (sel.kind == kSelY) return s.axisY.editable;
  return false;
}

bool TTab::Interpolate() {
  if (!CanInterpolate()) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = Cur();
  TSel& sel = s.sel;
  int part;
  if (sel.kind == kSelCells) {
    InterpolateSheetRegion(s, sel.blockC0, sel.blockC1, sel.blockR0, sel.blockR1);
    part = kPartCells;
  } else if (sel.kind == kSelX) {
    InterpolateRun(s.axisX.values.data(), sel.blockC0, sel.blockC1);
    part = kPartX;
  } else {
    InterpolateRun(s.axisY.values.data(), sel.blockR0, sel.blockR1);
    part = kPartY;
  }
  SelClear(sel);
  SelUpdate(sel, s.SelectionGrid());
  CommitEdit(part, kKeyNow);
  return true;
}

bool TTab::CanUseOnlyX() const {
  return HasSheets() && Cur().axisX.fixMode < 2 && Cur().axisY.fixMode != 0;
}
bool TTab::CanUseOnlyY() const {
  return HasSheets() && Cur().axisX.fixMode != 0 && Cur().axisY.fixMode < 2;
}
bool TTab::CanUseBoth() const {
  return HasSheets() && Cur().axisX.fixMode < 2 && Cur().axisY.fixMode < 2;
}

namespace {
void ApplyAxisUse(TTab& t, bool fixX, bool fixY) {
  CSheet& s = t.Cur();
  s.axisX.fixed = fixX;
  s.axisY.fixed = fixY;
  // Items that are no longer shown must not stay selected.
  SelClear(s.sel);
  t.SelectSheet(t.current);
  t.CommitEdit(kPartAll, kKeyNow);
}
}  // namespace

bool TTab::UseOnlyX() {
  if (!CanUseOnlyX()) return false;
  ApplyAxisUse(*this, false, true);
  return true;
}

bool TTab::UseOnlyY() {
  if (!CanUseOnlyY()) return false;
  ApplyAxisUse(*this, true, false);
  return true;
}

bool TTab::UseBoth() {
  if (!CanUseBoth()) return false;
  ApplyAxisUse(*this, false, false);
  return true;
}

bool TTab::ToggleSheet() {
  if (!HasSheets() || !(Cur().flags & kSheetSwitchable)) return false;
  if (editor.editing) AcceptEditor();
  Cur().enabled = !Cur().enabled;
  CommitEdit(kPartAll, kKeyNow);
  return true;
}

}  // namespace zeda
