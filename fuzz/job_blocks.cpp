// Block choice of a job over any transfer mask: blocks stay inside the job's range and
// the buffers, never exceed the block size, start on a marked address (addressed frames)
// or an aligned boundary (block frames), and the job always moves forward.
#include <cstdint>
#include <cstring>

#include "link/transfer_jobs.h"

namespace {
uint8_t mask[zeda::COMMAXBUF];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  const int32_t from = static_cast<int16_t>(data[0] | data[1] << 8);
  const int32_t end = static_cast<int16_t>(data[2] | data[3] << 8);
  const int32_t n = static_cast<int16_t>(data[4] | data[5] << 8) % 600;
  const bool addressed = data[6] & 1;
  std::memset(mask, 0, sizeof mask);
  // The rest: pairs of (address, run length) to mark.
  for (size_t i = 7; i + 2 < size; i += 3) {
    const int32_t at = (data[i] | data[i + 1] << 8) % zeda::COMMAXBUF;
    for (int32_t k = 0; k <= data[i + 2] && at + k < zeda::COMMAXBUF; ++k) mask[at + k] = 1;
  }
  int32_t at = from;
  for (int guard = 0; guard < 10000; ++guard) {
    zeda::JobBlock b;
    const bool found = addressed ? zeda::ChooseAddressedBlock(mask, at, end, n, &b)
                                 : zeda::ChooseAlignedBlock(mask, at, end, n, &b);
    if (!found) return 0;
    if (b.length < 1 || b.length > n) __builtin_trap();
    if (b.address < 0 || b.address >= zeda::COMMAXBUF || b.address >= end) __builtin_trap();
    if (addressed) {
      if (b.address < at || !mask[b.address] || !mask[b.address + b.length - 1]) __builtin_trap();
      if (b.address + b.length > end) __builtin_trap();
    } else if (b.address % n != 0 || b.address + n <= at) {
      __builtin_trap();
    }
    if (b.address + b.length <= at) __builtin_trap();  // no progress
    at = b.address + b.length;
  }
  __builtin_trap();  // a job that never ends
}
