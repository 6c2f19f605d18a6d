// The live operating point of the current sheet.
#include <cmath>

#include "mapedit/tab_model.h"

namespace zeda {
namespace {

// Nearest breakpoint by midpoints; exactly on a midpoint gives the upper one.
int NearestByMidpoints(const CAxe& a, double v) {
  int n = std::min(a.count, kMaxCols);
  for (int i = 0; i + 1 < n; ++i)
    if ((static_cast<double>(a.values[i]) + a.values[i + 1]) / 2.0 > v) return i;
  return n - 1;
}

bool CaptionIs(const CAxe& a, int i, const char* name) {
  if (a.stringView.empty() || i >= a.count) return false;
  int entry = a.values[i] % 1000;
  return entry >= 0 && entry <= kStringViewMaxEntry &&
         static_cast<size_t>(entry) < a.stringView.size() && a.stringView[entry] == name;
}

}  // namespace

int TTab::LookupAxis(const CSheet& s, const CAxe& a) const {
  double v;
  const std::string& k = a.key;
  double scale = a.scale == 0 ? 1.0 : a.scale;
  if (k == "RPM")
    v = liveRpm / scale;
  else if (k == "TP")
    v = liveTp / scale;
  else if (k == "IAP")
    v = liveIap / scale;
  else if (k == "TA")
    v = liveTa / scale;
  else if (k == "TW")
    v = liveTw / scale;
  else if (k == "Tst")
    v = liveTst / scale;
  else if (k == "AFR")
    v = s.lambdaReading;
  else
    return kNoLivePoint;
  int n = std::min(a.count, kMaxCols);
  if (n <= 0) return kNoLivePoint;
  if (a.values[0] > v) return ((s.flags & kSheetBaseAdvance) && k == "RPM") ? -1 : 0;
  if (k == "Tst") {
    for (int i = 1; i < n; ++i)
      if (a.values[i] > v) return i - 1;
    return n - 1;
  }
  return NearestByMidpoints(a, v);
}

bool TTab::UpdateOperatingPoint() {
  if (!HasSheets()) return false;
  CSheet& s = Cur();
  int col = kNoLivePoint, row = kNoLivePoint, state = 0;
  if (s.flags & kSheetTrackLive) {
    int lx = LookupAxis(s, s.axisX), ly = LookupAxis(s, s.axisY);
    col = s.axisX.fixed ? s.axisX.fixedIndex : lx;
    row = s.axisY.fixed ? s.axisY.fixedIndex : ly;
    state = 1;
    if ((!s.axisX.fixed && lx == kNoLivePoint) || (!s.axisY.fixed && ly == kNoLivePoint)) state = 0;
    if (state != 0 && s.axisData.key == "ADV") {
      state = static_cast<int>(liveFlags & 1) == current ? 1 : 2;
      bool fromPressure = liveFlags & (current == 0 ? 0x10u : 0x20u);
      if ((s.axisY.key == "TP" && fromPressure) || (s.axisY.key == "IAP" && !fromPressure))
        state = -1;
    }
    if (s.axisX.key == "RPM" && liveRpm == 0) state = 0;
    // Columns named after sensors follow their own temperature on the rows.
    for (int c = 0; c < 2; ++c) {
      int tracked = kNoLivePoint;
      int32_t live = CaptionIs(s.axisX, c, "Coolant")     ? liveTw
                     : CaptionIs(s.axisX, c, "Inlet Air") ? liveTa
                                                          : INT32_MIN;
      if (live != INT32_MIN) {
        double scale = s.axisX.scale == 0 ? 1.0 : s.axisX.scale;
        tracked = NearestByMidpoints(s.axisY, std::round(live / scale));
      }
      s.sensorRows[c] = tracked;
    }
  }
  bool changed = col != s.actualCol || row != s.actualRow || state != s.actualState;
  s.actualCol = col;
  s.actualRow = row;
  s.actualState = state;
  if (changed) {
    if (host) host->RequestRedraw(1);
    if (autoscroll && *autoscroll) ScrollTo(col, row);
  }
  return changed;
}

}  // namespace zeda
