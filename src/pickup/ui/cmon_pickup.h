#pragma once
// The pickup monitor as the main window owns it: the Qt-free core and its window.
// Created on the first ButtonMonPu click and kept for the rest of the run; later clicks
// show and hide the window. Main thread only.
#include <QPointer>
#include <atomic>
#include <memory>

#include "pickup/pickup_core.h"

class QWidget;
#include "pickup/ui/tform_mon.h"

class CMonPickup {
 public:
  CMonPickup(std::atomic<int32_t>* pollMask, QWidget* owner);
  virtual ~CMonPickup();

  // Creates (if needed) and shows the window with its start colours.
  virtual void Open();
  // ButtonMonPuClick after the first: hidden <-> shown, keeping the position.
  void Toggle();
  // Main tick: a completed capture into the ring.
  void HandOver(zeda::CaptureRecord& completed) { core_->TakeCompletedCapture(completed); }
  // Every 16th tick.
  void Periodic() { core_->Periodic(); }
  // Every tick: mode changes and view changes; then the redraw when one is pending.
  virtual void Tick();
  virtual bool IsShown() const;
  virtual void Redraw();

  zeda::PickupCore& Core() { return *core_; }
  TFormMon* Form() { return form_.data(); }

 private:
  std::unique_ptr<zeda::PickupCore> core_;
  QWidget* owner_;
  // The window is a child of the owner: whichever goes first, the other sees it gone.
  QPointer<TFormMon> form_;
};
