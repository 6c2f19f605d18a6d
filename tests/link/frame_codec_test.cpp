// FrameCodec: request building, the byte-by-byte receiver and the acceptance rules.
#include "link/frame_codec.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "base/tick_clock.h"
#include "base/trace.h"
#include "link/frame_checks.h"
#include "link/frame_test_util.h"
#include "link/job_codes.h"

namespace zeda {
namespace {

using test::Addressed;
using test::Block;
using test::Bytes;
using test::Cat;
using test::Hex;

int32_t GapOf(int32_t protocol) {
  switch (protocol) {
    case PROTOCOL_WCOM:
      return 75;
    case PROTOCOL_WCOMS:
      return 125;
    case PROTOCOL_IGN300:
      return 325;
    default:
      return 175;
  }
}

Bytes Sent(const FrameCodec& codec) {
  return Bytes(codec.transmitFrame, codec.transmitFrame + codec.transmitLength);
}

Bytes Received(const FrameCodec& codec) {
  return Bytes(codec.receiveBuffer, codec.receiveBuffer + codec.frameLength);
}

// Captures the link trace in a temporary file for the lifetime of the object.
class TraceFile {
 public:
  TraceFile() {
    char name[] = "/tmp/zeda_codec_traceXXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    path_ = name;
    LinkTraceSink().Open(path_);
  }
  ~TraceFile() {
    LinkTraceSink().Close();
    std::remove(path_.c_str());
  }
  std::string Text() const {
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::string path_;
};

// ---------------------------------------------------------------- requests

TEST(FrameChecks, CrcRegisterAfterTheFixedStartBytes) {
  const Bytes start = Hex("FF FF FF FF A5 5A BB");
  uint16_t reg = kCrcStart;
  for (uint8_t b : start) reg = Crc16Update(reg, b);
  EXPECT_EQ(reg, kCrcAfterStart);
  EXPECT_EQ(Sum16(start.data(), start.size()), static_cast<uint16_t>(kSumAfterStart - 0xBB + 0xBB));
}

struct RequestCase {
  const char* name;
  int32_t protocol;
  int32_t job;  // 0 = identification request of the search
  int32_t address;
  int32_t length;
  uint16_t parameterWord;
  int32_t expectedAnswer;
  std::string hex;  // the whole frame, or its first bytes when `prefixOnly`
  bool prefixOnly;
  int32_t transmitLength;
};

class RequestTable : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestTable, BuildsTheFrame) {
  const RequestCase& c = GetParam();
  auto image = std::make_unique<uint8_t[]>(8000);
  for (int i = 0; i < 8000; ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
  image[12] = 0xA5;
  image[13] = 0x10;
  FrameCodec codec;
  codec.ResetCodec(c.protocol, GapOf(c.protocol));
  int32_t expected = -2;
  if (c.job == 0) {
    codec.BuildIdentifyRequest(c.parameterWord);
  } else {
    expected =
        codec.BuildJobRequest(c.job, c.address, c.length, image.get(), 8000, c.parameterWord);
    EXPECT_EQ(expected, c.expectedAnswer);
  }
  EXPECT_EQ(codec.transmitLength, c.transmitLength);
  const Bytes want = Hex(c.hex);
  Bytes got = Sent(codec);
  if (c.prefixOnly) got.resize(std::min(got.size(), want.size()));
  EXPECT_EQ(got, want);
  // Whatever the family, the frame's own check must hold.
  const Bytes all = Sent(codec);
  if (codec.Family() == FrameFamily::Block) {
    uint8_t x = 0;
    for (uint8_t b : all) x ^= b;
    EXPECT_EQ(x, 0xFF);
  } else if (c.protocol == PROTOCOL_WCOMS) {
    EXPECT_EQ(Sum16(all.data(), all.size()), 0xFFFF);
  } else {
    const uint16_t crc = Crc16(all.data(), all.size() - 2);
    EXPECT_EQ(all[all.size() - 2], crc & 0xFF);
    EXPECT_EQ(all[all.size() - 1], crc >> 8);
  }
}

std::string Zeros(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "00 ";
  return s;
}

const RequestCase kRequests[] = {
    {"IdentifyWcom", 1, 0, 0, 0, 107, 0, "FF FF FF FF A5 5A BB BB EE FE 00 00 00 00 D8 69", false,
     16},
    {"IdentifyWcoms", 2, 0, 0, 0, 107, 0, "FF FF FF FF A5 5A BB FB EE FE 00 00 00 00 B3 AA", false,
     16},
    {"IdentifyIgn150", 3150, 0, 0, 0, 107, 0, "30 " + Zeros(149) + "6B A4", false, 152},
    {"IdentifyIgn50", 3050, 0, 0, 0, 107, 0, "30 " + Zeros(49) + "6B A4", false, 52},
    {"IdentifyIgn100SubKey", 3100, 0, 0, 0, 0x016B, 0, "30 " + Zeros(98) + "01 6B A5", false, 102},
    {"IdentifyIgn300CarriesNoWord", 3300, 0, 0, 0, 107, 0, "30 " + Zeros(300) + "CF", false, 302},
    {"ReadWcom", 1, JOB_READ, 64, 32, 107, 0x7010,
     "FF FF FF FF A5 5A BB BB 10 70 40 00 02 00 20 00", true, 18},
    {"IdBlockWcoms", 2, JOB_IDBLOCK, 0, 150, 107, 0x701F,
     "FF FF FF FF A5 5A BB FB 1F 70 00 00 02 00 96 00", true, 18},
    {"SpecialWcom", 1, JOB_SPECIAL, 0, 1, 107, 0xF000, "FF FF FF FF A5 5A BB BB 00 F0 40 06 00 00",
     true, 16},
    {"WriteWcomClampedTo512", 1, JOB_WRITE, 0, 600, 107, 0x7020,
     "FF FF FF FF A5 5A BB BB 20 70 00 00 00 02 01 08", true, 528},
    {"WriteWcomsOddLength", 2, JOB_WRITE, 2, 3, 107, 0x7020,
     "FF FF FF FF A5 5A BB FB 20 70 02 00 03 00 0F 16 1D", true, 19},
    {"ReadIgn150LastBlock", 3150, JOB_READ, 900, 150, 107, 0xC7, "47", true, 152},
    {"ReadIgn100Block10", 3100, JOB_READ, 1000, 100, 107, 0xCB, "4B 00 00", true, 102},
    {"WriteIgn50Block14", 3050, JOB_WRITE, 700, 50, 107, 0x8F, "0F 25 2C", true, 52},
    {"MonitorIgn150", 3150, JOB_MONITOR, 0, 150, 107, 0xB0, "30 01 08", true, 152},
    {"MonitorIgn50Block2", 3050, JOB_MONITOR, 100, 50, 107, 0xB2, "32 BD C4", true, 52},
    {"IdBlockIgn150", 3150, JOB_IDBLOCK, 0, 150, 107, 0xC0, "40 00 00", true, 152},
    {"SpecialIgn150", 3150, JOB_SPECIAL, 0, 1, 107, 0x80,
     "00 01 08 0F 16 1D 24 2B 32 39 40 47 4E A5 10", true, 152},
};

INSTANTIATE_TEST_SUITE_P(Codec, RequestTable, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameCodecRequest, MonitorWordReplacesTheLastDataBytesOnlyWhereCarried) {
  uint8_t image[300] = {};
  image[149] = 0x55;
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  codec.BuildJobRequest(JOB_MONITOR, 0, 150, image, 300, 107);
  EXPECT_EQ(codec.transmitFrame[150], 107);
  codec.ResetCodec(PROTOCOL_IGN300, 175);
  image[299] = 0x55;
  codec.BuildJobRequest(JOB_MONITOR, 0, 300, image, 300, 107);
  EXPECT_EQ(codec.transmitFrame[150], 0x55);
  EXPECT_EQ(codec.transmitFrame[300], 0x55);
}

TEST(FrameCodecRequest, SumCheckOfOddLengthIsStoredHighByteFirst) {
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOMS, 125);
  const uint8_t data[3] = {1, 2, 3};
  codec.BuildAddressedRequest(CMD_WRITE, 10, 3, data);
  const size_t end = 14 + 3;
  const uint16_t check = static_cast<uint16_t>(~Sum16(codec.transmitFrame, end));
  EXPECT_EQ(codec.transmitFrame[end], check >> 8);
  EXPECT_EQ(codec.transmitFrame[end + 1], check & 0xFF);
  // Even length: low byte first.
  codec.BuildAddressedRequest(CMD_WRITE, 10, 2, data);
  const uint16_t even = static_cast<uint16_t>(~Sum16(codec.transmitFrame, 16));
  EXPECT_EQ(codec.transmitFrame[16], even & 0xFF);
  EXPECT_EQ(codec.transmitFrame[17], even >> 8);
}

TEST(FrameCodecRequest, ReadingBeyondTheTransferBufferGivesZeros) {
  uint8_t image[10];
  std::fill(std::begin(image), std::end(image), 0xEE);
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_IGN50, 125);
  codec.BuildJobRequest(JOB_WRITE, 0, 50, image, 10, 0);
  EXPECT_EQ(codec.transmitFrame[10], 0xEE);
  EXPECT_EQ(codec.transmitFrame[11], 0);
  codec.ResetCodec(PROTOCOL_NONE, 0);
  EXPECT_EQ(codec.BuildJobRequest(JOB_READ, 0, 50, image, 10, 0), -1);
  EXPECT_EQ(codec.BuildIdentifyRequest(107), 0);
}

// ---------------------------------------------------------------- receiver

constexpr int kPause = -1;       // a pause longer than the gap timeout
constexpr int kExactPause = -2;  // a pause exactly as long as the gap timeout

struct ReceiveCase {
  const char* name;
  int32_t protocol;
  std::vector<Bytes> parts;  // fed in order; kPause/kExactPause markers between them
  std::vector<int> pauses;   // pause kind before each part (0 = none)
  int frames;                // complete frames expected
  Bytes last;                // the last complete frame as the codec holds it (empty: skip)
};

const Bytes kIdAnswerWcom =
    Addressed(false, 0xC, CMD_IDENTIFY, 0, Hex("5A 45 00 40 00 07 00 6B 00"));
const Bytes kIdAnswerWcoms =
    Addressed(true, 0xC, CMD_IDENTIFY, 0, Hex("5A 45 00 40 00 07 00 6B 00"));
const Bytes kOddSum = Addressed(true, 0xC, CMD_READ, 0x20, Hex("01 02 03"));
const Bytes kBlockId = Block(0xB0, Cat({Bytes(149, 0), Bytes{0x6B}}), 150);

Bytes SwapCheck(Bytes f) {
  std::swap(f[f.size() - 1], f[f.size() - 2]);
  return f;
}

Bytes Spoil(Bytes f, size_t at) {
  f[at] ^= 0x01;
  return f;
}

Bytes Head(const Bytes& f, size_t n) { return Bytes(f.begin(), f.begin() + n); }
Bytes Tail(const Bytes& f, size_t n) { return Bytes(f.begin() + n, f.end()); }

Bytes Rewritten(const std::string& hex) { return Hex(hex); }

const ReceiveCase kReceives[] = {
    {"CrcAnswer", 1, {kIdAnswerWcom}, {0}, 1, kIdAnswerWcom},
    {"SumAnswer", 2, {kIdAnswerWcoms}, {0}, 1, kIdAnswerWcoms},
    {"SumAnswerOddLength", 2, {kOddSum}, {0}, 1, kOddSum},
    {"SumOddLengthLowByteFirstIsDropped", 2, {SwapCheck(kOddSum)}, {0}, 0, {}},
    {"BadCrcDroppedThenGoodFrame",
     1,
     {Spoil(kIdAnswerWcom, 15), kIdAnswerWcom},
     {0, 0},
     1,
     kIdAnswerWcom},
    {"CorruptDataFailsCrc", 1, {Spoil(kIdAnswerWcom, 17)}, {0}, 0, {}},
    {"CorruptDataFailsSum", 2, {Spoil(kIdAnswerWcoms, 17)}, {0}, 0, {}},
    {"OneFFMissingNeverSynchronises", 1, {Tail(kIdAnswerWcom, 1)}, {0}, 0, {}},
    {"StrayByteBeforeGoodFrame", 1, {Bytes{0x00}, kIdAnswerWcom}, {0, 0}, 1, kIdAnswerWcom},
    {"ExtraFFsBeforeGoodFrame",
     2,
     {Bytes{0xFF, 0xFF, 0xFF}, kIdAnswerWcoms},
     {0, 0},
     1,
     kIdAnswerWcoms},
    {"WrongTypeNibbleNeverSynchronises",
     1,
     {Cat({Head(kIdAnswerWcom, 7), Bytes{0xAC}, Tail(kIdAnswerWcom, 8)})},
     {0},
     0,
     {}},
    {"ShortAckRewritten",
     1,
     {Addressed(false, 0xC, CMD_SHORT_ACK, CMD_WRITE, Hex("40 01"))},
     {0},
     1,
     Rewritten("FF FF FF FF A5 5A BB BC 20 70 40 01 00 00 40 01 0A E2")},
    {"ShortNakRewritten",
     2,
     {Addressed(true, 0xC, CMD_SHORT_NAK, CMD_WRITE, Hex("40 01"))},
     {0},
     1,
     {}},
    {"ShortAckOneByteAddress",
     1,
     {Addressed(false, 0xC, CMD_SHORT_ACK, CMD_WRITE, Hex("21"))},
     {0},
     1,
     {}},
    {"BlockAnswer", 3150, {kBlockId}, {0}, 1, kBlockId},
    {"BlockRequestBytesSkipped", 3150, {Bytes{0x30, 0x00, 0x41}, kBlockId}, {0, 0}, 1, kBlockId},
    {"BlockBadXorThenNewFrame", 3150, {Spoil(kBlockId, 50), kBlockId}, {0, 0}, 1, kBlockId},
    {"BlockIgn300", 3300, {Block(0xC1, Bytes(300, 0x11), 300)}, {0}, 1, {}},
    {"BlockIgn50TwoFrames",
     3050,
     {Block(0xB0, {}, 50), Block(0xB1, {}, 50)},
     {0, 0},
     2,
     Block(0xB1, {}, 50)},
    {"GapDropsPartOfAddressedFrame",
     1,
     {Head(kIdAnswerWcom, 10), Tail(kIdAnswerWcom, 10)},
     {0, kPause},
     0,
     {}},
    {"GapThenWholeFrame",
     1,
     {Head(kIdAnswerWcom, 10), kIdAnswerWcom},
     {0, kPause},
     1,
     kIdAnswerWcom},
    {"PauseOfExactlyTheGapKeepsTheFrame",
     1,
     {Head(kIdAnswerWcom, 10), Tail(kIdAnswerWcom, 10)},
     {0, kExactPause},
     1,
     kIdAnswerWcom},
    {"GapDropsPartOfBlockFrame",
     3150,
     {Head(kBlockId, 80), Tail(kBlockId, 80)},
     {0, kPause},
     0,
     {}},
    {"OversizedAnnouncementRestartsAt1040",
     1,
     {Hex("FF FF FF FF A5 5A BB BC 10 70 00 00 D0 07"), Bytes(1040 - 14, 0x00), kIdAnswerWcom},
     {0, 0, 0},
     1,
     kIdAnswerWcom},
    {"ProtocolNoneTakesNothing", 0, {kIdAnswerWcom, kBlockId}, {0, 0}, 0, {}},
};

class ReceiveTable : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(ReceiveTable, Receives) {
  const ReceiveCase& c = GetParam();
  FrameCodec codec;
  const int32_t gap = GapOf(c.protocol);
  codec.ResetCodec(c.protocol, gap);
  int32_t now = 1000;
  int frames = 0;
  Bytes last;
  for (size_t p = 0; p < c.parts.size(); ++p) {
    const int pause = p < c.pauses.size() ? c.pauses[p] : 0;
    if (pause == kPause) now += gap + 1;
    if (pause == kExactPause) now += gap;
    for (uint8_t b : c.parts[p]) {
      if (codec.ReceiveByte(b, now)) {
        ++frames;
        last = Received(codec);
      }
    }
  }
  EXPECT_EQ(frames, c.frames);
  if (!c.last.empty()) {
    EXPECT_EQ(last, c.last);
  }
}

INSTANTIATE_TEST_SUITE_P(Codec, ReceiveTable, ::testing::ValuesIn(kReceives),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameCodecReceive, ShortAnswersAreRewrittenBeforeAnyoneLooks) {
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOM, 75);
  for (uint8_t b : Addressed(false, 0xC, CMD_SHORT_NAK, CMD_WRITE, Hex("40 01"))) {
    codec.ReceiveByte(b, 0);
  }
  EXPECT_EQ(codec.AnswerType(), 0xBD);
  EXPECT_EQ(codec.AnswerCommand(), CMD_WRITE);
  EXPECT_EQ(codec.AnswerAddress(), 0x140);
  EXPECT_EQ(codec.AnswerDataLength(), 0);
  for (uint8_t b : Addressed(false, 0xC, CMD_SHORT_ACK, CMD_WRITE, Hex("21"))) {
    codec.ReceiveByte(b, 0);
  }
  EXPECT_EQ(codec.AnswerType(), 0xBC);
  EXPECT_EQ(codec.AnswerAddress(), 0x21);
  // Longer data leave the address 0 and keep the data.
  for (uint8_t b : Addressed(false, 0xC, CMD_SHORT_ACK, CMD_WRITE, Hex("21 22 23"))) {
    codec.ReceiveByte(b, 0);
  }
  EXPECT_EQ(codec.AnswerAddress(), 0);
  EXPECT_EQ(codec.AnswerDataLength(), 3);
}

// ---------------------------------------------------------------- acceptance

struct AcceptCase {
  const char* name;
  int32_t protocol;
  int32_t job;
  int32_t address;
  int32_t length;
  Bytes answer;   // empty: echo the request itself (block write)
  int spoilEcho;  // for empty answers: number of echoed data bytes to change; -1 the last
  AnswerVerdict verdict;
  const char* trace;  // expected trace text, or nullptr for none beyond "Frame rec"
};

const AcceptCase kAccepts[] = {
    {"WcomReadAccepted", 1, JOB_READ, 32, 4,
     Addressed(false, 0xC, CMD_READ, 32, Hex("01 02 03 04")), 0, AnswerVerdict::Accepted, nullptr},
    {"WcomReadWrongAddress", 1, JOB_READ, 32, 4,
     Addressed(false, 0xC, CMD_READ, 64, Hex("01 02 03 04")), 0, AnswerVerdict::Rejected,
     "len or address is not equal 32!=64 (2)..."},
    {"WcomReadWrongLength", 1, JOB_READ, 32, 4, Addressed(false, 0xC, CMD_READ, 32, Hex("01 02")),
     0, AnswerVerdict::Rejected, "len or address is not equal 32!=32 (2)..."},
    {"WcomWriteAnswerDataNotExamined", 1, JOB_WRITE, 32, 4,
     Addressed(false, 0xC, CMD_WRITE, 32, Hex("99")), 0, AnswerVerdict::Accepted, nullptr},
    {"WcomRequestTypeIgnored", 1, JOB_READ, 32, 4,
     Addressed(false, 0xB, CMD_READ, 32, Hex("01 02 03 04")), 0, AnswerVerdict::Ignored, nullptr},
    {"WcomOtherCommandIgnored", 1, JOB_READ, 32, 4,
     Addressed(false, 0xC, CMD_MONITOR, 32, Hex("01 02 03 04")), 0, AnswerVerdict::Ignored,
     nullptr},
    {"ShortAckAcceptedAsWriteAnswer", 1, JOB_WRITE, 320, 16,
     Addressed(false, 0xC, CMD_SHORT_ACK, CMD_WRITE, Hex("40 01")), 0, AnswerVerdict::Accepted,
     nullptr},
    {"ShortNakIgnored", 2, JOB_WRITE, 320, 16,
     Addressed(true, 0xC, CMD_SHORT_NAK, CMD_WRITE, Hex("40 01")), 0, AnswerVerdict::Ignored,
     nullptr},
    {"WcomsMonitorAccepted", 2, JOB_MONITOR, 0, 3,
     Addressed(true, 0xC, CMD_MONITOR, 0, Hex("01 02 03")), 0, AnswerVerdict::Accepted, nullptr},
    {"Ign150ReadAccepted", 3150, JOB_READ, 300, 150, Block(0xC3, {}, 150), 0,
     AnswerVerdict::Accepted, nullptr},
    {"Ign150ReadWrongCode", 3150, JOB_READ, 300, 150, Block(0xC4, {}, 150), 0,
     AnswerVerdict::Rejected, "COM not expected answer 0xc4!=0xc3 (2)..."},
    {"Ign150MonitorAccepted", 3150, JOB_MONITOR, 0, 150, Block(0xB0, {}, 150), 0,
     AnswerVerdict::Accepted, nullptr},
    {"Ign50MonitorBlock1", 3050, JOB_MONITOR, 50, 50, Block(0xB1, {}, 50), 0,
     AnswerVerdict::Accepted, nullptr},
    {"Ign150IdBlock", 3150, JOB_IDBLOCK, 0, 150, Block(0xC0, {}, 150), 0, AnswerVerdict::Accepted,
     nullptr},
    {"Ign50IdBlockSecondBlockFails", 3050, JOB_IDBLOCK, 50, 50, Block(0xC0, {}, 50), 0,
     AnswerVerdict::Rejected, "address is not equal 50!=0 (2)..."},
    {"WcomSpecialEchoesItsValue", 1, JOB_SPECIAL, 0, 1,
     Addressed(false, 0xC, CMD_SPECIAL, kSpecialValue, {}), 0, AnswerVerdict::Accepted, nullptr},
    {"WcomsSpecialAnsweredAtAddressZero", 2, JOB_SPECIAL, 0, 1,
     Addressed(true, 0xC, CMD_SPECIAL, 0, {}), 0, AnswerVerdict::Accepted, nullptr},
    {"WcomReadAtTheSpecialValueStillWrong", 1, JOB_READ, 0, 4,
     Addressed(false, 0xC, CMD_READ, kSpecialValue, Hex("01 02 03 04")), 0, AnswerVerdict::Rejected,
     "len or address is not equal 0!=1600 (2)..."},
    {"Ign150Special", 3150, JOB_SPECIAL, 0, 1, Block(0x80, {}, 150), 0, AnswerVerdict::Accepted,
     nullptr},
    {"Ign150WriteEcho", 3150, JOB_WRITE, 150, 150, {}, 0, AnswerVerdict::Accepted, nullptr},
    {"Ign150WriteEchoDiffers",
     3150,
     JOB_WRITE,
     150,
     150,
     {},
     2,
     AnswerVerdict::Rejected,
     "COM verify fail, 2 errors (2)..."},
    {"Ign150WriteEchoLastByteDiffers",
     3150,
     JOB_WRITE,
     150,
     150,
     {},
     -1,
     AnswerVerdict::Rejected,
     "COM verify fail, 1 errors (2)..."},
};

class AcceptTable : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptTable, Judges) {
  const AcceptCase& c = GetParam();
  TraceFile trace;
  uint8_t image[1100];
  for (int i = 0; i < 1100; ++i) image[i] = static_cast<uint8_t>(i * 3);
  FrameCodec codec;
  codec.ResetCodec(c.protocol, GapOf(c.protocol));
  const int32_t expected = codec.BuildJobRequest(c.job, c.address, c.length, image, 1100, 107);
  Bytes answer = c.answer;
  if (answer.empty()) {
    answer = Sent(codec);
    answer[0] |= 0x80;
    for (int i = 0; i < c.spoilEcho; ++i) answer[1 + i * 7] ^= 0x40;
    if (c.spoilEcho < 0) answer[answer.size() - 2] ^= 0x40;
    answer.back() = BlockCheck(answer.data(), answer.size() - 1);
  }
  bool complete = false;
  for (uint8_t b : answer) complete = codec.ReceiveByte(b, 0) || complete;
  ASSERT_TRUE(complete);
  EXPECT_EQ(codec.CheckAnswer(c.job, c.address, c.length, expected, 2), c.verdict);
  const std::string text = trace.Text();
  char head[64];
  std::snprintf(head, sizeof head, "Frame rec [0x%02x] (%i)...", answer[0],
                static_cast<int>(answer.size()));
  EXPECT_NE(text.find(head), std::string::npos) << text;
  if (c.trace) {
    EXPECT_NE(text.find(c.trace), std::string::npos) << text;
  } else {
    EXPECT_EQ(text.find("not equal"), std::string::npos) << text;
    EXPECT_EQ(text.find("verify fail"), std::string::npos) << text;
  }
  if (c.verdict == AnswerVerdict::Accepted && c.job == JOB_READ) {
    EXPECT_EQ(codec.AnswerDataLength(), c.length);
  }
}

INSTANTIATE_TEST_SUITE_P(Codec, AcceptTable, ::testing::ValuesIn(kAccepts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameCodecAccept, EchoOfTheRequestIsRecognised) {
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOM, 75);
  codec.BuildIdentifyRequest(107);
  for (int i = 0; i < codec.transmitLength; ++i) codec.ReceiveByte(codec.transmitFrame[i], 0);
  EXPECT_TRUE(codec.IsEcho());
  EXPECT_EQ(codec.CheckAnswer(0, 0, 0, CMD_IDENTIFY, 0), AnswerVerdict::Ignored);
}

TEST(FrameCodecAccept, EchoOfABlockRequestCompletesAsAFrame) {
  TraceFile trace;
  for (int32_t protocol : {3050, 3100, 3150, 3300}) {
    FrameCodec codec;
    codec.ResetCodec(protocol, 175);
    codec.BuildIdentifyRequest(107);
    codec.RewindTransmit();
    int frames = 0;
    // A stray byte first, then the echo.
    codec.ReceiveByte(0x30, 0);
    for (int i = 0; i < codec.transmitLength; ++i)
      frames += codec.ReceiveByte(codec.transmitFrame[i], 0);
    EXPECT_EQ(frames, 1) << protocol;
    EXPECT_TRUE(codec.IsEcho()) << protocol;
    EXPECT_EQ(codec.frameLength, codec.transmitLength);
    EXPECT_EQ(codec.CheckAnswer(JOB_MONITOR, 0, 150, 0xB0, 1), AnswerVerdict::Rejected);
    // A real answer after the echo is still received.
    const Bytes answer = Block(0xB0, {}, static_cast<size_t>(codec.BlockSize()));
    bool complete = false;
    for (uint8_t b : answer) complete = codec.ReceiveByte(b, 0) || complete;
    EXPECT_TRUE(complete);
    EXPECT_FALSE(codec.IsEcho());
  }
  EXPECT_NE(trace.Text().find("COM not expected answer 0x30!=0xb0 (1)..."), std::string::npos);
}

// ---------------------------------------------------------------- port buffers

struct FakePort {
  uint8_t ring[kPortBufferSize] = {};
  std::atomic<int32_t> read{0};
  std::atomic<int32_t> write{0};
  uint8_t tx[kPortBufferSize] = {};
  std::atomic<int32_t> txCount{0};
  PortBuffers View() { return PortBuffers{ring, &read, &write, tx, &txCount}; }
  // Puts bytes into the ring as the I/O thread would (no overflow checks: tests stay small).
  void Put(const Bytes& bytes) {
    int32_t w = write.load();
    for (uint8_t b : bytes) {
      ring[w] = b;
      w = (w + 1) % kPortBufferSize;
    }
    write.store(w);
  }
};

TEST(FrameCodecPort, ReceivesAcrossTheRingWrapAndStopsAtTheFrameEnd) {
  auto port = std::make_unique<FakePort>();
  port->read = 300;
  port->write = 300;
  port->Put(Cat({Block(0xC1, Bytes(50, 0x21), 50), Bytes{0xC2, 0x01}}));
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_IGN50, 125);
  EXPECT_TRUE(codec.ReceiveFrame(port->View()));
  EXPECT_EQ(codec.receiveBuffer[0], 0xC1);
  EXPECT_EQ(port->read.load(), (300 + 52) % kPortBufferSize);
  EXPECT_FALSE(codec.ReceiveFrame(port->View()));
  EXPECT_EQ(port->read.load(), port->write.load());
  EXPECT_EQ(codec.position, 2);
}

TEST(FrameCodecPort, ProtocolNoneDiscardsTheRingAndBadIndicesAreHarmless) {
  auto port = std::make_unique<FakePort>();
  port->Put(Block(0xB0, {}, 150));
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_NONE, 0);
  EXPECT_FALSE(codec.ReceiveFrame(port->View()));
  EXPECT_EQ(port->read.load(), port->write.load());
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  port->read = 5000;
  EXPECT_FALSE(codec.ReceiveFrame(port->View()));
  EXPECT_EQ(port->read.load(), port->write.load());
  port->write = -3;
  EXPECT_FALSE(codec.ReceiveFrame(port->View()));
}

TEST(FrameCodecPort, SendsInPartsOfAtMost330BytesWhenTheBufferIsEmpty) {
  TraceFile trace;
  auto port = std::make_unique<FakePort>();
  auto image = std::make_unique<uint8_t[]>(8000);
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOM, 75);
  codec.BuildJobRequest(JOB_WRITE, 0, 512, image.get(), 8000, 0);
  ASSERT_EQ(codec.transmitLength, 528);
  codec.RewindTransmit();
  EXPECT_FALSE(codec.SendFrame(port->View()));
  EXPECT_EQ(port->txCount.load(), 330);
  EXPECT_FALSE(codec.SendFrame(port->View()));  // buffer still full: nothing moves
  EXPECT_EQ(codec.transmitRemaining, 198);
  port->txCount = 0;
  EXPECT_TRUE(codec.SendFrame(port->View()));
  EXPECT_EQ(port->txCount.load(), 198);
  EXPECT_TRUE(std::equal(port->tx, port->tx + 198, codec.transmitFrame + 330));
  EXPECT_TRUE(codec.SendFrame(port->View()));  // finished stays finished
  const std::string text = trace.Text();
  EXPECT_NE(text.find("...sent [0xff] (528)"), std::string::npos) << text;
  EXPECT_NE(text.find("...sent [0xff] (198)"), std::string::npos) << text;
  // A rewind sends the same frame again from its start.
  port->txCount = 0;
  codec.RewindTransmit();
  EXPECT_FALSE(codec.SendFrame(port->View()));
  EXPECT_TRUE(std::equal(port->tx, port->tx + 330, codec.transmitFrame));
}

// ---------------------------------------------------------------- capture diversion

struct CaptureFixture : ::testing::Test {
  std::unique_ptr<CaptureRecord> record = std::make_unique<CaptureRecord>();
  std::unique_ptr<CaptureRecord> completed = std::make_unique<CaptureRecord>();
  std::atomic<int32_t> pollMask{1};
  CaptureLink link{record.get(), completed.get(), &pollMask};
  std::unique_ptr<FakePort> port = std::make_unique<FakePort>();
  FrameCodec codec;

  static void Checks(const Bytes& data, uint8_t& x, uint8_t& sum) {
    x = 0;
    sum = 0;
    for (uint8_t b : data) {
      x ^= b;
      sum = static_cast<uint8_t>(sum + b);
    }
  }
};

TEST_F(CaptureFixture, GoodCaptureIsCompletedAndTheCallEnds) {
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  const Bytes samples = Hex("10 20 30 41 50 60 70 82 90 A0 B0 C3");
  uint8_t x, sum;
  Checks(samples, x, sum);
  ASSERT_TRUE(AnnounceCapture(*record, CAPTURE_SYNCHRONISED, 12, x, sum, 1));
  EXPECT_FALSE(AnnounceCapture(*record, CAPTURE_SYNCHRONISED, 12, x, sum, 1));
  port->Put(Cat({samples, Block(0xB0, {}, 150)}));
  EXPECT_FALSE(codec.ReceiveFrame(port->View(), &link));
  EXPECT_EQ(port->read.load(), 12);
  EXPECT_EQ(record->type.load(), CAPTURE_NONE);
  ASSERT_EQ(completed->type.load(), CAPTURE_SYNCHRONISED);
  EXPECT_EQ(completed->expectedLength.load(), 12);
  EXPECT_EQ(completed->cycleCode.load(), 1);
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), completed->data));
  EXPECT_EQ(pollMask.load(), 1);
  // The answer right behind the capture is read whole: the samples left nothing in the
  // frame receiver.
  EXPECT_TRUE(codec.ReceiveFrame(port->View(), &link));
  ReleaseCompletedCapture(*completed);
  EXPECT_EQ(completed->type.load(), CAPTURE_NONE);
}

// Samples are arbitrary bytes and may look like a frame, whole or begun; none of them may
// reach the frame receiver, and the answer that follows without a pause still completes.
TEST_F(CaptureFixture, CaptureBytesNeverReachTheFrameReceiver) {
  const Bytes answer = Block(0xB0, {}, 150);
  const struct {
    const char* name;
    Bytes samples;
  } cases[] = {
      {"a whole answer frame", Block(0xB0, {}, 150)},
      {"the first half of an answer frame", Bytes(answer.begin(), answer.begin() + 80)},
      {"the request echoed", Bytes()},  // filled below from the codec's own request
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    codec.ResetCodec(PROTOCOL_IGN150, 175);
    Bytes samples = c.samples;
    if (samples.empty()) {
      ASSERT_GT(codec.BuildJobRequest(JOB_MONITOR, 0, 150, nullptr, 0, 107), 0);
      samples.assign(codec.transmitFrame, codec.transmitFrame + codec.transmitLength);
    }
    uint8_t x, sum;
    Checks(samples, x, sum);
    ASSERT_TRUE(AnnounceCapture(*record, CAPTURE_SYNCHRONISED,
                                static_cast<uint16_t>(samples.size()), x, sum, 1));
    port->Put(Cat({samples, answer}));
    // The capture bytes alone never make a frame, however they are cut into reads.
    EXPECT_FALSE(codec.ReceiveFrame(port->View(), &link));
    ASSERT_EQ(completed->type.load(), CAPTURE_SYNCHRONISED);
    EXPECT_EQ(completed->expectedLength.load(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), completed->data));
    EXPECT_TRUE(codec.ReceiveFrame(port->View(), &link));
    EXPECT_TRUE(std::equal(answer.begin(), answer.end(), codec.receiveBuffer));
    EXPECT_FALSE(codec.IsEcho());
    ReleaseCompletedCapture(*completed);
  }
}

TEST_F(CaptureFixture, BadChecksSlowThePollingStepByStep) {
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  const Bytes samples = Hex("01 02 03 04");
  for (int32_t want : {3, 7, 7}) {
    ASSERT_TRUE(AnnounceCapture(*record, CAPTURE_UNSYNCHRONISED, 4, 0x55, 0x66, 0));
    port->Put(samples);
    EXPECT_FALSE(codec.ReceiveFrame(port->View(), &link));
    EXPECT_EQ(pollMask.load(), want);
    EXPECT_EQ(record->type.load(), CAPTURE_NONE);
    EXPECT_EQ(completed->type.load(), CAPTURE_NONE);
  }
}

TEST_F(CaptureFixture, OverlongCaptureIsDroppedAt15000Bytes) {
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  ASSERT_TRUE(AnnounceCapture(*record, CAPTURE_SYNCHRONISED, 20000, 0, 0, 0));
  int calls = 0;
  while (record->type.load() != CAPTURE_NONE && calls < 100) {
    port->Put(Bytes(300, 0x01));
    codec.ReceiveFrame(port->View(), &link);
    ++calls;
  }
  EXPECT_EQ(record->type.load(), CAPTURE_NONE);
  EXPECT_EQ(record->count.load(), 0);
  EXPECT_EQ(calls, 51);  // the 15001st byte drops it
  EXPECT_EQ(completed->type.load(), CAPTURE_NONE);
}

TEST_F(CaptureFixture, UntakenCompletedCaptureIsNotOverwritten) {
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  ASSERT_TRUE(AnnounceCapture(*record, CAPTURE_SYNCHRONISED, 2, 0x03, 0x03, 0));
  port->Put(Hex("01 02"));
  codec.ReceiveFrame(port->View(), &link);
  ASSERT_EQ(completed->type.load(), CAPTURE_SYNCHRONISED);
  ASSERT_TRUE(AnnounceCapture(*record, CAPTURE_UNSYNCHRONISED, 2, 0x07, 0x0B, 0));
  port->Put(Hex("04 03"));
  codec.ReceiveFrame(port->View(), &link);
  EXPECT_EQ(completed->type.load(), CAPTURE_SYNCHRONISED);
  EXPECT_EQ(completed->data[0], 0x01);
}

}  // namespace
}  // namespace zeda
