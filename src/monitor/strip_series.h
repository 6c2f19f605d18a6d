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
};

StripSeries BuildStripSeries(const IgnlogFile& file);
// The player position of the record nearest to a time (0 without records).
int PositionAtTime(const StripSeries& series, uint32_t timeMs);
// The time shown at a player position (that of the last record at or before it).
uint32_t TimeAtPosition(const IgnlogFile& file, int position);

}  // namespace zeda
