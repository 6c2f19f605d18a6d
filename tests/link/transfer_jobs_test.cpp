#include "link/transfer_jobs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/ccomcom.h"

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
    std::vector<uint8_t> mask(COMMAXBUF, 0);
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

// Every block a monitor job sends must be cleared of left-over image bytes: on IGN100
// the 150 monitor bytes take two blocks, addresses 0-199.
TEST(MonitorRequest, ClearsEveryBlockTheJobSends) {
  struct Case {
    int32_t protocol;
    int32_t sent;  // addresses covered by the job's blocks
  };
  const Case cases[] = {{PROTOCOL_IGN50, 150},
                        {PROTOCOL_IGN100, 200},
                        {PROTOCOL_IGN150, 150},
                        {PROTOCOL_IGN300, 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol);
    CCOMCOM link;  // no port: the job stays posted and untouched
    link.activeLink.codec.ResetCodec(c.protocol, 175);
    link.ClearJob();
    std::memset(link.writeImage, 0x77, 1050);  // left over from programming
    MonitorCommands commands;
    ASSERT_TRUE(SendMonitor(link, commands));
    for (int a = 0; a < c.sent; ++a) {
      if (a == 148 || a == 149) continue;
      ASSERT_EQ(link.writeImage[a], 0) << a;
    }
  }
}

}  // namespace
}  // namespace zeda
