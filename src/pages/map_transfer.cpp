#include "pages/map_transfer.h"

#include <algorithm>

#include "mapedit/table_factories.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

namespace {

// Raw limits of the stored rpm points (hundreds of rpm) and of the IAP words (kPa).
constexpr int32_t kRpmRawMin = 3;
constexpr int32_t kRpmRawMax = 250;
constexpr int32_t kIapMax = 999;

int32_t ShownCell(const ParamImage& img, const ParamField& f, int r, int c) {
  return ReadShown(img, f, r * MAP_COLUMNS + c);
}

}  // namespace

int LoadSensorOf(const ParamImage& img) {
  const int s = img.Byte(Adrb::TPSIAP_SENSOR);
  return s == LOAD_SENSOR_TP || s == LOAD_SENSOR_IAP ? s : LOAD_SENSOR_NONE;
}

void LoadMapRowAxis(TTab& t, int sheet, const ParamImage& img, FieldId iap, bool useRows) {
  if (sheet < 0 || sheet >= t.sheetCount) return;
  CSheet& s = t.Sheet(sheet);
  const int sensor = LoadSensorOf(img);
  MapLoadOptions load;
  load.loadSensor = sensor != LOAD_SENSOR_NONE;
  load.iapLoad = sensor == LOAD_SENSOR_IAP;
  DefineMapLoadAxis(t, sheet, load, s.axisY.groupMask, s.axisY.colour);
  if (load.iapLoad) {
    for (int i = 0; i < MAP_ROWS; ++i)
      s.axisY.values[i] = std::clamp<int32_t>(ReadStored(img, iap, i), 0, kIapMax);
  }
  if (s.axisY.fixMode != 2) s.axisY.fixed = !useRows;
  // The image holds exactly ten load points per map: rows are edited, never added or removed.
  s.axisY.resizable = false;
}

void LoadMapSheet(TTab& t, int sheet, const ParamImage& img, const MapFields& f) {
  if (sheet < 0 || sheet >= t.sheetCount) return;
  CSheet& s = t.Sheet(sheet);
  for (int i = 0; i < MAP_COLUMNS; ++i) s.axisX.values[i] = ReadStored(img, f.rpm, i);
  // A count of 0 or above 15 means all columns, as the normaliser reads it.
  const int used = img.Byte(Field(f.columns).addr);
  s.axisX.count = used == 0 || used > MAP_COLUMNS ? MAP_COLUMNS : used;
  const ParamField& cells = Field(f.cells);
  for (int r = 0; r < MAP_ROWS; ++r)
    for (int c = 0; c < MAP_COLUMNS; ++c) s.Cell(c, r) = ShownCell(img, cells, r, c);
  t.Normalise(sheet, kPartAll | kForgetLastEdited);
}

bool SheetUsesRows(const CSheet& s, const ParamImage& img) {
  return LoadSensorOf(img) != LOAD_SENSOR_NONE && !s.axisY.fixed;
}

int UsedColumns(const CSheet& s) { return std::clamp<int>(s.axisX.count, 1, MAP_COLUMNS); }

void StoreMapSheet(const CSheet& s, ParamImage& img, const MapFields& f) {
  const int used = UsedColumns(s);
  for (int i = 0; i < MAP_COLUMNS; ++i)
    WriteStored(img, f.rpm, i, std::clamp(s.axisX.values[i], kRpmRawMin, kRpmRawMax));
  if (s.axisY.key == "IAP" && SheetUsesRows(s, img)) {
    for (int i = 0; i < MAP_ROWS; ++i)
      WriteStored(img, f.iap, i, std::clamp<int32_t>(s.axisY.values[i], 0, kIapMax));
  }
  const ParamField& cells = Field(f.cells);
  // Rows cannot be removed here, but a sheet with fewer rows must still write ten.
  const int rows = std::clamp<int>(s.axisY.count, 1, MAP_ROWS);
  for (int r = 0; r < MAP_ROWS; ++r) {
    for (int c = 0; c < MAP_COLUMNS; ++c) {
      const int32_t v = s.Cell(std::min(c, used - 1), std::min(r, rows - 1));
      const int32_t shown = std::clamp(v, cells.lo, cells.hi);
      WriteShown(img, cells, r * MAP_COLUMNS + c, shown);
    }
  }
  WriteStored(img, f.columns, 0, used);
}

}  // namespace zeda
