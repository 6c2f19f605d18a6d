#pragma once
// Frame builders for codec tests: they compute the checks independently of the codec.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "link/frame_checks.h"

namespace zeda::test {

using Bytes = std::vector<uint8_t>;

inline Bytes Hex(const std::string& text) {
  Bytes out;
  unsigned value = 0;
  int digits = 0;
  for (char c : text) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    if (v < 0) continue;
    value = value * 16 + static_cast<unsigned>(v);
    if (++digits == 2) {
      out.push_back(static_cast<uint8_t>(value));
      value = 0;
      digits = 0;
    }
  }
  return out;
}

// An addressed frame; `sum` selects the 16-bit sum check (type high nibble 0xF) instead of
// the CRC (0xB). `lowNibble` 0xC answer, 0xB request.
inline Bytes Addressed(bool sum, uint8_t lowNibble, uint16_t command, uint16_t address,
                       const Bytes& data) {
  Bytes f = {0xFF, 0xFF, 0xFF, 0xFF,
             0xA5, 0x5A, 0xBB, static_cast<uint8_t>((sum ? 0xF0 : 0xB0) | lowNibble)};
  auto put16 = [&f](uint16_t v) {
    f.push_back(static_cast<uint8_t>(v & 0xFF));
    f.push_back(static_cast<uint8_t>(v >> 8));
  };
  put16(command);
  put16(address);
  put16(static_cast<uint16_t>(data.size()));
  f.insert(f.end(), data.begin(), data.end());
  const size_t end = f.size();
  f.resize(end + 2);
  if (sum) {
    StoreSumCheck(f.data(), end);
  } else {
    const uint16_t crc = Crc16(f.data(), end);
    f[end] = static_cast<uint8_t>(crc & 0xFF);
    f[end + 1] = static_cast<uint8_t>(crc >> 8);
  }
  return f;
}

// A block frame: code byte, data (padded with zeros to n), check byte.
inline Bytes Block(uint8_t code, Bytes data, size_t n) {
  data.resize(n, 0);
  Bytes f(n + 2, 0);
  f[0] = code;
  std::copy(data.begin(), data.end(), f.begin() + 1);
  f[n + 1] = BlockCheck(f.data(), n + 1);
  return f;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace zeda::test
