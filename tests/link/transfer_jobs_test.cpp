#include "link/transfer_jobs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/frame_checks.h"

namespace zeda {
namespace {

std::vector<JobBlock> AllBlocks(const uint8_t* mask, int32_t start, int32_t end, int32_t n,
                                bool addressed) {
  std::vector<JobBlock> out;
  JobBlock b;
  int32_t at = start;
  while (addressed ? ChooseAddressedBlock(mask, at, end, n, &b)
                   : ChooseAlignedBlock(mask, at, end, n, &b)) {
    out.push_back(b);
    at = b.address + b.length;
    if (out.size() > 1000) break;
  }
  return out;
}

std::string Str(const std::vector<JobBlock>& blocks) {
  std::string s;
  for (const JobBlock& b : blocks)
    s += std::to_string(b.address) + "+" + std::to_string(b.length) + " ";
  return s;
}

TEST(BlockChoice, Cases) {
  struct Case {
    const char* what;
    std::vector<int> marks;  // single addresses; -1,a,b marks the range [a, b)
    int32_t start, end, n;
    bool addressed;
    const char* blocks;
  };
  const Case cases[] = {
      {"whole image IGN150",
       {-1, 0, 1050},
       0,
       1050,
       150,
       false,
       "0+150 150+150 300+150 450+150 600+150 750+150 900+150 "},
      {"whole image IGN300", {-1, 0, 1050}, 0, 1050, 300, false, "0+300 300+300 600+300 900+300 "},
      {"changed 10 and 700 on IGN50", {10, 700}, 0, 1050, 50, false, "0+50 700+50 "},
      {"addressed N=32 marks 0 5 40", {0, 5, 40}, 0, 1050, 32, true, "0+6 40+1 "},
      {"addressed single byte 300", {300}, 0, 1050, 32, true, "300+1 "},
      {"addressed gap of 50 bridged", {10, 61}, 0, 1050, 200, true, "10+52 "},
      {"addressed gap of 51 splits", {10, 62}, 0, 1050, 200, true, "10+1 62+1 "},
      {"addressed whole image N=48", {-1, 0, 1050}, 0, 1050, 48, true, nullptr},
      {"marks outside the range count not", {5, 400}, 100, 300, 50, false, ""},
      {"aligned block looks only inside the range", {149, 200}, 150, 1050, 150, false, "150+150 "},
      {"nothing marked", {}, 0, 1050, 150, false, ""},
      {"range end clamped to the buffers", {7999}, 7900, 9000, 300, false, "7800+300 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> mask(kTransferBufferSize, 0);
    for (size_t i = 0; i < c.marks.size(); ++i) {
      if (c.marks[i] == -1) {
        for (int a = c.marks[i + 1]; a < c.marks[i + 2]; ++a) mask[a] = 1;
        i += 2;
      } else {
        mask[c.marks[i]] = 1;
      }
    }
    const auto blocks = AllBlocks(mask.data(), c.start, c.end, c.n, c.addressed);
    if (c.blocks != nullptr) {
      EXPECT_EQ(Str(blocks), c.blocks);
    } else {
      // 1050 bytes in blocks of 48: 21 full ones and one of 42.
      ASSERT_EQ(blocks.size(), 22u);
      EXPECT_EQ(blocks.back().address, 1008);
      EXPECT_EQ(blocks.back().length, 42);
    }
  }
}

TEST(BlockChoice, NoBlockSizeNoBlock) {
  uint8_t mask[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  JobBlock b;
  EXPECT_FALSE(ChooseAddressedBlock(mask, 0, 8, 0, &b));
  EXPECT_FALSE(ChooseAlignedBlock(mask, 0, 8, -16, &b));
}

class TransferJobsTest : public ::testing::Test {
 protected:
  void SetUp() override { jobs->SetJob(0); }
  std::unique_ptr<TransferJobs> jobs = std::make_unique<TransferJobs>();
};

TEST_F(TransferJobsTest, PostJobFlags) {
  std::memset(jobs->writeImage, 0x55, kTransferBufferSize);
  std::memset(jobs->readImage, 0x66, kTransferBufferSize);
  std::memset(jobs->readFlags, 1, kTransferBufferSize);
  jobs->transferMask[5] = 1;
  jobs->PostJob(JOB_READ, 100, 50, kJobMarkRange | kJobClearWrite);
  EXPECT_EQ(jobs->Job(), JOB_READ);
  EXPECT_EQ(jobs->CurrentAddress(), 100);
  EXPECT_EQ(jobs->JobEnd(), 150);
  EXPECT_EQ(jobs->MaxTries(), 3);
  for (int a : {100, 149}) {
    EXPECT_EQ(jobs->writeImage[a], 0) << a;
    EXPECT_EQ(jobs->transferMask[a], 1) << a;
    EXPECT_EQ(jobs->readImage[a], 0) << a;
    EXPECT_EQ(jobs->readFlags[a], 0) << a;
  }
  for (int a : {99, 150}) {
    EXPECT_EQ(jobs->writeImage[a], 0x55) << a;
    EXPECT_EQ(jobs->transferMask[a], 0) << a;
    EXPECT_EQ(jobs->readImage[a], 0x66) << a;
  }
  EXPECT_EQ(jobs->transferMask[5], 1);  // the caller's marks stay

  // A second post while one runs is ignored.
  jobs->PostJob(JOB_WRITE, 0, 10, kJobSingleTry);
  EXPECT_EQ(jobs->Job(), JOB_READ);
  EXPECT_EQ(jobs->CurrentAddress(), 100);

  jobs->SetJob(0);
  jobs->PostJob(JOB_WRITE, -20, 10, kJobSingleTry);
  EXPECT_EQ(jobs->CurrentAddress(), 0);
  EXPECT_EQ(jobs->JobEnd(), 10);
  EXPECT_EQ(jobs->MaxTries(), 1);
  EXPECT_EQ(jobs->writeImage[3], 0x55);  // no clear without flag 2

  jobs->SetJob(0);
  jobs->PostJob(JOB_READ, 7990, 1000, kJobMarkRange);
  EXPECT_EQ(jobs->JobEnd(), kTransferBufferSize);
}

TEST_F(TransferJobsTest, MonitorRequestBlock) {
  std::memset(jobs->writeImage, 0x77, kTransferBufferSize);
  MonitorCommands c;
  c.testFlags1 = 0x21;
  c.testFlags2 = 0x14;
  c.testFlags3 = 0x02;
  c.pickupActive = true;
  c.calibration = 2;
  ASSERT_TRUE(jobs->SendMonitor(c, 300, 107, 0));
  EXPECT_EQ(jobs->Job(), JOB_MONITOR);
  EXPECT_EQ(jobs->MaxTries(), 1);
  EXPECT_EQ(jobs->JobEnd(), 150);
  uint8_t want[300] = {};
  want[20] = 0x21;
  want[21] = 0x14;
  want[22] = 0x02;
  want[23] = 1;
  want[137] = 0xA5;
  want[138] = 0x5A;
  want[148] = 0;
  want[149] = 107;
  for (int i = 0; i < 300; ++i) EXPECT_EQ(jobs->writeImage[i], want[i]) << i;
  EXPECT_EQ(jobs->writeImage[300], 0x77);
  EXPECT_EQ(c.testFlags1 | c.testFlags2 | c.testFlags3, 0);  // each click once
  EXPECT_EQ(c.calibration, 1);

  // While the job runs nothing is touched and nothing consumed.
  c.testFlags1 = 1;
  EXPECT_FALSE(jobs->SendMonitor(c, 150, 107, 0));
  EXPECT_EQ(c.testFlags1, 1);
  EXPECT_EQ(c.calibration, 1);
}

TEST(MonitorRequest, CalibrationSequences) {
  struct Step {
    int32_t before;
    uint8_t first, second;
    int32_t after;
  };
  const Step steps[] = {{2, 0xA5, 0x5A, 1},  {1, 0x2C, 0xC2, 0}, {22, 0xA5, 0xA7, 21},
                        {21, 0xC6, 0x6C, 0}, {0, 0, 0, 0},       {7, 0, 0, 7}};
  for (const Step& s : steps) {
    uint8_t r[150] = {};
    MonitorCommands c;
    c.calibration = s.before;
    FillMonitorRequest(r, c, 107, 3);
    EXPECT_EQ(r[137], s.first) << s.before;
    EXPECT_EQ(r[138], s.second) << s.before;
    EXPECT_EQ(c.calibration, s.after) << s.before;
    EXPECT_EQ(r[148], 3);
    EXPECT_EQ(r[23], 0);
  }
}

// A unit at the other end of a codec: answers every request from its memory.
class UnitEnd {
 public:
  explicit UnitEnd(int32_t protocol) : protocol_(protocol) {
    for (int i = 0; i < 1200; ++i) memory[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  std::vector<uint8_t> Answer(const uint8_t* req, int len) {
    ++requests;
    const int n = BlockProtocolSizeOf();
    std::vector<uint8_t> a;
    if (n > 0) {
      const uint8_t code = req[0];
      a.assign(req, req + len);
      a[0] = code | 0x80;
      int base = 0;
      if (code >= 0x41 && code < 0x80) base = (code - 0x41) * n;
      if (code >= 0x01 && code < 0x30) {
        blocks.push_back(code - 0x01);
        base = -1;  // write: echo
      } else if (code >= 0x41) {
        blocks.push_back(code - 0x41);
      } else {
        blocks.push_back(0);
      }
      if (base >= 0 && code != 0x30) {
        for (int i = 0; i < n; ++i) a[1 + i] = memory[base + i];
      }
      a[n + 1] = BlockCheck(a.data(), static_cast<size_t>(n + 1));
      return a;
    }
    const int address = req[10] | req[11] << 8;
    const int command = req[8] | req[9] << 8;
    int count = 0;
    if (command == 0x7010 || command == 0x701F) count = req[14] | req[15] << 8;
    if (command == 0x7050) count = req[12] | req[13] << 8;
    blocks.push_back(address);
    lengths.push_back(command == 0x7020 ? (req[12] | req[13] << 8) : count);
    a = {0xFF,
         0xFF,
         0xFF,
         0xFF,
         0xA5,
         0x5A,
         0xBB,
         static_cast<uint8_t>(protocol_ == PROTOCOL_WCOM ? 0xBC : 0xFC),
         req[8],
         req[9],
         req[10],
         req[11],
         static_cast<uint8_t>(count),
         static_cast<uint8_t>(count >> 8)};
    for (int i = 0; i < count; ++i) a.push_back(memory[address + i]);
    if (protocol_ == PROTOCOL_WCOM) {
      const uint16_t crc = Crc16(a.data(), a.size());
      a.push_back(static_cast<uint8_t>(crc));
      a.push_back(static_cast<uint8_t>(crc >> 8));
    } else {
      const size_t body = a.size();
      a.push_back(0);
      a.push_back(0);
      StoreSumCheck(a.data(), body);
    }
    return a;
  }
  int BlockProtocolSizeOf() const {
    switch (protocol_) {
      case PROTOCOL_IGN50:
        return 50;
      case PROTOCOL_IGN100:
        return 100;
      case PROTOCOL_IGN150:
        return 150;
      case PROTOCOL_IGN300:
        return 300;
      default:
        return 0;
    }
  }
  uint8_t memory[1400];
  int requests = 0;
  std::vector<int> blocks;
  std::vector<int> lengths;

 private:
  int32_t protocol_;
};

// Runs the posted job to its end over a codec, answering every request at once.
int32_t RunJob(TransferJobs& jobs, FrameCodec& codec, UnitEnd& unit, int32_t blockSize) {
  for (int guard = 0; guard < 200; ++guard) {
    if (!jobs.BuildNextRequest(codec, blockSize, 107)) return jobs.Job();
    const auto answer = unit.Answer(codec.transmitFrame, codec.transmitLength);
    bool complete = false;
    for (uint8_t b : answer) complete = codec.ReceiveByte(b, 0);
    if (!complete) return -1;
    if (jobs.CheckAnswer(codec) != AnswerVerdict::Accepted) return -2;
    jobs.StoreAnswer(codec);
  }
  return -3;
}

TEST_F(TransferJobsTest, ReadsOnEveryProtocol) {
  const struct {
    int32_t protocol, blockSize, requests;
  } cases[] = {{PROTOCOL_IGN150, 150, 7}, {PROTOCOL_IGN100, 100, 11}, {PROTOCOL_IGN50, 50, 21},
               {PROTOCOL_IGN300, 300, 4}, {PROTOCOL_WCOM, 32, 33},    {PROTOCOL_WCOMS, 48, 22}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.protocol);
    jobs = std::make_unique<TransferJobs>();
    jobs->SetJob(0);
    FrameCodec codec;
    codec.ResetCodec(c.protocol, 175);
    UnitEnd unit(c.protocol);
    jobs->PostJob(JOB_READ, 0, 1050, kJobMarkRange | kJobClearWrite);
    ASSERT_EQ(RunJob(*jobs, codec, unit, c.blockSize), JOB_DONE);
    EXPECT_EQ(jobs->LastJob(), JOB_READ);
    EXPECT_EQ(unit.requests, c.requests);
    EXPECT_EQ(std::memcmp(jobs->readImage, unit.memory, 1050), 0);
    for (int a = 0; a < 1050; ++a) ASSERT_EQ(jobs->readFlags[a], 1) << a;
    EXPECT_GE(jobs->CurrentAddress(), 1050);
  }
}

TEST_F(TransferJobsTest, WriteOfChangedBytesOnIgn50SendsTwoBlocks) {
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_IGN50, 125);
  UnitEnd unit(PROTOCOL_IGN50);
  jobs->transferMask[10] = 1;
  jobs->transferMask[700] = 1;
  jobs->PostJob(JOB_WRITE, 0, 1050, 0);
  ASSERT_EQ(RunJob(*jobs, codec, unit, 50), JOB_DONE);
  EXPECT_EQ(unit.blocks, (std::vector<int>{0, 14}));
}

TEST_F(TransferJobsTest, AddressedWriteOfMarkedBytes) {
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOMS, 125);
  UnitEnd unit(PROTOCOL_WCOMS);
  for (int a : {0, 5, 40}) jobs->transferMask[a] = 1;
  jobs->PostJob(JOB_WRITE, 0, 1050, 0);
  ASSERT_EQ(RunJob(*jobs, codec, unit, 32), JOB_DONE);
  EXPECT_EQ(unit.blocks, (std::vector<int>{0, 40}));
  EXPECT_EQ(unit.lengths, (std::vector<int>{6, 1}));
}

TEST_F(TransferJobsTest, IdBlockOnSmallBlockProtocolsIsOneBlock) {
  for (int32_t protocol : {PROTOCOL_IGN50, PROTOCOL_IGN100, PROTOCOL_IGN150, PROTOCOL_IGN300}) {
    SCOPED_TRACE(protocol);
    jobs = std::make_unique<TransferJobs>();
    jobs->SetJob(0);
    FrameCodec codec;
    codec.ResetCodec(protocol, 175);
    UnitEnd unit(protocol);
    // The unit answers 0x40 with the first N bytes of its block; the rest stays clear.
    jobs->PostJob(JOB_IDBLOCK, 0, 150, kJobMarkRange | kJobClearWrite);
    ASSERT_EQ(RunJob(*jobs, codec, unit, 0), JOB_DONE);
    EXPECT_EQ(unit.requests, 1);
    const int n = unit.BlockProtocolSizeOf();
    for (int a = 0; a < 150; ++a) ASSERT_EQ(jobs->readFlags[a], a < n ? 1 : 0) << a;
  }
}

TEST_F(TransferJobsTest, TriesAndFailure) {
  jobs->PostJob(JOB_MONITOR, 0, 150, kJobMarkRange | kJobSingleTry);
  EXPECT_TRUE(jobs->FailTry());
  EXPECT_EQ(jobs->Job(), JOB_FAILED);
  EXPECT_EQ(jobs->LastJob(), JOB_MONITOR);
  jobs->SetJob(0);
  jobs->PostJob(JOB_READ, 0, 150, kJobMarkRange);
  EXPECT_FALSE(jobs->FailTry());
  EXPECT_FALSE(jobs->FailTry());
  EXPECT_TRUE(jobs->FailTry());
  EXPECT_EQ(jobs->Job(), JOB_FAILED);
}

TEST_F(TransferJobsTest, AddressedJobWithoutBlockSizeFailsInsteadOfLooping) {
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOM, 75);
  jobs->PostJob(JOB_READ, 0, 1050, kJobMarkRange);
  EXPECT_FALSE(jobs->BuildNextRequest(codec, 0, 107));
  EXPECT_EQ(jobs->Job(), JOB_FAILED);
}

}  // namespace
}  // namespace zeda
