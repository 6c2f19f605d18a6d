#include "params/normalize.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "params/defaults.h"
#include "params/lobe_byte.h"
#include "params/param_codes.h"

namespace zeda {
namespace {

ParamImage Normalized(ParamImage img) {
  NormalizeParams(img);
  return img;
}

// --- single bytes --------------------------------------------------------------------------

struct ByteCase {
  const char* what;
  int addr;
  int before;
  int after;
};

class NormalizeByte : public ::testing::TestWithParam<ByteCase> {};

TEST_P(NormalizeByte, FixesOrKeepsTheValue) {
  const ByteCase& c = GetParam();
  ParamImage img = StartImage();
  img.SetByte(c.addr, static_cast<uint8_t>(c.before));
  NormalizeParams(img);
  EXPECT_EQ(img.Byte(c.addr), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeByte,
    ::testing::Values(ByteCase{"four stroke 3", Adrb::FOUR_STROKE, 3, 0},
                      ByteCase{"four stroke 2", Adrb::FOUR_STROKE, 2, 2},
                      ByteCase{"four stroke 255", Adrb::FOUR_STROKE, 255, 0},
                      ByteCase{"flywheel 2", Adrb::FLYWHEEL_OPERATION, 2, 1},
                      ByteCase{"flywheel 1", Adrb::FLYWHEEL_OPERATION, 1, 1},
                      ByteCase{"channels 0", Adrb::CHANNEL_COUNT, 0, 1},
                      ByteCase{"channels 3", Adrb::CHANNEL_COUNT, 3, 2},
                      ByteCase{"channels 4", Adrb::CHANNEL_COUNT, 4, 2},
                      ByteCase{"channels 1", Adrb::CHANNEL_COUNT, 1, 1},
                      ByteCase{"dwell mode 4", Adrb::DWELL, 4, 3},
                      ByteCase{"dwell mode 3", Adrb::DWELL, 3, 3},
                      ByteCase{"dwell time of dwell mode 0", Adrb::DWELL + 1, 222, 10},
                      ByteCase{"max lobe len 0", Adrb::MAX_LOBE_LEN, 0, 250},
                      ByteCase{"max lobe len 249", Adrb::MAX_LOBE_LEN, 249, 249},
                      ByteCase{"max lobe len 251", Adrb::MAX_LOBE_LEN, 251, 250},
                      ByteCase{"potentiometer 5", Adrb::POTENTIOMETER, 5, 0},
                      ByteCase{"potentiometer 4", Adrb::POTENTIOMETER, 4, 4},
                      ByteCase{"base advance 41", Adrb::BASE_ADV, 41, 40},
                      ByteCase{"base advance 0 (a file's 300)", Adrb::BASE_ADV, 0, 0},
                      ByteCase{"reserved byte 500", Adrb::ZERO_BYTE, 77, 0},
                      ByteCase{"unused byte carried", 170, 99, 99},
                      ByteCase{"unused byte 554 carried", 554, 1, 1}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// The unit times the two fixed dwell modes from byte 225; the other modes carry their own
// time. A read image that disagreed would be changed by the first commit of any page edit.
TEST(Normalize, DwellTimeFollowsAFixedDwellMode) {
  struct Case {
    int mode, timeBefore, timeAfter;
  };
  for (const Case c : {Case{0, 77, 10}, Case{0, 10, 10}, Case{1, 10, 30}, Case{1, 255, 30},
                       Case{2, 77, 77}, Case{3, 0, 0}, Case{9, 77, 77}}) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " time " << c.timeBefore);
    ParamImage img = StartImage();
    img.SetByte(Adrb::DWELL, static_cast<uint8_t>(c.mode));
    img.SetByte(Adrb::DWELL + 1, static_cast<uint8_t>(c.timeBefore));
    const ParamImage once = Normalized(img);
    EXPECT_EQ(once.Byte(Adrb::DWELL + 1), c.timeAfter);
    EXPECT_EQ(Normalized(once), once);  // settled: a second pass changes nothing
  }
}

TEST(Normalize, ServoSensorForcesServoOff) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::SERVO_ENABLE, 1);
  img.SetByte(Adrb::SERVO_SENSOR, 1);
  EXPECT_EQ(Normalized(img).Byte(Adrb::SERVO_ENABLE), 0);
  img.SetByte(Adrb::SERVO_SENSOR, 0);
  EXPECT_EQ(Normalized(img).Byte(Adrb::SERVO_ENABLE), 1);
}

TEST(Normalize, SecondIapPointNotBelowTheFirst) {
  ParamImage img = StartImage();
  img.SetWord(Adrw::IAP_P1, 120);
  img.SetWord(Adrw::IAP_P2, 80);
  EXPECT_EQ(Normalized(img).Word(Adrw::IAP_P2), 120);
}

TEST(Normalize, LimitersClampedTo1000To25000) {
  ParamImage img = StartImage();
  img.SetWord(Adrw::START_SOFT_LIMITER, 0);
  img.SetWord(Adrw::START_LIMITER, 999);
  img.SetWord(Adrw::SOFT_LIMITER, 25001);
  img.SetWord(Adrw::LIMITER, 65535);
  img = Normalized(img);
  EXPECT_EQ(img.Word(Adrw::START_SOFT_LIMITER), 1000);
  EXPECT_EQ(img.Word(Adrw::START_LIMITER), 1000);
  EXPECT_EQ(img.Word(Adrw::SOFT_LIMITER), 25000);
  EXPECT_EQ(img.Word(Adrw::LIMITER), 25000);
}

// --- series ----------------------------------------------------------------------------------

struct SeriesCase {
  const char* what;
  ParamArea area;
  int kind, first, lo, hi, step;
  std::vector<int> in;
  std::vector<int> out;
};

class ClampSeriesTable : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(ClampSeriesTable, GivesTheExpectedSeries) {
  const SeriesCase& c = GetParam();
  ParamImage img;
  const int base = 100;  // well inside both views
  const int n = static_cast<int>(c.in.size());
  for (int i = 0; i < n; ++i) {
    if (c.area == ParamArea::Word)
      img.SetWord(base + c.first + i, static_cast<uint16_t>(c.in[i]));
    else
      img.SetByte(base + c.first + i, static_cast<uint8_t>(c.in[i]));
  }
  ParamImage before = img;
  ClampSeries(img, c.area, c.kind, base, c.first, c.lo, c.hi, n, c.step);
  for (int i = 0; i < n; ++i) {
    const int a = base + c.first + i;
    const int v = c.area == ParamArea::Word ? img.Word(a) : img.Byte(a);
    const int expect = c.out[i] & (c.area == ParamArea::Word ? 0xFFFF : 0xFF);
    EXPECT_EQ(v, expect) << c.what << " element " << i;
  }
  // Nothing before the first element is touched.
  if (c.area == ParamArea::Byte) {
    EXPECT_EQ(img.Byte(base + c.first - 1), before.Byte(base + c.first - 1));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClampSeriesTable,
    ::testing::Values(
        SeriesCase{"rpm axis all 250",
                   ParamArea::Byte,
                   SERIES_RISING,
                   0,
                   3,
                   250,
                   1,
                   std::vector<int>(15, 250),
                   {236, 237, 238, 239, 240, 241, 242, 243, 244, 245, 246, 247, 248, 249, 250}},
        SeriesCase{"iap axis all 0",
                   ParamArea::Word,
                   SERIES_RISING,
                   0,
                   0,
                   999,
                   1,
                   std::vector<int>(10, 0),
                   {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        SeriesCase{"rising fixes a dip",
                   ParamArea::Byte,
                   SERIES_RISING,
                   0,
                   3,
                   250,
                   1,
                   {10, 20, 15, 30},
                   {10, 20, 21, 30}},
        SeriesCase{"step 0 keeps equal neighbours",
                   ParamArea::Byte,
                   SERIES_RISING,
                   3,
                   3,
                   250,
                   0,
                   {90, 90, 80},
                   {90, 90, 90}},
        SeriesCase{"bounds only",
                   ParamArea::Byte,
                   SERIES_BOUNDS,
                   0,
                   70,
                   160,
                   0,
                   {0, 200, 100, 70, 160},
                   {70, 160, 100, 70, 160}},
        SeriesCase{
            "falling", ParamArea::Byte, SERIES_FALLING, 0, 0, 100, 2, {100, 100, 0}, {100, 98, 0}},
        SeriesCase{"signed bounds",
                   ParamArea::Byte,
                   SERIES_SIGNED + SERIES_BOUNDS,
                   0,
                   -30,
                   30,
                   0,
                   {0xC0 /* -64 */, 40, -5},
                   {-30, 30, -5}},
        SeriesCase{"signed rising words",
                   ParamArea::Word,
                   SERIES_SIGNED + SERIES_RISING,
                   0,
                   -1000,
                   1000,
                   10,
                   {0x8000 /* -32768 */, -32768, 5000},
                   {-1000, -990, 1000}},
        SeriesCase{"signed falling",
                   ParamArea::Byte,
                   SERIES_SIGNED + SERIES_FALLING,
                   1,
                   -10,
                   10,
                   1,
                   {-10, -10, -10},
                   {-8, -9, -10}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Normalize, AxesRiseAfterNormalisation) {
  ParamImage img = StartImage();
  for (int i = 0; i < 15; ++i) {
    img.SetByte(Adrb::RPM_ADV + i, 250);
    img.SetByte(Adrb::SERVO_RPM + i, 0);
  }
  for (int i = 0; i < 10; ++i) img.SetWord(Adrw::ADV2_IAP + i, 0);
  img = Normalized(img);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(img.Byte(Adrb::RPM_ADV + i), 236 + i);
    EXPECT_EQ(img.Byte(Adrb::SERVO_RPM + i), 3 + i);
  }
  for (int i = 0; i < 10; ++i) EXPECT_EQ(img.Word(Adrw::ADV2_IAP + i), i);
}

// --- maps ------------------------------------------------------------------------------------

TEST(Normalize, AdvanceCellsClampedToMinus30Plus60) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::ADVANCE, 0);
  img.SetByte(Adrb::ADVANCE2 + 14, 200);
  img = Normalized(img);
  EXPECT_EQ(img.Byte(Adrb::ADVANCE), 70);
  EXPECT_EQ(img.Byte(Adrb::ADVANCE2 + 14), 160);
}

TEST(Normalize, ServoCellsClampedByUnit) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::SERVO + 3, 251);
  EXPECT_EQ(Normalized(img).Byte(Adrb::SERVO + 3), 250);
  img.SetByte(Adrb::SERVO_PERCENT, 1);
  EXPECT_EQ(Normalized(img).Byte(Adrb::SERVO + 3), 100);
}

TEST(Normalize, UnusedColumnsCopyTheLastUsedOne) {
  ParamImage img = StartImage();
  for (int i = 0; i < MAP_CELLS; ++i)
    img.SetByte(Adrb::ADVANCE + i, static_cast<uint8_t>(70 + i % 90));
  img.SetByte(Adrb::ADV_COLUMNS, 10);
  img = Normalized(img);
  for (int r = 0; r < MAP_ROWS; ++r) {
    const int row = Adrb::ADVANCE + MAP_COLUMNS * r;
    for (int c = 10; c < MAP_COLUMNS; ++c) EXPECT_EQ(img.Byte(row + c), img.Byte(row + 9));
    EXPECT_NE(img.Byte(row + 8), img.Byte(row + 9));  // used columns untouched
  }
}

TEST(Normalize, ZeroColumnsKeepsTheMapAndBecomes15) {
  ParamImage img = StartImage();
  for (int i = 0; i < MAP_CELLS; ++i) img.SetByte(Adrb::SERVO + i, static_cast<uint8_t>(i));
  img.SetByte(Adrb::SERVO_COLUMNS, 0);
  const ParamImage before = img;
  img = Normalized(img);
  EXPECT_EQ(img.Byte(Adrb::SERVO_COLUMNS), 15);
  for (int i = 0; i < MAP_CELLS; ++i)
    EXPECT_EQ(img.Byte(Adrb::SERVO + i), before.Byte(Adrb::SERVO + i));
  img.SetByte(Adrb::ADV2_COLUMNS, 16);
  EXPECT_EQ(Normalized(img).Byte(Adrb::ADV2_COLUMNS), 15);
}

// --- synchronisation ---------------------------------------------------------------------------

struct LobeCase {
  const char* what;
  int method, lobeCount;
  int startIn, endIn;
  int lobeCountOut;
  int startOut, endOut;
};

class NormalizeLobes : public ::testing::TestWithParam<LobeCase> {};

TEST_P(NormalizeLobes, ClampsLobeNumbersKeepingFlags) {
  const LobeCase& c = GetParam();
  ParamImage img = StartImage();
  img.SetByte(Adrb::PICKUP_SYSTEM, static_cast<uint8_t>(c.method));
  img.SetByte(Adrb::LOBE_COUNT, static_cast<uint8_t>(c.lobeCount));
  for (int ch = 0; ch < CHANNEL_SLOTS; ++ch) {
    img.SetByte(Adrb::LOBE_START + ch, static_cast<uint8_t>(c.startIn));
    img.SetByte(Adrb::LOBE_END + ch, static_cast<uint8_t>(c.endIn));
  }
  img = Normalized(img);
  EXPECT_EQ(img.Byte(Adrb::LOBE_COUNT), c.lobeCountOut);
  for (int ch = 0; ch < CHANNEL_SLOTS; ++ch) {
    EXPECT_EQ(img.Byte(Adrb::LOBE_START + ch), c.startOut) << "channel " << ch;
    EXPECT_EQ(img.Byte(Adrb::LOBE_END + ch), c.endOut) << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeLobes,
    ::testing::Values(
        // method 0 always has one lobe; lobe 0 becomes 1 with both flags kept
        LobeCase{"method 0", 0, 9, 0xC0, 0x85, 1, 0xC1, 0x81},
        // method 14: bit 7 is the lobe's seventh bit; 127 + 2nd edge -> 100 + 2nd edge
        LobeCase{"method 14, 0xFF", 14, 100, 0xFF, 0x40, 100, 0xE4, 0x41},
        LobeCase{"method 14 keeps lobe 70", 14, 116, 0xC6, 0x86, 116, 0xC6, 0x86},
        LobeCase{"method 14, 130 lobes", 14, 130, 0xFF, 0x3F, 120, 0xF8, 0x3F},
        // method 2 has no second pick-up: bit 7 cleared
        LobeCase{"method 2 clears pick-up flag", 2, 6, 0x85, 0xC7, 6, 0x05, 0x46},
        LobeCase{"method 4 keeps pick-up flag", 4, 7, 0x85, 0xC7, 7, 0x85, 0xC7},
        LobeCase{"method 17 keeps pick-up flag", 17, 4, 0xC2, 0x83, 4, 0xC2, 0x83},
        LobeCase{"method 3, 70 lobes", 3, 70, 60, 0x3F, 58, 58, 58},
        // a lobe count of 0 becomes 1 before the lobe numbers are clamped to it
        LobeCase{"lobe count 0", 3, 0, 5, 0x47, 1, 1, 0x41}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// --- power outputs ------------------------------------------------------------------------------

TEST(Normalize, UnknownPowerOutputModeBecomesSpecial) {
  ParamImage img = StartImage();
  const int modes[] = {7, 4, 252, 0};
  for (int k = 0; k < POUT_COUNT; ++k)
    img.SetByte(Adrb::POUT_MODE + k, static_cast<uint8_t>(modes[k]));
  img = Normalized(img);
  EXPECT_EQ(img.Byte(Adrb::POUT_MODE + 0), 255);
  EXPECT_EQ(img.Byte(Adrb::POUT_MODE + 1), 255);
  EXPECT_EQ(img.Byte(Adrb::POUT_MODE + 2), 255);
  EXPECT_EQ(img.Byte(Adrb::POUT_MODE + 3), 0);
}

TEST(Normalize, FixedSwitchingPatternsOfModes2And3) {
  ParamImage img = StartImage();
  for (int i = 0; i < 12; ++i) img.SetByte(Adrb::POUT_SW_BITS + i, 9);
  const int modes[] = {2, 3, 1, 255};
  for (int k = 0; k < POUT_COUNT; ++k)
    img.SetByte(Adrb::POUT_MODE + k, static_cast<uint8_t>(modes[k]));
  img = Normalized(img);
  const int expect[4][3] = {{12, 14, 14}, {14, 12, 12}, {9, 9, 9}, {9, 9, 9}};
  for (int k = 0; k < POUT_COUNT; ++k)
    for (int r = 0; r < 3; ++r) EXPECT_EQ(img.Byte(Adrb::POUT_SW_BITS + 3 * k + r), expect[k][r]);
}

TEST(Normalize, SwitchingRpmMayRepeatOnlyInMode2) {
  ParamImage img = StartImage();
  for (int k = 0; k < 2; ++k) {
    img.SetByte(Adrb::POUT_MODE + k, k == 0 ? 2 : 1);
    for (int i = 0; i < 3; ++i) img.SetByte(Adrb::POUT_SW_RPM + 3 * k + i, 90);
  }
  img = Normalized(img);
  EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 2), 90);
  EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 3), 90);
  EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 4), 91);
  EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 5), 92);
}

TEST(Normalize, LoadAxesOfOutputsFollowTheLoadSensor) {
  ParamImage img = StartImage();
  img.SetWord(Adrw::POUT_SW_LOAD + 0, 500);
  img.SetWord(Adrw::POUT_SW_LOAD + 1, 600);
  img.SetWord(Adrw::POUT_PWM_LOAD + 12, 900);
  img = Normalized(img);  // throttle: % up to 100
  EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 0), 99);
  EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 1), 100);
  EXPECT_EQ(img.Word(Adrw::POUT_PWM_LOAD + 12), 97);
  img.SetWord(Adrw::POUT_SW_LOAD + 0, 500);
  img.SetWord(Adrw::POUT_SW_LOAD + 1, 600);
  img.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_IAP);
  img = Normalized(img);  // IAP: kPa up to 999
  EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 0), 500);
  EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 1), 600);
}

TEST(Normalize, PwmCellsBoundedByMode) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::POUT_MODE + 0, POUT_SPECIAL_PULSE);
  img.SetByte(Adrb::POUT_SPULSE + 0, 20);  // 100 ms -> at least 2 periods of 50 ms
  img.SetByte(Adrb::POUT_MODE + 1, POUT_SPECIAL_PWM);
  for (int i = 0; i < 2 * POUT_PWM_CELLS; ++i) img.SetByte(Adrb::POUT_PWM_MAP + i, i % 2 ? 250 : 0);
  img = Normalized(img);
  EXPECT_EQ(img.Byte(Adrb::POUT_PWM_MAP + 0), 2);
  EXPECT_EQ(img.Byte(Adrb::POUT_PWM_MAP + 1), 200);
  EXPECT_EQ(img.Byte(Adrb::POUT_PWM_MAP + POUT_PWM_CELLS + 0), 0);
  EXPECT_EQ(img.Byte(Adrb::POUT_PWM_MAP + POUT_PWM_CELLS + 1), 100);
}

TEST(Normalize, SpecialPulsePeriodIsRoundedUpToCoverThePulse) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::POUT_MODE + 0, POUT_SPECIAL_PULSE);
  img.SetByte(Adrb::POUT_SPULSE + 0, 21);  // 105 ms: 2 periods (100 ms) would cut it short
  for (int i = 0; i < POUT_PWM_CELLS; ++i) img.SetByte(Adrb::POUT_PWM_MAP + i, i % 2 ? 3 : 2);
  img = Normalized(img);
  for (int i = 0; i < POUT_PWM_CELLS; ++i) EXPECT_EQ(img.Byte(Adrb::POUT_PWM_MAP + i), 3) << i;
}

// --- settings -------------------------------------------------------------------------------

struct SettingsCase {
  RepairableSettings in;
  RepairableSettings out;
};

TEST(Normalize, RepairsTheThreeSettings) {
  const SettingsCase cases[] = {
      {{0, 0, 1}, {0, 0, 1}},      {{2, 255, 255}, {2, 255, 255}}, {{3, 256, 0}, {0, -1, 1}},
      {{-1, -2, 256}, {0, -1, 1}}, {{1, -1, 7}, {1, -1, 7}},
  };
  for (const auto& c : cases) {
    RepairableSettings s = c.in;
    ParamImage img = StartImage();
    NormalizeParams(img, &s);
    EXPECT_EQ(s.language, c.out.language);
    EXPECT_EQ(s.comPort, c.out.comPort);
    EXPECT_EQ(s.comPortAuto, c.out.comPortAuto);
  }
}

// --- presence ---------------------------------------------------------------------------------

struct PresenceCase {
  const char* what;
  int bike;
  int neutralSs;
  int inputs[3];
  int gearIn;
  std::vector<int> flags;  // presence flags expected set
  int gearOut;
};

class PresenceTable : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(PresenceTable, FlagsAndGearFallback) {
  const PresenceCase& c = GetParam();
  ParamImage img = StartImage();
  img.SetByte(Adrb::BIKE, static_cast<uint8_t>(c.bike));
  img.SetByte(Adrb::INPUT_NEUTRAL_SS, static_cast<uint8_t>(c.neutralSs));
  for (int i = 0; i < 3; ++i)
    img.SetByte(Adrb::INPUT_FUNCTION + i, static_cast<uint8_t>(c.inputs[i]));
  img.SetByte(Adrb::INPUT_FUNCTION + 4, INPUT_GEAR);  // inputs 4-6 are not offered
  img.SetByte(Adrb::GEAR, static_cast<uint8_t>(c.gearIn));
  img.SetByte(Adrb::ZERO_BYTE, 3);
  Presence p;
  p.flags[10] = true;  // stale flags are cleared
  const bool changed = UpdatePresence(img, p);
  Presence expect;
  for (int f : c.flags) expect.flags[f] = true;
  EXPECT_EQ(p, expect);
  EXPECT_EQ(img.Byte(Adrb::GEAR), c.gearOut);
  EXPECT_EQ(changed, c.gearIn != c.gearOut);
  EXPECT_EQ(img.Byte(Adrb::ZERO_BYTE), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PresenceTable,
    ::testing::Values(
        PresenceCase{"defaults", 7, 0, {1, 3, 6}, 0, {2, 4, 6}, 0},
        PresenceCase{"special bike", 255, 0, {0, 0, 0}, 0, {0}, 0},
        PresenceCase{"neutral ss hides inputs 1 and 2", 7, 1, {1, 8, 9}, 2, {1, 3, 9}, 2},
        PresenceCase{"gear voltage without gear input", 7, 0, {1, 3, 6}, 1, {2, 4, 6}, 0},
        PresenceCase{"gear voltage with gear input", 7, 0, {5, 8, 7}, 1, {5, 7, 8}, 1},
        PresenceCase{"ratio without speed input", 7, 0, {1, 8, 6}, 3, {2, 6, 8}, 0},
        PresenceCase{"ratio with speed input", 7, 0, {2, 3, 9}, 2, {3, 4, 9}, 2},
        PresenceCase{"no flags for 4 and 10", 7, 0, {4, 10, 11}, 0, {11}, 0},
        PresenceCase{"gear input hidden by neutral ss", 7, 1, {0, 8, 0}, 1, {1, 3}, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// --- randomised ---------------------------------------------------------------------------------

// Images with random bytes, and random values biased to the edges of every field's range.
ParamImage RandomImage(std::mt19937& rng) {
  ParamImage img;
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto& b : img.bytes) b = static_cast<uint8_t>(byte(rng));
  if (rng() % 2) {
    // Keep the interesting codes common so the mode-dependent rules get exercised.
    const int methods[] = {0, 4, 14, 2, 17};
    img.SetByte(Adrb::PICKUP_SYSTEM, static_cast<uint8_t>(methods[rng() % 5]));
    for (int k = 0; k < POUT_COUNT; ++k) {
      const int modes[] = {0, 1, 2, 3, 253, 254, 255, 7};
      img.SetByte(Adrb::POUT_MODE + k, static_cast<uint8_t>(modes[rng() % 8]));
    }
    img.SetByte(Adrb::TPSIAP_SENSOR, static_cast<uint8_t>(rng() % 3));
    img.SetByte(Adrb::SERVO_PERCENT, static_cast<uint8_t>(rng() % 2));
    img.SetByte(Adrb::ADV_COLUMNS, static_cast<uint8_t>(rng() % 17));
  }
  return img;
}

TEST(NormalizeRandom, IsIdempotentAndKeepsInvariants) {
  std::mt19937 rng(1234);
  for (int iter = 0; iter < 3000; ++iter) {
    const ParamImage raw = RandomImage(rng);
    ParamImage once = raw;
    NormalizeParams(once);
    ParamImage twice = once;
    NormalizeParams(twice);
    ASSERT_EQ(once, twice) << "iteration " << iter;

    // Invariants of a normalised image.
    ASSERT_EQ(once.Byte(Adrb::ZERO_BYTE), 0);
    const int method = once.Byte(Adrb::PICKUP_SYSTEM);
    const int lobes = once.Byte(Adrb::LOBE_COUNT);
    ASSERT_GE(lobes, 1);
    ASSERT_LE(lobes, method == 14 ? 120 : 58);
    for (int c = 0; c < CHANNEL_SLOTS; ++c) {
      for (int base : {Adrb::LOBE_START, Adrb::LOBE_END}) {
        const LobeByte l = DecodeLobeByte(once.Byte(base + c), method);
        ASSERT_GE(l.lobe, 1);
        ASSERT_LE(l.lobe, lobes);
      }
    }
    for (int i = 1; i < 15; ++i)
      ASSERT_GT(once.Byte(Adrb::RPM_ADV + i), once.Byte(Adrb::RPM_ADV + i - 1));
    for (int i = 1; i < 10; ++i)
      ASSERT_GT(once.Word(Adrw::SERVO_IAP + i), once.Word(Adrw::SERVO_IAP + i - 1));
    for (int k = 0; k < POUT_COUNT; ++k) ASSERT_TRUE(IsPoutMode(once.Byte(Adrb::POUT_MODE + k)));
    for (int a : {Adrb::ADV_COLUMNS, Adrb::ADV2_COLUMNS, Adrb::SERVO_COLUMNS}) {
      ASSERT_GE(once.Byte(a), 1);
      ASSERT_LE(once.Byte(a), 15);
    }
    ASSERT_LE(once.Byte(Adrb::BASE_ADV), 40);
    ASSERT_LE(once.Byte(Adrb::CHANNEL_COUNT), 2);

    // Carried and unused bytes (owned by no field) keep their values, except byte 500.
    for (int b = 0; b < PARAM_IMAGE_SIZE; ++b) {
      if (b == Adrb::ZERO_BYTE || FieldAtByte(b)) continue;
      ASSERT_EQ(once.Byte(b), raw.Byte(b)) << "byte " << b;
    }
  }
}

TEST(NormalizeRandom, NeverWritesOutsideTheImage) {
  struct Guarded {
    std::array<uint8_t, 64> before;
    ParamImage img;
    std::array<uint8_t, 64> after;
  };
  std::mt19937 rng(99);
  Guarded g;
  g.before.fill(0xA5);
  g.after.fill(0x5A);
  RepairableSettings s{7, 999, -4};
  for (int iter = 0; iter < 500; ++iter) {
    g.img = RandomImage(rng);
    NormalizeParams(g.img, &s);
    Presence p;
    UpdatePresence(g.img, p);
  }
  for (uint8_t b : g.before) ASSERT_EQ(b, 0xA5);
  for (uint8_t b : g.after) ASSERT_EQ(b, 0x5A);
}

}  // namespace
}  // namespace zeda
