// Increment and decrement of the selection, the operating point and hovered items.
#include "mapedit/increment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "mapedit/percent_sheet.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

const std::array<double, kLadderPoints>& Ladder() {
  static const std::array<double, kLadderPoints> kPoints = [] {
    std::array<double, kLadderPoints> p{};
    for (int i = 0; i < kLadderPoints; ++i) p[i] = 100.0 * std::pow(1.01, i);
    return p;
  }();
  return kPoints;
}

int32_t PlainStep(int s, double stepSize) {
  double v = std::trunc(s * stepSize);
  if (std::isnan(v)) return 0;
  if (v > 1e9) return 1000000000;
  if (v < -1e9) return -1000000000;
  return static_cast<int32_t>(v);
}

// trunc(s x scale) as a 64-bit step; a huge or broken scale saturates instead of
// overflowing the conversion.
int64_t TruncatedStep(int s, double scale) {
  double v = std::trunc(s * scale);
  if (std::isnan(v)) return 0;
  constexpr double kLimit = 4294967296.0;  // beyond any int32 distance
  return static_cast<int64_t>(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

double LadderPoint(int i) { return Ladder()[i]; }

int32_t AddSaturated(int32_t a, int64_t d) {
  int64_t r = int64_t{a} + d;
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

int32_t GeometricStep(int32_t m, int s, double stepSize) {
  // The ladder is defined on magnitudes: a negative value steps as its mirror image.
  if (m < 0)
    return -GeometricStep(
        m == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : -m, -s,
        stepSize);
  const auto& p = Ladder();
  if (m <= 100 || m >= p[kLadderPoints - 1]) return PlainStep(s, stepSize);
  int i = 1;
  while (i < kLadderPoints && !(p[i - 1] <= m && m < p[i])) ++i;
  // Near the ends of the ladder there is no neighbour to step to.
  if (i >= kLadderPoints || i - 1 + s < 0 || i + s >= kLadderPoints) return PlainStep(s, stepSize);
  double f = (m - p[i - 1]) / (p[i] - p[i - 1]);
  double t = (1 - f) * p[i - 1 + s] + f * p[i + s];
  int64_t rounded = static_cast<int64_t>(std::trunc(t + 5)) / 10 * 10;
  int64_t step = rounded - m;
  if (step == 0) return PlainStep(s, stepSize);
  return static_cast<int32_t>(step);
}

int32_t TTab::CellStep(const CSheet& sh, int col, int row, int s) const {
  int32_t m = sh.Cell(col, row);
  if (sh.flags & kSheetGeometric) return GeometricStep(m, s, sh.axisData.stepSize);
  if (sh.IsPercent() && !sh.percentStored) {
    int32_t step = PercentOf(s, sh.baseAtCells[row * kRowStride + col]);
    if (step == 0) step = s > 0 ? 1 : -1;
    return step;
  }
  return s;
}

void TTab::Increment(int s) {
  if (!HasSheets() || s == 0) return;
  s = s > 0 ? 1 : -1;
  if (editor.editing) AcceptEditor();
  CSheet& sh = Cur();
  TSel& sel = sh.sel;
  if (sel.count > 0) {
    int parts = 0;
    if (sel.kind == kSelX && sh.axisX.editable) {
      for (int c = 0; c < sh.axisX.count; ++c)
        if (sel.selX[c] & kMarkSelected) sh.axisX.values[c] = AddSaturated(sh.axisX.values[c], s);
      parts |= kPartX;
    } else if (sel.kind == kSelY && sh.axisY.editable) {
      for (int r = 0; r < sh.axisY.count; ++r)
        if (sel.selY[r] & kMarkSelected) sh.axisY.values[r] = AddSaturated(sh.axisY.values[r], s);
      parts |= kPartY;
    } else if (sel.kind == kSelCells && sh.axisData.editable) {
      for (int r = 0; r < sh.CellRows(); ++r)
        for (int c = 0; c < sh.CellCols(); ++c)
          if (sel.Cell(c, r) & kMarkSelected)
            sh.Cell(c, r) = AddSaturated(sh.Cell(c, r), CellStep(sh, c, r, s));
      parts |= kPartCells;
    }
    if (parts) CommitEdit(parts, kKeySelection);
    return;
  }
  IncrementOperatingPoint(s);
}

bool TTab::IncrementOperatingPoint(int s) {
  if (!HasSheets() || s == 0) return false;
  s = s > 0 ? 1 : -1;
  if (editor.editing) AcceptEditor();
  CSheet& sh = Cur();
  if (!(sh.flags & kSheetTrackLive) || sh.actualState <= 0) return false;
  if (sh.actualCol == -1 && (sh.flags & kSheetBaseAdvance)) {
    baseAdvance = AddSaturated(baseAdvance, TruncatedStep(s, sh.axisData.scale));
    // Reported as a change of the cells, so the owner copies the overlay back.
    CommitEdit(kPartCells, kKeyBaseAdvance);
    return true;
  }
  int c = sh.actualCol, r = sh.actualRow;
  if (c < 0 || r < 0 || c >= sh.CellCols() || r >= sh.CellRows() || !sh.axisData.editable)
    return false;
  sh.Cell(c, r) = AddSaturated(sh.Cell(c, r), CellStep(sh, c, r, s));
  CommitEdit(kPartCells, kKeyLiveCell);
  return true;
}

void TTab::IncrementItem(int col, int row, int d) {
  if (!HasSheets() || d == 0) return;
  CSheet& sh = Cur();
  if (!sh.Item(col, row) || !ItemEditable(col, row)) return;
  int sign = d > 0 ? 1 : -1;
  int times = d > 0 ? d : -d;
  if (sh.sel.IsSelected(col, row)) {
    // The whole selection of that kind steps, under the selection's key.
    for (int k = 0; k < times; ++k) {
      int parts = 0;
      if (row == -1) {
        for (int c = 0; c < sh.axisX.count; ++c)
          if (sh.sel.selX[c] & kMarkSelected)
            sh.axisX.values[c] = AddSaturated(sh.axisX.values[c], sign);
        parts = kPartX;
      } else if (col == -1) {
        for (int r = 0; r < sh.axisY.count; ++r)
          if (sh.sel.selY[r] & kMarkSelected)
            sh.axisY.values[r] = AddSaturated(sh.axisY.values[r], sign);
        parts = kPartY;
      } else {
        for (int r = 0; r < sh.CellRows(); ++r)
          for (int c = 0; c < sh.CellCols(); ++c)
            if (sh.sel.Cell(c, r) & kMarkSelected)
              sh.Cell(c, r) = AddSaturated(sh.Cell(c, r), CellStep(sh, c, r, sign));
        parts = kPartCells;
      }
      CommitEdit(parts, kKeySelection);
    }
    return;
  }
  int part = row == -1 ? kPartX : col == -1 ? kPartY : kPartCells;
  for (int k = 0; k < times; ++k) {
    int32_t* v = sh.Item(col, row);
    int32_t step = part == kPartCells ? CellStep(sh, col, row, sign) : sign;
    *v = AddSaturated(*v, step);
    CommitEdit(part, KeyOfItem(col, row));
  }
}

void TTab::HoverOver(int col, int row) {
  if (hover.pressed && (col != hover.col || row != hover.row)) return;  // held elsewhere
  bool shown = ItemEditable(col, row);
  if (shown != hover.shown || col != hover.col || row != hover.row) {
    if (host) host->RequestRedraw(1);
  }
  hover.col = col;
  hover.row = row;
  hover.shown = shown;
}

void TTab::HoverPress(int col, int row, int sign) {
  hover.col = col;
  hover.row = row;
  hover.shown = true;
  hover.pressed = sign > 0 ? 1 : -1;
  hover.pressTick = tick;
  hover.repeating = false;
  hover.repeatTicks = 0;
}

void TTab::HoverRelease() {
  if (hover.pressed && !hover.repeating) IncrementItem(hover.col, hover.row, hover.pressed);
  hover.pressed = 0;
  hover.repeating = false;
  hover.repeatTicks = 0;
}

void TTab::HoverTick() {
  if (!hover.pressed || !HasSheets()) return;
  if (tick - hover.pressTick < kRepeatDelayTicks) return;
  hover.repeating = true;
  const CSheet& sh = Cur();
  uint32_t accel = hover.row == -1   ? kSheetAccelX
                   : hover.col == -1 ? kSheetAccelY
                                     : kSheetAccelCells;
  int k = hover.repeatTicks++;
  int d = 1;
  if (k >= kRepeatSlowTicks && (sh.flags & accel)) d = (k % 2 == 0) ? 10 : 0;
  if (d) IncrementItem(hover.col, hover.row, hover.pressed * d);
}

void TTab::HoverWheel(int sign) {
  if (!hover.shown || sign == 0) return;
  IncrementItem(hover.col, hover.row, sign > 0 ? 1 : -1);
}

}  // namespace zeda
