// The unit self test's state machine: both variants, the counters, the checks and the
// result lines, fed with monitor blocks as a unit in the test rig answers.
#include "monitor/self_test.h"

#include <gtest/gtest.h>

#include "monitor/monitor_display.h"

namespace zeda {
namespace {

using S = SelfTestState;

// A block as the rig unit answers: sensor input, inputs, speed, pick-ups, advance.
struct RigAnswer {
  int32_t rpm = 0;
  int32_t sensorMv = 5000;
  bool inputsGrounded = false;
  bool servoOk = true;
  int32_t maxAdvance = 188;
};

MonitorBlock Block(const RigAnswer& a) {
  MonitorBlock b;
  auto word = [&](int w, int32_t v) {
    b.pos[2 * w] = static_cast<uint8_t>(v & 0xFF);
    b.pos[2 * w + 1] = static_cast<uint8_t>(v >> 8);
  };
  word(Monw::RPM, a.rpm);
  word(Monw::TPS, a.sensorMv);
  word(Monw::ADV_MAX, a.maxAdvance);
  word(Monw::ADV_MAX + 1, a.maxAdvance);
  b.pos[Monb::INPUT_LEVEL] = a.inputsGrounded ? 0x03 : 0x00;
  b.pos[Monb::ERRORS] = a.servoOk ? 0x10 : 0x00;
  return b;
}

LiveValues Values(const RigAnswer& a, bool pickupsGood = true) {
  LiveValues v;
  v.live = true;
  v.engineSpeed = a.rpm;
  v.pickup1Good = v.pickup2Good = pickupsGood;
  return v;
}

SelfTestFacts Facts() {
  SelfTestFacts f;
  f.testRpm = 5000;
  f.localTime.tm_mday = 3;
  f.localTime.tm_mon = 11;
  f.localTime.tm_year = 126;
  f.localTime.tm_hour = 9;
  f.localTime.tm_min = 5;
  f.localTime.tm_sec = 7;
  f.unitLine = "Unit = ZDA12";
  return f;
}

uint8_t Refresh(SelfTest& t, const RigAnswer& a, bool pickupsGood = true) {
  return t.Step(Block(a), Values(a, pickupsGood), Facts());
}

void Ticks(SelfTest& t, int n) {
  for (int i = 0; i < n; ++i) t.Tick();
}

// Runs a stopped-engine test through a rig that answers `during` while measuring.
SelfTest RunStopped(const RigAnswer& during, bool pickupsGood = true) {
  SelfTest t;
  EXPECT_EQ(t.Begin(true, 0), SelfTestStart::Run);
  EXPECT_EQ(Refresh(t, RigAnswer{}), kSelfTestOutputFlags);
  Refresh(t, during, pickupsGood);
  Ticks(t, kSelfTestMeasureTicks);
  EXPECT_EQ(t.State(), S::Evaluate);
  Refresh(t, during, pickupsGood);
  return t;
}

TEST(SelfTest, NothingWithoutAUnit) {
  SelfTest t;
  EXPECT_EQ(t.Begin(false, 0), SelfTestStart::Refused);
  EXPECT_EQ(t.State(), S::Idle);
  EXPECT_EQ(t.LabelText(), "");
}

TEST(SelfTest, StoppedVariantMeasuresAndPasses) {
  SelfTest t;
  ASSERT_EQ(t.Begin(true, 0), SelfTestStart::Run);
  EXPECT_EQ(t.State(), S::Start);
  EXPECT_EQ(t.Counter(), kSelfTestStartTicks);
  EXPECT_EQ(t.LabelText(), "Running test (20)...");
  // The first refresh starts the measurement and asks for the output tests.
  EXPECT_EQ(Refresh(t, RigAnswer{}), kSelfTestOutputFlags);
  EXPECT_EQ(t.State(), S::Measuring);
  EXPECT_EQ(t.Counter(), kSelfTestMeasureTicks);
  RigAnswer during;
  during.rpm = 5020;
  during.sensorMv = 2500;
  during.inputsGrounded = true;
  EXPECT_EQ(Refresh(t, during), 0) << "the flags go out once";
  Ticks(t, kSelfTestMeasureTicks - 1);
  EXPECT_EQ(t.LabelText(), "Testing (1)...");
  t.Tick();
  EXPECT_EQ(t.State(), S::Evaluate);
  Refresh(t, RigAnswer{});
  EXPECT_EQ(t.State(), S::Result);
  EXPECT_EQ(t.Result(), 0);
  EXPECT_EQ(t.LabelText(), "Result OK...");
  EXPECT_EQ(t.LabelColour(), kMonLime);
  const std::vector<std::string> want = {
      "Selftest: 03.12.2026-09:05:07",
      "Unit = ZDA12",
      "1) servo: OK",
      "2) tacho: OK (5020=5000)      PickUp1: OK    PickUp2: OK",
      "3) Powerout1: OK (5.000->2.500)",
      "4) Powerout2 - In0: OK        In1: OK",
  };
  EXPECT_EQ(t.Memo(), want);
  // The result shows for 200 ticks, then the test is idle again.
  Ticks(t, kSelfTestResultTicks - 1);
  EXPECT_EQ(t.State(), S::Result);
  t.Tick();
  EXPECT_EQ(t.State(), S::Idle);
}

TEST(SelfTest, EachFailingCheckFailsTheTestAndSaysWhich) {
  struct Case {
    const char* what;
    RigAnswer during;
    bool pickupsGood;
    int line;
    const char* text;
  };
  RigAnswer good;
  good.rpm = 5000;
  good.sensorMv = 2500;
  good.inputsGrounded = true;
  RigAnswer noServo = good;
  noServo.servoOk = false;
  RigAnswer slow = good;
  slow.rpm = 4940;  // below 99 %
  RigAnswer fast = good;
  fast.rpm = 5051;  // above 101 %
  RigAnswer notPulled = good;
  notPulled.sensorMv = 2600;
  RigAnswer open = good;
  open.inputsGrounded = false;
  RigAnswer lowAdvance = good;
  lowAdvance.maxAdvance = 184;
  const Case cases[] = {
      {"servo", noServo, true, 2, "1) servo: ERROR"},
      {"slow", slow, true, 3, "2) tacho: ERROR (4940<>5000)      PickUp1: OK    PickUp2: OK"},
      {"fast", fast, true, 3, "2) tacho: ERROR (5051<>5000)      PickUp1: OK    PickUp2: OK"},
      {"pick-ups", good, false, 3,
       "2) tacho: ERROR (5000=5000)      PickUp1: ERROR PickUp2: ERROR"},
      {"output 1", notPulled, true, 4, "3) Powerout1: ERROR (5.000->2.600)"},
      {"inputs", open, true, 5, "4) Powerout2 - In0: ERROR2   In1: ERROR2"},
      {"advance", lowAdvance, true, 5, "4) Powerout2 - In0: OK        In1: OK"},
  };
  for (const Case& c : cases) {
    const SelfTest t = RunStopped(c.during, c.pickupsGood);
    EXPECT_EQ(t.Result(), 1) << c.what;
    EXPECT_EQ(t.LabelText(), "Result ERROR...") << c.what;
    EXPECT_EQ(t.LabelColour(), kMonRed) << c.what;
    ASSERT_EQ(t.Memo().size(), 6u) << c.what;
    EXPECT_EQ(t.Memo()[static_cast<size_t>(c.line)], c.text) << c.what;
  }
}

TEST(SelfTest, InputsGroundedAtTheStartCannotPass) {
  SelfTest t;
  t.Begin(true, 0);
  RigAnswer grounded;
  grounded.inputsGrounded = true;
  Refresh(t, grounded);  // inputs read 1 already: their checks stay 0
  RigAnswer during = grounded;
  during.rpm = 5000;
  during.sensorMv = 2500;
  Refresh(t, during);
  Ticks(t, kSelfTestMeasureTicks);
  Refresh(t, during);
  EXPECT_EQ(t.Result(), 1);
  EXPECT_EQ(t.Memo()[5], "4) Powerout2 - In0: ERROR1   In1: ERROR1");
}

TEST(SelfTest, SensorNotAtFullScaleAtTheStartFailsTheOutputCheck) {
  SelfTest t;
  t.Begin(true, 0);
  RigAnswer start;
  start.sensorMv = 4900;
  Refresh(t, start);
  RigAnswer during;
  during.rpm = 5000;
  during.sensorMv = 2500;
  during.inputsGrounded = true;
  Refresh(t, during);
  RigAnswer later = during;
  later.sensorMv = 1200;  // the end voltage follows while the check has not passed
  Refresh(t, later);
  Ticks(t, kSelfTestMeasureTicks);
  Refresh(t, later);
  EXPECT_EQ(t.Memo()[4], "3) Powerout1: ERROR (4.900->1.200)");
}

TEST(SelfTest, RunningEngineRestartsTheUnitFirst) {
  SelfTest t;
  EXPECT_EQ(t.Begin(true, 3000), SelfTestStart::Restart);
  EXPECT_EQ(t.State(), S::Restarting);
  EXPECT_EQ(t.LabelText(), "Restarting unit (60)...");
  RigAnswer running;
  running.rpm = 3000;
  EXPECT_EQ(Refresh(t, running), 0);
  EXPECT_EQ(t.State(), S::Restarting);
  Ticks(t, 10);
  EXPECT_EQ(Refresh(t, RigAnswer{}), 0) << "speed 0: the start comes with the next refresh";
  EXPECT_EQ(t.State(), S::Start);
  EXPECT_EQ(Refresh(t, RigAnswer{}), kSelfTestOutputFlags);
  EXPECT_EQ(t.State(), S::Measuring);
}

TEST(SelfTest, ARestartThatNeverStopsTheEngineGivesUp) {
  SelfTest t;
  t.Begin(true, 3000);
  RigAnswer running;
  running.rpm = 3000;
  for (int i = 0; i < kSelfTestRestartTicks; ++i) {
    Refresh(t, running);
    t.Tick();
  }
  EXPECT_EQ(t.State(), S::Idle);
  EXPECT_EQ(t.LabelText(), "");
}

TEST(SelfTest, ANewStartClearsTheLastResult) {
  RigAnswer good;
  good.rpm = 5000;
  good.sensorMv = 2500;
  good.inputsGrounded = true;
  SelfTest t = RunStopped(good);
  ASSERT_EQ(t.Result(), 0);
  t.Begin(true, 0);
  Refresh(t, RigAnswer{});
  EXPECT_EQ(t.Result(), -1);
  EXPECT_EQ(t.LabelText(), "Testing (50)...");
}

}  // namespace
}  // namespace zeda
