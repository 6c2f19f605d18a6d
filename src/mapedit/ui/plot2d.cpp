// Ranges, ticks and stacking of the 2D graph.
#include "mapedit/ui/plot2d.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zeda {
namespace {

// The sheets drawn together with the current one on an axis: enabled, shown, sharing a
// group bit and placing breakpoints the same way.
std::vector<const CSheet*> GroupSheets(const TTab& t, bool xAxis) {
  std::vector<const CSheet*> out{&t.Cur()};
  const CAxe& mine = xAxis ? t.Cur().axisX : t.Cur().axisY;
  for (int i = 0; i < t.sheetCount; ++i) {
    if (i == t.current) continue;
    const CSheet& o = t.Sheet(i);
    const CAxe& a = xAxis ? o.axisX : o.axisY;
    if (o.enabled && !o.hidden && (a.groupMask & mine.groupMask) &&
        a.proportional == mine.proportional)
      out.push_back(&o);
  }
  return out;
}

void PadAndRound(TAxisRange& r, bool dataNonNegative, bool dataNonPositive) {
  if (!r.proportional || r.d1 <= 0) return;
  double lo = r.lo * r.scale - 0.2 * r.d1, hi = r.hi * r.scale + 0.2 * r.d1;
  if (dataNonNegative) lo = std::max(lo, 0.0);
  if (dataNonPositive) hi = std::min(hi, 0.0);
  lo = std::floor(lo / r.d1) * r.d1;
  hi = std::ceil(hi / r.d1) * r.d1;
  if (hi <= lo) hi = lo + r.d1;
  r.lo = lo / r.scale;
  r.hi = hi / r.scale;
}

void ChooseTicks(TAxisRange& r, const CAxe& a) {
  const TickRange* rec = TickRecordFor(a, (r.hi - r.lo) * r.scale);
  if (!a.proportional || !rec) {
    r.d1 = rec ? rec->d[1] : 1;
    r.d2 = r.d4 = 0;  // every breakpoint
    return;
  }
  r.d1 = rec->d[1];
  r.d2 = rec->d[2];
  r.d4 = rec->d[4];
}

}  // namespace

const TickRange* TickRecordFor(const CAxe& a, double span) {
  if (a.tickRangeCount <= 0) return nullptr;
  for (int i = 0; i < a.tickRangeCount; ++i)
    if (a.tickRanges[i].d[0] >= span) return &a.tickRanges[i];
  return &a.tickRanges[a.tickRangeCount - 1];
}

std::string AxisLabel(double v, double b) {
  char buf[64];
  if (b < 0.001)
    std::snprintf(buf, sizeof buf, "%.2lfm", v * 1000);
  else if (b < 0.01)
    std::snprintf(buf, sizeof buf, "%.0lfm", v * 1000);
  else if (b < 0.1)
    std::snprintf(buf, sizeof buf, "%.2lf", v);
  else if (b < 1)
    std::snprintf(buf, sizeof buf, "%.1lf", v);
  else if (b < 1000)
    std::snprintf(buf, sizeof buf, "%.0lf", v);
  else if (b < 1000000)
    std::snprintf(buf, sizeof buf, "%.0lfk", v / 1000);
  else
    std::snprintf(buf, sizeof buf, "%.0lfM", v / 1000000);
  return buf;
}

double TPlot2D::HPos(const CSheet& s, int i) const {
  const CAxe& a = HAxis(s);
  return a.proportional ? a.values[i] : i;
}

TPlot2D MakePlot2D(const TTab& t, const QRectF& view) {
  TPlot2D p;
  if (!t.HasSheets()) return p;
  const CSheet& s = t.Cur();
  const bool xFixed = s.axisX.fixed, yFixed = s.axisY.fixed;
  if (xFixed && !yFixed)
    p.hIsX = false;
  else if (yFixed)
    p.hIsX = true;
  else
    p.hIsX = !(s.flags & kSheetYHorizontal);
  const CAxe& h = p.HAxis(s);
  const CAxe& f = p.FAxis(s);
  p.hCount = std::clamp(h.count, 0, p.hIsX ? kMaxCols : kMaxRows);
  if (f.fixed)
    p.families = {f.fixedIndex};
  else
    for (int i = 0; i < f.count; ++i) p.families.push_back(i);
  if (p.hCount <= 0 || p.families.empty()) return p;

  // Horizontal range over the group.
  p.h.proportional = h.proportional;
  p.h.scale = h.scale;
  if (h.proportional) {
    double lo = 1e300, hi = -1e300;
    for (const CSheet* o : GroupSheets(t, p.hIsX)) {
      const CAxe& a = p.hIsX ? o->axisX : o->axisY;
      for (int i = 0; i < a.count; ++i)
        lo = std::min(lo, double(a.values[i])), hi = std::max(hi, double(a.values[i]));
    }
    p.h.lo = lo;
    p.h.hi = hi;
  } else {
    p.h.lo = 0;
    p.h.hi = p.hCount - 1;
  }
  const bool rpm = h.label == "RPM" || h.key == "RPM";
  p.baseAdvance = (s.flags & kSheetBaseAdvance) && rpm && p.hIsX;
  p.limiter = (s.flags & kSheetLimiter) && rpm && p.hIsX;
  p.startLimiter = (s.flags & kSheetStartLimiter) && rpm && p.hIsX;
  p.liveRpm = (s.flags & kSheetTrackLive) && rpm && p.hIsX;
  if (p.baseAdvance) p.h.lo = std::min(p.h.lo, 0.0);
  if (p.limiter && h.scale != 0)
    p.h.lo = std::min(p.h.lo, t.limiter / h.scale), p.h.hi = std::max(p.h.hi, t.limiter / h.scale);
  if (p.startLimiter && h.scale != 0)
    p.h.lo = std::min(p.h.lo, t.startLimiter / h.scale),
    p.h.hi = std::max(p.h.hi, t.startLimiter / h.scale);

  // Family range over the group, as the horizontal one.
  p.f.proportional = f.proportional;
  p.f.scale = f.scale;
  if (f.proportional) {
    double lo = 1e300, hi = -1e300;
    for (const CSheet* o : GroupSheets(t, !p.hIsX)) {
      const CAxe& a = p.hIsX ? o->axisY : o->axisX;
      for (int i = 0; i < a.count; ++i)
        lo = std::min(lo, double(a.values[i])), hi = std::max(hi, double(a.values[i]));
    }
    p.f.lo = lo;
    p.f.hi = hi;
  } else {
    p.f.lo = 0;
    p.f.hi = std::max(0, f.count - 1);
  }

  // Data range, neighbour increase and the first curve's largest value.
  const CAxe& d = s.axisData;
  p.v.scale = d.scale;
  p.v.proportional = true;
  double lo = 1e300, hi = -1e300, maxInc = 0, firstMax = -1e300;
  for (const CSheet* o : GroupSheets(t, p.hIsX)) {
    for (size_t k = 0; k < p.families.size(); ++k)
      for (int i = 0; i < p.hCount; ++i) {
        const double v = o->Cell(p.Col(i, p.families[k]), p.Row(i, p.families[k]));
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (o == &s && k == 0) firstMax = std::max(firstMax, v);
        if (o == &s && k > 0)
          maxInc = std::max(maxInc,
                            v - o->Cell(p.Col(i, p.families[k - 1]), p.Row(i, p.families[k - 1])));
      }
  }
  if (p.baseAdvance && d.scale != 0)
    lo = std::min(lo, t.baseAdvance / d.scale), hi = std::max(hi, t.baseAdvance / d.scale);
  p.v.lo = lo;
  p.v.hi = hi;

  ChooseTicks(p.h, h);
  ChooseTicks(p.v, d);
  // At least max(d1 of the first record / scale, 2) raw units.
  auto widen = [](TAxisRange& r, const CAxe& a) {
    double minSpan = 2;
    if (a.tickRangeCount > 0 && a.scale != 0)
      minSpan = std::max(minSpan, a.tickRanges[0].d[1] / a.scale);
    if (!r.proportional) minSpan = 1;
    if (r.hi - r.lo < minSpan) {
      const double mid = (r.hi + r.lo) / 2;
      r.lo = mid - minSpan / 2;
      r.hi = mid + minSpan / 2;
    }
  };
  ChooseTicks(p.f, f);
  widen(p.h, h);
  widen(p.v, d);
  widen(p.f, f);
  ChooseTicks(p.h, h);
  ChooseTicks(p.v, d);
  ChooseTicks(p.f, f);
  PadAndRound(p.h, p.h.lo >= 0, false);
  PadAndRound(p.f, p.f.lo >= 0, false);
  ChooseTicks(p.f, f);
  PadAndRound(p.v, lo >= 0, hi <= 0);
  ChooseTicks(p.h, h);
  if (p.families.size() > 1 && p.v.d1 > 0 && d.scale != 0) {
    // Stacked curves: each lifted by the largest neighbour increase, rounded up.
    const double inc = maxInc * d.scale + p.v.d1 / 2;
    p.offset = std::ceil(inc / p.v.d1) * p.v.d1 / d.scale;
    const double top = std::ceil(firstMax * d.scale / p.v.d1) * p.v.d1 / d.scale;
    p.v.hi = std::max(p.v.hi, (p.families.size() - 1) * p.offset + top);
  }
  ChooseTicks(p.v, d);
  const double w = view.width() - 75 + (p.families.size() == 1 ? 15 : 0);
  p.plot = QRectF(view.left() + 45, view.bottom() - 18 - (view.height() - 26), std::max(10.0, w),
                  std::max(10.0, view.height() - 26));
  p.valid = p.h.hi > p.h.lo && p.v.hi > p.v.lo;
  return p;
}

}  // namespace zeda
