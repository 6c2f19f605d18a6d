#pragma once
// Presets of the power outputs' switching tables.
#include <cstdint>

#include "params/param_image.h"

namespace zeda {

struct PoutSwitchPreset {
  int mode;         // POUT_MODE it belongs to, or -1 for the plain preset of other modes
  int rpm[3];       // switching rpm points, rpm
  int load[2];      // switching load points (% throttle or kPa)
  uint8_t bits[3];  // switching bytes, rows 0-2
  int hysteresisRpm;
};

// Gear shift light (mode 2), Power jet Honda (mode 3), and the plain preset of other modes.
const PoutSwitchPreset& PoutPresetForMode(int mode);

enum class PoutPresetVariant {
  Default,      // the whole preset of the output's mode (power output defaults)
  User,         // the whole preset for modes 2 and 3, nothing otherwise (a mode chosen by hand)
  Normalising,  // only the switching bytes, only for modes 2 and 3
};

// Applies the preset of output k's current POUT_MODE (k 0-3) in the given variant.
void ApplyPoutPreset(ParamImage& img, int output, PoutPresetVariant variant);

// The power output defaults: modes 1, 2, 3, 255 with their presets, the special-mode
// values, the PWM axes and a zero PWM map for every output.
void ApplyPowerOutputDefaults(ParamImage& img);

}  // namespace zeda
