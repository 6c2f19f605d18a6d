#include "monitor/strip_series.h"

#include <algorithm>

#include "monitor/monitor_block.h"

namespace zeda {

namespace {

// A flat curve's range: a tenth of its value on either side, at least kFlatMinHalfRange;
// a varying curve's spare room above its peak: a tenth of its span.
constexpr int32_t kFlatHalfRangeDivisor = 10;
constexpr int32_t kFlatMinHalfRange = 1;

}  // namespace

StripRange StripRangeOf(int32_t lowest, int32_t highest) {
  if (highest < lowest) std::swap(lowest, highest);
  if (highest == lowest) {
    const int64_t v = lowest;
    const int64_t half =
        std::max<int64_t>((v < 0 ? -v : v) / kFlatHalfRangeDivisor, kFlatMinHalfRange);
    return {static_cast<int32_t>(v - half), static_cast<int32_t>(v + half)};
  }
  // Otherwise from 0 (or below it, for negative values) to the highest value, with a
  // tenth of the span to spare so that the peaks stay off the border.
  const int64_t low = std::min(lowest, 0);
  const int64_t high = std::max(highest, 0);
  const int64_t spare = std::max<int64_t>((high - low) / kFlatHalfRangeDivisor, 1);
  return {static_cast<int32_t>(lowest < 0 ? low - spare : low), static_cast<int32_t>(high + spare)};
}

StripSeries BuildStripSeries(const IgnlogFile& file) {
  StripSeries s;
  for (int k = file.initial; k < file.count; ++k) {
    const IgnlogRecordView r = file.Record(k);
    if (r.type != kRecordMonitor) continue;
    MonitorBlock b;
    std::copy(r.payload, r.payload + kMonitorAnswerBytes, b.pos.begin());
    StripPoint p;
    p.timeMs = r.timeMs;
    p.rpm = b.Word(Monw::RPM);
    p.advance = b.Byte(Monb::ADV) != 0 ? b.Byte(Monb::ADV) - 100 : 0;
    p.load = b.Word(Monw::TPSIAP);
    p.position = k - file.initial + 1;
    const bool first = s.points.empty();
    s.maxRpm = first ? p.rpm : std::max(s.maxRpm, p.rpm);
    s.maxAdvance = first ? p.advance : std::max(s.maxAdvance, p.advance);
    s.maxLoad = first ? p.load : std::max(s.maxLoad, p.load);
    s.minRpm = first ? p.rpm : std::min(s.minRpm, p.rpm);
    s.minAdvance = first ? p.advance : std::min(s.minAdvance, p.advance);
    s.minLoad = first ? p.load : std::min(s.minLoad, p.load);
    s.points.push_back(p);
  }
  s.durationMs = file.DurationMs();
  return s;
}

int PositionAtTime(const StripSeries& s, uint32_t timeMs) {
  if (s.points.empty()) return 0;
  const auto after = std::lower_bound(s.points.begin(), s.points.end(), timeMs,
                                      [](const StripPoint& p, uint32_t t) { return p.timeMs < t; });
  if (after == s.points.end()) return s.points.back().position;
  if (after == s.points.begin()) return after->position;
  const auto before = after - 1;
  return timeMs - before->timeMs <= after->timeMs - timeMs ? before->position : after->position;
}

uint32_t TimeAtPosition(const IgnlogFile& file, int position) {
  const int k = file.initial + position - 1;
  return k >= 0 && k < file.count ? file.Record(k).timeMs : 0;
}

}  // namespace zeda
