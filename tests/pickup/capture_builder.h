#pragma once
// Builds captures sample by sample for the pickup tests and benchmarks.
#include <cstdint>
#include <vector>

#include "pickup/pickup_types.h"

namespace zeda::test {

class CaptureBuilder {
 public:
  explicit CaptureBuilder(int64_t firstStamp = 0) : stamp_(firstStamp) {}
  // A sample `counts` after the previous one with the flag byte (cycle counter in bits 0-1).
  CaptureBuilder& Add(int64_t counts, uint32_t flags) {
    stamp_ += counts;
    const uint32_t sample =
        static_cast<uint32_t>(stamp_ & kSampleStampMask) | ((flags & 0xFF) << kSampleFlagShift);
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(sample >> (8 * i)));
    return *this;
  }
  // `cycles` synchronisation cycles of `length` counts; in each, pick-up 1 is high from
  // `riseAt` to `fallAt` (fractions of the cycle) and channel 1 fires at `fireAt`.
  CaptureBuilder& Cycles(int cycles, int64_t length, double riseAt, double fallAt, double fireAt,
                         uint32_t firstCounter = 0) {
    for (int k = 0; k < cycles; ++k) {
      const uint32_t c = (firstCounter + static_cast<uint32_t>(k)) & EV_CYCLE_MASK;
      const int64_t rise = static_cast<int64_t>(riseAt * length);
      const int64_t fire = static_cast<int64_t>(fireAt * length);
      const int64_t fall = static_cast<int64_t>(fallAt * length);
      Add(k == 0 ? 0 : length - last_, c);
      Add(rise, c | EV_PICKUP1);
      Add(fire - rise, c | EV_PICKUP1 | EV_IGNITION1);
      Add(1, c | EV_PICKUP1);
      Add(fall - fire - 1, c);
      last_ = fall;
    }
    return *this;
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  int32_t Size() const { return static_cast<int32_t>(bytes_.size()); }

 private:
  int64_t stamp_;
  int64_t last_ = 0;
  std::vector<uint8_t> bytes_;
};

}  // namespace zeda::test
