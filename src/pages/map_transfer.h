#pragma once
// Moving a 15 x 10 map (the two advance maps, the servo map) between the parameter image
// and a map-editor sheet: rpm points, used column count, cells and the load (row) axis.
// Thread contract: main thread only, like the tables and the image they serve.
#include "mapedit/tab_model.h"
#include "params/param_fields.h"
#include "params/param_image.h"

namespace zeda {

// The image fields of one 15 x 10 map.
struct MapFields {
  FieldId rpm;      // 15 rpm points, stored in hundreds (the sheet's raw X values)
  FieldId iap;      // the 10 load words used when the load sensor is IAP
  FieldId cells;    // 10 rows x 15 columns, row 0 the lowest load
  FieldId columns;  // rpm columns in use
};

// TPSIAP_SENSOR, an unknown code read as "none".
int LoadSensorOf(const ParamImage& img);

// The row axis of a map sheet for the load sensor: none gives a single rpm curve (the rows
// always collapsed), TP the fixed throttle points, IAP the map's stored words in kPa.
// `useRows` chooses between the rpm curve and the whole map when a sensor is set.
void LoadMapRowAxis(TTab& t, int sheet, const ParamImage& img, FieldId iap, bool useRows);

// The rpm points, used columns and cells from the image; the sheet is normalised after.
void LoadMapSheet(TTab& t, int sheet, const ParamImage& img, const MapFields& f);

// Whether the sheet works over its load axis: a load sensor is set and the rows are not
// collapsed into one rpm curve.
bool SheetUsesRows(const CSheet& s, const ParamImage& img);

// The used rpm columns of a sheet, 1 ... 15.
int UsedColumns(const CSheet& s);

// The rpm points, the cells (the columns from the used count on receive the last used
// column, as the unit expects) and the used count into the image. The IAP words are written
// only while the row axis is the pressure axis in use: with a throttle sensor the sheet
// holds the fixed throttle points, which must not overwrite the stored pressure axis.
void StoreMapSheet(const CSheet& s, ParamImage& img, const MapFields& f);

}  // namespace zeda
