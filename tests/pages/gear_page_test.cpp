// The Gear page: the gear system's input side effects, the buttons that take the live
// value, the rows by number of gears and the tick.
#include "pages/gear_page.h"

#include <gtest/gtest.h>

#include "monitor/live_values.h"
#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "params/defaults.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda::test {
namespace {

class GearPageTest : public ::testing::Test {
 public:
  GearPageTest() : binder(document, controls), gear(MakeContext()) {
    buffers.params = StartImage();
    NormalizeParams(buffers.params);
    binder.AddPage(misc);
    binder.AddPage(gear);
    binder.CreatePages();
    binder.LoadAllPages();
    binder.ChangePage(kGearPageIndex);
    binder.StartRing();
  }

  PageContext MakeContext() {
    PageContext context;
    context.live = &live;
    context.connected = [this] { return connected; };
    return context;
  }

  // Sets the image and shows it, as opening a file would.
  void LoadImage(int mode, int inputFunction2, int inputFunction3, int count = 6) {
    buffers.params.SetByte(Adrb::INPUT_NEUTRAL_SS, 0);
    buffers.params.SetByte(Adrb::INPUT_FUNCTION + 1, static_cast<uint8_t>(inputFunction2));
    buffers.params.SetByte(Adrb::INPUT_FUNCTION + 2, static_cast<uint8_t>(inputFunction3));
    buffers.params.SetByte(Adrb::GEAR, static_cast<uint8_t>(mode));
    buffers.params.SetByte(Adrb::GEAR_COUNT, static_cast<uint8_t>(count));
    binder.LoadAllPages();
  }
  void ClickGearSystem(int mode) {
    controls.SetItemIndex("RadioGroupGearSystem", mode);
    binder.ControlChanged("RadioGroupGearSystem", ChangeKind::Immediate);
  }
  void Click(const char* button) { binder.ControlChanged(button, ChangeKind::Immediate); }
  int Input(int i) const { return buffers.params.Byte(Adrb::INPUT_FUNCTION + i); }
  int MiscInputCode(int i) const {
    const char* name = kInputGroupNames[i];
    return controls.Code(name, controls.ItemIndex(name));
  }

  Document document;

  ImageBuffers& buffers = document.Buffers();
  MemoryControls controls;
  LiveValues live;
  bool connected = true;
  PageBinder binder;
  MiscPage misc;
  GearPage gear;
};

TEST_F(GearPageTest, VoltageClaimsInput2ForGearAndShowsItOnTheMiscPage) {
  LoadImage(GEAR_NONE, INPUT_KILL_SWITCH, INPUT_OFF);
  const int commits = binder.Commits();
  ClickGearSystem(GEAR_VOLTAGE_MODE);
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(buffers.params.Byte(Adrb::GEAR), GEAR_VOLTAGE_MODE);  // kept: its input is there now
  EXPECT_EQ(Input(1), INPUT_GEAR);
  EXPECT_EQ(MiscInputCode(1), INPUT_GEAR);
  EXPECT_EQ(Input(2), INPUT_OFF);
  EXPECT_TRUE(controls.Visible("GroupBoxNapetiProGear"));
  EXPECT_FALSE(controls.Visible("GroupBoxRpmSpeedProGear"));
}

TEST_F(GearPageTest, RatioModesClaimInput3ForSpeed) {
  for (int mode : {GEAR_RATIO_MODE, GEAR_RATIO_AUTO}) {
    SCOPED_TRACE(mode);
    LoadImage(GEAR_NONE, INPUT_KILL_SWITCH, INPUT_OFF);
    ClickGearSystem(mode);
    EXPECT_EQ(buffers.params.Byte(Adrb::GEAR), mode);
    EXPECT_EQ(Input(1), INPUT_KILL_SWITCH);
    EXPECT_EQ(Input(2), INPUT_SPEED);
    EXPECT_EQ(MiscInputCode(2), INPUT_SPEED);
    EXPECT_TRUE(controls.Visible("GroupBoxPulsuProSpeed"));
    EXPECT_TRUE(controls.Visible("LabelMonPomerRpmSpeed"));
  }
}

TEST_F(GearPageTest, NoGearLeavesTheInputsAlone) {
  LoadImage(GEAR_VOLTAGE_MODE, INPUT_GEAR, INPUT_RETARD);
  ClickGearSystem(GEAR_NONE);
  EXPECT_EQ(Input(1), INPUT_GEAR);
  EXPECT_EQ(Input(2), INPUT_RETARD);
  EXPECT_FALSE(controls.Visible("UpDownPocetGear"));
  EXPECT_FALSE(controls.Visible("GroupBoxPulsuProSpeed"));
}

TEST_F(GearPageTest, GearButtonStoresTheLiveVoltageWhileConnected) {
  LoadImage(GEAR_VOLTAGE_MODE, INPUT_GEAR, INPUT_OFF);
  live.live = true;
  live.gearMv = 2345;
  const int commits = binder.Commits();
  Click("ButtonGear3");
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(ReadStored(buffers.params, FieldId::GEAR_VOLTAGE, 3), 2345);
  EXPECT_EQ(controls.Position("UpDownGearVoltage3"), 2345);
  EXPECT_TRUE(binder.Ring().CanUndo());

  connected = false;
  live.gearMv = 1000;
  Click("ButtonGear3");
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(ReadStored(buffers.params, FieldId::GEAR_VOLTAGE, 3), 2345);
}

TEST_F(GearPageTest, GearButtonStoresTheLiveRatioFromGear1On) {
  LoadImage(GEAR_RATIO_MODE, INPUT_OFF, INPUT_SPEED);
  live.live = true;
  live.gearRatio = 777;
  const int before = ReadStored(buffers.params, FieldId::GEAR_RATIO, 0);
  const int commits = binder.Commits();
  Click("ButtonGear0");  // gear 0 has no ratio
  EXPECT_EQ(binder.Commits(), commits);
  EXPECT_EQ(ReadStored(buffers.params, FieldId::GEAR_RATIO, 0), before);
  Click("ButtonGear2");
  EXPECT_EQ(ReadStored(buffers.params, FieldId::GEAR_RATIO, 1), 777);
  EXPECT_EQ(controls.Position("UpDownGearRatio2"), 777);
}

TEST_F(GearPageTest, ALiveValueOutsideTheFieldIsClampedNotWrapped) {
  LoadImage(GEAR_RATIO_MODE, INPUT_OFF, INPUT_SPEED);
  live.live = true;
  live.gearRatio = 70000;  // would wrap to 4464 in a 16-bit word
  Click("ButtonGear1");
  EXPECT_EQ(ReadStored(buffers.params, FieldId::GEAR_RATIO, 0), 32000);
  live.gearRatio = -5;
  Click("ButtonGear1");
  EXPECT_EQ(ReadStored(buffers.params, FieldId::GEAR_RATIO, 0), 1);
}

struct RowsCase {
  int mode;
  int count;
  int lastVoltageShown;  // gear of the last voltage row shown
  bool buttons;
};

TEST_F(GearPageTest, RowsAndButtonsFollowTheNumberOfGears) {
  const RowsCase cases[] = {
      {GEAR_VOLTAGE_MODE, 1, 1, true}, {GEAR_VOLTAGE_MODE, 2, 2, true},
      {GEAR_VOLTAGE_MODE, 4, 4, true}, {GEAR_VOLTAGE_MODE, 6, 6, true},
      {GEAR_RATIO_MODE, 3, 3, true},   {GEAR_RATIO_AUTO, 5, 5, false},
  };
  for (const RowsCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " count " << c.count);
    LoadImage(c.mode, INPUT_GEAR, INPUT_SPEED, c.count);
    for (int n = 0; n < kGearVoltageRows; ++n) {
      EXPECT_EQ(controls.Visible(kGearVoltageNames[n]), n <= c.lastVoltageShown) << n;
      EXPECT_EQ(controls.Visible(kGearButtonNames[n]), c.buttons && n <= c.lastVoltageShown) << n;
    }
    for (int i = 0; i < kGearRatioRows; ++i) {
      EXPECT_EQ(controls.Visible(kGearRatioNames[i]), i + 1 <= c.lastVoltageShown) << i;
      EXPECT_EQ(controls.Visible(kGearAutoLabels[i]), i + 1 <= c.lastVoltageShown) << i;
    }
    EXPECT_EQ(controls.Visible("GroupBoxMonAutoGear"), c.mode == GEAR_RATIO_AUTO);
  }
}

TEST_F(GearPageTest, TickLightsTheCurrentGearAndEnablesButtonsOnValidData) {
  LoadImage(GEAR_VOLTAGE_MODE, INPUT_GEAR, INPUT_OFF);
  binder.Tick();
  for (int n = 0; n < kGearButtons; ++n) {
    EXPECT_FALSE(controls.Enabled(kGearButtonNames[n])) << n;
    EXPECT_FALSE(controls.Highlighted(kGearButtonNames[n])) << n;
  }
  live.live = true;
  live.gear = 4;
  binder.Tick();
  for (int n = 0; n < kGearButtons; ++n) {
    EXPECT_TRUE(controls.Enabled(kGearButtonNames[n])) << n;
    EXPECT_EQ(controls.Highlighted(kGearButtonNames[n]), n == 4) << n;
    EXPECT_EQ(controls.Highlighted(kGearVoltageLabels[n]), n == 4) << n;
  }
  EXPECT_FALSE(controls.Highlighted(kGearRatioLabels[3]));  // ratio labels only in mode 2
  live.gear = 2;
  binder.Tick();
  EXPECT_FALSE(controls.Highlighted("LabelGearVoltage4"));
  EXPECT_TRUE(controls.Highlighted("LabelGearVoltage2"));
}

}  // namespace
}  // namespace zeda::test
