#include "params/ign_model_bridge.h"

#include "params/defaults.h"
#include "params/normalize.h"
#include "params/pout_presets.h"

namespace zeda::ign_bridge {

void ApplyDefaultsForPage(ParamImage& img, int page) {
  PageGroups groups;
  zeda::ApplyDefaultsForPage(img, groups, page);
}

void ApplyPowerOutputDefaults(ParamImage& img) { zeda::ApplyPowerOutputDefaults(img); }

void ApplyUserPoutPreset(ParamImage& img, int output) {
  ApplyPoutPreset(img, output, PoutPresetVariant::User);
}

void Normalize(ParamImage& img) { NormalizeParams(img); }

}  // namespace zeda::ign_bridge
