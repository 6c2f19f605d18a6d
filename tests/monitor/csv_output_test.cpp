// The CSV output: header lines, one field per channel, the field formats, the file itself.
#include "monitor/csv_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
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

// A file that cannot be created or whose header does not fit is refused with the reason;
// a line that does not fit (the disk filled, the drive went) stops the output, reported
// once, and keeps what was written.
TEST(CsvOutput, WriteErrorsStopTheOutputAndSayWhy) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zeda-csv-full-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  CsvOutput out;
  std::string why;
  EXPECT_FALSE(out.Start("/dev/full", &why));
  EXPECT_EQ(why, "No space left on device");
  EXPECT_FALSE(out.IsOn());
  EXPECT_FALSE(out.Start((dir / "gone" / "x.csv").string(), &why));
  EXPECT_EQ(why, "No such file or directory");

  const std::string path = (dir / "live.csv").string();
  ASSERT_TRUE(out.Start(path, &why));
  MonitorBlock b;
  EXPECT_TRUE(out.WriteLine(b, 0));
  // The disk fills under the open file.
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  bool swapped = false;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (std::filesystem::read_symlink(e.path(), ec) == path)
      swapped = dup2(full, std::stoi(e.path().filename().string())) >= 0;
  }
  close(full);
  ASSERT_TRUE(swapped);
  EXPECT_FALSE(out.WriteLine(b, 1000));
  EXPECT_FALSE(out.IsOn());
  EXPECT_TRUE(out.WriteLine(b, 2000));  // off: nothing to fail
  ASSERT_TRUE(out.TakeFailure(&why));
  EXPECT_EQ(why, "No space left on device");
  EXPECT_FALSE(out.TakeFailure(&why));  // reported once
  std::ifstream in(path, std::ios::binary);
  std::stringstream kept;
  kept << in.rdbuf();
  EXPECT_EQ(Lines(kept.str()).size(), 3u);
  std::filesystem::remove_all(dir);
}

// Times before 1970 count back by whole seconds: the millisecond is never negative.
TEST(CsvOutput, TimesBefore1970HaveNoNegativeField) {
  const char* saved = getenv("TZ");
  const std::string savedTz = saved ? saved : "";
  setenv("TZ", "UTC", 1);
  tzset();
  const CsvTime t = LocalCsvTime(-750);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.millisecond, 250);
  EXPECT_EQ(CsvDataLine({}, LocalCsvTime(-86400000LL * 365 - 1)).substr(0, 13), "23:59:59.999;");
  EXPECT_EQ(CsvDataLine({}, LocalCsvTime(-1000)).substr(0, 13), "23:59:59.000;");
  if (saved)
    setenv("TZ", savedTz.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace zeda
