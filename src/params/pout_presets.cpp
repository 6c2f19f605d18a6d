#include "params/pout_presets.h"

#include "params/param_codes.h"
#include "params/param_fields.h"

namespace zeda {

namespace {

// clang-format off
constexpr PoutSwitchPreset kPresets[] = {
    //  mode                    rpm points           load      bits          hyst
    {POUT_GEAR_SHIFT_LIGHT, {9000, 9500, 14000},  {75, 90}, {12, 14, 14}, 100},
    {POUT_POWER_JET_HONDA,  {4000, 12500, 14000}, {75, 90}, {14, 12, 12}, 100},
    {-1,                    {4000, 12500, 14000}, {75, 90}, {2, 2, 2},    100},
};
// clang-format on

bool HasOwnPreset(int mode) {
  return mode == POUT_GEAR_SHIFT_LIGHT || mode == POUT_POWER_JET_HONDA;
}

}  // namespace

const PoutSwitchPreset& PoutPresetForMode(int mode) {
  for (const auto& p : kPresets) {
    if (p.mode == mode) return p;
  }
  return kPresets[std::size(kPresets) - 1];
}

void ApplyPoutPreset(ParamImage& img, int k, PoutPresetVariant variant) {
  if (k < 0 || k >= POUT_COUNT) return;
  const int mode = img.Byte(Adrb::POUT_MODE + k);
  if (variant != PoutPresetVariant::Default && !HasOwnPreset(mode)) return;
  const PoutSwitchPreset& p = PoutPresetForMode(mode);

  for (int r = 0; r < POUT_SW_ROWS; ++r)
    WriteStored(img, FieldId::POUT_SW_BITS, POUT_SW_ROWS * k + r, p.bits[r]);
  if (variant == PoutPresetVariant::Normalising) return;

  const ParamField& rpm = Field(FieldId::POUT_SW_RPM);
  for (int i = 0; i < POUT_SW_RPM_POINTS; ++i)
    WriteShown(img, rpm, POUT_SW_RPM_POINTS * k + i, p.rpm[i]);
  const ParamField& load = Field(FieldId::POUT_SW_LOAD);
  for (int i = 0; i < POUT_SW_LOAD_POINTS; ++i)
    WriteShown(img, load, POUT_SW_LOAD_POINTS * k + i, p.load[i]);
  WriteShown(img, Field(FieldId::POUT_HYSTER), k, p.hysteresisRpm);
}

void ApplyPowerOutputDefaults(ParamImage& img) {
  // Every InGroup field of the power-out group takes its table default (modes, special-mode
  // values, PWM axes and map); the switching tables then follow each output's mode.
  for (const ParamField& f : ParamFields()) {
    if (f.group != GROUP_POWER_OUT || f.rule != DefaultRule::InGroup) continue;
    for (int i = 0; i < f.count; ++i) WriteShown(img, f, i, f.ShownDefault(i));
  }
  for (int k = 0; k < POUT_COUNT; ++k) ApplyPoutPreset(img, k, PoutPresetVariant::Default);
}

}  // namespace zeda
