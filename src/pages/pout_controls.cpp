#include "pages/pout_controls.h"

#include "params/param_codes.h"

namespace zeda {

namespace {

// One row per mode that shows anything; Off, Fuel pump and unknown modes show nothing.
struct ModeRow {
  int mode;
  PoutControls controls;
};
// clang-format off
constexpr ModeRow kModes[] = {
    //  mode                  switching shiftLight duty   label  text       freq   pulse  pwmTable
    {POUT_GEAR_SHIFT_LIGHT, {true,     true,      false, false, "PWM [%]", false, false, false}},
    {POUT_POWER_JET_HONDA,  {true,     false,     false, false, "PWM [%]", false, false, false}},
    {POUT_SPECIAL,          {true,     false,     true,  true,  "PWM [%]", false, false, false}},
    {POUT_SPECIAL_PWM,      {false,    false,     false, false, "(PWM duty)", true, false, true}},
    {POUT_SPECIAL_PULSE,    {false,    false,     false, false, "(Period)", false, true,  true}},
};
// clang-format on

}  // namespace

PoutControls PoutControlsFor(int mode, bool loadSensor) {
  for (const ModeRow& row : kModes) {
    if (row.mode != mode) continue;
    PoutControls c = row.controls;
    // With a load sensor the label names what the PWM table holds in the two table modes.
    if (loadSensor && (mode == POUT_SPECIAL_PWM || mode == POUT_SPECIAL_PULSE)) c.pwmLabel = true;
    return c;
  }
  return {};
}

}  // namespace zeda
