#include "params/ign_writer.h"

#include <cstdio>

#include "base/identity.h"
#include "params/atomic_file.h"
#include "params/lobe_byte.h"
#include "params/param_addresses.h"
#include "params/param_fields.h"

namespace zeda {

namespace {

using F = FieldId;

class IgnText {
 public:
  void Raw(const std::string& s) { out_ += s; }
  void Keyword(const std::string& kw) {
    out_ += '\n';
    out_ += kw;
    const int len = static_cast<int>(kw.size());
    int width = 6 * ((len - 2) / 6) + 9;
    if (width < 15) width = 15;
    for (int i = len; i < width; ++i) out_ += ' ';
  }
  void Value(int v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%5i ", v);
    out_ += buf;
  }
  void Cont() { out_ += "\n               "; }
  // Shown value of one element.
  void Shown(F id, int element = 0) { Value(ReadShown(img_, Field(id), element)); }
  void ShownAll(F id) {
    for (int i = 0; i < Field(id).count; ++i) Shown(id, i);
  }
  void ShownRange(F id, int first, int n) {
    for (int i = 0; i < n; ++i) Shown(id, first + i);
  }
  int Byte(int adr) const { return img_.Byte(adr); }

  explicit IgnText(const ParamImage& img) : img_(img) {}
  std::string Take() { return std::move(out_); }

 private:
  const ParamImage& img_;
  std::string out_;
};

void WriteLobe(IgnText& t, uint8_t b, int method) {
  LobeByte l = DecodeLobeByte(b, method);
  t.Value(l.lobe);
  t.Value(l.secondEdge ? 1 : 0);
  t.Value(l.secondPickup ? 1 : 0);
}

// A 10 x 15 map, 15 values per line, with `perValue` turning a byte into the file value.
template <typename Fn>
void WriteMap(IgnText& t, int base, Fn perValue) {
  for (int r = 0; r < MAP_ROWS; ++r) {
    if (r > 0) t.Cont();
    for (int c = 0; c < MAP_COLUMNS; ++c) t.Value(perValue(t.Byte(base + MAP_COLUMNS * r + c)));
  }
}

void WriteBits(IgnText& t, int byte, int nBits) {
  for (int i = 0; i < nBits; ++i) t.Value((byte >> i) & 1);
}

std::string BuildDate() { return __DATE__; }
std::string BuildTime() { return __TIME__; }

}  // namespace

std::string FormatIgnFile(const ParamImage& img, const IgnIdentification& id) {
  IgnText t(img);
  t.Raw("TORVELIX_KEY   ");
  t.Value(kUnitKey);
  t.Raw(std::string(kProductIdentifier) + "/" + kProductText);
  t.Cont();

  const int method = img.Byte(Adrb::PICKUP_SYSTEM);
  t.Keyword("BIKE");
  t.Value(img.Byte(Adrb::BIKE));
  t.Cont();
  t.Shown(F::PICKUP_SYSTEM);
  t.Shown(F::LOBE_COUNT);
  t.Shown(F::CHANNEL_COUNT);
  t.Cont();
  for (int c = 0; c < 2; ++c) {
    WriteLobe(t, img.Byte(Adrb::LOBE_START + c), method);
    t.Cont();
    WriteLobe(t, img.Byte(Adrb::LOBE_END + c), method);
    t.Cont();
  }
  t.Cont();
  t.Shown(F::REV_WITHOUT_IGNITION);
  for (int i = 0; i < 4; ++i) t.Shown(F::COMPENSATION);

  t.Keyword("FOUR_STROKE");
  t.Shown(F::FOUR_STROKE);
  t.Keyword("FOUR_STROKE_2ND_TURN");
  WriteBits(t, img.Byte(Adrb::FOUR_STROKE_2ND_TURN), 4);
  t.Keyword("BASE_ADV");
  t.Shown(F::BASE_ADV);
  t.Keyword("CORR_ADVANCE");
  t.ShownAll(F::CORR_ADVANCE);
  t.Keyword("ADV2TOOUT2");
  t.Shown(F::ADV2TOOUT2);
  t.Keyword("GEBER_MODE");
  t.Shown(F::GEBER_MODE);
  t.Keyword("PICKUP_POLARITY");
  t.ShownAll(F::PICKUP_POLARITY);
  t.Keyword("INPUT_NEUTRAL_SS");
  t.Shown(F::INPUT_NEUTRAL_SS);
  for (int i = 0; i < 3; ++i) {
    t.Keyword("INPUT" + std::to_string(i + 1));
    t.Shown(F::INPUT_FUNCTION, i);
    t.Value((img.Byte(Adrb::INPUT_INVERSE) >> i) & 1);
  }
  const F singles[] = {F::SYNC_POLARITY, F::MAX_LOBE_LEN,       F::PICKUPS_INTERCHANGE,
                       F::NO_LOBE_CHECK, F::INTERLOCK_INPUT,    F::SPARK_BEFORE_LOBE,
                       F::SPECIAL_START, F::SPECIAL_START_PERC, F::FLYWHEEL_OPERATION};
  for (F f : singles) {
    t.Keyword(Field(f).name);
    t.Shown(f);
  }
  t.Keyword("LIMITER");
  t.Shown(F::START_SOFT_LIMITER);
  t.Shown(F::START_LIMITER);
  t.Shown(F::START_LIMITER_DELAY);
  t.Shown(F::SOFT_LIMITER);
  t.Shown(F::LIMITER);
  t.Keyword("POTENTIOMETER");
  t.Shown(F::POTENTIOMETER);
  t.Shown(F::POTENTIOMETER_RANGE);
  t.Keyword("MAP2_ACCEL");
  t.Shown(F::MAP2_ACCEL);
  t.Keyword("RETARD");
  t.Shown(F::RETARD);
  t.Keyword("RPM");
  t.Value(img.Byte(Adrb::RPM_PULSES));
  t.Shown(F::RPM_CORRECTION);
  t.Keyword("PROPRIETARY");
  t.ShownAll(F::PROPRIETARY);
  t.Keyword("TPSIAP_SENSOR");
  t.Shown(F::TPSIAP_SENSOR);
  t.Keyword("TPS");
  t.Shown(F::TPS_0);
  t.Shown(F::TPS_100);
  t.Keyword("IAP_SENSOR");
  t.Shown(F::IAP_P1);
  t.Shown(F::IAP_V1);
  t.Shown(F::IAP_P2);
  t.Shown(F::IAP_V2);
  t.Keyword("SERVO_SENSOR");
  t.Shown(F::SERVO_SENSOR);
  t.Cont();

  auto degrees = [](int b) { return ToShown(Field(F::ADVANCE), b); };
  struct AdvMap {
    const char *map, *iap, *columns, *rpm, *cells;
    F fMap, fIap, fColumns, fRpm;
    int base;
  } maps[] = {{"ADV_MAP", "ADV_IAP", "ADV_COLUMNS", "RPM_ADV", "ADVANCE", F::ADV_MAP, F::ADV_IAP,
               F::ADV_COLUMNS, F::RPM_ADV, Adrb::ADVANCE},
              {"ADV2_MAP", "ADV2_IAP", "ADV2_COLUMNS", "RPM_ADV2", "ADVANCE2", F::ADV2_MAP,
               F::ADV2_IAP, F::ADV2_COLUMNS, F::RPM_ADV2, Adrb::ADVANCE2}};
  for (const AdvMap& m : maps) {
    t.Keyword(m.map);
    t.Shown(m.fMap);
    t.Keyword(m.iap);
    t.ShownAll(m.fIap);
    t.Keyword(m.columns);
    t.Shown(m.fColumns);
    t.Keyword(m.rpm);
    t.ShownAll(m.fRpm);
    t.Keyword(m.cells);
    WriteMap(t, m.base, degrees);
    t.Cont();
  }

  t.Keyword("SERVO_ENABLE");
  t.Shown(F::SERVO_ENABLE);
  t.Keyword("SERVO_PERCENT");
  t.Shown(F::SERVO_PERCENT);
  t.Keyword("SERVO_HYSTER");
  t.Shown(F::SERVO_HYSTER);
  t.Keyword("SERVO_NO");
  t.Value(img.Byte(Adrb::SERVO_NO));
  t.Keyword("SERVO_MAP");
  t.Shown(F::SERVO_MAP);
  t.Keyword("SERVO_IAP");
  t.ShownAll(F::SERVO_IAP);
  t.Keyword("SERVO_COLUMNS");
  t.Shown(F::SERVO_COLUMNS);
  t.Keyword("SERVO_RPM");
  t.ShownAll(F::SERVO_RPM);
  t.Keyword("SERVO");
  WriteMap(t, Adrb::SERVO, [](int b) { return b * 20; });
  t.Cont();

  for (int k = 0; k < POUT_COUNT; ++k) {
    const std::string out = "POWER_OUT" + std::to_string(k + 1);
    t.Keyword(out);
    t.Shown(F::POUT_MODE, k);
    t.Cont();
    t.ShownRange(F::POUT_SW_RPM, POUT_SW_RPM_POINTS * k, POUT_SW_RPM_POINTS);
    t.Shown(F::POUT_HYSTER, k);
    t.Cont();
    t.ShownRange(F::POUT_SW_LOAD, POUT_SW_LOAD_POINTS * k, POUT_SW_LOAD_POINTS);
    for (int r = 0; r < POUT_SW_ROWS; ++r) {
      t.Cont();
      WriteBits(t, img.Byte(Adrb::POUT_SW_BITS + POUT_SW_ROWS * k + r), 4);
    }
    t.Keyword(out + "_SP_PWM");
    t.Shown(F::POUT_SP_PWM, k);
    t.Keyword(out + "_SPWM_FR");
    t.Shown(F::POUT_SPWM_FR, k);
    t.Keyword(out + "_SPULSE");
    t.Shown(F::POUT_SPULSE, k);
    t.Keyword(out + "_PWM");
    t.ShownRange(F::POUT_PWM_RPM, POUT_PWM_RPM_POINTS * k, POUT_PWM_RPM_POINTS);
    t.Cont();
    t.ShownRange(F::POUT_PWM_LOAD, POUT_PWM_LOAD_POINTS * k, POUT_PWM_LOAD_POINTS);
    for (int r = 0; r < POUT_PWM_LOAD_POINTS; ++r) {
      t.Cont();
      t.ShownRange(F::POUT_PWM_MAP, POUT_PWM_CELLS * k + POUT_PWM_RPM_POINTS * r,
                   POUT_PWM_RPM_POINTS);
    }
  }
  t.Cont();

  t.Keyword("GEAR");
  t.Shown(F::GEAR);
  t.Shown(F::GEAR_COUNT);
  t.Cont();
  t.ShownAll(F::GEAR_VOLTAGE);
  t.Cont();
  t.ShownAll(F::GEAR_RATIO);
  t.Keyword("GEAR_AUTO");
  t.Shown(F::GEAR_AUTO_TIME);
  t.Shown(F::GEAR_AUTO_RPM);
  t.Shown(F::GEAR_AUTO_TPS);
  t.Shown(F::GEAR_AUTO_BAND);
  t.Keyword("SPEED_PULSES");
  t.Shown(F::SPEED_MODE);
  t.Shown(F::SPEED_PULSES);
  t.Cont();
  t.Keyword("CLUTCH_RACE");
  t.Shown(F::CLUTCH_MODE);
  t.Shown(F::CLUTCH_PAUSE1);
  t.Shown(F::CLUTCH_PAUSE2);
  t.Shown(F::CLUTCH_MIN_RPM);
  t.Shown(F::CLUTCH_ADV);
  t.Keyword("CLUTCH_TIME");
  t.ShownAll(F::CLUTCH_TIME);
  t.Keyword("GEAR_CORR_ADV");
  t.ShownAll(F::GEAR_CORR_ADV);
  t.Keyword("GEAR_CORR_LIMITER");
  t.ShownAll(F::GEAR_CORR_LIMITER);
  t.Keyword("GEAR_CORR_SERVO");
  t.ShownAll(F::GEAR_CORR_SERVO);
  t.Keyword("GEAR_CORR_POUT");
  for (int j = 0; j < POUT_COUNT; ++j) {
    t.Cont();
    t.ShownRange(F::GEAR_CORR_POUT, GEAR_SLOTS * j, GEAR_SLOTS);
  }
  t.Keyword("TEST_OUT");
  t.Shown(F::TEST_RPM);
  t.Shown(F::TEST_SERVO_TIME);
  t.Keyword("NO_READING");
  t.Value(img.Byte(Adrb::NO_READING) != 0 ? 1 : 0);
  t.Keyword("VERSIONS");

  t.Raw("\nHEX   " + id.hexDate + "\t" + id.hexTime + "\t" + id.hexVersion);
  t.Raw("\nHW/FW  " + id.hardware + "   " + id.unitKey + "   (" + id.serialNumber + ")   " +
        id.lastUpdate + "   " + id.additional);
  t.Raw("\nEXE    " + (id.exeDate.empty() ? BuildDate() : id.exeDate) + "\t" +
        (id.exeTime.empty() ? BuildTime() : id.exeTime));
  t.Cont();
  if (id.unitConnected) {
    const std::pair<const char*, int> calib[] = {{"Mon_Calib_CoefEE", id.calibEE},
                                                 {"Mon_Calib_CoefFLASH", id.calibFlash},
                                                 {"Mon_Calib_CoefNEW", id.calibNew}};
    for (const auto& [kw, v] : calib) {
      t.Keyword(kw);
      t.Raw(std::to_string(v));
    }
  }
  return t.Take();
}

bool WriteIgnFile(const std::string& path, const ParamImage& img, const IgnIdentification& id,
                  std::string* error) {
  return WriteFileAtomic(path, FormatIgnFile(img, id), error);
}

NewFileResult WriteNewIgnFile(const std::string& path, const ParamImage& img,
                              const IgnIdentification& id, std::string* error) {
  return WriteNewFileAtomic(path, FormatIgnFile(img, id), error);
}

}  // namespace zeda
