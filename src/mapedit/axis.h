#pragma once
// CAxe: one axis of a sheet (X columns, Y rows, or the data axis of the cells).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mapedit/limits.h"

namespace zeda {

// Grid and label spacing for a displayed span: d0 largest span the record is meant for,
// d1 rounding unit of the range ends, d2 grid, d3 finer grid, d4 label spacing.
struct TickRange {
  double d[5] = {0, 0, 0, 0, 0};
};

inline constexpr int kStringViewMaxEntry = 8;
inline constexpr int kLastEditedNone = -3;

struct CAxe {
  uint32_t colour = 0xFFFFFF;
  uint32_t reserved = 0;
  std::string label;
  std::string key;
  std::string unit;
  int32_t maxCount = kMaxCols;
  int32_t minCount = 1;
  int32_t count = 0;
  bool fixed = false;
  int32_t fixedIndex = 0;
  int32_t fixedIndexRule = -1;
  bool editable = true;
  bool resizable = true;
  int32_t fixMode = 1;
  int32_t scrollPos = 0;
  std::array<int32_t, kMaxCols> values{};
  std::array<int32_t, kMaxCols> prevValues{};
  std::array<int32_t, kMaxCols> origValues{};
  std::array<bool, kMaxCols> pushed{};
  double scale = 1.0;
  double stepSize = 1.0;
  int32_t minValue = 0;
  int32_t maxValue = 100;
  int32_t minGap = 1;
  int32_t lastEdited = kLastEditedNone;
  // Captions by entry (values[i] mod 1000); empty vector: no string view.
  std::vector<std::string> stringView;
  bool proportional = false;
  int32_t options = 0;  // DefineAxis options; bit 0 proportional, bit 1 used by the 3D view
  uint32_t groupMask = 0;
  std::array<TickRange, kMaxTickRanges> tickRanges{};
  int32_t tickRangeCount = 0;
  // X axis only: the companion sheet's breakpoints, for the graphs.
  std::array<int32_t, kMaxCols> otherValues{};
  int32_t otherCount = 0;
  // Graph range (raw units), kept here for the graph views.
  int32_t viewMin = 0;
  int32_t viewMax = 0;

  // Capacity of the arrays this axis may use (X 50, Y 30).
  int32_t Capacity() const { return maxCount; }
};

// The index a fixed axis uses: rule -1 first, -2 last, -3 middle, n >= 0 that index,
// brought into 0 ... count - 1.
int32_t FixedIndexFor(int32_t rule, int32_t count);

// Keeps the breakpoints ordered and in range: a single edited breakpoint pushes its
// neighbours aside and lets earlier pushed ones spring back; any other change is
// sorted out by raising and lowering.
void NormaliseBreakpoints(CAxe& axis);

// True when the used breakpoints rise by at least minGap and lie within the limits.
bool BreakpointsValid(const CAxe& axis);

// Caption of breakpoint i from the string view; on bad use returns false and sets
// `error` to the message to show (the caption is then empty).
bool StringViewCaption(const CAxe& axis, int i, std::string& caption, std::string& error);

// Brings a raw double into int32 range and truncates after adding +-0.5 (half away from zero).
int32_t RoundHalfAway(double v);

// A typed or pasted raw value (displayed ÷ scale) brought into the axis limits while still
// a double, then rounded half away from zero: "9999999999999999" lands on the limit.
int32_t RawWithinLimits(double raw, const CAxe& axis);

}  // namespace zeda
