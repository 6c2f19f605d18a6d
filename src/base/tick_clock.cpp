#include "base/tick_clock.h"

namespace zeda {
namespace {
std::atomic<int32_t> gTickCount{0};
std::atomic<int32_t> gTickMs{0};
}  // namespace

int32_t tickCount() { return gTickCount.load(std::memory_order_acquire); }
int32_t tickMs() { return gTickMs.load(std::memory_order_acquire); }

int32_t AdvanceTick() {
  const int32_t next = gTickCount.load(std::memory_order_relaxed) + 1;
  gTickCount.store(next, std::memory_order_release);
  gTickMs.store(next * kMsPerTick, std::memory_order_release);
  return next;
}

void SetTickCount(int32_t count) {
  gTickCount.store(count, std::memory_order_release);
  gTickMs.store(count * kMsPerTick, std::memory_order_release);
}

}  // namespace zeda
