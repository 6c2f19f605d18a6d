#include "mapedit/interpolation.h"

#include <algorithm>

namespace zeda {

void InterpolateRegion(int32_t* cells, int c0, int c1, int r0, int r1, const int32_t* xs,
                       const int32_t* ys) {
  auto at = [cells](int c, int r) -> int32_t& { return cells[r * kRowStride + c]; };
  const double a = at(c0, r0), b = at(c1, r0), c = at(c0, r1), d = at(c1, r1);
  auto xpos = [xs](int i) { return xs ? static_cast<double>(xs[i]) : static_cast<double>(i); };
  auto ypos = [ys](int j) { return ys ? static_cast<double>(ys[j]) : static_cast<double>(j); };
  const double x0 = xpos(c0), x1 = xpos(c1), y0 = ypos(r0), y1 = ypos(r1);
  for (int j = r0; j <= r1; ++j) {
    double w = y1 == y0 ? 0.5 : (ypos(j) - y0) / (y1 - y0);
    for (int i = c0; i <= c1; ++i) {
      double u = x1 == x0 ? 0.5 : (xpos(i) - x0) / (x1 - x0);
      double m = u * (w * d + (1 - w) * b) + (1 - u) * (w * c + (1 - w) * a);
      at(i, j) = RoundHalfAway(m);
    }
  }
}

void InterpolateSheetRegion(CSheet& s, int c0, int c1, int r0, int r1) {
  if (c0 > c1) std::swap(c0, c1);
  if (r0 > r1) std::swap(r0, r1);
  // Zone tables have one column/row beyond the breakpoints: positions by index there.
  bool px = s.axisX.proportional && !s.zone;
  bool py = s.axisY.proportional && !s.zone;
  InterpolateRegion(s.cells.data(), c0, c1, r0, r1, px ? s.axisX.values.data() : nullptr,
                    py ? s.axisY.values.data() : nullptr);
}

void InterpolateRun(int32_t* values, int i0, int i1) {
  if (i0 > i1) std::swap(i0, i1);
  // A single row of the region routine, positions by index.
  InterpolateRegion(values, i0, i1, 0, 0, nullptr, nullptr);
}

}  // namespace zeda
