#include "mapedit/paste_parser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zeda {
namespace {

using Line = std::vector<std::optional<double>>;

// Lines as text: fields by "|", empty fields as "_".
std::string Show(const PasteGrid& g) {
  std::string out;
  for (size_t i = 0; i < g.lines.size(); ++i) {
    if (i) out += "/";
    for (size_t k = 0; k < g.lines[i].size(); ++k) {
      if (k) out += "|";
      if (!g.lines[i][k]) {
        out += "_";
      } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", *g.lines[i][k]);
        out += buf;
      }
    }
  }
  return out;
}

struct PlainCase {
  const char* name;
  const char* text;
  const char* expected;
};

void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.name; }

class PlainPaste : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainPaste, Parses) {
  EXPECT_EQ(Show(ParsePlainPaste(GetParam().text)), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlainPaste,
    ::testing::Values(PlainCase{"tabs", "1\t2\t3", "1|2|3"},
                      PlainCase{"digit groups", "1 000\t2 000", "1000|2000"},
                      PlainCase{"group then decimal comma", "25 000,5", "25000.5"},
                      PlainCase{"not a group: four digits", "1 2345", "1|2345"},
                      PlainCase{"not a group: two digits", "1 23", "1|23"},
                      PlainCase{"spaces separate", "1  2 3.5", "1|2|3.5"},
                      PlainCase{"leading spaces ignored", "   7\t8", "7|8"},
                      PlainCase{"space before tab adds no field", "1 \t2", "1|2"},
                      PlainCase{"empty field kept", "1\t\t3", "1|_|3"},
                      PlainCase{"decimal comma", "0,5\t-1,25", "0.5|-1.25"},
                      PlainCase{"lines", "1\t2\r\n3\t4\r\n", "1|2/3|4"},
                      PlainCase{"blanks before a line break", "1 2  \n3 4", "1|2/3|4"},
                      PlainCase{"row ending in an empty cell", "1\t2\t\n3\n", "1|2|_/3"},
                      PlainCase{"empty line keeps its place", "1\n\n3", "1//3"},
                      PlainCase{"other characters dropped", "12 kg\tx5", "12|5"},
                      PlainCase{"braces", "{{1, 2}, {3, 4}}", "1|2/3|4"},
                      PlainCase{"braces after text", "int m[2][2] = {{10,20},{30,40}};",
                                "10|20/30|40"},
                      PlainCase{"single brace row", "{5,6,7}", "5|6|7"},
                      PlainCase{"brace decimals", "{1.5,-2}", "1.5|-2"},
                      PlainCase{"unreadable field", "-\t.\t3", "_|_|3"},
                      PlainCase{"nothing", "", ""}));

TEST(PlainPasteLimits, KeepsOnlyWhatASheetCanUse) {
  std::string text;
  for (int r = 0; r < 200; ++r) {
    for (int c = 0; c < 200; ++c) text += "1\t";
    text += "\n";
  }
  PasteGrid g = ParsePlainPaste(text);
  EXPECT_EQ(g.lines.size(), static_cast<size_t>(kPasteMaxLines));
  EXPECT_EQ(g.lines[0].size(), static_cast<size_t>(kPasteMaxFields));
}

TEST(ReadPasteField, DigitsMinusAndPoint) {
  EXPECT_EQ(ReadPasteField("3 500"), 3500);
  EXPECT_EQ(ReadPasteField("2,5 V"), 2.5);
  EXPECT_EQ(ReadPasteField("-12"), -12);
  EXPECT_FALSE(ReadPasteField("abc"));
  EXPECT_FALSE(ReadPasteField(""));
  EXPECT_FALSE(ReadPasteField(std::string(400, '9')));  // out of range: unreadable
}

TEST(TablePaste, HeaderAndGrid) {
  const char* text =
      "Label:\tAdvance 1\n"
      "LabelX:\tRPM\n"
      "LabelY:\tTP\n"
      "LabelData:\tADV\n"
      "SizeX:\t3\n"
      "SizeY:\t2\n"
      "OnlyXY:\tY\n"
      "\t1 000\t2 000\t3 500\n"
      "0\t5\t10\t15\n"
      "100\t-5\t-10\t-15";
  TablePaste p = ParseTablePaste(text);
  EXPECT_EQ(p.header.label, "Advance 1");
  EXPECT_EQ(p.header.labelX, "RPM");
  EXPECT_EQ(p.header.labelY, "TP");
  EXPECT_EQ(p.header.labelData, "ADV");
  EXPECT_EQ(p.header.sizeX, 3);
  EXPECT_EQ(p.header.sizeY, 2);
  EXPECT_EQ(p.header.onlyXY, 'Y');
  EXPECT_EQ(Show(p.grid), "_|1000|2000|3500/0|5|10|15/100|-5|-10|-15");
}

TEST(TablePaste, LongHeaderLineEndsTheHeader) {
  std::string text = "LabelX:\tRPM\nLabel:\t" + std::string(80, 'x') + "\nSizeX:\t3\n\t1\t2\n";
  TablePaste p = ParseTablePaste(text);
  EXPECT_EQ(p.header.labelX, "RPM");
  EXPECT_EQ(p.header.sizeX, 0);
  EXPECT_EQ(Show(p.grid), "_|1|2");
}

TEST(TablePaste, NoGrid) {
  TablePaste p = ParseTablePaste("SizeX:\t4\nSizeY:\t x\nOnlyXY:\tZ");
  EXPECT_EQ(p.header.sizeX, 4);
  EXPECT_EQ(p.header.sizeY, 0);
  EXPECT_EQ(p.header.onlyXY, 0);
  EXPECT_TRUE(p.grid.lines.empty());
}

}  // namespace
}  // namespace zeda
