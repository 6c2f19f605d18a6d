#pragma once
// The CSV monitor output: two header lines (channel names, units), then one line per
// fresh monitor frame: the local time and one field per channel-table row, each ended by
// ";", lines ended by a single line feed. Every line is flushed, so a file still open when
// the program ends is complete.
//
// CsvOutput is used from one thread (the window's user-interface thread or zedactl's loop).
#include <cstdint>
#include <cstdio>
#include <string>

#include "monitor/monitor_block.h"

namespace zeda {

inline constexpr int kCsvFieldsPerLine = 95;  // the time and one per channel

struct CsvTime {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The local time of a wall-clock instant (milliseconds since 1970 UTC; before 1970 too,
// the millisecond is never negative).
CsvTime LocalCsvTime(int64_t unixMs);
int64_t WallClockMs();

std::string CsvHeaderLines();
std::string CsvDataLine(const MonitorBlock& block, const CsvTime& time);

class CsvOutput {
 public:
  CsvOutput() = default;
  CsvOutput(const CsvOutput&) = delete;
  CsvOutput& operator=(const CsvOutput&) = delete;
  ~CsvOutput() { Stop(); }

  // Replaces the file with the two header lines; false (and off, *error saying why) when
  // it cannot be created or the header cannot be written.
  bool Start(const std::string& path, std::string* error = nullptr);
  void Stop();
  bool IsOn() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  // One line for one fresh frame, stamped with `unixMs` (the wall clock when the answer
  // came, or a played record's recorded time). Nothing (and true) when off. A line that
  // cannot be written (a full disk, a removed drive) stops the output: false, and
  // TakeFailure reports it once.
  bool WriteLine(const MonitorBlock& block, int64_t unixMs);
  // True once after a write error stopped the output, with what happened.
  bool TakeFailure(std::string* why);

 private:
  void Fail(int error);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string failure_;  // set by a write error until taken
};

// "       (CSV output: %s)      " with the file name without its folder.
std::string CsvTitlePart(const std::string& path);

}  // namespace zeda
