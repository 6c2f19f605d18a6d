#pragma once
// The values other parts take from the last decoded monitor block: the page ticks (gear,
// race, advance caption), the map editors' operating point, the device machine's save
// countdown. Plain data, written by the monitor refresh on the user-interface thread and
// read there.
#include <cstdint>
#include <limits>

namespace zeda {

// A minute counter the unit has not reported yet (or the monitor is not live).
inline constexpr int32_t kMinutesUnknown = std::numeric_limits<int32_t>::max();

struct LiveValues {
  bool live = false;
  int32_t engineSpeed = 0;      // 1/min
  int32_t loadMode = 0;         // 0 none, 1 throttle, 2 manifold pressure
  int32_t throttleTenths = -1;  // 0.1 %, -1 unless load mode 0 or 1
  int32_t pressureKpa = -1;     // kPa, -1 unless load mode 2
  int32_t sensorMv = 0;         // throttle / pressure sensor voltage
  int32_t saveCountdown = 0;
  int32_t potiMv = 0;
  int32_t bike = 0;
  bool tpsError = false;
  bool iapError = false;
  bool secondAdvance = false;  // the 2ND_ADV input is active
  bool synchro1Error = false;
  bool synchro2Error = false;
  int32_t gearMv = 0;
  int32_t gearRatio = 0;  // tenths
  int32_t gear = 0;
  int32_t hourMeterMinutes = kMinutesUnknown;
  int32_t overvoltageMinutes = kMinutesUnknown;  // when the last overvoltage occurred
  bool pickup1Good = false;
  bool pickup2Good = false;
  bool dataErrorShown = false;  // the programmed-data error label is visible
};

}  // namespace zeda
