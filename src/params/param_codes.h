#pragma once
// Code values of the parameters that hold codes rather than quantities.
#include <cstdint>

namespace zeda {

// BIKE: engine presets this build offers; 255 = synchronisation set by hand.
inline constexpr int BIKE_SPECIAL = 255;
inline constexpr int BIKE_START = 7;  // the preset the program starts with
inline constexpr int kBikesOffered[] = {7, 28, 29, 30, 41, 42, 255};

// INPUT_FUNCTION codes.
enum InputFunction : int {
  INPUT_OFF = 0,
  INPUT_KILL_SWITCH = 1,
  INPUT_BLOCKING = 2,
  INPUT_QUICKSHIFT = 3,
  INPUT_QUICKSHIFT_INV = 4,
  INPUT_RETARD = 5,
  INPUT_START_LIMITER = 6,
  INPUT_2ND_ADVANCE = 7,
  INPUT_GEAR = 8,
  INPUT_SPEED = 9,
  INPUT_N2O = 10,
  INPUT_TACHO_LAMBDA = 11,
};
// Codes each offered input accepts, bit n = code n (inputs 1, 2, 3).
inline constexpr uint32_t kInputAllowedMask[] = {239, 495, 751};
// Codes for which inverse polarity is offered.
inline constexpr uint32_t kInputInverseMask =
    (1u << 3) | (1u << 4) | (1u << 5) | (1u << 6) | (1u << 7) | (1u << 10) | (1u << 11);

// POUT_MODE codes; any other value is replaced by POUT_SPECIAL.
enum PoutMode : int {
  POUT_OFF = 0,
  POUT_FUEL_PUMP = 1,
  POUT_GEAR_SHIFT_LIGHT = 2,
  POUT_POWER_JET_HONDA = 3,
  POUT_SPECIAL_PULSE = 253,
  POUT_SPECIAL_PWM = 254,
  POUT_SPECIAL = 255,
};
constexpr bool IsPoutMode(int m) {
  return (m >= POUT_OFF && m <= POUT_POWER_JET_HONDA) || m == POUT_SPECIAL_PULSE ||
         m == POUT_SPECIAL_PWM || m == POUT_SPECIAL;
}

// TPSIAP_SENSOR codes.
inline constexpr int LOAD_SENSOR_NONE = 0;
inline constexpr int LOAD_SENSOR_TP = 1;
inline constexpr int LOAD_SENSOR_IAP = 2;
// The fixed throttle load axis (%) used when the load sensor is TP; not stored in the image.
inline constexpr int kTpLoadAxis[] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};

// GEAR codes.
inline constexpr int GEAR_NONE = 0;
inline constexpr int GEAR_VOLTAGE_MODE = 1;
inline constexpr int GEAR_RATIO_MODE = 2;
inline constexpr int GEAR_RATIO_AUTO = 3;

}  // namespace zeda
