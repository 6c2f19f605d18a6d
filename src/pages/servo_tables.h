#pragma once
// The Servo page's map editor and the image: one sheet "Servo" (15 rpm columns x 10 load
// rows) whose values are servo positions in volts (0-250 x 0.02 V) or percent (0-100), with
// the sheet's own on/off switch standing for the servo enable.
//
// What the page calls: CreateServoTables once; LoadServoTable on every page load and refresh;
// StoreServoTable from the editor's change report (after TakeOverlaysIntoImage), then the
// commit; ApplyServoPercent when the page is stored and the "Percent" box no longer matches
// the image, then the commit. Thread contract: main thread only.
#include <cstdint>

#include "mapedit/table_set.h"
#include "pages/map_transfer.h"
#include "params/param_image.h"

namespace zeda {

extern const MapFields kServoMapFields;

// SERVO_MAP: the map over rpm alone, over rpm and load, or over load alone (rpm collapsed).
inline constexpr int SERVO_MAP_RPM = 0;
inline constexpr int SERVO_MAP_RPM_LOAD = 1;
inline constexpr int SERVO_MAP_LOAD = 2;

TTab* CreateServoTables(TTableSet& set, int id, const ParamImage& img, uint32_t colour,
                        int width = 0, int height = 0);

// The row mode from SERVO_MAP, the enable flag, the value axis by SERVO_PERCENT, rpm points,
// cells and used columns.
void LoadServoTable(TTab& t, const ParamImage& img);

// SERVO_MAP for the sheet's axis use: 0 whenever there is no load sensor.
int ServoMapMode(const CSheet& s, const ParamImage& img);

// SERVO_ENABLE from the sheet's switch, the IAP words (pressure axis in use), SERVO_MAP,
// rpm points, cells and SERVO_COLUMNS.
void StoreServoTable(const TTab& t, ParamImage& img);

// One cell from volts to percent (250 -> 100) and back (100 -> 250), rounding to nearest.
int32_t ServoCellToPercent(int32_t v);
int32_t ServoCellToVolts(int32_t v);

// When `percent` differs from SERVO_PERCENT: converts every cell and switches the value
// axis, stores SERVO_PERCENT and the converted map; true when it did.
bool ApplyServoPercent(TTab& t, ParamImage& img, bool percent);

}  // namespace zeda
