#pragma once
// The program's tick counter and the link clock.
//
// The main tick advances both; tickMs is tickCount * 50, a nominal millisecond clock
// that every link timeout is measured with. The link threads only read tickMs, so the
// two values are atomics written by the main thread alone (release) and read with
// acquire anywhere. Tests drive the clock by hand with setTickCount/advanceTick.
#include <atomic>
#include <cstdint>

namespace zeda {

inline constexpr int32_t kMsPerTick = 50;

int32_t tickCount();
int32_t tickMs();

// Advances tickCount by one and recomputes tickMs; returns the new tickCount.
int32_t AdvanceTick();

// Sets the clock to a given tick (tests, and start of a fresh program run).
void SetTickCount(int32_t count);

}  // namespace zeda
