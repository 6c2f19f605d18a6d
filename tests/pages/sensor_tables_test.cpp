#include "pages/sensor_tables.h"

#include <gtest/gtest.h>

#include "mapedit/lang_select.h"
#include "pages/page_image.h"
#include "params/param_codes.h"

namespace zeda {
namespace {

using test::PageImage;

class SensorTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    img_.SetWord(Adrw::TPS_0, 650);
    img_.SetWord(Adrw::TPS_100, 4100);
    img_.SetWord(Adrw::IAP_P1, 40);
    img_.SetWord(Adrw::IAP_V1, 1200);
    img_.SetWord(Adrw::IAP_P2, 110);
    img_.SetWord(Adrw::IAP_V2, 4300);
    t_ = CreateSensorTables(set_, 10, img_, 0);
    ASSERT_TRUE(t_.throttle && t_.pressure);
  }
  TTableSet set_;
  ParamImage img_ = PageImage();
  SensorTables t_;
};

TEST_F(SensorTablesTest, LoadPutsCalibrationIntoTheFirstColumn) {
  const CSheet& tp = t_.throttle->Sheet(0);
  EXPECT_EQ(MapeditText(tp.name, kLangEnglish), "TP sensor");
  EXPECT_EQ(tp.Cell(0, kThrottleRowClosed), 650);
  EXPECT_EQ(tp.Cell(0, kThrottleRowOpen), 4100);
  EXPECT_EQ(tp.axisY.values[0], 0);
  EXPECT_EQ(tp.axisY.values[1], 100);
  EXPECT_DOUBLE_EQ(tp.axisData.scale, 0.001);  // mV shown in volts
  const CSheet& iap = t_.pressure->Sheet(0);
  EXPECT_EQ(MapeditText(iap.name, kLangEnglish), "IAP sensor");
  EXPECT_EQ(iap.axisY.values[0], 40);
  EXPECT_EQ(iap.axisY.values[1], 110);
  EXPECT_EQ(iap.Cell(0, 0), 1200);
  EXPECT_EQ(iap.Cell(0, 1), 4300);
}

TEST_F(SensorTablesTest, ChangeReportStoresTheTableThatChanged) {
  t_.throttle->Sheet(0).Cell(0, kThrottleRowOpen) = 3950;
  t_.pressure->Sheet(0).Cell(0, 0) = 999;  // not reported: stays out of the image
  ASSERT_TRUE(StoreSensorTable(t_, *t_.throttle, img_));
  EXPECT_EQ(img_.Word(Adrw::TPS_100), 3950);
  EXPECT_EQ(img_.Word(Adrw::IAP_V1), 1200);

  t_.pressure->Sheet(0).axisY.values[1] = 120;
  ASSERT_TRUE(StoreSensorTable(t_, *t_.pressure, img_));
  EXPECT_EQ(img_.Word(Adrw::IAP_P2), 120);
  EXPECT_EQ(img_.Word(Adrw::IAP_V1), 999);

  TTab other;
  EXPECT_FALSE(StoreSensorTable(t_, other, img_));
}

TEST_F(SensorTablesTest, OutOfRangeValuesAreClampedNotWrapped) {
  t_.throttle->Sheet(0).Cell(0, kThrottleRowClosed) = -20;
  t_.pressure->Sheet(0).axisY.values[1] = 70000;
  StoreSensorTable(t_, *t_.throttle, img_);
  StoreSensorTable(t_, *t_.pressure, img_);
  EXPECT_EQ(img_.Word(Adrw::TPS_0), 0);
  EXPECT_EQ(img_.Word(Adrw::IAP_P2), 999);
}

TEST_F(SensorTablesTest, ThrottleButtonsPutTheLiveVoltageIntoTheirRow) {
  SetThrottleCalibration(t_, kThrottleRowClosed, 480, img_);
  SetThrottleCalibration(t_, kThrottleRowOpen, 6200, img_);
  SetThrottleCalibration(t_, 2, 100, img_);  // no such row: ignored
  EXPECT_EQ(img_.Word(Adrw::TPS_0), 480);
  EXPECT_EQ(img_.Word(Adrw::TPS_100), 5000);
  EXPECT_EQ(t_.throttle->Sheet(0).Cell(0, kThrottleRowClosed), 480);
  EXPECT_EQ(t_.throttle->Sheet(0).Cell(0, kThrottleRowOpen), 5000);
}

TEST_F(SensorTablesTest, ShownTableFollowsTheLoadSensor) {
  struct Case {
    int sensor;
    bool throttle, pressure;
  } cases[] = {{LOAD_SENSOR_NONE, false, false},
               {LOAD_SENSOR_TP, true, false},
               {LOAD_SENSOR_IAP, false, true},
               {7, false, false}};
  for (const auto& c : cases) {
    img_.SetByte(Adrb::TPSIAP_SENSOR, static_cast<uint8_t>(c.sensor));
    const SensorTablesShown s = SensorTablesShownFor(img_);
    EXPECT_EQ(s.throttle, c.throttle) << c.sensor;
    EXPECT_EQ(s.pressure, c.pressure) << c.sensor;
  }
}

}  // namespace
}  // namespace zeda
