#pragma once
// Which controls of one power output the Power out page shows for the output's mode, as
// data, so the page's refresh only applies it. Thread contract: none (pure functions).

namespace zeda {

struct PoutControls {
  bool switching = false;          // switching table, hysteresis up-down, edit and label
  bool shiftLightPattern = false;  // the switching table edits one marked cell, no graph
  bool pwmDuty = false;            // "PWM [%]" up-down and edit
  bool pwmLabel = false;           // the label beside them
  const char* pwmLabelText = "PWM [%]";
  bool frequency = false;  // "*Frequency [Hz]"
  bool pulse = false;      // "*Pulse [ms]"
  bool pwmTable = false;
};

// The controls for POUT_MODE `mode`; `loadSensor` is whether TPSIAP_SENSOR is not 0.
PoutControls PoutControlsFor(int mode, bool loadSensor);

}  // namespace zeda
