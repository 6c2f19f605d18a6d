#pragma once
// The one declarative table of every parameter field in the image.
//
// The file reader and writer, the normaliser, the defaults and the page bindings all take
// addresses, encodings, ranges and defaults from here rather than repeating them.
//
// Encoding: shown = factor * (stored + offset); stored = shown / factor - offset (integer
// division toward zero). "+100" fields (signed quantities kept in unsigned bytes) have
// offset -100. Ranges and defaults are given in shown units.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "params/param_addresses.h"
#include "params/param_image.h"

namespace zeda {

enum class ParamArea : uint8_t { Word, Byte };

enum class FieldKind : uint8_t {
  Number,   // a quantity with a range
  Flag,     // 0/1
  Code,     // one of a set of codes (the range is the widest one)
  Bits,     // a set of flag bits
  Lobe,     // a synchronisation lobe byte: lobe number plus edge / pick-up flags
  Carried,  // kept and written to files, not shown by this build
};

// How "Default values" treats a field.
enum class DefaultRule : uint8_t {
  None,      // never written by the defaults (kept as it is)
  InGroup,   // the table default, when the field's group is selected
  Always,    // the table default, whatever the page selection
  Computed,  // derived from other fields (presets, synchronisation, power-output presets)
};

// One row per field, in image order. The enumerator names are the field names.
enum class FieldId : uint8_t {
  // words
  TPS_0,
  TPS_100,
  IAP_P1,
  IAP_V1,
  IAP_P2,
  IAP_V2,
  ADV_IAP,
  ADV2_IAP,
  SERVO_IAP,
  POUT_SW_LOAD,
  POUT_PWM_LOAD,
  POTENTIOMETER_RANGE,
  SPEED_PULSES,
  GEAR_RATIO,
  GEAR_VOLTAGE,
  START_SOFT_LIMITER,
  START_LIMITER,
  SOFT_LIMITER,
  LIMITER,
  PROPRIETARY,
  // bytes
  BIKE,
  NO_READING,
  PICKUP_POLARITY,
  PICKUPS_INTERCHANGE,
  NO_LOBE_CHECK,
  INTERLOCK_INPUT,
  SPARK_BEFORE_LOBE,
  SPECIAL_START,
  SPECIAL_DWELL_START,
  REV_WITHOUT_IGNITION,
  COMPENSATION,
  RPM_PULSES,
  RPM_CORRECTION,
  PICKUP_SYSTEM,
  LOBE_COUNT,
  CHANNEL_COUNT,
  GEBER_MODE,
  LOBE_START,
  LOBE_END,
  FOUR_STROKE,
  SPECIAL_START_PERC,
  START_LIMITER_DELAY,
  RETARD,
  DWELL,
  TPSIAP_SENSOR,
  POTENTIOMETER,
  MAP2_ACCEL,
  INPUT_FUNCTION,
  INPUT_INVERSE,
  INPUT_NEUTRAL_SS,
  BASE_ADV,
  ADV_MAP,
  ADV2_MAP,
  ADV_COLUMNS,
  ADV2_COLUMNS,
  CORR_ADVANCE,
  POUT_MODE,
  POUT_SW_RPM,
  POUT_HYSTER,
  POUT_SPWM_FR,
  POUT_SP_PWM,
  POUT_SPULSE,
  POUT_SW_BITS,
  POUT_PWM_RPM,
  POUT_PWM_MAP,
  SERVO_ENABLE,
  SERVO_PERCENT,
  SERVO_MAP,
  SERVO_COLUMNS,
  SERVO_HYSTER,
  SERVO_NO,
  GEAR,
  GEAR_COUNT,
  SPEED_MODE,
  GEAR_AUTO_TIME,
  GEAR_AUTO_RPM,
  GEAR_AUTO_TPS,
  GEAR_AUTO_BAND,
  CLUTCH_MODE,
  CLUTCH_TIME,
  CLUTCH_PAUSE1,
  CLUTCH_PAUSE2,
  CLUTCH_MIN_RPM,
  CLUTCH_ADV,
  GEAR_CORR_ADV,
  GEAR_CORR_LIMITER,
  GEAR_CORR_SERVO,
  GEAR_CORR_POUT,
  TEST_RPM,
  TEST_SERVO_TIME,
  SYNC_POLARITY,
  FOUR_STROKE_2ND_TURN,
  SERVO_SENSOR,
  MAX_LOBE_LEN,
  FLYWHEEL_OPERATION,
  ADV2TOOUT2,
  // tables
  SERVO_RPM,
  RPM_ADV,
  RPM_ADV2,
  ADVANCE,
  SERVO,
  ADVANCE2,
  COUNT_
};
inline constexpr int PARAM_FIELD_COUNT = static_cast<int>(FieldId::COUNT_);

struct ParamField {
  FieldId id;
  const char* name;  // upper-case field name
  ParamArea area;
  int16_t addr;   // Adrw or Adrb of element 0
  int16_t count;  // number of elements
  int8_t stride;  // address step between elements (words for Word fields, bytes otherwise)
  int8_t rowLen;  // elements per row: map rows, or points per power output; count when flat
  int8_t group;   // PageGroup the field belongs to
  FieldKind kind;
  int16_t factor;
  int16_t offset;
  bool isSigned;  // two's-complement byte or word
  int32_t lo;     // shown range (the widest one where it depends on a mode)
  int32_t hi;
  DefaultRule rule;
  int32_t def;                    // shown default when `defs` is empty
  std::span<const int32_t> defs;  // shown defaults, repeated over the elements (a map row)

  constexpr int Address(int element) const { return addr + stride * element; }
  constexpr int Rows() const { return count / rowLen; }
  // Byte span of the field in the image.
  constexpr int FirstByte() const { return area == ParamArea::Word ? 2 * addr : addr; }
  constexpr int EndByte() const {
    const int last = Address(count - 1);
    return area == ParamArea::Word ? 2 * last + 2 : last + 1;
  }
  constexpr int32_t ShownDefault(int element) const {
    return defs.empty() ? def : defs[static_cast<std::size_t>(element) % defs.size()];
  }
};

namespace field_defaults {
inline constexpr int32_t kIapAxis[] = {30, 50, 60, 70, 75, 80, 85, 90, 95, 100};
inline constexpr int32_t kAdvanceRpm[] = {1500, 2000, 2500, 3000,  3500,  4000,  5000, 6000,
                                          7000, 8000, 9000, 10000, 11000, 12000, 14000};
inline constexpr int32_t kAdvanceRow[] = {8, 8, 8, 12, 20, 23, 28, 33, 35, 35, 35, 35, 35, 35, 35};
inline constexpr int32_t kGearRatio[] = {2000, 1000, 666, 500, 400, 333};
inline constexpr int32_t kGearVoltage[] = {5000, 1797, 2260, 2998, 3662, 4360, 4687};
inline constexpr int32_t kPoutModes[] = {1, 2, 3, 255};
inline constexpr int32_t kPoutPwmRpm[] = {2000, 4000, 6000, 8000, 10000, 12000};
inline constexpr int32_t kPoutPwmLoad[] = {20, 40, 60, 80};
}  // namespace field_defaults

namespace field_table_detail {
using A = ParamArea;
using K = FieldKind;
using R = DefaultRule;
using F = FieldId;
namespace fd = field_defaults;
inline constexpr std::span<const int32_t> kNone{};
inline constexpr auto W = A::Word;
inline constexpr auto B = A::Byte;
}  // namespace field_table_detail

// clang-format off
inline constexpr ParamField kParamFields[] = {
#define ZF(id, area, addr, count, row, group, kind, factor, offset, sgn, lo, hi, rule, def, defs) \
  {field_table_detail::F::id, #id, field_table_detail::area, addr, count, 1, row, group,          \
   field_table_detail::K::kind, factor, offset, sgn, lo, hi, field_table_detail::R::rule, def,    \
   field_table_detail::defs}
  //  name               area addr                        cnt  row grp kind     fac  off  sgn    lo      hi     rule      def   defs
  ZF(TPS_0,               W, Adrw::TPS_0,                  1,   1,  2, Number,    1,    0, false,     0,  5000, InGroup,   700, kNone),
  ZF(TPS_100,             W, Adrw::TPS_100,                1,   1,  2, Number,    1,    0, false,     0,  5000, InGroup,  3790, kNone),
  ZF(IAP_P1,              W, Adrw::IAP_P1,                 1,   1,  2, Number,    1,    0, false,     0,   999, InGroup,    55, kNone),
  ZF(IAP_V1,              W, Adrw::IAP_V1,                 1,   1,  2, Number,    1,    0, false,     0,  5000, InGroup,  2305, kNone),
  ZF(IAP_P2,              W, Adrw::IAP_P2,                 1,   1,  2, Number,    1,    0, false,     0,   999, InGroup,   105, kNone),
  ZF(IAP_V2,              W, Adrw::IAP_V2,                 1,   1,  2, Number,    1,    0, false,     0,  5000, InGroup,  3756, kNone),
  ZF(ADV_IAP,             W, Adrw::ADV_IAP,               10,  10,  3, Number,    1,    0, false,     0,   999, InGroup,     0, fd::kIapAxis),
  ZF(ADV2_IAP,            W, Adrw::ADV2_IAP,              10,  10,  3, Number,    1,    0, false,     0,   999, InGroup,     0, fd::kIapAxis),
  ZF(SERVO_IAP,           W, Adrw::SERVO_IAP,             10,  10,  5, Number,    1,    0, false,     0,   999, InGroup,     0, fd::kIapAxis),
  ZF(POUT_SW_LOAD,        W, Adrw::POUT_SW_LOAD,           8,   2,  4, Number,    1,    0, false,     0,   999, Computed,    0, kNone),
  ZF(POUT_PWM_LOAD,       W, Adrw::POUT_PWM_LOAD,         16,   4,  4, Number,    1,    0, false,     0,   999, InGroup,     0, fd::kPoutPwmLoad),
  ZF(POTENTIOMETER_RANGE, W, Adrw::POTENTIOMETER_RANGE,    1,   1,  0, Number,    1,    0, false,     0, 10000, Always,      0, kNone),
  ZF(SPEED_PULSES,        W, Adrw::SPEED_PULSES,           1,   1,  6, Number,    1,    0, false,     1, 32000, InGroup,  1000, kNone),
  ZF(GEAR_RATIO,          W, Adrw::GEAR_RATIO,             6,   6,  6, Number,    1,    0, false,     1, 32000, InGroup,     0, fd::kGearRatio),
  ZF(GEAR_VOLTAGE,        W, Adrw::GEAR_VOLTAGE,           7,   7,  6, Number,    1,    0, false,     0,  5000, InGroup,     0, fd::kGearVoltage),
  ZF(START_SOFT_LIMITER,  W, Adrw::START_SOFT_LIMITER,     1,   1,  0, Number,    1,    0, false,  1000, 25000, InGroup,  5800, kNone),
  ZF(START_LIMITER,       W, Adrw::START_LIMITER,          1,   1,  0, Number,    1,    0, false,  1000, 25000, InGroup,  6000, kNone),
  ZF(SOFT_LIMITER,        W, Adrw::SOFT_LIMITER,           1,   1,  0, Number,    1,    0, false,  1000, 25000, InGroup, 10800, kNone),
  ZF(LIMITER,             W, Adrw::LIMITER,                1,   1,  0, Number,    1,    0, false,  1000, 25000, InGroup, 11000, kNone),
  ZF(PROPRIETARY,         W, Adrw::PROPRIETARY,            5,   5,  9, Number,    1,    0, true, -32000, 32000, Always,      0, kNone),

  ZF(BIKE,                B, Adrb::BIKE,                   1,   1,  1, Code,      1,    0, false,     0,   255, None,        7, kNone),
  ZF(NO_READING,          B, Adrb::NO_READING,             1,   1,  0, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(PICKUP_POLARITY,     B, Adrb::PICKUP_POLARITY,        2,   2,  1, Code,      1,    0, false,     0,     2, InGroup,     2, kNone),
  ZF(PICKUPS_INTERCHANGE, B, Adrb::PICKUPS_INTERCHANGE,    1,   1,  1, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(NO_LOBE_CHECK,       B, Adrb::NO_LOBE_CHECK,          1,   1,  1, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(INTERLOCK_INPUT,     B, Adrb::INTERLOCK_INPUT,        1,   1,  1, Flag,      1,    0, false,     0,     1, None,        0, kNone),
  ZF(SPARK_BEFORE_LOBE,   B, Adrb::SPARK_BEFORE_LOBE,      1,   1,  1, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(SPECIAL_START,       B, Adrb::SPECIAL_START,          1,   1,  1, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(SPECIAL_DWELL_START, B, Adrb::SPECIAL_DWELL_START,    1,   1,  1, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(REV_WITHOUT_IGNITION,B, Adrb::REV_WITHOUT_IGNITION,   1,   1,  1, Number,    1,    0, false,     0,    40, Computed,    0, kNone),
  ZF(COMPENSATION,        B, Adrb::COMPENSATION,           1,   1,  1, Number,    1,    0, false,     0,   255, InGroup,     6, kNone),
  ZF(RPM_PULSES,          B, Adrb::RPM_PULSES,             1,   1,  1, Number,    1,    0, true,     -2,    12, Computed,    0, kNone),
  ZF(RPM_CORRECTION,      B, Adrb::RPM_CORRECTION,         1,   1,  1, Number,    1, -100, false,   -60,    60, InGroup,     0, kNone),
  ZF(PICKUP_SYSTEM,       B, Adrb::PICKUP_SYSTEM,          1,   1,  1, Code,      1,    0, false,     0,    20, Computed,    0, kNone),
  ZF(LOBE_COUNT,          B, Adrb::LOBE_COUNT,             1,   1,  1, Number,    1,    0, false,     1,   120, Computed,    1, kNone),
  ZF(CHANNEL_COUNT,       B, Adrb::CHANNEL_COUNT,          1,   1,  1, Number,    1,    0, false,     1,     2, Computed,    2, kNone),
  ZF(GEBER_MODE,          B, Adrb::GEBER_MODE,             1,   1,  1, Code,      1,    0, false,     0,     4, Computed,    1, kNone),
  ZF(LOBE_START,          B, Adrb::LOBE_START,             4,   4,  1, Lobe,      1,    0, false,     1,   120, Computed,    0, kNone),
  ZF(LOBE_END,            B, Adrb::LOBE_END,               4,   4,  1, Lobe,      1,    0, false,     1,   120, Computed,    0, kNone),
  ZF(FOUR_STROKE,         B, Adrb::FOUR_STROKE,            1,   1,  1, Code,      1,    0, false,     0,     2, InGroup,     0, kNone),
  ZF(SPECIAL_START_PERC,  B, Adrb::SPECIAL_START_PERC,     1,   1,  1, Number,    1,    0, false,     0,   250, InGroup,     0, kNone),
  ZF(START_LIMITER_DELAY, B, Adrb::START_LIMITER_DELAY,    1,   1,  0, Number,  100,    0, false,     0,  5000, InGroup,     0, kNone),
  ZF(RETARD,              B, Adrb::RETARD,                 1,   1,  0, Number,    1,    0, false,     0,    60, InGroup,     6, kNone),
  ZF(DWELL,               B, Adrb::DWELL,                  7,   7,  0, Carried,   1,    0, false,     0,   255, None,        0, kNone),
  ZF(TPSIAP_SENSOR,       B, Adrb::TPSIAP_SENSOR,          1,   1,  2, Code,      1,    0, false,     0,     2, InGroup,     0, kNone),
  ZF(POTENTIOMETER,       B, Adrb::POTENTIOMETER,          1,   1,  0, Code,      1,    0, false,     0,     4, Always,      0, kNone),
  ZF(MAP2_ACCEL,          B, Adrb::MAP2_ACCEL,             1,   1,  0, Number,  100,    0, false,   100, 25000, Always,  10000, kNone),
  ZF(INPUT_FUNCTION,      B, Adrb::INPUT_FUNCTION,         6,   6,  0, Code,      1,    0, false,     0,    11, Computed,    0, kNone),
  ZF(INPUT_INVERSE,       B, Adrb::INPUT_INVERSE,          1,   1,  0, Bits,      1,    0, false,     0,    63, InGroup,     0, kNone),
  ZF(INPUT_NEUTRAL_SS,    B, Adrb::INPUT_NEUTRAL_SS,       1,   1,  0, Flag,      1,    0, false,     0,     1, Computed,    0, kNone),
  ZF(BASE_ADV,            B, Adrb::BASE_ADV,               1,   1,  3, Number,    1,    0, false,     0,    40, InGroup,    10, kNone),
  ZF(ADV_MAP,             B, Adrb::ADV_MAP,                1,   1,  3, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(ADV2_MAP,            B, Adrb::ADV2_MAP,               1,   1,  3, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(ADV_COLUMNS,         B, Adrb::ADV_COLUMNS,            1,   1,  3, Number,    1,    0, false,     1,    15, InGroup,    15, kNone),
  ZF(ADV2_COLUMNS,        B, Adrb::ADV2_COLUMNS,           1,   1,  3, Number,    1,    0, false,     1,    15, InGroup,    15, kNone),
  ZF(CORR_ADVANCE,        B, Adrb::CORR_ADVANCE,           4,   4,  3, Number,    1, -100, false,   -30,    30, InGroup,     0, kNone),
  ZF(POUT_MODE,           B, Adrb::POUT_MODE,              4,   4,  4, Code,      1,    0, false,     0,   255, InGroup,     0, fd::kPoutModes),
  ZF(POUT_SW_RPM,         B, Adrb::POUT_SW_RPM,           12,   3,  4, Number,  100,    0, false,   300, 25000, Computed,    0, kNone),
  ZF(POUT_HYSTER,         B, Adrb::POUT_HYSTER,            4,   4,  4, Number,   10,    0, false,     0,  2500, Computed,    0, kNone),
  ZF(POUT_SPWM_FR,        B, Adrb::POUT_SPWM_FR,           4,   4,  4, Number,    1,    0, false,     2,    20, InGroup,    10, kNone),
  ZF(POUT_SP_PWM,         B, Adrb::POUT_SP_PWM,            4,   4,  4, Number,    1,    0, false,    10,   100, InGroup,   100, kNone),
  ZF(POUT_SPULSE,         B, Adrb::POUT_SPULSE,            4,   4,  4, Number,    5,    0, false,     5,   500, InGroup,   100, kNone),
  ZF(POUT_SW_BITS,        B, Adrb::POUT_SW_BITS,          12,   3,  4, Bits,      1,    0, false,     0,    15, Computed,    0, kNone),
  ZF(POUT_PWM_RPM,        B, Adrb::POUT_PWM_RPM,          24,   6,  4, Number,  100,    0, false,   300, 25000, InGroup,     0, fd::kPoutPwmRpm),
  ZF(POUT_PWM_MAP,        B, Adrb::POUT_PWM_MAP,          96,   6,  4, Number,    1,    0, false,     0,   200, InGroup,     0, kNone),
  ZF(SERVO_ENABLE,        B, Adrb::SERVO_ENABLE,           1,   1,  5, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(SERVO_PERCENT,       B, Adrb::SERVO_PERCENT,          1,   1,  5, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(SERVO_MAP,           B, Adrb::SERVO_MAP,              1,   1,  5, Code,      1,    0, false,     0,     2, None,        0, kNone),
  ZF(SERVO_COLUMNS,       B, Adrb::SERVO_COLUMNS,          1,   1,  5, Number,    1,    0, false,     1,    15, InGroup,    15, kNone),
  ZF(SERVO_HYSTER,        B, Adrb::SERVO_HYSTER,           1,   1,  5, Number,    5,    0, false,     0,  1275, InGroup,   100, kNone),
  ZF(SERVO_NO,            B, Adrb::SERVO_NO,               1,   1,  5, Number,    5,    0, false,     0,  1250, InGroup,     0, kNone),
  ZF(GEAR,                B, Adrb::GEAR,                   1,   1,  6, Code,      1,    0, false,     0,     3, InGroup,     0, kNone),
  ZF(GEAR_COUNT,          B, Adrb::GEAR_COUNT,             1,   1,  6, Number,    1,    0, false,     1,     6, InGroup,     6, kNone),
  ZF(SPEED_MODE,          B, Adrb::SPEED_MODE,             1,   1,  6, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(GEAR_AUTO_TIME,      B, Adrb::GEAR_AUTO_TIME,         1,   1,  6, Number,    1,    0, false,     1,   100, InGroup,     3, kNone),
  ZF(GEAR_AUTO_RPM,       B, Adrb::GEAR_AUTO_RPM,          1,   1,  6, Number,  100,    0, false,   300, 25000, InGroup,  1500, kNone),
  ZF(GEAR_AUTO_TPS,       B, Adrb::GEAR_AUTO_TPS,          1,   1,  6, Number,    1,    0, false,     0,   100, InGroup,    20, kNone),
  ZF(GEAR_AUTO_BAND,      B, Adrb::GEAR_AUTO_BAND,         1,   1,  6, Number,    1,    0, false,     1,   100, InGroup,    40, kNone),
  ZF(CLUTCH_MODE,         B, Adrb::CLUTCH_MODE,            1,   1,  7, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(CLUTCH_TIME,         B, Adrb::CLUTCH_TIME,            6,   6,  7, Number,    5,    0, false,     0,  1250, InGroup,   100, kNone),
  ZF(CLUTCH_PAUSE1,       B, Adrb::CLUTCH_PAUSE1,          1,   1,  7, Number,   10,    0, false,     0,  2500, InGroup,     0, kNone),
  ZF(CLUTCH_PAUSE2,       B, Adrb::CLUTCH_PAUSE2,          1,   1,  7, Number,   10,    0, false,     0,  2500, InGroup,   130, kNone),
  ZF(CLUTCH_MIN_RPM,      B, Adrb::CLUTCH_MIN_RPM,         1,   1,  7, Number,  100,    0, false,  1000, 25000, InGroup,  2000, kNone),
  ZF(CLUTCH_ADV,          B, Adrb::CLUTCH_ADV,             1,   1,  7, Number,    1,    0, false,     0,    60, InGroup,     0, kNone),
  ZF(GEAR_CORR_ADV,       B, Adrb::GEAR_CORR_ADV,          6,   6,  7, Number,    1, -100, false,   -20,    20, InGroup,     0, kNone),
  ZF(GEAR_CORR_LIMITER,   B, Adrb::GEAR_CORR_LIMITER,      6,   6,  7, Number,   50, -100, false, -5000,  5000, InGroup,     0, kNone),
  ZF(GEAR_CORR_SERVO,     B, Adrb::GEAR_CORR_SERVO,        6,   6,  7, Number,   50, -100, false, -5000,  5000, InGroup,     0, kNone),
  ZF(GEAR_CORR_POUT,      B, Adrb::GEAR_CORR_POUT,        24,   6,  7, Number,   50, -100, false, -5000,  5000, InGroup,     0, kNone),
  ZF(TEST_RPM,            B, Adrb::TEST_RPM,               1,   1,  9, Number,  100,    0, false,   200, 25000, InGroup,  5000, kNone),
  ZF(TEST_SERVO_TIME,     B, Adrb::TEST_SERVO_TIME,        1,   1,  9, Number,   10,    0, false,    10,  2500, InGroup,   500, kNone),
  ZF(SYNC_POLARITY,       B, Adrb::SYNC_POLARITY,          1,   1,  1, Code,      1,    0, false,     0,     2, InGroup,     0, kNone),
  ZF(FOUR_STROKE_2ND_TURN,B, Adrb::FOUR_STROKE_2ND_TURN,   1,   1,  1, Bits,      1,    0, false,     0,    15, Computed,    0, kNone),
  ZF(SERVO_SENSOR,        B, Adrb::SERVO_SENSOR,           1,   1,  2, Code,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(MAX_LOBE_LEN,        B, Adrb::MAX_LOBE_LEN,           1,   1,  1, Number,    1,    0, false,     1,   250, InGroup,   250, kNone),
  ZF(FLYWHEEL_OPERATION,  B, Adrb::FLYWHEEL_OPERATION,     1,   1,  1, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),
  ZF(ADV2TOOUT2,          B, Adrb::ADV2TOOUT2,             1,   1,  3, Flag,      1,    0, false,     0,     1, InGroup,     0, kNone),

  ZF(SERVO_RPM,           B, Adrb::SERVO_RPM,             15,  15,  5, Number,  100,    0, false,   300, 25000, Computed,    0, kNone),
  ZF(RPM_ADV,             B, Adrb::RPM_ADV,               15,  15,  3, Number,  100,    0, false,   300, 25000, InGroup,     0, fd::kAdvanceRpm),
  ZF(RPM_ADV2,            B, Adrb::RPM_ADV2,              15,  15,  3, Number,  100,    0, false,   300, 25000, InGroup,     0, fd::kAdvanceRpm),
  ZF(ADVANCE,             B, Adrb::ADVANCE,              150,  15,  3, Number,    1, -100, false,   -30,    60, InGroup,     0, fd::kAdvanceRow),
  ZF(SERVO,               B, Adrb::SERVO,                150,  15,  5, Number,    1,    0, false,     0,   250, Computed,    0, kNone),
  ZF(ADVANCE2,            B, Adrb::ADVANCE2,             150,  15,  3, Number,    1, -100, false,   -30,    60, InGroup,     0, fd::kAdvanceRow),
#undef ZF
};
// clang-format on

static_assert(std::size(kParamFields) == PARAM_FIELD_COUNT, "one row per FieldId");

// The row of a field (constant time: rows are in FieldId order).
constexpr const ParamField& Field(FieldId id) { return kParamFields[static_cast<int>(id)]; }

// Every field, in image order.
constexpr std::span<const ParamField> ParamFields() { return kParamFields; }

// The field with this exact (case-sensitive) name, or nullptr.
const ParamField* FindField(std::string_view name);

// The field that holds image byte n (either byte of a word), or nullptr for carried and
// unused bytes.
const ParamField* FieldAtByte(int n);

// Stored <-> shown conversions of the encoding.
constexpr int32_t ToShown(const ParamField& f, int32_t stored) {
  return f.factor * (stored + f.offset);
}
constexpr int32_t ToStored(const ParamField& f, int32_t shown) {
  return shown / f.factor - f.offset;  // C++ division truncates toward zero
}

// Reads element i as its stored value (sign-extended for signed fields).
int32_t ReadStored(const ParamImage& img, const ParamField& f, int element);
// Writes element i; the value is truncated to the field's width (8 or 16 bits).
void WriteStored(ParamImage& img, const ParamField& f, int element, int32_t stored);

inline int32_t ReadShown(const ParamImage& img, const ParamField& f, int element) {
  return ToShown(f, ReadStored(img, f, element));
}
inline void WriteShown(ParamImage& img, const ParamField& f, int element, int32_t shown) {
  WriteStored(img, f, element, ToStored(f, shown));
}

// Shorthands by id.
inline int32_t ReadStored(const ParamImage& img, FieldId id, int element = 0) {
  return ReadStored(img, Field(id), element);
}
inline void WriteStored(ParamImage& img, FieldId id, int element, int32_t stored) {
  WriteStored(img, Field(id), element, stored);
}

}  // namespace zeda
