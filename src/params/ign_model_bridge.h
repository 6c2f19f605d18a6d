#pragma once
// The few operations of the parameter model that file loading needs, in one place so that
// the reader and the load sequence do not depend on how the model spells them.
#include "params/param_image.h"

namespace zeda::ign_bridge {

// Defaults for a page selection (-1 = all pages), including the engine preset of BIKE.
void ApplyDefaultsForPage(ParamImage& img, int page);
// Power output defaults (every output, default variant of its mode's preset).
void ApplyPowerOutputDefaults(ParamImage& img);
// The output preset of output k's mode as a user's mode choice applies it (modes 2, 3).
void ApplyUserPoutPreset(ParamImage& img, int output);
// NormalizeParams on the image alone.
void Normalize(ParamImage& img);

}  // namespace zeda::ign_bridge
