#include "monitor/strip_series.h"

#include <algorithm>

#include "monitor/monitor_block.h"

namespace zeda {

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
    s.maxRpm = std::max(s.maxRpm, p.rpm);
    s.maxAdvance = std::max(s.maxAdvance, p.advance);
    s.maxLoad = std::max(s.maxLoad, p.load);
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
