// The Power out page: mode clicks with their presets, the controls shown by mode, the pulse
// mode's lower limit and the tables' change report.
#include "pages/pout_page.h"

#include <gtest/gtest.h>

#include "map_pages_fixture.h"
#include "pages/pout_controls.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"
#include "params/pout_presets.h"

namespace zeda::test {
namespace {

using PoutPageTest = MapPageFixture<PoutPage>;

class PoutPageModes : public PoutPageTest {
 protected:
  void ChooseMode(int output, int mode) {
    const char* group = kPoutControlNames[output].mode;
    controls.SetItemIndex(group, ItemIndexOfCode(controls, group, mode));
    binder.ControlChanged(group, ChangeKind::Immediate);
  }
  int SwitchRpm(int output, int i) {
    return ReadStored(Img(), FieldId::POUT_SW_RPM, 3 * output + i) *
           Field(FieldId::POUT_SW_RPM).factor;
  }
  int SwitchBits(int output, int r) { return Img().Byte(Adrb::POUT_SW_BITS + 3 * output + r); }
};

TEST_F(PoutPageModes, GearShiftLightBringsItsPreset) {
  const int k = 2;
  ChooseMode(k, POUT_OFF);
  const int snapshotsBefore = snapshots;
  ChooseMode(k, POUT_GEAR_SHIFT_LIGHT);
  EXPECT_EQ(Img().Byte(Adrb::POUT_MODE + k), POUT_GEAR_SHIFT_LIGHT);
  EXPECT_EQ(SwitchRpm(k, 0), 9000);
  EXPECT_EQ(SwitchRpm(k, 1), 9500);
  EXPECT_EQ(SwitchRpm(k, 2), 14000);
  const PoutSwitchPreset& preset = PoutPresetForMode(POUT_GEAR_SHIFT_LIGHT);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(SwitchBits(k, r), preset.bits[r]) << r;
  EXPECT_EQ(snapshots, snapshotsBefore + 1);
  // The controls and the tables show the preset.
  EXPECT_EQ(controls.Position(kPoutControlNames[k].hysteresis),
            ReadStored(Img(), FieldId::POUT_HYSTER, k) * 10);
}

TEST_F(PoutPageModes, OffKeepsTheTables) {
  const int k = 0;
  ChooseMode(k, POUT_GEAR_SHIFT_LIGHT);
  ParamImage before = Img();
  ChooseMode(k, POUT_OFF);
  EXPECT_EQ(Img().Byte(Adrb::POUT_MODE + k), POUT_OFF);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(SwitchRpm(k, i), ReadStored(before, FieldId::POUT_SW_RPM, 3 * k + i) *
                                   Field(FieldId::POUT_SW_RPM).factor);
    EXPECT_EQ(SwitchBits(k, i), before.Byte(Adrb::POUT_SW_BITS + 3 * k + i));
  }
  for (int i = 0; i < POUT_PWM_CELLS; ++i)
    EXPECT_EQ(Img().Byte(Adrb::POUT_PWM_MAP + POUT_PWM_CELLS * k + i),
              before.Byte(Adrb::POUT_PWM_MAP + POUT_PWM_CELLS * k + i));
}

TEST_F(PoutPageModes, ControlsShownFollowTheMode) {
  const int k = 1;
  const PoutControlNames& n = kPoutControlNames[k];
  ChooseMode(k, POUT_SPECIAL_PULSE);
  EXPECT_TRUE(controls.Visible(n.pulse));
  EXPECT_TRUE(controls.Visible(n.pwmTable));
  ChooseMode(k, POUT_OFF);
  EXPECT_FALSE(controls.Visible(n.pulse));
  EXPECT_FALSE(controls.Visible(n.pwmTable));
  EXPECT_FALSE(controls.Visible(n.switchingTable));
  // The other outputs keep their own.
  const bool loadSensor = Img().Byte(Adrb::TPSIAP_SENSOR) != LOAD_SENSOR_NONE;
  EXPECT_EQ(controls.Visible(kPoutControlNames[0].switchingTable),
            PoutControlsFor(Img().Byte(Adrb::POUT_MODE), loadSensor).switching);
}

// With a 100 ms pulse the period table's cells cannot go below two 50 ms steps.
TEST_F(PoutPageModes, PulseModeCellsCannotGoBelowThePulse) {
  const int k = 0;
  Img().SetByte(Adrb::POUT_SPULSE + k, 20);
  Img().SetByte(Adrb::POUT_PWM_MAP + 0, 0);
  binder.LoadActivePage();
  ChooseMode(k, POUT_SPECIAL_PULSE);
  TTab& t = *page.Tabs().pwm[k];
  EXPECT_EQ(t.Cur().Cell(0, 0), 2);
  const int commits = binder.Commits();
  t.SelectItem(0, 0);
  t.Increment(-1);
  TickUntilCommitted(t);
  EXPECT_EQ(t.Cur().Cell(0, 0), 2);
  EXPECT_EQ(Img().Byte(Adrb::POUT_PWM_MAP + 0), 2);
  EXPECT_LE(binder.Commits(), commits + 1);
}

TEST_F(PoutPageTest, TableChangeReportStoresAndCommitsOnce) {
  TTab& t = *page.Tabs().pwm[3];
  const int commits = binder.Commits();
  t.Cur().Cell(1, 0) = 40;
  t.onTableChanged(t);
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(Img().Byte(Adrb::POUT_PWM_MAP + 3 * POUT_PWM_CELLS + 1), 40);
  EXPECT_EQ(page.Tables().size(), 2u * POUT_COUNT);
}

}  // namespace
}  // namespace zeda::test
