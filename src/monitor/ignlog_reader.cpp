#include "monitor/ignlog_reader.h"

#include <cstring>

#include "params/atomic_file.h"

namespace zeda {

int IgnlogRecordLength(int type) {
  switch (type) {
    case kRecordConnection:
      return kConnectionRecordLength;
    case kRecordParameters:
    case kRecordUnitImage:
      return kImageRecordLength;
    case kRecordMonitor:
      return kMonitorRecordLength;
    case kRecordPageState:
      return kPageStateRecordLength;
    default:
      return kRecordHead;
  }
}

IgnlogRecordView IgnlogFile::Record(int k) const {
  IgnlogRecordView r;
  if (k < 0 || k >= count) return r;
  const uint8_t* p = data.data() + offsets[static_cast<std::size_t>(k)];
  r.type = p[2];
  r.timeMs = GetU32(p + 4);
  r.payload = p + kRecordHead;
  r.payloadLength = GetU16(p) - kRecordHead;
  return r;
}

uint32_t IgnlogFile::DurationMs() const { return count > 0 ? Record(count - 1).timeMs : 0; }

namespace {

IgnlogReadResult Damaged(std::string why) { return {IgnlogError::Damaged, std::move(why)}; }

}  // namespace

IgnlogReadResult ParseIgnlog(std::string_view bytes, IgnlogFile& file) {
  file = IgnlogFile{};
  const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  if (size < static_cast<std::size_t>(kIgnlogBaseHeader)) return Damaged("shorter than a header");
  const int headerLength = GetU16(in);
  // The header is the fixed part and one high word per record at most: an odd length or
  // one beyond the limit cannot come from a recorder.
  if (headerLength < kIgnlogBaseHeader || headerLength > kIgnlogMaxHeader ||
      (headerLength - kIgnlogBaseHeader) % 2 != 0)
    return Damaged("header length " + std::to_string(headerLength));
  // A file cut inside its header: nothing past the bytes present is ever read.
  if (size < static_cast<std::size_t>(headerLength) + kRecordHead)
    return Damaged("cut short: " + std::to_string(size) + " bytes, the header alone says " +
                   std::to_string(headerLength));
  file.header.assign(static_cast<std::size_t>(kIgnlogMaxHeader), 0);
  std::memcpy(file.header.data(), in, static_cast<std::size_t>(headerLength));
  const uint8_t* h = file.header.data();
  const uint32_t dataLength = GetU32(h + IgnlogAt::DATA_LENGTH);
  file.initial = static_cast<int16_t>(GetU16(h + IgnlogAt::INITIAL));
  file.count = static_cast<int16_t>(GetU16(h + IgnlogAt::COUNT));
  file.unitKey = GetU16(h + IgnlogAt::UNIT_KEY);
  file.start = static_cast<int32_t>(GetU32(h + IgnlogAt::START));
  if (file.initial < 1 || file.initial > file.count || file.count > kIgnlogMaxRecords)
    return Damaged("record counts " + std::to_string(file.initial) + "/" +
                   std::to_string(file.count));
  // Fewer high words than records is allowed (they are rebuilt), more is not.
  if ((headerLength - kIgnlogBaseHeader) / 2 > file.count)
    return Damaged("header length " + std::to_string(headerLength) + " for " +
                   std::to_string(file.count) + " records");
  if (dataLength > static_cast<uint32_t>(kIgnlogMaxData) ||
      dataLength > size - static_cast<std::size_t>(headerLength))  // size >= headerLength
    return Damaged("record area of " + std::to_string(dataLength) + " bytes beyond the file");
  file.data.assign(in + headerLength, in + headerLength + dataLength);

  // A file may carry fewer high words than records: each missing one is the number of
  // times the low words wrapped so far.
  uint8_t* high = file.header.data() + IgnlogAt::HIGH_WORDS;
  const uint8_t* low = file.header.data() + IgnlogAt::LOW_WORDS;
  int wraps = 0;
  for (int k = 1; k < kIgnlogMaxRecords; ++k) {
    if (GetU16(low + 2 * k) < GetU16(low + 2 * (k - 1))) ++wraps;
    if (GetU16(high + 2 * k) == 0) PutU16(high + 2 * k, static_cast<uint32_t>(wraps));
  }

  file.offsets.resize(static_cast<std::size_t>(file.count));
  for (int k = 0; k < file.count; ++k) {
    const uint32_t offset =
        (static_cast<uint32_t>(GetU16(high + 2 * k)) << 16) | GetU16(low + 2 * k);
    const std::string which = "record " + std::to_string(k);
    if (offset > dataLength || dataLength - offset < static_cast<uint32_t>(kRecordHead))
      return Damaged(which + " outside the record area");
    const uint8_t* r = file.data.data() + offset;
    const int length = GetU16(r);
    const int type = r[2];
    if (length < IgnlogRecordLength(type) || dataLength - offset < static_cast<uint32_t>(length))
      return Damaged(which + " of length " + std::to_string(length));
    if (type == kRecordPageState && r[kRecordHead] >= kIgnlogPageCount)
      return Damaged(which + " names page " + std::to_string(r[kRecordHead]));
    file.offsets[static_cast<std::size_t>(k)] = offset;
  }
  return {};
}

IgnlogReadResult ReadIgnlogFile(const std::string& path, IgnlogFile& file) {
  std::string bytes;
  bool tooLarge = false;
  if (!ReadWholeFile(path, &bytes, kIgnlogMaxHeader + kIgnlogMaxData + 1, &tooLarge)) {
    file = IgnlogFile{};
    return tooLarge ? IgnlogReadResult{IgnlogError::Damaged, "larger than any recording"}
                    : IgnlogReadResult{IgnlogError::Unreadable, "cannot be read"};
  }
  return ParseIgnlog(bytes, file);
}

std::string IgnlogErrorText(const IgnlogReadResult& r) {
  if (r.Ok()) return {};
  if (r.error == IgnlogError::Unreadable) return "cannot be read";
  return "damaged file (" + r.why + ")";
}

}  // namespace zeda
