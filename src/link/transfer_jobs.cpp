#include "link/transfer_jobs.h"

#include <algorithm>
#include <cstring>

namespace zeda {

namespace {

// Unmarked bytes an addressed block may carry between two marked ones.
constexpr int32_t kBridgedGap = 50;

}  // namespace

bool ChooseAddressedBlock(const uint8_t* mask, int32_t from, int32_t end, int32_t n,
                          JobBlock* block) {
  if (n <= 0) return false;
  from = std::max(from, 0);
  end = std::min(end, COMMAXBUF);
  int32_t start = -1;
  int32_t last = -1;
  for (int32_t a = from; a < end; ++a) {
    if (start < 0) {
      if (mask[a]) start = last = a;
      continue;
    }
    if (a >= start + n) break;
    if (mask[a]) {
      last = a;
    } else if (a - last > kBridgedGap) {
      break;
    }
  }
  if (start < 0) return false;
  block->address = start;
  block->length = last - start + 1;
  return true;
}

bool ChooseAlignedBlock(const uint8_t* mask, int32_t from, int32_t end, int32_t n,
                        JobBlock* block) {
  if (n <= 0) return false;
  from = std::max(from, 0);
  end = std::min(end, COMMAXBUF);
  for (int32_t b = from / n; b * n < end; ++b) {
    const int32_t lo = std::max(b * n, from);
    const int32_t hi = std::min(b * n + n, end);
    for (int32_t a = lo; a < hi; ++a) {
      if (mask[a]) {
        block->address = b * n;
        block->length = n;
        return true;
      }
    }
  }
  return false;
}

void FillMonitorRequest(uint8_t* request, MonitorCommands& c, int32_t wantedKey,
                        int32_t wantedSubKey) {
  request[20] = c.testFlags1;
  request[21] = c.testFlags2;
  request[22] = c.testFlags3;
  c.testFlags1 = c.testFlags2 = c.testFlags3 = 0;  // each click goes out once
  request[23] = c.pickupActive ? 1 : 0;
  uint8_t first = 0;
  uint8_t second = 0;
  switch (c.calibration) {
    case 2:
      first = 0xA5;
      second = 0x5A;
      c.calibration = 1;
      break;
    case 1:
      first = 0x2C;
      second = 0xC2;
      c.calibration = 0;
      break;
    case 22:
      first = 0xA5;
      second = 0xA7;
      c.calibration = 21;
      break;
    case 21:
      first = 0xC6;
      second = 0x6C;
      c.calibration = 0;
      break;
    default:
      break;
  }
  request[137] = first;
  request[138] = second;
  request[148] = static_cast<uint8_t>(wantedSubKey);
  request[149] = static_cast<uint8_t>(wantedKey);
}

}  // namespace zeda
