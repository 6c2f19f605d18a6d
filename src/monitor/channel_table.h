#pragma once
// The channel table: names the monitor block positions for the CSV output, one row per
// column in column order, ended by a row with position -1. Constant; any thread.
#include <cstdint>

namespace zeda {

// How a row reads the block. 0-7: that bit of a byte position.
enum ChannelKind : uint8_t {
  kChannelUnsignedByte = 0xFF,
  kChannelWord = 0xFE,
  kChannelSignedByte = 0xFD,
  kChannelUnsignedByte2 = 0xFC,
  kChannelHardwareKey = 0xF0,     // word 73, written as "0x%x;"
  kChannelProgramVersion = 0xF1,  // bytes 150 and 149, written as "%i.%i;"
  kChannelBike = 0xF2,            // byte 1
};

struct ChannelRow {
  int32_t position;  // a word position for kChannelWord, else a byte position; -1 ends
  uint8_t kind;      // ChannelKind or a bit number 0-7
  char name[20];
  char unit[19];
};

inline constexpr int kChannelCount = 94;
// kChannelCount rows and the end row.
extern const ChannelRow kChannelTable[kChannelCount + 1];

}  // namespace zeda
