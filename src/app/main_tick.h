#pragma once
// The main tick: the fixed list of periodic steps that the 55 ms window timer runs in
// the user-interface thread. The window supplies the steps (empty until their areas
// exist); the order lives here, so tests can drive ticks by hand.
#include <atomic>
#include <cstdint>

namespace zeda {

class StatusSlots;

inline constexpr int kTickIntervalMs = 55;
// Ticks that write "T%03i" to the link trace after start.
inline constexpr int kTracedTicks = 50;

// The device-operation machine runs on ticks where (tickCount & pollMask) == 0: 1 means
// every second tick; the pickup monitor raises it to 3 or 7 while it backs off.
int32_t pollMask();
void SetPollMask(int32_t mask);
// The mask itself, for the link worker (slows polling after a bad capture) and the
// pickup monitor (restores it).
std::atomic<int32_t>& PollMaskWord();

class TickSteps {
 public:
  virtual ~TickSteps() = default;
  virtual void FocusNoReadingCheckBox() {}  // first working tick only
  virtual void RunDeviceOps() {}            // with it the search and link supervision
  virtual bool portListChanged() { return false; }
  virtual void RebuildComMenu() {}
  virtual void CommitPendingEdit() {}
  virtual void FeedOperatingPoint() {}  // live point to the map editors
  virtual void ActivePageTick() {}
  virtual void UpdateCheckStep() {}
  virtual void PickupCaptureHandOver() {}
  virtual bool UnitConnected() { return false; }
  virtual void SetDeviceCommandsEnabled(bool /*enabled*/) {}
  virtual void TachoPulseNames() {}
  virtual void PickupPeriodic() {}  // every 16th tick
  virtual void PickupTick() {}
  virtual void SelfTestCountdown() {}
  virtual void PlayerStep() {}
};

class MainTick {
 public:
  MainTick(TickSteps& steps, StatusSlots& statusSlots) : steps_(steps), slots_(statusSlots) {}

  // Set as the last step of start-up; until then a tick only advances the clock.
  void SetInitialised(bool on) { initialised_ = on; }
  bool Initialised() const { return initialised_; }

  // One tick (Timer1Timer).
  void Run();

 private:
  TickSteps& steps_;
  StatusSlots& slots_;
  bool initialised_ = false;
  bool focusDone_ = false;
};

}  // namespace zeda
