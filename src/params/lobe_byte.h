#pragma once
// The synchronisation lobe bytes LOBE_START[c] / LOBE_END[c].
//
// Bits 0-5 hold the lobe number, bit 6 the "2nd Edge" flag, bit 7 the "2nd Pick-up" flag.
// Method 14 counts up to 120 lobes, so there bit 7 is the lobe number's seventh bit
// (lobe = bits 0-5 + 64 * bit 7) and the pick-up flag does not exist.
#include <cstdint>

namespace zeda {

inline constexpr int PICKUP_SYSTEM_120_LOBES = 14;
inline constexpr uint8_t LOBE_BIT_2ND_EDGE = 0x40;
inline constexpr uint8_t LOBE_BIT_2ND_PICKUP = 0x80;

struct LobeByte {
  int lobe = 0;
  bool secondEdge = false;
  bool secondPickup = false;  // always false for method 14
};

constexpr LobeByte DecodeLobeByte(uint8_t b, int pickupSystem) {
  LobeByte l;
  l.secondEdge = (b & LOBE_BIT_2ND_EDGE) != 0;
  if (pickupSystem == PICKUP_SYSTEM_120_LOBES) {
    l.lobe = (b & 0x3F) + ((b & 0x80) ? 64 : 0);
  } else {
    l.lobe = b & 0x3F;
    l.secondPickup = (b & LOBE_BIT_2ND_PICKUP) != 0;
  }
  return l;
}

// Lobe numbers are kept to what the byte can hold (0-63, or 0-127 for method 14).
constexpr uint8_t EncodeLobeByte(const LobeByte& l, int pickupSystem) {
  int b = l.secondEdge ? LOBE_BIT_2ND_EDGE : 0;
  if (pickupSystem == PICKUP_SYSTEM_120_LOBES) {
    const int n = l.lobe & 0x7F;
    b |= (n & 0x3F) | ((n & 0x40) ? 0x80 : 0);
  } else {
    b |= l.lobe & 0x3F;
    if (l.secondPickup) b |= LOBE_BIT_2ND_PICKUP;
  }
  return static_cast<uint8_t>(b);
}

}  // namespace zeda
