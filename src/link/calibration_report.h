#pragma once
// How the unit reports a dwell or SPA calibration in its monitor answer: in the first
// test words, which the monitor display shows as Test1 to Test5.
//
//   word 16 (Test1)  status: kind x 10 + phase (11 dwell running, 12 dwell done,
//                    13 dwell failed, 21 SPA running, 22 SPA done, 23 SPA failed; 0 none)
//   word 17 (Test2)  progress, percent
//   word 18-20 (Test3-Test5)  results: dwell - the stored, flash and new calibration
//                    coefficients; SPA - the measured value in word 18
//
// Plain functions over a 151-position monitor block (position 0 unused); any thread.
#include <array>
#include <cstdint>

namespace zeda {

inline constexpr int kCalibStatusWord = 16;
inline constexpr int kCalibProgressWord = 17;
inline constexpr int kCalibValueWord = 18;
inline constexpr int kCalibValueCount = 3;

enum class CalibrationKind : uint8_t { None = 0, Dwell = 1, Spa = 2 };
enum class CalibrationPhase : uint8_t { Idle = 0, Running = 1, Done = 2, Failed = 3 };

struct CalibrationReport {
  CalibrationKind kind = CalibrationKind::None;
  CalibrationPhase phase = CalibrationPhase::Idle;
  int32_t progress = 0;  // percent
  std::array<int32_t, kCalibValueCount> values{};
  // Done or failed: the calibration no longer runs in the unit.
  bool Ended() const {
    return phase == CalibrationPhase::Done || phase == CalibrationPhase::Failed;
  }
};

// The status word of a report (what the unit puts into word 16).
constexpr uint16_t CalibrationStatus(CalibrationKind kind, CalibrationPhase phase) {
  return kind == CalibrationKind::None
             ? 0
             : static_cast<uint16_t>(static_cast<int>(kind) * 10 + static_cast<int>(phase));
}

// Reads a report from a monitor block; an unknown status reads as no calibration.
CalibrationReport ReadCalibrationReport(const uint8_t* block);

}  // namespace zeda
