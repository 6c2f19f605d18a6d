#include "params/ign_reader.h"

#include <array>
#include <cstdint>
#include <optional>

#include "base/identity.h"
#include "params/atomic_file.h"
#include "params/ign_model_bridge.h"
#include "params/lobe_byte.h"
#include "params/param_addresses.h"
#include "params/param_fields.h"

namespace zeda {

namespace {

using F = FieldId;

// Buffer sizes of the tokenizer: longer tokens and digit runs are cut, never overrun.
constexpr size_t kTokenMax = 259;
constexpr size_t kNumberMax = 99;

class Scanner {
 public:
  explicit Scanner(std::string_view text) : t_(text) {}

  // Next non-empty token (the delimiter is consumed); false at the end of the text.
  bool NextToken(std::string_view& tok) {
    while (pos_ < t_.size()) {
      size_t start = pos_;
      while (pos_ < t_.size() && !IsDelimiter(t_[pos_])) ++pos_;
      std::string_view run = t_.substr(start, pos_ - start);
      if (pos_ < t_.size()) ++pos_;  // the delimiter
      size_t cr = run.find('\r');
      if (cr != std::string_view::npos) run = run.substr(0, cr);
      if (run.size() > kTokenMax) run = run.substr(0, kTokenMax);
      if (!run.empty()) {
        tok = run;
        return true;
      }
    }
    return false;
  }

  // The next number wherever it stands: everything up to a '-' or a digit is skipped.
  // Decimal, saturated to the int range; nullopt at the end of the text.
  std::optional<int> NextNumber() {
    for (;;) {
      while (pos_ < t_.size() && t_[pos_] != '-' && !IsDigit(t_[pos_])) ++pos_;
      if (pos_ >= t_.size()) return std::nullopt;
      bool negative = false;
      if (t_[pos_] == '-') {
        negative = true;
        ++pos_;
        if (pos_ >= t_.size() || !IsDigit(t_[pos_])) continue;  // a lone minus is no number
      }
      int64_t value = 0;
      size_t taken = 0;
      while (pos_ < t_.size() && IsDigit(t_[pos_])) {
        if (taken < kNumberMax && value <= INT64_C(100000000000))
          value = value * 10 + (t_[pos_] - '0');
        ++taken;
        ++pos_;
      }
      if (negative) value = -value;
      if (value > INT32_MAX) value = INT32_MAX;
      if (value < INT32_MIN) value = INT32_MIN;
      return static_cast<int>(value);
    }
  }

 private:
  static bool IsDelimiter(char c) { return c == ' ' || c == '\t' || c == '\n'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  std::string_view t_;
  size_t pos_ = 0;
};

enum class Kw {
  Bike,
  PickupSystem,
  Compensation,
  FourStroke2nd,
  PickupPolarity,
  Rpm,
  Single,
  Limiter,
  StartLim,
  StartLimDelay,
  Input,
  InputN,
  Potentiometer,
  Excitation,
  Dwell,
  DurDischarg,
  Tps,
  IapSensor,
  AdvanceMisc,
  CorrAdvance,
  TpsMapa,
  AdvIap,
  RpmAdv,
  Advance,
  Adv2Iap,
  RpmAdv2,
  Advance2,
  SerrvoMisc,
  ServoNo,
  SerrvoMiscHo,
  ServoIap,
  ServoRpm,
  Servo,
  ServoMv,
  PilotLight,
  PilotLightInvOut,
  Gear,
  GearAuto,
  SpeedPulses,
  Clutch,
  ClutchRace,
  ClutchTime,
  GearCorr6,
  GearCorrPout,
  Proprietary,
  PowerOut,
  PowerOutPwm,
  PowerOutSpPwm,
  PowerOutSpwmFr,
  PowerOutSpulse,
};

struct KwRow {
  std::string_view name;
  Kw kw;
  F field;  // the field for the one-field keywords
};

// clang-format off
constexpr KwRow kKeywords[] = {
    {"BIKE", Kw::Bike, F::BIKE},
    {"PICKUP_SYSTEM", Kw::PickupSystem, F::PICKUP_SYSTEM},
    {"COMPENSATION", Kw::Compensation, F::COMPENSATION},
    {"FOUR_STROKE", Kw::Single, F::FOUR_STROKE},
    {"4_TAKT", Kw::Single, F::FOUR_STROKE},
    {"FOUR_STROKE_2ND_TURN", Kw::FourStroke2nd, F::FOUR_STROKE_2ND_TURN},
    {"PICKUP_POLARITY", Kw::PickupPolarity, F::PICKUP_POLARITY},
    {"INV_PICKUP", Kw::PickupPolarity, F::PICKUP_POLARITY},
    {"RPM", Kw::Rpm, F::RPM_PULSES},
    {"SYNC_POLARITY", Kw::Single, F::SYNC_POLARITY},
    {"MAX_LOBE_LEN", Kw::Single, F::MAX_LOBE_LEN},
    {"PICKUPS_INTERCHANGE", Kw::Single, F::PICKUPS_INTERCHANGE},
    {"NO_LOBE_CHECK", Kw::Single, F::NO_LOBE_CHECK},
    {"INTERLOCK_INPUT", Kw::Single, F::INTERLOCK_INPUT},
    {"SPARK_BEFORE_LOBE", Kw::Single, F::SPARK_BEFORE_LOBE},
    {"SPECIAL_START_PERC", Kw::Single, F::SPECIAL_START_PERC},
    {"FLYWHEEL_OPERATION", Kw::Single, F::FLYWHEEL_OPERATION},
    {"GEBER_MODE", Kw::Single, F::GEBER_MODE},
    {"SPECIAL_START", Kw::Single, F::SPECIAL_START},
    {"SPEC_START", Kw::Single, F::SPECIAL_START},
    {"LIMITER", Kw::Limiter, F::LIMITER},
    {"START_LIM", Kw::StartLim, F::START_LIMITER},
    {"START_LIM_DELAY", Kw::StartLimDelay, F::START_LIMITER_DELAY},
    {"RETARD", Kw::Single, F::RETARD},
    {"INPUT_NEUTRAL_SS", Kw::Single, F::INPUT_NEUTRAL_SS},
    {"INPUT", Kw::Input, F::INPUT_FUNCTION},
    {"INPUT1", Kw::InputN, F::INPUT_FUNCTION},
    {"INPUT2", Kw::InputN, F::INPUT_FUNCTION},
    {"INPUT3", Kw::InputN, F::INPUT_FUNCTION},
    {"POTENTIOMETER", Kw::Potentiometer, F::POTENTIOMETER},
    {"MAP2_ACCEL", Kw::Single, F::MAP2_ACCEL},
    {"MAPA2_ACCEL", Kw::Single, F::MAP2_ACCEL},
    {"EXCITATION", Kw::Excitation, F::DWELL},
    {"DWELL", Kw::Dwell, F::DWELL},
    {"DUR_DISCHARG", Kw::DurDischarg, F::DWELL},
    {"TPSIAP_SENSOR", Kw::Single, F::TPSIAP_SENSOR},
    {"SENSOR_TPS_IAP", Kw::Single, F::TPSIAP_SENSOR},
    {"TPS", Kw::Tps, F::TPS_0},
    {"SENSOR_TPS", Kw::Tps, F::TPS_0},
    {"IAP_SENSOR", Kw::IapSensor, F::IAP_P1},
    {"SENSOR_IAP", Kw::IapSensor, F::IAP_P1},
    {"SERVO_SENSOR", Kw::Single, F::SERVO_SENSOR},
    {"ADVANCE_MISC", Kw::AdvanceMisc, F::ADV_MAP},
    {"BASE_ADV", Kw::Single, F::BASE_ADV},
    {"CORR_ADVANCE", Kw::CorrAdvance, F::CORR_ADVANCE},
    {"ADV2TOOUT2", Kw::Single, F::ADV2TOOUT2},
    {"TPS_MAPA", Kw::TpsMapa, F::ADV_MAP},
    {"ADV_MAP", Kw::Single, F::ADV_MAP},
    {"ADV_MAPA", Kw::Single, F::ADV_MAP},
    {"ADV_IAP", Kw::AdvIap, F::ADV_IAP},
    {"IAP", Kw::AdvIap, F::ADV_IAP},
    {"ADV_COLUMNS", Kw::Single, F::ADV_COLUMNS},
    {"RPM_ADV", Kw::RpmAdv, F::RPM_ADV},
    {"ADVANCE_RPM1", Kw::RpmAdv, F::RPM_ADV},
    {"ADVANCE", Kw::Advance, F::ADVANCE},
    {"ADVANCE1", Kw::Advance, F::ADVANCE},
    {"ADV2_MAP", Kw::Single, F::ADV2_MAP},
    {"ADV2_IAP", Kw::Adv2Iap, F::ADV2_IAP},
    {"ADV2_COLUMNS", Kw::Single, F::ADV2_COLUMNS},
    {"RPM_ADV2", Kw::RpmAdv2, F::RPM_ADV2},
    {"ADVANCE_RPM2", Kw::RpmAdv2, F::RPM_ADV2},
    {"ADVANCE2", Kw::Advance2, F::ADVANCE2},
    {"SERRVO_MISC", Kw::SerrvoMisc, F::SERVO_ENABLE},
    {"SERVO_ENABLE", Kw::Single, F::SERVO_ENABLE},
    {"SERVO_PERCENT", Kw::Single, F::SERVO_PERCENT},
    {"SERVO_COLUMNS", Kw::Single, F::SERVO_COLUMNS},
    {"SERVO_HYSTER", Kw::Single, F::SERVO_HYSTER},
    {"SERVO_NO", Kw::ServoNo, F::SERVO_NO},
    {"SERRVO_MISC_HO", Kw::SerrvoMiscHo, F::SERVO_NO},
    {"SERVO_MAP", Kw::Single, F::SERVO_MAP},
    {"SERVO_MAPA", Kw::Single, F::SERVO_MAP},
    {"SERVO_IAP", Kw::ServoIap, F::SERVO_IAP},
    {"SERVO_RPM", Kw::ServoRpm, F::SERVO_RPM},
    {"SERVO", Kw::Servo, F::SERVO},
    {"SERVO_MV", Kw::ServoMv, F::SERVO},
    {"PILOT_LIGHT", Kw::PilotLight, F::POUT_SW_RPM},
    {"PILOT_LIGHT_INV_OUT", Kw::PilotLightInvOut, F::POUT_SW_RPM},
    {"GEAR", Kw::Gear, F::GEAR},
    {"GEAR_AUTO", Kw::GearAuto, F::GEAR_AUTO_TIME},
    {"SPEED_PULSES", Kw::SpeedPulses, F::SPEED_PULSES},
    {"CLUTCH", Kw::Clutch, F::CLUTCH_TIME},
    {"CLUTCH_RACE", Kw::ClutchRace, F::CLUTCH_MODE},
    {"CLUTCH_TIME", Kw::ClutchTime, F::CLUTCH_TIME},
    {"GEAR_CORR_ADV", Kw::GearCorr6, F::GEAR_CORR_ADV},
    {"GEAR_CORR_LIMITER", Kw::GearCorr6, F::GEAR_CORR_LIMITER},
    {"GEAR_CORR_SERVO", Kw::GearCorr6, F::GEAR_CORR_SERVO},
    {"GEAR_CORR_POUT", Kw::GearCorrPout, F::GEAR_CORR_POUT},
    {"PROPRIETARY", Kw::Proprietary, F::PROPRIETARY},
    {"NO_READING", Kw::Single, F::NO_READING},
};
// clang-format on

// "POWER_OUTn" and its sub-keywords; output is 0-3.
bool MatchPowerOut(std::string_view tok, Kw& kw, int& output) {
  constexpr std::string_view kPrefix = "POWER_OUT";
  if (tok.size() < kPrefix.size() + 1 || tok.substr(0, kPrefix.size()) != kPrefix) return false;
  char d = tok[kPrefix.size()];
  if (d < '1' || d > '4') return false;
  output = d - '1';
  std::string_view rest = tok.substr(kPrefix.size() + 1);
  if (rest.empty())
    kw = Kw::PowerOut;
  else if (rest == "_PWM")
    kw = Kw::PowerOutPwm;
  else if (rest == "_SP_PWM")
    kw = Kw::PowerOutSpPwm;
  else if (rest == "_SPWM_FR")
    kw = Kw::PowerOutSpwmFr;
  else if (rest == "_SPULSE")
    kw = Kw::PowerOutSpulse;
  else
    return false;
  return true;
}

const KwRow* FindKeyword(std::string_view tok) {
  for (const KwRow& r : kKeywords)
    if (r.name == tok) return &r;
  return nullptr;
}

struct FamilyInfo {
  int family = 0;
  int version = 0;
  bool accepted = false;
  bool cross = false;  // accepted only in test mode
};

FamilyInfo Family(int key, bool testMode) {
  switch (key) {
    case kUnitKey:
    case 106:
      return {3, 4, true, false};
    case 99:
    case 86:
    case 81:
      return {2, 4, true, false};
    case 96:
      return {3, 0, testMode, true};
    case 98:
    case 108:
      return {3, 1, testMode, true};
    case 104:
      return {3, 2, testMode, true};
    case 105:
      return {3, 3, testMode, true};
    default:
      return {};
  }
}

class Reader {
 public:
  Reader(std::string_view text, ParamImage& img, const IgnReadOptions& opt)
      : s_(text), img_(img), opt_(opt) {
    groups_.Set(opt.page);
  }

  IgnReadResult Run() {
    IgnReadResult r;
    std::string_view tok;
    bool found = false;
    while (s_.NextToken(tok)) {
      if (tok == "TORVELIX_KEY") {
        found = true;
        break;
      }
    }
    if (!found) return r;
    r.headerFound = true;
    key_ = s_.NextNumber().value_or(0);
    r.fileKey = key_;
    FamilyInfo fam = Family(key_, opt_.testMode);
    if (!fam.accepted) {
      if (opt_.messages) r.message = IgnMessage::UnmatchedVersion;
      return r;
    }
    r.acceptedKey = key_;
    family_ = fam.family;
    version_ = fam.version;
    if (key_ != kUnitKey) ConvertForeign(fam, r);

    // What follows "VERSIONS" is for people: the unit's free texts there may hold words
    // that are keywords and numbers that would be taken as their values.
    while (s_.NextToken(tok) && tok != "VERSIONS") Keyword(tok);

    if (!advance2Seen_ && Sel(GROUP_ADVANCE)) CopyMap1ToMap2();
    r.bikeSeen = bikeSeen_;
    r.advance2Seen = advance2Seen_;
    return r;
  }

 private:
  bool Sel(int group) const { return groups_.Has(group); }
  bool Sel(const ParamField& f) const { return f.id == F::MAX_LOBE_LEN || groups_.Has(f.group); }

  // Stored form of a number n for field f with file factor `factor` (0: the table's).
  // Byte values outside the field store 0.
  static int32_t Encode(const ParamField& f, int n, int factor, bool raw) {
    int64_t v;
    if (raw) {
      v = n;
    } else {
      const int fac = factor ? factor : f.factor;
      v = static_cast<int64_t>(n) / fac - f.offset;
    }
    if (f.area == ParamArea::Word) return static_cast<int32_t>(v & 0xFFFF);
    const bool sgn = f.isSigned && !raw;
    if (sgn ? (v < -128 || v > 127) : (v < 0 || v > 255)) return 0;
    return static_cast<int32_t>(v);
  }

  void Put(const ParamField& f, int element, int32_t stored) {
    if (Sel(f)) WriteStored(img_, f, element, stored);
  }

  // Reads one number into field id, element; returns the stored form (nullopt at the end).
  std::optional<int32_t> Read(F id, int element = 0, int factor = 0, bool raw = false) {
    auto n = s_.NextNumber();
    if (!n) return std::nullopt;
    const ParamField& f = Field(id);
    int32_t v = Encode(f, *n, factor, raw);
    Put(f, element, v);
    return v;
  }
  void ReadRange(F id, int first, int count, int factor = 0, bool raw = false) {
    for (int i = 0; i < count; ++i) Read(id, first + i, factor, raw);
  }
  void ReadAll(F id, int factor = 0) { ReadRange(id, 0, Field(id).count, factor); }
  std::optional<bool> Flag() {
    auto n = s_.NextNumber();
    if (!n) return std::nullopt;
    return *n != 0;
  }
  void Skip(int n) {
    for (int i = 0; i < n; ++i) s_.NextNumber();
  }
  // A byte of up to four flags, cleared first.
  void ReadFlagByte(int adr, int group, int nFlags) {
    int b = 0;
    for (int i = 0; i < nFlags; ++i)
      if (Flag().value_or(false)) b |= 1 << i;
    if (Sel(group)) img_.SetByte(adr, static_cast<uint8_t>(b));
  }
  void SetByte(int adr, int group, int v) {
    if (Sel(group)) img_.SetByte(adr, static_cast<uint8_t>(v));
  }

  // Lobe number, 2nd-edge flag, 2nd-pick-up flag of one lobe byte.
  void ReadLobe(int adr, int method) {
    auto n = s_.NextNumber();
    bool edge = Flag().value_or(false);
    bool pickup = Flag().value_or(false);
    if (!n) return;
    int lobe = (*n < 0 || *n > 255) ? 0 : *n;
    LobeByte l{lobe, edge, method == PICKUP_SYSTEM_120_LOBES ? false : pickup};
    SetByte(adr, GROUP_BIKE, EncodeLobeByte(l, method));
  }
  void ReadChannelPairs(int pairs, int method) {
    for (int c = 0; c < pairs; ++c) {
      ReadLobe(Adrb::LOBE_START + c, method);
      ReadLobe(Adrb::LOBE_END + c, method);
    }
  }

  void ConvertForeign(const FamilyInfo& fam, IgnReadResult& r) {
    ign_bridge::ApplyDefaultsForPage(img_, opt_.page);
    img_.SetByte(Adrb::ZERO_BYTE, 0);
    SetByte(Adrb::SPECIAL_START_PERC, GROUP_BIKE, 0);
    if (opt_.messages)
      r.message = fam.cross ? IgnMessage::CrossTransformation : IgnMessage::OlderVersion;
    if (Sel(GROUP_POWER_OUT)) ign_bridge::ApplyPowerOutputDefaults(img_);
    for (int adr :
         {int(Adrb::SYNC_POLARITY), int(Adrb::PICKUPS_INTERCHANGE), int(Adrb::NO_LOBE_CHECK),
          int(Adrb::SPARK_BEFORE_LOBE), int(Adrb::SPECIAL_START), int(Adrb::SPECIAL_DWELL_START)})
      SetByte(adr, GROUP_BIKE, 0);
    SetByte(Adrb::SERVO_NO, GROUP_SERVO, 0);
  }

  bool OldServoKey() const { return key_ == 86 || key_ == 99 || key_ == 81; }

  void CopyMap1ToMap2() {
    for (int i = 0; i < MAP_ROWS; ++i)
      img_.SetWord(Adrw::ADV2_IAP + i, img_.Word(Adrw::ADV_IAP + i));
    img_.SetByte(Adrb::ADV2_COLUMNS, img_.Byte(Adrb::ADV_COLUMNS));
    img_.SetByte(Adrb::ADV2_MAP, img_.Byte(Adrb::ADV_MAP));
    for (int i = 0; i < MAP_CELLS; ++i)
      img_.SetByte(Adrb::ADVANCE2 + i, img_.Byte(Adrb::ADVANCE + i));
    for (int i = 0; i < MAP_COLUMNS; ++i)
      img_.SetByte(Adrb::RPM_ADV2 + i, img_.Byte(Adrb::RPM_ADV + i));
  }

  void Keyword(std::string_view tok) {
    int output = 0;
    Kw kw;
    F field = F::BIKE;
    if (const KwRow* row = FindKeyword(tok)) {
      kw = row->kw;
      field = row->field;
    } else if (!MatchPowerOut(tok, kw, output)) {
      return;
    }
    switch (kw) {
      case Kw::Bike:
        ReadBike();
        break;
      case Kw::PickupSystem:
        if (family_ == 2) ReadOldPickupSystem();
        break;
      case Kw::Compensation:
        if (family_ == 2) {
          Read(F::COMPENSATION);
          Skip(1);
        }
        break;
      case Kw::Single:
        Read(field);
        break;
      case Kw::FourStroke2nd:
        ReadFlagByte(Adrb::FOUR_STROKE_2ND_TURN, GROUP_BIKE, 4);
        break;
      case Kw::PickupPolarity:
        ReadRange(F::PICKUP_POLARITY, 0, 2);
        break;
      case Kw::Rpm:
        Read(F::RPM_PULSES, 0, 0, true);
        Read(F::RPM_CORRECTION);
        break;
      case Kw::Limiter:
        if (version_ == 4) {
          Read(F::START_SOFT_LIMITER);
          Read(F::START_LIMITER);
          Read(F::START_LIMITER_DELAY);
          Read(F::SOFT_LIMITER);
          Read(F::LIMITER);
        } else if (auto v = Read(F::LIMITER)) {
          Put(Field(F::SOFT_LIMITER), 0, *v);
        }
        break;
      case Kw::StartLim:
        if (version_ < 4) {
          if (auto v = Read(F::START_LIMITER)) Put(Field(F::START_SOFT_LIMITER), 0, *v);
        }
        break;
      case Kw::StartLimDelay:
        if (version_ < 4) Read(F::START_LIMITER_DELAY);
        break;
      case Kw::InputN: {
        const int i = tok.back() - '1';
        Read(F::INPUT_FUNCTION, i);
        if (i == 0) SetByte(Adrb::INPUT_INVERSE, GROUP_MISC, 0);
        if (auto n = s_.NextNumber()) {
          int inv = img_.Byte(Adrb::INPUT_INVERSE) |
                    static_cast<int>((static_cast<uint32_t>(*n) << i) & 0xFF);
          SetByte(Adrb::INPUT_INVERSE, GROUP_MISC, inv);
        }
        break;
      }
      case Kw::Input:
        ReadOldInput();
        break;
      case Kw::Potentiometer:
        Read(F::POTENTIOMETER);
        Read(F::POTENTIOMETER_RANGE);
        break;
      case Kw::Excitation:
        Read(F::DWELL, 0);
        break;
      case Kw::Dwell:
        ReadRange(F::DWELL, 0, 5);
        Read(F::DWELL, 6);
        break;
      case Kw::DurDischarg:
        Read(F::DWELL, 5);
        break;
      case Kw::Tps:
        Read(F::TPS_0);
        Read(F::TPS_100);
        break;
      case Kw::IapSensor:
        Read(F::IAP_P1);
        Read(F::IAP_V1);
        Read(F::IAP_P2);
        Read(F::IAP_V2);
        break;
      case Kw::AdvanceMisc:
        Read(F::ADV_MAP);
        Read(F::BASE_ADV);
        ReadRange(F::CORR_ADVANCE, 0, 2);
        SetByte(Adrb::ADV_COLUMNS, GROUP_ADVANCE, 15);
        SetByte(Adrb::ADV2_COLUMNS, GROUP_ADVANCE, 15);
        SetByte(Adrb::ADV2_MAP, GROUP_ADVANCE, img_.Byte(Adrb::ADV_MAP));
        break;
      case Kw::CorrAdvance:
        ReadAll(F::CORR_ADVANCE);
        break;
      case Kw::TpsMapa:
        Read(F::ADV_MAP);
        if (Sel(GROUP_ADVANCE)) {
          img_.SetByte(Adrb::TPSIAP_SENSOR, 1);
          if (img_.Byte(Adrb::ADV_MAP) > 1) img_.SetByte(Adrb::ADV_MAP, 1);
        }
        break;
      case Kw::AdvIap:
        ReadAll(F::ADV_IAP);
        break;
      case Kw::RpmAdv:
        ReadAll(F::RPM_ADV);
        break;
      case Kw::Advance:
        ReadAll(F::ADVANCE);
        break;
      case Kw::Adv2Iap:
        ReadAll(F::ADV2_IAP);
        break;
      case Kw::RpmAdv2:
        ReadAll(F::RPM_ADV2);
        break;
      case Kw::Advance2:
        ReadAll(F::ADVANCE2);
        advance2Seen_ = true;
        break;
      case Kw::SerrvoMisc:
        Read(F::SERVO_ENABLE);
        Read(F::SERVO_PERCENT);
        Read(F::SERVO_MAP);
        Read(F::SERVO_HYSTER);
        if (OldServoKey() && Sel(GROUP_SERVO)) {
          static constexpr uint8_t kMap[] = {2, 0, 1};
          const int m = img_.Byte(Adrb::SERVO_MAP);
          if (m <= 2) img_.SetByte(Adrb::SERVO_MAP, kMap[m]);
        }
        break;
      case Kw::ServoNo:
        Read(F::SERVO_NO, 0, 0, true);
        break;
      case Kw::SerrvoMiscHo:
        Read(F::SERVO_NO);
        break;
      case Kw::ServoIap:
        ReadAll(F::SERVO_IAP);
        break;
      case Kw::ServoRpm:
        ReadAll(F::SERVO_RPM);
        break;
      case Kw::Servo:
        if (OldServoKey()) {
          ReadRange(F::SERVO, 0, MAP_CELLS, 0, true);
          SetByte(Adrb::SERVO_COLUMNS, GROUP_SERVO, 15);
        } else {
          ReadAll(F::SERVO, 20);
        }
        break;
      case Kw::ServoMv:
        ReadAll(F::SERVO, 20);
        break;
      case Kw::PowerOut:
        ReadPowerOut(output);
        break;
      case Kw::PowerOutPwm:
        ReadRange(F::POUT_PWM_RPM, POUT_PWM_RPM_POINTS * output, POUT_PWM_RPM_POINTS);
        ReadRange(F::POUT_PWM_LOAD, POUT_PWM_LOAD_POINTS * output, POUT_PWM_LOAD_POINTS);
        ReadRange(F::POUT_PWM_MAP, POUT_PWM_CELLS * output, POUT_PWM_CELLS);
        break;
      case Kw::PowerOutSpPwm:
        Read(F::POUT_SP_PWM, output);
        break;
      case Kw::PowerOutSpwmFr:
        Read(F::POUT_SPWM_FR, output);
        break;
      case Kw::PowerOutSpulse:
        Read(F::POUT_SPULSE, output);
        break;
      case Kw::PilotLight:
        Read(F::POUT_SW_RPM, POUT_SW_RPM_POINTS * 1);
        break;
      case Kw::PilotLightInvOut:
        Skip(1);
        break;
      case Kw::Gear:
        Read(F::GEAR);
        Read(F::GEAR_COUNT);
        ReadAll(F::GEAR_VOLTAGE);
        ReadAll(F::GEAR_RATIO);
        break;
      case Kw::GearAuto:
        Read(F::GEAR_AUTO_TIME);
        Read(F::GEAR_AUTO_RPM);
        Read(F::GEAR_AUTO_TPS);
        Read(F::GEAR_AUTO_BAND);
        break;
      case Kw::SpeedPulses:
        Read(F::SPEED_MODE);
        Read(F::SPEED_PULSES);
        break;
      case Kw::Clutch:
        if (version_ == 4) {
          ReadClutchRace();
        } else {
          if (auto v = Read(F::CLUTCH_TIME, 0)) {
            for (int g = 1; g < GEAR_SLOTS; ++g) Put(Field(F::CLUTCH_TIME), g, *v);
          }
          Read(F::CLUTCH_PAUSE2);
        }
        break;
      case Kw::ClutchRace:
        ReadClutchRace();
        break;
      case Kw::ClutchTime:
        ReadAll(F::CLUTCH_TIME);
        break;
      case Kw::GearCorr6:
        ReadAll(field);
        break;
      case Kw::GearCorrPout:
        ReadAll(F::GEAR_CORR_POUT);
        break;
      case Kw::Proprietary:
        ReadAll(F::PROPRIETARY);
        break;
    }
  }

  void ReadBike() {
    bikeSeen_ = true;
    if (family_ == 2) {
      auto n = s_.NextNumber();
      if (!n) return;
      static constexpr int kOld[] = {7, 255, 28, 29, 30, 41, 42};
      int v = *n;
      if (v >= 0 && v <= 6) v = kOld[v];
      if (v == 22) v = 255;
      Put(Field(F::BIKE), 0, Encode(Field(F::BIKE), v, 0, false));
      return;
    }
    if (auto n = s_.NextNumber()) {
      int v = *n == 22 ? 255 : *n;
      Put(Field(F::BIKE), 0, Encode(Field(F::BIKE), v, 0, false));
    }
    auto method = Read(F::PICKUP_SYSTEM);
    Read(F::LOBE_COUNT);
    Read(F::CHANNEL_COUNT);
    const int pairs = version_ <= 2 ? 4 : 2;
    ReadChannelPairs(pairs, method.value_or(img_.Byte(Adrb::PICKUP_SYSTEM)));
    Read(F::REV_WITHOUT_IGNITION);
    Read(F::COMPENSATION);
    Skip(pairs == 4 ? 3 : 1);
  }

  void ReadOldPickupSystem() {
    bikeSeen_ = true;
    std::optional<int32_t> method;
    if (auto n = s_.NextNumber()) {
      static constexpr int kFrom[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
      static constexpr int kTo[] = {17, 6, 7, 8, 9, 10, 11, 12, 18, 13};
      int v = *n;
      for (size_t i = 0; i < std::size(kFrom); ++i) {
        if (v == kFrom[i]) {
          v = kTo[i];
          break;
        }
      }
      method = Encode(Field(F::PICKUP_SYSTEM), v, 0, false);
      Put(Field(F::PICKUP_SYSTEM), 0, *method);
    }
    Read(F::LOBE_COUNT);
    Read(F::CHANNEL_COUNT);
    Read(F::REV_WITHOUT_IGNITION);
    ReadChannelPairs(2, method.value_or(img_.Byte(Adrb::PICKUP_SYSTEM)));
    Read(F::GEBER_MODE);
  }

  void ReadOldInput() {
    if (family_ == 2) {
      for (int i = 0; i < 3; ++i) {
        auto n = s_.NextNumber();
        if (!n) continue;
        int v = *n;
        if (v == 4 || v == 5 || v == 6)
          v += 1;
        else if (v == 7 && i > 0)
          v = i == 1 ? 8 : 9;
        Put(Field(F::INPUT_FUNCTION), i, Encode(Field(F::INPUT_FUNCTION), v, 0, false));
      }
      ReadFlagByte(Adrb::INPUT_INVERSE, GROUP_MISC, 3);
      return;
    }
    ReadRange(F::PICKUP_POLARITY, 0, 2);
    ReadRange(F::INPUT_FUNCTION, 0, 2);
    Read(F::INPUT_NEUTRAL_SS);
    if (!Sel(GROUP_MISC)) return;
    int inv = 0;
    for (int i = 0; i < 2; ++i) {
      if (img_.Byte(Adrb::INPUT_FUNCTION + i) == 4) {
        img_.SetByte(Adrb::INPUT_FUNCTION + i, 3);
        inv |= 1 << i;
      }
    }
    img_.SetByte(Adrb::INPUT_INVERSE, static_cast<uint8_t>(inv));
  }

  void ReadPowerOut(int k) {
    if (auto n = s_.NextNumber()) {
      int mode = *n;
      if (family_ == 2 && mode == 4) mode = 255;
      Put(Field(F::POUT_MODE), k, Encode(Field(F::POUT_MODE), mode, 0, false));
    }
    ReadRange(F::POUT_SW_RPM, POUT_SW_RPM_POINTS * k, POUT_SW_RPM_POINTS);
    Read(F::POUT_HYSTER, k);
    ReadRange(F::POUT_SW_LOAD, POUT_SW_LOAD_POINTS * k, POUT_SW_LOAD_POINTS);
    for (int r = 0; r < POUT_SW_ROWS; ++r)
      ReadFlagByte(Adrb::POUT_SW_BITS + POUT_SW_ROWS * k + r, GROUP_POWER_OUT, 4);
    if (key_ == 81 && Sel(GROUP_POWER_OUT)) {
      const int mode = img_.Byte(Adrb::POUT_MODE + k);
      if (mode == 2 || mode == 3) ign_bridge::ApplyUserPoutPreset(img_, k);
    }
  }

  void ReadClutchRace() {
    Read(F::CLUTCH_MODE);
    Read(F::CLUTCH_PAUSE1);
    Read(F::CLUTCH_PAUSE2);
    Read(F::CLUTCH_MIN_RPM);
    Read(F::CLUTCH_ADV);
  }

  Scanner s_;
  ParamImage& img_;
  IgnReadOptions opt_;
  PageGroups groups_;
  int key_ = 0;
  int family_ = 0;
  int version_ = 0;
  bool bikeSeen_ = false;
  bool advance2Seen_ = false;
};

}  // namespace

std::string IgnMessageText(IgnMessage m) {
  switch (m) {
    case IgnMessage::None:
      return std::string();
    case IgnMessage::CrossTransformation:
      return "CROSS TRANSFORMATION OF IGN FILE !";
    case IgnMessage::OlderVersion:
      return "Older or another version of *.ign file!\n\n"
             "Some parameters won't be changed or will be set to default value.\n"
             "They are parameters which are not in older version or have another structure.";
    case IgnMessage::UnmatchedVersion:
      return "Unmatched version of *.ign file!";
  }
  return std::string();
}

IgnReadResult ReadIgnText(std::string_view text, ParamImage& img, const IgnReadOptions& opt) {
  return Reader(text, img, opt).Run();
}

IgnFileReadResult ReadIgnFile(const std::string& path, ParamImage& img, const IgnReadOptions& opt) {
  IgnFileReadResult r;
  std::string text;
  if (!ReadWholeFile(path, &text, kIgnMaxFileSize, &r.tooLarge)) return r;
  r.opened = true;
  r.read = ReadIgnText(text, img, opt);
  return r;
}

}  // namespace zeda
