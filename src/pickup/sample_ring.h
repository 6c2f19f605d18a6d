#pragma once
// The sample ring of the pickup monitor: the last capture's 32-bit samples waiting to be
// processed. Fixed storage, nothing allocated. Main thread only.
#include <cstdint>

#include "pickup/pickup_types.h"

namespace zeda {

class SampleRing {
 public:
  // Appends one sample; when the writer catches up with the reader the oldest unread
  // sample is given up.
  void Append(uint32_t sample);
  // Appends the little-endian samples of a capture (a trailing part of a sample is
  // ignored).
  void AppendBytes(const uint8_t* bytes, int32_t length);
  // Everything written so far counts as read.
  void MarkAllRead() { read_ = write_; }

  // Samples written but not yet read.
  int32_t NewCount() const { return (write_ - read_ + kRingSamples) % kRingSamples; }
  // The i-th unread sample (0 = the one at the read index).
  uint32_t Unread(int32_t i) const { return samples_[(read_ + i) % kRingSamples]; }
  int32_t ReadIndex() const { return read_; }
  int32_t WriteIndex() const { return write_; }

 private:
  uint32_t samples_[kRingSamples] = {};
  int32_t read_ = 0;
  int32_t write_ = 0;
};

}  // namespace zeda
