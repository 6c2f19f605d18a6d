#pragma once
// The Sensors page's two calibration tables and the image: "TP sensor" (rows TP 0 % and
// TP 100 %, cells TPS_0 and TPS_100) and "IAP sensor" (rows IAP_P1 and IAP_P2 in kPa, cells
// IAP_V1 and IAP_V2). Cells hold millivolts and are shown in volts; only the first column
// of each table is used.
//
// What the page calls: CreateSensorTables once; LoadSensorTables on every page load;
// SensorTablesShownFor on a refresh; StoreSensorTable from a table's change report, then the
// commit; SetThrottleCalibration for the " TP 0 %    " and "TP 100 %" buttons, then the
// commit. Thread contract: main thread only.
#include <cstdint>

#include "mapedit/table_set.h"
#include "params/param_image.h"

namespace zeda {

struct SensorTables {
  TTab* throttle = nullptr;
  TTab* pressure = nullptr;
};

// Rows of the throttle table.
inline constexpr int kThrottleRowClosed = 0;  // TP 0 %
inline constexpr int kThrottleRowOpen = 1;    // TP 100 %

// Both tables with consecutive ids, loaded from the image; a table the window has no room
// for stays nullptr.
SensorTables CreateSensorTables(TTableSet& set, int firstId, const ParamImage& img,
                                uint32_t colour);

void LoadSensorTables(const SensorTables& t, const ParamImage& img);

// Which table the page shows for TPSIAP_SENSOR: the throttle one (with its two buttons)
// for TP, the pressure one for IAP, neither without a load sensor.
struct SensorTablesShown {
  bool throttle = false;
  bool pressure = false;
};
SensorTablesShown SensorTablesShownFor(const ParamImage& img);

// The table that reported a change into the image; false when it is neither of them.
bool StoreSensorTable(const SensorTables& t, const TTab& changed, ParamImage& img);

// A throttle button: the voltage the unit reports now into the row (clamped to 0-5000 mV)
// and the image.
void SetThrottleCalibration(const SensorTables& t, int row, int32_t millivolts, ParamImage& img);

}  // namespace zeda
