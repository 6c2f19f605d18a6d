#include "mapedit/sheet.h"

#include <algorithm>

namespace zeda {

int CSheet::cellCols() const {
  int n = std::clamp(axisX.count, 0, kMaxCols);
  return zone ? std::min(n + 1, kMaxCols) : n;
}

int CSheet::cellRows() const {
  int n = std::clamp(axisY.count, 0, kMaxRows);
  return zone ? std::min(n + 1, kMaxRows) : n;
}

CAxe& CSheet::axisOf(int col, int row) {
  if (row < 0) return axisX;
  if (col < 0) return axisY;
  return axisData;
}

const CAxe& CSheet::axisOf(int col, int row) const {
  return const_cast<CSheet*>(this)->axisOf(col, row);
}

int32_t* CSheet::item(int col, int row) {
  if (row == -1 && col >= 0 && col < std::min(axisX.count, kMaxCols)) return &axisX.values[col];
  if (col == -1 && row >= 0 && row < std::min(axisY.count, kMaxRows)) return &axisY.values[row];
  if (col >= 0 && row >= 0 && col < cellCols() && row < cellRows()) return &cell(col, row);
  return nullptr;
}

const int32_t* CSheet::item(int col, int row) const {
  return const_cast<CSheet*>(this)->item(col, row);
}

SelGrid CSheet::selGrid() const {
  SelGrid g;
  g.cols = cellCols();
  g.rows = cellRows();
  g.countX = std::clamp(axisX.count, 0, kMaxCols);
  g.countY = std::clamp(axisY.count, 0, kMaxRows);
  g.fixedX = axisX.fixed;
  g.fixedY = axisY.fixed;
  g.fixedCol = axisX.fixedIndex;
  g.fixedRow = axisY.fixedIndex;
  return g;
}

void clampCells(CSheet& s) {
  const int cols = s.cellCols(), rows = s.cellRows();
  const int32_t lo = s.axisData.minValue, hi = std::max(lo, s.axisData.maxValue);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) s.cell(c, r) = std::clamp(s.cell(c, r), lo, hi);
}

}  // namespace zeda
