#pragma once
// The Power out page's tables and the image: per output k (0-3) a switching table (a zone
// table: 3 rpm borders x 2 load borders give 4 x 3 zones, zone (row r, column i) = bit i of
// switching byte r) and a PWM table (6 rpm x 4 load points of duty or pulse period).
//
// What the page calls: CreatePoutTables once; LoadPoutTables on every page load (and after
// a mode click has applied its preset); SetPoutTableRanges on a refresh when an output's mode
// or the load sensor changed; StorePoutTable from a table's change report, then the commit.
// Thread contract: main thread only.
#include <array>
#include <cstdint>

#include "mapedit/table_set.h"
#include "params/param_addresses.h"
#include "params/param_image.h"

namespace zeda {

inline constexpr int kPoutZoneColumns = POUT_SW_RPM_POINTS + 1;
inline constexpr int kPoutZoneRows = POUT_SW_LOAD_POINTS + 1;

struct PoutTables {
  std::array<TTab*, POUT_COUNT> switching{};
  std::array<TTab*, POUT_COUNT> pwm{};
};

// The eight tables: switching tables with ids firstId ... firstId + 3, PWM tables with the
// next four; a table the window has no room for stays nullptr. Loaded from the image.
PoutTables CreatePoutTables(TTableSet& set, int firstId, const ParamImage& img, uint32_t colour);

// Axes, zones, PWM cells, value ranges and row axes of every output.
void LoadPoutTables(const PoutTables& t, const ParamImage& img);

// The PWM table's values by the output's mode: in mode 253 a pulse period in steps of 50 ms
// from (POUT_SPULSE + 9) / 10 to 200, otherwise a duty of 0-100 %; and both tables' row
// axis "TP" (0-100 %) or, with the IAP sensor, "IAP" (0-999 kPa). Clamps the cells.
void SetPoutTableRanges(const PoutTables& t, int output, const ParamImage& img);

// The output a table belongs to, -1 for none.
int PoutOutputOf(const PoutTables& t, const TTab& table);

// The table that reported a change into the image; false when it is none of them. Bits 4-7
// of the switching bytes lie outside the zones and are kept.
bool StorePoutTable(const PoutTables& t, const TTab& changed, ParamImage& img);

// The switching hysteresis of output k in rpm, shown with its switching table.
int32_t PoutHysteresisRpm(const ParamImage& img, int output);

}  // namespace zeda
