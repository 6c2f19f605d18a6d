#pragma once
// The simulated unit's engine: a small model that fills the 150-byte monitor answer.
//
// The rpm sweeps between idle and the limiter (or idles, or stands still); throttle, load,
// battery, advance, pick-up, inputs, power outputs, gear and speed follow from it and from
// the unit's parameter memory, so what the program shows moves like a running engine.
#include <array>
#include <cstdint>
#include <vector>

#include "base/identity.h"

namespace zeda::sim {

inline constexpr int kImageSize = 1050;
inline constexpr int kMonitorSize = 150;

enum class EngineMode { Stopped, Idle, Sweep, Steady };

// Monitor block positions as the program numbers them: position p is answer byte p - 1.
struct MonitorBlock {
  std::array<uint8_t, kMonitorSize + 1> pos{};
  void SetByte(int position, uint8_t value) { pos[position] = value; }
  void SetWord(int word, uint16_t value) {
    pos[2 * word] = static_cast<uint8_t>(value & 0xFF);
    pos[2 * word + 1] = static_cast<uint8_t>(value >> 8);
  }
  uint16_t Word(int word) const {
    return static_cast<uint16_t>(pos[2 * word] | (pos[2 * word + 1] << 8));
  }
  const uint8_t* Answer() const { return pos.data() + 1; }
};

struct EngineFacts {
  int key = zeda::kUnitKey;
  int version = 0;
  int hwKey = 0x0107;
  int programmingCount = 0;
  int64_t lastWriteMs = -1;  // end of the last write burst, -1 none
  bool restarting = false;   // special command: the unit restarts and the engine stands
};

// The pick-up wheel of the memory's synchronisation, as the simulated unit sees it:
// LOBE_COUNT lobes of pick-up 1 evenly spread over the cycle (lobe 1 at 0 degrees, each
// kLobeWidth wide or half the pitch); pick-up 2 sees, half a cycle later, the lobes that a
// channel names with the "2nd Pick-up" flag. A channel fires inside the window from its
// LOBE_START edge to its LOBE_END edge ("2nd Edge": the lobe's falling edge).
struct CapturePlan {
  int cycleCode = 1;
  int span = 360;  // degrees per cycle
  int lobes = 1;
  double pitch = 360;
  double width = 20;
  int channels = 1;
  bool secondPickup = false;
  bool pickup2Lobes[120] = {};
  double windowStart[4] = {};
  double windowEnd[4] = {};

  static constexpr double kFullAdvance = 40;  // degrees: the window's start is reached
  double LobeAngle(int lobe, bool secondPickup) const;
  double EdgeAngle(uint8_t lobeByte, int method) const;
  double IgnitionAngle(int channel, int advance) const;
};

class SimEngine {
 public:
  explicit SimEngine(EngineMode mode = EngineMode::Sweep, int steadyRpm = 3000)
      : mode_(mode), steadyRpm_(steadyRpm) {}

  EngineMode Mode() const { return mode_; }
  // The gear sensor voltage (mV) and rpm/speed ratio (tenths) every answer reports, as a
  // test bench sets them; negative: they follow the engine.
  void FixGearSensor(int millivolts, int ratio) {
    fixedGearMv_ = millivolts;
    fixedRatio_ = ratio;
  }

  // The input levels (bits 0-5, 1 = grounded) every answer reports; negative: inputs 2
  // and 3 change now and then.
  void FixInputs(int levels) { fixedInputs_ = levels; }

  // Engine speed at a time (ms since the simulator started).
  int RpmAt(int64_t nowMs, const uint8_t* memory) const;

  // The monitor answer at a time. Alternates the minute counter between the hour meter and
  // the last overvoltage time on every call.
  MonitorBlock Monitor(int64_t nowMs, const uint8_t* memory, const EngineFacts& facts);

  // A pick-up capture at the current rpm: little-endian 32-bit samples (24-bit time stamp
  // at 0.4 us, cycle counter, pick-up levels, ignition bits), one at every change of a
  // signal. Synchronised: five cycles, the counter changing at the start of each;
  // otherwise two cycles with the counter standing. The signals follow the lobe pattern in
  // the memory (PlanCapture). Empty while the engine stands. `cycleCode` gets the code.
  std::vector<uint8_t> Capture(int64_t nowMs, const uint8_t* memory, bool synchronised,
                               uint8_t& cycleCode);
  // Where the lobes and the ignitions of the memory's synchronisation lie.
  static CapturePlan PlanCapture(const uint8_t* memory);

  // Advance of a channel in degrees from the memory's advance map at rpm and load.
  static int AdvanceAt(const uint8_t* memory, int rpm, int loadPercent, int channel);

 private:
  EngineMode mode_;
  int steadyRpm_;
  bool overvoltageTurn_ = false;
  int fixedGearMv_ = -1;
  int fixedRatio_ = -1;
  int fixedInputs_ = -1;
  uint32_t stamp_ = 0x00FE0000;  // free-running capture clock, wraps at 2^24 soon
  uint8_t cycle_ = 0;
};

}  // namespace zeda::sim
