// The simulated unit answers the Test page's requests: tests show in its monitor answers
// while they run, calibrations run to a result, and its trace names every request.
#include "sim_tests.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <sstream>

#include "link/calibration_report.h"
#include "link/codec_peer.h"
#include "link/test_requests.h"
#include "monitor/monitor_display.h"
#include "sim_unit.h"
#include "unit_line.h"

namespace zeda::sim {
namespace {

using test::CodecPeer;

// A unit on a line with the program's monitor commands: Poll sends one monitor request
// built as the program builds it and returns the answer as a 151-position block.
class Bench {
 public:
  explicit Bench(SimOptions options, int32_t protocol = PROTOCOL_IGN150)
      : unit(WithProtocol(options, protocol)),
        line(unit),
        peer_(line, protocol, 175),
        n_(BlockOf(protocol)) {}

  std::array<uint8_t, 151> Poll(int64_t atMs) {
    line.now = atMs;
    std::vector<uint8_t> request(8000, 0);
    FillMonitorRequest(request.data(), commands, 107, 0);
    std::vector<uint8_t> answer;
    std::array<uint8_t, 151> block{};
    for (int32_t a = 0; a < 150; a += n_) {
      if (!peer_.Exchange(JOB_MONITOR, a, std::min(n_, 150 - a), request.data(), 8000, &answer,
                          50)) {
        ADD_FAILURE() << "no monitor answer at " << atMs << " ms";
        return block;
      }
    }
    std::copy(answer.begin(), answer.begin() + 150, block.begin() + 1);
    return block;
  }
  bool Traced(const std::string& text) const {
    const auto& t = unit.Trace();
    return std::any_of(t.begin(), t.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }

  SimUnit unit;
  UnitLine line;
  MonitorCommands commands;

 private:
  static SimOptions WithProtocol(SimOptions options, int32_t protocol) {
    options.protocol = protocol;
    return options;
  }
  static int32_t BlockOf(int32_t protocol) {
    return protocol == PROTOCOL_IGN50 ? 50 : protocol == PROTOCOL_IGN100 ? 100 : 150;
  }
  CodecPeer peer_;
  int32_t n_;
};

SimOptions Stopped() {
  SimOptions o;
  o.engine = EngineMode::Stopped;
  return o;
}

int Word(const std::array<uint8_t, 151>& b, int w) { return b[2 * w] | (b[2 * w + 1] << 8); }

TEST(SimTests, IgnitionTestShowsInTheAnswersWhileItRuns) {
  Bench bench(Stopped());
  const int testRpm = bench.unit.Memory()[497] * 100;
  ASSERT_GT(testRpm, 0);
  PressTestButton(bench.commands, TestButton::TestIgn2);
  auto m = bench.Poll(1000);  // the answer to the request that carries it
  EXPECT_EQ(Word(m, 1), 0);
  EXPECT_TRUE(bench.Traced("test request: ignition 0x02 output 0x00 servo 0x00"));
  EXPECT_TRUE(bench.Traced("ignition test 2 runs at " + std::to_string(testRpm) + " rpm"));
  m = bench.Poll(1500);
  EXPECT_EQ(Word(m, 1), testRpm);
  EXPECT_NE(m[106], 0) << "channel 2 reports its advance";
  EXPECT_EQ(m[105], 0) << "channel 1 stays on base";
  m = bench.Poll(1000 + kTestRunMs + 100);
  EXPECT_EQ(Word(m, 1), 0) << "the test has ended";
}

TEST(SimTests, IgnitionTestIsRefusedWhileTheEngineRuns) {
  SimOptions o;
  o.engine = EngineMode::Steady;
  o.steadyRpm = 3000;
  Bench bench(o);
  PressTestButton(bench.commands, TestButton::TestIgn1);
  bench.Poll(1000);
  EXPECT_TRUE(bench.Traced("ignition test 1 refused: the engine runs at 3000 rpm"));
  EXPECT_EQ(Word(bench.Poll(1500), 1), 3000);
}

TEST(SimTests, OutputTestsSwitchTheirOutputForAWhile) {
  struct Case {
    TestButton button;
    uint8_t outputs;
  };
  for (const Case c : {Case{TestButton::Test01, 1}, Case{TestButton::Test02, 2},
                       Case{TestButton::Test03, 4}, Case{TestButton::Test04, 8}}) {
    Bench bench(Stopped());
    PressTestButton(bench.commands, c.button);
    EXPECT_EQ(bench.Poll(1000)[109], 0);
    EXPECT_EQ(bench.Poll(1500)[109], c.outputs) << TestButtonInfo(c.button).control;
    EXPECT_EQ(bench.Poll(1000 + kTestRunMs)[109], 0) << TestButtonInfo(c.button).control;
  }
}

TEST(SimTests, ServoTestMovesTheReportedServoPosition) {
  Bench bench(Stopped());
  bench.unit.Memory()[498] = 50;  // TEST_SERVO_TIME 500 ms: 10 %
  auto m = bench.Poll(1000);
  EXPECT_EQ(m[116], 50);
  PressTestButton(bench.commands, TestButton::TestServoPlus);
  bench.Poll(1100);
  m = bench.Poll(1200);
  EXPECT_EQ(m[116], 60);
  EXPECT_EQ(Word(m, 5), 3000);
  EXPECT_TRUE(bench.Traced("servo test: 50 % -> 60 % (500 ms)"));
  for (int i = 0; i < 8; ++i) {
    PressTestButton(bench.commands, TestButton::TestServoMinus);
    bench.Poll(1300 + 100 * i);
  }
  EXPECT_EQ(bench.Poll(2200)[116], 0) << "the servo stops at its end";
}

struct CalibrationCase {
  const char* name;
  int32_t protocol;
  TestButton button;
  CalibrationKind kind;
};

class SimCalibration : public ::testing::TestWithParam<CalibrationCase> {};

TEST_P(SimCalibration, RunsItsStepsToAResultTheDisplayShows) {
  const CalibrationCase& c = GetParam();
  Bench bench(Stopped(), c.protocol);
  PressTestButton(bench.commands, c.button);
  bench.Poll(1000);  // first half of the unlock pair
  bench.Poll(1400);  // second half: it starts
  EXPECT_EQ(bench.commands.calibration, 0);
  auto m = bench.Poll(1800);
  CalibrationReport r = ReadCalibrationReport(m.data());
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.phase, CalibrationPhase::Running);
  EXPECT_GT(r.progress, 0);
  EXPECT_LT(r.progress, 100);
  m = bench.Poll(1400 + kCalibrationMs + 50);
  r = ReadCalibrationReport(m.data());
  EXPECT_EQ(r.phase, CalibrationPhase::Done);
  EXPECT_EQ(r.progress, 100);
  if (c.kind == CalibrationKind::Dwell) {
    EXPECT_EQ(r.values[0], kDwellResults[0]);
    EXPECT_EQ(r.values[2], kDwellResults[2]);
    EXPECT_TRUE(bench.Traced("dwell calibration done"));
  } else {
    EXPECT_EQ(r.values[0], kSpaResult);
    EXPECT_TRUE(bench.Traced("SPA calibration done"));
  }
  // The display's test lines show the report.
  zeda::MonitorBlock block;
  block.Assign(m.data());
  MonitorMemory memory;
  LiveValues values;
  MonitorView view;
  EvaluateMonitor(block, true, MonitorParams{}, memory, values, view);
  EXPECT_EQ(view[MonLabel::Test1].text,
            "Test1 = " + std::to_string(CalibrationStatus(c.kind, CalibrationPhase::Done)) + " ");
  EXPECT_EQ(view[MonLabelAt(MonLabel::Test1, 2)].text,
            "Test3 = " + std::to_string(r.values[0]) + " ");
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimCalibration,
    ::testing::Values(CalibrationCase{"DwellIgn150", PROTOCOL_IGN150, TestButton::CalibDwell,
                                      CalibrationKind::Dwell},
                      CalibrationCase{"SpaIgn50Split", PROTOCOL_IGN50, TestButton::CalibSPA,
                                      CalibrationKind::Spa},
                      CalibrationCase{"DwellWcoms", PROTOCOL_WCOMS, TestButton::CalibDwell,
                                      CalibrationKind::Dwell}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimTests, AnUnlockPairCutShortStartsNothing) {
  Bench bench(Stopped());
  PressTestButton(bench.commands, TestButton::CalibDwell);
  bench.Poll(1000);
  PressTestButton(bench.commands, TestButton::TestIgn1);  // clears the second half
  bench.Poll(1400);
  EXPECT_TRUE(bench.Traced("dwell calibration: unlock not completed"));
  EXPECT_EQ(ReadCalibrationReport(bench.Poll(1800).data()).kind, CalibrationKind::None);
}

TEST(SimTests, ACalibrationFailsWhileTheEngineRuns) {
  SimOptions o;
  o.engine = EngineMode::Steady;
  Bench bench(o);
  PressTestButton(bench.commands, TestButton::CalibSPA);
  bench.Poll(1000);
  bench.Poll(1400);
  const CalibrationReport r = ReadCalibrationReport(bench.Poll(1800).data());
  EXPECT_EQ(r.kind, CalibrationKind::Spa);
  EXPECT_EQ(r.phase, CalibrationPhase::Failed);
  EXPECT_TRUE(r.Ended());
}

TEST(SimTests, GearSensorCanBeSetForABench) {
  SimOptions o;
  o.engine = EngineMode::Steady;
  o.gearVoltage = 2345;
  o.gearRatio = 123;
  Bench bench(o);
  const auto m = bench.Poll(1000);
  EXPECT_EQ(Word(m, 27), 2345);
  EXPECT_EQ(Word(m, 28), 123);
}

TEST(SimTests, TheTestRigWiresTheOutputsBackToTheInputs) {
  SimOptions o = Stopped();
  o.testRig = true;
  Bench bench(o);
  const int testRpm = bench.unit.Memory()[497] * 100;
  auto m = bench.Poll(1000);
  EXPECT_EQ(Word(m, 2), 5000);
  EXPECT_EQ(m[142] & 0x03, 0);
  bench.commands.testFlags2 = 0x07;  // what the self test asks: outputs 1 and 2, rpm
  bench.Poll(1100);
  m = bench.Poll(1500);
  EXPECT_EQ(Word(m, 1), testRpm);
  EXPECT_EQ(m[140] & 0x03, 0x03) << "both pick-ups see the tacho signal";
  EXPECT_EQ(Word(m, 2), 2500) << "Power out 1 pulls the sensor input";
  EXPECT_EQ(m[142] & 0x03, 0x03) << "Power out 2 grounds inputs 1 and 2";
  EXPECT_EQ(Word(m, 9), 188);
}

TEST(SimTests, TraceFileGetsOneLinePerEvent) {
  char name[] = "/tmp/zeda-simtrace-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  SimOptions o = Stopped();
  o.tracePath = name;
  {
    Bench bench(o);
    PressTestButton(bench.commands, TestButton::TestRpm);
    bench.Poll(1000);
  }
  std::ifstream in(name);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(name);
  EXPECT_NE(text.str().find("1000 ms  test request: ignition 0x00 output 0x04"), std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find("rpm test: tacho output at"), std::string::npos);
}

TEST(SimTests, AddressedSpecialCommandCarriesItsValueToTheUnit) {
  Bench bench(Stopped(), PROTOCOL_WCOMS);
  CodecPeer peer(bench.line, PROTOCOL_WCOMS, 125);
  std::vector<uint8_t> block(8000, 0);
  ASSERT_TRUE(peer.Exchange(JOB_SPECIAL, 0, 1, block.data(), 8000, nullptr, 50));
  EXPECT_TRUE(bench.Traced("special command 1600: the unit restarts"));
}

TEST(SimTests, ARestartEndsTheRunningTests) {
  Bench bench(Stopped());
  PressTestButton(bench.commands, TestButton::Test01);
  bench.Poll(1000);
  ASSERT_EQ(bench.Poll(1200)[109], 1);
  CodecPeer peer(bench.line, PROTOCOL_IGN150, 175);
  std::vector<uint8_t> block(8000, 0);
  block[12] = 0xA5;
  block[13] = 0x10;
  ASSERT_TRUE(peer.Exchange(JOB_SPECIAL, 0, 1, block.data(), 8000, nullptr, 50));
  EXPECT_EQ(bench.Poll(1300)[109], 0);
}

}  // namespace
}  // namespace zeda::sim
