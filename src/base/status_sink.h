#pragma once
// How the device side shows messages to the user: a text into one of the status message
// slots, with duration, colours (0x00BBGGRR; kColourUnchanged keeps a colour) and
// priority. The search, the device machine (whose front end extends this interface), the
// main window and zedactl all speak through it; tests record the calls.
//
// Called from the main thread only (the search and the machine run on the main tick).
#include <cstdint>

#include "base/colours.h"

namespace zeda {

// The status message slots, 0-4. The named ones have a label on the window; 0 and 3 have
// none and ignore every message.
struct StatusSlot {
  static constexpr int kCount = 5;
  static constexpr int kConnection = 1;  // LabelConnection: connected, no connection, unmatched
  static constexpr int kResult = 2;      // LabelResult, with the progress gauge
  static constexpr int kCongruence = 4;  // LabelCongruence: unit and PC settings alike or not
};

// Priorities. A message replaces the current one unless its priority is 0 or more and lower
// than the current one's; an empty or expired slot counts as -1.
inline constexpr int32_t kPriorityNoConnection = -5;  // negative: always replaces
inline constexpr int32_t kPriorityClear = -1;         // clears whatever the slot shows
inline constexpr int32_t kPriorityNormal = 10;        // results, unmatched unit, congruence
inline constexpr int32_t kPriorityPortHint = 20;      // why a port cannot be opened
inline constexpr int32_t kPriorityConnected = 100;    // "... connected" outlives the above

// A duration of 0 or less: the message stays until replaced.
inline constexpr int32_t kNoExpiry = -1;

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // text: a LangString or plain text, nullptr clears the slot. durationMs > 0 expires the
  // message; otherwise it stays until replaced.
  virtual void ShowStatus(int slot, const char* text, int32_t durationMs, Colour font, Colour back,
                          int32_t priority) = 0;
};

}  // namespace zeda
