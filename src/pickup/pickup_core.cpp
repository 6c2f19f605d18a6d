#include "pickup/pickup_core.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zeda {

PickupCore::PickupCore(std::atomic<int32_t>* pollMask)
    : pollMask_(pollMask),
      ring_(std::make_unique<SampleRing>()),
      scratch_(std::make_unique<ProcessScratch>()),
      lastCapture_(std::make_unique<RawCapture>()),
      shownCapture_(std::make_unique<RawCapture>()) {}

void PickupCore::SetPollMask(int32_t mask) {
  if (pollMask_) pollMask_->store(mask, std::memory_order_release);
}

bool PickupCore::TakeCompletedCapture(CaptureRecord& completed) {
  const uint32_t damaged = completed.damagedCount.load(std::memory_order_acquire);
  // Only this monitor asks for captures, so every damaged one counted is one of its own.
  const bool newlyDamaged = damaged != damagedSeen_;
  damagedSeen_ = damaged;
  const uint8_t type = completed.type.load(std::memory_order_acquire);
  if (type == CAPTURE_NONE) {
    if (newlyDamaged) {
      damagedEver_ = true;
      SetStatus(CaptureStatus::Damaged);
    }
    return false;
  }
  // A capture still in flight when the user paused would change the picture and the
  // capture a Save writes under the user's eyes: it is given back unused.
  if (!paused_ && (type == CAPTURE_SYNCHRONISED || type == CAPTURE_UNSYNCHRONISED)) {
    const int32_t length = std::min<int32_t>(
        completed.expectedLength.load(std::memory_order_relaxed), kCaptureMaxBytes);
    const uint8_t cycleCode = completed.cycleCode.load(std::memory_order_relaxed);
    FeedCapture(type, cycleCode, completed.data, length);
    // A capture that passed its checks ends any back-off after earlier bad ones.
    SetPollMask(1);
  }
  ReleaseCompletedCapture(completed);
  return true;
}

void PickupCore::FeedCapture(uint8_t type, uint8_t cycleCode, const uint8_t* bytes,
                             int32_t length) {
  mode_ = type == CAPTURE_SYNCHRONISED ? kModeSynchronised : kModeUnsynchronised;
  // The old mode's events and dimensions go now, before this capture is processed: left
  // to the tick, a capture processed in the same tick would be wiped with them.
  ClearOnModeChange();
  cycleCode_ = cycleCode;
  ring_->MarkAllRead();
  ring_->AppendBytes(bytes, length);
  lastCapture_->type = type;
  lastCapture_->cycleCode = cycleCode;
  lastCapture_->length = length;
  std::memcpy(lastCapture_->data, bytes, static_cast<size_t>(length));
  SetStatus(CaptureStatus::Whole);
}

void PickupCore::SetStatus(CaptureStatus status) {
  if (status == status_) return;
  status_ = status;
  redrawNeeded_ = true;  // the window says it on the picture
}

NothingToSave PickupCore::WhyNothingToSave() const {
  if (shownCapture_->type != CAPTURE_NONE) return NothingToSave::No;
  if (lastCapture_->type != CAPTURE_NONE) return NothingToSave::NotDrawn;
  return damagedEver_ ? NothingToSave::OnlyDamaged : NothingToSave::NoCaptureYet;
}

void PickupCore::Process() {
  ProcessOutcome outcome;
  if (mode_ == kModeSynchronised) {
    outcome = ProcessSynchronised(*ring_, cycleCode_, *scratch_, events_, &speed_, &viewStart_,
                                  &viewEnd_, &span_);
    if (outcome.picture) lastSyncSpan_ = span_;
    if (outcome.cycleChanges > 0 || outcome.picture) lastCycleChanges_ = outcome.cycleChanges;
  } else {
    outcome = ProcessUnsynchronised(*ring_, *scratch_, events_, &speed_, &viewStart_, &viewEnd_);
  }
  if (outcome.picture) {
    // The ring holds only the last capture's samples: it is what the picture now shows.
    shownCapture_->type = lastCapture_->type;
    shownCapture_->cycleCode = lastCapture_->cycleCode;
    shownCapture_->length = lastCapture_->length;
    std::memcpy(shownCapture_->data, lastCapture_->data, static_cast<size_t>(lastCapture_->length));
    redrawNeeded_ = true;
  }
}

void PickupCore::Periodic() {
  if (paused_ || !shown_) {
    SetPollMask(1);
    if (paused_) return;
  }
  Process();
}

void PickupCore::ClearOnModeChange() {
  if (mode_ == seenMode_) return;
  seenMode_ = mode_;
  events_.Clear();
  dimensions_.Clear();
  shownCapture_->type = CAPTURE_NONE;  // nothing is shown any more
  redrawNeeded_ = true;
}

void PickupCore::Tick(bool viewChanged) {
  ClearOnModeChange();
  if (viewChanged) redrawNeeded_ = true;
}

void PickupCore::SetShown(bool shown) {
  shown_ = shown;
  if (!shown) {
    SetPollMask(1);
  } else {
    paused_ = false;
    // What arrived before the window was hidden says nothing about the captures to come.
    if (status_ == CaptureStatus::Damaged) status_ = CaptureStatus::Waiting;
    redrawNeeded_ = true;
  }
}

void PickupCore::SetPaused(bool paused) {
  paused_ = paused;
  if (paused) SetPollMask(1);
}

std::string CaptureCsv(const RawCapture& capture) {
  std::string out;
  char line[160];
  std::snprintf(line, sizeof line, "# capture type %d (%s), cycle code %d, %d bytes\n",
                capture.type,
                capture.type == CAPTURE_SYNCHRONISED ? "synchronised" : "not synchronised",
                capture.cycleCode, capture.length);
  out += line;
  out += "index,stamp,time_us,cycle,pickup1,pickup2,ign1,ign2,ign3,ign4\n";
  int64_t time = 0;
  int64_t last = -1;
  for (int32_t i = 0; i + 4 <= capture.length; i += 4) {
    const uint32_t sample = static_cast<uint32_t>(capture.data[i]) |
                            (static_cast<uint32_t>(capture.data[i + 1]) << 8) |
                            (static_cast<uint32_t>(capture.data[i + 2]) << 16) |
                            (static_cast<uint32_t>(capture.data[i + 3]) << 24);
    const int64_t stamp = SampleStamp(sample);
    if (last >= 0) time += stamp >= last ? stamp - last : stamp + kStampWrap - last;
    last = stamp;
    const uint32_t f = SampleFlags(sample);
    std::snprintf(line, sizeof line, "%d,%lld,%.1f,%u,%u,%u,%u,%u,%u,%u\n", i / 4,
                  static_cast<long long>(stamp), static_cast<double>(time) * 0.4, f & EV_CYCLE_MASK,
                  (f >> 2) & 1, (f >> 3) & 1, (f >> 4) & 1, (f >> 5) & 1, (f >> 6) & 1,
                  (f >> 7) & 1);
    out += line;
  }
  return out;
}

}  // namespace zeda
