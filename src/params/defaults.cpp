#include "params/defaults.h"

#include "params/engine_presets.h"
#include "params/normalize.h"
#include "params/param_codes.h"
#include "params/param_fields.h"
#include "params/pout_presets.h"

namespace zeda {

namespace {

// Servo axis and values (rpm, mV): the standard ones and those of preset 19.
constexpr int kServoRpmStd[MAP_COLUMNS] = {1000,  2000,  3000,  4000,  6000,  7000,  8000, 9000,
                                           10000, 11000, 12000, 13000, 14000, 15000, 16000};
constexpr int kServoMvStd[MAP_COLUMNS] = {2000, 2100, 2200, 2300, 2400, 2450, 2500, 2550,
                                          2600, 2650, 2700, 2750, 2800, 2850, 2900};
constexpr int kServoRpm19[MAP_COLUMNS] = {300,  400,  4100, 4600, 6500, 6700, 7000, 7200,
                                          7500, 7900, 8300, 8600, 8800, 9000, 10500};
constexpr int kServoMv19[MAP_COLUMNS] = {600,  900,  900,  1220, 1220, 1240, 1290, 1320,
                                         1360, 1480, 1610, 1720, 1800, 1860, 1860};
constexpr int kServoMvPerStep = 20;

// Tachometer pulses per revolution by preset; -1 keeps the current value.
int RpmPulsesFor(int bike) {
  if (bike == 4) return 4;
  if ((bike >= 7 && bike <= 14) || bike == 21 || bike == 23 || bike == 26 ||
      (bike >= 28 && bike <= 30) || (bike >= 34 && bike <= 38))
    return 1;
  if (bike == 22 || bike >= 41) return -1;
  return 2;
}

// Inputs 1-3 always get these functions: Kill switch, Quickshift, Start limiter.
constexpr int kDefaultInputs[INPUTS_OFFERED] = {INPUT_KILL_SWITCH, INPUT_QUICKSHIFT,
                                                INPUT_START_LIMITER};

void WriteTableDefaults(ParamImage& img, const PageGroups& groups) {
  for (const ParamField& f : ParamFields()) {
    const bool write =
        f.rule == DefaultRule::Always || (f.rule == DefaultRule::InGroup && groups.Has(f.group));
    if (!write) continue;
    for (int i = 0; i < f.count; ++i) WriteShown(img, f, i, f.ShownDefault(i));
  }
}

}  // namespace

void ApplyDefaultValues(ParamImage& img, const PageGroups& groups) {
  WriteTableDefaults(img, groups);
  const int bike = img.Byte(Adrb::BIKE);

  if (groups.Has(GROUP_BIKE)) {
    // Revolutions without ignition follow the method the preset is about to set, so the
    // result does not depend on the preset chosen before.
    const EnginePreset* preset = FindEnginePreset(bike);
    const int method = preset ? preset->method : img.Byte(Adrb::PICKUP_SYSTEM);
    img.SetByte(Adrb::REV_WITHOUT_IGNITION, method == 0 ? 1 : 0);
    const int pulses = RpmPulsesFor(bike);
    if (pulses >= 0) img.SetByte(Adrb::RPM_PULSES, static_cast<uint8_t>(pulses));
  }

  if (groups.Has(GROUP_SERVO)) {
    const bool p19 = bike == 19;
    const int* rpm = p19 ? kServoRpm19 : kServoRpmStd;
    const int* mv = p19 ? kServoMv19 : kServoMvStd;
    const ParamField& axis = Field(FieldId::SERVO_RPM);
    for (int c = 0; c < MAP_COLUMNS; ++c) {
      WriteShown(img, axis, c, rpm[c]);
      for (int r = 0; r < MAP_ROWS; ++r)
        img.SetByte(Adrb::SERVO + MAP_COLUMNS * r + c,
                    static_cast<uint8_t>(mv[c] / kServoMvPerStep));
    }
  }

  if (groups.Has(GROUP_MISC))
    img.SetByte(Adrb::INPUT_NEUTRAL_SS, bike == 2 ? 1 : 0);  // preset 2 has a side stand
  for (int i = 0; i < INPUTS_OFFERED; ++i)
    img.SetByte(Adrb::INPUT_FUNCTION + i, static_cast<uint8_t>(kDefaultInputs[i]));

  // The switching presets follow the modes the table defaults just set.
  if (groups.Has(GROUP_POWER_OUT)) {
    for (int k = 0; k < POUT_COUNT; ++k) ApplyPoutPreset(img, k, PoutPresetVariant::Default);
  }
}

void ApplyDefaultsForPage(ParamImage& img, PageGroups& groups, int page, bool& bikeChangedByHand) {
  img.SetByte(Adrb::ZERO_BYTE, 0);
  groups.Set(page);
  // A hand-picked "Special setting" keeps everything the user had.
  if (!(img.Byte(Adrb::BIKE) == BIKE_SPECIAL && bikeChangedByHand)) ApplyDefaultValues(img, groups);
  ClearSynchronisation(img, groups);
  ApplyEnginePreset(img, groups);
  bikeChangedByHand = false;
}

void ApplyDefaultsForPage(ParamImage& img, PageGroups& groups, int page) {
  bool byHand = false;
  ApplyDefaultsForPage(img, groups, page, byHand);
}

bool NewParams(ImageBuffers& buffers, int page, NewAnswer answer) {
  if (answer != NewAnswer::Yes) return false;
  ApplyDefaultsForPage(buffers.params, buffers.pageGroups, page, buffers.bikeChangedByHand);
  NormalizeParams(buffers.params);
  return true;
}

ParamImage StartImage() {
  ParamImage img;
  img.SetByte(Adrb::BIKE, BIKE_START);
  PageGroups groups;
  ApplyDefaultsForPage(img, groups, -1);
  NormalizeParams(img);
  return img;
}

}  // namespace zeda
