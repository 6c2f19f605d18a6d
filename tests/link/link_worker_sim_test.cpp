// The link worker against the simulated unit (zedasim) on a pty, end to end: a write of
// the whole image, the read-back and a monitor exchange, on a block protocol and on the
// addressed protocols.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/tick_clock.h"
#include "link/ccomcom.h"
#include "port_test_util.h"
#include "sim_process.h"

namespace zeda {
namespace {

struct SimCase {
  int32_t protocol;
  int32_t baud;
  int32_t frameSize;  // as the search would take it from the identification
  int32_t overhead;
  int32_t gapTimeout;
};

class LinkWorkerSimTest : public ::testing::TestWithParam<SimCase> {
 protected:
  void SetUp() override {
    const SimCase& c = GetParam();
    std::string error;
    ASSERT_TRUE(sim_.Start({"--protocol", std::to_string(c.protocol)}, error)) << error;
    ::setenv("ZEDA_PORTS", ("COM9=" + sim_.Path()).c_str(), 1);
    ::setenv("ZEDA_PORTS_ONLY", "1", 1);
    SetTickCount(1000);
    link_ = std::make_unique<CCOMCOM>();
    link_->comSetting = kComSettingOff;  // the port is opened by hand, not by the search
    link_->OpenPort(9, c.baud);
    ASSERT_TRUE(test::WaitUntil(
        [&] {
          Tick();
          return link_->Port(9).IsOpen();
        },
        10.0));
    LinkSlot slot;
    slot.port = 9;
    slot.frameSize = c.frameSize;
    slot.overhead = c.overhead;
    slot.codec.ResetCodec(c.protocol, c.gapTimeout);
    ASSERT_TRUE(link_->ConnectLink(slot));
    ASSERT_TRUE(test::WaitUntil([&] {
      link_->SuperviseLink();
      return link_->LinkState() == LINK_READY && link_->Job() == 0;
    }));
  }
  void TearDown() override {
    link_.reset();
    sim_.Stop();
    ::unsetenv("ZEDA_PORTS");
  }
  void Tick() {
    AdvanceTick();
    AdvanceTick();
    link_->SuperviseLink();
  }
  // Runs the main tick at its real pace until the job ends; returns the job word.
  int32_t RunJob(int32_t job, int32_t start, int32_t length, int32_t flags) {
    EXPECT_TRUE(link_->PostJob(job, start, length, flags));
    int32_t result = 0;
    test::WaitUntil(
        [&] {
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          Tick();
          result = link_->Job();
          return result == JOB_DONE || result == JOB_FAILED;
        },
        30.0);
    link_->ClearJob();
    return result;
  }

  test::SimProcess sim_;
  std::unique_ptr<CCOMCOM> link_;
};

TEST_P(LinkWorkerSimTest, WritesReadsBackAndExchangesTheMonitorBlock) {
  // Write a pattern over the whole image, then read it back.
  for (int32_t a = 0; a < PARAM_IMAGE_SIZE; ++a) {
    link_->writeImage[a] = static_cast<uint8_t>(a * 7 + 1);
  }
  ASSERT_EQ(RunJob(JOB_WRITE, 0, PARAM_IMAGE_SIZE, JOBF_MARK_RANGE), JOB_DONE);
  EXPECT_EQ(link_->LastJob(), JOB_WRITE);
  ASSERT_EQ(RunJob(JOB_READ, 0, PARAM_IMAGE_SIZE, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE), JOB_DONE);
  EXPECT_EQ(link_->LastJob(), JOB_READ);
  int differences = 0;
  for (int32_t a = 0; a < PARAM_IMAGE_SIZE; ++a) {
    if (link_->readImage[a] != static_cast<uint8_t>(a * 7 + 1) || link_->readFlags[a] != 1) {
      ++differences;
    }
  }
  EXPECT_EQ(differences, 0);

  // One monitor exchange, single try: the unit's key comes back in byte 149.
  std::memset(link_->writeImage, 0, 150);
  link_->writeImage[149] = 107;
  ASSERT_EQ(RunJob(JOB_MONITOR, 0, 150, JOBF_MARK_RANGE | JOBF_SINGLE_TRY), JOB_DONE);
  EXPECT_EQ(link_->LastJob(), JOB_MONITOR);
  EXPECT_EQ(link_->readImage[149], 107);
}

INSTANTIATE_TEST_SUITE_P(Protocols, LinkWorkerSimTest,
                         ::testing::Values(SimCase{PROTOCOL_IGN150, 57600, 152, 2, 175},
                                           SimCase{PROTOCOL_WCOM, 57600, 166, 16, 75},
                                           SimCase{PROTOCOL_WCOMS, 57600, 166, 16, 125}),
                         [](const ::testing::TestParamInfo<SimCase>& info) {
                           return std::string(FindProtocol(info.param.protocol)->name);
                         });

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

// The simulator exits under a running link (as an unplugged adapter would): the link goes
// off, the port leaves the list once, and when the unit comes back under the same name
// the port opens again and jobs run.
TEST(LinkSimRestartTest, SimulatorExitTakesTheLinkOffAndTheComebackWorks) {
  test::PortFolder folder;
  const std::string path = folder.PathOf(9);
  folder.Publish({9});
  SetTickCount(1000);
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--protocol", "3150", "--link", path}, error)) << error;
  auto link = std::make_unique<CCOMCOM>();
  link->comSetting = kComSettingOff;  // the port is opened by hand, not by the search
  auto tick = [&] {
    AdvanceTick();
    AdvanceTick();
    link->SuperviseLink();
  };
  auto connect = [&] {
    link->OpenPort(9, 57600);
    if (!test::WaitUntil(
            [&] {
              tick();
              return link->Port(9).IsOpen();
            },
            10.0)) {
      return false;
    }
    LinkSlot slot;
    slot.port = 9;
    slot.frameSize = 152;
    slot.overhead = 2;
    slot.codec.ResetCodec(PROTOCOL_IGN150, 175);
    // The link takes a new slot only once the worker has let go of the lost one.
    return test::WaitUntil([&] {
             link->SuperviseLink();
             return link->ConnectLink(slot);
           }) &&
           test::WaitUntil([&] {
             link->SuperviseLink();
             return link->LinkState() == LINK_READY;
           });
  };
  ASSERT_TRUE(connect());
  EXPECT_EQ(link->Port(9).present, 1);

  sim.Stop();
  link->portListChanged = false;
  ASSERT_TRUE(test::WaitUntil([&] {
    tick();
    return link->LinkState() == LINK_OFF && link->connectedPort.load() == 0 &&
           link->Port(9).present == 0;
  }));
  EXPECT_TRUE(link->portListChanged);
  EXPECT_EQ(link->Job(), 0);

  ASSERT_TRUE(sim.Start({"--protocol", "3150", "--link", path}, error)) << error;
  ASSERT_TRUE(test::WaitUntil([&] {
    tick();
    return link->Port(9).present == 1;
  }));
  ASSERT_TRUE(connect());
  ASSERT_TRUE(link->PostJob(JOB_READ, 0, 150, JOBF_MARK_RANGE));
  ASSERT_TRUE(test::WaitUntil([&] { return link->Job() == JOB_DONE; }, 10.0));
  link.reset();
  sim.Stop();
}

}  // namespace
}  // namespace zeda
