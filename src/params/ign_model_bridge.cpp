#include "params/ign_model_bridge.h"

namespace zeda::ign_bridge {

// Filled in from the parameter model as its pieces land.
void ApplyDefaultsForPage(ParamImage&, int) {}
void ApplyPowerOutputDefaults(ParamImage&) {}
void ApplyUserPoutPreset(ParamImage&, int) {}
void Normalize(ParamImage&) {}

}  // namespace zeda::ign_bridge
