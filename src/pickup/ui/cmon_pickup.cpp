#include "pickup/ui/cmon_pickup.h"

CMonPickup::CMonPickup(std::atomic<int32_t>* pollMask, QWidget* owner)
    : core_(std::make_unique<zeda::PickupCore>(pollMask)), owner_(owner) {}

CMonPickup::~CMonPickup() { delete form_; }

void CMonPickup::Open() {
  if (!form_) {
    // A window of its own that stays above the main window.
    form_ = new TFormMon(*core_, owner_);
    form_->SetStartColours();
  }
  core_->SetShown(true);
  form_->ShowPauseState();
  form_->show();
  form_->raise();
}

void CMonPickup::Toggle() {
  if (IsShown()) {
    form_->hide();  // the hide handler tells the core
  } else {
    Open();
  }
}

void CMonPickup::Tick() {
  // A view change is drawn once at the next tick, not at every tick from then on.
  core_->Tick(form_ && form_->TakeViewChanged());
  if (core_->RedrawNeeded()) Redraw();
}

bool CMonPickup::IsShown() const { return form_ && form_->isVisible(); }

void CMonPickup::Redraw() {
  if (IsShown()) form_->Redraw();
}
