#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_model_bridge.h"
#include "params/ign_reader.h"
#include "params/ign_writer.h"
#include "params/param_addresses.h"
#include "params/param_fields.h"

namespace zeda {
namespace {

using F = FieldId;

ParamImage Preset7Image() {
  ParamImage img;
  img.SetByte(Adrb::BIKE, 7);
  img.SetByte(Adrb::PICKUP_SYSTEM, 0);
  img.SetByte(Adrb::LOBE_COUNT, 1);
  img.SetByte(Adrb::CHANNEL_COUNT, 2);
  img.SetByte(Adrb::LOBE_START + 0, 1);
  img.SetByte(Adrb::LOBE_END + 0, 65);
  img.SetByte(Adrb::LOBE_START + 1, 129);
  img.SetByte(Adrb::LOBE_END + 1, 193);
  img.SetByte(Adrb::REV_WITHOUT_IGNITION, 1);
  img.SetByte(Adrb::COMPENSATION, 6);
  return img;
}

TEST(IgnWriter, FirstLinesFollowTheLayout) {
  const std::string expected =
      "TORVELIX_KEY     107 KESTRA2_RACE/KESTRA2 ZEDA\n"
      "               \n"
      "BIKE               7 \n"
      "                   0     1     2 \n"
      "                   1     0     0 \n"
      "                   1     1     0 \n"
      "                   1     0     1 \n"
      "                   1     1     1 \n"
      "               \n"
      "                   1     6     6     6     6 \n"
      "FOUR_STROKE        0 \n"
      "FOUR_STROKE_2ND_TURN           0     0     0     0 \n";
  std::string text = FormatIgnFile(Preset7Image());
  EXPECT_EQ(text.substr(0, expected.size()), expected);
}

TEST(IgnWriter, KeywordColumnWidths) {
  ParamImage img = Preset7Image();
  std::string text = FormatIgnFile(img);
  // 15 for up to 13 characters, 21 for 14-19, 27 for 20-25.
  EXPECT_NE(text.find("\nGEAR_CORR_LIMITER    -5000 "), std::string::npos);  // 17 -> 21
  EXPECT_NE(text.find("\nPOWER_OUT1_SPWM_FR       0 "), std::string::npos);  // 18 -> 21
  EXPECT_NE(text.find("\nSPECIAL_START_PERC       0 "), std::string::npos);
  EXPECT_NE(text.find("\nSERVO_COLUMNS      0 "), std::string::npos);  // 13 -> 15
  EXPECT_NE(text.find("\nRPM                0  -100 "), std::string::npos);
}

TEST(IgnWriter, TailAndCalibrationValues) {
  IgnIdentification id;
  id.hexDate = "D";
  id.hexTime = "T";
  id.hexVersion = "V";
  id.hardware = "HW";
  id.unitKey = "K";
  id.serialNumber = "S";
  id.lastUpdate = "L";
  id.additional = "A";
  id.exeDate = "Oct 19 2023";
  id.exeTime = "12:34:56";
  std::string text = FormatIgnFile(Preset7Image(), id);
  const std::string tail =
      "\nNO_READING         0 \nVERSIONS       \nHEX   D\tT\tV\nHW/FW  HW   K   (S)   L   A"
      "\nEXE    Oct 19 2023\t12:34:56\n               ";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  id.unitConnected = true;
  id.calibEE = 12;
  id.calibFlash = -3;
  id.calibNew = 100000;
  text = FormatIgnFile(Preset7Image(), id);
  const std::string calib =
      "\n               \nMon_Calib_CoefEE     12\nMon_Calib_CoefFLASH  -3"
      "\nMon_Calib_CoefNEW    100000";
  EXPECT_EQ(text.substr(text.size() - calib.size()), calib);
}

TEST(IgnWriter, MapsAndPowerOutputs) {
  ParamImage img = Preset7Image();
  for (int i = 0; i < MAP_CELLS; ++i) {
    img.SetByte(Adrb::ADVANCE + i, static_cast<uint8_t>(100 + i % 15));
    img.SetByte(Adrb::SERVO + i, 100);
  }
  for (int i = 0; i < 3; ++i) img.SetByte(Adrb::POUT_SW_RPM + i, static_cast<uint8_t>(3 + i));
  img.SetByte(Adrb::POUT_HYSTER, 2);
  img.SetWord(Adrw::POUT_SW_LOAD + 1, 90);
  img.SetByte(Adrb::POUT_SW_BITS + 1, 0x1A);
  std::string text = FormatIgnFile(img);
  EXPECT_NE(text.find("\nADVANCE            0     1     2     3     4     5     6     7     8"
                      "     9    10    11    12    13    14 \n                   0     1"),
            std::string::npos);
  EXPECT_NE(text.find("\nSERVO           2000  2000"), std::string::npos);
  EXPECT_NE(text.find("\nGEAR_CORR_POUT       \n               -5000 "), std::string::npos);
  const std::string out1 =
      "\nPOWER_OUT1         0 \n"
      "                 300   400   500    20 \n"
      "                   0    90 \n"
      "                   0     0     0     0 \n"
      "                   0     1     0     1 \n"
      "                   0     0     0     0 \n"
      "POWER_OUT1_SP_PWM        0 ";
  EXPECT_NE(text.find(out1), std::string::npos);
}

// A keyword whose value stays in range is read back into the same bytes.
struct Written {
  int byte;
  uint8_t mask;
};

std::vector<Written> WrittenBytes() {
  std::vector<Written> w;
  for (const ParamField& f : ParamFields()) {
    switch (f.id) {
      case F::LOBE_START:
      case F::LOBE_END:
        w.push_back({f.addr, 0xFF});
        w.push_back({f.addr + 1, 0xFF});
        continue;
      case F::INPUT_FUNCTION:
        for (int i = 0; i < 3; ++i) w.push_back({f.addr + i, 0xFF});
        continue;
      case F::INPUT_INVERSE:
        w.push_back({f.addr, 0x07});
        continue;
      case F::FOUR_STROKE_2ND_TURN:
        w.push_back({f.addr, 0x0F});
        continue;
      case F::POUT_SW_BITS:
        for (int i = 0; i < f.count; ++i) w.push_back({f.addr + i, 0x0F});
        continue;
      case F::SPECIAL_DWELL_START:
      case F::DWELL:
      case F::TEST_RPM:
      case F::TEST_SERVO_TIME:
      case F::NO_READING:
        continue;
      default:
        for (int b = f.FirstByte(); b < f.EndByte(); ++b) w.push_back({b, 0xFF});
    }
  }
  return w;
}

ParamImage RandomImage(std::mt19937& rng) {
  ParamImage img;
  for (auto& b : img.bytes) b = static_cast<uint8_t>(rng());
  if (img.Byte(Adrb::BIKE) == 22) img.SetByte(Adrb::BIKE, 21);
  img.SetByte(Adrb::NO_READING, rng() & 1);
  return img;
}

TEST(IgnRoundTrip, RandomImagesSurviveSaveAndOpen) {
  std::mt19937 rng(20261210);
  const auto written = WrittenBytes();
  for (int round = 0; round < 300; ++round) {
    ImageBuffers source;
    source.params = RandomImage(rng);
    // Half of the images are normalised ones, the others raw bytes of any value.
    if (round % 2 == 0) ign_bridge::Normalize(source.params);
    const ParamImage saved = source.params;
    const std::string text = FormatIgnFile(saved);

    ImageBuffers target;
    target.params = RandomImage(rng);
    IgnLoadResult r = LoadIgnText(target, text, -1, false);
    ASSERT_TRUE(r.Accepted());
    EXPECT_EQ(r.read.message, IgnMessage::None);
    if (round % 2 != 0) {
      // Raw images are compared before normalisation: read once more without it.
      target.params = RandomImage(rng);
      ReadIgnText(text, target.params, {});
    }
    for (const Written& w : written) {
      ASSERT_EQ(target.params.Byte(w.byte) & w.mask, saved.Byte(w.byte) & w.mask)
          << "round " << round << " byte " << w.byte << " ("
          << (FieldAtByte(w.byte) ? FieldAtByte(w.byte)->name : "?") << ")";
    }
    EXPECT_EQ(target.params.Byte(Adrb::NO_READING) != 0, saved.Byte(Adrb::NO_READING) != 0);
    EXPECT_TRUE(target.fileMatches);
  }
}

TEST(IgnRoundTrip, UnwrittenFieldsGetDefaultsOnlyWhenTheFileNamesAPreset) {
  ParamImage saved = StartImage();
  saved.SetByte(Adrb::TEST_RPM, 200);
  saved.SetByte(Adrb::DWELL + 3, 77);
  saved.SetByte(Adrb::SPECIAL_DWELL_START, 1);
  const std::string text = FormatIgnFile(saved);

  ImageBuffers buf;
  buf.params = StartImage();
  buf.params.SetByte(Adrb::TEST_RPM, 120);
  buf.params.SetByte(Adrb::DWELL + 3, 5);
  buf.params.SetByte(Adrb::SPECIAL_DWELL_START, 1);
  ASSERT_TRUE(LoadIgnText(buf, text, -1, false).Accepted());
  EXPECT_EQ(buf.params.Byte(Adrb::TEST_RPM), 50);            // default of step 4
  EXPECT_EQ(buf.params.Byte(Adrb::SPECIAL_DWELL_START), 0);  // default of step 4
  EXPECT_EQ(buf.params.Byte(Adrb::DWELL + 3), 5);            // no default: kept

  // Without "BIKE" no defaults are applied.
  std::string noBike = text;
  noBike.replace(noBike.find("\nBIKE "), 6, "\nXBIKE");
  buf.params = StartImage();
  buf.params.SetByte(Adrb::TEST_RPM, 120);
  ASSERT_TRUE(LoadIgnText(buf, noBike, -1, false).Accepted());
  EXPECT_EQ(buf.params.Byte(Adrb::TEST_RPM), 120);
}

// ---- reader cases ----

std::string Header(int key) { return "TORVELIX_KEY   " + std::to_string(key) + " X/Y\n"; }

struct ReadCase {
  const char* name;
  std::string text;
  int page;
  bool testMode;
  std::function<void(ParamImage&)> before;
  std::function<void(const ParamImage&, const IgnReadResult&)> check;
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::vector<ReadCase> ReadCases() {
  std::vector<ReadCase> c;
  c.push_back({"compensation copies: first sets, second skipped, last two stray",
               Header(107) + "BIKE 255 0 5 2 1 0 0 2 0 0 3 1 0 4 1 1 0 9 8 7 6\nRETARD 7", -1,
               false, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_TRUE(r.bikeSeen);
                 EXPECT_EQ(img.Byte(Adrb::BIKE), 255);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_COUNT), 5);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 0), 2);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_START + 1), 3 + 64);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 1), 4 + 64 + 128);
                 EXPECT_EQ(img.Byte(Adrb::REV_WITHOUT_IGNITION), 0);
                 EXPECT_EQ(img.Byte(Adrb::COMPENSATION), 9);
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 7);
               }});
  c.push_back(
      {"bike 22 becomes 255", Header(107) + "BIKE 22", -1, false, nullptr,
       [](const ParamImage& img, const IgnReadResult&) { EXPECT_EQ(img.Byte(Adrb::BIKE), 255); }});
  c.push_back({"method 14: seventh lobe bit to bit 7, pick-up flag ignored",
               Header(107) + "BIKE 39 14 116 2 100 1 0 70 0 1 5 0 1 6 1 1 0 6 6 6 6", -1, false,
               nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::LOBE_START + 0), (100 - 64) | 0x40 | 0x80);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 0), 6 | 0x80);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_START + 1), 5);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 1), 6 | 0x40);
               }});
  c.push_back({"no ADVANCE2: map 2 becomes map 1",
               Header(107) + "ADV_MAP 1 ADV_COLUMNS 9 ADV_IAP " + Repeat("7 ", 10) + "RPM_ADV " +
                   Repeat("40 ", 15) + "ADVANCE " + Repeat("12 ", 150),
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_FALSE(r.advance2Seen);
                 EXPECT_EQ(img.Byte(Adrb::ADV2_MAP), 1);
                 EXPECT_EQ(img.Byte(Adrb::ADV2_COLUMNS), 9);
                 EXPECT_EQ(img.Word(Adrw::ADV2_IAP + 9), 7);
                 EXPECT_EQ(img.Byte(Adrb::RPM_ADV2 + 14), 0);  // 40 rpm / 100
                 EXPECT_EQ(img.Byte(Adrb::ADVANCE2 + 149), 112);
               }});
  c.push_back({"INPUT2 before INPUT1 loses its inverse bit",
               Header(107) + "INPUT2 3 1\nINPUT1 1 0\nINPUT3 6 1", -1, false, nullptr,
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::INPUT_INVERSE), 4);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION + 1), 3);
               }});
  c.push_back({"BASE_ADV 300 stores 0", Header(107) + "BASE_ADV 300", -1, false,
               [](ParamImage& img) { img.SetByte(Adrb::BASE_ADV, 10); },
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 0);
               }});
  c.push_back({"signed and encoded values",
               Header(107) +
                   "CORR_ADVANCE -30 30 0 -31\nPROPRIETARY -32000 5 0 0 -1\nRPM 255 -60\n"
                   "GEAR_CORR_LIMITER -5000 5000 49 -49 0 9000\nSERVO_NO 250\nSERVO_HYSTER 1275",
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::CORR_ADVANCE + 0), 70);
                 EXPECT_EQ(img.Byte(Adrb::CORR_ADVANCE + 1), 130);
                 EXPECT_EQ(img.Byte(Adrb::CORR_ADVANCE + 3), 69);
                 EXPECT_EQ(static_cast<int16_t>(img.Word(Adrw::PROPRIETARY)), -32000);
                 EXPECT_EQ(img.Word(Adrw::PROPRIETARY + 4), 0xFFFF);
                 EXPECT_EQ(img.Byte(Adrb::RPM_PULSES), 255);
                 EXPECT_EQ(img.Byte(Adrb::RPM_CORRECTION), 40);
                 EXPECT_EQ(img.Byte(Adrb::GEAR_CORR_LIMITER + 0), 0);
                 EXPECT_EQ(img.Byte(Adrb::GEAR_CORR_LIMITER + 1), 200);
                 EXPECT_EQ(img.Byte(Adrb::GEAR_CORR_LIMITER + 2), 100);
                 EXPECT_EQ(img.Byte(Adrb::GEAR_CORR_LIMITER + 3), 100);
                 EXPECT_EQ(img.Byte(Adrb::GEAR_CORR_LIMITER + 5), 0);  // 280: out of range
                 EXPECT_EQ(img.Byte(Adrb::SERVO_NO), 250);
                 EXPECT_EQ(img.Byte(Adrb::SERVO_HYSTER), 255);
               }});
  c.push_back({"word values are cut to 16 bits", Header(107) + "TPS 70000 -1", -1, false, nullptr,
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Word(Adrw::TPS_0), 70000 & 0xFFFF);
                 EXPECT_EQ(img.Word(Adrw::TPS_100), 0xFFFF);
               }});
  c.push_back({"page selection stores only that group, MAX_LOBE_LEN always",
               Header(107) + "BASE_ADV 20\nRETARD 9\nMAX_LOBE_LEN 100\nLIMITER 1 2 300 4 5", 3,
               false, nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 20);
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 0);
                 EXPECT_EQ(img.Byte(Adrb::MAX_LOBE_LEN), 100);
                 EXPECT_EQ(img.Word(Adrw::LIMITER), 0);
               }});
  c.push_back({"no header loads nothing and says nothing", "BASE_ADV 20\nTORVELIX 107", -1, false,
               nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_FALSE(r.headerFound);
                 EXPECT_EQ(r.message, IgnMessage::None);
                 EXPECT_EQ(img, ParamImage{});
               }});
  c.push_back({"key 96 is rejected without test mode", Header(96) + "BASE_ADV 20", -1, false,
               nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_FALSE(r.Accepted());
                 EXPECT_EQ(r.message, IgnMessage::UnmatchedVersion);
                 EXPECT_EQ(img, ParamImage{});
               }});
  c.push_back({"key 96 loads in test mode as a cross transformation",
               Header(96) + "BASE_ADV 20\nLIMITER 9000\nSTART_LIM 5000\nSTART_LIM_DELAY 300\n"
                            "CLUTCH 50 200",
               -1, true, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.acceptedKey, 96);
                 EXPECT_EQ(r.message, IgnMessage::CrossTransformation);
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 20);
                 EXPECT_EQ(img.Word(Adrw::LIMITER), 9000);
                 EXPECT_EQ(img.Word(Adrw::SOFT_LIMITER), 9000);
                 EXPECT_EQ(img.Word(Adrw::START_LIMITER), 5000);
                 EXPECT_EQ(img.Word(Adrw::START_SOFT_LIMITER), 5000);
                 EXPECT_EQ(img.Byte(Adrb::START_LIMITER_DELAY), 3);
                 for (int g = 0; g < 6; ++g) EXPECT_EQ(img.Byte(Adrb::CLUTCH_TIME + g), 10);
                 EXPECT_EQ(img.Byte(Adrb::CLUTCH_PAUSE2), 20);
               }});
  c.push_back({"key 96 with four channel pairs",
               Header(96) + "BIKE 255 3 8 2 1 0 0 2 0 0 3 0 0 4 0 0 5 0 0 6 0 0 7 0 0 8 0 0 "
                            "1 6 9 9 9\nRETARD 4",
               -1, true, nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::LOBE_START + 3), 7);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 3), 8);
                 EXPECT_EQ(img.Byte(Adrb::COMPENSATION), 6);
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 4);
               }});
  c.push_back({"key 104 (version 2) with four channel pairs",
               Header(104) + "BIKE 255 3 8 2 1 0 0 2 0 0 3 0 0 4 0 0 5 0 0 6 0 0 7 0 0 8 0 0 "
                             "1 6 9 9 9\nRETARD 4",
               -1, true, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.acceptedKey, 104);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_START + 3), 7);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 3), 8);
                 EXPECT_EQ(img.Byte(Adrb::REV_WITHOUT_IGNITION), 1);
                 EXPECT_EQ(img.Byte(Adrb::COMPENSATION), 6);
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 4);
               }});
  c.push_back({"a number above 2^32 does not wrap to a small value",
               Header(107) + "RETARD 4294967303\nBASE_ADV -4294967286", -1, false,
               [](ParamImage& img) {
                 img.SetByte(Adrb::RETARD, 9);
                 img.SetByte(Adrb::BASE_ADV, 9);
               },
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 0);  // out of range, not 2^32 + 7 - 2^32
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 0);
               }});
  for (int key : {48, 54, 75, 80, 88, 93, 95, 97, 91, 85, 79, 76, 60, 0, 1000}) {
    c.push_back({"rejected keys", Header(key) + "BASE_ADV 20", -1, true, nullptr,
                 [](const ParamImage& img, const IgnReadResult& r) {
                   EXPECT_EQ(r.message, IgnMessage::UnmatchedVersion);
                   EXPECT_EQ(img, ParamImage{});
                 }});
  }
  c.push_back({"106 is an older file", Header(106) + "BASE_ADV 21", -1, false, nullptr,
               [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.message, IgnMessage::OlderVersion);
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 21);
               }});
  c.push_back({"family 2: preset, pick-up system and inputs converted",
               Header(86) +
                   "BIKE 3\nPICKUP_SYSTEM 14 4 2 1 1 0 0 2 0 1 3 0 0 4 1 0 2\n"
                   "COMPENSATION 8 99\nINPUT 4 7 7 1 0 1\nPOWER_OUT2 4 40 50 60 10 75 90 1 0 0 "
                   "0 0 1 0 0 1 1 1 1\nSERRVO_MISC 1 0 0 500\nSERVO " +
                   Repeat("120 ", 150),
               -1, false,
               [](ParamImage& img) {
                 img.SetByte(Adrb::SYNC_POLARITY, 2);
                 img.SetByte(Adrb::SERVO_NO, 9);
                 img.SetByte(Adrb::SERVO_COLUMNS, 4);
                 img.SetByte(Adrb::ZERO_BYTE, 5);
               },
               [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.message, IgnMessage::OlderVersion);
                 EXPECT_TRUE(r.bikeSeen);
                 EXPECT_EQ(img.Byte(Adrb::BIKE), 29);
                 EXPECT_EQ(img.Byte(Adrb::PICKUP_SYSTEM), 18);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_COUNT), 4);
                 EXPECT_EQ(img.Byte(Adrb::REV_WITHOUT_IGNITION), 1);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_START + 0), 1);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 0), 2 | 0x80);
                 EXPECT_EQ(img.Byte(Adrb::LOBE_END + 1), 4 | 0x40);
                 EXPECT_EQ(img.Byte(Adrb::GEBER_MODE), 2);
                 EXPECT_EQ(img.Byte(Adrb::COMPENSATION), 8);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION + 0), 5);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION + 1), 8);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION + 2), 9);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_INVERSE), 5);
                 EXPECT_EQ(img.Byte(Adrb::POUT_MODE + 1), 255);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 3), 0);  // 40 rpm
                 EXPECT_EQ(img.Byte(Adrb::POUT_HYSTER + 1), 1);
                 EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 3), 90);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_BITS + 3), 1);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_BITS + 4), 2);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_BITS + 5), 15);
                 EXPECT_EQ(img.Byte(Adrb::SERVO_ENABLE), 1);
                 EXPECT_EQ(img.Byte(Adrb::SERVO_MAP), 2);
                 EXPECT_EQ(img.Byte(Adrb::SERVO_HYSTER), 100);
                 EXPECT_EQ(img.Byte(Adrb::SERVO + 77), 120);  // stored as read
                 EXPECT_EQ(img.Byte(Adrb::SERVO_COLUMNS), 15);
                 EXPECT_EQ(img.Byte(Adrb::SYNC_POLARITY), 0);
                 EXPECT_EQ(img.Byte(Adrb::SERVO_NO), 0);
                 EXPECT_EQ(img.Byte(Adrb::ZERO_BYTE), 0);
               }});
  c.push_back({"key 81: a gear shift light output receives its preset",
               Header(81) + "POWER_OUT1 2 40 50 60 10 1 2 1 1 1 1 1 1 1 1 1 1 1 1\n"
                            "POWER_OUT2 1 40 50 60 10 1 2 1 1 1 1 1 1 1 1 1 1 1 1",
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.message, IgnMessage::OlderVersion);
                 EXPECT_EQ(img.Byte(Adrb::POUT_MODE), 2);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 0), 90);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 2), 140);
                 EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 1), 90);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_BITS + 0), 12);
                 EXPECT_EQ(img.Byte(Adrb::POUT_HYSTER), 10);
                 // Other modes keep what the file says.
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 3), 0);
                 EXPECT_EQ(img.Word(Adrw::POUT_SW_LOAD + 3), 2);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_BITS + 3), 15);
               }});
  c.push_back({"older file for one page: defaults of that page, nothing else",
               Header(106) + "RETARD 9\nBASE_ADV 30", 3, false,
               [](ParamImage& img) {
                 img.SetByte(Adrb::RETARD, 12);
                 img.SetByte(Adrb::SYNC_POLARITY, 2);
                 img.SetByte(Adrb::ADV_COLUMNS, 4);
               },
               [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.acceptedKey, 106);
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 12);
                 EXPECT_EQ(img.Byte(Adrb::SYNC_POLARITY), 2);
                 EXPECT_EQ(img.Byte(Adrb::ADV_COLUMNS), 15);  // Advance defaults
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 30);
               }});
  c.push_back(
      {"family 2 old preset codes", Header(99) + "BIKE 0", -1, false, nullptr,
       [](const ParamImage& img, const IgnReadResult&) { EXPECT_EQ(img.Byte(Adrb::BIKE), 7); }});
  c.push_back({"family 3 older input layout", Header(107) + "INPUT 1 0 4 4 1", -1, false,
               [](ParamImage& img) { img.SetByte(Adrb::INPUT_INVERSE, 0xF0); },
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::PICKUP_POLARITY + 0), 1);
                 EXPECT_EQ(img.Byte(Adrb::PICKUP_POLARITY + 1), 0);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION + 0), 3);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION + 1), 3);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_NEUTRAL_SS), 1);
                 EXPECT_EQ(img.Byte(Adrb::INPUT_INVERSE), 3);
               }});
  c.push_back({"old advance keywords",
               Header(107) + "ADVANCE_MISC 3 12 -2 2\nTPS_MAPA 5\nADVANCE2 " + Repeat("1 ", 150),
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_TRUE(r.advance2Seen);
                 EXPECT_EQ(img.Byte(Adrb::ADV_MAP), 1);
                 EXPECT_EQ(img.Byte(Adrb::ADV2_MAP), 3);
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 12);
                 EXPECT_EQ(img.Byte(Adrb::CORR_ADVANCE + 0), 98);
                 EXPECT_EQ(img.Byte(Adrb::ADV_COLUMNS), 15);
                 EXPECT_EQ(img.Byte(Adrb::TPSIAP_SENSOR), 1);
                 EXPECT_EQ(img.Byte(Adrb::ADVANCE2), 101);
               }});
  c.push_back({"dwell bytes, pilot light and synonyms",
               Header(107) + "DWELL 1 2 3 4 5 7\nDUR_DISCHARG 6\nEXCITATION 3\nPILOT_LIGHT 9000\n"
                             "PILOT_LIGHT_INV_OUT 1\n4_TAKT 2\nSPEC_START 1\nMAPA2_ACCEL 2000",
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::DWELL + 0), 3);
                 EXPECT_EQ(img.Byte(Adrb::DWELL + 4), 5);
                 EXPECT_EQ(img.Byte(Adrb::DWELL + 5), 6);
                 EXPECT_EQ(img.Byte(Adrb::DWELL + 6), 7);
                 EXPECT_EQ(img.Byte(Adrb::POUT_SW_RPM + 3), 90);
                 EXPECT_EQ(img.Byte(Adrb::FOUR_STROKE), 2);
                 EXPECT_EQ(img.Byte(Adrb::SPECIAL_START), 1);
                 EXPECT_EQ(img.Byte(Adrb::MAP2_ACCEL), 20);
               }});
  c.push_back({"CR LF line ends, stray text and numbers glued to words",
               "junk TORVELIX_KEY   107 KESTRA2_RACE/KESTRA2 ZEDA\r\n"
               "RETARD\r\n  x12y\r\nBASE_ADV\t\t--7 abc 8\r\nbase_adv 30\r\n",
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 12);
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 0);  // -7 is out of range
               }});
  c.push_back({"a keyword with too few numbers takes the following ones",
               Header(107) + "TPS 100\nRETARD 5\n", -1, false, nullptr,
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Word(Adrw::TPS_0), 100);
                 EXPECT_EQ(img.Word(Adrw::TPS_100), 5);
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 0);
               }});
  c.push_back({"numbers missing at the end leave fields unchanged", Header(107) + "IAP_SENSOR 1 2",
               -1, false, [](ParamImage& img) { img.SetWord(Adrw::IAP_V2, 77); },
               [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Word(Adrw::IAP_V1), 2);
                 EXPECT_EQ(img.Word(Adrw::IAP_V2), 77);
               }});
  c.push_back({"overlong tokens and digit runs are cut, not overrun",
               Header(107) + std::string(5000, 'A') + " RETARD " + std::string(300, '9') +
                   " BASE_ADV 0000000000000000000000000000000000000000000000000000000000000000"
                   "0000000000000000000000000000000000000000000000000000000000000000012",
               -1, false, nullptr, [](const ParamImage& img, const IgnReadResult&) {
                 EXPECT_EQ(img.Byte(Adrb::RETARD), 0);
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 0);  // cut to 99 digits: zero
               }});
  c.push_back({"only the first header counts", Header(107) + "TORVELIX_KEY 96 BASE_ADV 5", -1,
               false, nullptr, [](const ParamImage& img, const IgnReadResult& r) {
                 EXPECT_EQ(r.acceptedKey, 107);
                 EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 5);
               }});
  return c;
}

TEST(IgnReader, Cases) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    ParamImage img;
    if (c.before) c.before(img);
    IgnReadOptions opt;
    opt.page = c.page;
    opt.messages = true;
    opt.testMode = c.testMode;
    IgnReadResult r = ReadIgnText(c.text, img, opt);
    c.check(img, r);
  }
}

TEST(IgnReader, MessagesOnlyWhenAskedFor) {
  ParamImage img;
  IgnReadResult r = ReadIgnText(Header(96), img, {});
  EXPECT_EQ(r.message, IgnMessage::None);
  EXPECT_EQ(IgnMessageText(IgnMessage::UnmatchedVersion), "Unmatched version of *.ign file!");
}

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zeda-ign-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

TEST(IgnLoad, HugeFileIsIgnoredMissingFileChangesNothing) {
  TempDir dir;
  std::string big = dir.File("big.ign");
  {
    std::ofstream f(big, std::ios::binary);
    std::string text = Header(107) + "BASE_ADV 33\n";
    f << text << std::string(kIgnMaxFileSize - text.size(), ' ');
  }
  ImageBuffers buf;
  IgnLoadResult r = LoadIgnFile(buf, big, -1, false);
  EXPECT_TRUE(r.tooLarge);
  EXPECT_FALSE(r.Accepted());
  EXPECT_EQ(r.read.message, IgnMessage::None);
  EXPECT_EQ(buf.params.Byte(Adrb::BASE_ADV), 0);

  buf.params.SetByte(Adrb::BASE_ADV, 4);
  buf.fileMatches = false;
  r = LoadIgnFile(buf, dir.File("missing.ign"), -1, false);
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(buf.params.Byte(Adrb::BASE_ADV), 4);
  EXPECT_FALSE(buf.fileMatches);
}

}  // namespace
}  // namespace zeda
