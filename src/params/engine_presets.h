#pragma once
// Engine presets: the synchronisation values each BIKE code selects.
#include <cstdint>

#include "params/param_image.h"

namespace zeda {

struct EnginePreset {
  struct Extra {
    int addr;  // Adrb of a further field the preset sets
    uint8_t value;
  };
  int bike;          // BIKE code
  int method;        // PICKUP_SYSTEM
  int lobes;         // LOBE_COUNT
  int channels;      // CHANNEL_COUNT as listed (limited to 1-2 afterwards)
  int listed;        // channels whose lobe bytes the preset gives
  uint8_t start[4];  // stored LOBE_START of the listed channels
  uint8_t end[4];    // stored LOBE_END
  Extra extras[2];
  int extraCount;
};

// The preset row of a BIKE code, or nullptr (codes 22, 44-254 and 255 have none).
const EnginePreset* FindEnginePreset(int bike);

// Clear synchronisation: unless BIKE is 255, with the Bike group the lobe bytes of channels 0
// and 1 and FOUR_STROKE_2ND_TURN become 0 and GEBER_MODE becomes 1.
void ClearSynchronisation(ParamImage& img, const PageGroups& groups);

// Writes the preset row of BIKE when the Bike group is selected, then keeps CHANNEL_COUNT
// to the 1-2 outputs this unit drives. A code without a preset changes nothing.
void ApplyEnginePreset(ParamImage& img, const PageGroups& groups);

}  // namespace zeda
