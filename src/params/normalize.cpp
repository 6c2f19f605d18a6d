#include "params/normalize.h"

#include <algorithm>
#include <array>

#include "params/lobe_byte.h"
#include "params/param_codes.h"
#include "params/pout_presets.h"

namespace zeda {

namespace {

int ReadElement(const ParamImage& img, ParamArea area, int addr, bool isSigned) {
  if (area == ParamArea::Word) {
    const uint16_t w = img.Word(addr);
    return isSigned ? static_cast<int16_t>(w) : w;
  }
  const uint8_t b = img.Byte(addr);
  return isSigned ? static_cast<int8_t>(b) : b;
}

void WriteElement(ParamImage& img, ParamArea area, int addr, int v) {
  if (area == ParamArea::Word)
    img.SetWord(addr, static_cast<uint16_t>(v & 0xFFFF));
  else
    img.SetByte(addr, static_cast<uint8_t>(v & 0xFF));
}

// Single bytes whose out-of-range values have a fixed replacement.
struct ByteRule {
  int addr;
  int lo, hi;       // values kept as they are
  int replacement;  // -1: clamp to lo..hi instead
};
// clang-format off
constexpr ByteRule kEarlyByteRules[] = {
    {Adrb::FOUR_STROKE,        0, 2,   0},    // an unknown four-stroke mode is off
    {Adrb::FLYWHEEL_OPERATION, 0, 1,   -1},
    {Adrb::CHANNEL_COUNT,      1, 2,   -1},
    {Adrb::DWELL,              0, 3,   -1},   // dwell mode
    {Adrb::MAX_LOBE_LEN,       1, 249, 250},  // 0 or >= 250 means "no limit" = 250
    {Adrb::POTENTIOMETER,      0, 4,   0},
};
// clang-format on

void ApplyByteRule(ParamImage& img, const ByteRule& r) {
  const int v = img.Byte(r.addr);
  if (v >= r.lo && v <= r.hi) return;
  const int fixed = r.replacement >= 0 ? r.replacement : std::clamp(v, r.lo, r.hi);
  img.SetByte(r.addr, static_cast<uint8_t>(fixed));
}

// The dwell time (byte 225) of the fixed dwell modes. The Miscellaneous page writes it on
// every store; holding it here too makes every read or loaded image agree, so that the first
// commit after a read cannot change a byte the user never touched (and program it).
constexpr int kDwellTimeOfMode[] = {10, 30};

// Axes that must rise over the whole field.
struct SeriesRule {
  FieldId field;
  int lo, hi;  // stored units
};
constexpr SeriesRule kLoadAxes[] = {
    {FieldId::ADV_IAP, 0, 999}, {FieldId::ADV2_IAP, 0, 999}, {FieldId::SERVO_IAP, 0, 999}};
constexpr SeriesRule kRpmAxes[] = {
    {FieldId::RPM_ADV, 3, 250}, {FieldId::RPM_ADV2, 3, 250}, {FieldId::SERVO_RPM, 3, 250}};

void ClampRising(ParamImage& img, const SeriesRule& s) {
  const ParamField& f = Field(s.field);
  ClampSeries(img, f.area, SERIES_RISING, f.addr, 0, s.lo, s.hi, f.count, 1);
}

// The three maps and their column counts.
struct MapRule {
  FieldId map;
  int columnsAddr;
};
constexpr MapRule kMaps[] = {{FieldId::ADVANCE, Adrb::ADV_COLUMNS},
                             {FieldId::ADVANCE2, Adrb::ADV2_COLUMNS},
                             {FieldId::SERVO, Adrb::SERVO_COLUMNS}};

// Methods whose lobe bytes may carry the "2nd Pick-up" flag.
constexpr bool KeepsSecondPickup(int method) {
  return method == 0 || method == 4 || method == 9 || method == 17 || method == 18 || method == 19;
}

void NormalizeLobeBytes(ParamImage& img) {
  const int method = img.Byte(Adrb::PICKUP_SYSTEM);
  const int lobeCount = img.Byte(Adrb::LOBE_COUNT);
  for (int c = 0; c < CHANNEL_SLOTS; ++c) {
    for (int base : {Adrb::LOBE_START, Adrb::LOBE_END}) {
      LobeByte l = DecodeLobeByte(img.Byte(base + c), method);
      l.lobe = std::clamp(l.lobe, 1, lobeCount);
      uint8_t b = EncodeLobeByte(l, method);
      if (method != PICKUP_SYSTEM_120_LOBES && !KeepsSecondPickup(method))
        b &= static_cast<uint8_t>(~LOBE_BIT_2ND_PICKUP);
      img.SetByte(base + c, b);
    }
  }
}

void NormalizePowerOutput(ParamImage& img, int k) {
  const int modeAddr = Adrb::POUT_MODE + k;
  if (!IsPoutMode(img.Byte(modeAddr))) img.SetByte(modeAddr, POUT_SPECIAL);
  const int mode = img.Byte(modeAddr);
  // The load axes are % throttle unless the load sensor is IAP (kPa).
  const int loadMax = img.Byte(Adrb::TPSIAP_SENSOR) == LOAD_SENSOR_IAP ? 999 : 100;

  // The gear shift light may switch at equal rpm points.
  const int swStep = mode == POUT_GEAR_SHIFT_LIGHT ? 0 : 1;
  ClampSeries(img, ParamArea::Byte, SERIES_RISING, Adrb::POUT_SW_RPM, POUT_SW_RPM_POINTS * k, 3,
              250, POUT_SW_RPM_POINTS, swStep);
  ClampSeries(img, ParamArea::Word, SERIES_RISING, Adrw::POUT_SW_LOAD, POUT_SW_LOAD_POINTS * k, 0,
              loadMax, POUT_SW_LOAD_POINTS, 1);
  ApplyPoutPreset(img, k, PoutPresetVariant::Normalising);
  ClampSeries(img, ParamArea::Byte, SERIES_RISING, Adrb::POUT_PWM_RPM, POUT_PWM_RPM_POINTS * k, 3,
              250, POUT_PWM_RPM_POINTS, 1);
  ClampSeries(img, ParamArea::Word, SERIES_RISING, Adrw::POUT_PWM_LOAD, POUT_PWM_LOAD_POINTS * k, 0,
              loadMax, POUT_PWM_LOAD_POINTS, 1);

  // Special Pulse counts periods of 50 ms, never shorter than its pulse.
  int lo = 0, hi = 100;
  if (mode == POUT_SPECIAL_PULSE) {
    lo = (img.Byte(Adrb::POUT_SPULSE + k) + 9) / 10;
    hi = 200;
  }
  ClampSeries(img, ParamArea::Byte, SERIES_BOUNDS, Adrb::POUT_PWM_MAP, POUT_PWM_CELLS * k, lo, hi,
              POUT_PWM_CELLS, 0);
}

}  // namespace

void ClampSeries(ParamImage& img, ParamArea area, int kind, int base, int first, int lo, int hi,
                 int count, int step) {
  if (count <= 0) return;
  const bool isSigned = kind >= SERIES_SIGNED - 1;
  const int dir = isSigned ? kind - SERIES_SIGNED : kind;
  // The width's own limits, so a correction never wraps around.
  const int typeMin = isSigned ? (area == ParamArea::Word ? -32768 : -128) : 0;
  const int typeMax = area == ParamArea::Word ? (isSigned ? 32767 : 65535) : (isSigned ? 127 : 255);

  int prev = 0;
  for (int i = 0; i < count; ++i) {
    const int addr = base + first + i;
    int v = ReadElement(img, area, addr, isSigned);
    const int n1 = count - 1;
    const int lower = dir > 0 ? lo + step * i : dir < 0 ? lo + step * (n1 - i) : lo;
    const int upper = dir > 0 ? hi - step * (n1 - i) : dir < 0 ? hi - step * i : hi;
    if (v < lower) v = lower;
    if (v > upper) v = upper;
    if (i > 0) {
      if (dir > 0 && v <= prev) v = prev + step;
      if (dir < 0 && v >= prev) v = prev - step;
    }
    v = std::clamp(v, typeMin, typeMax);
    WriteElement(img, area, addr, v);
    prev = v;
  }
}

void FillUnusedColumns(ParamImage& img, int base, int usedColumns) {
  if (usedColumns < 1 || usedColumns >= MAP_COLUMNS) return;
  for (int r = 0; r < MAP_ROWS; ++r) {
    const int row = base + MAP_COLUMNS * r;
    const uint8_t last = img.Byte(row + usedColumns - 1);
    for (int c = usedColumns; c < MAP_COLUMNS; ++c) img.SetByte(row + c, last);
  }
}

int DwellTimeOfMode(int mode) {
  return mode >= 0 && mode < static_cast<int>(std::size(kDwellTimeOfMode))
             ? kDwellTimeOfMode[static_cast<std::size_t>(mode)]
             : -1;
}

void RepairSettings(RepairableSettings& s) {
  if (s.language < 0 || s.language > 2) s.language = 0;
  if (s.comPort > 255 || s.comPort < -1) s.comPort = -1;
  if (s.comPortAuto < 1 || s.comPortAuto > 255) s.comPortAuto = 1;
}

void NormalizeParams(ParamImage& img, RepairableSettings* settings) {
  // Single bytes with fixed fallbacks.
  for (const ByteRule& r : kEarlyByteRules) ApplyByteRule(img, r);

  // The dwell time follows a fixed dwell mode; the other modes carry their own.
  if (const int t = DwellTimeOfMode(img.Byte(Adrb::DWELL)); t >= 0)
    img.SetByte(Adrb::DWELL + 1, static_cast<uint8_t>(t));

  // IAP load axes rise.
  for (const SeriesRule& s : kLoadAxes) ClampRising(img, s);

  // The servo sensor input cannot also drive the servo.
  if (img.Byte(Adrb::SERVO_SENSOR) != 0) img.SetByte(Adrb::SERVO_ENABLE, 0);

  // Rpm axes rise.
  for (const SeriesRule& s : kRpmAxes) ClampRising(img, s);

  // The second IAP calibration point is not below the first.
  if (img.Word(Adrw::IAP_P2) <= img.Word(Adrw::IAP_P1))
    img.SetWord(Adrw::IAP_P2, img.Word(Adrw::IAP_P1));

  // Map cells in range; unused columns copy the last used one.
  const int servoMax = img.Byte(Adrb::SERVO_PERCENT) != 0 ? 100 : 250;
  for (const MapRule& m : kMaps) {
    const ParamField& f = Field(m.map);
    const bool isServo = m.map == FieldId::SERVO;
    ClampSeries(img, ParamArea::Byte, SERIES_BOUNDS, f.addr, 0, isServo ? 0 : 70,
                isServo ? servoMax : 160, f.count, 0);
    const int cols = img.Byte(m.columnsAddr);
    if (cols == 0 || cols > MAP_COLUMNS) img.SetByte(m.columnsAddr, MAP_COLUMNS);
    FillUnusedColumns(img, f.addr, img.Byte(m.columnsAddr));
  }

  // Column counts 1-15.
  for (const MapRule& m : kMaps)
    img.SetByte(m.columnsAddr,
                static_cast<uint8_t>(std::clamp<int>(img.Byte(m.columnsAddr), 1, MAP_COLUMNS)));

  // Lobe count by method. A count of 0 would leave no valid lobe, so it becomes 1.
  const int method = img.Byte(Adrb::PICKUP_SYSTEM);
  if (method == 0) img.SetByte(Adrb::LOBE_COUNT, 1);
  const int maxLobes = method == PICKUP_SYSTEM_120_LOBES ? 120 : 58;
  img.SetByte(Adrb::LOBE_COUNT,
              static_cast<uint8_t>(std::clamp<int>(img.Byte(Adrb::LOBE_COUNT), 1, maxLobes)));

  // Lobe numbers within the lobe count, flags kept.
  NormalizeLobeBytes(img);

  // Power outputs.
  for (int k = 0; k < POUT_COUNT; ++k) NormalizePowerOutput(img, k);

  // Limiters.
  ClampSeries(img, ParamArea::Word, SERIES_BOUNDS, Adrw::START_SOFT_LIMITER, 0, 1000, 25000, 4, 0);

  // Base advance.
  if (img.Byte(Adrb::BASE_ADV) > 40) img.SetByte(Adrb::BASE_ADV, 40);

  // The application settings checked by the same pass.
  if (settings) RepairSettings(*settings);

  // Byte 500 is reserved and always 0 in every image the program hands on.
  img.SetByte(Adrb::ZERO_BYTE, 0);
}

bool UpdatePresence(ParamImage& img, Presence& presence) {
  presence = Presence{};
  auto set = [&](int i) { presence.flags[static_cast<std::size_t>(i)] = true; };
  const bool neutralSs = img.Byte(Adrb::INPUT_NEUTRAL_SS) != 0;

  if (img.Byte(Adrb::BIKE) == BIKE_SPECIAL) set(0);
  if (neutralSs) {
    set(1);
    set(3);  // the side stand blocks like a Blocking input
  }

  // Function code -> presence flag; Quickshift inv. (4) and N2O (10) have none.
  constexpr int kFlagOfFunction[] = {-1, 2, 3, 4, -1, 5, 6, 7, 8, 9, -1, 11};
  bool hasGear = false, hasSpeed = false;
  for (int i = 0; i < INPUTS_OFFERED; ++i) {
    if (neutralSs && i < 2) continue;  // inputs 1 and 2 serve the neutral switch / side stand
    const int fn = img.Byte(Adrb::INPUT_FUNCTION + i);
    if (fn >= 0 && fn < static_cast<int>(std::size(kFlagOfFunction)) && kFlagOfFunction[fn] >= 0)
      set(kFlagOfFunction[fn]);
    hasGear |= fn == INPUT_GEAR;
    hasSpeed |= fn == INPUT_SPEED;
  }

  // A gear mode without its input cannot work; fall back to no gear detection.
  const int gear = img.Byte(Adrb::GEAR);
  bool gearChanged = false;
  if ((gear == GEAR_VOLTAGE_MODE && !hasGear) ||
      ((gear == GEAR_RATIO_MODE || gear == GEAR_RATIO_AUTO) && !hasSpeed)) {
    img.SetByte(Adrb::GEAR, GEAR_NONE);
    gearChanged = true;
  }
  img.SetByte(Adrb::ZERO_BYTE, 0);
  return gearChanged;
}

}  // namespace zeda
