#pragma once
// Shared vocabulary of the pickup monitor: the bits of a capture sample, the event list the
// processing produces, the two display modes and the cycle span of a cycle code.
// Plain data; no thread contract beyond that of its owner.
#include <cstdint>

namespace zeda {

// A capture sample: bits 0-23 a free-running 24-bit time stamp (0.4 us per count), bits
// 24-25 the cycle counter, 26 pick-up 1, 27 pick-up 2, 28-31 ignition on channels 1-4.
inline constexpr uint32_t kSampleStampMask = 0x00FFFFFF;
inline constexpr int kSampleFlagShift = 24;
inline constexpr int64_t kStampWrap = int64_t{1} << 24;
inline constexpr double kSecondsPerCount = 0.0000004;
inline constexpr double kMsPerCount = 0.0004;

// Event flags: the sample's top byte, plus two markers the processing adds.
inline constexpr uint32_t EV_CYCLE_MASK = 0x03;
inline constexpr uint32_t EV_PICKUP1 = 0x04;
inline constexpr uint32_t EV_PICKUP2 = 0x08;
inline constexpr uint32_t EV_LEVELS = EV_PICKUP1 | EV_PICKUP2;
inline constexpr uint32_t EV_IGNITION_MASK = 0xF0;
inline constexpr uint32_t EV_IGNITION1 = 0x10;  // channel c (0-3) is EV_IGNITION1 << c
inline constexpr uint32_t EV_CYCLE_START = 256;
inline constexpr uint32_t EV_CYCLE_END = 512;
inline constexpr uint32_t EV_MARKERS = EV_CYCLE_START | EV_CYCLE_END;
// What a kept dimension's end must match when it moves to the current data.
inline constexpr uint32_t EV_MATCH_MASK = EV_LEVELS | EV_IGNITION_MASK | EV_MARKERS;

inline constexpr int kIgnitionChannels = 4;
inline constexpr int kMaxEvents = 600;
inline constexpr int kRingSamples = 10000;

struct PickupEvent {
  double position = 0;  // degrees (synchronised) or milliseconds after the trigger
  uint32_t flags = 0;
};

enum PickupMode : int32_t { kModeUnsynchronised = 0, kModeSynchronised = 1 };

// Degrees per synchronisation cycle for a cycle code: 0 -> 720, 1 -> 360, 2 -> 180,
// 3 -> 120, anything else 360.
constexpr int32_t CycleSpanOf(int32_t cycleCode) {
  switch (cycleCode) {
    case 0:
      return 720;
    case 2:
      return 180;
    case 3:
      return 120;
    default:
      return 360;
  }
}

constexpr uint32_t SampleFlags(uint32_t sample) { return sample >> kSampleFlagShift; }
constexpr int64_t SampleStamp(uint32_t sample) { return sample & kSampleStampMask; }

}  // namespace zeda
