#include "app/main_tick.h"

#include "app/status_slots.h"
#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {
namespace {
std::atomic<int32_t> g_pollMask{1};
}  // namespace

int32_t pollMask() { return g_pollMask.load(std::memory_order_acquire); }
void setPollMask(int32_t mask) { g_pollMask.store(mask, std::memory_order_release); }
std::atomic<int32_t>& pollMaskWord() { return g_pollMask; }

void MainTick::run() {
  if (tickCount() < kTracedTicks) linkTrace().tracef("T%03i", tickCount());
  const int32_t tick = advanceTick();
  if (!initialised_) return;
  if (!focusDone_) {
    focusDone_ = true;
    steps_.focusNoReadingCheckBox();
  }
  if ((tick & pollMask()) == 0) steps_.runDeviceOps();
  if (steps_.portListChanged()) steps_.rebuildComMenu();
  steps_.commitPendingEdit();
  steps_.feedOperatingPoint();
  slots_.expire(tick);
  steps_.activePageTick();
  steps_.updateCheckStep();
  steps_.pickupCaptureHandOver();
  steps_.setDeviceCommandsEnabled(steps_.unitConnected());
  steps_.tachoPulseNames();
  if (tick % 16 == 0) steps_.pickupPeriodic();
  steps_.pickupTick();
  steps_.selfTestCountdown();
  steps_.playerStep();
}

}  // namespace zeda
