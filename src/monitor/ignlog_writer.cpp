#include "monitor/ignlog_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/identity.h"
#include "params/atomic_file.h"

namespace zeda {

namespace {

constexpr char kJournalMagic[8] = {'Z', 'E', 'D', 'A', 'J', 'R', 'N', 'L'};
constexpr int kFixedHeader = IgnlogAt::LOW_WORDS;  // the part before the index
constexpr int64_t kSyncEveryMs = 1000;
constexpr std::size_t kMaxJournalBytes = 64u << 20;

}  // namespace

void IgnlogRecorder::Begin(const IgnlogStartInfo& info) {
  std::fill(header_.begin(), header_.end(), 0);
  data_.clear();
  data_.reserve(64 * 1024);
  count_ = initial_ = 0;
  lastOffset_ = 0;
  uint8_t* h = header_.data();
  PutU16(h + IgnlogAt::HEADER_LENGTH, kIgnlogBaseHeader);
  PutU32(h + IgnlogAt::START, static_cast<uint32_t>(static_cast<int32_t>(info.start)));
  for (int i = 0; i < 4; ++i)
    PutU32(h + IgnlogAt::OS_MAJOR + 4 * i,
           static_cast<uint32_t>(info.os[static_cast<std::size_t>(i)]));
  for (int d = 0; d < kIgnlogDisplays; ++d)
    for (int i = 0; i < 4; ++i)
      PutU16(h + IgnlogAt::DISPLAYS + 8 * d + 2 * i,
             static_cast<uint16_t>(
                 info.displays[static_cast<std::size_t>(d)][static_cast<std::size_t>(i)]));
  PutU32(h + IgnlogAt::CHECKBOX_LEFT, static_cast<uint32_t>(info.checkBoxLeft));
  PutU16(h + IgnlogAt::UNIT_KEY, static_cast<uint32_t>(kUnitKey));
  std::memcpy(h + IgnlogAt::DESCRIPTION, info.description.data(),
              std::min<std::size_t>(info.description.size(), kIgnlogDescriptionBytes - 1));
}

void IgnlogRecorder::BeginFromFixedHeader(const uint8_t* fixed) {
  std::fill(header_.begin(), header_.end(), 0);
  std::memcpy(header_.data(), fixed, kFixedHeader);
  uint8_t* h = header_.data();
  PutU16(h + IgnlogAt::HEADER_LENGTH, kIgnlogBaseHeader);
  PutU32(h + IgnlogAt::DATA_LENGTH, 0);
  PutU16(h + IgnlogAt::INITIAL, 0);
  PutU16(h + IgnlogAt::COUNT, 0);
  data_.clear();
  count_ = initial_ = 0;
  lastOffset_ = 0;
}

AppendResult IgnlogRecorder::Append(int type, uint32_t timeMs, const uint8_t* payload,
                                    int payloadLength) {
  const int length = kRecordHead + payloadLength;
  if (count_ >= kIgnlogMaxRecords) return AppendResult::RecordLimit;
  if (data_.size() + static_cast<std::size_t>(length) > static_cast<std::size_t>(kIgnlogMaxData))
    return AppendResult::DataLimit;
  const std::size_t offset = data_.size();
  data_.resize(offset + static_cast<std::size_t>(length));
  uint8_t* r = data_.data() + offset;
  PutU16(r, static_cast<uint32_t>(length));
  r[2] = static_cast<uint8_t>(type);
  r[3] = 0;
  PutU32(r + 4, timeMs);
  if (payloadLength > 0)
    std::memcpy(r + kRecordHead, payload, static_cast<std::size_t>(payloadLength));
  uint8_t* h = header_.data();
  PutU16(h + IgnlogAt::LOW_WORDS + 2 * count_, static_cast<uint32_t>(offset & 0xFFFF));
  PutU16(h + IgnlogAt::HIGH_WORDS + 2 * count_, static_cast<uint32_t>(offset >> 16));
  ++count_;
  PutU16(h + IgnlogAt::HEADER_LENGTH, static_cast<uint32_t>(kIgnlogBaseHeader + 2 * count_));
  PutU16(h + IgnlogAt::COUNT, static_cast<uint32_t>(count_));
  PutU32(h + IgnlogAt::DATA_LENGTH, static_cast<uint32_t>(data_.size()));
  lastOffset_ = offset;
  return AppendResult::Ok;
}

void IgnlogRecorder::MarkInitial() {
  initial_ = count_;
  PutU16(header_.data() + IgnlogAt::INITIAL, static_cast<uint32_t>(initial_));
}

std::string IgnlogRecorder::FileBytes() const {
  std::string out(reinterpret_cast<const char*>(header_.data()), kIgnlogBaseHeader + 2 * count_);
  out.append(reinterpret_cast<const char*>(data_.data()), data_.size());
  return out;
}

namespace {

bool Failed(std::string* error) {
  if (error) *error = std::strerror(errno);
  return false;
}

}  // namespace

bool IgnlogJournal::Open(const std::string& journalPath, const std::string& targetPath,
                         const IgnlogRecorder& recorder, int64_t nowMs, std::string* error) {
  Close(false);
  std::FILE* f = std::fopen(journalPath.c_str(), "wbx");
  if (!f) return Failed(error);
  // Held while the recording runs, so another instance never offers to recover it.
  flock(fileno(f), LOCK_EX | LOCK_NB);
  file_ = f;
  path_ = journalPath;
  uint8_t length[2];
  PutU16(length, static_cast<uint32_t>(std::min<std::size_t>(targetPath.size(), 0xFFFF)));
  const std::string all = recorder.FileBytes();
  const std::size_t headerBytes =
      static_cast<std::size_t>(kIgnlogBaseHeader + 2 * recorder.Count());
  const std::size_t pathBytes = GetU16(length);
  const bool written =
      std::fwrite(kJournalMagic, 1, sizeof kJournalMagic, file_) == sizeof kJournalMagic &&
      std::fwrite(length, 1, 2, file_) == 2 &&
      std::fwrite(targetPath.data(), 1, pathBytes, file_) == pathBytes &&
      std::fwrite(recorder.Header(), 1, kFixedHeader, file_) == kFixedHeader &&
      std::fwrite(all.data() + headerBytes, 1, all.size() - headerBytes, file_) ==
          all.size() - headerBytes;
  pending_ = true;
  lastSyncMs_ = nowMs - kSyncEveryMs;
  if (!written || !Sync(nowMs, error)) {
    if (!written) Failed(error);
    Close(true);  // a journal without its snapshot recovers nothing
    return false;
  }
  return true;
}

bool IgnlogJournal::Add(const IgnlogRecorder& recorder, int64_t nowMs, std::string* error) {
  if (!file_) return true;
  const auto length = static_cast<std::size_t>(recorder.LastRecordLength());
  // Flushed at once: a killed program loses nothing.
  if (std::fwrite(recorder.LastRecord(), 1, length, file_) != length || std::fflush(file_) != 0)
    return Failed(error);
  pending_ = true;
  return Sync(nowMs, error);
}

bool IgnlogJournal::Sync(int64_t nowMs, std::string* error) {
  if (!file_ || !pending_ || nowMs - lastSyncMs_ < kSyncEveryMs) return true;
  // A power loss loses at most the last second.
  if (std::fflush(file_) != 0 || fdatasync(fileno(file_)) != 0) return Failed(error);
  pending_ = false;
  lastSyncMs_ = nowMs;
  return true;
}

void IgnlogJournal::Close(bool remove) {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  if (remove) std::remove(path_.c_str());
}

bool IgnlogJournalInUse(const std::string& journalPath) {
  const int fd = open(journalPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool inUse = flock(fd, LOCK_SH | LOCK_NB) != 0;
  close(fd);
  return inUse;
}

bool RecoverIgnlogJournal(const std::string& journalPath, std::string* target,
                          std::string* fileBytes) {
  std::string bytes;
  if (!ReadWholeFile(journalPath, &bytes, kMaxJournalBytes)) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  std::size_t at = sizeof kJournalMagic + 2;
  if (bytes.size() < at || std::memcmp(p, kJournalMagic, sizeof kJournalMagic) != 0) return false;
  const std::size_t pathLength = GetU16(p + sizeof kJournalMagic);
  if (bytes.size() < at + pathLength + kFixedHeader) return false;
  *target = bytes.substr(at, pathLength);
  at += pathLength;
  const uint8_t* fixed = p + at;
  at += kFixedHeader;
  const int initial = static_cast<int16_t>(GetU16(fixed + IgnlogAt::INITIAL));
  IgnlogRecorder rec;
  rec.BeginFromFixedHeader(fixed);
  // Whole records only: a record cut by the crash ends the recording.
  while (bytes.size() - at >= static_cast<std::size_t>(kRecordHead)) {
    const int length = GetU16(p + at);
    const int type = p[at + 2];
    if (length < IgnlogRecordLength(type) || bytes.size() - at < static_cast<std::size_t>(length))
      break;
    if (type == kRecordPageState && p[at + kRecordHead] >= kIgnlogPageCount) break;
    if (rec.Append(type, GetU32(p + at + 4), p + at + kRecordHead, length - kRecordHead) !=
        AppendResult::Ok)
      break;
    if (rec.Count() == initial) rec.MarkInitial();
    at += static_cast<std::size_t>(length);
  }
  if (initial < 1 || rec.Count() < initial) return false;
  *fileBytes = rec.FileBytes();
  return true;
}

}  // namespace zeda
