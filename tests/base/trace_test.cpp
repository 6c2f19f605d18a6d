#include "base/trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zeda {
namespace {

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zeda-trace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(TraceTest, ClosedSinkWritesNothing) {
  LinkTrace t;
  EXPECT_FALSE(t.IsOpen());
  t.Trace("x");
  t.PortOpen(3, 100, "COM3", "57600,N,8,1");
  const uint8_t bytes[] = {1, 2};
  t.PortTransmit(3, 100, bytes, 2);
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(TraceTest, LineFormats) {
  LinkTrace t;
  const auto file = dir_ / "link.trc";
  ASSERT_TRUE(t.Open(file.string()));
  t.loopCount = 42;
  t.Trace("FORM Initialised");
  t.PortOpen(3, 150, "COM3", "57600,N,8,1");
  const uint8_t frame[] = {0x41, 0x00, 0xff};
  t.PortTransmit(3, 200, frame, 3);
  const uint8_t monitor[] = {0x30, 0x01};
  t.PortTransmit(3, 250, monitor, 2);  // block monitor requests stay out of the trace
  t.PortTransmit(3, 300, frame, 1);
  t.PortClose(3, 350, "COM3");
  t.Close();

  const std::string text = ReadFile(file);
  std::istringstream lines(text);
  std::string first, second;
  std::getline(lines, first);
  std::getline(lines, second);
  // "hh:mm:ss.ss:   (loops) text"
  ASSERT_GE(first.size(), 12u);
  EXPECT_EQ(first.substr(2, 1), ":");
  EXPECT_EQ(first.substr(5, 1), ":");
  EXPECT_EQ(first.substr(8, 1), ".");
  EXPECT_EQ(first.substr(11), ":   (0) Open LOG");
  EXPECT_EQ(second.substr(11), ":   (42) FORM Initialised");
  const std::string rest = text.substr(text.find("FORM Initialised\n") + 17);
  EXPECT_EQ(rest,
            "\n[3:TMR=150]OPEN COM3 (57600,N,8,1)\n"
            "\n[3:TMR=200]TX 1:\n41\t00\tff\t\n"
            "\n[3:TMR=300]TX 2:\n41\t\n"
            "\n[3:TMR=350]CLOSE COM3\n");
}

TEST(TraceTimeStamp, FractionComesFromTheProcessClock) {
  EXPECT_EQ(LinkTrace::TimeStamp(9, 5, 7, 12.25), "09:05:07.25");
  EXPECT_EQ(LinkTrace::TimeStamp(23, 59, 0, 0.0), "23:59:00.00");
  EXPECT_EQ(LinkTrace::TimeStamp(0, 0, 59, 3.5), "00:00:59.50");
}

}  // namespace
}  // namespace zeda
