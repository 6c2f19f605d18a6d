#include "monitor/self_test.h"

#include <cstdio>

#include "monitor/monitor_display.h"

namespace zeda {

namespace {

using S = SelfTestState;

constexpr int32_t kFullMvLow = 4965;  // the sensor input with Power out 1 off
constexpr int32_t kFullMvHigh = 5000;
constexpr int32_t kHalfMvLow = 2465;  // and pulled down by Power out 1
constexpr int32_t kHalfMvHigh = 2535;
constexpr int32_t kAdvanceLow = 185;  // the rig unit's maximum advance, channels 1 and 2
constexpr int32_t kAdvanceHigh = 192;
constexpr int32_t kCheckIdle = 0;
constexpr int32_t kCheckArmed = 1;
constexpr int32_t kCheckPassed = 2;

bool Within(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace

SelfTestStart SelfTest::Begin(bool unitConnected, int32_t engineSpeed) {
  if (!unitConnected) return SelfTestStart::Refused;
  if (engineSpeed != 0) {
    state_ = S::Restarting;
    counter_ = kSelfTestRestartTicks;
    return SelfTestStart::Restart;
  }
  state_ = S::Start;
  counter_ = kSelfTestStartTicks;
  return SelfTestStart::Run;
}

void SelfTest::Tick() {
  if (state_ == S::Idle || counter_ == 0) return;
  if (--counter_ != 0) return;
  if (state_ == S::Measuring) state_ = S::Evaluate;
  if (state_ == S::Result) state_ = S::Idle;
  if (state_ == S::Restarting) state_ = S::Idle;
}

uint8_t SelfTest::Step(const MonitorBlock& block, const LiveValues& values,
                       const SelfTestFacts& facts) {
  const int32_t sensorMv = block.Word(Monw::TPS);
  switch (state_) {
    case S::Restarting:
      if (values.engineSpeed == 0) state_ = S::Start;
      return 0;
    case S::Start: {
      result_ = -1;
      state_ = S::Measuring;
      counter_ = kSelfTestMeasureTicks;
      maxSpeed_ = 0;
      inputCheck_[0] = block.Bit(Monb::INPUT_LEVEL, 0) ? kCheckIdle : kCheckArmed;
      inputCheck_[1] = block.Bit(Monb::INPUT_LEVEL, 1) ? kCheckIdle : kCheckArmed;
      outputCheck_ = kCheckIdle;
      startMv_ = sensorMv;
      if (Within(sensorMv, kFullMvLow, kFullMvHigh)) outputCheck_ = kCheckArmed;
      return kSelfTestOutputFlags;
    }
    case S::Measuring:
      if (values.engineSpeed > maxSpeed_) maxSpeed_ = values.engineSpeed;
      for (int i = 0; i < 2; ++i)
        if (inputCheck_[i] == kCheckArmed && block.Bit(Monb::INPUT_LEVEL, i))
          inputCheck_[i] = kCheckPassed;
      if (Within(sensorMv, kHalfMvLow, kHalfMvHigh) && outputCheck_ == kCheckArmed) {
        outputCheck_ = kCheckPassed;
        endMv_ = sensorMv;
      }
      if (outputCheck_ < kCheckPassed) endMv_ = sensorMv;
      return 0;
    case S::Evaluate:
      Evaluate(block, values, facts);
      return 0;
    default:
      return 0;
  }
}

void SelfTest::Evaluate(const MonitorBlock& block, const LiveValues& values,
                        const SelfTestFacts& facts) {
  state_ = S::Result;
  counter_ = kSelfTestResultTicks;
  const bool servo = block.Bit(Monb::ERRORS, MonBit::SERVO_OK);
  const double test = facts.testRpm;
  const bool tacho = test * 0.99 <= maxSpeed_ && maxSpeed_ <= test * 1.01;
  const bool pickups = values.pickup1Good && values.pickup2Good;
  const bool advance = Within(block.Word(Monw::ADV_MAX), kAdvanceLow, kAdvanceHigh) &&
                       Within(block.Word(Monw::ADV_MAX + 1), kAdvanceLow, kAdvanceHigh);
  const bool outputs = outputCheck_ == kCheckPassed;
  const bool inputs = inputCheck_[0] == kCheckPassed && inputCheck_[1] == kCheckPassed;
  result_ = servo && pickups && tacho && outputs && inputs && advance ? 0 : 1;

  memo_.clear();
  const std::tm& t = facts.localTime;
  const std::string when = Format("%02i.%02i.%02i-%02i:%02i:%02i", t.tm_mday, t.tm_mon + 1,
                                  t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  memo_.push_back(Format("Selftest: %s", when.c_str()));
  memo_.push_back(facts.unitLine);
  memo_.push_back(servo ? "1) servo: OK" : "1) servo: ERROR");
  const std::string speeds = Format(tacho ? "(%i=%i)" : "(%i<>%i)", maxSpeed_, facts.testRpm);
  const char* pickupText = values.pickup1Good
                               ? (values.pickup2Good ? "     PickUp1: OK    PickUp2: OK"
                                                     : "     PickUp1: OK    PickUp2: ERROR")
                               : (values.pickup2Good ? "     PickUp1: ERROR PickUp2: OK"
                                                     : "     PickUp1: ERROR PickUp2: ERROR");
  memo_.push_back(Format(tacho && pickups ? "2) tacho: OK %s %s" : "2) tacho: ERROR %s %s",
                         speeds.c_str(), pickupText));
  memo_.push_back(
      Format(outputs ? "3) Powerout1: OK (%0.3f->%0.3f)" : "3) Powerout1: ERROR (%0.3f->%0.3f)",
             startMv_ * 0.001, endMv_ * 0.001));
  const bool in0 = inputCheck_[0] == kCheckPassed;
  const bool in1 = inputCheck_[1] == kCheckPassed;
  if (in0 && in1) {
    memo_.push_back("4) Powerout2 - In0: OK        In1: OK");
  } else if (in1) {
    memo_.push_back(Format("4) Powerout2 - In0: ERROR%i   In1: OK", inputCheck_[0] + 1));
  } else if (in0) {
    memo_.push_back(Format("4) Powerout2 - In0: OK        In1: ERROR%i", inputCheck_[1] + 1));
  } else {
    memo_.push_back(Format("4) Powerout2 - In0: ERROR%i   In1: ERROR%i", inputCheck_[0] + 1,
                           inputCheck_[1] + 1));
  }
}

std::string SelfTest::LabelText() const {
  switch (state_) {
    case S::Restarting:
      return Format("Restarting unit (%i)...", counter_);
    case S::Start:
      return Format("Running test (%i)...", counter_);
    case S::Measuring:
    case S::Evaluate:
      return Format("Testing (%i)...", counter_);
    case S::Result:
      return result_ == 0 ? "Result OK..." : "Result ERROR...";
    default:
      return "";
  }
}

Colour SelfTest::LabelColour() const {
  if (state_ != S::Result) return kMonPlain;
  return result_ == 0 ? kMonLime : kMonRed;
}

}  // namespace zeda
