#include "mapedit/sheet.h"

#include <algorithm>

namespace zeda {

int CSheet::CellCols() const {
  int n = std::clamp(axisX.count, 0, kMaxCols);
  return zone ? std::min(n + 1, kMaxCols) : n;
}

int CSheet::CellRows() const {
  int n = std::clamp(axisY.count, 0, kMaxRows);
  return zone ? std::min(n + 1, kMaxRows) : n;
}

CAxe& CSheet::AxisOf(int col, int row) {
  if (row < 0) return axisX;
  if (col < 0) return axisY;
  return axisData;
}

const CAxe& CSheet::AxisOf(int col, int row) const {
  return const_cast<CSheet*>(this)->AxisOf(col, row);
}

int32_t* CSheet::Item(int col, int row) {
  if (row == -1 && col >= 0 && col < std::min(axisX.count, kMaxCols)) return &axisX.values[col];
  if (col == -1 && row >= 0 && row < std::min(axisY.count, kMaxRows)) return &axisY.values[row];
  if (col >= 0 && row >= 0 && col < CellCols() && row < CellRows()) return &Cell(col, row);
  return nullptr;
}

const int32_t* CSheet::Item(int col, int row) const {
  return const_cast<CSheet*>(this)->Item(col, row);
}

SelGrid CSheet::SelectionGrid() const {
  SelGrid g;
  g.cols = CellCols();
  g.rows = CellRows();
  g.countX = std::clamp(axisX.count, 0, kMaxCols);
  g.countY = std::clamp(axisY.count, 0, kMaxRows);
  g.fixedX = axisX.fixed;
  g.fixedY = axisY.fixed;
  g.fixedCol = axisX.fixedIndex;
  g.fixedRow = axisY.fixedIndex;
  return g;
}

void ClampCells(CSheet& s) {
  const int cols = s.CellCols(), rows = s.CellRows();
  const int32_t lo = s.axisData.minValue, hi = std::max(lo, s.axisData.maxValue);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) s.Cell(c, r) = std::clamp(s.Cell(c, r), lo, hi);
}

}  // namespace zeda
