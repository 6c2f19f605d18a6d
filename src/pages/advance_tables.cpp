#include "pages/advance_tables.h"

#include "mapedit/table_factories.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

const AdvanceMapBinding kAdvanceMaps[kAdvanceSheets] = {
    {{FieldId::RPM_ADV, FieldId::ADV_IAP, FieldId::ADVANCE, FieldId::ADV_COLUMNS},
     FieldId::ADV_MAP},
    {{FieldId::RPM_ADV2, FieldId::ADV2_IAP, FieldId::ADVANCE2, FieldId::ADV2_COLUMNS},
     FieldId::ADV2_MAP},
};

TTab* CreateAdvanceTables(TTableSet& set, int id, const ParamImage& img, uint32_t colour, int width,
                          int height) {
  AdvanceMapOptions o;
  o.colour = colour;
  TTab* t = CreateAdvanceMap(set, id, o, width, height);
  if (t) LoadAdvanceTables(*t, img);
  return t;
}

void SetAdvanceRowAxes(TTab& t, const ParamImage& img) {
  for (int m = 0; m < kAdvanceSheets && m < t.sheetCount; ++m) {
    const bool useRows = ReadStored(img, kAdvanceMaps[m].usesRows) == 1;
    LoadMapRowAxis(t, m, img, kAdvanceMaps[m].fields.iap, useRows);
    t.Normalise(m, kPartY | kForgetLastEdited);
  }
  t.Rebuild();
}

void LoadAdvanceTables(TTab& t, const ParamImage& img) {
  SetAdvanceRowAxes(t, img);
  for (int m = 0; m < kAdvanceSheets && m < t.sheetCount; ++m)
    LoadMapSheet(t, m, img, kAdvanceMaps[m].fields);
  t.baseAdvance = t.givenBaseAdvance = ReadShown(img, Field(FieldId::BASE_ADV), 0);
  t.Rebuild();
}

void StoreAdvanceSheet(const TTab& t, int sheet, ParamImage& img) {
  if (sheet < 0 || sheet >= kAdvanceSheets || sheet >= t.sheetCount) return;
  const CSheet& s = t.Sheet(sheet);
  // Without a load sensor the rows are collapsed whatever the flag says: the flag keeps the
  // user's choice for when a sensor is set again.
  if (LoadSensorOf(img) != LOAD_SENSOR_NONE)
    WriteStored(img, kAdvanceMaps[sheet].usesRows, 0, SheetUsesRows(s, img) ? 1 : 0);
  StoreMapSheet(s, img, kAdvanceMaps[sheet].fields);
}

void StoreAdvanceTables(const TTab& t, ParamImage& img) {
  for (int m = 0; m < kAdvanceSheets; ++m) StoreAdvanceSheet(t, m, img);
}

bool BaseAdvanceInUse(const TTab& t, int32_t liveRpm) {
  if (!t.HasSheets()) return false;
  const CAxe& x = t.Cur().axisX;
  return liveRpm < x.values[0] * x.scale;
}

}  // namespace zeda
