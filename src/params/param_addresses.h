#pragma once
// Addresses of the parameters in the image: Adrw (word view) and Adrb (byte view).
//
// Each name is the address of the field's first element; arrays continue at the next
// addresses (see the field table for counts). The enumerators live inside a struct so that
// names like GEAR or SERVO stay scoped (Adrb::GEAR) yet still work in address arithmetic.

namespace zeda {

struct Adrw {
  enum : int {
    TPS_0 = 0,
    TPS_100 = 1,
    IAP_P1 = 2,
    IAP_V1 = 3,
    IAP_P2 = 4,
    IAP_V2 = 5,
    ADV_IAP = 6,         // 10 words
    ADV2_IAP = 16,       // 10 words
    SERVO_IAP = 26,      // 10 words
    POUT_SW_LOAD = 36,   // 36 + 2k + i, output k 0-3, point i 0-1
    POUT_PWM_LOAD = 44,  // 44 + 4k + i, point i 0-3
    POTENTIOMETER_RANGE = 60,
    SPEED_PULSES = 61,
    GEAR_RATIO = 62,    // gears 1-6
    GEAR_VOLTAGE = 68,  // gears 0-6
    UNUSED_75 = 75,
    START_SOFT_LIMITER = 76,
    START_LIMITER = 77,
    SOFT_LIMITER = 78,
    LIMITER = 79,
    PROPRIETARY = 80,  // 5 signed words
    END = 85,          // first word past the word parameters
  };
};

struct Adrb {
  enum : int {
    // Word area: words 0-84 occupy bytes 0-169; bytes 170-184 are carried unchanged.
    WORDS_END = 2 * Adrw::END,

    // Single-byte parameters.
    BIKE = 185,
    NO_READING = 186,
    PICKUP_POLARITY = 187,  // 2 bytes
    PICKUPS_INTERCHANGE = 189,
    NO_LOBE_CHECK = 190,
    INTERLOCK_INPUT = 191,
    SPARK_BEFORE_LOBE = 192,
    SPECIAL_START = 193,
    SPECIAL_DWELL_START = 194,
    REV_WITHOUT_IGNITION = 195,
    COMPENSATION = 196,
    RPM_PULSES = 197,
    RPM_CORRECTION = 198,
    PICKUP_SYSTEM = 199,
    LOBE_COUNT = 200,
    CHANNEL_COUNT = 201,
    GEBER_MODE = 202,
    LOBE_START = 203,  // channels 0-3
    LOBE_END = 207,    // channels 0-3
    FOUR_STROKE = 211,
    SPECIAL_START_PERC = 212,
    START_LIMITER_DELAY = 220,
    RETARD = 223,
    DWELL = 224,  // 7 bytes, the first is the dwell mode
    TPSIAP_SENSOR = 231,
    POTENTIOMETER = 232,
    MAP2_ACCEL = 233,
    INPUT_FUNCTION = 234,  // inputs 1-6
    INPUT_INVERSE = 240,
    INPUT_NEUTRAL_SS = 241,
    BASE_ADV = 248,
    ADV_MAP = 249,
    ADV2_MAP = 250,
    ADV_COLUMNS = 251,
    ADV2_COLUMNS = 252,
    CORR_ADVANCE = 253,  // cylinders 1-4
    POUT_MODE = 259,     // outputs 1-4
    POUT_SW_RPM = 263,   // 263 + 3k + i
    POUT_HYSTER = 275,   // 275 + k
    POUT_SPWM_FR = 279,
    POUT_SP_PWM = 283,
    POUT_SPULSE = 287,
    POUT_SW_BITS = 291,  // 291 + 3k + r
    POUT_PWM_RPM = 303,  // 303 + 6k + i
    POUT_PWM_MAP = 327,  // 327 + 24k + 6r + i
    SERVO_ENABLE = 423,
    SERVO_PERCENT = 424,
    SERVO_MAP = 425,
    SERVO_COLUMNS = 426,
    SERVO_HYSTER = 427,
    SERVO_NO = 428,
    GEAR = 431,
    GEAR_COUNT = 432,
    SPEED_MODE = 433,
    GEAR_AUTO_TIME = 434,
    GEAR_AUTO_RPM = 435,
    GEAR_AUTO_TPS = 436,
    GEAR_AUTO_BAND = 437,
    CLUTCH_MODE = 440,
    CLUTCH_TIME = 441,  // gear 0-1, 2, ... 6
    CLUTCH_PAUSE1 = 447,
    CLUTCH_PAUSE2 = 448,
    CLUTCH_MIN_RPM = 449,
    CLUTCH_ADV = 450,
    GEAR_CORR_ADV = 451,
    GEAR_CORR_LIMITER = 457,
    GEAR_CORR_SERVO = 463,
    GEAR_CORR_POUT = 469,  // 469 + 6j + g
    TEST_RPM = 497,
    TEST_SERVO_TIME = 498,
    SYNC_POLARITY = 499,
    ZERO_BYTE = 500,  // always 0
    FOUR_STROKE_2ND_TURN = 501,
    SERVO_SENSOR = 502,
    MAX_LOBE_LEN = 513,
    FLYWHEEL_OPERATION = 514,
    ADV2TOOUT2 = 515,
    BYTES_BEGIN = BIKE,
    BYTES_END = 516,  // first byte past the byte parameters; 516-554 are carried unchanged

    // Tables, 15 bytes per map row.
    TABLES_BEGIN = 555,
    SERVO_RPM = 555,
    RPM_ADV = 570,
    RPM_ADV2 = 585,
    ADVANCE = 600,   // 10 rows x 15
    SERVO = 750,     // 10 rows x 15
    ADVANCE2 = 900,  // 10 rows x 15
    END = 1050,      // first byte past the image
  };
};

// Map geometry shared by the three 10 x 15 maps.
inline constexpr int MAP_ROWS = 10;
inline constexpr int MAP_COLUMNS = 15;
inline constexpr int MAP_CELLS = MAP_ROWS * MAP_COLUMNS;

// Power outputs and their tables.
inline constexpr int POUT_COUNT = 4;
inline constexpr int POUT_SW_RPM_POINTS = 3;
inline constexpr int POUT_SW_LOAD_POINTS = 2;
inline constexpr int POUT_SW_ROWS = 3;  // switching bytes per output (the third is carried only)
inline constexpr int POUT_PWM_RPM_POINTS = 6;
inline constexpr int POUT_PWM_LOAD_POINTS = 4;
inline constexpr int POUT_PWM_CELLS = POUT_PWM_RPM_POINTS * POUT_PWM_LOAD_POINTS;

inline constexpr int CHANNEL_SLOTS = 4;   // LOBE_START / LOBE_END channels
inline constexpr int INPUT_SLOTS = 6;     // INPUT_FUNCTION bytes
inline constexpr int INPUTS_OFFERED = 3;  // inputs this build shows and looks at
inline constexpr int GEAR_SLOTS = 6;      // per-gear race values (0-1, 2, ... 6)

}  // namespace zeda
