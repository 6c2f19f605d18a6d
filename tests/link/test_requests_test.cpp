// The Test page's buttons reach the monitor request: each press in its byte and bit,
// once; the calibrations' unlock pairs in two requests in a row.
#include "link/test_requests.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace zeda {
namespace {

using Request = std::array<uint8_t, kMonitorBlockSize>;

Request Fill(MonitorCommands& c) {
  Request r{};
  FillMonitorRequest(r.data(), c, 107, 0);
  return r;
}

struct ButtonCase {
  TestButton button;
  uint8_t byte20, byte21, byte22;
  uint8_t pair1[2];  // calibration bytes 137-138 of the first request
  uint8_t pair2[2];  // and of the second
};

const ButtonCase kCases[] = {
    {TestButton::TestIgn1, 1, 0, 0, {0, 0}, {0, 0}},
    {TestButton::TestIgn2, 2, 0, 0, {0, 0}, {0, 0}},
    {TestButton::TestIgn3, 4, 0, 0, {0, 0}, {0, 0}},
    {TestButton::TestIgn4, 8, 0, 0, {0, 0}, {0, 0}},
    {TestButton::Test01, 0, 1, 0, {0, 0}, {0, 0}},
    {TestButton::Test02, 0, 2, 0, {0, 0}, {0, 0}},
    {TestButton::Test03, 0, 8, 0, {0, 0}, {0, 0}},
    {TestButton::Test04, 0, 16, 0, {0, 0}, {0, 0}},
    {TestButton::TestRpm, 0, 4, 0, {0, 0}, {0, 0}},
    {TestButton::TestServoPlus, 0, 0, 1, {0, 0}, {0, 0}},
    {TestButton::TestServoMinus, 0, 0, 2, {0, 0}, {0, 0}},
    {TestButton::CalibDwell, 16, 0, 0, {0xA5, 0x5A}, {0x2C, 0xC2}},
    {TestButton::CalibSPA, 32, 0, 0, {0xA5, 0xA7}, {0xC6, 0x6C}},
    {TestButton::TestN2O, 0, 0, 0, {0, 0}, {0, 0}},
};

TEST(TestRequests, EachButtonGoesOutOnceInItsByteAndBit) {
  for (const ButtonCase& k : kCases) {
    const std::string name = TestButtonInfo(k.button).control;
    MonitorCommands c;
    c.pickupActive = true;
    const bool set = PressTestButton(c, k.button);
    EXPECT_EQ(set, k.button != TestButton::TestN2O) << name;
    const Request first = Fill(c);
    EXPECT_EQ(first[20], k.byte20) << name;
    EXPECT_EQ(first[21], k.byte21) << name;
    EXPECT_EQ(first[22], k.byte22) << name;
    EXPECT_EQ(first[23], 1) << name << ": the pickup request rides along untouched";
    EXPECT_EQ(first[137], k.pair1[0]) << name;
    EXPECT_EQ(first[138], k.pair1[1]) << name;
    EXPECT_EQ(first[149], 107) << name;
    const Request second = Fill(c);
    EXPECT_EQ(second[20] | second[21] | second[22], 0) << name << ": sent once";
    EXPECT_EQ(second[137], k.pair2[0]) << name;
    EXPECT_EQ(second[138], k.pair2[1]) << name;
    const Request third = Fill(c);
    EXPECT_EQ(third[137] | third[138], 0) << name;
    // Once the pair is out the calibration runs until the unit reports its end.
    EXPECT_EQ(c.calibrationRunning, k.pair1[0] != 0) << name;
  }
}

TEST(TestRequests, TableNamesEveryControlOnce) {
  for (int i = 0; i < kTestButtonCount; ++i) {
    EXPECT_EQ(static_cast<int>(kTestButtons[i].button), i);
    for (int j = i + 1; j < kTestButtonCount; ++j)
      EXPECT_STRNE(kTestButtons[i].control, kTestButtons[j].control);
  }
}

TEST(TestRequests, PressesBeforeTheNextRequestAddUp) {
  MonitorCommands c;
  PressTestButton(c, TestButton::TestIgn1);
  PressTestButton(c, TestButton::TestIgn2);
  PressTestButton(c, TestButton::Test01);
  PressTestButton(c, TestButton::TestRpm);
  PressTestButton(c, TestButton::TestServoMinus);
  const Request r = Fill(c);
  EXPECT_EQ(r[20], 3);
  EXPECT_EQ(r[21], 5);
  EXPECT_EQ(r[22], 2);
}

TEST(TestRequests, AnotherButtonCutsAHalfSentUnlockPairShort) {
  MonitorCommands c;
  PressTestButton(c, TestButton::CalibDwell);
  Request r = Fill(c);  // A5 5A out, 2C C2 pending
  ASSERT_EQ(c.calibration, kCalibDwellSecond);
  PressTestButton(c, TestButton::TestIgn1);
  EXPECT_EQ(c.calibration, 0);
  EXPECT_FALSE(c.calibrationRunning) << "the unit never gets the second half: nothing runs";
  r = Fill(c);
  EXPECT_EQ(r[137] | r[138], 0);
  EXPECT_EQ(r[20], 1);
}

TEST(TestRequests, AButtonAfterTheWholePairLeavesTheCalibrationRunning) {
  MonitorCommands c;
  PressTestButton(c, TestButton::CalibSPA);
  Fill(c);
  Fill(c);
  ASSERT_TRUE(c.calibrationRunning);
  PressTestButton(c, TestButton::TestServoPlus);
  EXPECT_TRUE(c.calibrationRunning);
  EndCalibration(c);
  EXPECT_FALSE(c.calibrationRunning);
}

TEST(TestRequests, N2OLeavesAPendingCalibrationAlone) {
  MonitorCommands c;
  PressTestButton(c, TestButton::CalibDwell);
  EXPECT_FALSE(PressTestButton(c, TestButton::TestN2O));
  EXPECT_EQ(c.calibration, kCalibDwellStart);
  EXPECT_TRUE(c.calibrationRunning);
}

TEST(TestRequests, ClearingDropsEverythingButThePickupRequest) {
  MonitorCommands c;
  c.pickupActive = true;
  PressTestButton(c, TestButton::TestIgn3);
  PressTestButton(c, TestButton::Test04);
  PressTestButton(c, TestButton::TestServoPlus);
  PressTestButton(c, TestButton::CalibDwell);
  ClearTestRequests(c);
  const Request r = Fill(c);
  EXPECT_EQ(r[20] | r[21] | r[22] | r[137] | r[138], 0);
  EXPECT_EQ(r[23], 1);
  EXPECT_FALSE(c.calibrationRunning);
}

}  // namespace
}  // namespace zeda
