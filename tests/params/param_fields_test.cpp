#include "params/param_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "params/layout_checks.h"

namespace zeda {
namespace {

TEST(ParamImage, WordViewIsLittleEndianOverTheBytes) {
  ParamImage img;
  img.SetWord(Adrw::LIMITER, 0x2AF8);
  EXPECT_EQ(img.Byte(2 * Adrw::LIMITER), 0xF8);
  EXPECT_EQ(img.Byte(2 * Adrw::LIMITER + 1), 0x2A);
  img.SetByte(2 * Adrw::TPS_100 + 1, 0x12);
  img.SetByte(2 * Adrw::TPS_100, 0x34);
  EXPECT_EQ(img.Word(Adrw::TPS_100), 0x1234);
}

TEST(ParamFields, RowsAreInIdOrderAndFitTheirArea) {
  for (int i = 0; i < PARAM_FIELD_COUNT; ++i) {
    const ParamField& f = kParamFields[i];
    SCOPED_TRACE(f.name);
    EXPECT_EQ(static_cast<int>(f.id), i);
    EXPECT_GT(f.count, 0);
    EXPECT_EQ(f.count % f.rowLen, 0);
    EXPECT_GE(f.group, 0);
    EXPECT_LT(f.group, PAGE_GROUP_COUNT);
    EXPECT_NE(f.factor, 0);
    if (f.area == ParamArea::Word) {
      EXPECT_LT(f.EndByte(), Adrb::WORDS_END + 1);
    } else if (f.addr < Adrb::TABLES_BEGIN) {
      EXPECT_GE(f.FirstByte(), Adrb::BYTES_BEGIN);
      EXPECT_LE(f.EndByte(), Adrb::BYTES_END);
    } else {
      EXPECT_LE(f.EndByte(), PARAM_IMAGE_SIZE);
    }
  }
}

TEST(ParamFields, NoTwoFieldsShareAByte) {
  std::array<int, PARAM_IMAGE_SIZE> owner{};
  owner.fill(-1);
  for (const ParamField& f : ParamFields()) {
    for (int b = f.FirstByte(); b < f.EndByte(); ++b) {
      EXPECT_EQ(owner[b], -1) << f.name << " overlaps at byte " << b;
      owner[b] = static_cast<int>(f.id);
    }
  }
  // Word 75, bytes 170-184, the listed unused bytes, 500 and 516-554 belong to no field.
  for (int b : {150, 151, 170, 184, 213, 219, 221, 222, 242, 247, 257, 258,
                429, 430, 438, 439, 493, 496, 500, 503, 512, 516, 554}) {
    EXPECT_EQ(owner[b], -1) << "byte " << b;
    EXPECT_EQ(FieldAtByte(b), nullptr);
  }
  EXPECT_EQ(FieldAtByte(Adrb::POUT_PWM_MAP + 95)->id, FieldId::POUT_PWM_MAP);
  EXPECT_EQ(FieldAtByte(2 * Adrw::PROPRIETARY + 9)->id, FieldId::PROPRIETARY);
}

TEST(ParamFields, StoredRangesFitTheFieldWidth) {
  for (const ParamField& f : ParamFields()) {
    SCOPED_TRACE(f.name);
    const int32_t lo = ToStored(f, f.lo), hi = ToStored(f, f.hi);
    const int32_t min = f.isSigned ? (f.area == ParamArea::Byte ? -128 : -32768) : 0;
    const int32_t max =
        f.area == ParamArea::Byte ? (f.isSigned ? 127 : 255) : (f.isSigned ? 32767 : 65535);
    EXPECT_GE(lo, min);
    EXPECT_LE(hi, max);
    EXPECT_LE(lo, hi);
    if (f.rule == DefaultRule::InGroup || f.rule == DefaultRule::Always) {
      for (int i = 0; i < f.count; ++i) {
        EXPECT_GE(f.ShownDefault(i), f.lo) << "element " << i;
        EXPECT_LE(f.ShownDefault(i), f.hi) << "element " << i;
      }
    }
  }
}

TEST(ParamFields, LookupByNameAndEncodings) {
  struct Case {
    const char* name;
    int32_t stored;
    int32_t shown;
  };
  const Case cases[] = {
      {"RPM_CORRECTION", 100, 0},
      {"CORR_ADVANCE", 70, -30},
      {"MAP2_ACCEL", 100, 10000},
      {"GEAR_CORR_LIMITER", 0, -5000},
      {"GEAR_CORR_POUT", 200, 5000},
      {"SERVO_HYSTER", 20, 100},
      {"ADVANCE", 160, 60},
      {"RPM_ADV", 15, 1500},
      {"START_LIMITER_DELAY", 50, 5000},
  };
  for (const Case& c : cases) {
    const ParamField* f = FindField(c.name);
    ASSERT_NE(f, nullptr) << c.name;
    EXPECT_EQ(std::string(f->name), c.name);
    EXPECT_EQ(ToShown(*f, c.stored), c.shown) << c.name;
    EXPECT_EQ(ToStored(*f, c.shown), c.stored) << c.name;
  }
  EXPECT_EQ(FindField("rpm_adv"), nullptr);  // case-sensitive
  EXPECT_EQ(FindField("NOPE"), nullptr);
}

TEST(ParamFields, SignedFieldsReadAndWriteTwosComplement) {
  ParamImage img;
  WriteShown(img, Field(FieldId::PROPRIETARY), 4, -32000);
  EXPECT_EQ(img.Word(Adrw::PROPRIETARY + 4), 0x8300);
  EXPECT_EQ(ReadShown(img, Field(FieldId::PROPRIETARY), 4), -32000);
  img.SetByte(Adrb::RPM_PULSES, 255);
  EXPECT_EQ(ReadShown(img, Field(FieldId::RPM_PULSES), 0), -1);
  WriteShown(img, Field(FieldId::RPM_PULSES), 0, -2);
  EXPECT_EQ(img.Byte(Adrb::RPM_PULSES), 254);
}

TEST(LayoutChecks, EveryExcessPasses) {
  EXPECT_LE(layout::kAdrwExcess, 0);
  EXPECT_LE(layout::kAdrbExcess, 0);
  EXPECT_LE(layout::kBytesIntoTablesExcess, 0);
  EXPECT_LE(layout::kTablesExcess, 0);
  EXPECT_EQ(layout::kAdrwEnd, 85);
  EXPECT_EQ(layout::kAdrbEnd, 516);
  EXPECT_EQ(layout::kTablesBegin, 555);
  // Every field lies inside the area its enumeration claims.
  for (const ParamField& f : ParamFields()) {
    if (f.area == ParamArea::Word) {
      EXPECT_LE(f.Address(f.count - 1) + 1, layout::kAdrwEnd) << f.name;
    } else if (f.addr < layout::kTablesBegin) {
      EXPECT_LE(f.EndByte(), layout::kAdrbEnd) << f.name;
    } else {
      EXPECT_LE(f.EndByte(), layout::kTablesEnd) << f.name;
    }
  }
  for (const auto& g : layout::kBitFieldGroups) EXPECT_LE(g.bits, layout::kBitFieldLimit) << g.name;
  EXPECT_LE(layout::kImageLength, 8000);
}

}  // namespace
}  // namespace zeda
