#pragma once
// Where the device machine's gauge stands while a read or write job runs.
#include <cstdint>

namespace zeda {

// Percent of [rangeStart, rangeEnd) that lies below `address` (0 for an empty range),
// clamped to 0-100.
int32_t RangePercent(int32_t address, int32_t rangeStart, int32_t rangeEnd);

// The gauge value of `state` at percent p: the checking states share one plan of 2400
// units, so the bar runs once over the whole check; every other state shows p.
int32_t GaugeForState(int32_t state, int32_t p);

// Address range of the checking quarter of `state` (48-51, 56-59): quarter k = state mod 4
// from k * 1050 / 4 to (k + 1) * 1050 / 4, each rounded up to a multiple of 150.
void QuarterRange(int32_t state, int32_t* start, int32_t* end);

}  // namespace zeda
