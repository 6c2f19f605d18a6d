#pragma once
// Builds a .ignlog recording in memory (IgnlogRecorder) and keeps a journal of it on disk
// while it runs (IgnlogJournal), so that a crash or a power loss loses at most the last
// second; the journal turns back into a valid .ignlog with RecoverIgnlogJournal.
//
// Both are used from one thread (the window's user-interface thread).
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "monitor/ignlog_format.h"

namespace zeda {

struct IgnlogStartInfo {
  int64_t start = 0;            // seconds since 1970 UTC
  std::array<int32_t, 4> os{};  // major, minor, build, platform; 0 when unknown
  // Up to four displays: left, width, top, height each.
  std::array<std::array<int16_t, 4>, kIgnlogDisplays> displays{};
  int32_t checkBoxLeft = 0;
  std::string description;  // the program's description line
};

enum class AppendResult { Ok, RecordLimit, DataLimit };

class IgnlogRecorder {
 public:
  void Begin(const IgnlogStartInfo& info);
  // Starts from a header's fixed part (256 bytes), records dropped (journal recovery).
  void BeginFromFixedHeader(const uint8_t* fixed);
  // Appends a record of `type` with its payload. Refused when the record would pass
  // 6000 records or 2,000,000 bytes of record area.
  AppendResult Append(int type, uint32_t timeMs, const uint8_t* payload, int payloadLength);
  // The records so far are the snapshot (initial records).
  void MarkInitial();

  int Count() const { return count_; }
  int Initial() const { return initial_; }
  uint32_t DataLength() const { return static_cast<uint32_t>(data_.size()); }
  const uint8_t* Header() const { return header_.data(); }
  // The bytes of the last appended record.
  const uint8_t* LastRecord() const { return data_.data() + lastOffset_; }
  int LastRecordLength() const { return static_cast<int>(data_.size() - lastOffset_); }
  // The file: as many header bytes as its length field says, then the record area.
  std::string FileBytes() const;

 private:
  std::vector<uint8_t> header_ = std::vector<uint8_t>(kIgnlogMaxHeader, 0);
  std::vector<uint8_t> data_;
  int count_ = 0;
  int initial_ = 0;
  std::size_t lastOffset_ = 0;
};

class IgnlogJournal {
 public:
  IgnlogJournal() = default;
  IgnlogJournal(const IgnlogJournal&) = delete;
  IgnlogJournal& operator=(const IgnlogJournal&) = delete;
  ~IgnlogJournal() { Close(false); }

  // Creates the journal for a recording that will be written to targetPath, with the
  // recorder's header and snapshot records. False (with *error) when it cannot be created
  // or written.
  bool Open(const std::string& journalPath, const std::string& targetPath,
            const IgnlogRecorder& recorder, int64_t nowMs, std::string* error = nullptr);
  // Adds the recorder's last record. Every record reaches the operating system at once;
  // the disk at least once a second. False (with *error) when the journal cannot be written.
  bool Add(const IgnlogRecorder& recorder, int64_t nowMs, std::string* error = nullptr);
  // Forces pending records to the disk once a second has passed (called from the tick).
  // False (with *error) when the disk refuses them.
  bool Sync(int64_t nowMs, std::string* error = nullptr);
  // Closes; removes the journal file when the recording was written out.
  void Close(bool remove);
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  int64_t lastSyncMs_ = 0;
  bool pending_ = false;
};

// True while a running recording (of this or another instance) holds the journal.
bool IgnlogJournalInUse(const std::string& journalPath);

// Rebuilds the recording from a journal: *target gets the path the recording was meant
// for, *fileBytes a valid .ignlog of every whole record the journal holds. False when the
// journal is unreadable or holds no snapshot.
bool RecoverIgnlogJournal(const std::string& journalPath, std::string* target,
                          std::string* fileBytes);

}  // namespace zeda
