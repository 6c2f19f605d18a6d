#pragma once
// Start-up self-checks: the static address tables must fit the memory areas they
// describe. Each check yields an excess fixed at build time; an excess above 0 (for
// the bit fields: more than 8 bits) is reported in a message box and start-up goes on.
// The same checks stop the build through static_assert (see self_check_layout.h).
#include <array>
#include <string>
#include <vector>

namespace zeda {

inline constexpr int kBitfieldGroups = 6;

// The sizes the checks compare.
struct LayoutSizes {
  int adrwEnd = 0;        // one past the last word address
  int wordAreaWords = 0;  // words of the image's word area
  int adrbEnd = 0;        // one past the last byte address
  int byteAreaEnd = 0;    // end of the image's byte area
  int tablesBegin = 0;    // first byte of the tables after the byte parameters
  int monwEnd = 0;        // one past the last monitor word position
  int monitorWords = 0;   // words of the monitor block
  int monbEnd = 0;        // one past the last monitor byte position
  int monitorBytes = 0;   // bytes of the monitor block
  std::array<int, kBitfieldGroups> bitfieldBits{};  // bits used by each bit-field group
  int imageLength = 0;                              // RS_LEN_EXE
  int transferBufferSize = 0;                       // COMMAXBUF
};

struct LayoutExcess {
  int adrw = 0;
  int adrb = 0;
  int adrbGap = 0;
  int monw = 0;
  int monb = 0;
  std::array<int, kBitfieldGroups> bitfieldBits{};
  int image = 0;
};

constexpr LayoutExcess ComputeLayoutExcess(const LayoutSizes& s) {
  LayoutExcess e;
  e.adrw = s.adrwEnd - s.wordAreaWords;
  e.adrb = s.adrbEnd - s.byteAreaEnd;
  e.adrbGap = s.adrbEnd - s.tablesBegin;
  e.monw = s.monwEnd - s.monitorWords;
  e.monb = s.monbEnd - s.monitorBytes;
  e.bitfieldBits = s.bitfieldBits;
  e.image = s.imageLength - s.transferBufferSize;
  return e;
}

constexpr bool LayoutFits(const LayoutSizes& s) {
  const LayoutExcess e = ComputeLayoutExcess(s);
  if (e.adrw > 0 || e.adrb > 0 || e.adrbGap > 0 || e.monw > 0 || e.monb > 0 || e.image > 0) {
    return false;
  }
  for (int bits : e.bitfieldBits) {
    if (bits > 8) return false;
  }
  return true;
}

// The message of every failed check, in the order of the checks.
std::vector<std::string> SelfCheckMessages(const LayoutSizes& sizes);

// Runs the checks and shows each failure through the message box hook; returns the
// number of failures.
int RunSelfChecks(const LayoutSizes& sizes);

}  // namespace zeda
