#pragma once
// The Advance Map page's map editor and the image: two sheets "Advance 1" and "Advance 2"
// (15 rpm columns x 10 load rows) with the base advance overlay.
//
// What the page calls: CreateAdvanceTables once; LoadAdvanceTables on every page load;
// SetAdvanceRowAxes on a refresh (the load sensor or a map flag changed elsewhere);
// StoreAdvanceTables from the editor's change report, after the overlays
// (TakeOverlaysIntoImage), then the commit. Thread contract: main thread only.
#include <cstdint>

#include "mapedit/table_set.h"
#include "pages/map_transfer.h"
#include "params/param_image.h"

namespace zeda {

inline constexpr int kAdvanceSheets = 2;

// Per sheet: the map's fields and its "uses the load axis" flag.
struct AdvanceMapBinding {
  MapFields fields;
  FieldId usesRows;  // ADV_MAP / ADV2_MAP
};
extern const AdvanceMapBinding kAdvanceMaps[kAdvanceSheets];

// The map editor with both sheets, loaded from the image. nullptr when the window holds 50
// tables already.
TTab* CreateAdvanceTables(TTableSet& set, int id, const ParamImage& img, uint32_t colour,
                          int width = 0, int height = 0);

// The two row axes from TPSIAP_SENSOR, ADV_MAP and ADV2_MAP (IAP words included).
void SetAdvanceRowAxes(TTab& t, const ParamImage& img);

// Everything the page shows: row axes, rpm points, cells, used columns and the base advance.
void LoadAdvanceTables(TTab& t, const ParamImage& img);

// One sheet into the image: ADV_MAP, the IAP words (pressure axis in use), rpm points,
// cells + 100 and the used column count.
void StoreAdvanceSheet(const TTab& t, int sheet, ParamImage& img);

// Both sheets: an edit left pending on one sheet may be committed after the user selected
// the other, so the change report stores both (an unchanged sheet stores what it loaded).
void StoreAdvanceTables(const TTab& t, ParamImage& img);

// The page tick: the base advance applies (its caption is drawn green) while the engine
// runs below the first rpm point of the shown sheet.
bool BaseAdvanceInUse(const TTab& t, int32_t liveRpm);

}  // namespace zeda
