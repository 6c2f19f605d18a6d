#pragma once
// The Test page's buttons as requests for the unit. A press sets its bit in one of the
// three test-flag bytes of MonitorCommands (and, for the two calibrations, the two-step
// calibration code); SendMonitor places them into the next monitor request and clears
// them, so each press reaches the unit once.
//
// User-interface thread only, like the MonitorCommands it writes (DeviceOps::monitorCommands).
#include <cstdint>

#include "link/transfer_jobs.h"

namespace zeda {

// Every test button, named after its control.
enum class TestButton : int {
  TestIgn1,
  TestIgn2,
  TestIgn3,
  TestIgn4,
  Test01,
  Test02,
  Test03,
  Test04,
  TestRpm,
  TestServoPlus,
  TestServoMinus,
  CalibDwell,
  CalibSPA,
  TestN2O,
  KCount,
};
inline constexpr int kTestButtonCount = static_cast<int>(TestButton::KCount);

// Which test-flag byte of the monitor request a button sets.
enum class TestRequest : uint8_t {
  None,      // sets nothing
  Ignition,  // request byte 20 (testFlags1)
  Output,    // request byte 21 (testFlags2)
  Servo,     // request byte 22 (testFlags3)
};

// Calibration step codes: the first of each pair is what a button sets, the second what
// follows once the first half of the unlock pair has gone out.
inline constexpr int32_t kCalibDwellStart = 2;
inline constexpr int32_t kCalibDwellSecond = 1;
inline constexpr int32_t kCalibSpaStart = 22;
inline constexpr int32_t kCalibSpaSecond = 21;

struct TestButtonRow {
  TestButton button;
  const char* control;  // objectName of the button
  TestRequest request;
  uint8_t mask;              // the bit in its request byte
  int32_t calibrationStart;  // calibration step code it starts, 0 none
};

inline constexpr TestButtonRow kTestButtons[kTestButtonCount] = {
    {TestButton::TestIgn1, "ButtonTestIgn1", TestRequest::Ignition, 1, 0},
    {TestButton::TestIgn2, "ButtonTestIgn2", TestRequest::Ignition, 2, 0},
    {TestButton::TestIgn3, "ButtonTestIgn3", TestRequest::Ignition, 4, 0},
    {TestButton::TestIgn4, "ButtonTestIgn4", TestRequest::Ignition, 8, 0},
    {TestButton::Test01, "ButtonTest01", TestRequest::Output, 1, 0},
    {TestButton::Test02, "ButtonTest02", TestRequest::Output, 2, 0},
    {TestButton::Test03, "ButtonTest03", TestRequest::Output, 8, 0},
    {TestButton::Test04, "ButtonTest04", TestRequest::Output, 16, 0},
    {TestButton::TestRpm, "ButtonTestRpm", TestRequest::Output, 4, 0},
    {TestButton::TestServoPlus, "ButtonTestServoPlus", TestRequest::Servo, 1, 0},
    {TestButton::TestServoMinus, "ButtonTestServoMinus", TestRequest::Servo, 2, 0},
    {TestButton::CalibDwell, "ButtonCalibDwell", TestRequest::Ignition, 16, kCalibDwellStart},
    {TestButton::CalibSPA, "ButtonCalibSPA", TestRequest::Ignition, 32, kCalibSpaStart},
    {TestButton::TestN2O, "ButtonTestN2O", TestRequest::None, 0, 0},
};

constexpr bool TestRowsInOrder() {
  for (int i = 0; i < kTestButtonCount; ++i)
    if (static_cast<int>(kTestButtons[i].button) != i) return false;
  return true;
}
static_assert(TestRowsInOrder(), "one row per test button, in the order of TestButton");

const TestButtonRow& TestButtonInfo(TestButton button);

// A press of a test button. The calibration buttons start their step code and mark a
// calibration as running; every other button that sets a bit clears the step code, and a
// calibration whose unlock pair had not fully gone out is then no longer running (the unit
// never starts it). TestN2O does nothing. Returns false when the press set nothing.
bool PressTestButton(MonitorCommands& commands, TestButton button);

// The unit reported the calibration finished (or failed): it no longer runs.
void EndCalibration(MonitorCommands& commands);

// Drops every test request not yet sent and the running calibration (the pickup monitor's
// request stays): a request queued for one connection must never fire on the next unit.
void ClearTestRequests(MonitorCommands& commands);

}  // namespace zeda
