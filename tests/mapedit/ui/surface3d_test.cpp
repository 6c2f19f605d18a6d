// The 3D view's arithmetic: angle wrapping, the height palette and the projection.
#include "mapedit/ui/surface3d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mapedit/table_factories.h"
#include "mapedit/ui/plot2d.h"
#include "mapedit/ui/tab_graph.h"

namespace zeda {
namespace {

TEST(Surface3D, AnglesWrapWithinOneTurn) {
  const struct {
    int in, out;
  } cases[] = {{36, 36}, {37, -35}, {-35, -35}, {-36, 36}, {0, 0}, {108, 36}, {-107, -35}};
  for (const auto& c : cases) EXPECT_EQ(WrapAngle(c.in), c.out) << c.in;
}

TEST(Surface3D, PaletteRunsThroughItsStops) {
  const auto& p = HeightPalette();
  const struct {
    int i;
    Rgb rgb;
  } stops[] = {{0, {0, 0, 0x55}},  {10, {0, 0, 0xFF}},    {20, {0, 0xFF, 0xFF}},
               {30, {0, 0xFF, 0}}, {38, {0xFF, 0xFF, 0}}, {50, {0xCC, 0xCC, 0}},
               {61, {0xFF, 0, 0}}};
  for (const auto& s : stops) {
    EXPECT_EQ(p[s.i].r, s.rgb.r) << s.i;
    EXPECT_EQ(p[s.i].g, s.rgb.g) << s.i;
    EXPECT_EQ(p[s.i].b, s.rgb.b) << s.i;
  }
  // Between stops each channel is interpolated and truncated: 5 of 0 ... 10 from 0x55 to 0xFF.
  EXPECT_EQ(p[5].b, static_cast<uint8_t>(0x55 + (0xFF - 0x55) * 0.5));
}

TEST(Surface3D, TopViewLooksStraightDown) {
  // Plot 400 x 200, spans 100 (horizontal), 50 (data), 10 (family).
  const TProjection t = MakeProjection(kPresetTop.angleX, kPresetTop.angleXY, kPresetTop.angleXYZ,
                                       0, 300, 140, 400, 200, 100, 50, 10);
  EXPECT_NEAR(t.d[0], 200.0 / 100, 1e-9);  // the horizontal axis runs along screen x
  EXPECT_NEAR(t.d[1], 0, 1e-9);
  EXPECT_NEAR(t.e[1], 0, 1e-9);  // values do not move points on the screen
  EXPECT_NEAR(std::abs(t.e[2]), 200.0 / 10, 1e-9);
  for (double f : t.f) EXPECT_NEAR(f, 0, 1e-9);
  EXPECT_DOUBLE_EQ(t.x0, 150);
  EXPECT_DOUBLE_EQ(t.k, 400.0 / 200 * 0.95);
  // Near-square plots are not stretched.
  EXPECT_DOUBLE_EQ(MakeProjection(-5, 24, 0, 0, 300, 140, 210, 200, 1, 1, 1).k, 1.0);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

// The depth (family) axis of the 3D view is padded and rounded like the horizontal one, so
// the surface does not end on the axis tip. The advance map over pressure: 10 load points
// from 20 to 245 kPa, rounded to the d1 of the tick record for that span.
TEST(Surface3D, FamilyRangeIsPaddedAndRounded) {
  TTableSet set;
  AdvanceMapOptions o;
  o.load[0].iapLoad = true;
  TTab* t = CreateAdvanceMap(set, 1, o, 760, 420);
  ASSERT_NE(t, nullptr);
  CSheet& s = t->Sheet(0);
  for (int i = 0; i < s.axisY.count; ++i) s.axisY.values[i] = 20 + 25 * i;
  t->Normalise(0, kPartAll | kForgetLastEdited);
  const TPlot2D plot = MakePlot2D(*t, QRectF(0, 0, 600, 300));
  ASSERT_TRUE(plot.valid);
  ASSERT_TRUE(plot.hIsX);
  const double d1 = plot.f.d1;
  ASSERT_GT(d1, 0);
  EXPECT_LT(plot.f.lo, 20);   // padded below the first breakpoint
  EXPECT_GE(plot.f.lo, 0);    // and not below 0 for values that are not negative
  EXPECT_GT(plot.f.hi, 245);  // padded above the last
  EXPECT_DOUBLE_EQ(std::fmod(plot.f.lo * s.axisY.scale, d1), 0);
  EXPECT_DOUBLE_EQ(std::fmod(plot.f.hi * s.axisY.scale, d1), 0);
}

}  // namespace
}  // namespace zeda
