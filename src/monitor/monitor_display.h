#pragma once
// The monitor display as data: ShowMonitor's rules evaluated into "what each label shows,
// in which colour, enabled and visible" and the gauges' ranges, with no widget in sight.
// The window copies a MonitorView into its controls (each control's objectName is the
// name in kMonitorLabelNames / kMonitorGaugeNames); zedactl prints it.
//
// EvaluateMonitor runs on the user-interface thread; MonitorMemory carries what a refresh
// keeps for the next one (both minute counters, the last pick-up 2 state, the load gauge).
#include <array>
#include <cstdint>
#include <string>

#include "base/colours.h"
#include "monitor/live_values.h"
#include "monitor/monitor_block.h"

namespace zeda {

struct ImageBuffers;

// Colours of the display (0x00BBGGRR).
inline constexpr Colour kMonRed = 0x0000FF;
inline constexpr Colour kMonLime = 0x00FF00;
inline constexpr Colour kMonYellow = 0x00FFFF;
inline constexpr Colour kMonAqua = 0xFFFF00;
inline constexpr Colour kMonFuchsia = 0xFF00FF;
inline constexpr Colour kMonPurple = 0x800080;
inline constexpr Colour kMonGray = 0x808080;
inline constexpr Colour kMonTeal = 0x808000;
inline constexpr Colour kMonWhite = 0xFFFFFF;
inline constexpr Colour kMonBlack = 0x000000;
inline constexpr Colour kMonPlain = kColourButtonFace;
inline constexpr Colour kMonDesktop = 0xFF000001;  // the system desktop-background colour

// Every monitor label, in the order of kMonitorLabelNames.
enum class MonLabel : int {
  Rpm,
  TpsMon,
  Potentiometer,
  MonPotiCor,
  MonSnimac1,
  MonSnimac2,
  Napeti,
  Advance1,
  Advance2,
  Advance3,
  Advance4,
  Dwell,
  Dwell1,
  Dwell2,
  Dwell3,
  Dwell4,
  DwellCalibError,
  MonSpeed,
  MonGear,
  KillSwitch,
  Blocking,
  ClutchMon,
  MonRetard,
  SecondAdv,
  MonTachoLambdaOut,
  MonStartLimiterOut,
  MonLimiterOut,
  EeDataErr,
  Test1,                  // Test1-Test10 follow in order
  PropMon1 = Test1 + 10,  // PropMon1-PropMon5 follow in order
  MonInput1In = PropMon1 + 5,
  MonInput2In,
  MonInput3In,
  MonAkcel,
  Acc50,
  Acc100,
  PocetProgramovani,
  Verze1,
  Verze2,
  Verze3,
  FullSync,
  FullSynchro1,  // FullSynchro1-4 follow in order
  Servo = FullSynchro1 + 4,
  MonPOut1,  // MonPOut1-4 follow in order
  MonGearNapeti = MonPOut1 + 4,
  MonPomerRpmSpeed,
  MonPomerRpmSpeedAuto1,  // Auto1-Auto6 follow in order
  HourMeter = MonPomerRpmSpeedAuto1 + 6,
  OvervoltageEvents,
  ButtonTest01,  // the power-out test buttons' captions, ButtonTest01-04
  KCount = ButtonTest01 + 4,
};
inline constexpr int kMonLabelCount = static_cast<int>(MonLabel::KCount);
// The i-th label of a numbered run (Test1 + 2 = Test3).
constexpr MonLabel MonLabelAt(MonLabel first, int i) {
  return static_cast<MonLabel>(static_cast<int>(first) + i);
}
extern const char* const kMonitorLabelNames[kMonLabelCount];

enum class MonGauge : int { Rpm, Tps, Potentiometer, Akcel, KCount };
inline constexpr int kMonGaugeCount = static_cast<int>(MonGauge::KCount);
extern const char* const kMonitorGaugeNames[kMonGaugeCount];

struct LabelView {
  std::string text;
  Colour colour = kMonPlain;  // background
  Colour font = kMonBlack;
  bool enabled = true;
  bool visible = true;
  // Whether the monitor decides if the label shows (SetShown). Many monitor labels sit on
  // the pages, whose rules show and hide them; those the monitor leaves alone.
  bool visibilityOwned = false;
  friend bool operator==(const LabelView&, const LabelView&) = default;

  void SetShown(bool on) {
    visible = on;
    visibilityOwned = true;
  }
};

struct GaugeView {
  int32_t maximum = 100;
  int32_t progress = 0;
  Colour colour = kMonLime;  // foreground
  friend bool operator==(const GaugeView&, const GaugeView&) = default;
};

struct MonitorView {
  std::array<LabelView, kMonLabelCount> labels;
  std::array<GaugeView, kMonGaugeCount> gauges;
  // LabelAccBelow covers this share of the acceleration gauge; LabelAccOver the rest.
  double accBelowShare = 0.0;
  // Pick-up 2 started or stopped running: the active page shows things that depend on it.
  bool refreshActivePage = false;

  LabelView& operator[](MonLabel l) { return labels[static_cast<std::size_t>(l)]; }
  const LabelView& operator[](MonLabel l) const { return labels[static_cast<std::size_t>(l)]; }
  GaugeView& Gauge(MonGauge g) { return gauges[static_cast<std::size_t>(g)]; }
  const GaugeView& Gauge(MonGauge g) const { return gauges[static_cast<std::size_t>(g)]; }
};

// What the display takes from the parameter set and the window.
struct MonitorParams {
  int32_t limiter = 1000;     // parameter word 79, kept within 1000-25000
  int32_t loadSensor = 0;     // parameter byte 231
  int32_t synchro = 0;        // parameter byte 199
  int32_t channels = 1;       // parameter byte 201
  int32_t accThreshold = 0;   // parameter byte 233 (hundreds of rpm/s)
  bool servoEnabled = false;  // parameter byte 423
  // Input functions present in the input assignments (shown when not live).
  bool hasKillSwitch = false, hasBlocking = false, hasQuickshift = false, hasRetard = false,
       hasStartLimiter = false, hasSecondAdvance = false, hasGear = false, hasSpeed = false,
       hasTachoLambda = false;
  std::array<bool, 5> propSigned{};  // CheckBoxPropMon1-5
  std::array<std::string, 3> unitTexts{"Unit = --", "Date = --", "--:--"};
};

// Fills the parameter-derived fields from the window's buffers (params and presence).
MonitorParams MonitorParamsFrom(const ImageBuffers& images);

// Kept from one refresh to the next.
struct MonitorMemory {
  int32_t hourMeterMinutes = kMinutesUnknown;
  int32_t overvoltageMinutes = kMinutesUnknown;
  bool pickup2Running = false;
  int32_t loadGaugeProgress = 0;  // the load gauge keeps its position when not live
};

// Decodes the block and evaluates every rule. With live false the block is cleared first
// (as the window's own block is) and every label takes its not-live form.
void EvaluateMonitor(MonitorBlock& block, bool live, const MonitorParams& params,
                     MonitorMemory& memory, LiveValues& values, MonitorView& view);

}  // namespace zeda
