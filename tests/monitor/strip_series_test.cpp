// The strip chart's series: one point per monitor record, positions as the player counts
// them, the nearest record to a dragged time.
#include "monitor/strip_series.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Each curve's scale. A steady recording (every value the same) is drawn in the middle of a
// range around its value, not along the top border; a varying one from 0 (or below its
// lowest negative value) to a little above its peak.
TEST(StripSeries, RangesCentreAFlatCurveAndKeepPeaksOffTheBorder) {
  struct Case {
    int32_t lowest, highest;
    StripRange range;
  };
  const Case cases[] = {
      {5000, 5000, {4500, 5500}},  // a steady engine: centred, a tenth either side
      {35, 35, {32, 38}},          // steady advance
      {0, 0, {-1, 1}},             // nothing recorded but zeros
      {-12, -12, {-13, -11}},      // steady negative advance
      {3, 3, {2, 4}},              // a small value still gets room either side
      {0, 9000, {0, 9900}},        // a sweep: from 0, a tenth of the span above its peak
      {2000, 9000, {0, 9900}},     // never at 0: the scale still starts there
      {-10, 30, {-14, 34}},        // below 0: room under the lowest too
      {-20, -5, {-22, 2}},         // only negative values
      {9000, 0, {0, 9900}},        // given the wrong way round
  };
  for (const Case& c : cases) {
    const StripRange r = StripRangeOf(c.lowest, c.highest);
    EXPECT_EQ(r, c.range) << c.lowest << ".." << c.highest << " gave " << r.low << ".." << r.high;
    // No value is drawn on the top border; a flat curve runs through the middle.
    EXPECT_LE(r.low, std::min(c.lowest, c.highest));
    EXPECT_GT(r.high, std::max(c.lowest, c.highest));
    if (c.lowest == c.highest) {
      EXPECT_EQ(r.low + r.high, 2 * c.lowest);
    }
  }
}

// A steady recording gives a flat series: lowest and highest are the same value, and the
// lowest is taken from the records, not from 0.
TEST(StripSeries, ASteadyRecordingKeepsItsLowestValues) {
  IgnlogRecorder rec;
  rec.Begin({});
  uint8_t image[1050] = {};
  rec.Append(kRecordParameters, 0, image, 1050);
  rec.MarkInitial();
  uint8_t block[150] = {};
  block[2] = 0xB8;  // RPM 3000 (block positions 2-3)
  block[3] = 0x0B;
  block[105] = 135;  // advance 35 (block position 105)
  block[6] = 40;     // load 40 (block positions 6-7)
  for (int i = 1; i <= 4; ++i)
    rec.Append(kRecordMonitor, static_cast<uint32_t>(500 * i), block, 150);
  IgnlogFile file;
  ASSERT_TRUE(ParseIgnlog(rec.FileBytes(), file).Ok());
  const StripSeries s = BuildStripSeries(file);
  ASSERT_EQ(s.points.size(), 4u);
  EXPECT_EQ(s.minRpm, 3000);
  EXPECT_EQ(s.maxRpm, 3000);
  EXPECT_EQ(s.minAdvance, 35);
  EXPECT_EQ(s.maxAdvance, 35);
  EXPECT_EQ(s.minLoad, 40);
  EXPECT_EQ(s.maxLoad, 40);
  EXPECT_EQ(StripRangeOf(s.minRpm, s.maxRpm), (StripRange{2700, 3300}));
}

}  // namespace
}  // namespace zeda
