#pragma once
// The pickup monitor without its window: takes completed captures from the link, keeps
// their samples in the ring, processes them every 16th tick into events, and keeps the
// dimensions and the polling back-off.
//
// Polling back-off: the link worker slows the device machine (polling mask 1 -> 3 -> 7)
// when a capture fails its checks. The mask goes back to 1 when a capture passes, while
// the window is paused (at every 16th tick) and when the window is hidden, so a bad
// capture never leaves the whole program polling slowly.
//
// What is shown is what is saved: the capture whose samples make the current picture is
// kept apart from the last one taken (which may still wait for processing), and while the
// window is paused no capture is taken at all, so picture and capture stay frozen together.
//
// Capture status: whether captures arrive, arrive damaged (the worker's count of dropped
// captures went up) or arrive whole; the window tells the user while it lasts.
//
// Thread contract: main thread only. The completed capture is read after its type was
// seen non-zero (acquire) and handed back with ReleaseCompletedCapture; its damaged count
// is only read.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "link/capture_record.h"
#include "pickup/pickup_processing.h"
#include "pickup/pickup_view.h"
#include "pickup/sample_ring.h"

namespace zeda {

// The last capture taken, kept as received for "Save capture".
struct RawCapture {
  uint8_t type = CAPTURE_NONE;
  uint8_t cycleCode = 0;
  int32_t length = 0;
  uint8_t data[kCaptureMaxBytes] = {};
};

// What the latest captures were like, as far as the window has seen since it was shown.
enum class CaptureStatus : uint8_t {
  Waiting,  // none has arrived yet
  Whole,    // the latest passed its checks
  Damaged,  // the latest was dropped as damaged (failed checks, or overlong)
};

// Why there is nothing to save.
enum class NothingToSave : uint8_t {
  No,            // the capture shown can be saved
  NoCaptureYet,  // nothing has arrived
  OnlyDamaged,   // only damaged captures arrived
  NotDrawn,      // whole captures arrived, but none could be drawn yet
};

class PickupCore {
 public:
  // pollMask: the main tick's polling mask (may be null in tests of processing alone).
  explicit PickupCore(std::atomic<int32_t>* pollMask);

  // Every tick: a completed capture into the ring (handed back unused while paused), and
  // the worker's count of damaged captures. True when one was taken.
  bool TakeCompletedCapture(CaptureRecord& completed);
  // Every 16th tick: processes the ring (unless paused), or keeps the polling mask at 1
  // while paused or hidden.
  void Periodic();
  // Every tick: a change of mode clears events and dimensions; a changed view asks for a
  // redraw.
  void Tick(bool viewChanged);

  void SetShown(bool shown);
  void SetPaused(bool paused);
  bool Shown() const { return shown_; }
  bool Paused() const { return paused_; }
  // Whether monitor requests ask the unit for a capture.
  bool CaptureWanted() const { return shown_ && !paused_; }

  PickupMode Mode() const { return mode_; }
  bool Synchronised() const { return mode_ == kModeSynchronised; }
  const EventList& Events() const { return events_; }
  double Speed() const { return speed_; }
  double ViewStart() const { return viewStart_; }
  double ViewEnd() const { return viewEnd_; }
  int32_t Span() const { return span_; }
  // The cycle span of the last synchronised capture, 0 before any.
  int32_t LastSynchronisedSpan() const { return lastSyncSpan_; }
  bool RedrawNeeded() const { return redrawNeeded_; }
  void SetRedrawNeeded() { redrawNeeded_ = true; }
  void ClearRedrawNeeded() { redrawNeeded_ = false; }
  DimensionSet& Dimensions() { return dimensions_; }
  const DimensionSet& Dimensions() const { return dimensions_; }
  const RawCapture& LastCapture() const { return *lastCapture_; }
  // The capture the current picture was made from (type CAPTURE_NONE when none).
  const RawCapture& ShownCapture() const { return *shownCapture_; }
  CaptureStatus Status() const { return status_; }
  // Whether ShownCapture can be saved, and if not, why.
  NothingToSave WhyNothingToSave() const;
  const SampleRing& Ring() const { return *ring_; }
  int32_t CyclesInLastCapture() const { return lastCycleChanges_; }

  // Test and benchmark hooks: a capture as if it had come from the link.
  void FeedCapture(uint8_t type, uint8_t cycleCode, const uint8_t* bytes, int32_t length);
  // Runs the processing of the current mode now (what Periodic does when not paused).
  void Process();

 private:
  void SetPollMask(int32_t mask);
  void ClearOnModeChange();
  void SetStatus(CaptureStatus status);

  std::atomic<int32_t>* pollMask_;
  std::unique_ptr<SampleRing> ring_;
  std::unique_ptr<ProcessScratch> scratch_;
  std::unique_ptr<RawCapture> lastCapture_;
  std::unique_ptr<RawCapture> shownCapture_;
  EventList events_;
  DimensionSet dimensions_;
  PickupMode mode_ = kModeSynchronised;
  PickupMode seenMode_ = kModeSynchronised;
  uint8_t cycleCode_ = 1;
  double speed_ = 0;
  double viewStart_ = 0;
  double viewEnd_ = 1;
  int32_t span_ = 360;
  int32_t lastSyncSpan_ = 0;
  int32_t lastCycleChanges_ = 0;
  CaptureStatus status_ = CaptureStatus::Waiting;
  // The worker's count of damaged captures as last seen.
  uint32_t damagedSeen_ = 0;
  bool damagedEver_ = false;
  bool redrawNeeded_ = false;
  bool shown_ = false;
  bool paused_ = false;
};

// The samples of a capture as CSV: a header line, then one line per sample with its
// index, raw stamp, unwrapped time in microseconds, cycle counter, both pick-up levels and
// the four ignition bits.
std::string CaptureCsv(const RawCapture& capture);

}  // namespace zeda
