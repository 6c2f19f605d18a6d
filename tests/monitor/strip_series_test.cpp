// The strip chart's series: one point per monitor record, positions as the player counts
// them, the nearest record to a dragged time.
#include "monitor/strip_series.h"

#include <gtest/gtest.h>

#include "monitor/ignlog_writer.h"

namespace zeda {
namespace {

TEST(StripSeries, PointsPositionsAndNearestRecord) {
  IgnlogRecorder rec;
  rec.Begin({});
  uint8_t image[1050] = {};
  rec.Append(kRecordParameters, 0, image, 1050);
  rec.MarkInitial();
  uint8_t block[150] = {};
  for (int i = 1; i <= 3; ++i) {
    block[2] = static_cast<uint8_t>(i * 10);  // RPM low byte (block position 2)
    block[105] = static_cast<uint8_t>(i == 2 ? 0 : 100 + i);
    rec.Append(kRecordMonitor, static_cast<uint32_t>(1000 * i), block, 150);
    if (i == 1) rec.Append(kRecordParameters, 1500, image, 1050);
  }
  IgnlogFile file;
  ASSERT_TRUE(ParseIgnlog(rec.FileBytes(), file).Ok());
  const StripSeries s = BuildStripSeries(file);
  ASSERT_EQ(s.points.size(), 3u);
  EXPECT_EQ(s.points[0].rpm, 10);
  EXPECT_EQ(s.points[1].advance, 0);  // base advance
  EXPECT_EQ(s.points[2].advance, 3);
  EXPECT_EQ(s.points[2].position, 4);  // the parameter record counts as a position
  EXPECT_EQ(s.maxRpm, 30);
  EXPECT_EQ(PositionAtTime(s, 0), 1);
  EXPECT_EQ(PositionAtTime(s, 1400), 1);
  EXPECT_EQ(PositionAtTime(s, 1600), 3);
  EXPECT_EQ(PositionAtTime(s, 9000), 4);
  EXPECT_EQ(TimeAtPosition(file, 2), 1500u);
  EXPECT_EQ(TimeAtPosition(file, 0), 0u);
  EXPECT_EQ(PositionAtTime(StripSeries{}, 10), 0);
}

}  // namespace
}  // namespace zeda
