#pragma once
// Sizes of the static parameter layout, for the start-up self-checks.
//
// Each excess is fixed at build time; a check fails when its excess is above 0 (bit-field
// groups: when a group has more than 8 bits). With the layout as it is every excess is <= 0.
//
// Wiring into the self-checks' LayoutSizes:
//   adrwEnd = kAdrwEnd; wordAreaWords = kWordAreaWords; adrbEnd = kAdrbEnd;
//   byteAreaEnd = kByteAreaEnd; tablesBegin = kTablesBegin; bitfieldBits = kBitFieldBits;
//   imageLength = kImageLength.
#include <array>

#include "params/param_addresses.h"
#include "params/param_image.h"

namespace zeda::layout {

// Word area: words 0-84 (bytes 0-169).
inline constexpr int kWordAreaWords = 85;
inline constexpr int kAdrwEnd = Adrw::END;  // one past the last word address (85)
inline constexpr int kAdrwExcess = kAdrwEnd - kWordAreaWords;

// Byte area: the single-byte parameters, bytes 170-554, then the tables 555-1049.
inline constexpr int kByteParamsBegin = Adrb::BYTES_BEGIN;  // 185
inline constexpr int kAdrbEnd = Adrb::BYTES_END;         // one past the last byte parameter (516)
inline constexpr int kByteAreaEnd = Adrb::TABLES_BEGIN;  // 555
inline constexpr int kTablesBegin = Adrb::TABLES_BEGIN;  // 555
inline constexpr int kTablesEnd = Adrb::END;             // 1050
inline constexpr int kAdrbExcess = kAdrbEnd - kByteAreaEnd;
// The byte parameters must end before the tables begin.
inline constexpr int kBytesIntoTablesExcess = kAdrbEnd - kTablesBegin;
// The tables must end with the image.
inline constexpr int kTablesExcess = kTablesEnd - PARAM_IMAGE_SIZE;
// The word area must end before the byte parameters begin.
inline constexpr int kWordsIntoBytesExcess = Adrb::WORDS_END - kByteParamsBegin;

// The six bit-field groups of the image and their number of bits (each must be <= 8).
struct BitFieldGroup {
  const char* name;
  int bits;
};
inline constexpr BitFieldGroup kBitFieldGroups[6] = {
    {"LOBE_START", 8},            // lobe number 0-5, 2nd edge 6, 2nd pick-up 7
    {"LOBE_END", 8},              // as LOBE_START
    {"LOBE_METHOD_14", 8},        // lobe number 0-5 and 7, 2nd edge 6
    {"INPUT_INVERSE", 6},         // one bit per input 1-6
    {"FOUR_STROKE_2ND_TURN", 4},  // one bit per channel
    {"POUT_SW_BITS", 4},          // three switching cells, bit 3 carried
};
inline constexpr std::array<int, 6> kBitFieldBits = {
    kBitFieldGroups[0].bits, kBitFieldGroups[1].bits, kBitFieldGroups[2].bits,
    kBitFieldGroups[3].bits, kBitFieldGroups[4].bits, kBitFieldGroups[5].bits};
inline constexpr int kBitFieldLimit = 8;

// The image must fit a transfer buffer of the link.
inline constexpr int kImageLength = RS_LEN_EXE;

static_assert(kAdrwExcess <= 0);
static_assert(kAdrbExcess <= 0);
static_assert(kBytesIntoTablesExcess <= 0);
static_assert(kTablesExcess <= 0);
static_assert(kWordsIntoBytesExcess <= 0);

}  // namespace zeda::layout
