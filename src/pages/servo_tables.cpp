#include "pages/servo_tables.h"

#include <algorithm>

#include "mapedit/table_factories.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

const MapFields kServoMapFields = {FieldId::SERVO_RPM, FieldId::SERVO_IAP, FieldId::SERVO,
                                   FieldId::SERVO_COLUMNS};

namespace {

constexpr int kServoSheet = 0;

bool PercentOf(const ParamImage& img) { return ReadStored(img, FieldId::SERVO_PERCENT) != 0; }

// The rows collapse for SERVO_MAP 0 (and without a sensor); the rpm columns for mode 2,
// which needs the load axis and so never applies without a sensor.
void SetServoAxisUse(TTab& t, const ParamImage& img) {
  const int mode = ReadStored(img, FieldId::SERVO_MAP);
  LoadMapRowAxis(t, kServoSheet, img, kServoMapFields.iap, mode != SERVO_MAP_RPM);
  CSheet& s = t.Sheet(kServoSheet);
  s.axisX.fixed =
      s.axisX.fixMode == 2 || (s.axisX.fixMode == 1 && mode == SERVO_MAP_LOAD && !s.axisY.fixed);
}

}  // namespace

TTab* CreateServoTables(TTableSet& set, int id, const ParamImage& img, uint32_t colour, int width,
                        int height) {
  ServoMapOptions o;
  o.colour = colour;
  o.percent = PercentOf(img);
  TTab* t = CreateServoMap(set, id, o, width, height);
  if (t) LoadServoTable(*t, img);
  return t;
}

void LoadServoTable(TTab& t, const ParamImage& img) {
  if (t.sheetCount <= kServoSheet) return;
  CSheet& s = t.Sheet(kServoSheet);
  DefineServoValueAxis(t, kServoSheet, PercentOf(img), s.axisData.colour);
  SetServoAxisUse(t, img);
  s.enabled = ReadStored(img, FieldId::SERVO_ENABLE) != 0;
  LoadMapSheet(t, kServoSheet, img, kServoMapFields);
  t.Rebuild();
}

int ServoMapMode(const CSheet& s, const ParamImage& img) {
  if (!SheetUsesRows(s, img)) return SERVO_MAP_RPM;
  return s.axisX.fixed ? SERVO_MAP_LOAD : SERVO_MAP_RPM_LOAD;
}

void StoreServoTable(const TTab& t, ParamImage& img) {
  if (t.sheetCount <= kServoSheet) return;
  const CSheet& s = t.Sheet(kServoSheet);
  WriteStored(img, FieldId::SERVO_ENABLE, 0, s.enabled ? 1 : 0);
  WriteStored(img, FieldId::SERVO_MAP, 0, ServoMapMode(s, img));
  StoreMapSheet(s, img, kServoMapFields);
}

// floor(0.4 v + 0.5) and floor(2.5 v + 0.5) in integers, for the non-negative cells.
int32_t ServoCellToPercent(int32_t v) { return (4 * std::max(v, 0) + 5) / 10; }
int32_t ServoCellToVolts(int32_t v) { return (5 * std::max(v, 0) + 1) / 2; }

bool ApplyServoPercent(TTab& t, ParamImage& img, bool percent) {
  if (t.sheetCount <= kServoSheet || percent == PercentOf(img)) return false;
  CSheet& s = t.Sheet(kServoSheet);
  // Every stored cell, not only the used block: the columns behind the used count and the
  // rows of a collapsed map are written back too and must stay in the new unit.
  for (int r = 0; r < MAP_ROWS; ++r)
    for (int c = 0; c < MAP_COLUMNS; ++c)
      s.Cell(c, r) = percent ? ServoCellToPercent(s.Cell(c, r)) : ServoCellToVolts(s.Cell(c, r));
  DefineServoValueAxis(t, kServoSheet, percent, s.axisData.colour);
  t.Normalise(kServoSheet, kPartCells);
  WriteStored(img, FieldId::SERVO_PERCENT, 0, percent ? 1 : 0);
  StoreServoTable(t, img);
  t.Rebuild();
  return true;
}

}  // namespace zeda
