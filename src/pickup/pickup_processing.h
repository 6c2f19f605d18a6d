#pragma once
// Turns the samples waiting in the ring into the event list the window draws.
//
// Synchronised captures are laid out over three synchronisation cycles in crank degrees
// (the middle cycle from 0 to the span), with the engine speed taken from the middle
// cycle's length. Unsynchronised captures are laid out in milliseconds after a trigger.
// Either way an event is kept only where a pick-up level or an ignition bit changes (plus
// the first and last sample, which carry the levels to the ends of the picture), and at
// most kMaxEvents are kept: a longer record keeps the part around the middle cycle or the
// trigger, and says how much it left out. Main thread only; nothing is allocated.
#include <cstdint>

#include "pickup/pickup_types.h"
#include "pickup/sample_ring.h"

namespace zeda {

struct EventList {
  PickupEvent items[kMaxEvents];
  int32_t count = 0;
  // Events the last processing found; more than `count` when the record was too long.
  int32_t found = 0;
  void Clear() {
    count = 0;
    found = 0;
  }
};

// Working storage for one processing run (one entry per ring sample).
struct ProcessScratch {
  int64_t times[kRingSamples];
  PickupEvent candidates[kRingSamples + 2];
};

struct ProcessOutcome {
  bool picture = false;      // new events were made (the picture needs redrawing)
  int32_t cycleChanges = 0;  // synchronised: changes of the cycle counter found (at most 4)
};

// Synchronised processing. Sets *viewStart / *viewEnd / *span from the cycle code first;
// then, with at least four cycle-counter changes among the new samples, replaces the
// events, sets *speed (rpm) and marks the ring read. With fewer the samples stay unread.
ProcessOutcome ProcessSynchronised(SampleRing& ring, int32_t cycleCode, ProcessScratch& scratch,
                                   EventList& events, double* speed, double* viewStart,
                                   double* viewEnd, int32_t* span);

// Unsynchronised processing: positions in milliseconds after the trigger, the first rise
// of pick-up 2 after the first sample (else of pick-up 1, else the first sample). The view
// is sized so that the whole record fits with the trigger at the origin. Speed is 0.
ProcessOutcome ProcessUnsynchronised(SampleRing& ring, ProcessScratch& scratch, EventList& events,
                                     double* speed, double* viewStart, double* viewEnd);

}  // namespace zeda
