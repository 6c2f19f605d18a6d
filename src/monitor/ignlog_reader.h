#pragma once
// Reads a .ignlog recording from its bytes and refuses any file that is not whole and
// sound: header length 12256-24256, 1 <= initial records <= N <= 6000, the record area
// inside the file, every record inside the area with at least its type's length and a
// page index 0-9. Pure functions; any thread.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/ignlog_format.h"

namespace zeda {

struct IgnlogRecordView {
  int type = 0;
  uint32_t timeMs = 0;
  const uint8_t* payload = nullptr;  // after the head
  int payloadLength = 0;
};

struct IgnlogFile {
  std::vector<uint8_t> header;  // kIgnlogMaxHeader bytes, high words rebuilt
  std::vector<uint8_t> data;    // the record area
  int count = 0;
  int initial = 0;
  int unitKey = 0;
  int64_t start = 0;              // seconds since 1970 UTC
  std::vector<uint32_t> offsets;  // of each record in data

  IgnlogRecordView Record(int k) const;
  // The time of the last record, 0 without records.
  uint32_t DurationMs() const;
};

enum class IgnlogError { None, Unreadable, Damaged };

struct IgnlogReadResult {
  IgnlogError error = IgnlogError::None;
  std::string why;  // what is wrong, for the message
  bool Ok() const { return error == IgnlogError::None; }
};

// Refuses a damaged file with error Damaged (and `why`). The unit key is not checked here.
IgnlogReadResult ParseIgnlog(std::string_view bytes, IgnlogFile& file);
// Reads a file (regular files only, at most the largest valid size).
IgnlogReadResult ReadIgnlogFile(const std::string& path, IgnlogFile& file);

// "damaged file" and what was found.
std::string IgnlogErrorText(const IgnlogReadResult& r);

}  // namespace zeda
