#include "link/frame_checks.h"

namespace zeda {

uint16_t Crc16Update(uint16_t reg, uint8_t byte) {
  for (int bit = 0; bit < 8; ++bit) {
    const bool top = (reg & 0x8000) != 0;
    reg = static_cast<uint16_t>((reg << 1) | ((byte >> bit) & 1));
    if (top) reg ^= kCrcPolynomial;
  }
  return reg;
}

uint16_t Crc16(const uint8_t* data, size_t length) {
  uint16_t reg = kCrcStart;
  for (size_t i = 0; i < length; ++i) reg = Crc16Update(reg, data[i]);
  return reg;
}

uint16_t Sum16Update(uint16_t sum, uint8_t byte, size_t offset) {
  const uint16_t value = (offset & 1) ? static_cast<uint16_t>(byte << 8) : byte;
  return static_cast<uint16_t>(sum + value);
}

uint16_t Sum16(const uint8_t* data, size_t length) {
  uint16_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = Sum16Update(sum, data[i], i);
  return sum;
}

void StoreSumCheck(uint8_t* frame, size_t length) {
  const uint16_t check = static_cast<uint16_t>(~Sum16(frame, length));
  // The check's low byte must land on an even offset, its high byte on an odd one.
  if ((length & 1) == 0) {
    frame[length] = static_cast<uint8_t>(check & 0xFF);
    frame[length + 1] = static_cast<uint8_t>(check >> 8);
  } else {
    frame[length] = static_cast<uint8_t>(check >> 8);
    frame[length + 1] = static_cast<uint8_t>(check & 0xFF);
  }
}

uint8_t BlockCheck(const uint8_t* codeAndData, size_t length) {
  uint8_t x = 0;
  for (size_t i = 0; i < length; ++i) x ^= codeAndData[i];
  return static_cast<uint8_t>(~x);
}

}  // namespace zeda
