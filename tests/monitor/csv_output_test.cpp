// The CSV output: header lines, one field per channel, the field formats, the file itself.
#include "monitor/csv_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace zeda {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::string f;
  for (char c : line) {
    if (c == ';') {
      fields.push_back(f);
      f.clear();
    } else {
      f += c;
    }
  }
  EXPECT_TRUE(f.empty()) << "every field ends with ';': " << line;
  return fields;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(CsvOutput, HeaderLinesAndFieldCounts) {
  const auto lines = Lines(CsvHeaderLines());
  ASSERT_EQ(lines.size(), 2u);
  const auto names = Split(lines[0]);
  const auto units = Split(lines[1]);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kCsvFieldsPerLine));
  ASSERT_EQ(units.size(), static_cast<std::size_t>(kCsvFieldsPerLine));
  EXPECT_EQ(names[0], "Time");
  EXPECT_EQ(units[0], "ms");
  EXPECT_EQ(names[1], "HWKEY");
  EXPECT_EQ(units[1], "");
  EXPECT_EQ(units[2], "");
  for (int i = 49; i <= 52; ++i) EXPECT_EQ(names[static_cast<std::size_t>(i)], "FULL_SYNC");
  EXPECT_EQ(names[94], "GEAR_EN");
}

TEST(CsvOutput, DataLineFields) {
  MonitorBlock b;
  b.pos[146] = 0xAB;  // HWKEY word 73
  b.pos[147] = 0x01;
  b.pos[150] = 107;
  b.pos[149] = 3;
  b.pos[1] = 7;
  b.pos[2] = 0x10;  // RPM 10000
  b.pos[3] = 0x27;
  b.pos[127] = 0x05;  // FULL_SYNC bits 0 and 2
  b.pos[145] = 0x80;  // GEAR_EN
  const std::string line = CsvDataLine(b, {9, 5, 7, 42});
  ASSERT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\r'), std::string::npos);
  const auto f = Split(line.substr(0, line.size() - 1));
  ASSERT_EQ(f.size(), static_cast<std::size_t>(kCsvFieldsPerLine));
  EXPECT_EQ(f[0], "09:05:07.042");
  EXPECT_EQ(f[1], "0x1ab");
  EXPECT_EQ(f[2], "107.3");
  EXPECT_EQ(f[3], "7");
  EXPECT_EQ(f[4], "10000");
  EXPECT_EQ(f[49], "1");
  EXPECT_EQ(f[50], "0");
  EXPECT_EQ(f[51], "1");
  EXPECT_EQ(f[94], "1");
}

TEST(CsvOutput, FileStartsWithHeadersAndRestartReplacesIt) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("zeda-csv-" + std::to_string(getpid()) + ".csv"))
          .string();
  auto read = [&] {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  CsvOutput out;
  ASSERT_TRUE(out.Start(path));
  MonitorBlock b;
  out.WriteLine(b, 0);
  out.WriteLine(b, 1000);
  EXPECT_EQ(Lines(read()).size(), 4u);  // flushed at once
  out.Stop();
  out.WriteLine(b, 0);  // off: nothing
  EXPECT_EQ(Lines(read()).size(), 4u);
  ASSERT_TRUE(out.Start(path));
  EXPECT_EQ(Lines(read()).size(), 2u);
  out.Stop();
  std::filesystem::remove(path);
  EXPECT_FALSE(out.Start("/nonexistent-folder/x.csv"));
  EXPECT_FALSE(out.IsOn());
  EXPECT_EQ(CsvTitlePart("/a/b/ride.csv"), "       (CSV output: ride.csv)      ");
}

}  // namespace
}  // namespace zeda
