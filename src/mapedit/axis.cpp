#include "mapedit/axis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mapedit/messages.h"

namespace zeda {

int32_t FixedIndexFor(int32_t rule, int32_t count) {
  if (count <= 0) return 0;
  int32_t i;
  switch (rule) {
    case -1:
      i = 0;
      break;
    case -2:
      i = count - 1;
      break;
    case -3:
      i = count / 2;
      break;
    default:
      i = rule;
      break;
  }
  return std::clamp(i, 0, count - 1);
}

namespace {

// Breakpoint arithmetic runs in 64 bits; results beyond int32 (extreme limits or gaps)
// saturate instead of wrapping.
int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void SweepAll(CAxe& a, int n, int b) {
  const int64_t g = a.minGap;
  auto& v = a.values;
  for (int j = 0; j < n; ++j) {
    int64_t lo = j * g + a.minValue;
    if (v[j] < lo) v[j] = Saturate(lo);
  }
  for (int j = 0; j < n; ++j) {
    int64_t hi = a.maxValue - g * (n - j - 1);
    if (v[j] > hi) v[j] = Saturate(hi);
  }
  for (int j = std::min(b, n - 1); j >= 1; --j)
    if (v[j - 1] > v[j] - g) v[j - 1] = Saturate(v[j] - g);
  for (int j = 1; j < n; ++j)
    if (v[j] < v[j - 1] + g) v[j] = Saturate(v[j - 1] + g);
}

void PushSingle(CAxe& a, int n, int b) {
  const int64_t g = a.minGap;
  auto& v = a.values;
  v[b] = std::max<int32_t>(v[b], Saturate(b * g + a.minValue));
  for (int cur = b; cur - 1 >= 0 && int64_t{v[cur - 1]} > int64_t{v[cur]} - g; --cur) {
    int d = cur - 1;
    if (!a.pushed[d]) {
      a.origValues[d] = v[d];
      a.pushed[d] = true;
    }
    v[d] = Saturate(v[cur] - g);
  }
  v[b] = std::min<int32_t>(v[b], Saturate(a.maxValue - (n - b - 1) * g));
  for (int cur = b; cur + 1 < n && int64_t{v[cur + 1]} < int64_t{v[cur]} + g; ++cur) {
    int d = cur + 1;
    if (!a.pushed[d]) {
      a.origValues[d] = v[d];
      a.pushed[d] = true;
    }
    v[d] = Saturate(v[cur] + g);
  }
  // Relax: pushed breakpoints return towards their own value as far as room allows.
  for (int pass = 0; pass < n; ++pass) {
    bool moved = false;
    for (int k = 0; k < n; ++k) {
      if (!a.pushed[k]) continue;
      const int32_t was = v[k];
      if (a.origValues[k] > v[k]) {
        int64_t to = a.origValues[k];
        if (k < n - 1) to = std::min<int64_t>(to, int64_t{v[k + 1]} - g);
        if (to > v[k]) v[k] = Saturate(to);
      } else if (a.origValues[k] < v[k]) {
        int64_t to = a.origValues[k];
        if (k > 0) to = std::max<int64_t>(to, int64_t{v[k - 1]} + g);
        if (to < v[k]) v[k] = Saturate(to);
      }
      if (v[k] == a.origValues[k]) a.pushed[k] = false;
      moved |= v[k] != was;
    }
    if (!moved) break;  // further passes would change nothing
  }
}

}  // namespace

bool BreakpointsValid(const CAxe& a) {
  int n = std::clamp(a.count, 0, kMaxCols);
  for (int j = 0; j < n; ++j) {
    if (a.values[j] < a.minValue || a.values[j] > a.maxValue) return false;
    if (j > 0 && int64_t{a.values[j]} - a.values[j - 1] < a.minGap) return false;
  }
  return true;
}

void NormaliseBreakpoints(CAxe& a) {
  const int n = std::clamp(a.count, 0, std::min<int32_t>(a.maxCount, kMaxCols));
  if (n <= 0) return;
  int b;
  int changed;
  if (a.lastEdited == kLastEditedNone) {
    changed = n;
    b = 0;
    a.pushed.fill(false);
    a.origValues.fill(0);
  } else {
    changed = 0;
    b = -1;
    for (int j = 0; j < n; ++j) {
      if (a.values[j] != a.prevValues[j]) {
        if (b < 0) b = j;
        ++changed;
      }
    }
    if (b != -1 && b != a.lastEdited) {
      a.pushed.fill(false);
      a.origValues.fill(0);
    }
  }
  if (changed == 1) {
    PushSingle(a, n, b);
    // The push assumes the other breakpoints were in order already; if the owner wrote
    // them out of order, sort them out as a general change.
    if (!BreakpointsValid(a)) SweepAll(a, n, n - 1);
  } else {
    SweepAll(a, n, b < 0 ? 0 : b);
  }
  std::copy(a.values.begin(), a.values.begin() + n, a.prevValues.begin());
  if (b != -1) a.lastEdited = b;
}

bool StringViewCaption(const CAxe& a, int i, std::string& caption, std::string& error) {
  caption.clear();
  error.clear();
  if (i < 0 || i > a.count || i >= kMaxCols) {
    error = mapedit_msg::kStringViewBadIndex;
    return false;
  }
  int entry = a.values[i] % 1000;
  if (entry < 0 || entry > kStringViewMaxEntry) {
    error = mapedit_msg::kStringViewBadEntry;
    return false;
  }
  if (static_cast<size_t>(entry) >= a.stringView.size() || a.stringView[entry].empty()) {
    error = mapedit_msg::kStringViewNull;
    return false;
  }
  caption = a.stringView[entry];
  return true;
}

int32_t RawWithinLimits(double raw, const CAxe& axis) {
  if (std::isnan(raw)) return 0;
  const double lo = std::min(axis.minValue, axis.maxValue);
  const double hi = std::max(axis.minValue, axis.maxValue);
  return RoundHalfAway(std::clamp(raw, lo, hi));
}

int32_t RoundHalfAway(double v) {
  if (std::isnan(v)) return 0;
  double r = v > 0 ? v + 0.5 : (v < 0 ? v - 0.5 : v);
  constexpr double kLo = std::numeric_limits<int32_t>::min();
  constexpr double kHi = std::numeric_limits<int32_t>::max();
  if (r <= kLo) return std::numeric_limits<int32_t>::min();
  if (r >= kHi) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

}  // namespace zeda
