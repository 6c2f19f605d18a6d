// Feeds the .ignlog reader files near a valid recording (random bytes alone would almost
// never pass the header): the input overwrites part of a real recording and may cut it.
// Every accepted file must let every record be read inside the record area.
#include "monitor/ignlog_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kTemplate = Template();
  if (size < 5) return 0;
  std::string file = kTemplate;
  uint32_t at;
  std::memcpy(&at, data, 4);
  const bool whole = (data[4] & 1) != 0;
  if (whole) {
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
