// The port search and the transfer jobs against simulated units on ptys.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "link/transfer_jobs.h"
#include "link_e2e_util.h"

namespace zeda {
namespace {

using test::RunOnce;
using test::RunUntil;
using test::SimUnitProcess;
using test::SimUnitThread;
using test::StatusRecorder;
using test::TraceFile;

class LinkE2E : public ::testing::Test {
 protected:
  void SetUp() override { SetTickCount(100); }
  // Creates the link object once the ports are registered.
  void MakeLink() {
    link_ = std::make_unique<CCOMCOM>();
    link_->statusSink = &status_;
  }
  bool Connected() const { return link_->connectedPort.load() != 0; }
  // Runs until the link is ready for jobs (a unit connected, job word 0).
  bool WaitReady(int maxRuns = 400) {
    return RunUntil(
               *link_, [&] { return Connected() && link_->Job() == 0; }, maxRuns) >= 0;
  }
  // Posts a job and runs until it ends; the final job word.
  int32_t RunJob(int32_t job, int32_t start, int32_t length, int32_t flags) {
    if (!link_->PostJob(job, start, length, flags)) return -1;
    RunUntil(
        *link_, [&] { return link_->Job() == JOB_DONE || link_->Job() == JOB_FAILED; }, 400);
    return link_->Job();
  }

  TraceFile trace_;
  StatusRecorder status_;
  std::unique_ptr<CCOMCOM> link_;
};

struct ProtocolCase {
  int32_t protocol;
  int32_t baud;
  int32_t blockSize;  // N of the link
};

class EveryProtocol : public LinkE2E, public ::testing::WithParamInterface<ProtocolCase> {};

TEST_P(EveryProtocol, FoundConnectedAndServesJobs) {
  const ProtocolCase c = GetParam();
  SimUnitThread unit({"--protocol", std::to_string(c.protocol)});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{7, unit.Path()}});
  MakeLink();
  ASSERT_TRUE(WaitReady()) << "not connected";
  EXPECT_EQ(link_->connectedPort.load(), 7);
  EXPECT_EQ(link_->activeLink.codec.protocol, c.protocol);
  EXPECT_EQ(link_->activeLink.frameSize - link_->activeLink.overhead, c.blockSize);
  EXPECT_EQ(link_->activeLink.unitKey, 107);
  EXPECT_EQ(link_->Port(7).baudRate.load(), c.baud);
  ASSERT_FALSE(status_.records.empty());
  const test::StatusRecord& m = status_.records.back();
  EXPECT_EQ(m.slot, 1);
  EXPECT_EQ(m.durationMs, 0);
  EXPECT_EQ(m.font, kColourBlack);
  EXPECT_EQ(m.back, kColourWhite);
  EXPECT_EQ(m.priority, 100);
  const std::string name = link_->activeLink.unitName;
  EXPECT_EQ(m.text, "###" + name + " connected##" + name + " verbunden##" + name + " připojen");
  EXPECT_NE(trace_.Find("]###" + name + " connected"), -1);

  // The whole image, the identification block and a monitor exchange.
  ASSERT_EQ(RunJob(JOB_READ, 0, 1050, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE), JOB_DONE);
  EXPECT_EQ(link_->LastJob(), JOB_READ);
  std::vector<uint8_t> image(link_->readImage, link_->readImage + 1050);
  link_->ClearJob();
  ASSERT_EQ(RunJob(JOB_IDBLOCK, 0, 150, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE), JOB_DONE);
  std::vector<uint8_t> idBlock(link_->readImage, link_->readImage + 150);
  std::vector<uint8_t> idFlags(link_->readFlags, link_->readFlags + 150);
  link_->ClearJob();
  MonitorCommands commands;
  std::memset(link_->writeImage, 0x77, 400);  // left over from programming
  ASSERT_TRUE(SendMonitor(*link_, commands));
  const int clear = std::max(c.blockSize, 150);
  for (int a = 0; a < clear; ++a) {
    if (a != 149) {
      ASSERT_EQ(link_->writeImage[a], 0) << a;
    }
  }
  RunUntil(
      *link_, [&] { return link_->Job() == JOB_DONE || link_->Job() == JOB_FAILED; }, 200);
  MonitorAnswer answer;
  ASSERT_TRUE(TakeMonitorAnswer(*link_, answer));
  EXPECT_EQ(answer.unitKey, 107);
  EXPECT_EQ(answer.unitVersion, 0);
  EXPECT_EQ(link_->MaxTries(), 1);
  link_->ClearJob();
  ASSERT_EQ(RunJob(JOB_SPECIAL, 0, 1, JOBF_MARK_RANGE), JOB_DONE);
  EXPECT_EQ(link_->LastJob(), JOB_SPECIAL);
  link_->ClearJob();

  unit.Stop();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), unit.Unit().Memory().begin()));
  // Block protocols below N = 150 deliver the first N bytes of the block; the rest stays 0.
  const int delivered = std::min(c.blockSize, 150);
  for (int a = 0; a < 150; ++a) {
    SCOPED_TRACE(a);
    ASSERT_EQ(idFlags[a], a < delivered ? 1 : 0);
    ASSERT_EQ(idBlock[a], a < delivered ? unit.Unit().idBlock()[a] : 0);
  }
  EXPECT_EQ(idBlock[10], 107);  // the key is inside the first 50 bytes on every protocol
}

INSTANTIATE_TEST_SUITE_P(Protocols, EveryProtocol,
                         ::testing::Values(ProtocolCase{PROTOCOL_IGN150, 57600, 150},
                                           ProtocolCase{PROTOCOL_WCOM, 57600, 150},
                                           ProtocolCase{PROTOCOL_WCOMS, 57600, 150},
                                           ProtocolCase{PROTOCOL_IGN50, 57600, 50},
                                           ProtocolCase{PROTOCOL_IGN100, 57600, 100},
                                           ProtocolCase{PROTOCOL_IGN300, 115200, 300}),
                         [](const auto& info) {
                           return std::string(ProtocolName(info.param.protocol));
                         });

TEST_F(LinkE2E, OtherUnitIsUnmatchedInRedAndItsPortClosed) {
  SimUnitProcess unit({"--key", "42"});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{3, unit.Path()}});
  MakeLink();
  ASSERT_GE(RunUntil(
                *link_, [&] { return !status_.records.empty(); }, 100),
            0);
  const test::StatusRecord& m = status_.records.front();
  EXPECT_EQ(m.slot, 1);
  EXPECT_EQ(m.durationMs, 6000);
  EXPECT_EQ(m.font, kColourBlack);
  EXPECT_EQ(m.back, kColourRed);
  EXPECT_EQ(m.priority, 10);
  EXPECT_EQ(m.text.rfind("###COM 3:", 0), 0u) << m.text;
  EXPECT_NE(m.text.find(" v42 (unmatched)##"), std::string::npos) << m.text;
  RunUntil(
      *link_, [&] { return trace_.Find("CLOSE COM3") >= 0; }, 20);
  const int fail = trace_.Find("[0]FAIL PORT - Close port COM3");
  ASSERT_GE(fail, 0);
  EXPECT_GT(trace_.Find("CLOSE COM3", fail), fail);
  for (int i = 0; i < 20; ++i) RunOnce(*link_);
  EXPECT_FALSE(Connected());
}

TEST_F(LinkE2E, EchoingLineIsGivenUp) {
  SimUnitProcess unit({"--echo"});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{5, unit.Path()}});
  MakeLink();
  ASSERT_GE(RunUntil(
                *link_, [&] { return trace_.Find("[0] ECHO !") >= 0; }, 100),
            0);
  RunUntil(
      *link_, [&] { return trace_.Find("CLOSE COM5") >= 0; }, 20);
  const int echo = trace_.Find("[0] ECHO !");
  const int fail = trace_.Find("[0]FAIL PORT - Close port COM5", echo);
  EXPECT_GT(fail, echo);
  EXPECT_GT(trace_.Find("CLOSE COM5", fail), fail);
  // Given up at once: no further row on that port.
  EXPECT_EQ(trace_.Find("skip onening port COM5", echo), -1);
  EXPECT_FALSE(Connected());
}

TEST_F(LinkE2E, ThreePortsInParallelAndAFourthWaits) {
  // Units of another type on IGN300: every slot works through all rows of its port.
  std::vector<std::unique_ptr<SimUnitProcess>> units;
  std::vector<std::pair<int, std::string>> ports;
  for (int com = 1; com <= 4; ++com) {
    units.push_back(std::make_unique<SimUnitProcess>(
        std::vector<std::string>{"--protocol", "3300", "--key", "42"}));
    ASSERT_TRUE(units.back()->Ok()) << units.back()->error;
    ports.push_back({com, units.back()->Path()});
  }
  test::RegisterPorts(ports);
  MakeLink();
  auto asking = [&](int s) {
    return link_->slots[s].state == SLOT_ASKED_ONCE || link_->slots[s].state == SLOT_ASKED_TWICE;
  };
  ASSERT_GE(RunUntil(
                *link_, [&] { return asking(0) && asking(1) && asking(2); }, 50),
            0);
  for (int s = 0; s < 3; ++s) EXPECT_EQ(link_->slots[s].port, s + 1) << s;
  EXPECT_GE(trace_.Find("[2] Send Once (IGN150)"), 0);
  EXPECT_EQ(trace_.Find("Open Port COM4"), -1);
  EXPECT_FALSE(link_->Port(4).IsOpen());
  // The fourth is opened once a slot has given its port up.
  ASSERT_GE(RunUntil(
                *link_, [&] { return trace_.Find("Open Port COM4") >= 0; }, 400),
            0);
  const int four = trace_.Find("Open Port COM4");
  const int released = trace_.Find("FAIL PORT - Close port COM");
  EXPECT_GE(released, 0);
  EXPECT_LT(released, four);
  EXPECT_FALSE(Connected());
}

TEST_F(LinkE2E, FixedSettingProbesOnlyThatPortAndChangingItForceCloses) {
  SimUnitProcess one({});                      // would be found at once
  SimUnitProcess two({"--protocol", "3300"});  // found on the last row only
  ASSERT_TRUE(one.Ok() && two.Ok());
  test::RegisterPorts({{1, one.Path()}, {2, two.Path()}});
  MakeLink();
  link_->comSetting = 2;
  RunUntil(
      *link_, [&] { return trace_.Find("Send Once") >= 0; }, 50);
  for (int i = 0; i < 6; ++i) RunOnce(*link_);
  EXPECT_EQ(link_->slots[0].port, 2);
  EXPECT_EQ(link_->slots[1].port, 0);
  EXPECT_EQ(link_->slots[2].port, 0);
  EXPECT_EQ(trace_.Find("Open Port COM1"), -1);

  link_->comSetting = 1;
  ASSERT_TRUE(WaitReady(100));
  EXPECT_EQ(link_->connectedPort.load(), 1);
  const int force = trace_.Find("[0]FORCE CLOSE - Close port COM2");
  ASSERT_GE(force, 0);
  EXPECT_GT(trace_.Find("Open Port COM1", force), force);
  EXPECT_GT(trace_.Find("CLOSE COM2", force), force);
}

TEST_F(LinkE2E, FixedSettingFindsTheUnitOnItsPort) {
  SimUnitProcess one({});
  SimUnitProcess two({"--protocol", "3300"});
  ASSERT_TRUE(one.Ok() && two.Ok());
  test::RegisterPorts({{1, one.Path()}, {2, two.Path()}});
  MakeLink();
  link_->comSetting = 2;
  ASSERT_TRUE(WaitReady(400));
  EXPECT_EQ(link_->connectedPort.load(), 2);
  EXPECT_EQ(trace_.Find("Open Port COM1"), -1);
}

TEST_F(LinkE2E, OffClosesEveryProbedPortAndNeverConnects) {
  SimUnitProcess one({"--protocol", "3300"});
  SimUnitProcess two({"--protocol", "3300"});
  ASSERT_TRUE(one.Ok() && two.Ok());
  test::RegisterPorts({{1, one.Path()}, {2, two.Path()}});
  MakeLink();
  RunUntil(
      *link_, [&] { return link_->Port(1).IsOpen() && link_->Port(2).IsOpen(); }, 50);
  ASSERT_TRUE(link_->Port(1).IsOpen() && link_->Port(2).IsOpen());
  link_->comSetting = kComSettingOff;
  for (int i = 0; i < 40; ++i) RunOnce(*link_);
  EXPECT_FALSE(link_->Port(1).IsOpen());
  EXPECT_FALSE(link_->Port(2).IsOpen());
  EXPECT_FALSE(Connected());
  for (int s = 0; s < 3; ++s) EXPECT_EQ(link_->slots[s].port, 0);
}

TEST_F(LinkE2E, LostMonitorAnswerFailsAfterOneTry) {
  SimUnitProcess unit({"--drop", "0.5", "--seed", "7"});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{6, unit.Path()}});
  MakeLink();
  ASSERT_TRUE(WaitReady(800));
  bool failed = false;
  for (int i = 0; i < 30 && !failed; ++i) {
    const int before = static_cast<int>(trace_.Lines().size());
    MonitorCommands commands;
    ASSERT_TRUE(SendMonitor(*link_, commands));
    RunUntil(
        *link_, [&] { return link_->Job() == JOB_DONE || link_->Job() == JOB_FAILED; }, 100);
    failed = link_->Job() == JOB_FAILED;
    if (failed) {
      EXPECT_EQ(link_->LastJob(), JOB_MONITOR);
      int timeouts = 0;
      const auto lines = trace_.Lines();
      for (size_t l = static_cast<size_t>(before); l < lines.size(); ++l) {
        timeouts += lines[l].find("COM timeout or redirection") != std::string::npos;
      }
      EXPECT_EQ(timeouts, 1);  // no second try
    }
    link_->ClearJob();
  }
  EXPECT_TRUE(failed) << "no monitor answer was lost";
}

TEST_F(LinkE2E, BusyPortIsExplainedOncePerRun) {
  SimUnitProcess unit({});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  // Another program holds the device.
  const int other = ::open(unit.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  test::RegisterPorts({{4, unit.Path()}});
  MakeLink();
  for (int i = 0; i < 40; ++i) RunOnce(*link_, 20);  // several attempts on the port
  ::close(other);
  EXPECT_GE(trace_.Find("[0] Not Openning..."), 0);
  ASSERT_EQ(status_.records.size(), 1u);
  const test::StatusRecord& m = status_.records[0];
  EXPECT_EQ(m.slot, 1);
  EXPECT_EQ(m.text, "###" + unit.Path() + " is busy: another program holds it.##" + unit.Path() +
                        " ist belegt: ein anderes Programm benutzt ihn.##" + unit.Path() +
                        " je obsazen: používá ho jiný program.");
  // Released: the unit is found.
  ASSERT_TRUE(WaitReady(100));
  EXPECT_EQ(link_->connectedPort.load(), 4);
}

// Requests counted by the unit: one identification answer, then the job's blocks.
struct CountCase {
  const char* name;
  std::vector<std::string> args;
  int32_t job;
  std::vector<int> marks;  // empty: the whole image with flags 3
  int requests;
  std::vector<std::pair<int, int>> written;  // [from, to) ranges the unit must now hold
};

class BlockCounts : public LinkE2E, public ::testing::WithParamInterface<CountCase> {};

TEST_P(BlockCounts, CountedByTheUnit) {
  const CountCase& c = GetParam();
  SimUnitThread unit(c.args);
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{9, unit.Path()}});
  MakeLink();
  ASSERT_TRUE(WaitReady());
  for (int a = 0; a < 1050; ++a) link_->writeImage[a] = static_cast<uint8_t>(a * 13 + 1);
  int32_t result;
  if (c.marks.empty()) {
    result = RunJob(c.job, 0, 1050, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE);
  } else {
    for (int a : c.marks) link_->transferMask[a] = 1;
    result = RunJob(c.job, 0, 1050, 0);
  }
  ASSERT_EQ(result, JOB_DONE);
  std::vector<uint8_t> written(link_->writeImage, link_->writeImage + 1050);
  unit.Stop();
  // The identification requests of the row that found the unit were answered too.
  const auto lines = trace_.Lines();
  int found = -1;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (lines[i].find(" connected##") != std::string::npos) found = i;
  }
  ASSERT_GE(found, 0);
  int identifies = 0;
  for (int i = found; i >= 0 && lines[i].find("Send Once") == std::string::npos; --i) {
    identifies += lines[i].find("Send Again") != std::string::npos;
  }
  ++identifies;
  EXPECT_EQ(unit.Unit().AnswersSent(), identifies + c.requests);
  if (c.job == JOB_WRITE) {
    const auto fresh = sim::DefaultSimMemory();
    for (int a = 0; a < 1050; ++a) {
      bool inside = false;
      for (const auto& [from, to] : c.written) inside = inside || (a >= from && a < to);
      ASSERT_EQ(unit.Unit().Memory()[a], inside ? written[a] : fresh[a]) << "address " << a;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, BlockCounts,
    ::testing::Values(CountCase{"Ign150WholeImage", {"--protocol", "3150"}, JOB_READ, {}, 7, {}},
                      CountCase{"Ign100WholeImage", {"--protocol", "3100"}, JOB_READ, {}, 11, {}},
                      CountCase{"Ign50ChangedBytes",
                                {"--protocol", "3050"},
                                JOB_WRITE,
                                {10, 700},
                                2,
                                {{0, 50}, {700, 750}}},
                      CountCase{"AddressedN32",
                                {"--protocol", "1", "--frame-size", "48"},
                                JOB_WRITE,
                                {0, 5, 40},
                                2,
                                {{0, 6}, {40, 41}}},
                      CountCase{"AddressedSingleByte",
                                {"--protocol", "2", "--frame-size", "48"},
                                JOB_WRITE,
                                {300},
                                1,
                                {{300, 301}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeda
