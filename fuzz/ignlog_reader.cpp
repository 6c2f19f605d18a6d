// Feeds the .ignlog reader files near a valid recording (random bytes alone would almost
// never pass the header): the input overwrites part of a real recording and may cut it.
// A third form cuts a long recording (its header far beyond the least one) near one of its
// region boundaries and may set its header length; the seeds in seeds/ignlog_reader/ start
// at every boundary. Every accepted file must let every record be read inside the record
// area.
#include "monitor/ignlog_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/ignlog_writer.h"

namespace {

std::string Template() {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  uint8_t payload[1050] = {};
  rec.Append(zeda::kRecordConnection, 0, payload, zeda::kConnectionRecordLength - 8);
  rec.Append(zeda::kRecordParameters, 0, payload, 1050);
  rec.Append(zeda::kRecordPageState, 0, payload, zeda::kPageStateRecordLength - 8);
  rec.MarkInitial();
  for (int i = 0; i < 500; ++i)
    rec.Append(i % 7 ? zeda::kRecordMonitor : zeda::kRecordParameters, static_cast<uint32_t>(i),
               payload, i % 7 ? 150 : 1050);
  return rec.FileBytes();
}

// Long enough for high offset words and a header of 12256 + 2 x 3000 bytes.
std::string LongTemplate() {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  uint8_t payload[1050] = {};
  rec.Append(zeda::kRecordConnection, 0, payload, zeda::kConnectionRecordLength - 8);
  rec.Append(zeda::kRecordParameters, 0, payload, 1050);
  rec.Append(zeda::kRecordPageState, 0, payload, zeda::kPageStateRecordLength - 8);
  rec.MarkInitial();
  for (int i = 3; i < 3000; ++i)
    rec.Append(zeda::kRecordMonitor, static_cast<uint32_t>(i), payload, 150);
  return rec.FileBytes();
}

// Where the long recording's regions begin and end: the fixed header's fields, the low and
// high offset words, the record area, its first and last records.
std::vector<size_t> Boundaries(const std::string& file) {
  const auto* p = reinterpret_cast<const uint8_t*>(file.data());
  const size_t header = zeda::GetU16(p);
  const size_t first = header + zeda::GetU16(p + header);
  const size_t snapshot = header + zeda::GetU16(p + zeda::IgnlogAt::LOW_WORDS + 2 * 3);
  return {0,
          2,
          zeda::IgnlogAt::DATA_LENGTH,
          zeda::IgnlogAt::COUNT,
          zeda::IgnlogAt::LOW_WORDS,
          zeda::kIgnlogBaseHeader,
          zeda::kIgnlogBaseHeader + 2,
          (zeda::kIgnlogBaseHeader + header) / 2,
          header - 2,
          header,
          header + 8,
          first,
          snapshot,
          header + 65536,
          file.size() - 150,
          file.size() - 8,
          file.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kTemplate = Template();
  if (size < 5) return 0;
  std::string file = kTemplate;
  uint32_t at;
  std::memcpy(&at, data, 4);
  const bool whole = (data[4] & 1) != 0;
  if (data[4] & 4) {
    // Byte 0 picks a boundary, byte 1 (signed) moves the cut from it; with bit 3 bytes 2-3
    // are the header length.
    static const std::string kLong = LongTemplate();
    static const std::vector<size_t> kCuts = Boundaries(kLong);
    file = kLong;
    const auto cut =
        static_cast<int64_t>(kCuts[data[0] % kCuts.size()]) + static_cast<int8_t>(data[1]);
    file.resize(
        static_cast<size_t>(std::clamp<int64_t>(cut, 0, static_cast<int64_t>(file.size()))));
    if ((data[4] & 8) && file.size() >= 2) {
      file[0] = static_cast<char>(data[2]);
      file[1] = static_cast<char>(data[3]);
    }
  } else if (whole) {
    file.assign(reinterpret_cast<const char*>(data + 5), size - 5);
  } else {
    at %= file.size();
    for (size_t i = 5; i < size; ++i) file[(at + i - 5) % file.size()] = static_cast<char>(data[i]);
    if (data[4] & 2) file.resize(file.size() - (at % 4096));
  }
  zeda::IgnlogFile log;
  if (!zeda::ParseIgnlog(file, log).Ok()) return 0;
  uint64_t sum = 0;
  for (int k = 0; k < log.count; ++k) {
    const zeda::IgnlogRecordView r = log.Record(k);
    const uint8_t* end = log.data.data() + log.data.size();
    if (r.payload < log.data.data() || r.payload + r.payloadLength > end) __builtin_trap();
    if (r.payloadLength < zeda::IgnlogRecordLength(r.type) - 8) __builtin_trap();
    for (int i = 0; i < r.payloadLength; ++i) sum += r.payload[i];
  }
  return static_cast<int>(sum & 0);
}
