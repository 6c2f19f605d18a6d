// Pick-up captures end to end: the device machine asks for them with the monitor polls,
// announces what the answer reports, and the link worker collects and checks the bytes
// that the simulated unit sends behind the answer.
#include <gtest/gtest.h>

#include "device_ops_util.h"
#include "link/capture_record.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;

class PickupCaptureE2E : public ::testing::Test {
 protected:
  void SetUp() override { SetTickCount(100); }
  void Connect(const std::vector<std::string>& args) {
    unit_ = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit_->Ok()) << unit_->error;
    test::RegisterPorts({{5, unit_->Path()}});
    rig_ = std::make_unique<OpsRig>();
    rig_->link.pollMask = &mask_;
    ASSERT_TRUE(rig_->WaitChecked()) << "no check ended";
  }
  void TearDown() override {
    rig_.reset();
    unit_.reset();
  }
  std::atomic<int32_t> mask_{1};
  std::unique_ptr<PeerUnit> unit_;
  std::unique_ptr<OpsRig> rig_;
};

TEST_F(PickupCaptureE2E, AskedCapturesArriveCheckedWhileMonitorPollsGoOn) {
  Connect({"--rpm", "3000"});
  rig_->ops.monitorCommands.pickupActive = true;
  CaptureRecord& done = rig_->link.completedCapture;
  int taken = 0;
  ASSERT_TRUE(rig_->RunUntil([&] {
    if (done.type.load(std::memory_order_acquire) != CAPTURE_NONE) {
      EXPECT_EQ(done.type.load(), CAPTURE_SYNCHRONISED);
      const uint16_t length = done.expectedLength.load();
      EXPECT_GT(length, 0);
      EXPECT_EQ(length % 4, 0);
      uint8_t x = 0, sum = 0;
      for (int i = 0; i < length; ++i) {
        x ^= done.data[i];
        sum = static_cast<uint8_t>(sum + done.data[i]);
      }
      EXPECT_EQ(x, done.xorCheck.load());
      EXPECT_EQ(sum, done.sumCheck.load());
      EXPECT_EQ(done.cycleCode.load(), 1);
      ReleaseCompletedCapture(done);
      ++taken;
    }
    return taken >= 3;
  }));
  EXPECT_EQ(mask_.load(), 1);
  EXPECT_EQ(done.damagedCount.load(), 0u);
  // The monitor exchange keeps working between captures: no failed jobs piled up.
  EXPECT_TRUE(rig_->ops.UnitConnected());
  // Without the request no capture is announced any more.
  rig_->ops.monitorCommands.pickupActive = false;
  for (int i = 0; i < 20; ++i) rig_->Run();
  ReleaseCompletedCapture(done);
  for (int i = 0; i < 20; ++i) rig_->Run();
  EXPECT_EQ(done.type.load(), CAPTURE_NONE);
}

TEST_F(PickupCaptureE2E, BadChecksSlowThePollingStepByStep) {
  Connect({"--rpm", "3000", "--bad-capture"});
  rig_->ops.monitorCommands.pickupActive = true;
  ASSERT_TRUE(rig_->RunUntil([&] { return mask_.load() == 3; }));
  ASSERT_TRUE(rig_->RunUntil([&] { return mask_.load() == 7; }));
  EXPECT_EQ(rig_->link.completedCapture.type.load(), CAPTURE_NONE);
  // Each one is counted for the monitor to tell the user.
  EXPECT_GE(rig_->link.completedCapture.damagedCount.load(), 2u);
  EXPECT_TRUE(rig_->ops.UnitConnected());
}

TEST_F(PickupCaptureE2E, ClosingTheLinkDropsACaptureInFlight) {
  Connect({"--rpm", "3000"});
  // A capture announced whose bytes never come (the unit went away mid-capture).
  CancelCapture(rig_->link.capture);
  ASSERT_TRUE(AnnounceCapture(rig_->link.capture, CAPTURE_SYNCHRONISED, 9000, 0, 0, 1));
  rig_->link.CloseLink();
  EXPECT_EQ(rig_->link.capture.type.load(), CAPTURE_NONE);
}

}  // namespace
}  // namespace zeda
