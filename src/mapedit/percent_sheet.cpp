#include "mapedit/percent_sheet.h"

#include <algorithm>
#include <limits>

namespace zeda {
namespace {

int Interval(const int32_t* bp, int count, int32_t v) {
  if (count < 2) return 0;
  int j = 0;
  while (j < count - 2 && bp[j + 1] < v) ++j;
  return j;
}

double Fraction(double v, double a, double b) { return a == b ? 0.5 : (v - a) / (b - a); }

}  // namespace

int32_t PercentOf(int64_t a, int64_t b) {
  int64_t p = a * b;
  int64_t r = (p + (p < 0 ? -50 : 50)) / 100;
  return static_cast<int32_t>(std::clamp<int64_t>(r, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void ComputeBaseAtCells(CSheet& s) {
  const int cols = s.CellCols(), rows = s.CellRows();
  const int bx = std::clamp(s.baseCountX, 0, kMaxCols), by = std::clamp(s.baseCountY, 0, kMaxRows);
  if (bx == 0 || by == 0) {
    s.baseAtCells.fill(0);
    return;
  }
  for (int i = 0; i < rows; ++i) {
    int32_t y = s.axisY.values[std::min(i, kMaxRows - 1)];
    int j = Interval(s.baseY.data(), by, y);
    int j1 = std::min(j + 1, by - 1);
    double t = Fraction(y, s.baseY[j], s.baseY[j1]);
    for (int k = 0; k < cols; ++k) {
      int32_t x = s.axisX.values[std::min(k, kMaxCols - 1)];
      int l = Interval(s.baseX.data(), bx, x);
      int l1 = std::min(l + 1, bx - 1);
      double u = Fraction(x, s.baseX[l], s.baseX[l1]);
      auto base = [&s](int c, int r) {
        return static_cast<double>(s.baseCells[r * kRowStride + c]);
      };
      double m = (1 - t) * ((1 - u) * base(l, j) + u * base(l1, j)) +
                 t * ((1 - u) * base(l, j1) + u * base(l1, j1));
      s.baseAtCells[i * kRowStride + k] = RoundHalfAway(m);
    }
  }
}

void ComputeAbsCells(CSheet& s) {
  if (!s.PercentShown()) {
    s.absCells = s.cells;
    return;
  }
  for (int i = 0; i < kMaxCells; ++i) {
    int32_t base = s.baseAtCells[i] == 0 ? 1 : s.baseAtCells[i];
    s.absCells[i] = PercentOf(s.cells[i], base);
  }
}

}  // namespace zeda
