#include "pages/pout_tables.h"

#include <gtest/gtest.h>

#include "pages/page_image.h"
#include "params/param_codes.h"
#include "params/pout_presets.h"

namespace zeda {
namespace {

using test::PageImage;

class PoutTablesTest : public ::testing::Test {
 protected:
  void Create() {
    t_ = CreatePoutTables(set_, 20, img_, 0);
    for (int k = 0; k < POUT_COUNT; ++k) ASSERT_TRUE(t_.switching[k] && t_.pwm[k]);
  }
  CSheet& Switching(int k) { return t_.switching[k]->Sheet(0); }
  CSheet& Pwm(int k) { return t_.pwm[k]->Sheet(0); }
  TTableSet set_;
  ParamImage img_ = PageImage();
  PoutTables t_;
};

// The editor sizes a cell by the cells it shows at once; a small table that kept a map's
// 15 x 10 would be drawn in a corner of its box.
TEST_F(PoutTablesTest, EveryCellIsShownAtOnce) {
  Create();
  for (int k = 0; k < POUT_COUNT; ++k) {
    SCOPED_TRACE(k);
    for (const TTab* t : {t_.switching[k], t_.pwm[k]}) {
      EXPECT_EQ(t->visibleCols, t->Sheet(0).CellCols());
      EXPECT_EQ(t->visibleRows, t->Sheet(0).CellRows());
    }
  }
}

// The presets' switching bytes (12, 14, 14 for the gear shift light) use bits 0-3 and all
// three bytes: the switching table is a zone table of 4 x 3 zones, zone (row r, column i)
// being bit i of byte r.
TEST_F(PoutTablesTest, ZonesAreTheBitsOfTheSwitchingBytes) {
  const uint8_t bytes[POUT_COUNT][POUT_SW_ROWS] = {
      {12, 14, 14}, {14, 12, 12}, {2, 2, 2}, {0x01, 0x08, 0x0F}};
  for (int k = 0; k < POUT_COUNT; ++k)
    for (int r = 0; r < POUT_SW_ROWS; ++r)
      img_.SetByte(Adrb::POUT_SW_BITS + 3 * k + r, bytes[k][r]);
  Create();
  for (int k = 0; k < POUT_COUNT; ++k) {
    EXPECT_TRUE(t_.switching[k]->IsZone());
    EXPECT_EQ(Switching(k).CellCols(), kPoutZoneColumns);
    EXPECT_EQ(Switching(k).CellRows(), kPoutZoneRows);
    for (int r = 0; r < kPoutZoneRows; ++r)
      for (int i = 0; i < kPoutZoneColumns; ++i)
        EXPECT_EQ(Switching(k).Cell(i, r), (bytes[k][r] >> i) & 1)
            << "output " << k << " row " << r << " column " << i;
  }
}

TEST_F(PoutTablesTest, ZonesStoreIntoTheirBitsAndKeepTheRest) {
  img_.SetByte(Adrb::POUT_SW_BITS + 3 * 2 + 0, 0xA2);  // bits 4-7 lie outside the zones
  Create();
  CSheet& s = Switching(2);
  for (int r = 0; r < kPoutZoneRows; ++r)
    for (int i = 0; i < kPoutZoneColumns; ++i) s.Cell(i, r) = 0;
  s.Cell(0, 0) = 1;
  s.Cell(3, 1) = 1;
  s.Cell(1, 2) = 2;  // any marked zone is on
  ASSERT_TRUE(StorePoutTable(t_, *t_.switching[2], img_));
  EXPECT_EQ(img_.Byte(Adrb::POUT_SW_BITS + 6), 0xA1);
  EXPECT_EQ(img_.Byte(Adrb::POUT_SW_BITS + 7), 0x08);
  EXPECT_EQ(img_.Byte(Adrb::POUT_SW_BITS + 8), 0x02);
}

TEST_F(PoutTablesTest, GearShiftLightPresetRoundTrips) {
  img_.SetByte(Adrb::POUT_MODE + 1, POUT_GEAR_SHIFT_LIGHT);
  ApplyPoutPreset(img_, 1, PoutPresetVariant::User);
  NormalizeParams(img_);
  Create();
  const CSheet& s = Switching(1);
  EXPECT_EQ(s.axisX.values[0] * s.axisX.scale, 9000);
  EXPECT_EQ(s.axisX.values[1] * s.axisX.scale, 9500);
  EXPECT_EQ(s.axisX.values[2] * s.axisX.scale, 14000);
  const ParamImage before = img_;
  for (int k = 0; k < POUT_COUNT; ++k) {
    StorePoutTable(t_, *t_.switching[k], img_);
    StorePoutTable(t_, *t_.pwm[k], img_);
  }
  EXPECT_EQ(img_, before);
}

TEST_F(PoutTablesTest, AxesAndPwmCellsGoToTheirOutputsAddresses) {
  Create();
  CSheet& sw = Switching(3);
  sw.axisX.values[1] = 77;
  sw.axisY.values[1] = 95;
  ASSERT_TRUE(StorePoutTable(t_, *t_.switching[3], img_));
  EXPECT_EQ(img_.Byte(Adrb::POUT_SW_RPM + 3 * 3 + 1), 77);
  EXPECT_EQ(img_.Word(Adrw::POUT_SW_LOAD + 2 * 3 + 1), 95);

  CSheet& pwm = Pwm(2);
  pwm.Cell(5, 3) = 64;
  pwm.axisX.values[5] = 130;
  pwm.axisY.values[3] = 88;
  ASSERT_TRUE(StorePoutTable(t_, *t_.pwm[2], img_));
  EXPECT_EQ(img_.Byte(Adrb::POUT_PWM_MAP + 24 * 2 + 6 * 3 + 5), 64);
  EXPECT_EQ(img_.Byte(Adrb::POUT_PWM_RPM + 6 * 2 + 5), 130);
  EXPECT_EQ(img_.Word(Adrw::POUT_PWM_LOAD + 4 * 2 + 3), 88);

  TTab other;
  EXPECT_FALSE(StorePoutTable(t_, other, img_));
  EXPECT_EQ(PoutOutputOf(t_, *t_.pwm[2]), 2);
  EXPECT_EQ(PoutOutputOf(t_, other), -1);
}

TEST_F(PoutTablesTest, PwmValuesFollowTheOutputsMode) {
  struct Case {
    int mode, pulse;  // POUT_SPULSE stored (x 5 ms)
    int32_t min, max;
    double scale;
  } cases[] = {{POUT_SPECIAL_PULSE, 20, 2, 200, 0.05},   {POUT_SPECIAL_PULSE, 0, 0, 200, 0.05},
               {POUT_SPECIAL_PULSE, 100, 10, 200, 0.05}, {POUT_SPECIAL_PWM, 20, 0, 100, 1.0},
               {POUT_SPECIAL, 20, 0, 100, 1.0},          {POUT_OFF, 20, 0, 100, 1.0}};
  Create();
  for (const auto& c : cases) {
    img_.SetByte(Adrb::POUT_MODE + 1, static_cast<uint8_t>(c.mode));
    img_.SetByte(Adrb::POUT_SPULSE + 1, static_cast<uint8_t>(c.pulse));
    SetPoutTableRanges(t_, 1, img_);
    const CAxe& d = Pwm(1).axisData;
    EXPECT_EQ(d.minValue, c.min) << "mode " << c.mode << " pulse " << c.pulse;
    EXPECT_EQ(d.maxValue, c.max) << "mode " << c.mode;
    EXPECT_DOUBLE_EQ(d.scale, c.scale);
  }
}

// In mode 253 with a 100 ms pulse (POUT_SPULSE 20) the period cannot be shorter than two
// 50 ms steps: a loaded 0 shows as 2 and a decrement at 2 stays at 2.
TEST_F(PoutTablesTest, PulsePeriodCannotGoBelowThePulse) {
  img_.SetByte(Adrb::POUT_MODE + 0, POUT_SPECIAL_PULSE);
  img_.SetByte(Adrb::POUT_SPULSE + 0, 20);
  img_.SetByte(Adrb::POUT_PWM_MAP + 0, 0);
  Create();
  EXPECT_EQ(Pwm(0).Cell(0, 0), 2);
  TTab& t = *t_.pwm[0];
  t.onTableChanged = [this](TTab& tab) { StorePoutTable(t_, tab, img_); };
  t.SelectItem(0, 0);
  t.Increment(-1);
  test::TickUntilCommitted(t);
  EXPECT_EQ(Pwm(0).Cell(0, 0), 2);
  EXPECT_EQ(img_.Byte(Adrb::POUT_PWM_MAP + 0), 2);
}

TEST_F(PoutTablesTest, RowAxisFollowsTheLoadSensor) {
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_IAP);
  img_.SetWord(Adrw::POUT_SW_LOAD + 0, 150);
  img_.SetWord(Adrw::POUT_SW_LOAD + 1, 180);
  Create();
  for (const CSheet* s : {&Switching(0), &Pwm(0)}) {
    EXPECT_EQ(s->axisY.key, "IAP");
    EXPECT_EQ(s->axisY.unit, "kPa");
    EXPECT_EQ(s->axisY.maxValue, 999);
  }
  EXPECT_EQ(Switching(0).axisY.values[1], 180);  // kept above 100 kPa
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_TP);
  SetPoutTableRanges(t_, 0, img_);
  EXPECT_EQ(Switching(0).axisY.key, "TP");
  EXPECT_EQ(Switching(0).axisY.maxValue, 100);
  EXPECT_LE(Switching(0).axisY.values[1], 100);
}

TEST_F(PoutTablesTest, HysteresisIsShownInRpm) {
  img_.SetByte(Adrb::POUT_HYSTER + 2, 25);
  EXPECT_EQ(PoutHysteresisRpm(img_, 2), 250);
  EXPECT_EQ(PoutHysteresisRpm(img_, 4), 0);
  EXPECT_EQ(PoutHysteresisRpm(img_, -1), 0);
}

}  // namespace
}  // namespace zeda
