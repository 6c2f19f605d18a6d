#pragma once
// The .ignlog recording: a header (fixed part, index of low offset words, high offset
// words) followed by the record area. Little-endian throughout. Constants only.
#include <cstddef>
#include <cstdint>

namespace zeda {

inline constexpr int kIgnlogBaseHeader = 12256;  // header length with no high words
inline constexpr int kIgnlogMaxHeader = 24256;   // with all 6000 high words
inline constexpr int kIgnlogMaxRecords = 6000;
inline constexpr int kIgnlogMaxData = 2000000;  // record area

// Offsets into the header.
struct IgnlogAt {
  enum : int {
    HEADER_LENGTH = 0,
    START = 4,  // seconds since 1970 UTC, signed
    OS_MAJOR = 8,
    OS_MINOR = 12,
    OS_BUILD = 16,
    OS_PLATFORM = 20,
    DISPLAYS = 24,  // four displays: left, width, top, height, signed 16-bit
    CHECKBOX_LEFT = 56,
    UNIT_KEY = 60,
    DESCRIPTION = 62,
    DATA_LENGTH = 248,
    INITIAL = 252,
    COUNT = 254,
    LOW_WORDS = 256,
    HIGH_WORDS = kIgnlogBaseHeader,
  };
};
inline constexpr int kIgnlogDescriptionBytes = 186;
inline constexpr int kIgnlogDisplays = 4;

// Record head: length (head included), type, 0, time in ms since the start.
inline constexpr int kRecordHead = 8;

enum IgnlogRecordType : uint8_t {
  kRecordConnection = 1,
  kRecordParameters = 2,
  kRecordUnitImage = 3,
  kRecordMonitor = 4,
  kRecordPageState = 5,
};

inline constexpr int kConnectionRecordLength = 84;
inline constexpr int kImageRecordLength = 1058;
inline constexpr int kMonitorRecordLength = 158;  // monitor positions 0-149
inline constexpr int kPageStateRecordLength = 112;
inline constexpr int kConnectionTextBytes = 75;
inline constexpr int kPageStateTables = 50;
inline constexpr int kIgnlogPageCount = 10;    // page index 0-9
inline constexpr int kPageStateTableIds = 12;  // offsets in a page-state record
inline constexpr int kPageStateSheets = 62;

// The least length of a record of a type (its own length for types 1-5, the head else).
int IgnlogRecordLength(int type);

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, v & 0xFFFF);
  PutU16(p + 2, v >> 16);
}

}  // namespace zeda
