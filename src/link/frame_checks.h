#pragma once
// Check bytes of the two frame families.
//
// Addressed frames carry either a bitwise CRC-16 (protocol 1) or the complement of a
// 16-bit little-endian word sum (protocol 2); block frames carry the complement of the
// XOR of their code and data bytes. The update functions work one byte at a time so the
// receiver can keep its check running while bytes arrive.
#include <cstddef>
#include <cstdint>

namespace zeda {

inline constexpr uint16_t kCrcStart = 0x0001;
inline constexpr uint16_t kCrcPolynomial = 0x1083;
// The CRC register after the seven fixed start bytes FF FF FF FF A5 5A BB.
inline constexpr uint16_t kCrcAfterStart = 0xB797;
// The word sum of the seven fixed start bytes (byte 7 still to be added as a high byte).
inline constexpr uint16_t kSumAfterStart = 0x5B5E;

// Feeds one byte into the CRC register, least significant bit first.
uint16_t Crc16Update(uint16_t reg, uint8_t byte);
// CRC of a whole span, starting from kCrcStart.
uint16_t Crc16(const uint8_t* data, size_t length);

// Adds the byte at the given frame offset to the word sum: even offsets are low bytes,
// odd offsets high bytes; carries are dropped.
uint16_t Sum16Update(uint16_t sum, uint8_t byte, size_t offset);
// Word sum of a span that starts at frame offset 0.
uint16_t Sum16(const uint8_t* data, size_t length);
// Writes the two sum-check bytes behind a span of `length` bytes (frame offset 0 to the
// last data byte) so that the word sum of the whole frame is 0xFFFF: low byte first when
// the span is even, high byte first when it is odd.
void StoreSumCheck(uint8_t* frame, size_t length);

// Check byte of a block frame: NOT of the XOR of code byte and data block.
uint8_t BlockCheck(const uint8_t* codeAndData, size_t length);

}  // namespace zeda
