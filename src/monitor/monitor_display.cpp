#include "monitor/monitor_display.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "monitor/monitor_texts.h"
#include "params/param_addresses.h"
#include "params/param_image.h"

namespace zeda {

const char* const kMonitorLabelNames[kMonLabelCount] = {
    "LabelRpm",
    "LabelTpsMon",
    "LabelPotentiometer",
    "LabelMonPotiCor",
    "LabelMonSnimac1",
    "LabelMonSnimac2",
    "LabelNapeti",
    "LabelAdvance1",
    "LabelAdvance2",
    "LabelAdvance3",
    "LabelAdvance4",
    "LabelDwell",
    "LabelDwell1",
    "LabelDwell2",
    "LabelDwell3",
    "LabelDwell4",
    "LabelDwellCalibError",
    "LabelMonSpeed",
    "LabelMonGear",
    "LabelKillSwitch",
    "LabelBlocking",
    "LabelClutchMon",
    "LabelMonRetard",
    "Label2ndAdv",
    "LabelMonTachoLambdaOut",
    "LabelMonStartLimiterOut",
    "LabelMonLimiterOut",
    "LabelEeDataErr",
    "LabelTest1",
    "LabelTest2",
    "LabelTest3",
    "LabelTest4",
    "LabelTest5",
    "LabelTest6",
    "LabelTest7",
    "LabelTest8",
    "LabelTest9",
    "LabelTest10",
    "LabelPropMon1",
    "LabelPropMon2",
    "LabelPropMon3",
    "LabelPropMon4",
    "LabelPropMon5",
    "LabelMonInput1In",
    "LabelMonInput2In",
    "LabelMonInput3In",
    "LabelMonAkcel",
    "LabelAcc50",
    "LabeAcc100",
    "LabelPocetProgramovani",
    "LabelVerze1",
    "LabelVerze2",
    "LabelVerze3",
    "LabelFullSync",
    "LabelFullSynchro1",
    "LabelFullSynchro2",
    "LabelFullSynchro3",
    "LabelFullSynchro4",
    "LabelServo",
    "LabelMonPOut1",
    "LabelMonPOut2",
    "LabelMonPOut3",
    "LabelMonPOut4",
    "LabelMonGearNapeti",
    "LabelMonPomerRpmSpeed",
    "LabelMonPomerRpmSpeedAuto1",
    "LabelMonPomerRpmSpeedAuto2",
    "LabelMonPomerRpmSpeedAuto3",
    "LabelMonPomerRpmSpeedAuto4",
    "LabelMonPomerRpmSpeedAuto5",
    "LabelMonPomerRpmSpeedAuto6",
    "LabelHourMeter",
    "LabelOvervoltageEvents",
    "ButtonTest01",
    "ButtonTest02",
    "ButtonTest03",
    "ButtonTest04",
};

const char* const kMonitorGaugeNames[kMonGaugeCount] = {
    "CGaugeRpm",
    "CGaugeTps",
    "CGaugePotentiometer",
    "CGaugeAkcel",
};

namespace {

// Presence flags that the input assignments derive, by input function.
struct PresenceFlag {
  enum : int {
    KILL_SWITCH = 2,
    BLOCKING = 3,
    QUICKSHIFT = 4,
    RETARD = 5,
    START_LIMITER = 6,
    SECOND_ADVANCE = 7,
    GEAR = 8,
    SPEED = 9,
    TACHO_LAMBDA = 11,
  };
};

// Synchronisation methods that use a second pick-up.
constexpr int kTwoPickupMethods[] = {0, 4, 6, 9, 11, 12, 14, 17, 18};

constexpr int kLoadNone = 0;
constexpr int kLoadThrottle = 1;
constexpr int kLoadPressure = 2;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

const char* T(MonText t) { return MonitorText(t); }

// The one formatter of numbers and YES/NO: dashes when the monitor is not live.
class Fmt {
 public:
  explicit Fmt(bool live) : live_(live) {}
  std::string Int(int32_t v) const { return live_ ? Format("%i", v) : "---"; }
  std::string Dec1(double v) const { return live_ ? Format("%.1f", v) : "---"; }
  std::string Text(const char* s) const { return live_ ? s : "---"; }

 private:
  bool live_;
};

struct PotiRow {
  int mode;
  MonText caption;
  const char* format;
  bool tenthsOfDegree;  // (word - 1000) * 0.1; else word - 10000
};
constexpr PotiRow kPotiRows[] = {
    {1, MonText::AdvanceCorrection, "%s = %s [\xC2\xB0]", true},
    {2, MonText::StartLimiterCorrection, "%s = %s [rpm]", false},
    {3, MonText::GearShiftLightCorrection, "%s = %s [rpm]", false},
    {4, MonText::AccMapSwitchCorrection, "%s = %s [rpm/s]", false},
};
constexpr int kPotiAccMapSwitch = 4;

struct InputRow {
  MonLabel label;
  MonText caption;
  int bit;  // of Monb::INPUT_ACTIVE and Monb::FUNCTION_ENABLED
  bool MonitorParams::*present;
  Colour active;
  bool activeLow;
};
constexpr InputRow kInputRows[] = {
    {MonLabel::KillSwitch, MonText::KillSwitch, MonBit::KILL_SWITCH, &MonitorParams::hasKillSwitch,
     kMonRed, false},
    {MonLabel::Blocking, MonText::Blocking, MonBit::BLOCKING, &MonitorParams::hasBlocking, kMonRed,
     false},
    {MonLabel::ClutchMon, MonText::Quickshift, MonBit::CLUTCH_MASTER, &MonitorParams::hasQuickshift,
     kMonLime, false},
    {MonLabel::MonRetard, MonText::Retard, MonBit::RETARD, &MonitorParams::hasRetard, kMonAqua,
     false},
    {MonLabel::SecondAdv, MonText::SecondAdvance, MonBit::SECOND_ADV,
     &MonitorParams::hasSecondAdvance, kMonLime, false},
    {MonLabel::MonTachoLambdaOut, MonText::TachoLambda, MonBit::TACHO_LAMBDA,
     &MonitorParams::hasTachoLambda, kMonAqua, true},
};

struct PoutRow {
  int code;
  MonText text;
  Colour on;
};
constexpr PoutRow kPoutRows[] = {
    {1, MonText::FuelPump, kMonTeal},       {2, MonText::GearShiftLight, kMonFuchsia},
    {3, MonText::PowerJet, kMonLime},       {253, MonText::PowerJet, kMonLime},
    {254, MonText::PowerJet, kMonLime},     {4, MonText::N2O, kMonLime},
    {255, MonText::SpecialOut, kMonYellow},
};
constexpr PoutRow kPoutOther{-1, MonText::NotUsed, kMonWhite};

const PoutRow& PoutOf(int code) {
  for (const PoutRow& r : kPoutRows)
    if (r.code == code) return r;
  return kPoutOther;
}

void ShowEngineSpeed(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  const Fmt f(live);
  LabelView& l = v[MonLabel::Rpm];
  l.text = Format("RPM = %s", f.Int(b.Word(Monw::RPM)).c_str());
  l.colour = live && b.Bit(Monb::STATES, MonBit::LIMITER) ? kMonRed : kMonPlain;
  const int32_t limiter = std::clamp(p.limiter, 1000, 25000);
  GaugeView& g = v.Gauge(MonGauge::Rpm);
  g.maximum = 100;
  g.progress = b.Word(Monw::RPM) / (limiter / 100);
}

void ShowLoad(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorMemory& m,
              MonitorView& v) {
  const Fmt f(live);
  const int mode =
      std::min(live ? static_cast<int>(b.Byte(Monb::LOAD_MODE)) : p.loadSensor, kLoadPressure);
  LabelView& l = v[MonLabel::TpsMon];
  GaugeView& g = v.Gauge(MonGauge::Tps);
  g.colour = mode == kLoadNone ? kMonGray : mode == kLoadThrottle ? kMonDesktop : kMonPurple;
  l.enabled = mode != kLoadNone;
  l.colour = kMonPlain;
  const int32_t value = b.Word(Monw::TPSIAP);
  const std::string mv = f.Int(b.Word(Monw::TPS));
  if (!live) {
    l.text = mode == kLoadPressure ? "IAP= ---" : "TP= ---";
    g.maximum = mode == kLoadPressure ? 300 : 100;
    g.progress = m.loadGaugeProgress;
    return;
  }
  if (mode != kLoadPressure) {
    g.maximum = 100;
    if ((mode == kLoadNone && value * 10 > 1000) || b.Bit(Monb::ERRORS, MonBit::TPS_ERR)) {
      l.text = Format("TP=%s = %s [mV]", T(MonText::Error), mv.c_str());
      l.colour = kMonRed;
      g.progress = 0;
    } else {
      l.text = Format("TP= %s [%%]= %s [mV]", f.Int(value).c_str(), mv.c_str());
      g.progress = value;
    }
  } else {
    g.maximum = 300;
    if (b.Bit(Monb::ERRORS, MonBit::IAP_ERR)) {
      l.text = Format("IAP=%s = %s [mV]", T(MonText::Error), mv.c_str());
      l.colour = kMonRed;
      g.progress = 0;
    } else {
      l.text = Format("IAP= %s [kPa]= %s [mV]", f.Int(value).c_str(), mv.c_str());
      g.progress = value;
    }
  }
  m.loadGaugeProgress = g.progress;
}

void ShowPotentiometer(const MonitorBlock& b, bool live, MonitorView& v) {
  const Fmt f(live);
  v[MonLabel::Potentiometer].text =
      Format("%s= %s [mV]", T(MonText::Potentiometer), f.Int(b.Word(Monw::POTI)).c_str());
  v.Gauge(MonGauge::Potentiometer) = {5000, b.Word(Monw::POTI), kMonLime};

  LabelView& l = v[MonLabel::MonPotiCor];
  l.enabled = true;
  const int mode = b.Byte(Monb::POTI_MODE);
  const int32_t raw = b.Word(Monw::POTI_VAL);
  if (live) {
    for (const PotiRow& r : kPotiRows) {
      if (r.mode != mode) continue;
      const std::string value = r.tenthsOfDegree ? f.Dec1((raw - 1000) * 0.1) : f.Int(raw - 10000);
      l.text = Format(r.format, T(r.caption), value.c_str());
      return;
    }
    l.enabled = false;
  }
  l.text = Format("%s = ---", T(MonText::PotentiometerCorrection));
}

// One pick-up line; returns whether the pick-up is judged good.
bool ShowPickup(const MonitorBlock& b, bool live, int n, LabelView& l) {
  const int k = n - 1;  // pick-up 2 uses the odd bits
  l.colour = kMonPlain;
  if (!live) {
    l.text = Format("%s %i =  ---", T(MonText::Pickup), n);
    return false;
  }
  const bool running = b.Bit(Monb::PICKUP, MonBit::PICKUP1_RUN + k);
  l.text = Format("%s %i = %s", T(MonText::Pickup), n,
                  T(running ? MonText::IsRunning : MonText::NoSignal));
  if (running) l.colour = kMonLime;
  if (b.Bit(Monb::PICKUP, MonBit::POLARITY1_ERR + k)) {
    l.text += T(MonText::PolarityError);
    l.colour = kMonRed;
  } else {
    l.text += T(b.Bit(Monb::PICKUP, MonBit::POLARITY1 + k) ? MonText::NegativePolarity
                                                           : MonText::PositivePolarity);
    if (b.Bit(Monb::PICKUP, MonBit::SYNCHRO1_ERR + k)) {
      l.text += ", ";
      l.text += T(MonText::PickupSystemError);
      l.colour = kMonRed;
    }
  }
  return l.colour == kMonLime;
}

void ShowPickups(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorMemory& m,
                 LiveValues& values, MonitorView& v) {
  values.pickup1Good = ShowPickup(b, live, 1, v[MonLabel::MonSnimac1]);
  values.pickup2Good = ShowPickup(b, live, 2, v[MonLabel::MonSnimac2]);
  const int method = live ? b.Byte(Monb::SYNCHRO) : p.synchro;
  v[MonLabel::MonSnimac2].SetShown(std::find(std::begin(kTwoPickupMethods),
                                             std::end(kTwoPickupMethods),
                                             method) != std::end(kTwoPickupMethods));
  const bool running2 = b.Bit(Monb::PICKUP, MonBit::PICKUP2_RUN);
  v.refreshActivePage = running2 != m.pickup2Running;
  m.pickup2Running = running2;
}

// Colour of the supply voltage in mV.
Colour VoltageColour(int32_t mv) {
  if (mv <= 7000 || mv >= 17999) return kMonRed;
  if (mv <= 11000 || mv >= 14999) return kMonYellow;
  return kMonPlain;
}

void ShowVoltage(const MonitorBlock& b, bool live, MonitorView& v) {
  const Fmt f(live);
  const int32_t mv = b.Word(Monw::BATTERY);
  LabelView& l = v[MonLabel::Napeti];
  l.text = Format("U = %s [V]", f.Dec1(mv * 0.001).c_str());
  l.colour = live ? VoltageColour(mv) : kMonPlain;
}

void ShowAdvance(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  for (int i = 0; i < 2; ++i) {
    LabelView& l = v[MonLabelAt(MonLabel::Advance1, i)];
    const int raw = b.Byte(Monb::ADV + i);
    const int a = raw - 100;
    const int m = b.Word(Monw::ADV_MAX + i);
    l.colour = live && a >= m && m >= 1 ? kMonYellow : kMonPlain;
    if (!live)
      l.text = Format("%s %i = --- [\xC2\xB0]", T(MonText::Advance), i + 1);
    else if (raw == 0)
      l.text = m != 0
                   ? Format("%s = %s/max %i [\xC2\xB0]", T(MonText::Advance), T(MonText::Base), m)
                   : Format("%s = %s", T(MonText::Advance), T(MonText::Base));
    else
      l.text = m != 0 ? Format("%s %i = %i [\xC2\xB0] /max %i [\xC2\xB0]", T(MonText::Advance),
                               i + 1, a, m)
                      : Format("%s %i = %i [\xC2\xB0]", T(MonText::Advance), i + 1, a);
  }
  const int channels = std::min(live ? static_cast<int>(b.Byte(Monb::CHANNELS)) : p.channels, 4);
  for (int c = 2; c <= 4; ++c) v[MonLabelAt(MonLabel::Advance1, c - 1)].SetShown(channels >= c);
  for (MonLabel d : {MonLabel::Dwell, MonLabel::Dwell1, MonLabel::Dwell2, MonLabel::Dwell3,
                     MonLabel::Dwell4, MonLabel::DwellCalibError})
    v[d].SetShown(false);
}

void ShowSpeedAndGear(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  const Fmt f(live);
  v[MonLabel::MonSpeed].text =
      Format("%s = %s [km/h]", T(MonText::Speed), f.Int(b.Word(Monw::SPEED)).c_str());
  v[MonLabel::MonSpeed].enabled = live ? b.Bit(Monb::STATES, MonBit::SPEED_EN) : p.hasSpeed;
  v[MonLabel::MonGear].text =
      Format("%s = %s", T(MonText::Gear), f.Int(b.Byte(Monb::GEAR)).c_str());
  v[MonLabel::MonGear].enabled = live ? b.Bit(Monb::STATES, MonBit::GEAR_EN) : p.hasGear;
}

void ShowInputFunctions(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  for (const InputRow& r : kInputRows) {
    LabelView& l = v[r.label];
    l.enabled = live ? b.Bit(Monb::FUNCTION_ENABLED, r.bit) : p.*r.present;
    l.colour = kMonPlain;
    if (!live || !l.enabled) {
      l.text = Format("%s = ---", T(r.caption));
      continue;
    }
    const bool yes = b.Bit(Monb::INPUT_ACTIVE, r.bit) != r.activeLow;
    l.text = Format("%s = %s", T(r.caption), T(yes ? MonText::Yes : MonText::No));
    if (yes) l.colour = r.active;
  }

  LabelView& s = v[MonLabel::MonStartLimiterOut];
  s.enabled = live ? b.Bit(Monb::FUNCTION_ENABLED, MonBit::START_LIMITER) : p.hasStartLimiter;
  s.colour = kMonPlain;
  MonText state = MonText::No;
  if (b.Bit(Monb::STATES, MonBit::START_LIMITER_ACT)) state = MonText::Ready;
  if (b.Bit(Monb::STATES, MonBit::START_LIMITER_SOFT)) {
    state = MonText::Soft;
    s.colour = kMonFuchsia;
  }
  if (b.Bit(Monb::INPUT_ACTIVE, MonBit::START_LIMITER)) {
    state = MonText::Yes;
    s.colour = kMonRed;
  }
  s.text = Format("%s = %s", T(MonText::StartLimiter), live ? T(state) : "---");
  if (!live) s.colour = kMonPlain;

  LabelView& lim = v[MonLabel::MonLimiterOut];
  lim.enabled = true;
  lim.colour = kMonPlain;
  state = MonText::No;
  if (b.Bit(Monb::STATES, MonBit::LIMITER_SOFT)) {
    state = MonText::Soft;
    lim.colour = kMonFuchsia;
  }
  if (b.Bit(Monb::STATES, MonBit::LIMITER)) {
    state = MonText::Yes;
    lim.colour = kMonRed;
  }
  lim.text = Format("%s = %s", T(MonText::Limiter), live ? T(state) : "---");
  if (!live) lim.colour = kMonPlain;
}

void ShowTestValues(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  for (int i = 0; i < 10; ++i)
    v[MonLabelAt(MonLabel::Test1, i)].text =
        Format("Test%d = %d ", i + 1, static_cast<int>(b.Word(Monw::TEST + i)));
  for (int i = 0; i < 5; ++i) {
    const uint16_t w = b.Word(Monw::PROP + i);
    LabelView& l = v[MonLabelAt(MonLabel::PropMon1, i)];
    if (!live)
      l.text = Format("Prop%d = --- ", i + 1);
    else if (p.propSigned[static_cast<std::size_t>(i)])
      l.text = Format("Prop%d = %d ", i + 1, static_cast<int>(static_cast<int16_t>(w)));
    else
      l.text = Format("Prop%d = %u ", i + 1, static_cast<unsigned>(w));
  }
}

void ShowInputs(const MonitorBlock& b, bool live, MonitorView& v) {
  constexpr Colour kGrounded[] = {kMonFuchsia, kMonAqua, kMonFuchsia};
  for (int i = 0; i < 3; ++i) {
    LabelView& l = v[MonLabelAt(MonLabel::MonInput1In, i)];
    const bool grounded = live && b.Bit(Monb::INPUT_LEVEL, i);
    l.text = Format("%s = %s", T(MonText::Input),
                    live ? T(grounded ? MonText::Grounded : MonText::Open) : "---");
    l.colour = grounded ? kGrounded[i] : kMonPlain;
  }
}

void ShowAcceleration(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  const Fmt f(live);
  const int32_t acc = b.Word(Monw::ACCELERATION);
  v[MonLabel::MonAkcel].text =
      Format("%s= %s [rpm/s]", T(MonText::Acceleration), f.Int(acc).c_str());
  int32_t t = p.accThreshold * 100;
  if (live && b.Byte(Monb::POTI_MODE) == kPotiAccMapSwitch) t += b.Word(Monw::POTI_VAL) - 10000;
  t = std::max(t, 0);
  const int32_t r = std::max(2 * t, 100);
  v.Gauge(MonGauge::Akcel) = {r, acc, acc / 100 < r ? kMonLime : kMonRed};
  v.accBelowShare = static_cast<double>(t) / r;
  v[MonLabel::Acc50].text = Format("%i", r / 2);
  v[MonLabel::Acc100].text = Format("%i", r);
}

void ShowFullSync(const MonitorBlock& b, bool live, MonitorView& v) {
  const bool reported = live && b.Bit(Monb::FULL_SYNC, MonBit::FULL_SYNC_REPORTED);
  auto set = [&](MonLabel label, int bit) {
    LabelView& l = v[label];
    l.enabled = reported;
    if (!reported) {
      l.text = "---";
      l.colour = kMonPlain;
      return;
    }
    const bool yes = b.Bit(Monb::FULL_SYNC, bit);
    l.text = T(yes ? MonText::Yes : MonText::No);
    l.colour = yes ? kMonLime : kMonRed;
  };
  set(MonLabel::FullSync, 0);
  for (int i = 0; i < 4; ++i) set(MonLabelAt(MonLabel::FullSynchro1, i), i);
}

void ShowServo(const MonitorBlock& b, bool live, const MonitorParams& p, MonitorView& v) {
  LabelView& l = v[MonLabel::Servo];
  l.SetShown(true);
  l.enabled = live ? b.Bit(Monb::STATES, MonBit::SERVO_EN) : p.servoEnabled;
  l.font = l.enabled ? kMonBlack : kMonGray;
  if (!live) {
    l.text = "Servo = ---";
    l.colour = kMonPlain;
    return;
  }
  if (b.Bit(Monb::STATES, MonBit::SERVO_PROC_MV))
    l.text = Format("Servo = %i/%i [%%] (%i/%i [mV])", b.Byte(Monb::SERVO),
                    b.Byte(Monb::SERVO_TARG), b.Word(Monw::SERVO), b.Word(Monw::SERVO_TG));
  else
    l.text = Format("Servo = %i/%i [mV]", b.Word(Monw::SERVO), b.Word(Monw::SERVO_TG));
  l.colour = b.Bit(Monb::ERRORS, MonBit::SERVO_OK) ? kMonPlain : kMonRed;
}

void ShowPowerOutputs(const MonitorBlock& b, bool live, MonitorView& v) {
  for (int i = 0; i < 4; ++i) {
    const PoutRow& r = PoutOf(b.Byte(Monb::POUT_MODE + i));
    const bool on = b.Bit(Monb::POUT, i);
    LabelView& l = v[MonLabelAt(MonLabel::MonPOut1, i)];
    const std::string head = Format("POUT%i(%s)", i + 1, T(r.text));
    l.text = Format("%s = %s", head.c_str(), live ? T(on ? MonText::Yes : MonText::No) : "---");
    l.colour = live && on ? r.on : kMonPlain;
    l.enabled = true;
    l.SetShown(true);
    v[MonLabelAt(MonLabel::ButtonTest01, i)].text = Format("Power out %i - %s", i + 1, T(r.text));
  }
}

void ShowGearSensor(const MonitorBlock& b, bool live, MonitorView& v) {
  const Fmt f(live);
  v[MonLabel::MonGearNapeti].text =
      Format("%s = %s [mV]", T(MonText::GearVoltage), f.Int(b.Word(Monw::GEAR)).c_str());
  v[MonLabel::MonPomerRpmSpeed].text =
      Format("Rpm/%s = %s", T(MonText::Speed), f.Dec1(b.Word(Monw::GEAR_RATIO) / 10.0).c_str());
  for (int i = 0; i < 6; ++i)
    v[MonLabelAt(MonLabel::MonPomerRpmSpeedAuto1, i)].text =
        live ? Format("%0.1f", b.Word(Monw::GEAR_RATIO_AUTO + i) * 0.1) : "---";
}

void ShowMinuteCounters(const MonitorBlock& b, bool live, MonitorMemory& m, MonitorView& v) {
  if (!live) {
    m.hourMeterMinutes = m.overvoltageMinutes = kMinutesUnknown;
  } else {
    // The unit alternates between the two counters; each answer carries one of them.
    const int32_t minutes = b.Byte(Monb::MOTO_MIN_HI) * 65536 + b.Word(Monw::MOTO_MIN_LO);
    if (b.Bit(Monb::INPUT_LEVEL, MonBit::OVERVOLTAGE_TIME))
      m.overvoltageMinutes = minutes;
    else
      m.hourMeterMinutes = minutes;
  }
  LabelView& h = v[MonLabel::HourMeter];
  if (m.hourMeterMinutes == kMinutesUnknown)
    h.text = Format("%s = ---", T(MonText::HourMeter));
  else
    h.text = Format("%s = %i:%02i %s", T(MonText::HourMeter), m.hourMeterMinutes / 60,
                    m.hourMeterMinutes % 60, T(MonText::HoursMinutes));
  LabelView& o = v[MonLabel::OvervoltageEvents];
  const int32_t count = b.Word(Monw::OVERVOLTAGE_COUNTER);
  if (!live)
    o.text = Format("%s = ---", T(MonText::OvervoltageCount));
  else if (m.overvoltageMinutes == kMinutesUnknown || count == 0)
    o.text = Format("%s = %i", T(MonText::OvervoltageCount), count);
  else
    o.text = Format("%s = %i (%s %i:%02i %s) ", T(MonText::OvervoltageCount), count,
                    T(MonText::LastOccurredAt), m.overvoltageMinutes / 60,
                    m.overvoltageMinutes % 60, T(MonText::HoursMinutes));
}

void ComputeLiveValues(const MonitorBlock& b, bool live, const MonitorMemory& m,
                       LiveValues& values) {
  values.live = live;
  values.engineSpeed = b.Word(Monw::RPM);
  values.loadMode = std::min<int32_t>(b.Byte(Monb::LOAD_MODE), kLoadPressure);
  const int32_t load = b.Word(Monw::TPSIAP);
  values.throttleTenths = values.loadMode != kLoadPressure ? load * 10 : -1;
  values.pressureKpa = values.loadMode == kLoadPressure ? load : -1;
  values.sensorMv = b.Word(Monw::TPS);
  values.saveCountdown = b.Word(Monw::SAVE_COUNTDOWN);
  values.potiMv = b.Word(Monw::POTI);
  values.bike = b.Byte(Monb::BIKE);
  values.tpsError = b.Bit(Monb::ERRORS, MonBit::TPS_ERR);
  values.iapError = b.Bit(Monb::ERRORS, MonBit::IAP_ERR);
  values.secondAdvance = b.Bit(Monb::INPUT_ACTIVE, MonBit::SECOND_ADV);
  values.synchro1Error = b.Bit(Monb::PICKUP, MonBit::SYNCHRO1_ERR);
  values.synchro2Error = b.Bit(Monb::PICKUP, MonBit::SYNCHRO2_ERR);
  values.gearMv = b.Word(Monw::GEAR);
  values.gearRatio = b.Word(Monw::GEAR_RATIO);
  values.gear = b.Byte(Monb::GEAR);
  values.hourMeterMinutes = m.hourMeterMinutes;
  values.overvoltageMinutes = m.overvoltageMinutes;
  values.dataErrorShown = live && b.Bit(Monb::ERRORS, MonBit::EE_DATA_ERR);
}

}  // namespace

MonitorParams MonitorParamsFrom(const ImageBuffers& images) {
  const ParamImage& img = images.params;
  MonitorParams p;
  p.limiter = std::clamp<int32_t>(img.Word(Adrw::LIMITER), 1000, 25000);
  p.loadSensor = img.Byte(Adrb::TPSIAP_SENSOR);
  p.synchro = img.Byte(Adrb::PICKUP_SYSTEM);
  p.channels = img.Byte(Adrb::CHANNEL_COUNT);
  p.accThreshold = img.Byte(Adrb::MAP2_ACCEL);
  p.servoEnabled = img.Byte(Adrb::SERVO_ENABLE) != 0;
  const Presence& has = images.presence;
  p.hasKillSwitch = has[PresenceFlag::KILL_SWITCH];
  p.hasBlocking = has[PresenceFlag::BLOCKING];
  p.hasQuickshift = has[PresenceFlag::QUICKSHIFT];
  p.hasRetard = has[PresenceFlag::RETARD];
  p.hasStartLimiter = has[PresenceFlag::START_LIMITER];
  p.hasSecondAdvance = has[PresenceFlag::SECOND_ADVANCE];
  p.hasGear = has[PresenceFlag::GEAR];
  p.hasSpeed = has[PresenceFlag::SPEED];
  p.hasTachoLambda = has[PresenceFlag::TACHO_LAMBDA];
  return p;
}

void EvaluateMonitor(MonitorBlock& block, bool live, const MonitorParams& params,
                     MonitorMemory& memory, LiveValues& values, MonitorView& view) {
  if (!live) block.Clear();
  const MonitorBlock& b = block;
  ShowMinuteCounters(b, live, memory, view);
  ComputeLiveValues(b, live, memory, values);
  ShowEngineSpeed(b, live, params, view);
  ShowLoad(b, live, params, memory, view);
  ShowPotentiometer(b, live, view);
  ShowPickups(b, live, params, memory, values, view);
  ShowVoltage(b, live, view);
  ShowAdvance(b, live, params, view);
  ShowSpeedAndGear(b, live, params, view);
  ShowInputFunctions(b, live, params, view);
  view[MonLabel::EeDataErr].SetShown(values.dataErrorShown);
  ShowTestValues(b, live, params, view);
  ShowInputs(b, live, view);
  ShowAcceleration(b, live, params, view);
  const Fmt f(live);
  view[MonLabel::PocetProgramovani].text =
      Format("%s= %s", T(MonText::ProgramCount), f.Int(b.Word(Monw::PROGRAM_COUNT)).c_str());
  for (int i = 0; i < 3; ++i)
    view[MonLabelAt(MonLabel::Verze1, i)].text = params.unitTexts[static_cast<std::size_t>(i)];
  ShowFullSync(b, live, view);
  ShowServo(b, live, params, view);
  ShowPowerOutputs(b, live, view);
  ShowGearSensor(b, live, view);
}

}  // namespace zeda
