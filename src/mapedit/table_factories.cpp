#include "mapedit/table_factories.h"

namespace zeda {
namespace tick_ranges {
namespace {
std::vector<TickRange> Make(std::initializer_list<std::initializer_list<double>> rows) {
  std::vector<TickRange> out;
  for (const auto& r : rows) {
    TickRange t;
    int i = 0;
    for (double d : r) t.d[i++] = d;
    out.push_back(t);
  }
  return out;
}
}  // namespace

const std::vector<TickRange>& Rpm() {
  static const auto kV = Make({{4000, 2000, 1000, 200, 1000},
                               {10000, 2000, 1000, 500, 1000},
                               {25000, 2000, 1000, 1000, 2000}});
  return kV;
}
const std::vector<TickRange>& RpmSwitching() {
  static const auto kV = Make({{25000, 2000, 1000, 1000, 2000}});
  return kV;
}
const std::vector<TickRange>& Advance() {
  static const auto kV = Make({{10, 5, 1, 1, 2}, {30, 5, 5, 5, 5}});
  return kV;
}
const std::vector<TickRange>& ThrottleSwitching() {
  static const auto kV = Make({{100, 25, 25, 10, 25}});
  return kV;
}
const std::vector<TickRange>& Voltage() {
  static const auto kV = Make({{2, 1, 0.2, 0.2, 1}, {5, 1, 0.5, 0.5, 1}});
  return kV;
}
const std::vector<TickRange>& SensorLoad() {
  static const auto kV = Make({{10, 2, 1, 1, 2},
                               {100, 20, 20, 20, 20},
                               {500, 100, 100, 100, 100},
                               {1000, 200, 200, 200, 200}});
  return kV;
}
const std::vector<TickRange>& ServoPercent() {
  static const auto kV =
      Make({{10, 5, 1, 1, 2}, {30, 5, 5, 5, 5}, {100, 20, 10, 5, 20}, {500, 100, 50, 25, 100}});
  return kV;
}
}  // namespace tick_ranges

namespace {

constexpr int kProportional = 1;
constexpr int kDataOptions = 2;  // the 3D view scales the data by its limits

// rpm breakpoints are stored in hundreds.
void DefineRpmAxis(TTab& t, int sheet, int points, bool resizable, int fixMode, uint32_t group,
                   const std::vector<TickRange>& ticks, uint32_t colour) {
  t.DefineAxis(sheet, 1, "RPM", "", 3, 250, 100, 1, ticks, true, kProportional, 1, points, fixMode,
               false, resizable, -1, group, colour);
}

void DefineSensorVoltage(TTab& t, int sheet, uint32_t colour) {
  t.DefineAxis(sheet, 4, "U", "V", 0, 5000, 0.001, 1, tick_ranges::Voltage(), true, kDataOptions, 1,
               0, 0, false, false, -1, 0, colour);
}

// The sensor tables have one fixed X point: the table is a single curve over Y.
void DefineSensorX(TTab& t, int sheet, uint32_t colour) {
  t.DefineAxis(sheet, 1, "", "", 0, 100, 1, 1, {}, false, 0, 1, 1, 2, true, false, -1, 0, colour);
}

void Finish(TTab& t) {
  for (int i = 0; i < t.sheetCount; ++i) t.Normalise(i, kPartAll | kForgetLastEdited);
  t.SelectSheet(0);
}

}  // namespace

void DefineMapLoadAxis(TTab& t, int sheet, const MapLoadOptions& load, uint32_t group,
                       uint32_t colour) {
  CSheet& s = t.Sheet(sheet);
  int fixMode = load.loadSensor ? 1 : 2;
  if (load.iapLoad) {
    s.axisY.label = "IAP [kPa]";
    t.DefineAxis(sheet, 2, "IAP", "kPa", 0, 999, 1, 1, tick_ranges::SensorLoad(), true,
                 kProportional, 1, kMapLoadPoints, fixMode, !load.loadSensor, true, -2, group,
                 colour);
  } else {
    s.axisY.label = "TP [%]";
    t.DefineAxis(sheet, 2, "TP", "%", 0, 100, 1, 1, tick_ranges::SensorLoad(), false, kProportional,
                 1, kMapLoadPoints, fixMode, !load.loadSensor, false, -2, group, colour);
    for (int i = 0; i < kMapLoadPoints; ++i) s.axisY.values[i] = kThrottlePoints[i];
  }
}

void DefineServoValueAxis(TTab& t, int sheet, bool percent, uint32_t colour) {
  if (sheet < 0 || sheet >= t.sheetCount) return;
  t.Sheet(sheet).axisData.label = percent ? "STPS [%]" : "STPS [V]";
  if (percent)
    t.DefineAxis(sheet, 4, "[%]", "%", 0, 100, 1, 1, tick_ranges::ServoPercent(), true,
                 kDataOptions, 1, 0, 0, false, false, -1, 0, colour);
  else
    t.DefineAxis(sheet, 4, "U", "V", 0, 250, 0.02, 1, tick_ranges::Voltage(), true, kDataOptions, 1,
                 0, 0, false, false, -1, 0, colour);
}

TTab* CreateAdvanceMap(TTableSet& set, int id, const AdvanceMapOptions& o, int width, int height) {
  TTab* t = set.CreateTable(id, width, height, kStyleAdvanceMap);
  if (!t) return nullptr;
  // Sheet names are three-language texts: the tabs and the screen reader name follow a switch.
  const char* names[2] = {"###Advance 1##Vorz\u00fcndung 1##P\u0159edstih 1",
                          "###Advance 2##Vorz\u00fcndung 2##P\u0159edstih 2"};
  for (int m = 0; m < 2; ++m) {
    int s = t->AddSheet(names[m], "RPM", "", "ADV [\u00b0]", kMapRpmPoints, kMapLoadPoints,
                        kFlagsAdvanceSheet);
    DefineRpmAxis(*t, s, kMapRpmPoints, true, 0, 0x100, tick_ranges::Rpm(), o.colour);
    DefineMapLoadAxis(*t, s, o.load[m], 0x100, o.colour);
    t->DefineAxis(s, 4, "ADV", "\u00b0", -30, 60, 1, 1, tick_ranges::Advance(), true, kDataOptions,
                  1, 0, 0, false, false, -1, 0x100, o.colour);
  }
  t->shareOtherX = true;
  Finish(*t);
  return t;
}

TTab* CreateServoMap(TTableSet& set, int id, const ServoMapOptions& o, int width, int height) {
  TTab* t = set.CreateTable(id, width, height, kStyleServoMap);
  if (!t) return nullptr;
  // The same word in all three languages.
  int s = t->AddSheet("###Servo##Servo##Servo", "RPM", "", o.percent ? "STPS [%]" : "STPS [V]",
                      kMapRpmPoints, kMapLoadPoints, kFlagsServoSheet);
  DefineRpmAxis(*t, s, kMapRpmPoints, true, 1, 0, tick_ranges::Rpm(), o.colour);
  DefineMapLoadAxis(*t, s, o.load, 0, o.colour);
  DefineServoValueAxis(*t, s, o.percent, o.colour);
  Finish(*t);
  return t;
}

TTab* CreateSwitchingTable(TTableSet& set, int id, const std::string& name, uint32_t colour,
                           int width, int height) {
  TTab* t = set.CreateTable(id, width, height, kStyleSwitchingTable);
  if (!t) return nullptr;
  int s = t->AddSheet(name, "RPM", "TP [%]", "PO", 3, 2, kFlagsOutputSheet);
  DefineRpmAxis(*t, s, 3, false, 0, 0, tick_ranges::RpmSwitching(), colour);
  t->DefineAxis(s, 2, "TP", "%", 0, 100, 1, 1, tick_ranges::ThrottleSwitching(), true,
                kProportional, 1, 2, 1, false, true, -2, 0, colour);
  t->DefineAxis(s, 4, "PO", "", 0, 2, 1, 1, tick_ranges::Advance(), false, kDataOptions, 1, 0, 0,
                false, false, -1, 0, colour);
  Finish(*t);
  return t;
}

TTab* CreatePwmTable(TTableSet& set, int id, const std::string& name, uint32_t colour, int width,
                     int height) {
  TTab* t = set.CreateTable(id, width, height, kStylePwmTable);
  if (!t) return nullptr;
  int s = t->AddSheet(name, "RPM", "TP [%]", "PO [%]", 6, 4, kFlagsOutputSheet);
  DefineRpmAxis(*t, s, 6, false, 1, 0, tick_ranges::Rpm(), colour);
  t->DefineAxis(s, 2, "TP", "%", 0, 100, 1, 1, tick_ranges::SensorLoad(), true, kProportional, 1, 4,
                1, false, true, -1, 0, colour);
  t->DefineAxis(s, 4, "PO", "%", 0, 100, 1, 1, tick_ranges::Advance(), true, kDataOptions, 1, 0, 0,
                false, false, -1, 0, colour);
  Finish(*t);
  return t;
}

TTab* CreateThrottleSensorTable(TTableSet& set, int id, uint32_t colour, int width, int height) {
  TTab* t = set.CreateTable(id, width, height, kStyleSensorTable);
  if (!t) return nullptr;
  int s = t->AddSheet("###TP sensor##TP-Sensor##Sn\u00edma\u010d TP", "", "TP [%]", "U [V]", 1, 2,
                      kFlagsTpIapSensorSheet);
  DefineSensorX(*t, s, colour);
  t->DefineAxis(s, 2, "TP", "%", 0, 100, 1, 1, tick_ranges::SensorLoad(), false, kProportional, 2,
                2, 0, false, false, -1, 0, colour);
  t->Sheet(s).axisY.values[0] = 0;
  t->Sheet(s).axisY.values[1] = 100;
  DefineSensorVoltage(*t, s, colour);
  Finish(*t);
  return t;
}

TTab* CreatePressureSensorTable(TTableSet& set, int id, uint32_t colour, int width, int height) {
  TTab* t = set.CreateTable(id, width, height, kStyleSensorTable);
  if (!t) return nullptr;
  int s = t->AddSheet("###IAP sensor##IAP-Sensor##Sn\u00edma\u010d IAP", "", "P [kPa]", "U [V]", 1,
                      2, kFlagsTpIapSensorSheet);
  DefineSensorX(*t, s, colour);
  t->DefineAxis(s, 2, "P", "kPa", 0, 999, 1, 1, tick_ranges::SensorLoad(), true, kProportional, 2,
                2, 0, false, false, -1, 0, colour);
  DefineSensorVoltage(*t, s, colour);
  Finish(*t);
  return t;
}

TTab* CreateLambdaSensorTable(TTableSet& set, int id, uint32_t colour, int width, int height) {
  TTab* t = set.CreateTable(id, width, height, kStyleSensorTable);
  if (!t) return nullptr;
  int s = t->AddSheet("###Lambda sensor##Lambdasonde##Lambda sonda", "", "AFR", "U [V]", 1, 6,
                      kFlagsLambdaSensorSheet);
  DefineSensorX(*t, s, colour);
  t->DefineAxis(s, 2, "AFR", "", 0, 250, 0.1, 1, tick_ranges::SensorLoad(), true, kProportional, 6,
                6, 0, false, false, -1, 0, colour);
  DefineSensorVoltage(*t, s, colour);
  Finish(*t);
  return t;
}

}  // namespace zeda
