#include "pickup/pickup_processing.h"

#include <algorithm>

namespace zeda {

namespace {

constexpr uint32_t kChangeBits = EV_LEVELS | EV_IGNITION_MASK;
// Shares of the window width left of the trigger and right of it, inside the margins.
constexpr double kPreTriggerShare = 0.2;
constexpr double kPostTriggerShare = 0.65;

// Unwraps the 24-bit stamps of the unread samples into scratch.times (counts since the
// first one; a smaller stamp than the last means the counter wrapped).
void UnwrapTimes(const SampleRing& ring, int32_t n, ProcessScratch& scratch) {
  int64_t time = 0;
  int64_t last = n > 0 ? SampleStamp(ring.Unread(0)) : 0;
  for (int32_t i = 0; i < n; ++i) {
    const int64_t stamp = SampleStamp(ring.Unread(i));
    time += stamp >= last ? stamp - last : stamp + kStampWrap - last;
    last = stamp;
    scratch.times[i] = time;
  }
}

// Copies candidates [from, from + count) into the list, keeping room for `reserve`
// entries behind them.
void Keep(const PickupEvent* candidates, int32_t total, int32_t from, int32_t count,
          EventList& events) {
  events.count = 0;
  for (int32_t i = from; i < from + count; ++i) events.items[events.count++] = candidates[i];
  events.found = total;
}

// The window of at most `room` candidates to keep: all of them when they fit, else the
// ones from `first` to `last` (the part that matters) widened evenly to both sides, or,
// when that part alone is too long, `room` of it from its start.
void ChooseWindow(int32_t total, int32_t first, int32_t last, int32_t room, int32_t* from,
                  int32_t* count) {
  if (total <= room) {
    *from = 0;
    *count = total;
    return;
  }
  first = std::clamp(first, 0, total - 1);
  last = std::clamp(last, first, total - 1);
  const int32_t core = last - first + 1;
  if (core >= room) {
    *from = first;
    *count = room;
    return;
  }
  const int32_t extra = room - core;
  int32_t after = std::min(total - 1 - last, extra - extra / 2);
  const int32_t before = std::min(first, extra - after);
  after = std::min(total - 1 - last, extra - before);
  *from = first - before;
  *count = core + before + after;
}

}  // namespace

ProcessOutcome ProcessSynchronised(SampleRing& ring, int32_t cycleCode, ProcessScratch& scratch,
                                   EventList& events, double* speed, double* viewStart,
                                   double* viewEnd, int32_t* span) {
  ProcessOutcome outcome;
  const int32_t s = CycleSpanOf(cycleCode);
  *span = s;
  *viewStart = -(s / 2);
  *viewEnd = s + s / 2;
  const int32_t n = ring.NewCount();
  if (n == 0) return outcome;
  UnwrapTimes(ring, n, scratch);

  // The first four changes of the cycle counter: sample index and time of each.
  int32_t changeAt[4] = {};
  int32_t changes = 0;
  uint32_t counter = SampleFlags(ring.Unread(0)) & EV_CYCLE_MASK;
  for (int32_t i = 1; i < n && changes < 4; ++i) {
    const uint32_t c = SampleFlags(ring.Unread(i)) & EV_CYCLE_MASK;
    if (c != counter) changeAt[changes++] = i;
    counter = c;
  }
  outcome.cycleChanges = changes;
  if (changes < 4) return outcome;  // the samples wait for more data

  const int64_t start[4] = {scratch.times[changeAt[0]], scratch.times[changeAt[1]],
                            scratch.times[changeAt[2]], scratch.times[changeAt[3]]};
  const int64_t length[3] = {start[1] - start[0], start[2] - start[1], start[3] - start[2]};
  *speed =
      length[1] > 0 ? 60.0 / (static_cast<double>(length[1]) * kSecondsPerCount) * s / 360.0 : 0.0;

  // Events over the three cycles: the first sample, then only where a level or an
  // ignition bit changes, and a closing event at the end of the third cycle that carries
  // the levels there.
  int32_t total = 0;
  uint32_t previous = 0;
  for (int32_t i = changeAt[0]; i < changeAt[3]; ++i) {
    const int k = i >= changeAt[2] ? 2 : (i >= changeAt[1] ? 1 : 0);
    const uint32_t flags = SampleFlags(ring.Unread(i));
    const bool first = i == changeAt[0];
    const bool changed = ((flags ^ previous) & kChangeBits) != 0;
    previous = flags;
    if (length[k] == 0 || (!first && !changed)) continue;
    const double position =
        static_cast<double>(scratch.times[i] - start[k]) / static_cast<double>(length[k]) * s +
        (k - 1) * s;
    scratch.candidates[total++] = PickupEvent{position, flags};
  }
  if (total > 0 && scratch.candidates[total - 1].position < 2.0 * s) {
    scratch.candidates[total++] = PickupEvent{2.0 * s, previous & ~EV_IGNITION_MASK};
  }

  // Too many for the list: keep the middle cycle and what fits around it. Two places stay
  // free for the cycle markers.
  int32_t firstMiddle = 0;
  while (firstMiddle < total && scratch.candidates[firstMiddle].position < 0) ++firstMiddle;
  int32_t lastMiddle = firstMiddle;
  while (lastMiddle + 1 < total && scratch.candidates[lastMiddle + 1].position <= s) ++lastMiddle;
  int32_t from = 0;
  int32_t count = 0;
  ChooseWindow(total, firstMiddle, lastMiddle, kMaxEvents - 2, &from, &count);
  Keep(scratch.candidates, total, from, count, events);

  ring.MarkAllRead();
  events.items[events.count++] = PickupEvent{0.0, EV_CYCLE_START};
  events.items[events.count++] = PickupEvent{static_cast<double>(s), EV_CYCLE_END};
  outcome.picture = true;
  return outcome;
}

ProcessOutcome ProcessUnsynchronised(SampleRing& ring, ProcessScratch& scratch, EventList& events,
                                     double* speed, double* viewStart, double* viewEnd) {
  ProcessOutcome outcome;
  *speed = 0;
  const int32_t n = ring.NewCount();
  if (n == 0) return outcome;
  UnwrapTimes(ring, n, scratch);

  // The trigger: the first rise of pick-up 2 after the first sample, else of pick-up 1.
  int32_t trigger = -1;
  for (const uint32_t bit : {EV_PICKUP2, EV_PICKUP1}) {
    for (int32_t i = 1; i < n && trigger < 0; ++i) {
      if ((SampleFlags(ring.Unread(i)) & bit) && !(SampleFlags(ring.Unread(i - 1)) & bit)) {
        trigger = i;
      }
    }
    if (trigger >= 0) break;
  }
  if (trigger < 0) trigger = 0;
  const int64_t t0 = scratch.times[trigger];

  int32_t total = 0;
  int32_t triggerEvent = 0;
  uint32_t previous = 0;
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t flags = SampleFlags(ring.Unread(i));
    const bool changed = ((flags ^ previous) & kChangeBits) != 0;
    previous = flags;
    if (i == trigger) triggerEvent = total;
    if (i != 0 && i != n - 1 && i != trigger && !changed) continue;
    const double position = static_cast<double>(scratch.times[i] - t0) * kMsPerCount;
    scratch.candidates[total++] = PickupEvent{position, flags};
  }
  // An oscilloscope shows a quarter of its screen before the trigger: keep that much of a
  // long record before the trigger and the rest after it.
  int32_t from = 0;
  int32_t count = total;
  if (total > kMaxEvents) {
    from = std::clamp(triggerEvent - kMaxEvents / 4, 0, total - kMaxEvents);
    count = kMaxEvents;
  }
  Keep(scratch.candidates, total, from, count, events);

  // The view: the trigger sits at the origin a quarter into the plotting width; size it
  // so that what came before and what came after the trigger both fit between the
  // margins at zoom 1, in any window the monitor allows (300 pixels wide or more).
  const double before = -events.items[0].position;
  const double after = events.items[events.count - 1].position;
  *viewStart = 0;
  *viewEnd = std::max({after / kPostTriggerShare, before / kPreTriggerShare, 0.01});
  ring.MarkAllRead();
  outcome.picture = true;
  return outcome;
}

}  // namespace zeda
