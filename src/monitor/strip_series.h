#pragma once
// The strip chart's data: for each monitor record of a recording its time, engine speed,
// advance of channel 1 and load, and the player position that shows it. Built once per
// playback; pure functions, any thread.
#include <cstdint>
#include <vector>

#include "monitor/ignlog_reader.h"

namespace zeda {

struct StripPoint {
  uint32_t timeMs = 0;
  int32_t rpm = 0;
  int32_t advance = 0;  // degrees, 0 on base advance
  int32_t load = 0;     // throttle % or pressure kPa
  int position = 0;     // the player position of this record
};

struct StripSeries {
  std::vector<StripPoint> points;
  uint32_t durationMs = 0;
  int32_t maxRpm = 0, maxAdvance = 0, maxLoad = 0;
  int32_t minRpm = 0, minAdvance = 0, minLoad = 0;
};

// The value range a curve is drawn in, bottom to top.
struct StripRange {
  int32_t low = 0;
  int32_t high = 1;
  friend bool operator==(const StripRange&, const StripRange&) = default;
};
// The range for a curve whose values lie within [lowest, highest]: from 0 (or below the
// lowest value when it is negative) to a tenth of the span above the highest. A flat curve
// (a steady recording) sits in the middle of a range a tenth of its value (at least 1) on
// either side, not along the top border.
StripRange StripRangeOf(int32_t lowest, int32_t highest);

StripSeries BuildStripSeries(const IgnlogFile& file);
// The player position of the record nearest to a time (0 without records).
int PositionAtTime(const StripSeries& series, uint32_t timeMs);
// The time shown at a player position (that of the last record at or before it).
uint32_t TimeAtPosition(const IgnlogFile& file, int position);

}  // namespace zeda
