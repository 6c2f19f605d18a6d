#include "params/engine_presets.h"

#include <algorithm>

#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

namespace {

constexpr int kGeber = Adrb::GEBER_MODE;
constexpr int kPolarity0 = Adrb::PICKUP_POLARITY;
constexpr int kSwap = Adrb::PICKUPS_INTERCHANGE;
constexpr int kNoLobeCheck = Adrb::NO_LOBE_CHECK;
constexpr int kSpecialStart = Adrb::SPECIAL_START;
constexpr int kServoEnable = Adrb::SERVO_ENABLE;

// Lobe bytes in stored form: +64 = 2nd edge, +128 = 2nd pick-up (method 14: lobe bit 6).
// clang-format off
constexpr EnginePreset kPresets[] = {
  // bike meth lobes ch listed  start[c0..c3]        end[c0..c3]          extras
  {  0,  1,   3, 2, 2, {  1,   2},            { 65,  66},            {}, 0},
  {  1,  4,   7, 2, 2, {  2,   6},            { 67,  71},            {}, 0},
  {  2,  3,   9, 2, 2, {  1,   7},            { 67,  73},            {}, 0},
  {  3,  3,   9, 2, 2, {  6,   8},            {  7,   9},            {}, 0},
  {  4,  4,   7, 2, 2, {  4,   6},            {  5,   7},            {}, 0},
  {  5,  4,   7, 2, 2, { 65, 197},            { 66, 198},            {}, 0},
  {  6,  4,   7, 2, 2, {  3,   4},            { 68,  69},            {}, 0},
  {  7,  0,   1, 2, 4, {  1, 129, 129,   1},  { 65, 193, 193,  65},  {}, 0},
  {  8,  3,   4, 2, 2, {  1,   3},            {  2,   4},            {}, 0},
  {  9,  2,   6, 2, 2, {  1,   4},            {  2,   5},            {}, 0},
  { 10,  2,   6, 2, 2, {  2,   5},            {  3,   6},            {}, 0},
  { 11,  2,   4, 2, 2, {  4,   2},            {  1,   3},            {{kSpecialStart, 1}}, 1},
  { 12,  2,   4, 2, 2, {  4,   1},            {  1,   2},            {}, 0},
  { 13,  3,   4, 2, 2, {  2,   3},            {  3,   4},            {}, 0},
  { 14,  2,   4, 2, 2, {  3,   2},            {  4,   3},            {}, 0},
  { 15,  2,   4, 2, 2, {  3,   4},            {  4,   1},            {}, 0},
  { 16,  3,   2, 2, 2, {  1,   2},            { 65,  66},            {}, 0},
  { 17,  4,   2, 2, 2, {  2, 193},            {193, 194},            {}, 0},
  { 18,  2,   8, 2, 2, {  3,   7},            {  4,   8},            {}, 0},
  { 19,  2,   4, 2, 2, {  3,   1},            {  4,   2},            {{kServoEnable, 1}}, 1},
  { 20,  1,   5, 2, 2, { 65,  67},            { 66,  68},            {}, 0},
  { 21,  2,   4, 2, 2, {  4,   2},            {  1,   3},            {{kSpecialStart, 1}}, 1},  // as 11
  { 23,  1,   4, 3, 3, {  1,   2,   3},       { 65,  66,  67},       {}, 0},
  { 24,  4,  11, 4, 4, { 68,  71,  74,  65},  { 69,  72,  75,  66},  {}, 0},
  { 25,  1,   7, 4, 4, { 65,  66,  68,  69},  { 66,  67,  69,  70},  {}, 0},
  { 26,  5,   7, 3, 3, {  2,   4,   6},       {  3,   5,   1},       {}, 0},
  { 27,  2,   4, 4, 4, {  4,   2,   2,   4},  {  1,   3,   3,   1},  {}, 0},
  { 28,  0,   1, 2, 4, {  1, 129, 129,   1},  { 65, 193, 193,  65},  {{kGeber, 2}}, 1},  // as 7
  { 29,  0,   1, 1, 4, {  1, 129, 129,   1},  { 65, 193, 193,  65},  {{kGeber, 3}}, 1},  // as 7
  { 30,  0,   1, 2, 4, {  1, 129, 129,   1},  { 65, 193, 193,  65},  {{kGeber, 0}}, 1},  // as 7
  { 31,  7,   2, 2, 2, {  1,   2},            { 65,  66},            {{kPolarity0, 1}, {kGeber, 0}}, 2},
  { 32,  8,  46, 2, 2, { 82, 100},            { 87, 105},            {{kGeber, 0}}, 1},
  { 33,  9,   2, 3, 3, {  1, 129, 130},       { 65, 193, 194},       {}, 0},
  { 34, 10,   4, 3, 3, {  2,   3,   4},       { 66,  67,  68},       {}, 0},
  { 35,  9,   4, 3, 3, {  1, 129, 131},       {  2, 130, 132},       {}, 0},
  { 36, 12,  44, 4, 4, { 90, 102,  80,  68},  { 93, 105,  83,  71},  {{kSwap, 1}, {kGeber, 0}}, 2},
  { 37, 12,  46, 4, 4, { 91, 103,  80,  68},  { 94, 106,  83,  71},  {{kSwap, 1}, {kGeber, 0}}, 2},
  { 38, 13,  18, 1, 1, { 79},                 { 91},                 {}, 0},
  { 39, 14, 116, 4, 4, {198, 106, 228,  76},  {205, 113, 235,  83},  {{kGeber, 0}}, 1},
  { 40, 16,   1, 1, 1, {  1},                 { 65},                 {{kPolarity0, 1}, {kGeber, 2}}, 2},
  { 41, 17,   4, 2, 2, { 66, 194},            { 67, 195},            {{kNoLobeCheck, 0}, {kGeber, 1}}, 2},
  { 42, 18,   6, 1, 2, { 66, 194},            { 67, 195},            {{kNoLobeCheck, 0}, {kGeber, 1}}, 2},
  { 43, 20,  30, 4, 4, { 30,  14,  14,  30},  { 65,  81,  81,  65},  {}, 0},
};
// clang-format on

}  // namespace

const EnginePreset* FindEnginePreset(int bike) {
  for (const EnginePreset& p : kPresets) {
    if (p.bike == bike) return &p;
  }
  return nullptr;
}

void ClearSynchronisation(ParamImage& img, const PageGroups& groups) {
  if (img.Byte(Adrb::BIKE) == BIKE_SPECIAL) return;
  // GEBER_MODE is cleared with the Bike group it belongs to (the preset then sets it), so
  // resetting another page never changes the ignitions per revolution of the engine.
  if (!groups.Has(GROUP_BIKE)) return;
  for (int c = 0; c < 2; ++c) {
    img.SetByte(Adrb::LOBE_START + c, 0);
    img.SetByte(Adrb::LOBE_END + c, 0);
  }
  img.SetByte(Adrb::FOUR_STROKE_2ND_TURN, 0);
  img.SetByte(Adrb::GEBER_MODE, 1);
}

void ApplyEnginePreset(ParamImage& img, const PageGroups& groups) {
  if (!groups.Has(GROUP_BIKE)) return;
  const EnginePreset* p = FindEnginePreset(img.Byte(Adrb::BIKE));
  if (!p) return;  // no preset (e.g. Special setting): synchronisation stays as it is
  img.SetByte(Adrb::PICKUP_SYSTEM, static_cast<uint8_t>(p->method));
  img.SetByte(Adrb::LOBE_COUNT, static_cast<uint8_t>(p->lobes));
  img.SetByte(Adrb::CHANNEL_COUNT, static_cast<uint8_t>(p->channels));
  for (int c = 0; c < p->listed; ++c) {
    img.SetByte(Adrb::LOBE_START + c, p->start[c]);
    img.SetByte(Adrb::LOBE_END + c, p->end[c]);
  }
  for (int i = 0; i < p->extraCount; ++i) img.SetByte(p->extras[i].addr, p->extras[i].value);
  // This unit drives at most two ignition outputs.
  img.SetByte(Adrb::CHANNEL_COUNT,
              static_cast<uint8_t>(std::clamp<int>(img.Byte(Adrb::CHANNEL_COUNT), 1, 2)));
}

}  // namespace zeda
