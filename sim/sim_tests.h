#pragma once
// What the simulated unit does with the Test page's requests: the test-flag bytes 20-22
// and the calibration pair 137-138 of a monitor request.
//
// - An ignition test fires its channel at the test rpm (TEST_RPM) for kTestRunMs; the
//   answers show that rpm and the channel's advance. Refused while the engine runs.
// - An output test switches its power output on for kTestRunMs; the rpm test drives the
//   tacho output at the test rpm. In the factory test rig (--test-rig) the outputs are
//   wired back: the rpm test reaches both pick-up inputs, Power out 1 pulls the sensor
//   input from 5 V to 2.5 V, Power out 2 grounds inputs 1 and 2.
// - A servo test moves the servo for TEST_SERVO_TIME, 10 % per 500 ms, up or down.
// - A calibration starts when both halves of its unlock pair arrive in two requests in a
//   row, runs kCalibrationMs (progress in the answers) and reports its result; it fails
//   when the engine runs. The report layout is link/calibration_report.h.
//
// Owned by SimUnit; one thread.
#include <cstdint>
#include <string>
#include <vector>

#include "link/calibration_report.h"
#include "sim_engine.h"

namespace zeda::sim {

inline constexpr int64_t kTestRunMs = 5000;
inline constexpr int64_t kCalibrationMs = 3000;
// Results the simulated unit measures: dwell coefficients (stored, flash, new) and SPA.
inline constexpr int kDwellResults[kCalibValueCount] = {512, 498, 505};
inline constexpr int kSpaResult = 37;

class SimTests {
 public:
  explicit SimTests(bool testRig = false) : testRig_(testRig) {}

  // One whole monitor request (150 bytes) arrived at nowMs; what it asked for goes to
  // `trace`, one line per event.
  void Take(const uint8_t* request, int64_t nowMs, int engineRpm, const uint8_t* memory,
            std::vector<std::string>& trace);
  // Shows the running tests, the servo and the calibration report in an answer.
  void Apply(int64_t nowMs, const uint8_t* memory, MonitorBlock& m) const;
  // A restart of the unit ends every test.
  void Reset();

  bool AnyRunning(int64_t nowMs) const;
  int ServoPercent() const { return servoPercent_; }

 private:
  void TakeCalibration(uint8_t first, uint8_t second, int64_t nowMs, int engineRpm,
                       std::vector<std::string>& trace);
  void FinishCalibration(int64_t nowMs, std::vector<std::string>& trace);
  CalibrationPhase CalibrationPhaseAt(int64_t nowMs) const;
  static bool Running(int64_t until, int64_t nowMs) { return until >= 0 && nowMs < until; }

  bool testRig_;
  int64_t ignitionUntil_[4] = {-1, -1, -1, -1};
  int64_t outputUntil_[4] = {-1, -1, -1, -1};
  int64_t rpmUntil_ = -1;
  int servoPercent_ = 50;
  // Calibration: the first half of a pair waits for the second in the next request.
  CalibrationKind armed_ = CalibrationKind::None;
  CalibrationKind calibration_ = CalibrationKind::None;
  int64_t calibrationStartMs_ = -1;
  bool calibrationFailed_ = false;
  bool calibrationReported_ = false;  // its end has been traced
};

}  // namespace zeda::sim
