#include "mapedit/number_format.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

struct FormatCase {
  int raw;
  double scale;
  const char* unit;
  const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << c.raw << " x " << c.scale << " -> " << c.expected;
}

class NumberFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormat, Formats) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(FormatValue(c.raw, c.scale, c.unit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberFormat,
    ::testing::Values(FormatCase{-100, 1, "", "-100"},     // no space after the sign
                      FormatCase{25000, 1, "", "25 000"},  // digit groups
                      FormatCase{5, 0.1, "", "0.5"},       // one decimal for 0.1
                      FormatCase{50, 0.1, "", "5"},        // trailing zeros and point go
                      FormatCase{35, 100, "", "3 500"},    // rpm in hundreds
                      FormatCase{250, 100, "", "25 000"}, FormatCase{-1234567, 1, "", "-1 234 567"},
                      FormatCase{999, 1, "", "999"}, FormatCase{0, 1, "", "0"},
                      FormatCase{1234, 0.001, "V", "1.234 V"},
                      FormatCase{2500, 0.001, "V", "2.5 V"},
                      FormatCase{125, 0.02, "", "2.5"},  // two decimals for 0.02
                      FormatCase{-15, 1, "\u00b0", "-15 \u00b0"},
                      FormatCase{123456, 0.01, "", "1 234.56"}, FormatCase{-1, 0.1, "", "-0.1"},
                      FormatCase{7, 0, "", "0"}));  // a zero scale prints plainly

TEST(NumberFormatDecimals, ByScale) {
  EXPECT_EQ(DecimalsForScale(1), 0);
  EXPECT_EQ(DecimalsForScale(100), 0);
  EXPECT_EQ(DecimalsForScale(0.1), 1);
  EXPECT_EQ(DecimalsForScale(0.02), 2);
  EXPECT_EQ(DecimalsForScale(0.001), 3);
  EXPECT_EQ(DecimalsForScale(0.5), 1);
  EXPECT_EQ(DecimalsForScale(0), 0);
}

TEST(NumberFormatDecimalComma, ReplacesEveryPoint) {
  std::string s = "1.5\t2.25\n3";
  ToDecimalComma(s);
  EXPECT_EQ(s, "1,5\t2,25\n3");
}

}  // namespace
}  // namespace zeda
