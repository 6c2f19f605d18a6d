// The Test page's requests end to end: the device machine carries them to zedasim with
// its monitor polls, the unit's trace shows them, and their effect comes back in the
// following monitor answers; the monitor display shows a calibration's result and the gear
// voltage a gear button takes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "device_ops_util.h"
#include "link/calibration_report.h"
#include "link/test_requests.h"
#include "monitor/monitor_display.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;

int Word(const uint8_t* block, int w) { return block[2 * w] | (block[2 * w + 1] << 8); }

// What the display makes of the machine's last monitor block.
struct Shown {
  LiveValues values;
  MonitorView view;
};
Shown Show(const uint8_t* block151) {
  MonitorBlock block;
  block.Assign(block151);
  MonitorMemory memory;
  Shown shown;
  EvaluateMonitor(block, true, MonitorParams{}, memory, shown.values, shown.view);
  return shown;
}

class TestRequestsE2E : public ::testing::Test {
 protected:
  void SetUp() override { SetTickCount(100); }
  void TearDown() override {
    rig_.reset();
    unit_.reset();
    process_.reset();
  }
  void Connect(const std::vector<std::string>& args) {
    unit_ = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit_->Ok()) << unit_->error;
    test::RegisterPorts({{5, unit_->Path()}});
    rig_ = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig_->WaitChecked()) << "no check ended";
  }
  bool Traced(const std::string& text) {
    return unit_->WithUnit([&](const sim::SimUnit& u) {
      for (const std::string& line : u.Trace())
        if (line.find(text) != std::string::npos) return true;
      return false;
    });
  }
  int TestRpm() { return unit_->Memory()[497] * 100; }

  std::unique_ptr<test::SimUnitProcess> process_;
  std::unique_ptr<PeerUnit> unit_;
  std::unique_ptr<OpsRig> rig_;
};

TEST_F(TestRequestsE2E, IgnitionTestIsInTheSimulatorsTraceAndItsNextAnswer) {
  // The zedasim program itself, with its trace in a file.
  char trace[] = "/tmp/zeda-test-trace-XXXXXX";
  const int fd = mkstemp(trace);
  ASSERT_GE(fd, 0);
  close(fd);
  process_ = std::make_unique<test::SimUnitProcess>(
      std::vector<std::string>{"--engine", "stopped", "--trace", trace});
  ASSERT_TRUE(process_->Ok()) << process_->error;
  test::RegisterPorts({{5, process_->Path()}});
  rig_ = std::make_unique<OpsRig>();
  ASSERT_TRUE(rig_->WaitChecked());
  ASSERT_EQ(Word(rig_->ops.monitorBlock(), 1), 0) << "the engine stands";

  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::TestIgn1));
  const int testRpm = 5000;  // TEST_RPM of a new unit
  ASSERT_TRUE(rig_->RunUntil([&] { return Word(rig_->ops.monitorBlock(), 1) == testRpm; }, 100));
  const Shown shown = Show(rig_->ops.monitorBlock());
  EXPECT_EQ(shown.view[MonLabel::Rpm].text, "RPM = 5000");
  EXPECT_NE(shown.view[MonLabel::Advance1].text.find("Advance 1 = "), std::string::npos);

  std::ifstream in(trace);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(trace);
  EXPECT_NE(text.str().find("test request: ignition 0x01 output 0x00 servo 0x00"),
            std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find("ignition test 1 runs at 5000 rpm"), std::string::npos);
  // Sent once: one request line for one press.
  const std::string s = text.str();
  EXPECT_EQ(s.find("test request:"), s.rfind("test request:"));
}

TEST_F(TestRequestsE2E, OutputAndServoTestsShowInTheAnswers) {
  Connect({"--engine", "stopped"});
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::Test03));
  ASSERT_TRUE(rig_->RunUntil([&] { return (rig_->ops.monitorBlock()[109] & 4) != 0; }, 100));
  EXPECT_TRUE(Traced("power out 3 test runs"));
  EXPECT_EQ(
      Show(rig_->ops.monitorBlock()).view[MonLabelAt(MonLabel::MonPOut1, 2)].text.substr(0, 4),
      "POUT");

  const int before = rig_->ops.monitorBlock()[116];
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::TestServoPlus));
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.monitorBlock()[116] > before; }, 100));
  EXPECT_TRUE(Traced("servo test: "));
}

TEST_F(TestRequestsE2E, DwellCalibrationRunsToTheResultTheDisplayShows) {
  Connect({"--engine", "stopped"});
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::CalibDwell));
  EXPECT_TRUE(rig_->ops.CalibrationRunning());
  bool sawRunning = false;
  ASSERT_TRUE(rig_->RunUntil(
      [&] {
        sawRunning |=
            ReadCalibrationReport(rig_->ops.monitorBlock()).phase == CalibrationPhase::Running;
        return !rig_->ops.CalibrationRunning();
      },
      200));
  EXPECT_TRUE(sawRunning) << "progress is reported while it runs";
  const CalibrationReport& r = rig_->ops.LastCalibration();
  EXPECT_EQ(r.kind, CalibrationKind::Dwell);
  EXPECT_EQ(r.phase, CalibrationPhase::Done);
  EXPECT_EQ(r.values[0], sim::kDwellResults[0]);
  EXPECT_TRUE(Traced("dwell calibration: unlock 1 of 2"));
  EXPECT_TRUE(Traced("dwell calibration starts"));
  const Shown shown = Show(rig_->ops.monitorBlock());
  EXPECT_EQ(shown.view[MonLabel::Test1].text, "Test1 = 12 ");
  EXPECT_EQ(shown.view[MonLabelAt(MonLabel::Test1, 2)].text, "Test3 = 512 ");
}

TEST_F(TestRequestsE2E, ASecondCalibrationIsNotEndedByTheFirstOnesResult) {
  Connect({"--engine", "stopped"});
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::CalibDwell));
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.CalibrationRunning(); }, 200));
  ASSERT_EQ(rig_->ops.LastCalibration().phase, CalibrationPhase::Done);
  // The unit keeps showing that result until the next calibration starts.
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::CalibSPA));
  bool sawRunning = false;
  ASSERT_TRUE(rig_->RunUntil(
      [&] {
        sawRunning |= rig_->ops.CalibrationRunning() &&
                      rig_->ops.LastCalibration().kind == CalibrationKind::Spa &&
                      rig_->ops.LastCalibration().phase == CalibrationPhase::Running;
        return !rig_->ops.CalibrationRunning();
      },
      200));
  EXPECT_TRUE(sawRunning) << "the dwell result did not end the SPA calibration";
  EXPECT_EQ(rig_->ops.LastCalibration().kind, CalibrationKind::Spa);
  EXPECT_EQ(rig_->ops.LastCalibration().phase, CalibrationPhase::Done);
  EXPECT_EQ(rig_->ops.LastCalibration().values[0], sim::kSpaResult);
}

TEST_F(TestRequestsE2E, CalibrationWithTheEngineRunningEndsFailed) {
  Connect({"--rpm", "2500"});
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::CalibSPA));
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.CalibrationRunning(); }, 200));
  EXPECT_EQ(rig_->ops.LastCalibration().kind, CalibrationKind::Spa);
  EXPECT_EQ(rig_->ops.LastCalibration().phase, CalibrationPhase::Failed);
  // An ignition test is refused by the unit too: the engine keeps its own speed.
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::TestIgn1));
  ASSERT_TRUE(rig_->RunUntil([&] { return Traced("ignition test 1 refused"); }, 100));
}

TEST_F(TestRequestsE2E, TheReportedGearVoltageIsThereForAGearButton) {
  Connect({"--rpm", "4000", "--gear-voltage", "2345", "--gear-ratio", "87"});
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.monitors > 0; }, 100));
  const Shown shown = Show(rig_->ops.monitorBlock());
  EXPECT_EQ(shown.values.gearMv, 2345);
  EXPECT_EQ(shown.values.gearRatio, 87);
  EXPECT_EQ(shown.view[MonLabel::MonGearNapeti].text, "Gear voltage = 2345 [mV]");
}

TEST_F(TestRequestsE2E, NoTestWithoutAUnitAndNoneOutlivesItsConnection) {
  unit_ = std::make_unique<PeerUnit>(std::vector<std::string>{"--engine", "stopped"});
  ASSERT_TRUE(unit_->Ok()) << unit_->error;
  test::RegisterPorts({{5, unit_->Path()}});
  rig_ = std::make_unique<OpsRig>();
  EXPECT_FALSE(rig_->ops.RequestTest(TestButton::TestIgn1)) << "no unit yet";
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_FALSE(rig_->ops.RequestTest(TestButton::TestN2O)) << "sets nothing";
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::TestIgn2));
  ASSERT_TRUE(rig_->ops.RequestTest(TestButton::CalibDwell));
  unit_->Stop();  // the line goes before the next poll
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }, 200));
  rig_->Run();
  const MonitorCommands& c = rig_->ops.monitorCommands;
  EXPECT_EQ(c.testFlags1, 0);
  EXPECT_EQ(c.calibration, 0);
  EXPECT_FALSE(rig_->ops.CalibrationRunning());
}

}  // namespace
}  // namespace zeda
