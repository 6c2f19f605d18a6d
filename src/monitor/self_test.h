#pragma once
// The unit self test: a unit in the factory test rig drives its own inputs from its
// outputs (tacho output to both pick-ups, Power out 1 to the sensor input, Power out 2 to
// inputs 1 and 2), and the program watches the monitor answers to judge servo, tacho and
// pick-ups, outputs, inputs and the maximum advance.
//
// States: 0 idle; 1 restarting (the engine ran: the unit is restarted, wait for speed 0);
// 2 start; 3 measuring (50 ticks); 4 evaluate; 5 showing the result (200 ticks).
// Begin is the button, Tick the main tick's countdown, Step runs inside every monitor
// refresh after the live values are known. The caller carries out what Begin and Step ask
// for: the unit restart and the test flags of the next monitor request. User-interface
// thread only.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "base/colours.h"
#include "monitor/live_values.h"
#include "monitor/monitor_block.h"

namespace zeda {

enum class SelfTestState : int32_t {
  Idle = 0,
  Restarting = 1,
  Start = 2,
  Measuring = 3,
  Evaluate = 4,
  Result = 5,
};

inline constexpr int32_t kSelfTestRestartTicks = 60;
inline constexpr int32_t kSelfTestStartTicks = 20;
inline constexpr int32_t kSelfTestMeasureTicks = 50;
inline constexpr int32_t kSelfTestResultTicks = 200;
// Test flags (request byte 21) the measurement asks for: Power out 1, Power out 2 and the
// rpm test.
inline constexpr uint8_t kSelfTestOutputFlags = 0x07;

enum class SelfTestStart {
  Refused,  // no connected unit, or a self test already runs
  Restart,  // the engine runs: restart the unit (the resetting device operation)
  Run,      // the engine stands: the test starts at the next refresh
};

// What a refresh of the self test reads, besides the block.
struct SelfTestFacts {
  int32_t testRpm = 0;   // parameter byte 497 x 100
  std::tm localTime{};   // now, for the result's first line
  std::string unitLine;  // the unit description line of the window
};

class SelfTest {
 public:
  // The button. Nothing happens without a connected unit.
  SelfTestStart Begin(bool unitConnected, int32_t engineSpeed);
  // One main tick: counts a running counter down; measuring ends in evaluation, the
  // result's display time in idle. A restart that never brings the engine to a stand gives
  // up when its counter runs out (the test cannot run on a turning engine).
  void Tick();
  // One monitor refresh. Returns the test flags for request byte 21 (0 when none).
  uint8_t Step(const MonitorBlock& block, const LiveValues& values, const SelfTestFacts& facts);

  SelfTestState State() const { return state_; }
  int32_t Counter() const { return counter_; }
  // 0 OK, 1 error; -1 before the first result.
  int32_t Result() const { return result_; }
  // LabelSelftest's text and colour for the current state.
  std::string LabelText() const;
  Colour LabelColour() const;
  // MemoSelftest's lines of the last evaluation.
  const std::vector<std::string>& Memo() const { return memo_; }

 private:
  void Evaluate(const MonitorBlock& block, const LiveValues& values, const SelfTestFacts& facts);

  SelfTestState state_ = SelfTestState::Idle;
  int32_t counter_ = 0;
  int32_t result_ = -1;
  int32_t maxSpeed_ = 0;
  int32_t inputCheck_[2] = {0, 0};
  int32_t outputCheck_ = 0;
  int32_t startMv_ = 0;
  int32_t endMv_ = 0;
  std::vector<std::string> memo_;
};

}  // namespace zeda
