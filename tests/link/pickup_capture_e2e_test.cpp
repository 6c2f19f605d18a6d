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
  void SetUp() override { setTickCount(100); }
  void Connect(const std::vector<std::string>& args) {
    unit = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit->ok()) << unit->error;
    test::RegisterPorts({{5, unit->path()}});
    rig = std::make_unique<OpsRig>();
    rig->link.pollMask = &mask;
    ASSERT_TRUE(rig->WaitChecked()) << "no check ended";
  }
  void TearDown() override {
    rig.reset();
    unit.reset();
  }
  std::atomic<int32_t> mask{1};
  std::unique_ptr<PeerUnit> unit;
  std::unique_ptr<OpsRig> rig;
};

TEST_F(PickupCaptureE2E, AskedCapturesArriveCheckedWhileMonitorPollsGoOn) {
  Connect({"--rpm", "3000"});
  rig->ops.monitorCommands.pickupActive = true;
  CaptureRecord& done = rig->link.completedCapture;
  int taken = 0;
  ASSERT_TRUE(rig->RunUntil([&] {
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
  EXPECT_EQ(mask.load(), 1);
  // The monitor exchange keeps working between captures: no failed jobs piled up.
  EXPECT_TRUE(rig->ops.UnitConnected());
  // Without the request no capture is announced any more.
  rig->ops.monitorCommands.pickupActive = false;
  for (int i = 0; i < 20; ++i) rig->Run();
  ReleaseCompletedCapture(done);
  for (int i = 0; i < 20; ++i) rig->Run();
  EXPECT_EQ(done.type.load(), CAPTURE_NONE);
}

TEST_F(PickupCaptureE2E, BadChecksSlowThePollingStepByStep) {
  Connect({"--rpm", "3000", "--bad-capture"});
  rig->ops.monitorCommands.pickupActive = true;
  ASSERT_TRUE(rig->RunUntil([&] { return mask.load() == 3; }));
  ASSERT_TRUE(rig->RunUntil([&] { return mask.load() == 7; }));
  EXPECT_EQ(rig->link.completedCapture.type.load(), CAPTURE_NONE);
  EXPECT_TRUE(rig->ops.UnitConnected());
}

TEST_F(PickupCaptureE2E, ClosingTheLinkDropsACaptureInFlight) {
  Connect({"--rpm", "3000"});
  // A capture announced whose bytes never come (the unit went away mid-capture).
  CancelCapture(rig->link.capture);
  ASSERT_TRUE(AnnounceCapture(rig->link.capture, CAPTURE_SYNCHRONISED, 9000, 0, 0, 1));
  rig->link.CloseLink();
  EXPECT_EQ(rig->link.capture.type.load(), CAPTURE_NONE);
}

}  // namespace
}  // namespace zeda
