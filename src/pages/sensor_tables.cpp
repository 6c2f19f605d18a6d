#include "pages/sensor_tables.h"

#include <algorithm>

#include "mapedit/table_factories.h"
#include "params/param_codes.h"
#include "params/param_fields.h"

namespace zeda {

namespace {

constexpr int kSheet = 0;
constexpr int kColumn = 0;
constexpr int kRows = 2;

// Per row of a table: the field of its cell and, for the pressure table, of its breakpoint.
struct SensorRow {
  FieldId cell;
  FieldId point;  // COUNT_ when the row axis is fixed (the throttle table's 0 % and 100 %)
};
constexpr SensorRow kThrottleRows[kRows] = {{FieldId::TPS_0, FieldId::COUNT_},
                                            {FieldId::TPS_100, FieldId::COUNT_}};
constexpr SensorRow kPressureRows[kRows] = {{FieldId::IAP_V1, FieldId::IAP_P1},
                                            {FieldId::IAP_V2, FieldId::IAP_P2}};

void LoadRows(TTab* t, const SensorRow (&rows)[kRows], const ParamImage& img) {
  if (!t || t->sheetCount <= kSheet) return;
  CSheet& s = t->Sheet(kSheet);
  for (int r = 0; r < kRows; ++r) {
    s.Cell(kColumn, r) = ReadShown(img, Field(rows[r].cell), 0);
    if (rows[r].point != FieldId::COUNT_)
      s.axisY.values[r] = ReadShown(img, Field(rows[r].point), 0);
  }
  t->Normalise(kSheet, kPartAll | kForgetLastEdited);
  t->Rebuild();
}

void StoreRows(const TTab& t, const SensorRow (&rows)[kRows], ParamImage& img) {
  if (t.sheetCount <= kSheet) return;
  const CSheet& s = t.Sheet(kSheet);
  for (int r = 0; r < kRows; ++r) {
    const ParamField& cell = Field(rows[r].cell);
    WriteShown(img, cell, 0, std::clamp(s.Cell(kColumn, r), cell.lo, cell.hi));
    if (rows[r].point == FieldId::COUNT_) continue;
    const ParamField& point = Field(rows[r].point);
    WriteShown(img, point, 0, std::clamp(s.axisY.values[r], point.lo, point.hi));
  }
}

}  // namespace

SensorTables CreateSensorTables(TTableSet& set, int firstId, const ParamImage& img,
                                uint32_t colour) {
  SensorTables t;
  t.throttle = CreateThrottleSensorTable(set, firstId, colour);
  t.pressure = CreatePressureSensorTable(set, firstId + 1, colour);
  LoadSensorTables(t, img);
  return t;
}

void LoadSensorTables(const SensorTables& t, const ParamImage& img) {
  LoadRows(t.throttle, kThrottleRows, img);
  LoadRows(t.pressure, kPressureRows, img);
}

SensorTablesShown SensorTablesShownFor(const ParamImage& img) {
  const int sensor = ReadStored(img, FieldId::TPSIAP_SENSOR);
  return {sensor == LOAD_SENSOR_TP, sensor == LOAD_SENSOR_IAP};
}

bool StoreSensorTable(const SensorTables& t, const TTab& changed, ParamImage& img) {
  if (&changed == t.throttle) {
    StoreRows(changed, kThrottleRows, img);
    return true;
  }
  if (&changed == t.pressure) {
    StoreRows(changed, kPressureRows, img);
    return true;
  }
  return false;
}

void SetThrottleCalibration(const SensorTables& t, int row, int32_t millivolts, ParamImage& img) {
  if (row < kThrottleRowClosed || row > kThrottleRowOpen) return;
  const ParamField& f = Field(kThrottleRows[row].cell);
  const int32_t mv = std::clamp(millivolts, f.lo, f.hi);
  WriteShown(img, f, 0, mv);
  if (t.throttle && t.throttle->sheetCount > kSheet)
    t.throttle->Sheet(kSheet).Cell(kColumn, row) = mv;
}

}  // namespace zeda
