// The Sensors page: the load sensor's items and tables, the throttle calibration buttons
// and the tables' change report.
#include "pages/sensors_page.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "map_pages_fixture.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda::test {
namespace {

using SensorsPageTest = MapPageFixture<SensorsPage>;

TEST_F(SensorsPageTest, TablesAndButtonsFollowTheLoadSensor) {
  struct Case {
    int sensor;
    bool throttle, pressure;
  } cases[] = {{LOAD_SENSOR_NONE, false, false},
               {LOAD_SENSOR_TP, true, false},
               {LOAD_SENSOR_IAP, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sensor);
    controls.SetItemIndex("RadioGroupTpsIap", c.sensor);
    binder.ControlChanged("RadioGroupTpsIap", ChangeKind::Immediate);
    ASSERT_EQ(Img().Byte(Adrb::TPSIAP_SENSOR), c.sensor);
    EXPECT_EQ(controls.Visible(SensorsPage::kThrottleTableName), c.throttle);
    EXPECT_EQ(controls.Visible("BitBtnTps0"), c.throttle);
    EXPECT_EQ(controls.Visible("BitBtnTps100"), c.throttle);
    EXPECT_EQ(controls.Visible(SensorsPage::kPressureTableName), c.pressure);
  }
  EXPECT_FALSE(controls.Visible("RadioGroupCidloLambdaMode"));
}

TEST_F(SensorsPageTest, SynchroIapRenamesTheThirdItemAndKeepsTheSelection) {
  controls.SetItemIndex("RadioGroupTpsIap", LOAD_SENSOR_IAP);
  binder.ControlChanged("RadioGroupTpsIap", ChangeKind::Immediate);
  controls.SetItemIndex("RadioGroupSensorServa", 1);
  binder.ControlChanged("RadioGroupSensorServa", ChangeKind::Immediate);
  EXPECT_EQ(Img().Byte(Adrb::SERVO_SENSOR), 1);
  EXPECT_EQ(controls.ItemIndex("RadioGroupTpsIap"), LOAD_SENSOR_IAP);
  EXPECT_EQ(controls.ItemCount("RadioGroupTpsIap"), 3);
  EXPECT_EQ(Img().Byte(Adrb::TPSIAP_SENSOR), LOAD_SENSOR_IAP);
}

struct ButtonCase {
  const char* button;
  FieldId field;
  bool live;
  int loadMode;
  int mv;
  bool taken;
};

TEST_F(SensorsPageTest, ThrottleButtonsTakeTheLiveVoltage) {
  const ButtonCase cases[] = {
      {"BitBtnTps0", FieldId::TPS_0, true, 1, 420, true},
      {"BitBtnTps100", FieldId::TPS_100, true, 1, 4480, true},
      {"BitBtnTps100", FieldId::TPS_100, true, 1, 6000, true},  // clamped to 5000
      {"BitBtnTps0", FieldId::TPS_0, false, 1, 333, false},     // monitor not live
      {"BitBtnTps0", FieldId::TPS_0, true, 2, 333, false},      // a pressure voltage
  };
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.button);
    const int before = ReadStored(Img(), c.field, 0);
    const int commits = binder.Commits();
    live.live = c.live;
    live.loadMode = c.loadMode;
    live.sensorMv = c.mv;
    binder.ControlChanged(c.button, ChangeKind::Immediate);
    if (c.taken) {
      EXPECT_EQ(ReadStored(Img(), c.field, 0), std::min(c.mv, 5000));
      EXPECT_EQ(binder.Commits(), commits + 1);
    } else {
      EXPECT_EQ(ReadStored(Img(), c.field, 0), before);
      EXPECT_EQ(binder.Commits(), commits);
    }
  }
}

TEST_F(SensorsPageTest, TableChangeReportStoresAndCommitsOnce) {
  ASSERT_NE(page.Tabs().throttle, nullptr);
  TTab& t = *page.Tabs().throttle;
  const int commits = binder.Commits();
  t.Cur().Cell(0, kThrottleRowClosed) = 610;
  t.onTableChanged(t);
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(ReadStored(Img(), FieldId::TPS_0, 0), 610);
  EXPECT_EQ(page.Tables().size(), 2u);
}

}  // namespace
}  // namespace zeda::test
