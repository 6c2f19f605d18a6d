#include "pickup/sample_ring.h"

namespace zeda {

void SampleRing::Append(uint32_t sample) {
  samples_[write_] = sample;
  write_ = (write_ + 1) % kRingSamples;
  if (write_ == read_) read_ = (read_ + 1) % kRingSamples;
}

void SampleRing::AppendBytes(const uint8_t* bytes, int32_t length) {
  for (int32_t i = 0; i + 4 <= length; i += 4) {
    Append(static_cast<uint32_t>(bytes[i]) | (static_cast<uint32_t>(bytes[i + 1]) << 8) |
           (static_cast<uint32_t>(bytes[i + 2]) << 16) |
           (static_cast<uint32_t>(bytes[i + 3]) << 24));
  }
}

}  // namespace zeda
