#pragma once
// NormalizeParams and its helpers: the sanitiser that keeps the image consistent.
//
// It runs after every commit, read and load and before every verify, program and save, so
// every image that leaves the program is normalised. It never fails and reports nothing:
// out-of-range values are corrected silently.
#include "params/param_fields.h"
#include "params/param_image.h"

namespace zeda {

// Series kinds for ClampSeries; add SERIES_SIGNED to read the elements as signed.
inline constexpr int SERIES_FALLING = -1;
inline constexpr int SERIES_BOUNDS = 0;
inline constexpr int SERIES_RISING = 1;
inline constexpr int SERIES_SIGNED = 100;

// Clamps `count` elements starting at element `first` of the series at `base` (Adrw or
// Adrb by `area`): element i must lie in lo + step*i .. hi - step*(n-1-i) (rising),
// lo .. hi (bounds only) or lo + step*(n-1-i) .. hi - step*i (falling); then a rising
// series is made to rise by at least `step` (a falling one to fall). Step 0 lets a rising
// series hold equal neighbours.
void ClampSeries(ParamImage& img, ParamArea area, int kind, int base, int first, int lo, int hi,
                 int count, int step);

// Copies the last used column of each of the ten rows of the map at `base` into the columns
// behind it, so unused columns never hold stale values.
void FillUnusedColumns(ParamImage& img, int base, int usedColumns);

// The dwell time byte a fixed dwell mode (0 or 1) requires; -1 for the modes that carry
// their own time.
int DwellTimeOfMode(int mode);

// The three application settings the normaliser also keeps valid.
struct RepairableSettings {
  int language = 0;     // 0 English, 1 German, 2 Czech
  int comPort = 0;      // -1 off, 0 automatic search, n = port n
  int comPortAuto = 1;  // port the automatic search starts at, 1-255
};
void RepairSettings(RepairableSettings& s);

// Brings the image into its consistent state; repairs `settings` too when given.
void NormalizeParams(ParamImage& img, RepairableSettings* settings = nullptr);

// Recomputes the presence flags and falls back to GEAR 0 when the gear mode lacks its input.
// Returns true when GEAR was changed (the Gear page controls must be reloaded).
bool UpdatePresence(ParamImage& img, Presence& presence);

}  // namespace zeda
