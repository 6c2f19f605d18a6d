#pragma once
// The monitor block: 151 positions, position 0 stays 0, positions 1-150 hold the unit's
// monitor answer (answer byte 0 at position 1). Two views over the same bytes: byte
// positions (Monb) and word positions (Monw, word w = positions 2w low and 2w+1 high).
//
// A plain value: copied freely; no thread contract of its own (the window's block is
// written and read on the user-interface thread only).
#include <array>
#include <cstdint>
#include <cstring>

namespace zeda {

inline constexpr int kMonitorPositions = 151;
inline constexpr int kMonitorAnswerBytes = 150;

// Word positions the program decodes.
struct Monw {
  enum : int {
    RPM = 1,
    TPS = 2,  // sensor voltage, mV
    TPSIAP = 3,
    BATTERY = 4,
    SERVO = 5,
    SERVO_TG = 6,
    PROGRAM_COUNT = 7,
    SAVE_COUNTDOWN = 8,
    ADV_MAX = 9,  // channels 1-4: words 9-12
    DWELL_OPT = 13,
    DWELL = 14,
    MOTO_MIN_LO = 15,
    TEST = 16,  // Test1-Test10: words 16-25
    PROP = 21,  // Prop1-Prop5: words 21-25
    SPEED = 26,
    GEAR = 27,  // gear sensor voltage, mV
    GEAR_RATIO = 28,
    GEAR_RATIO_AUTO = 29,  // gears 1-6: words 29-34
    ACCELERATION = 35,
    POTI = 36,
    POTI_VAL = 37,
    OVERVOLTAGE_COUNTER = 39,
    CAPTURE_LENGTH = 49,
    ADV_MAX_CSV = 60,  // words 60-63, read by the CSV output only
    HWKEY = 73,
  };
};

// Byte positions the program decodes.
struct Monb {
  enum : int {
    BIKE = 1,
    LOAD_MODE = 100,
    ADV = 105,  // channels 1-4: bytes 105-108, degrees + 100, 0 = base advance
    POUT = 109,
    POUT_MODE = 110,  // outputs 1-4: bytes 110-113
    MOTO_MIN_HI = 115,
    SERVO = 116,
    SERVO_TARG = 117,
    SYNCHRO = 118,
    CHANNELS = 119,
    GEAR = 121,
    POTI_MODE = 122,
    FULL_SYNC = 127,
    CAPTURE_HEADER = 128,
    PICKUP = 140,
    INPUT_ACTIVE = 141,
    INPUT_LEVEL = 142,
    FUNCTION_ENABLED = 143,
    ERRORS = 144,
    STATES = 145,
    RSKEY_MINOR = 149,
    RSKEY_MAJOR = 150,
  };
};

// Bits of the flag bytes.
struct MonBit {
  enum : int {
    // Monb::PICKUP
    PICKUP1_RUN = 0,
    PICKUP2_RUN = 1,
    SYNCHRO1_ERR = 2,
    SYNCHRO2_ERR = 3,
    POLARITY1 = 4,
    POLARITY2 = 5,
    POLARITY1_ERR = 6,
    POLARITY2_ERR = 7,
    // Monb::INPUT_ACTIVE and Monb::FUNCTION_ENABLED
    KILL_SWITCH = 0,
    BLOCKING = 1,
    CLUTCH_MASTER = 2,
    RETARD = 3,
    START_LIMITER = 4,
    SECOND_ADV = 5,
    TACHO_LAMBDA = 6,
    N2O_EN = 7,
    // Monb::INPUT_LEVEL: bits 0-5 inputs 1-6 grounded
    OVERVOLTAGE_TIME = 7,
    // Monb::ERRORS
    EE_DATA_ERR = 0,
    IAP_ERR = 1,
    TPS_ERR = 2,
    DWELL_ERR = 3,
    SERVO_OK = 4,
    // Monb::STATES
    LIMITER = 0,
    LIMITER_SOFT = 1,
    START_LIMITER_ACT = 2,
    START_LIMITER_SOFT = 3,
    SERVO_PROC_MV = 4,
    SERVO_EN = 5,
    SPEED_EN = 6,
    GEAR_EN = 7,
    // Monb::FULL_SYNC: bits 0-3 cylinders 1-4
    FULL_SYNC_REPORTED = 4,
  };
};

struct MonitorBlock {
  std::array<uint8_t, kMonitorPositions> pos{};

  uint8_t Byte(int b) const {
    return b >= 0 && b < kMonitorPositions ? pos[static_cast<std::size_t>(b)] : 0;
  }
  uint16_t Word(int w) const { return static_cast<uint16_t>(Byte(2 * w) | (Byte(2 * w + 1) << 8)); }
  bool Bit(int b, int k) const { return ((Byte(b) >> k) & 1) != 0; }

  // Takes a whole block (151 positions); position 0 is kept 0.
  void Assign(const uint8_t* block) {
    std::memcpy(pos.data(), block, kMonitorPositions);
    pos[0] = 0;
  }
  void Clear() { pos.fill(0); }
  friend bool operator==(const MonitorBlock&, const MonitorBlock&) = default;
};

}  // namespace zeda
