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

int32_t mean(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); }

// The new breakpoint at b after the others moved up (n = count before the insertion).
void placeNewBreakpoint(CAxe& a, int b, int n) {
  auto& v = a.values;
  if (b > 0 && b < n) {
    v[b] = mean(v[b - 1], v[b + 1]);
  } else if (b == 0) {
    if (n > 0) v[0] = v[1];
  } else if (v[b] <= v[b - 1]) {
    // Appended: keep the value stored there unless it is not above its neighbour.
    v[b] = v[b - 1];
  }
}

void insertIntoAxis(CAxe& a, int b) {
  int n = a.count;
  for (int i = n; i > b; --i) a.values[i] = a.values[i - 1];
  placeNewBreakpoint(a, b, n);
  a.pushed.fill(false);
  ++a.count;
}

void removeFromAxis(CAxe& a, int i) {
  for (int k = i; k + 1 < a.count; ++k) a.values[k] = a.values[k + 1];
  a.pushed.fill(false);
  --a.count;
}

// New cell between two neighbours along a line: mean, or a copy of the only neighbour.
int32_t newCell(bool hasLow, int32_t low, bool hasHigh, int32_t high) {
  if (hasLow && hasHigh) return mean(low, high);
  return hasHigh ? high : hasLow ? low : 0;
}

}  // namespace

bool TTab::InsertColumn(int b) {
  if (!hasSheets()) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = cur();
  CAxe& X = s.axisX;
  if (!X.resizable) return false;
  if (X.count >= X.maxCount || X.count >= kMaxCols) {
    showMessage(mapedit_msg::kColumnsAtMaximum);
    return false;
  }
  b = std::clamp(b, 0, X.count);
  int oldCols = s.cellCols(), rows = s.cellRows();
  insertIntoAxis(X, b);
  int newCols = s.cellCols();
  for (int r = 0; r < rows; ++r) {
    for (int c = std::min(oldCols, newCols - 1); c > b; --c) s.cell(c, r) = s.cell(c - 1, r);
    bool low = b > 0, high = b + 1 < newCols;
    s.cell(b, r) = newCell(low, low ? s.cell(b - 1, r) : 0, high, high ? s.cell(b + 1, r) : 0);
  }
  selClear(s.sel);
  SelGrid g = s.selGrid();
  if (b < g.cols) {
    if (s.axisY.fixed)
      selSelectOne(s.sel, g, b, s.axisY.fixedIndex);
    else
      selSelectRange(s.sel, g, b, 0, b, std::max(0, g.rows - 1));
  }
  Rebuild();
  ScrollTo(b, -1);
  CommitEdit(kPartX | kPartCells, kKeyNow);
  return true;
}

bool TTab::InsertRow(int b) {
  if (!hasSheets()) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = cur();
  CAxe& Y = s.axisY;
  if (!Y.resizable) return false;
  if (Y.count >= Y.maxCount || Y.count >= kMaxRows) {
    showMessage(mapedit_msg::kRowsAtMaximum);
    return false;
  }
  b = std::clamp(b, 0, Y.count);
  int oldRows = s.cellRows(), cols = s.cellCols();
  insertIntoAxis(Y, b);
  int newRows = s.cellRows();
  for (int c = 0; c < cols; ++c) {
    for (int r = std::min(oldRows, newRows - 1); r > b; --r) s.cell(c, r) = s.cell(c, r - 1);
    bool low = b > 0, high = b + 1 < newRows;
    s.cell(c, b) = newCell(low, low ? s.cell(c, b - 1) : 0, high, high ? s.cell(c, b + 1) : 0);
  }
  selClear(s.sel);
  SelGrid g = s.selGrid();
  if (b < g.rows) {
    if (s.axisX.fixed)
      selSelectOne(s.sel, g, s.axisX.fixedIndex, b);
    else
      selSelectRange(s.sel, g, 0, b, std::max(0, g.cols - 1), b);
  }
  Rebuild();
  ScrollTo(-1, b);
  CommitEdit(kPartY | kPartCells, kKeyNow);
  return true;
}

namespace {

bool deleteColumnRaw(CSheet& s, int i) {
  CAxe& X = s.axisX;
  if (!X.resizable || X.fixed || X.count <= X.minCount || i < 0 || i >= X.count) return false;
  int cols = s.cellCols(), rows = s.cellRows();
  removeFromAxis(X, i);
  for (int r = 0; r < rows; ++r)
    for (int c = i; c + 1 < cols; ++c) s.cell(c, r) = s.cell(c + 1, r);
  for (int c = i; c + 1 < kMaxCols; ++c) {
    s.sel.selX[c] = s.sel.selX[c + 1];
    for (int r = 0; r < kMaxRows; ++r) s.sel.cell(c, r) = s.sel.cell(c + 1, r);
  }
  s.sel.selX[kMaxCols - 1] = 0;
  for (int r = 0; r < kMaxRows; ++r) s.sel.cell(kMaxCols - 1, r) = 0;
  return true;
}

bool deleteRowRaw(CSheet& s, int i) {
  CAxe& Y = s.axisY;
  if (!Y.resizable || Y.fixed || Y.count <= Y.minCount || i < 0 || i >= Y.count) return false;
  int cols = s.cellCols(), rows = s.cellRows();
  removeFromAxis(Y, i);
  for (int r = i; r + 1 < rows; ++r)
    for (int c = 0; c < cols; ++c) s.cell(c, r) = s.cell(c, r + 1);
  for (int r = i; r + 1 < kMaxRows; ++r) {
    s.sel.selY[r] = s.sel.selY[r + 1];
    for (int c = 0; c < kMaxCols; ++c) s.sel.cell(c, r) = s.sel.cell(c, r + 1);
  }
  s.sel.selY[kMaxRows - 1] = 0;
  for (int c = 0; c < kMaxCols; ++c) s.sel.cell(c, kMaxRows - 1) = 0;
  return true;
}

std::vector<int> qualifyingColumns(const CSheet& s) {
  std::vector<int> out;
  const CAxe& X = s.axisX;
  if (!X.resizable || X.fixed) return out;
  SelGrid g = s.selGrid();
  for (int c = 0; c < X.count; ++c) {
    if (s.sel.kind == kSelCells ? selColumnFull(s.sel, g, c)
                                : s.sel.kind == kSelX && (s.sel.selX[c] & kMarkSelected))
      out.push_back(c);
  }
  return out;
}

std::vector<int> qualifyingRows(const CSheet& s) {
  std::vector<int> out;
  const CAxe& Y = s.axisY;
  if (!Y.resizable || Y.fixed) return out;
  SelGrid g = s.selGrid();
  for (int r = 0; r < Y.count; ++r) {
    if (s.sel.kind == kSelCells ? selRowFull(s.sel, g, r)
                                : s.sel.kind == kSelY && (s.sel.selY[r] & kMarkSelected))
      out.push_back(r);
  }
  return out;
}

}  // namespace

bool TTab::DeleteColumn(int i) {
  if (!hasSheets()) return false;
  if (editor.editing) AcceptEditor();
  if (!deleteColumnRaw(cur(), i)) return false;
  Rebuild();
  CommitEdit(kPartX | kPartCells, kKeyNow);
  return true;
}

bool TTab::DeleteRow(int i) {
  if (!hasSheets()) return false;
  if (editor.editing) AcceptEditor();
  if (!deleteRowRaw(cur(), i)) return false;
  Rebuild();
  CommitEdit(kPartY | kPartCells, kKeyNow);
  return true;
}

int TTab::DeletableColumns() const {
  return hasSheets() ? static_cast<int>(qualifyingColumns(cur()).size()) : 0;
}

int TTab::DeletableRows() const {
  return hasSheets() ? static_cast<int>(qualifyingRows(cur()).size()) : 0;
}

bool TTab::CanDeleteColumns() const {
  int q = DeletableColumns();
  return q > 0 && q < cur().axisX.count;
}

bool TTab::CanDeleteRows() const {
  int q = DeletableRows();
  return q > 0 && q < cur().axisY.count;
}

namespace {
std::string deleteText(int n, const char* one, const char* several) {
  if (n == 1) return mapeditText(one);
  return mapeditText(several) + " (" + std::to_string(n) + ")";
}
}  // namespace

std::string TTab::DeleteColumnsText() const {
  if (!CanDeleteColumns()) return {};
  return deleteText(DeletableColumns(), mapedit_msg::kDeleteColumn, mapedit_msg::kDeleteColumns);
}

std::string TTab::DeleteRowsText() const {
  if (!CanDeleteRows()) return {};
  return deleteText(DeletableRows(), mapedit_msg::kDeleteRow, mapedit_msg::kDeleteRows);
}

int TTab::DeleteSelectedColumns() {
  if (!hasSheets()) return 0;
  if (editor.editing) AcceptEditor();
  CSheet& s = cur();
  std::vector<int> cols = qualifyingColumns(s);
  int done = 0;
  // From the right, so the indices still to come stay valid.
  for (auto it = cols.rbegin(); it != cols.rend(); ++it) {
    if (s.axisX.count <= s.axisX.minCount) break;
    if (deleteColumnRaw(s, *it)) ++done;
  }
  selClear(s.sel);
  Rebuild();
  if (done) CommitEdit(kPartX | kPartCells, kKeyNow);
  return done;
}

int TTab::DeleteSelectedRows() {
  if (!hasSheets()) return 0;
  if (editor.editing) AcceptEditor();
  CSheet& s = cur();
  std::vector<int> rows = qualifyingRows(s);
  int done = 0;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (s.axisY.count <= s.axisY.minCount) break;
    if (deleteRowRaw(s, *it)) ++done;
  }
  selClear(s.sel);
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
  if (!hasSheets()) return false;
  const TSel& sel = cur().sel;
  if (!sel.blockValid || sel.count <= 2) return false;
  const CSheet& s = cur();
  if (sel.kind == kSelCells) return s.axisData.editable;
  if (sel.kind == kSelX) return s.axisX.editable;
  if (sel.kind == kSelY) return s.axisY.editable;
  return false;
}

bool TTab::Interpolate() {
  if (!CanInterpolate()) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = cur();
  TSel& sel = s.sel;
  int part;
  if (sel.kind == kSelCells) {
    interpolateSheetRegion(s, sel.blockC0, sel.blockC1, sel.blockR0, sel.blockR1);
    part = kPartCells;
  } else if (sel.kind == kSelX) {
    interpolateRun(s.axisX.values.data(), sel.blockC0, sel.blockC1);
    part = kPartX;
  } else {
    interpolateRun(s.axisY.values.data(), sel.blockR0, sel.blockR1);
    part = kPartY;
  }
  selClear(sel);
  selUpdate(sel, s.selGrid());
  CommitEdit(part, kKeyNow);
  return true;
}

bool TTab::CanUseOnlyX() const {
  return hasSheets() && cur().axisX.fixMode < 2 && cur().axisY.fixMode != 0;
}
bool TTab::CanUseOnlyY() const {
  return hasSheets() && cur().axisX.fixMode != 0 && cur().axisY.fixMode < 2;
}
bool TTab::CanUseBoth() const {
  return hasSheets() && cur().axisX.fixMode < 2 && cur().axisY.fixMode < 2;
}

namespace {
void applyAxisUse(TTab& t, bool fixX, bool fixY) {
  CSheet& s = t.cur();
  s.axisX.fixed = fixX;
  s.axisY.fixed = fixY;
  // Items that are no longer shown must not stay selected.
  selClear(s.sel);
  t.SelectSheet(t.current);
  t.CommitEdit(kPartAll, kKeyNow);
}
}  // namespace

bool TTab::UseOnlyX() {
  if (!CanUseOnlyX()) return false;
  applyAxisUse(*this, false, true);
  return true;
}

bool TTab::UseOnlyY() {
  if (!CanUseOnlyY()) return false;
  applyAxisUse(*this, true, false);
  return true;
}

bool TTab::UseBoth() {
  if (!CanUseBoth()) return false;
  applyAxisUse(*this, false, false);
  return true;
}

bool TTab::ToggleSheet() {
  if (!hasSheets() || !(cur().flags & kSheetSwitchable)) return false;
  if (editor.editing) AcceptEditor();
  cur().enabled = !cur().enabled;
  CommitEdit(kPartAll, kKeyNow);
  return true;
}

}  // namespace zeda
