// Ranges, ticks and stacking of the 2D graph.
#include "mapedit/ui/plot2d.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zeda {
namespace {

// The sheets drawn together with the current one on an axis: enabled, shown, sharing a
// group bit and placing breakpoints the same way.
std::vector<const CSheet*> groupSheets(const TTab& t, bool xAxis) {
  std::vector<const CSheet*> out{&t.cur()};
  const CAxe& mine = xAxis ? t.cur().axisX : t.cur().axisY;
  for (int i = 0; i < t.sheetCount; ++i) {
    if (i == t.current) continue;
    const CSheet& o = t.sheet(i);
    const CAxe& a = xAxis ? o.axisX : o.axisY;
    if (o.enabled && !o.hidden && (a.groupMask & mine.groupMask) &&
        a.proportional == mine.proportional)
      out.push_back(&o);
  }
  return out;
}

void padAndRound(TAxisRange& r, bool dataNonNegative, bool dataNonPositive) {
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

void chooseTicks(TAxisRange& r, const CAxe& a) {
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
  TPlot2D P;
  if (!t.hasSheets()) return P;
  const CSheet& s = t.cur();
  const bool xFixed = s.axisX.fixed, yFixed = s.axisY.fixed;
  if (xFixed && !yFixed)
    P.hIsX = false;
  else if (yFixed)
    P.hIsX = true;
  else
    P.hIsX = !(s.flags & kSheetYHorizontal);
  const CAxe& H = P.HAxis(s);
  const CAxe& F = P.FAxis(s);
  P.hCount = std::clamp(H.count, 0, P.hIsX ? kMaxCols : kMaxRows);
  if (F.fixed)
    P.families = {F.fixedIndex};
  else
    for (int i = 0; i < F.count; ++i) P.families.push_back(i);
  if (P.hCount <= 0 || P.families.empty()) return P;

  // Horizontal range over the group.
  P.h.proportional = H.proportional;
  P.h.scale = H.scale;
  if (H.proportional) {
    double lo = 1e300, hi = -1e300;
    for (const CSheet* o : groupSheets(t, P.hIsX)) {
      const CAxe& a = P.hIsX ? o->axisX : o->axisY;
      for (int i = 0; i < a.count; ++i)
        lo = std::min(lo, double(a.values[i])), hi = std::max(hi, double(a.values[i]));
    }
    P.h.lo = lo;
    P.h.hi = hi;
  } else {
    P.h.lo = 0;
    P.h.hi = P.hCount - 1;
  }
  const bool rpm = H.label == "RPM" || H.key == "RPM";
  P.baseAdvance = (s.flags & kSheetBaseAdvance) && rpm && P.hIsX;
  P.limiter = (s.flags & kSheetLimiter) && rpm && P.hIsX;
  P.startLimiter = (s.flags & kSheetStartLimiter) && rpm && P.hIsX;
  P.liveRpm = (s.flags & kSheetTrackLive) && rpm && P.hIsX;
  if (P.baseAdvance) P.h.lo = std::min(P.h.lo, 0.0);
  if (P.limiter && H.scale != 0)
    P.h.lo = std::min(P.h.lo, t.limiter / H.scale), P.h.hi = std::max(P.h.hi, t.limiter / H.scale);
  if (P.startLimiter && H.scale != 0)
    P.h.lo = std::min(P.h.lo, t.startLimiter / H.scale),
    P.h.hi = std::max(P.h.hi, t.startLimiter / H.scale);

  // Data range, neighbour increase and the first curve's largest value.
  const CAxe& D = s.axisData;
  P.v.scale = D.scale;
  P.v.proportional = true;
  double lo = 1e300, hi = -1e300, maxInc = 0, firstMax = -1e300;
  for (const CSheet* o : groupSheets(t, P.hIsX)) {
    for (size_t k = 0; k < P.families.size(); ++k)
      for (int i = 0; i < P.hCount; ++i) {
        const double v = o->cell(P.Col(i, P.families[k]), P.Row(i, P.families[k]));
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (o == &s && k == 0) firstMax = std::max(firstMax, v);
        if (o == &s && k > 0)
          maxInc = std::max(maxInc,
                            v - o->cell(P.Col(i, P.families[k - 1]), P.Row(i, P.families[k - 1])));
      }
  }
  if (P.baseAdvance && D.scale != 0)
    lo = std::min(lo, t.baseAdvance / D.scale), hi = std::max(hi, t.baseAdvance / D.scale);
  P.v.lo = lo;
  P.v.hi = hi;

  chooseTicks(P.h, H);
  chooseTicks(P.v, D);
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
  widen(P.h, H);
  widen(P.v, D);
  chooseTicks(P.h, H);
  chooseTicks(P.v, D);
  padAndRound(P.h, P.h.lo >= 0, false);
  padAndRound(P.v, lo >= 0, hi <= 0);
  chooseTicks(P.h, H);
  if (P.families.size() > 1 && P.v.d1 > 0 && D.scale != 0) {
    // Stacked curves: each lifted by the largest neighbour increase, rounded up.
    const double inc = maxInc * D.scale + P.v.d1 / 2;
    P.offset = std::ceil(inc / P.v.d1) * P.v.d1 / D.scale;
    const double top = std::ceil(firstMax * D.scale / P.v.d1) * P.v.d1 / D.scale;
    P.v.hi = std::max(P.v.hi, (P.families.size() - 1) * P.offset + top);
  }
  chooseTicks(P.v, D);
  const double w = view.width() - 75 + (P.families.size() == 1 ? 15 : 0);
  P.plot = QRectF(view.left() + 45, view.bottom() - 18 - (view.height() - 26), std::max(10.0, w),
                  std::max(10.0, view.height() - 26));
  P.valid = P.h.hi > P.h.lo && P.v.hi > P.v.lo;
  return P;
}

}  // namespace zeda
