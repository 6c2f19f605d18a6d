#include "base/checked_math.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zeda {
namespace {

class CheckedMathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zeda-math-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    SetMathErrorLogPath((dir_ / "IGN.err").string());
  }
  void TearDown() override {
    SetMathErrorLogPath("IGN.err");
    std::filesystem::remove_all(dir_);
  }
  std::vector<std::string> LogLines() const {
    std::ifstream in(dir_ / "IGN.err");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  std::filesystem::path dir_;
};

TEST_F(CheckedMathTest, SquareRootOfNegativeGivesOneAndLogsOneLine) {
  EXPECT_EQ(CheckedSqrt(-1.0), 1.0);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  const std::regex form(
      R"(<LOG TIME=\d{1,2}\.\d{1,2}\.\d{4} \d{1,2}:\d{1,2}:\d{1,2} Vesnako_v107: MATHERR sqrt>)");
  EXPECT_TRUE(std::regex_match(lines[0], form)) << lines[0];
}

TEST_F(CheckedMathTest, ValidArgumentsLogNothing) {
  EXPECT_DOUBLE_EQ(CheckedSqrt(16.0), 4.0);
  EXPECT_DOUBLE_EQ(CheckedSqrt(0.0), 0.0);
  EXPECT_DOUBLE_EQ(CheckedLog(std::exp(2.0)), 2.0);
  EXPECT_DOUBLE_EQ(CheckedLog10(1000.0), 3.0);
  EXPECT_DOUBLE_EQ(CheckedPow(2.0, 10.0), 1024.0);
  EXPECT_DOUBLE_EQ(CheckedPow(-2.0, 3.0), -8.0);
  EXPECT_DOUBLE_EQ(CheckedExp(0.0), 1.0);
  EXPECT_DOUBLE_EQ(CheckedAsin(1.0), std::asin(1.0));
  EXPECT_DOUBLE_EQ(CheckedAcos(-1.0), std::acos(-1.0));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "IGN.err"));
}

TEST_F(CheckedMathTest, OtherErrorsKeepTheLibraryResultAndAppend) {
  EXPECT_TRUE(std::isinf(CheckedLog(0.0)));
  EXPECT_TRUE(std::isnan(CheckedLog10(-1.0)));
  EXPECT_TRUE(std::isinf(CheckedExp(1000.0)));
  EXPECT_TRUE(std::isnan(CheckedPow(-2.0, 0.5)));
  EXPECT_TRUE(std::isinf(CheckedPow(0.0, -1.0)));
  EXPECT_TRUE(std::isnan(CheckedAcos(2.0)));
  EXPECT_TRUE(std::isnan(CheckedAsin(-2.0)));
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 7u);
  const char* names[] = {"log", "log10", "exp", "pow", "pow", "acos", "asin"};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find(std::string("MATHERR ") + names[i] + ">"), std::string::npos)
        << lines[i];
  }
}

TEST_F(CheckedMathTest, LineFormat) {
  std::tm t{};
  t.tm_mday = 5;
  t.tm_mon = 2;  // March
  t.tm_year = 2024 - 1900;
  t.tm_hour = 7;
  t.tm_min = 3;
  t.tm_sec = 9;
  EXPECT_EQ(MathErrorLine(t, "sqrt"), "<LOG TIME=5.3.2024 7:3:9 Vesnako_v107: MATHERR sqrt>\n");
}

TEST_F(CheckedMathTest, UnwritableLogLosesOnlyTheEntry) {
  SetMathErrorLogPath((dir_ / "no-such-folder" / "IGN.err").string());
  EXPECT_EQ(CheckedSqrt(-4.0), 1.0);
}

}  // namespace
}  // namespace zeda
