// The link worker against a scripted unit on the other end of a pty: retries and their
// count, the answer timeout in tickMs, whole jobs, cancelling through CloseLink and the
// supervision, a device that vanishes under the link, and destruction mid-job.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "base/tick_clock.h"
#include "link/ccomcom.h"
#include "link/frame_checks.h"
#include "port_test_util.h"

namespace zeda {
namespace {

using test::PortFolder;
using test::Pty;
using test::WaitUntil;

constexpr int kCom = 7;
constexpr int32_t kBlock = 150;  // IGN150
constexpr int32_t kFrame = kBlock + 2;

uint8_t ImageByte(int32_t address) { return static_cast<uint8_t>(address * 13 + 5); }

// The unit's side: counts IGN150 request frames and, when told to, answers read requests
// with its image bytes.
class ScriptedUnit {
 public:
  explicit ScriptedUnit(int master) : master_(master), thread_([this] { Run(); }) {}
  ~ScriptedUnit() { Stop(); }
  void Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  int Requests() const { return requests_.load(); }
  std::atomic<bool> answer{false};

 private:
  void Run() {
    uint8_t frame[kFrame];
    int have = 0;
    while (!stop_.load()) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN)) continue;
      uint8_t buf[512];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      for (ssize_t i = 0; i < n; ++i) {
        frame[have++] = buf[i];
        if (have < kFrame) continue;
        have = 0;
        // Decided before the request is counted: a test that saw the count may change
        // `answer` for the next request only.
        const bool reply = answer.load();
        requests_.fetch_add(1);
        if (reply) Answer(frame);
      }
    }
  }
  void Answer(const uint8_t* request) {
    if (request[0] < 0x41 || request[0] >= 0x41 + 0x30) return;
    const int32_t block = request[0] - 0x41;
    uint8_t reply[kFrame];
    reply[0] = static_cast<uint8_t>(0xC1 + block);
    for (int32_t i = 0; i < kBlock; ++i) reply[1 + i] = ImageByte(block * kBlock + i);
    reply[kFrame - 1] = BlockCheck(reply, kFrame - 1);
    size_t done = 0;
    while (done < sizeof reply && !stop_.load()) {
      const ssize_t w = ::write(master_, reply + done, sizeof reply - done);
      if (w > 0) done += static_cast<size_t>(w);
    }
  }

  int master_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

class LinkWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTickCount(1000);
    ASSERT_TRUE(pty_.Ok());
    folder_.Link(kCom, pty_.Slave());
    folder_.Publish({kCom});
    link_ = std::make_unique<CCOMCOM>();
    link_->comSetting = kComSettingOff;  // the port is opened by hand, not by the search
    EXPECT_EQ(link_->Job(), JOB_DONE);   // idle until a link comes up
    EXPECT_EQ(link_->LinkState(), LINK_OFF);
    ASSERT_TRUE(Connect());
    unit_ = std::make_unique<ScriptedUnit>(pty_.Master());
  }
  void TearDown() override {
    link_.reset();
    unit_.reset();
  }

  // Two ticks and one supervision, as the main tick runs the device machine.
  void Tick() {
    AdvanceTick();
    AdvanceTick();
    link_->SuperviseLink();
  }
  bool Connect() {
    link_->OpenPort(kCom, 57600);
    if (!WaitUntil([&] {
          Tick();
          return link_->Port(kCom).IsOpen() && link_->Port(kCom).requests.load() == 0;
        })) {
      return false;
    }
    LinkSlot slot;
    slot.port = kCom;
    slot.frameSize = kFrame;
    slot.overhead = 2;
    slot.codec.ResetCodec(PROTOCOL_IGN150, 175);
    std::snprintf(slot.unitName, sizeof slot.unitName, "test unit");
    if (!link_->ConnectLink(slot)) return false;
    return WaitUntil([&] {
      link_->SuperviseLink();
      return link_->LinkState() == LINK_READY && link_->Job() == 0;
    });
  }
  bool WaitForRequest(int count) {
    return WaitUntil(
        [&] { return unit_->Requests() >= count && link_->LinkState() == LINK_WAITING; });
  }
  // Lets the answer timeout run out: more than 400 ms of tickMs.
  void RunPastTimeout() {
    for (int i = 0; i < 9; ++i) AdvanceTick();
    link_->SuperviseLink();
  }

  Pty pty_;
  PortFolder folder_;
  std::unique_ptr<CCOMCOM> link_;
  std::unique_ptr<ScriptedUnit> unit_;
};

TEST_F(LinkWorkerTest, SingleTryFailsAtTheFirstTimeoutWhichRunsOnlyWithTicks) {
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE | JOBF_SINGLE_TRY));
  EXPECT_EQ(link_->MaxTries(), 1);
  ASSERT_TRUE(WaitForRequest(1));

  // Real time passes, the tick does not: no timeout.
  for (int i = 0; i < 20; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    link_->SuperviseLink();
  }
  EXPECT_EQ(link_->LinkState(), LINK_WAITING);
  // 400 ms of ticks are not yet "more than 400 ms".
  for (int i = 0; i < 8; ++i) AdvanceTick();
  link_->SuperviseLink();
  EXPECT_EQ(link_->LinkState(), LINK_WAITING);
  AdvanceTick();
  link_->SuperviseLink();
  ASSERT_TRUE(WaitUntil([&] { return link_->Job() == JOB_FAILED; }));
  EXPECT_EQ(link_->LastJob(), JOB_READ);
  EXPECT_EQ(link_->LinkState(), LINK_READY);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(unit_->Requests(), 1);

  // The result is taken; the job word goes back to 0 and a new job can be posted.
  EXPECT_FALSE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  link_->ClearJob();
  EXPECT_EQ(link_->Job(), 0);
  link_->ClearJob();  // only finished jobs are cleared
  EXPECT_EQ(link_->Job(), 0);
}

TEST_F(LinkWorkerTest, ThreeTriesSendTheRequestThreeTimesThenFail) {
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  EXPECT_EQ(link_->MaxTries(), 3);
  for (int sent = 1; sent <= 3; ++sent) {
    ASSERT_TRUE(WaitForRequest(sent)) << sent;
    EXPECT_EQ(link_->Job(), JOB_READ);
    EXPECT_EQ(unit_->Requests(), sent);
    RunPastTimeout();
  }
  ASSERT_TRUE(WaitUntil([&] { return link_->Job() == JOB_FAILED; }));
  EXPECT_EQ(link_->LastJob(), JOB_READ);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(unit_->Requests(), 3);
}

TEST_F(LinkWorkerTest, AnsweredReadOfTheWholeImageEndsDone) {
  unit_->answer = true;
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, PARAM_IMAGE_SIZE, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE));
  ASSERT_TRUE(WaitUntil([&] { return link_->Job() == JOB_DONE; }, 10.0));
  EXPECT_EQ(link_->LastJob(), JOB_READ);
  EXPECT_EQ(unit_->Requests(), 7);  // blocks 0-6
  EXPECT_EQ(link_->CurrentAddress(), 7 * kBlock);
  for (int32_t a = 0; a < PARAM_IMAGE_SIZE; ++a) {
    ASSERT_EQ(link_->readImage[a], ImageByte(a)) << a;
    ASSERT_EQ(link_->readFlags[a], 1) << a;
  }
  EXPECT_EQ(link_->Tries(), 0);
  EXPECT_EQ(link_->LinkState(), LINK_READY);
}

TEST_F(LinkWorkerTest, LateAnswerAfterTimeoutIsTakenOnTheRetry) {
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  ASSERT_TRUE(WaitForRequest(1));
  unit_->answer = true;
  RunPastTimeout();  // the repeated request is answered
  ASSERT_TRUE(WaitUntil([&] { return link_->Job() == JOB_DONE; }));
  EXPECT_EQ(unit_->Requests(), 2);
  EXPECT_EQ(link_->readImage[kBlock - 1], ImageByte(kBlock - 1));
}

TEST_F(LinkWorkerTest, CloseLinkCancelsTheJobAndNoStaleResultFollows) {
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  ASSERT_TRUE(WaitForRequest(1));
  link_->portListChanged = false;
  link_->CloseLink();
  EXPECT_EQ(link_->Job(), 0);
  EXPECT_EQ(link_->LinkState(), LINK_OFF);
  EXPECT_EQ(link_->connectedPort.load(), 0);
  EXPECT_TRUE(link_->portListChanged);
  EXPECT_EQ(link_->Port(kCom).requests.load(), REQ_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return link_->LinkQuiet(); }));
  // Time runs on: the cancelled job never ends as done or failed.
  for (int i = 0; i < 10; ++i) {
    RunPastTimeout();
    EXPECT_EQ(link_->Job(), 0);
  }
  EXPECT_EQ(link_->LinkState(), LINK_OFF);

  // The unit is found again: a new job runs normally.
  ASSERT_TRUE(WaitUntil([&] {
    Tick();
    return link_->Port(kCom).portState.load() == PORT_CLOSED;
  }));
  ASSERT_TRUE(Connect());
  unit_->answer = true;
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  ASSERT_TRUE(WaitUntil([&] { return link_->Job() == JOB_DONE; }));
}

// The supervision drops the link many times while jobs run at every stage; a result may
// only ever belong to the job posted last.
TEST_F(LinkWorkerTest, RepeatedCancelsNeverLeakAResultIntoTheNextJob) {
  unit_->answer = true;
  for (int round = 0; round < 25; ++round) {
    ASSERT_TRUE(WaitUntil([&] {
      link_->SuperviseLink();
      return link_->LinkState() == LINK_READY && link_->Job() == 0;
    }));
    ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock * 2, JOBF_MARK_RANGE));
    std::this_thread::sleep_for(std::chrono::microseconds(500 * (round % 7)));
    link_->linkEnabled.store(0);
    link_->SuperviseLink();  // link disabled: LINK_OFF, job 0
    const int32_t after = link_->Job();
    EXPECT_EQ(after, 0) << round;
    EXPECT_EQ(link_->LinkState(), LINK_OFF);
    // Until the worker has acknowledged, nothing new can be posted.
    if (!link_->LinkQuiet()) {
      EXPECT_FALSE(link_->PostJob(JOB_READ, 0, kBlock, 1));
    }
    ASSERT_TRUE(WaitUntil([&] { return link_->LinkQuiet(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_EQ(link_->Job(), 0) << round;
    link_->linkEnabled.store(1);
  }
  // After all that, a job still runs to its end.
  ASSERT_TRUE(WaitUntil([&] {
    link_->SuperviseLink();
    return link_->LinkState() == LINK_READY;
  }));
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  ASSERT_TRUE(WaitUntil([&] { return link_->Job() == JOB_DONE; }));
}

TEST_F(LinkWorkerTest, JobPostedWhileTheLinkIsOffIsDroppedWhenItComesUp) {
  link_->linkEnabled.store(0);
  link_->SuperviseLink();
  ASSERT_EQ(link_->LinkState(), LINK_OFF);
  ASSERT_TRUE(WaitUntil([&] { return link_->LinkQuiet(); }));
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(unit_->Requests(), 0);  // nothing is sent while the link is off
  link_->linkEnabled.store(1);
  ASSERT_TRUE(WaitUntil([&] {
    link_->SuperviseLink();
    return link_->LinkState() == LINK_READY;
  }));
  EXPECT_EQ(link_->Job(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(unit_->Requests(), 0);
  EXPECT_EQ(link_->LinkState(), LINK_READY);
}

// The worker feeds an announced pick-up capture from the line even with no job running.
TEST_F(LinkWorkerTest, AnnouncedCaptureIsCollectedWhileIdle) {
  unit_->Stop();  // the bytes on the line are the capture, not requests
  std::vector<uint8_t> samples(2000);
  uint8_t x = 0;
  uint8_t sum = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<uint8_t>(i * 29 + 7);
    x ^= samples[i];
    sum = static_cast<uint8_t>(sum + samples[i]);
  }
  ASSERT_TRUE(AnnounceCapture(link_->capture, CAPTURE_SYNCHRONISED,
                              static_cast<uint16_t>(samples.size()), x, sum, 0));
  pty_.Write(samples);
  ASSERT_TRUE(WaitUntil([&] { return link_->completedCapture.type.load() != CAPTURE_NONE; }));
  EXPECT_EQ(link_->completedCapture.type.load(), CAPTURE_SYNCHRONISED);
  EXPECT_EQ(link_->capture.type.load(), CAPTURE_NONE);
  EXPECT_EQ(std::memcmp(link_->completedCapture.data, samples.data(), samples.size()), 0);
  EXPECT_EQ(link_->Job(), 0);
}

TEST_F(LinkWorkerTest, VanishedDeviceTakesTheLinkOff) {
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, kBlock, JOBF_MARK_RANGE));
  ASSERT_TRUE(WaitForRequest(1));
  unit_->Stop();
  pty_.Close();  // the unit's end of the line is gone
  link_->portListChanged = false;
  ASSERT_TRUE(WaitUntil([&] {
    Tick();
    return link_->LinkState() == LINK_OFF && link_->connectedPort.load() == 0;
  }));
  EXPECT_EQ(link_->Job(), 0);
  EXPECT_TRUE(link_->portListChanged);
  CCOM& port = link_->Port(kCom);
  ASSERT_TRUE(WaitUntil([&] {
    Tick();
    return port.threadState.load() == THREAD_NONE;
  }));
  EXPECT_EQ(port.portState.load(), PORT_CLOSED);
  EXPECT_FALSE(port.thread.joinable());
}

TEST_F(LinkWorkerTest, DestructionMidJobJoinsEverythingAndClosesThePort) {
  ASSERT_TRUE(link_->PostJob(JOB_READ, 0, PARAM_IMAGE_SIZE, JOBF_MARK_RANGE));
  ASSERT_TRUE(WaitForRequest(1));
  link_.reset();
  uint8_t b = 0;
  const ssize_t n = ::read(pty_.Master(), &b, 1);
  EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n;
}

}  // namespace
}  // namespace zeda
