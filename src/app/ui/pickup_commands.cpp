// The main window's side of the pickup monitor: opening it, and its steps of the main
// tick (capture hand-over, processing every 16th tick, its own tick and redraw).
#include "app/main_tick.h"
#include "app/ui/main_form.h"
#include "link/ccomcom.h"
#include "link/device_ops.h"
#include "pickup/ui/cmon_pickup.h"

void TMainForm::ButtonMonPuClick() {
  if (!monPickup_) {
    monPickup_ = std::make_unique<CMonPickup>(&zeda::PollMaskWord(), this);
    monPickup_->Open();
    return;
  }
  monPickup_->Toggle();
}

void TMainForm::PickupCaptureHandOver() {
  if (!link_) return;
  if (monPickup_) {
    monPickup_->HandOver(link_->completedCapture);
  } else if (link_->completedCapture.type.load(std::memory_order_acquire) != 0) {
    // Nobody asked for it: give the record back so it never blocks a later capture.
    zeda::ReleaseCompletedCapture(link_->completedCapture);
  }
}

void TMainForm::PickupPeriodic() {
  if (monPickup_) monPickup_->Periodic();
}

void TMainForm::PickupTick() {
  if (!monPickup_) return;
  // Monitor requests ask for a capture while the window is shown and not paused.
  if (deviceOps_) deviceOps_->monitorCommands.pickupActive = monPickup_->Core().CaptureWanted();
  monPickup_->Tick();
}
