// The Race page: quickshift enabling, rows by gear system and number of gears, the
// corrections' encoding and the current-gear tick.
#include "pages/race_page.h"

#include <gtest/gtest.h>

#include "monitor/live_values.h"
#include "pages/page_binder.h"
#include "params/defaults.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda::test {
namespace {

class RacePageTest : public ::testing::Test {
 public:
  RacePageTest() : binder(document, controls), race(MakeContext()) {
    buffers.params = StartImage();
    NormalizeParams(buffers.params);
    binder.AddPage(race);
    binder.CreatePages();
    binder.ChangePage(kRacePageIndex);
    binder.StartRing();
  }
  PageContext MakeContext() {
    PageContext context;
    context.live = &live;
    return context;
  }
  // Gear mode, number of gears and whether input 3 has Quickshift, then a reload.
  void LoadImage(int mode, int count, bool quickshift) {
    buffers.params.SetByte(Adrb::INPUT_NEUTRAL_SS, 0);
    buffers.params.SetByte(Adrb::INPUT_FUNCTION + 1, INPUT_GEAR);
    buffers.params.SetByte(Adrb::INPUT_FUNCTION + 2, quickshift ? INPUT_QUICKSHIFT : INPUT_OFF);
    buffers.params.SetByte(Adrb::GEAR, static_cast<uint8_t>(mode));
    buffers.params.SetByte(Adrb::GEAR_COUNT, static_cast<uint8_t>(count));
    binder.LoadAllPages();
  }

  Document document;

  ImageBuffers& buffers = document.Buffers();
  MemoryControls controls;
  LiveValues live;
  PageBinder binder;
  RacePage race;
};

struct RowsCase {
  int mode;
  int count;
  int rowsShown;
};

TEST_F(RacePageTest, RowsFollowTheGearSystemAndNumberOfGears) {
  const RowsCase cases[] = {
      {GEAR_NONE, 6, 1},  // only "0-1 " without gear detection
      {GEAR_VOLTAGE_MODE, 1, 1}, {GEAR_VOLTAGE_MODE, 2, 2}, {GEAR_VOLTAGE_MODE, 3, 3},
      {GEAR_VOLTAGE_MODE, 6, 6}, {GEAR_VOLTAGE_MODE, 4, 4}, {GEAR_VOLTAGE_MODE, 5, 5},
  };
  for (const RowsCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " count " << c.count);
    LoadImage(c.mode, c.count, true);
    EXPECT_EQ(controls.Visible("GroupBoxGearKor"), c.mode != GEAR_NONE);
    for (int r = 0; r < kRaceGearRows; ++r) {
      EXPECT_EQ(controls.Visible(kKorRowLabels[r]), r < c.rowsShown) << r;
      EXPECT_EQ(controls.Visible(kClutchRowLabels[r]), r < c.rowsShown) << r;
      for (int col = 0; col < kRaceColumns; ++col)
        EXPECT_EQ(controls.Visible(RaceCell(col, r).control), r < c.rowsShown) << r << "/" << col;
    }
  }
}

TEST_F(RacePageTest, QuickshiftControlsWorkOnlyWithAQuickshiftInput) {
  for (bool quickshift : {false, true}) {
    LoadImage(GEAR_VOLTAGE_MODE, 6, quickshift);
    for (const char* name : kQuickshiftControls)
      EXPECT_EQ(controls.Enabled(name), quickshift) << name;
  }
}

TEST_F(RacePageTest, CorrectionsAreStoredWithTheirOffsetAndFactor) {
  LoadImage(GEAR_VOLTAGE_MODE, 6, true);
  controls.SetPosition(RaceCell(1, 2).control, -20);    // advance, gear 3
  controls.SetPosition(RaceCell(2, 0).control, -5000);  // limiter, gears 0-1
  controls.SetPosition(RaceCell(5, 3).control, 250);    // Pout2, gear 4
  controls.SetPosition(RaceCell(0, 5).control, 1250);   // quickshift time, gear 6
  binder.ControlChanged(RaceCell(0, 5).control, ChangeKind::Immediate);
  EXPECT_EQ(buffers.params.Byte(Adrb::GEAR_CORR_ADV + 2), 80);
  EXPECT_EQ(buffers.params.Byte(Adrb::GEAR_CORR_LIMITER + 0), 0);
  EXPECT_EQ(buffers.params.Byte(Adrb::GEAR_CORR_POUT + 6 + 3), 105);
  EXPECT_EQ(buffers.params.Byte(Adrb::CLUTCH_TIME + 5), 250);
  EXPECT_EQ(controls.Position(RaceCell(5, 3).control), 250);
}

TEST_F(RacePageTest, RangesAndStepsOfTheCells) {
  controls.SetPosition(RaceCell(1, 0).control, 99);
  EXPECT_EQ(controls.Position(RaceCell(1, 0).control), 20);
  controls.SetPosition(RaceCell(7, 5).control, -9999);
  EXPECT_EQ(controls.Position(RaceCell(7, 5).control), -5000);
  EXPECT_EQ(RaceCell(3, 1).step, 50);
  EXPECT_EQ(RaceCell(0, 1).step, 5);
}

TEST_F(RacePageTest, TickLightsTheCurrentGearRow) {
  LoadImage(GEAR_VOLTAGE_MODE, 6, false);
  live.live = true;
  live.gear = 0;  // gear 0 shares the first row
  binder.Tick();
  EXPECT_TRUE(controls.Highlighted(kKorRowLabels[0]));
  EXPECT_FALSE(controls.Highlighted(kClutchRowLabels[0]));  // no quickshift input
  live.gear = 4;
  binder.Tick();
  EXPECT_FALSE(controls.Highlighted(kKorRowLabels[0]));
  EXPECT_TRUE(controls.Highlighted(kKorRowLabels[3]));
  LoadImage(GEAR_VOLTAGE_MODE, 6, true);
  binder.Tick();
  EXPECT_TRUE(controls.Highlighted(kClutchRowLabels[3]));
  live.live = false;
  binder.Tick();
  EXPECT_FALSE(controls.Highlighted(kKorRowLabels[3]));
}

}  // namespace
}  // namespace zeda::test
