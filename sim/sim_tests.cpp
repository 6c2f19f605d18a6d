#include "sim_tests.h"

#include <algorithm>
#include <cstdio>

namespace zeda::sim {

namespace {

constexpr int kByteTestRpm = 497;        // x100 rpm
constexpr int kByteTestServoTime = 498;  // x10 ms
constexpr int kByteChannels = 201;
constexpr int kRequestIgnition = 20;
constexpr int kRequestOutput = 21;
constexpr int kRequestServo = 22;
constexpr int kRequestCalibration = 137;
constexpr uint8_t kOutputBits[4] = {1, 2, 8, 16};  // Power out 1-4 in request byte 21
constexpr uint8_t kRpmBit = 4;
constexpr uint8_t kServoPlus = 1;
constexpr uint8_t kServoMinus = 2;
constexpr int kRigSensorMv = 5000;
constexpr int kRigPulledMv = 2500;
constexpr int kRigMaxAdvance = 188;  // what the rig's unit reports as maximum advance

// The unlock pairs: the first half arms, the second (in the next request) starts.
struct UnlockPair {
  CalibrationKind kind;
  uint8_t arm[2];
  uint8_t start[2];
  const char* name;
};
constexpr UnlockPair kPairs[] = {
    {CalibrationKind::Dwell, {0xA5, 0x5A}, {0x2C, 0xC2}, "dwell"},
    {CalibrationKind::Spa, {0xA5, 0xA7}, {0xC6, 0x6C}, "SPA"},
};

const char* NameOf(CalibrationKind kind) {
  for (const UnlockPair& p : kPairs)
    if (p.kind == kind) return p.name;
  return "?";
}

int TestRpm(const uint8_t* memory) { return std::clamp<int>(memory[kByteTestRpm], 2, 250) * 100; }

std::string Format(const char* format, int a, int b = 0, int c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

}  // namespace

void SimTests::Reset() {
  std::fill(std::begin(ignitionUntil_), std::end(ignitionUntil_), -1);
  std::fill(std::begin(outputUntil_), std::end(outputUntil_), -1);
  rpmUntil_ = -1;
  armed_ = CalibrationKind::None;
  if (calibration_ != CalibrationKind::None && !calibrationReported_) calibrationFailed_ = true;
}

bool SimTests::AnyRunning(int64_t nowMs) const {
  for (int i = 0; i < 4; ++i)
    if (Running(ignitionUntil_[i], nowMs) || Running(outputUntil_[i], nowMs)) return true;
  return Running(rpmUntil_, nowMs) || CalibrationPhaseAt(nowMs) == CalibrationPhase::Running;
}

void SimTests::Take(const uint8_t* request, int64_t nowMs, int engineRpm, const uint8_t* memory,
                    std::vector<std::string>& trace) {
  const uint8_t ignition = request[kRequestIgnition];
  const uint8_t output = request[kRequestOutput];
  const uint8_t servo = request[kRequestServo];
  const uint8_t first = request[kRequestCalibration];
  const uint8_t second = request[kRequestCalibration + 1];
  FinishCalibration(nowMs, trace);
  if (ignition != 0 || output != 0 || servo != 0 || first != 0 || second != 0) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "test request: ignition 0x%02x output 0x%02x servo 0x%02x calibration %02X %02X",
                  ignition, output, servo, first, second);
    trace.push_back(text);
  }
  const int testRpm = TestRpm(memory);
  for (int ch = 0; ch < 4; ++ch) {
    if (!(ignition & (1 << ch))) continue;
    if (engineRpm > 0) {
      trace.push_back(
          Format("ignition test %i refused: the engine runs at %i rpm", ch + 1, engineRpm));
    } else if (ch >= std::clamp<int>(memory[kByteChannels], 1, 4)) {
      trace.push_back(Format("ignition test %i refused: the unit has %i channels", ch + 1,
                             std::clamp<int>(memory[kByteChannels], 1, 4)));
    } else {
      ignitionUntil_[ch] = nowMs + kTestRunMs;
      trace.push_back(Format("ignition test %i runs at %i rpm", ch + 1, testRpm));
    }
  }
  for (int k = 0; k < 4; ++k) {
    if (!(output & kOutputBits[k])) continue;
    outputUntil_[k] = nowMs + kTestRunMs;
    trace.push_back(Format("power out %i test runs", k + 1));
  }
  if (output & kRpmBit) {
    rpmUntil_ = nowMs + kTestRunMs;
    trace.push_back(Format("rpm test: tacho output at %i rpm", testRpm));
  }
  if (servo & (kServoPlus | kServoMinus)) {
    const int ms = memory[kByteTestServoTime] * 10;
    const int step = std::max(1, ms / 50);  // 10 % per 500 ms
    const int before = servoPercent_;
    if (servo & kServoPlus) servoPercent_ = std::min(100, servoPercent_ + step);
    if (servo & kServoMinus) servoPercent_ = std::max(0, servoPercent_ - step);
    trace.push_back(Format("servo test: %i %% -> %i %% (%i ms)", before, servoPercent_, ms));
  }
  TakeCalibration(first, second, nowMs, engineRpm, trace);
}

void SimTests::TakeCalibration(uint8_t first, uint8_t second, int64_t nowMs, int engineRpm,
                               std::vector<std::string>& trace) {
  const CalibrationKind armed = armed_;
  armed_ = CalibrationKind::None;  // the second half must come with the very next request
  if (first == 0 && second == 0) {
    if (armed != CalibrationKind::None)
      trace.push_back(std::string(NameOf(armed)) + " calibration: unlock not completed");
    return;
  }
  for (const UnlockPair& p : kPairs) {
    if (first == p.arm[0] && second == p.arm[1]) {
      armed_ = p.kind;
      trace.push_back(std::string(p.name) + " calibration: unlock 1 of 2");
      return;
    }
    if (first == p.start[0] && second == p.start[1]) {
      if (armed != p.kind) {
        trace.push_back(std::string(p.name) + " calibration: second half without the first");
        return;
      }
      calibration_ = p.kind;
      calibrationStartMs_ = nowMs;
      calibrationFailed_ = engineRpm > 0;
      calibrationReported_ = false;
      trace.push_back(std::string(p.name) + (calibrationFailed_
                                                 ? " calibration refused: the engine runs"
                                                 : " calibration starts"));
      return;
    }
  }
  trace.push_back(Format("calibration: unknown pair %02X %02X", first, second));
}

CalibrationPhase SimTests::CalibrationPhaseAt(int64_t nowMs) const {
  if (calibration_ == CalibrationKind::None) return CalibrationPhase::Idle;
  if (calibrationFailed_) return CalibrationPhase::Failed;
  return nowMs - calibrationStartMs_ >= kCalibrationMs ? CalibrationPhase::Done
                                                       : CalibrationPhase::Running;
}

void SimTests::FinishCalibration(int64_t nowMs, std::vector<std::string>& trace) {
  const CalibrationPhase phase = CalibrationPhaseAt(nowMs);
  if (calibrationReported_ ||
      (phase != CalibrationPhase::Done && phase != CalibrationPhase::Failed))
    return;
  calibrationReported_ = true;
  if (phase == CalibrationPhase::Failed) {
    trace.push_back(std::string(NameOf(calibration_)) + " calibration failed");
  } else if (calibration_ == CalibrationKind::Dwell) {
    trace.push_back(Format("dwell calibration done: %i %i %i", kDwellResults[0], kDwellResults[1],
                           kDwellResults[2]));
  } else {
    trace.push_back(Format("SPA calibration done: %i", kSpaResult));
  }
}

void SimTests::Apply(int64_t nowMs, const uint8_t* memory, MonitorBlock& m) const {
  const int testRpm = TestRpm(memory);
  const bool stands = m.Word(1) == 0;
  for (int ch = 0; ch < 4; ++ch) {
    if (!Running(ignitionUntil_[ch], nowMs) || !stands) continue;
    m.SetWord(1, static_cast<uint16_t>(testRpm));
    const int advance = SimEngine::AdvanceAt(memory, testRpm, 0, ch);
    m.SetByte(105 + ch, static_cast<uint8_t>(advance + 100));
  }
  uint8_t outputs = m.pos[109];
  for (int k = 0; k < 4; ++k)
    if (Running(outputUntil_[k], nowMs)) outputs = static_cast<uint8_t>(outputs | (1 << k));
  m.SetByte(109, outputs);
  const bool rpmTest = Running(rpmUntil_, nowMs);
  if (testRig_) {
    // The rig loops the outputs back into the unit's own inputs.
    if (stands && rpmTest) {
      m.SetWord(1, static_cast<uint16_t>(testRpm));
      m.SetByte(140, static_cast<uint8_t>(m.pos[140] | 0x03));  // both pick-ups see it
    }
    m.SetWord(2,
              static_cast<uint16_t>(Running(outputUntil_[0], nowMs) ? kRigPulledMv : kRigSensorMv));
    uint8_t levels = static_cast<uint8_t>(m.pos[142] & ~0x03);
    if (Running(outputUntil_[1], nowMs)) levels |= 0x03;
    m.SetByte(142, levels);
    m.SetWord(9, kRigMaxAdvance);
    m.SetWord(10, kRigMaxAdvance);
  }
  m.SetByte(116, static_cast<uint8_t>(servoPercent_));
  m.SetByte(117, static_cast<uint8_t>(servoPercent_));
  m.SetWord(5, static_cast<uint16_t>(servoPercent_ * 50));
  m.SetWord(6, static_cast<uint16_t>(servoPercent_ * 50));

  const CalibrationPhase phase = CalibrationPhaseAt(nowMs);
  if (phase == CalibrationPhase::Idle) return;
  m.SetWord(kCalibStatusWord, CalibrationStatus(calibration_, phase));
  const int64_t elapsed = std::clamp<int64_t>(nowMs - calibrationStartMs_, 0, kCalibrationMs);
  m.SetWord(kCalibProgressWord, static_cast<uint16_t>(phase == CalibrationPhase::Done
                                                          ? 100
                                                          : elapsed * 100 / kCalibrationMs));
  if (phase != CalibrationPhase::Done) return;
  if (calibration_ == CalibrationKind::Dwell) {
    for (int i = 0; i < kCalibValueCount; ++i)
      m.SetWord(kCalibValueWord + i, static_cast<uint16_t>(kDwellResults[i]));
  } else {
    m.SetWord(kCalibValueWord, kSpaResult);
  }
}

}  // namespace zeda::sim
