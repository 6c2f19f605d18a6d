#pragma once
// The tables of this program, built with their styles, sheets, flags, axes, tick ranges
// and graph groups. The pages create them and then copy the parameter values in.
#include <cstdint>
#include <string>
#include <vector>

#include "mapedit/table_set.h"

namespace zeda {

inline constexpr uint32_t kStyleAdvanceMap = 0x71;
inline constexpr uint32_t kStyleServoMap = 0x71;
inline constexpr uint32_t kStyleSwitchingTable = 0x2030;
inline constexpr uint32_t kStylePwmTable = 0x30;
inline constexpr uint32_t kStyleSensorTable = 0x130;

inline constexpr uint32_t kFlagsAdvanceSheet = 0x701;
inline constexpr uint32_t kFlagsServoSheet = 0x609;
inline constexpr uint32_t kFlagsOutputSheet = 0x001;
inline constexpr uint32_t kFlagsTpIapSensorSheet = 0x7A2;
inline constexpr uint32_t kFlagsLambdaSensorSheet = 0x003;

inline constexpr int kMapRpmPoints = 15;
inline constexpr int kMapLoadPoints = 10;

// Tick records of the axes of this program's tables.
namespace tick_ranges {
const std::vector<TickRange>& Rpm();           // advance, servo and PWM tables
const std::vector<TickRange>& RpmSwitching();  // switching tables
const std::vector<TickRange>& Advance();       // "ADV", "PO"
const std::vector<TickRange>& ThrottleSwitching();
const std::vector<TickRange>& Voltage();     // sensor "U", servo volts
const std::vector<TickRange>& SensorLoad();  // throttle, kPa, AFR of the sensor tables
const std::vector<TickRange>& ServoPercent();
}  // namespace tick_ranges

// The fixed throttle breakpoints of a map over throttle.
inline constexpr int32_t kThrottlePoints[kMapLoadPoints] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};

struct MapLoadOptions {
  bool loadSensor = true;  // without a load sensor the load axis is always fixed
  bool iapLoad = false;    // load from the manifold pressure sensor instead of the throttle
};

// (Re)defines the load axis of a map sheet: throttle over the fixed points, manifold pressure
// over editable kPa breakpoints, or, without a load sensor, always fixed. The pages call it
// again when the load sensor changes.
void DefineMapLoadAxis(TTab& t, int sheet, const MapLoadOptions& load, uint32_t group,
                       uint32_t colour);

struct AdvanceMapOptions {
  MapLoadOptions load[2];  // per map
  uint32_t colour = 0xFFFFFF;
};
// "Advance 1" and "Advance 2" over rpm and load.
TTab* CreateAdvanceMap(TTableSet& set, int id, const AdvanceMapOptions& o, int width = 0,
                       int height = 0);

struct ServoMapOptions {
  MapLoadOptions load;
  bool percent = false;  // servo positions in percent instead of volts
  uint32_t colour = 0xFFFFFF;
};
// The servo map's values: volts (0-250 x 0.02, "STPS [V]") or percent (0-100, "STPS [%]").
void DefineServoValueAxis(TTab& t, int sheet, bool percent, uint32_t colour);
TTab* CreateServoMap(TTableSet& set, int id, const ServoMapOptions& o, int width = 0,
                     int height = 0);

// Power output tables (one per output): the on/off zones and the PWM duty.
TTab* CreateSwitchingTable(TTableSet& set, int id, const std::string& name, uint32_t colour,
                           int width = 0, int height = 0);
TTab* CreatePwmTable(TTableSet& set, int id, const std::string& name, uint32_t colour,
                     int width = 0, int height = 0);

// Sensor calibration tables.
TTab* CreateThrottleSensorTable(TTableSet& set, int id, uint32_t colour, int width = 0,
                                int height = 0);
TTab* CreatePressureSensorTable(TTableSet& set, int id, uint32_t colour, int width = 0,
                                int height = 0);
TTab* CreateLambdaSensorTable(TTableSet& set, int id, uint32_t colour, int width = 0,
                              int height = 0);

}  // namespace zeda
