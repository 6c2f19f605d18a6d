#include "app/main_tick.h"

#include "app/status_slots.h"
#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {
namespace {
std::atomic<int32_t> gPollMask{1};
}  // namespace

int32_t pollMask() { return gPollMask.load(std::memory_order_acquire); }
void SetPollMask(int32_t mask) { gPollMask.store(mask, std::memory_order_release); }
std::atomic<int32_t>& PollMaskWord() { return gPollMask; }

void MainTick::Run() {
  if (tickCount() < kTracedTicks) LinkTraceSink().Tracef("T%03i", tickCount());
  const int32_t tick = AdvanceTick();
  if (!initialised_) return;
  if (!focusDone_) {
    focusDone_ = true;
    steps_.FocusNoReadingCheckBox();
  }
  if ((tick & pollMask()) == 0) steps_.RunDeviceOps();
  if (steps_.portListChanged()) steps_.RebuildComMenu();
  steps_.CommitPendingEdit();
  steps_.FeedOperatingPoint();
  slots_.Expire(tick);
  steps_.ActivePageTick();
  steps_.UpdateCheckStep();
  steps_.PickupCaptureHandOver();
  steps_.SetDeviceCommandsEnabled(steps_.UnitConnected());
  steps_.TachoPulseNames();
  if (tick % 16 == 0) steps_.PickupPeriodic();
  steps_.PickupTick();
  steps_.SelfTestCountdown();
  steps_.PlayerStep();
}

}  // namespace zeda
