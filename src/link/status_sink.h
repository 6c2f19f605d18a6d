#pragma once
// How the link side shows messages to the user: a text into one of the status message
// slots, with duration (0 = no expiry), colours (0x00BBGGRR; 0x1FFFFFFF keeps a colour)
// and priority. The main window implements it; tests record the calls.
#include <cstdint>

namespace zeda {

inline constexpr uint32_t kColorBlack = 0x00000000;
inline constexpr uint32_t kColorWhite = 0x00FFFFFF;
inline constexpr uint32_t kColorRed = 0x000000FF;
inline constexpr uint32_t kColorKeep = 0x1FFFFFFF;

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void ShowStatus(int slot, const char* text, int durationMs, uint32_t font, uint32_t back,
                          int priority) = 0;
};

}  // namespace zeda
