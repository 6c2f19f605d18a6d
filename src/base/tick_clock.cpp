#include "base/tick_clock.h"

namespace zeda {
namespace {
std::atomic<int32_t> g_tickCount{0};
std::atomic<int32_t> g_tickMs{0};
}  // namespace

int32_t tickCount() { return g_tickCount.load(std::memory_order_acquire); }
int32_t tickMs() { return g_tickMs.load(std::memory_order_acquire); }

int32_t advanceTick() {
  const int32_t next = g_tickCount.load(std::memory_order_relaxed) + 1;
  g_tickCount.store(next, std::memory_order_release);
  g_tickMs.store(next * kMsPerTick, std::memory_order_release);
  return next;
}

void setTickCount(int32_t count) {
  g_tickCount.store(count, std::memory_order_release);
  g_tickMs.store(count * kMsPerTick, std::memory_order_release);
}

}  // namespace zeda
