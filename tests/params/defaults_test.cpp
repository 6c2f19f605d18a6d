#include "params/defaults.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "params/engine_presets.h"
#include "params/normalize.h"
#include "params/param_codes.h"
#include "params/param_fields.h"
#include "params/pout_presets.h"

namespace zeda {
namespace {

// Every byte of every field set to a value no default uses.
ParamImage Scrambled(uint8_t fill = 0xEE) {
  ParamImage img;
  for (const ParamField& f : ParamFields())
    for (int b = f.FirstByte(); b < f.EndByte(); ++b) img.SetByte(b, fill);
  return img;
}

bool FieldEquals(const ParamImage& a, const ParamImage& b, const ParamField& f) {
  for (int i = f.FirstByte(); i < f.EndByte(); ++i)
    if (a.Byte(i) != b.Byte(i)) return false;
  return true;
}

bool FieldHasDefaults(const ParamImage& img, const ParamField& f) {
  for (int i = 0; i < f.count; ++i)
    if (ReadStored(img, f, i) != ToStored(f, f.ShownDefault(i))) return false;
  return true;
}

TEST(StartImage, HoldsTheTabledDefaultsOfEveryField) {
  const ParamImage img = StartImage();
  for (const ParamField& f : ParamFields()) {
    if (f.rule == DefaultRule::InGroup || f.rule == DefaultRule::Always) {
      EXPECT_TRUE(FieldHasDefaults(img, f)) << f.name;
    }
  }
}

TEST(StartImage, StoredValuesOfPreset7) {
  const ParamImage img = StartImage();
  struct Expect {
    int addr;
    int stored;
  };
  const Expect bytes[] = {
      {Adrb::BIKE, 7},
      {Adrb::PICKUP_SYSTEM, 0},
      {Adrb::LOBE_COUNT, 1},
      {Adrb::CHANNEL_COUNT, 2},
      {Adrb::GEBER_MODE, 1},
      {Adrb::LOBE_START + 0, 1},
      {Adrb::LOBE_END + 0, 65},
      {Adrb::LOBE_START + 1, 129},
      {Adrb::LOBE_END + 1, 193},
      {Adrb::LOBE_START + 2, 129},
      {Adrb::LOBE_END + 2, 193},
      {Adrb::LOBE_START + 3, 1},
      {Adrb::LOBE_END + 3, 65},
      {Adrb::REV_WITHOUT_IGNITION, 1},
      {Adrb::RPM_PULSES, 1},
      {Adrb::RPM_CORRECTION, 100},
      {Adrb::MAP2_ACCEL, 100},
      {Adrb::SERVO_HYSTER, 20},
      {Adrb::GEAR_AUTO_RPM, 15},
      {Adrb::CLUTCH_TIME + 5, 20},
      {Adrb::CLUTCH_PAUSE2, 13},
      {Adrb::CLUTCH_MIN_RPM, 20},
      {Adrb::TEST_RPM, 50},
      {Adrb::TEST_SERVO_TIME, 50},
      {Adrb::GEAR_CORR_POUT + 23, 100},
      {Adrb::INPUT_FUNCTION + 0, 1},
      {Adrb::INPUT_FUNCTION + 1, 3},
      {Adrb::INPUT_FUNCTION + 2, 6},
      {Adrb::INPUT_NEUTRAL_SS, 0},
      {Adrb::RPM_ADV + 0, 15},
      {Adrb::RPM_ADV2 + 14, 140},
      {Adrb::ADVANCE + 0, 108},
      {Adrb::ADVANCE2 + 149, 135},
      {Adrb::SERVO_RPM + 0, 10},
      {Adrb::SERVO_RPM + 14, 160},
      {Adrb::SERVO + 0, 100},
      {Adrb::SERVO + 149, 145},
      {Adrb::SERVO_COLUMNS, 15},
      {Adrb::POUT_MODE + 0, 1},
      {Adrb::POUT_MODE + 3, 255},
      {Adrb::POUT_SPULSE + 2, 20},
      {Adrb::MAX_LOBE_LEN, 250},
      {Adrb::ZERO_BYTE, 0},
  };
  for (const Expect& e : bytes) EXPECT_EQ(img.Byte(e.addr), e.stored) << "byte " << e.addr;
  EXPECT_EQ(img.Word(Adrw::LIMITER), 11000);
  EXPECT_EQ(img.Word(Adrw::GEAR_VOLTAGE + 6), 4687);
  EXPECT_EQ(img.Word(Adrw::SERVO_IAP + 9), 100);

  ParamImage again = img;
  NormalizeParams(again);
  EXPECT_EQ(again, img) << "the start image is normalised";
}

// --- power output presets --------------------------------------------------------------------

struct PoutCase {
  const char* what;
  int mode;
  PoutPresetVariant variant;
  bool writesBits;
  bool writesAxes;
  std::vector<int> bits;  // expected switching bytes when written
  std::vector<int> rpm;   // expected stored rpm points when written
};

class PoutPresetTable : public ::testing::TestWithParam<PoutCase> {};

TEST_P(PoutPresetTable, WritesWhatTheVariantAllows) {
  const PoutCase& c = GetParam();
  const int k = 2;
  ParamImage img = Scrambled(0x33);
  img.SetByte(Adrb::POUT_MODE + k, static_cast<uint8_t>(c.mode));
  const ParamImage before = img;
  ApplyPoutPreset(img, k, c.variant);
  for (int r = 0; r < 3; ++r) {
    const int b = img.Byte(Adrb::POUT_SW_BITS + 3 * k + r);
    EXPECT_EQ(b, c.writesBits ? c.bits[r] : 0x33) << c.what << " row " << r;
  }
  for (int i = 0; i < 3; ++i) {
    const int v = img.Byte(Adrb::POUT_SW_RPM + 3 * k + i);
    EXPECT_EQ(v, c.writesAxes ? c.rpm[i] : 0x33) << c.what << " point " << i;
  }
  EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 2 * k), c.writesAxes ? 75 : 0x3333) << c.what;
  EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 2 * k + 1), c.writesAxes ? 90 : 0x3333) << c.what;
  EXPECT_EQ(img.Byte(Adrb::POUT_HYSTER + k), c.writesAxes ? 10 : 0x33) << c.what;
  // Other outputs are never touched.
  for (int b = Adrb::POUT_SW_BITS; b < Adrb::POUT_SW_BITS + 12; ++b) {
    if (b < Adrb::POUT_SW_BITS + 3 * k || b >= Adrb::POUT_SW_BITS + 3 * k + 3) {
      EXPECT_EQ(img.Byte(b), before.Byte(b));
    }
  }
}

using V = PoutPresetVariant;
INSTANTIATE_TEST_SUITE_P(
    Cases, PoutPresetTable,
    ::testing::Values(
        PoutCase{"default, gear light", 2, V::Default, true, true, {12, 14, 14}, {90, 95, 140}},
        PoutCase{"default, power jet", 3, V::Default, true, true, {14, 12, 12}, {40, 125, 140}},
        PoutCase{"default, fuel pump", 1, V::Default, true, true, {2, 2, 2}, {40, 125, 140}},
        PoutCase{"default, special", 255, V::Default, true, true, {2, 2, 2}, {40, 125, 140}},
        PoutCase{"user, gear light", 2, V::User, true, true, {12, 14, 14}, {90, 95, 140}},
        PoutCase{"user, power jet", 3, V::User, true, true, {14, 12, 12}, {40, 125, 140}},
        PoutCase{"user, fuel pump", 1, V::User, false, false, {}, {}},
        PoutCase{"normalising, gear light", 2, V::Normalising, true, false, {12, 14, 14}, {}},
        PoutCase{"normalising, power jet", 3, V::Normalising, true, false, {14, 12, 12}, {}},
        PoutCase{"normalising, pwm", 254, V::Normalising, false, false, {}, {}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// --- page selections ---------------------------------------------------------------------------

// Fields that "Default values" writes whatever the page selection, beyond the Always rule.
bool WrittenForAnyPage(const ParamField& f) { return f.id == FieldId::INPUT_FUNCTION; }

TEST(DefaultsForPage, WriteOnlyTheSelectedGroup) {
  for (int page = 0; page < PAGE_GROUP_COUNT; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    ParamImage img = Scrambled();
    img.SetByte(Adrb::BIKE, 7);
    const ParamImage before = img;
    PageGroups groups;
    ApplyDefaultsForPage(img, groups, page);
    for (int g = 0; g < PAGE_GROUP_COUNT; ++g) EXPECT_EQ(groups.Has(g), g == page);

    for (const ParamField& f : ParamFields()) {
      if (f.rule == DefaultRule::Always) {
        EXPECT_TRUE(FieldHasDefaults(img, f)) << f.name;
      } else if (f.rule == DefaultRule::InGroup && f.group == page) {
        EXPECT_TRUE(FieldHasDefaults(img, f)) << f.name;
      } else if (f.group != page && !WrittenForAnyPage(f)) {
        EXPECT_TRUE(FieldEquals(img, before, f)) << f.name << " changed";
      }
    }
  }
}

TEST(DefaultsForPage, AdvancePageResetsMapsAndInputsButNotLimiters) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::ADVANCE + 17, 150);
  img.SetByte(Adrb::ADVANCE2 + 3, 150);
  img.SetByte(Adrb::CORR_ADVANCE + 2, 120);
  img.SetByte(Adrb::INPUT_FUNCTION + 1, 7);
  img.SetByte(Adrb::POTENTIOMETER, 2);
  img.SetWord(Adrw::PROPRIETARY + 3, 1234);
  img.SetWord(Adrw::LIMITER, 9000);
  img.SetByte(Adrb::RETARD, 30);
  ImageBuffers buffers;
  buffers.params = img;
  ASSERT_TRUE(NewParams(buffers, GROUP_ADVANCE, NewAnswer::Yes));
  const ParamImage& out = buffers.params;
  EXPECT_EQ(out.Byte(Adrb::ADVANCE + 17), 108);
  EXPECT_EQ(out.Byte(Adrb::ADVANCE2 + 3), 112);
  EXPECT_EQ(out.Byte(Adrb::CORR_ADVANCE + 2), 100);
  EXPECT_EQ(out.Byte(Adrb::INPUT_FUNCTION + 1), 3);
  EXPECT_EQ(out.Byte(Adrb::POTENTIOMETER), 0);
  EXPECT_EQ(out.Word(Adrw::PROPRIETARY + 3), 0);
  EXPECT_EQ(out.Word(Adrw::LIMITER), 9000);
  EXPECT_EQ(out.Byte(Adrb::RETARD), 30);
}

TEST(NewParams, NoOrCancelChangesNothing) {
  for (NewAnswer a : {NewAnswer::No, NewAnswer::Cancel}) {
    ImageBuffers buffers;
    buffers.params = Scrambled();
    const ImageBuffers before = buffers;
    EXPECT_FALSE(NewParams(buffers, -1, a));
    EXPECT_EQ(buffers.params, before.params);
    EXPECT_EQ(buffers.pageGroups.flags, before.pageGroups.flags);
  }
}

TEST(NewParams, AllPagesGivesTheStartImageForPreset7) {
  ImageBuffers buffers;
  buffers.params = Scrambled();
  buffers.params.SetByte(Adrb::BIKE, 7);
  ASSERT_TRUE(NewParams(buffers, -1, NewAnswer::Yes));
  const ParamImage start = StartImage();
  // Fields the defaults leave alone keep their values; everything else is the start image.
  for (const ParamField& f : ParamFields()) {
    if (f.rule == DefaultRule::None || f.id == FieldId::INPUT_FUNCTION) continue;
    EXPECT_TRUE(FieldEquals(buffers.params, start, f)) << f.name;
  }
  // Inputs 1-3 get their functions; the inputs this build does not offer are kept.
  for (int i = 0; i < INPUT_SLOTS; ++i) {
    EXPECT_EQ(buffers.params.Byte(Adrb::INPUT_FUNCTION + i),
              i < INPUTS_OFFERED ? start.Byte(Adrb::INPUT_FUNCTION + i) : 0xEE);
  }
}

// --- engine presets ----------------------------------------------------------------------------

struct PresetCase {
  int bike;
  int method, lobes, channels;
  std::vector<int> start, end;  // listed channels
  int geber;                    // expected GEBER_MODE after all-page defaults
  int rpmPulses;                // expected RPM_PULSES (-1: unchanged, 0xEE)
};

class EnginePresetTable : public ::testing::TestWithParam<PresetCase> {};

TEST_P(EnginePresetTable, AllPageDefaultsGiveThePreset) {
  const PresetCase& c = GetParam();
  ParamImage img = Scrambled();
  img.SetByte(Adrb::BIKE, static_cast<uint8_t>(c.bike));
  PageGroups groups;
  ApplyDefaultsForPage(img, groups, -1);
  EXPECT_EQ(img.Byte(Adrb::PICKUP_SYSTEM), c.method);
  EXPECT_EQ(img.Byte(Adrb::LOBE_COUNT), c.lobes);
  EXPECT_EQ(img.Byte(Adrb::CHANNEL_COUNT), c.channels);
  for (std::size_t ch = 0; ch < c.start.size(); ++ch) {
    EXPECT_EQ(img.Byte(Adrb::LOBE_START + static_cast<int>(ch)), c.start[ch]) << "channel " << ch;
    EXPECT_EQ(img.Byte(Adrb::LOBE_END + static_cast<int>(ch)), c.end[ch]) << "channel " << ch;
  }
  // Channels 0 and 1 are cleared before the preset; 2 and 3 keep what they had.
  for (std::size_t ch = c.start.size(); ch < 4; ++ch) {
    const int expect = ch < 2 ? 0 : 0xEE;
    EXPECT_EQ(img.Byte(Adrb::LOBE_START + static_cast<int>(ch)), expect) << "channel " << ch;
  }
  EXPECT_EQ(img.Byte(Adrb::GEBER_MODE), c.geber);
  EXPECT_EQ(img.Byte(Adrb::RPM_PULSES), c.rpmPulses < 0 ? 0xEE : c.rpmPulses);
  EXPECT_EQ(img.Byte(Adrb::FOUR_STROKE_2ND_TURN), 0);
  EXPECT_EQ(img.Byte(Adrb::REV_WITHOUT_IGNITION), c.method == 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnginePresetTable,
    ::testing::Values(PresetCase{0, 1, 3, 2, {1, 2}, {65, 66}, 1, 2},
                      PresetCase{4, 4, 7, 2, {4, 6}, {5, 7}, 1, 4},
                      PresetCase{7, 0, 1, 2, {1, 129, 129, 1}, {65, 193, 193, 65}, 1, 1},
                      PresetCase{17, 4, 2, 2, {2, 193}, {193, 194}, 1, 2},
                      PresetCase{21, 2, 4, 2, {4, 2}, {1, 3}, 1, 1},
                      PresetCase{23, 1, 4, 2, {1, 2, 3}, {65, 66, 67}, 1, 1},
                      PresetCase{24, 4, 11, 2, {68, 71, 74, 65}, {69, 72, 75, 66}, 1, 2},
                      PresetCase{28, 0, 1, 2, {1, 129, 129, 1}, {65, 193, 193, 65}, 2, 1},
                      PresetCase{29, 0, 1, 1, {1, 129, 129, 1}, {65, 193, 193, 65}, 3, 1},
                      PresetCase{30, 0, 1, 2, {1, 129, 129, 1}, {65, 193, 193, 65}, 0, 1},
                      PresetCase{32, 8, 46, 2, {82, 100}, {87, 105}, 0, 2},
                      PresetCase{38, 13, 18, 1, {79}, {91}, 1, 1},
                      PresetCase{39, 14, 116, 2, {198, 106, 228, 76}, {205, 113, 235, 83}, 0, 2},
                      PresetCase{40, 16, 1, 1, {1}, {65}, 2, 2},
                      PresetCase{41, 17, 4, 2, {66, 194}, {67, 195}, 1, -1},
                      PresetCase{42, 18, 6, 1, {66, 194}, {67, 195}, 1, -1},
                      PresetCase{43, 20, 30, 2, {30, 14, 14, 30}, {65, 81, 81, 65}, 1, -1}),
    [](const auto& info) { return "bike" + std::to_string(info.param.bike); });

TEST(EnginePresets, FurtherFields) {
  struct Case {
    int bike;
    int addr;
    int value;
  };
  const Case cases[] = {
      {11, Adrb::SPECIAL_START, 1},       {21, Adrb::SPECIAL_START, 1},
      {19, Adrb::SERVO_ENABLE, 1},        {31, Adrb::PICKUP_POLARITY, 1},
      {36, Adrb::PICKUPS_INTERCHANGE, 1}, {37, Adrb::PICKUPS_INTERCHANGE, 1},
      {40, Adrb::PICKUP_POLARITY, 1},     {7, Adrb::SPECIAL_START, 0},
      {2, Adrb::INPUT_NEUTRAL_SS, 1},     {3, Adrb::INPUT_NEUTRAL_SS, 0},
  };
  for (const Case& c : cases) {
    ParamImage img = Scrambled();
    img.SetByte(Adrb::BIKE, static_cast<uint8_t>(c.bike));
    PageGroups groups;
    ApplyDefaultsForPage(img, groups, -1);
    EXPECT_EQ(img.Byte(c.addr), c.value) << "bike " << c.bike << " byte " << c.addr;
  }
  for (int bike : {22, 44, 254, 255}) EXPECT_EQ(FindEnginePreset(bike), nullptr) << bike;
}

TEST(EnginePresets, ServoTablesOfPreset19) {
  for (int bike : {19, 7}) {
    ParamImage img = Scrambled();
    img.SetByte(Adrb::BIKE, static_cast<uint8_t>(bike));
    PageGroups groups;
    ApplyDefaultsForPage(img, groups, GROUP_SERVO);
    const int rpm0 = bike == 19 ? 3 : 10, rpm14 = bike == 19 ? 105 : 160;
    const int mv0 = bike == 19 ? 30 : 100, mv14 = bike == 19 ? 93 : 145;
    EXPECT_EQ(img.Byte(Adrb::SERVO_RPM), rpm0);
    EXPECT_EQ(img.Byte(Adrb::SERVO_RPM + 14), rpm14);
    for (int r = 0; r < MAP_ROWS; ++r) {
      EXPECT_EQ(img.Byte(Adrb::SERVO + 15 * r), mv0);
      EXPECT_EQ(img.Byte(Adrb::SERVO + 15 * r + 14), mv14);
    }
    EXPECT_EQ(img.Byte(Adrb::SERVO_ENABLE), 0);  // the preset row needs the Bike group
  }
}

TEST(EnginePresets, Preset24GetsTwoChannelsAfterNormalisation) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::BIKE, 24);
  PageGroups groups;
  ApplyDefaultsForPage(img, groups, GROUP_BIKE);
  NormalizeParams(img);
  EXPECT_EQ(img.Byte(Adrb::CHANNEL_COUNT), 2);
  EXPECT_EQ(img.Byte(Adrb::LOBE_START + 3), 65);
}

TEST(EnginePresets, SpecialSettingLeavesSynchronisationAlone) {
  ParamImage img = Scrambled();
  img.SetByte(Adrb::BIKE, 255);
  img.SetByte(Adrb::CHANNEL_COUNT, 2);
  const ParamImage before = img;
  PageGroups groups;
  ApplyDefaultsForPage(img, groups, -1);  // not picked by hand: default values apply
  for (FieldId id :
       {FieldId::PICKUP_SYSTEM, FieldId::LOBE_COUNT, FieldId::CHANNEL_COUNT, FieldId::LOBE_START,
        FieldId::LOBE_END, FieldId::GEBER_MODE, FieldId::FOUR_STROKE_2ND_TURN, FieldId::RPM_PULSES})
    EXPECT_TRUE(FieldEquals(img, before, Field(id))) << Field(id).name;
  EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 10);
}

TEST(EnginePresets, SpecialSettingPickedByHandKeepsEverything) {
  ParamImage img = Scrambled();
  img.SetByte(Adrb::BIKE, 255);
  img.SetByte(Adrb::ZERO_BYTE, 9);
  ParamImage before = img;
  before.SetByte(Adrb::ZERO_BYTE, 0);
  PageGroups groups;
  bool byHand = true;
  ApplyDefaultsForPage(img, groups, GROUP_BIKE, byHand);
  EXPECT_EQ(img, before);
  EXPECT_FALSE(byHand);
}

TEST(EnginePresets, RevolutionsWithoutIgnitionFollowTheNewPreset) {
  // From a preset with method 17 to preset 7 (method 0): one New is enough for the value of
  // method 0, whatever was chosen before.
  ParamImage img = StartImage();
  img.SetByte(Adrb::BIKE, 41);
  PageGroups groups;
  ApplyDefaultsForPage(img, groups, GROUP_BIKE);
  EXPECT_EQ(img.Byte(Adrb::REV_WITHOUT_IGNITION), 0);
  img.SetByte(Adrb::BIKE, 7);
  ApplyDefaultsForPage(img, groups, GROUP_BIKE);
  EXPECT_EQ(img.Byte(Adrb::REV_WITHOUT_IGNITION), 1);
  ParamImage again = img;
  ApplyDefaultsForPage(again, groups, GROUP_BIKE);
  EXPECT_EQ(again, img);
}

TEST(EnginePresets, MiscellaneousPageKeepsIgnitionsPerRevolution) {
  for (int page : {int{GROUP_MISC}, int{GROUP_BIKE}, -1}) {
    ParamImage img = StartImage();
    img.SetByte(Adrb::BIKE, 28);  // two ignitions per revolution
    img.SetByte(Adrb::GEBER_MODE, 4);
    PageGroups groups;
    ApplyDefaultsForPage(img, groups, page);
    EXPECT_EQ(img.Byte(Adrb::GEBER_MODE), page == GROUP_MISC ? 4 : 2) << "page " << page;
  }
}

TEST(EnginePresets, EveryRowAsListed) {
  struct Row {
    int bike, method, lobes, channels;
    std::vector<std::pair<int, int>> lobePairs;  // start / end per listed channel
  };
  // clang-format off
  const Row rows[] = {
      {0, 1, 3, 2, {{1, 65}, {2, 66}}},           {1, 4, 7, 2, {{2, 67}, {6, 71}}},
      {2, 3, 9, 2, {{1, 67}, {7, 73}}},           {3, 3, 9, 2, {{6, 7}, {8, 9}}},
      {4, 4, 7, 2, {{4, 5}, {6, 7}}},             {5, 4, 7, 2, {{65, 66}, {197, 198}}},
      {6, 4, 7, 2, {{3, 68}, {4, 69}}},
      {7, 0, 1, 2, {{1, 65}, {129, 193}, {129, 193}, {1, 65}}},
      {8, 3, 4, 2, {{1, 2}, {3, 4}}},             {9, 2, 6, 2, {{1, 2}, {4, 5}}},
      {10, 2, 6, 2, {{2, 3}, {5, 6}}},            {11, 2, 4, 2, {{4, 1}, {2, 3}}},
      {21, 2, 4, 2, {{4, 1}, {2, 3}}},            {12, 2, 4, 2, {{4, 1}, {1, 2}}},
      {13, 3, 4, 2, {{2, 3}, {3, 4}}},            {14, 2, 4, 2, {{3, 4}, {2, 3}}},
      {15, 2, 4, 2, {{3, 4}, {4, 1}}},            {16, 3, 2, 2, {{1, 65}, {2, 66}}},
      {17, 4, 2, 2, {{2, 193}, {193, 194}}},      {18, 2, 8, 2, {{3, 4}, {7, 8}}},
      {19, 2, 4, 2, {{3, 4}, {1, 2}}},            {20, 1, 5, 2, {{65, 66}, {67, 68}}},
      {23, 1, 4, 3, {{1, 65}, {2, 66}, {3, 67}}},
      {24, 4, 11, 4, {{68, 69}, {71, 72}, {74, 75}, {65, 66}}},
      {25, 1, 7, 4, {{65, 66}, {66, 67}, {68, 69}, {69, 70}}},
      {26, 5, 7, 3, {{2, 3}, {4, 5}, {6, 1}}},
      {27, 2, 4, 4, {{4, 1}, {2, 3}, {2, 3}, {4, 1}}},
      {28, 0, 1, 2, {{1, 65}, {129, 193}, {129, 193}, {1, 65}}},
      {29, 0, 1, 1, {{1, 65}, {129, 193}, {129, 193}, {1, 65}}},
      {30, 0, 1, 2, {{1, 65}, {129, 193}, {129, 193}, {1, 65}}},
      {31, 7, 2, 2, {{1, 65}, {2, 66}}},          {32, 8, 46, 2, {{82, 87}, {100, 105}}},
      {33, 9, 2, 3, {{1, 65}, {129, 193}, {130, 194}}},
      {34, 10, 4, 3, {{2, 66}, {3, 67}, {4, 68}}},
      {35, 9, 4, 3, {{1, 2}, {129, 130}, {131, 132}}},
      {36, 12, 44, 4, {{90, 93}, {102, 105}, {80, 83}, {68, 71}}},
      {37, 12, 46, 4, {{91, 94}, {103, 106}, {80, 83}, {68, 71}}},
      {38, 13, 18, 1, {{79, 91}}},
      {39, 14, 116, 4, {{198, 205}, {106, 113}, {228, 235}, {76, 83}}},
      {40, 16, 1, 1, {{1, 65}}},                  {41, 17, 4, 2, {{66, 67}, {194, 195}}},
      {42, 18, 6, 1, {{66, 67}, {194, 195}}},
      {43, 20, 30, 4, {{30, 65}, {14, 81}, {14, 81}, {30, 65}}},
  };
  // clang-format on
  int found = 0;
  for (int bike = 0; bike < 256; ++bike) found += FindEnginePreset(bike) != nullptr;
  EXPECT_EQ(found, static_cast<int>(std::size(rows)));
  for (const Row& r : rows) {
    const EnginePreset* p = FindEnginePreset(r.bike);
    ASSERT_NE(p, nullptr) << r.bike;
    EXPECT_EQ(p->method, r.method) << r.bike;
    EXPECT_EQ(p->lobes, r.lobes) << r.bike;
    EXPECT_EQ(p->channels, r.channels) << r.bike;
    ASSERT_EQ(p->listed, static_cast<int>(r.lobePairs.size())) << r.bike;
    for (int c = 0; c < p->listed; ++c) {
      EXPECT_EQ(p->start[c], r.lobePairs[c].first) << r.bike << " channel " << c;
      EXPECT_EQ(p->end[c], r.lobePairs[c].second) << r.bike << " channel " << c;
    }
  }
}

TEST(DefaultsRandom, AreIdempotentForEveryPageSelection) {
  std::mt19937 rng(7);
  const int bikes[] = {0, 2, 4, 7, 19, 22, 24, 29, 39, 41, 43, 100, 255};
  for (int iter = 0; iter < 400; ++iter) {
    ParamImage img;
    for (auto& b : img.bytes) b = static_cast<uint8_t>(rng());
    img.SetByte(Adrb::BIKE, static_cast<uint8_t>(bikes[rng() % std::size(bikes)]));
    const int page = static_cast<int>(rng() % 11) - 1;
    PageGroups groups;
    ApplyDefaultsForPage(img, groups, page);
    ParamImage again = img;
    ApplyDefaultsForPage(again, groups, page);
    ASSERT_EQ(again, img) << "bike " << int(img.Byte(Adrb::BIKE)) << " page " << page;
  }
}

}  // namespace
}  // namespace zeda
