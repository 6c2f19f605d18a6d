// The simulated unit in-process: the codec talks to SimUnit without a pty.
#include "sim_unit.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <fstream>
#include <thread>

#include "link/capture_record.h"
#include "link/codec_peer.h"
#include "params/defaults.h"
#include "sim_engine.h"
#include "sim_server.h"
#include "unit_line.h"

namespace zeda::sim {
namespace {

using test::CodecPeer;

SimOptions Options(int32_t protocol) {
  SimOptions o;
  o.protocol = protocol;
  o.engine = EngineMode::Sweep;
  return o;
}

std::vector<uint8_t> Monitor(CodecPeer& peer, bool capture, int32_t n = 150) {
  std::vector<uint8_t> request(8000, 0);
  request[23] = capture ? 1 : 0;
  request[149] = 107;
  std::vector<uint8_t> answer;
  for (int32_t a = 0; a < 150; a += n) {
    if (!peer.Exchange(JOB_MONITOR, a, std::min(n, 150 - a), request.data(), 8000, &answer, 50)) {
      return {};
    }
  }
  return answer;
}

uint16_t Word(const std::vector<uint8_t>& answer, int word) {
  // Monitor word w sits at block positions 2w and 2w+1, i.e. answer bytes 2w-1 and 2w.
  return static_cast<uint16_t>(answer[2 * word - 1] | (answer[2 * word] << 8));
}

uint8_t Pos(const std::vector<uint8_t>& answer, int position) { return answer[position - 1]; }

// ------------------------------------------------------------------ options

TEST(SimOptionsTest, ParsesTheWholeCommandLine) {
  const char* argv[] = {"zedasim",
                        "--protocol",
                        "3300",
                        "--baud",
                        "19200",
                        "--key",
                        "42",
                        "--version",
                        "2",
                        "--hwkey",
                        "0x1234",
                        "--frame-size",
                        "48",
                        "--image",
                        "in.bin",
                        "--save",
                        "out.bin",
                        "--no-reading",
                        "--echo",
                        "--noise",
                        "0.25",
                        "--drop",
                        "0.5",
                        "--realtime",
                        "--seed",
                        "9",
                        "--link",
                        "/tmp/x",
                        "--engine",
                        "idle",
                        "--unstable-reads",
                        "3",
                        "--bad-capture"};
  SimOptions o;
  std::string error;
  ASSERT_TRUE(
      ParseSimOptions(static_cast<int>(std::size(argv)), const_cast<char**>(argv), o, error))
      << error;
  EXPECT_EQ(o.protocol, 3300);
  EXPECT_EQ(EffectiveBaud(o), 19200);
  EXPECT_EQ(o.key, 42);
  EXPECT_EQ(o.version, 2);
  EXPECT_EQ(o.hwKey, 0x1234);
  EXPECT_EQ(o.frameSize, 48);
  EXPECT_EQ(o.imagePath, "in.bin");
  EXPECT_EQ(o.savePath, "out.bin");
  EXPECT_TRUE(o.noReading && o.echo && o.realtime && o.badCapture);
  EXPECT_DOUBLE_EQ(o.noise, 0.25);
  EXPECT_DOUBLE_EQ(o.drop, 0.5);
  EXPECT_EQ(o.seed, 9u);
  EXPECT_EQ(o.linkPath, "/tmp/x");
  EXPECT_EQ(o.engine, EngineMode::Idle);
  EXPECT_EQ(o.unstableReads, 3);
}

TEST(SimOptionsTest, DefaultsAndBadValues) {
  SimOptions o;
  EXPECT_EQ(o.protocol, 3150);
  EXPECT_EQ(o.key, 107);
  EXPECT_EQ(o.version, 0);
  EXPECT_EQ(o.engine, EngineMode::Sweep);
  EXPECT_EQ(EffectiveBaud(o), 57600);
  o.protocol = 3300;
  EXPECT_EQ(EffectiveBaud(o), 115200);
  const std::vector<std::vector<const char*>> bad = {
      {"--protocol", "7"}, {"--noise", "2"},    {"--drop", "x"}, {"--engine", "fast"},
      {"--baud"},          {"--bogus"},         {"--key", "-1"}, {"--frame-size", "5"},
      {"--seed", "1x"},    {"--version", "256"}};
  for (const auto& args : bad) {
    std::vector<const char*> argv = {"zedasim"};
    argv.insert(argv.end(), args.begin(), args.end());
    SimOptions parsed;
    std::string error;
    EXPECT_FALSE(ParseSimOptions(static_cast<int>(argv.size()), const_cast<char**>(argv.data()),
                                 parsed, error))
        << args[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(SimMemoryTest, FactoryMemoryAndImageFiles) {
  const auto memory = DefaultSimMemory();
  EXPECT_EQ(memory.size(), 1050u);
  EXPECT_EQ(memory, StartImage().bytes);  // the program's own start image
  EXPECT_EQ(memory[185], 7);
  EXPECT_EQ(memory[186], 0);
  EXPECT_EQ(memory[2 * 79] | (memory[2 * 79 + 1] << 8), 11000);  // LIMITER

  char dir[] = "/tmp/zeda_sim_memXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/image.bin";
  SimUnit unit(Options(3150));
  unit.Memory()[10] = 0x99;
  std::string error;
  ASSERT_TRUE(unit.SaveImage(path, error)) << error;
  SimUnit other(Options(3150));
  ASSERT_TRUE(other.LoadImage(path, error)) << error;
  EXPECT_EQ(other.Memory(), unit.Memory());
  // A file of the wrong size is refused and the memory kept.
  std::ofstream(path, std::ios::binary | std::ios::app) << 'x';
  EXPECT_FALSE(other.LoadImage(path, error));
  EXPECT_NE(error.find("1050"), std::string::npos) << error;
  EXPECT_EQ(other.Memory()[10], 0x99);
  EXPECT_FALSE(other.LoadImage(std::string(dir) + "/missing.bin", error));
  std::remove(path.c_str());
  rmdir(dir);
}

// ------------------------------------------------------------------ identification

TEST(SimUnitTest, IdentificationBlockTexts) {
  SimOptions o = Options(3150);
  o.version = 4;
  SimUnit unit(o);
  const auto& id = unit.idBlock();
  EXPECT_EQ(id[9], 1);
  EXPECT_EQ(id[10], 107);
  EXPECT_EQ(id[11], 4);
  EXPECT_TRUE(std::isalpha(id[0]) && std::isalpha(id[1]) && std::isalpha(id[2]));
  EXPECT_LT(id[3], 100);
  EXPECT_EQ(id[5], 38);  // October
  EXPECT_LT(id[7], 24);
  EXPECT_LT(id[8], 60);
  EXPECT_NE(id[31], 0);
  EXPECT_NE(id[35], 0);
  EXPECT_NE(id[39], 0);
  EXPECT_NE(id[46], 255);
  EXPECT_NE(id[47], 0);
}

TEST(SimUnitTest, NoReadingLocksAtStartAndByte186RulesAfterwards) {
  SimOptions o = Options(3150);
  o.noReading = true;
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN150, 175);
  std::vector<uint8_t> zeros(8000, 0), id, image;
  ASSERT_TRUE(peer.Exchange(JOB_IDBLOCK, 0, 150, zeros.data(), 8000, &id, 50));
  EXPECT_EQ(id[9], 0);
  ASSERT_TRUE(peer.ReadImage(150, image));
  EXPECT_EQ(image[186], 1);
  // The option only locks the unit at start: writing the lock byte away unlocks it, and
  // the identification block follows.
  std::vector<uint8_t> cleared(1050, 0);
  ASSERT_TRUE(peer.WriteImage(150, cleared));
  EXPECT_EQ(unit.Memory()[186], 0);
  std::vector<uint8_t> after;
  ASSERT_TRUE(peer.Exchange(JOB_IDBLOCK, 0, 150, zeros.data(), 8000, &after, 50));
  EXPECT_EQ(after.at(9), 1);
}

TEST(SimUnitTest, SmallBlockProtocolsAnswerTheFirstBytesOfTheIdentificationBlock) {
  SimUnit unit(Options(3050));
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN50, 125);
  std::vector<uint8_t> zeros(8000, 0), id;
  ASSERT_TRUE(peer.Exchange(JOB_IDBLOCK, 0, 50, zeros.data(), 8000, &id, 50));
  EXPECT_TRUE(std::equal(id.begin(), id.end(), unit.idBlock().begin()));
  int32_t key = 0, n = 0;
  ASSERT_TRUE(peer.Identify(key, n, 50));
  EXPECT_EQ(key, 107);
}

TEST(SimUnitTest, AddressedIdentifyAnnouncesFrameSizeAndKeys) {
  SimOptions o = Options(1);
  o.frameSize = 48;
  o.key = 42;
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_WCOM, 75);
  int32_t key = 0, n = 0;
  ASSERT_TRUE(peer.Identify(key, n, 50));
  EXPECT_EQ(key, 42);
  EXPECT_EQ(n, 32);
  const uint8_t* data = peer.Codec().AnswerData();
  EXPECT_STREQ(reinterpret_cast<const char*>(data), "KESTRA2 ZEDA");
}

// ------------------------------------------------------------------ memory

TEST(SimUnitTest, UnstableReadsSpoilOnlyTheFirstWholeImageReads) {
  SimOptions o = Options(3100);
  o.unstableReads = 2;
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN100, 175);
  std::vector<uint8_t> want(unit.Memory().begin(), unit.Memory().end()), image;
  for (int read = 1; read <= 3; ++read) {
    ASSERT_TRUE(peer.ReadImage(100, image));
    int differences = 0;
    for (size_t i = 0; i < want.size(); ++i) differences += image[i] != want[i];
    EXPECT_EQ(differences, read <= 2 ? 1 : 0) << "read " << read;
  }
}

TEST(SimUnitTest, WriteBurstIsSavedOnceAndCounted) {
  char dir[] = "/tmp/zeda_sim_burstXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  SimOptions o = Options(3150);
  o.savePath = std::string(dir) + "/saved.bin";
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN150, 175);
  std::vector<uint8_t> image(1050);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i);
  line.now = 1000;
  ASSERT_TRUE(peer.WriteImage(150, image));
  EXPECT_FALSE(unit.Idle(1200));  // still within the burst
  EXPECT_TRUE(unit.Idle(1400));
  EXPECT_FALSE(unit.Idle(5000));  // saved once
  EXPECT_EQ(unit.ProgrammingCount(), 1);
  std::ifstream in(o.savePath, std::ios::binary);
  std::vector<uint8_t> saved((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  EXPECT_EQ(saved, image);
  // The monitor counts the programming and runs the save countdown from 2100 to 0.
  line.now = 1300;
  auto m = Monitor(peer, false);
  ASSERT_EQ(m.size(), 150u);
  EXPECT_EQ(Word(m, 7), 1);
  const int early = Word(m, 8);
  EXPECT_GT(early, 1700);  // counted from the last write at 1000
  EXPECT_LE(early, 2100);
  line.now = 2300;
  m = Monitor(peer, false);
  EXPECT_LT(Word(m, 8), early);
  EXPECT_GT(Word(m, 8), 0);
  line.now = 4000;
  m = Monitor(peer, false);
  EXPECT_EQ(Word(m, 8), 0);
  std::remove(o.savePath.c_str());
  rmdir(dir);
}

TEST(SimUnitTest, FailedSaveIsReportedOnceAndTheUnitGoesOn) {
  SimOptions o = Options(3150);
  o.savePath = "/nonexistent-zeda-dir/saved.bin";
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN150, 175);
  std::vector<uint8_t> image(1050, 0x11);
  ASSERT_TRUE(peer.WriteImage(150, image));
  EXPECT_FALSE(unit.Idle(10000));
  const std::string error = unit.TakeSaveError();
  EXPECT_NE(error.find("/nonexistent-zeda-dir/saved.bin"), std::string::npos) << error;
  EXPECT_TRUE(unit.TakeSaveError().empty());
  std::vector<uint8_t> back;
  ASSERT_TRUE(peer.ReadImage(150, back));
  EXPECT_EQ(back, image);
}

// ------------------------------------------------------------------ monitor

TEST(SimUnitTest, MonitorFollowsTheEngine) {
  SimUnit unit(Options(3150));
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN150, 175);
  line.now = 0;
  auto idle = Monitor(peer, false);
  ASSERT_EQ(idle.size(), 150u);
  EXPECT_EQ(Word(idle, 1), 1200);
  line.now = 10000;
  auto top = Monitor(peer, false);
  EXPECT_EQ(Word(top, 1), 11000);          // the limiter of a memory without one
  EXPECT_GT(Word(top, 3), Word(idle, 3));  // throttle follows
  EXPECT_TRUE(Pos(top, 145) & 0x01);       // at the limiter
  for (const auto& m : {idle, top}) {
    EXPECT_GE(Word(m, 4), 13600);
    EXPECT_LE(Word(m, 4), 14000);
    EXPECT_EQ(Pos(m, 150), 107);
    EXPECT_EQ(Pos(m, 149), 0);
    EXPECT_EQ(Pos(m, 1), 7);              // bike preset from memory byte 185
    EXPECT_EQ(Pos(m, 140) & 0x01, 0x01);  // pick-up 1 running
    EXPECT_EQ(Pos(m, 119), 2);
    EXPECT_GT(Pos(m, 105), 100);  // advance +100
    EXPECT_EQ(Pos(m, 107), 0);    // channel 3 not in use
  }
  EXPECT_GT(Pos(top, 105), Pos(idle, 105));
  EXPECT_NE(Pos(top, 121), 0);  // a gear is engaged while revving
  // The minute counter alternates between the hour meter and the overvoltage time.
  EXPECT_NE(Pos(idle, 142) & 0x80, Pos(top, 142) & 0x80);
}

TEST(SimUnitTest, AdvanceComesFromTheMemoryMap) {
  auto memory = DefaultSimMemory();
  for (int i = 0; i < 15; ++i) memory[570 + i] = static_cast<uint8_t>(10 + 10 * i);  // 1000..15000
  for (int r = 0; r < 10; ++r) {
    for (int c = 0; c < 15; ++c) memory[600 + r * 15 + c] = static_cast<uint8_t>(100 + c);
  }
  memory[251] = 15;
  EXPECT_EQ(SimEngine::AdvanceAt(memory.data(), 1000, 0, 0), 0);
  EXPECT_EQ(SimEngine::AdvanceAt(memory.data(), 3000, 0, 0), 2);
  EXPECT_EQ(SimEngine::AdvanceAt(memory.data(), 3500, 0, 0), 2);  // 2.5 truncated
  EXPECT_EQ(SimEngine::AdvanceAt(memory.data(), 20000, 0, 0), 14);
  memory[254] = 95;  // channel 2 corrected by -5
  EXPECT_EQ(SimEngine::AdvanceAt(memory.data(), 3000, 0, 1), -3);
}

TEST(SimUnitTest, StoppedEngineAndSpecialCommandRestart) {
  SimOptions o = Options(3150);
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_IGN150, 175);
  std::vector<uint8_t> block(8000, 0);
  block[12] = 0xA5;
  block[13] = 0x10;
  line.now = 5000;
  ASSERT_TRUE(peer.Exchange(JOB_SPECIAL, 0, 1, block.data(), 8000, nullptr, 50));
  line.now = 5500;
  auto m = Monitor(peer, true);
  EXPECT_EQ(Word(m, 1), 0);   // restarting
  EXPECT_EQ(Pos(m, 128), 0);  // and no capture
  line.now = 8000;
  m = Monitor(peer, false);
  EXPECT_GT(Word(m, 1), 0);

  o.engine = EngineMode::Stopped;
  SimUnit stopped(o);
  UnitLine line2(stopped);
  CodecPeer peer2(line2, PROTOCOL_IGN150, 175);
  m = Monitor(peer2, true);
  EXPECT_EQ(Word(m, 1), 0);
  EXPECT_EQ(Pos(m, 140) & 0x03, 0);
  EXPECT_EQ(Pos(m, 128), 0);
}

TEST(SimUnitTest, AddressedSpecialCommandIsAnswered) {
  SimUnit unit(Options(2));
  UnitLine line(unit);
  CodecPeer peer(line, PROTOCOL_WCOMS, 125);
  std::vector<uint8_t> block(8000, 0);
  EXPECT_TRUE(peer.Exchange(JOB_SPECIAL, 0, 1, block.data(), 8000, nullptr, 50));
}

struct CaptureCase {
  int32_t protocol;
  int32_t n;
  bool bad;
};

class SimCapture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(SimCapture, CaptureIsAnnouncedAndFollowsTheLastMonitorBlock) {
  const CaptureCase& c = GetParam();
  SimOptions o = Options(c.protocol);
  o.badCapture = c.bad;
  o.frameSize = 48;
  SimUnit unit(o);
  UnitLine line(unit);
  CodecPeer peer(line, c.protocol, 175);
  line.now = 4000;
  auto m = Monitor(peer, true, c.n);
  ASSERT_GE(m.size(), 150u);
  ASSERT_EQ(Pos(m, 128), CAPTURE_SYNCHRONISED);
  const uint16_t length = Word(m, 49);
  ASSERT_GT(length, 16);
  std::vector<uint8_t> rest;
  peer.Drain(rest, 10);
  ASSERT_EQ(rest.size(), length);
  auto record = std::make_unique<CaptureRecord>();
  auto completed = std::make_unique<CaptureRecord>();
  std::atomic<int32_t> mask{1};
  CaptureLink link{record.get(), completed.get(), &mask};
  ASSERT_TRUE(AnnounceCapture(*record, Pos(m, 128), length, Pos(m, 129), Pos(m, 130), Pos(m, 131)));
  for (uint8_t b : rest) DivertCaptureByte(link, b);
  EXPECT_EQ(record->type.load(), CAPTURE_NONE);
  EXPECT_EQ(completed->type.load(), c.bad ? CAPTURE_NONE : CAPTURE_SYNCHRONISED);
  EXPECT_EQ(mask.load(), c.bad ? 3 : 1);
  // Without the request bit no capture follows.
  m = Monitor(peer, false, c.n);
  EXPECT_EQ(Pos(m, 128), 0);
  rest.clear();
  peer.Drain(rest, 10);
  EXPECT_TRUE(rest.empty());
}

INSTANTIATE_TEST_SUITE_P(Sim, SimCapture,
                         ::testing::Values(CaptureCase{3150, 150, false},
                                           CaptureCase{3150, 150, true},
                                           CaptureCase{3050, 50, false}, CaptureCase{1, 32, false},
                                           CaptureCase{3300, 300, false}),
                         [](const auto& info) {
                           return std::to_string(info.param.protocol) +
                                  (info.param.bad ? "BadChecks" : "");
                         });

TEST(SimEngineTest, SynchronisedCaptureGivesTheEngineSpeed) {
  SimEngine engine(EngineMode::Idle);
  auto memory = DefaultSimMemory();
  uint8_t cycleCode = 0;
  const auto capture = engine.Capture(0, memory.data(), true, cycleCode);
  ASSERT_EQ(cycleCode, 1);
  // Times of the cycle-counter changes, unwrapped; the speed from the second cycle.
  std::vector<int64_t> changes;
  int64_t offset = 0, lastStamp = -1;
  int lastCycle = -1;
  for (size_t i = 0; i + 3 < capture.size(); i += 4) {
    const uint32_t s = capture[i] | (capture[i + 1] << 8) | (capture[i + 2] << 16) |
                       (static_cast<uint32_t>(capture[i + 3]) << 24);
    int64_t stamp = s & 0xFFFFFF;
    if (lastStamp >= 0 && stamp + offset < lastStamp) offset += 1 << 24;
    stamp += offset;
    lastStamp = stamp;
    const int cycle = (s >> 24) & 3;
    if (lastCycle >= 0 && cycle != lastCycle) changes.push_back(stamp);
    lastCycle = cycle;
  }
  ASSERT_GE(changes.size(), 3u);
  const double l2 = static_cast<double>(changes[2] - changes[1]);
  const double rpm = 60.0 / (l2 * 0.0000004);
  EXPECT_NEAR(rpm, engine.RpmAt(0, memory.data()), 5.0);
  EXPECT_GT(offset, 0);  // the first capture runs over the 24-bit wrap
}

// ------------------------------------------------------------------ faults

TEST(SimFaultsTest, DropAndNoiseSpoilTheExpectedShare) {
  for (const auto& [noise, drop] :
       {std::pair{0.0, 1.0}, std::pair{1.0, 0.0}, std::pair{0.3, 0.3}}) {
    SimOptions o = Options(3150);
    o.noise = noise;
    o.drop = drop;
    o.seed = 5;
    SimUnit unit(o);
    UnitLine line(unit);
    CodecPeer peer(line, PROTOCOL_IGN150, 175);
    int good = 0;
    std::vector<uint8_t> zeros(8000, 0);
    for (int i = 0; i < 100; ++i) {
      peer.Codec().BuildJobRequest(JOB_READ, 0, 150, zeros.data(), 8000, 0);
      const AnswerVerdict v =
          peer.SendAndWait([&] { return peer.Codec().CheckAnswer(JOB_READ, 0, 150, 0xC1, 0); }, 2);
      good += v == AnswerVerdict::Accepted;
      // Let the receiver forget a spoilt frame, as the gap would.
      peer.Codec().ResetCodec(PROTOCOL_IGN150, 175);
    }
    const int expected = static_cast<int>(100 * (1 - noise) * (1 - drop));
    EXPECT_NEAR(good, expected, 15) << noise << "/" << drop;
  }
}

TEST(SimFaultsTest, EchoReturnsEveryByteAndNeverAnswers) {
  SimOptions o = Options(3150);
  o.echo = true;
  SimUnit unit(o);
  std::vector<uint8_t> out;
  const uint8_t request[3] = {0x41, 0x00, 0x01};
  unit.Receive(request, 3, 0, out);
  EXPECT_EQ(out, std::vector<uint8_t>(request, request + 3));
  EXPECT_EQ(unit.AnswersSent(), 0);
}

TEST(SimFaultsTest, GarbageAndWrongFramesGetNoAnswer) {
  SimUnit unit(Options(1));
  std::vector<uint8_t> out;
  std::mt19937 random(3);
  std::vector<uint8_t> junk(5000);
  for (uint8_t& b : junk) b = static_cast<uint8_t>(random());
  unit.Receive(junk.data(), junk.size(), 0, out);
  unit.LineIdle(500);  // the line falls silent: whatever was half received is dropped
  // A sum-checked request does not belong to the CRC protocol.
  const uint8_t wcoms[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xFB,
                           0xEE, 0xFE, 0x00, 0x00, 0x00, 0x00, 0xB3, 0xAA};
  unit.Receive(wcoms, sizeof wcoms, 1000, out);
  EXPECT_TRUE(out.empty());
  // A request cut by a pause is forgotten.
  const uint8_t wcom[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xBB,
                          0xEE, 0xFE, 0x00, 0x00, 0x00, 0x00, 0xD8, 0x69};
  unit.Receive(wcom, 8, 2000, out);
  unit.LineIdle(2100);
  unit.Receive(wcom + 8, 8, 2500, out);
  EXPECT_TRUE(out.empty());
  unit.LineIdle(2600);
  unit.Receive(wcom, sizeof wcom, 3000, out);
  EXPECT_FALSE(out.empty());
}

// Only silence the unit saw splits a request: bytes that were read late in two parts (a busy
// machine) still make one request.
TEST(SimFaultsTest, LateReadOfOneRequestIsStillOneRequest) {
  SimUnit unit(Options(1));
  std::vector<uint8_t> out;
  const uint8_t wcom[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xBB,
                          0xEE, 0xFE, 0x00, 0x00, 0x00, 0x00, 0xD8, 0x69};
  unit.Receive(wcom, 8, 2000, out);
  unit.LineIdle(2050);  // silent, but not for longer than the gap
  unit.Receive(wcom + 8, 8, 2500, out);
  EXPECT_FALSE(out.empty());
}

// ------------------------------------------------------------------ server in-process

TEST(SimServerTest, ServesItsPtyInProcessUntilStopped) {
  SimServer server(Options(3150));
  std::string error;
  ASSERT_TRUE(server.Open(error)) << error;
  const std::string path = server.SlavePath();
  std::atomic<bool> stop{false};
  std::thread thread([&] { server.Run(stop); });
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B57600);
  cfsetospeed(&t, B57600);
  tcsetattr(fd, TCSANOW, &t);
  {
    test::FdLine fdLine(fd);
    CodecPeer peer(fdLine, PROTOCOL_IGN150, 175);
    int32_t key = 0, n = 0;
    EXPECT_TRUE(peer.Identify(key, n));
    EXPECT_EQ(key, 107);
  }
  stop = true;
  thread.join();
  EXPECT_GE(server.Unit().AnswersSent(), 1);
  // The master is closed: the line hangs up.
  uint8_t byte;
  const ssize_t n = read(fd, &byte, 1);
  EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
  close(fd);
}

}  // namespace
}  // namespace zeda::sim
