#pragma once
// A byte line straight into a SimUnit, with a clock the test sets: the codec's peer talks
// to the simulated unit in-process, without a pty. Single-threaded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "link/codec_peer.h"
#include "sim_unit.h"

namespace zeda::sim {

class UnitLine : public test::ByteLine {
 public:
  explicit UnitLine(SimUnit& unit) : unit_(unit) {}
  void Write(const uint8_t* data, size_t length) override {
    std::vector<uint8_t> out;
    unit_.Receive(data, length, now, out);
    queue_.insert(queue_.end(), out.begin(), out.end());
  }
  size_t Read(uint8_t* data, size_t max, int) override {
    const size_t n = std::min(max, queue_.size());
    std::copy(queue_.begin(), queue_.begin() + static_cast<long>(n), data);
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(n));
    return n;
  }
  int64_t now = 0;  // ms, the unit's clock for the next Write

 private:
  SimUnit& unit_;
  std::deque<uint8_t> queue_;
};

}  // namespace zeda::sim
