// The unit self test against zedasim in its test rig: the device machine carries the
// output tests, the rig wires them back, and the display's values judge them.
#include <gtest/gtest.h>

#include "app/self_test_run.h"
#include "link/device_ops_util.h"
#include "monitor/monitor_display.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;

class SelfTestE2E : public ::testing::Test {
 protected:
  void SetUp() override { SetTickCount(100); }
  void TearDown() override {
    rig_.reset();
    unit_.reset();
  }
  void Connect(const std::vector<std::string>& args) {
    unit_ = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit_->Ok()) << unit_->error;
    test::RegisterPorts({{5, unit_->Path()}});
    rig_ = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig_->WaitChecked()) << "no check ended";
    Refresh();
  }
  // The window's refresh of a fresh monitor answer, with the self test's step.
  void Refresh() {
    block_.Assign(rig_->ops.monitorBlock());
    EvaluateMonitor(block_, true, params_, memory_, values_, view_);
    SelfTestFacts facts;
    facts.testRpm = unit_->Memory()[497] * 100;
    facts.unitLine = "Unit = simulated";
    StepSelfTest(test_, rig_->ops, block_, values_, facts);
  }
  // One run of the machine is two main ticks.
  void Run() {
    const int before = rig_->ui.monitors;
    rig_->Run();
    test_.Tick();
    test_.Tick();
    if (rig_->ui.monitors != before) Refresh();
  }
  bool RunUntil(SelfTestState state, int maxRuns) {
    for (int i = 0; i < maxRuns; ++i) {
      if (test_.State() == state) return true;
      Run();
    }
    return test_.State() == state;
  }

  std::unique_ptr<PeerUnit> unit_;
  std::unique_ptr<OpsRig> rig_;
  SelfTest test_;
  MonitorBlock block_;
  MonitorParams params_;
  MonitorMemory memory_;
  LiveValues values_;
  MonitorView view_;
};

TEST_F(SelfTestE2E, StoppedEngineInTheRigPasses) {
  Connect({"--engine", "stopped", "--test-rig"});
  ASSERT_EQ(StartSelfTest(test_, rig_->ops, values_), SelfTestStart::Run);
  ASSERT_TRUE(RunUntil(SelfTestState::Result, 200)) << test_.LabelText();
  std::string memo;
  for (const std::string& line : test_.Memo()) memo += line + "\n";
  EXPECT_EQ(test_.Result(), 0) << memo;
  ASSERT_EQ(test_.Memo().size(), 6u);
  EXPECT_EQ(test_.Memo()[1], "Unit = simulated");
  EXPECT_EQ(test_.Memo()[2], "1) servo: OK");
  EXPECT_EQ(test_.Memo()[3], "2) tacho: OK (5000=5000)      PickUp1: OK    PickUp2: OK");
  EXPECT_EQ(test_.Memo()[4], "3) Powerout1: OK (5.000->2.500)");
  EXPECT_EQ(test_.Memo()[5], "4) Powerout2 - In0: OK        In1: OK");
  EXPECT_EQ(test_.LabelText(), "Result OK...");
  // The measurement's output tests went out in one request.
  const bool traced = unit_->WithUnit([](const sim::SimUnit& u) {
    for (const std::string& line : u.Trace())
      if (line.find("test request: ignition 0x00 output 0x07") != std::string::npos) return true;
    return false;
  });
  EXPECT_TRUE(traced);
}

TEST_F(SelfTestE2E, WithoutTheRigTheChecksFail) {
  Connect({"--engine", "stopped"});
  ASSERT_EQ(StartSelfTest(test_, rig_->ops, values_), SelfTestStart::Run);
  ASSERT_TRUE(RunUntil(SelfTestState::Result, 200)) << test_.LabelText();
  EXPECT_EQ(test_.Result(), 1);
  EXPECT_EQ(test_.LabelText(), "Result ERROR...");
  EXPECT_EQ(test_.Memo()[4].rfind("3) Powerout1: ERROR", 0), 0u) << test_.Memo()[4];
}

TEST_F(SelfTestE2E, RunningEngineRestartsTheUnitBeforeTheTest) {
  Connect({"--rpm", "3000", "--test-rig"});
  ASSERT_GT(values_.engineSpeed, 0);
  ASSERT_EQ(StartSelfTest(test_, rig_->ops, values_), SelfTestStart::Restart);
  EXPECT_EQ(test_.LabelText(), "Restarting unit (60)...");
  ASSERT_TRUE(RunUntil(SelfTestState::Measuring, 100)) << test_.LabelText();
  const bool restarted = unit_->WithUnit([](const sim::SimUnit& u) {
    for (const std::string& line : u.Trace())
      if (line.find("special command A5 10: the unit restarts") != std::string::npos) return true;
    return false;
  });
  EXPECT_TRUE(restarted);
  ASSERT_TRUE(RunUntil(SelfTestState::Result, 200)) << test_.LabelText();
  EXPECT_EQ(test_.Memo().size(), 6u);
}

TEST_F(SelfTestE2E, NothingStartsWithoutAUnit) {
  CCOMCOM link;
  ImageBuffers images;
  test::RecordingUi ui;
  DeviceOps ops(link, images, ui);
  SelfTest test;
  EXPECT_EQ(StartSelfTest(test, ops, LiveValues{}), SelfTestStart::Refused);
  EXPECT_EQ(test.State(), SelfTestState::Idle);
  EXPECT_EQ(ops.opRequest(), 0);
}

}  // namespace
}  // namespace zeda
