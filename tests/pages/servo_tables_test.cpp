#include "pages/servo_tables.h"

#include <gtest/gtest.h>

#include "pages/page_image.h"
#include "params/param_codes.h"

namespace zeda {
namespace {

using test::PageImage;

class ServoTables : public ::testing::Test {
 protected:
  void Create() {
    t_ = CreateServoTables(set_, 5, img_, 0);
    ASSERT_NE(t_, nullptr);
  }
  CSheet& Sheet() { return t_->Sheet(0); }
  TTableSet set_;
  ParamImage img_ = PageImage();
  TTab* t_ = nullptr;
};

TEST(ServoPercent, CellConversionRoundsToNearest) {
  struct Case {
    int32_t volts, percent;
  } toPercent[] = {{250, 100}, {1, 0}, {0, 0}, {2, 1}, {125, 50}, {126, 50}, {127, 51}, {-3, 0}};
  for (const auto& c : toPercent) EXPECT_EQ(ServoCellToPercent(c.volts), c.percent) << c.volts;
  struct Back {
    int32_t percent, volts;
  } toVolts[] = {{100, 250}, {0, 0}, {1, 3}, {40, 100}, {51, 128}};
  for (const auto& c : toVolts) EXPECT_EQ(ServoCellToVolts(c.percent), c.volts) << c.percent;
}

TEST_F(ServoTables, PercentOnAndOffConvertsTheMapAndItsAxis) {
  img_.SetByte(Adrb::SERVO + 0, 250);
  img_.SetByte(Adrb::SERVO + 1, 1);
  img_.SetByte(Adrb::SERVO + 9 * MAP_COLUMNS + 14, 125);
  NormalizeParams(img_);
  Create();
  EXPECT_EQ(Sheet().axisData.label, "STPS [V]");

  ASSERT_TRUE(ApplyServoPercent(*t_, img_, true));
  EXPECT_EQ(img_.Byte(Adrb::SERVO_PERCENT), 1);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 0), 100);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 1), 0);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 9 * MAP_COLUMNS + 14), 50);
  EXPECT_EQ(Sheet().axisData.label, "STPS [%]");
  EXPECT_EQ(Sheet().axisData.maxValue, 100);
  EXPECT_EQ(Sheet().axisData.scale, 1.0);
  EXPECT_FALSE(ApplyServoPercent(*t_, img_, true));  // already percent: nothing to convert

  ASSERT_TRUE(ApplyServoPercent(*t_, img_, false));
  EXPECT_EQ(img_.Byte(Adrb::SERVO_PERCENT), 0);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 0), 250);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 1), 0);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 9 * MAP_COLUMNS + 14), 125);
  EXPECT_EQ(Sheet().axisData.label, "STPS [V]");
  EXPECT_EQ(Sheet().axisData.maxValue, 250);
  EXPECT_DOUBLE_EQ(Sheet().axisData.scale, 0.02);
  NormalizeParams(img_);
  EXPECT_EQ(img_.Byte(Adrb::SERVO + 0), 250);
}

TEST_F(ServoTables, LoadingAPercentMapShowsPercent) {
  img_.SetByte(Adrb::SERVO_PERCENT, 1);
  NormalizeParams(img_);
  Create();
  EXPECT_EQ(Sheet().axisData.label, "STPS [%]");
  EXPECT_EQ(Sheet().Cell(0, 0), img_.Byte(Adrb::SERVO));
}

// SERVO_MAP in, the axis use it loads as, and what storing it gives back.
TEST_F(ServoTables, MapModeFollowsTheEditorsAxisUse) {
  struct Case {
    int sensor, modeIn;
    bool xFixed, yFixed;
    int modeOut;
  } cases[] = {
      {LOAD_SENSOR_NONE, 1, false, true, 0}, {LOAD_SENSOR_NONE, 2, false, true, 0},
      {LOAD_SENSOR_TP, 0, false, true, 0},   {LOAD_SENSOR_TP, 1, false, false, 1},
      {LOAD_SENSOR_TP, 2, true, false, 2},   {LOAD_SENSOR_IAP, 2, true, false, 2},
      {LOAD_SENSOR_IAP, 1, false, false, 1},
  };
  Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "sensor " << c.sensor << " mode " << c.modeIn);
    img_.SetByte(Adrb::TPSIAP_SENSOR, static_cast<uint8_t>(c.sensor));
    img_.SetByte(Adrb::SERVO_MAP, static_cast<uint8_t>(c.modeIn));
    LoadServoTable(*t_, img_);
    EXPECT_EQ(Sheet().axisX.fixed, c.xFixed);
    EXPECT_EQ(Sheet().axisY.fixed, c.yFixed);
    StoreServoTable(*t_, img_);
    EXPECT_EQ(img_.Byte(Adrb::SERVO_MAP), c.modeOut);
  }
  // The editor's own axis-use choice reaches SERVO_MAP.
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_TP);
  LoadServoTable(*t_, img_);
  t_->UseOnlyX();
  StoreServoTable(*t_, img_);
  EXPECT_EQ(img_.Byte(Adrb::SERVO_MAP), SERVO_MAP_RPM);
  t_->UseOnlyY();
  StoreServoTable(*t_, img_);
  EXPECT_EQ(img_.Byte(Adrb::SERVO_MAP), SERVO_MAP_LOAD);
}

TEST_F(ServoTables, EnableFollowsTheSheetsSwitch) {
  img_.SetByte(Adrb::SERVO_ENABLE, 1);
  Create();
  EXPECT_TRUE(Sheet().enabled);
  t_->ToggleSheet();
  StoreServoTable(*t_, img_);
  EXPECT_EQ(img_.Byte(Adrb::SERVO_ENABLE), 0);
  img_.SetByte(Adrb::SERVO_ENABLE, 1);
  LoadServoTable(*t_, img_);
  EXPECT_TRUE(Sheet().enabled);
}

TEST_F(ServoTables, StoreWritesColumnsAndRepeatsTheLastUsedOne) {
  Create();
  Sheet().axisX.count = 4;
  for (int r = 0; r < MAP_ROWS; ++r) Sheet().Cell(3, r) = 200 + r;
  StoreServoTable(*t_, img_);
  EXPECT_EQ(img_.Byte(Adrb::SERVO_COLUMNS), 4);
  for (int r = 0; r < MAP_ROWS; ++r)
    for (int c = 3; c < MAP_COLUMNS; ++c)
      EXPECT_EQ(img_.Byte(Adrb::SERVO + r * MAP_COLUMNS + c), 200 + r);
  const ParamImage stored = img_;
  LoadServoTable(*t_, img_);
  StoreServoTable(*t_, img_);
  EXPECT_EQ(img_, stored);
}

}  // namespace
}  // namespace zeda
