#pragma once
// The 2D graph's geometry for the current sheet: which axis runs horizontally, the curves,
// the automatic ranges with padding and rounding, the tick record in use, the stacking
// offset, and the mapping between raw values and pixels. Built before every drawing and
// every mouse event of the 2D graph; main thread only.
#include <QRectF>
#include <string>
#include <vector>

#include "mapedit/tab_model.h"

namespace zeda {

struct TAxisRange {
  double lo = 0, hi = 1;  // raw units (indices on an axis that is not proportional)
  bool proportional = true;
  double scale = 1;
  // Tick record in use, displayed units: d1 rounding, d2 grid, d4 labels (0: every index).
  double d1 = 1, d2 = 0, d4 = 0;
};

struct TPlot2D {
  bool valid = false;
  bool hIsX = true;           // the horizontal axis is the X axis
  std::vector<int> families;  // family indices drawn (rows when hIsX), one per curve
  int hCount = 0;             // points per curve
  TAxisRange h, v;
  TAxisRange f;       // the family axis (the 3D view's depth), padded like the horizontal one
  double offset = 0;  // raw lift between stacked curves
  QRectF plot;
  bool baseAdvance = false, limiter = false, startLimiter = false, liveRpm = false;

  const CAxe& HAxis(const CSheet& s) const { return hIsX ? s.axisX : s.axisY; }
  const CAxe& FAxis(const CSheet& s) const { return hIsX ? s.axisY : s.axisX; }
  int Col(int hi, int fi) const { return hIsX ? hi : fi; }
  int Row(int hi, int fi) const { return hIsX ? fi : hi; }
  // Position along the horizontal axis of point i (raw value or index).
  double HPos(const CSheet& s, int i) const;
  double X(double hRaw) const { return plot.left() + (hRaw - h.lo) / (h.hi - h.lo) * plot.width(); }
  double Y(double vRaw) const {
    return plot.bottom() - (vRaw - v.lo) / (v.hi - v.lo) * plot.height();
  }
  double HAt(double x) const { return h.lo + (x - plot.left()) / plot.width() * (h.hi - h.lo); }
  double VAt(double y) const { return v.lo + (plot.bottom() - y) / plot.height() * (v.hi - v.lo); }
  double Lift(int curve) const { return (static_cast<int>(families.size()) - curve - 1) * offset; }
};

// Builds the plot of the current sheet inside a view rectangle.
TPlot2D MakePlot2D(const TTab& t, const QRectF& view);

// Label text for a value on an axis labelled every b displayed units ("2k", "0.5" ...).
std::string AxisLabel(double displayed, double b);

// Tick record for a displayed span (the first whose d0 covers it, else the last).
const TickRange* TickRecordFor(const CAxe& a, double span);

}  // namespace zeda
