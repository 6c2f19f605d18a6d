// The .ignlog recording: written as the format says, read back, damaged files refused,
// the journal recovered after a crash, the limits.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "base/identity.h"
#include "monitor/ignlog_reader.h"
#include "monitor/ignlog_writer.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

// A recording like the window's: connection, parameters, page state, then `monitors`
// monitor records 100 ms apart.
IgnlogRecorder MakeRecording(int monitors) {
  IgnlogRecorder rec;
  IgnlogStartInfo info;
  info.start = 1700000000;
  info.description = "test recording";
  rec.Begin(info);
  uint8_t connection[kConnectionRecordLength - kRecordHead] = {3, 'U', 'n', 'i', 't'};
  uint8_t image[kImageRecordLength - kRecordHead] = {};
  uint8_t page[kPageStateRecordLength - kRecordHead] = {2};
  EXPECT_EQ(rec.Append(kRecordConnection, 0, connection, sizeof connection), AppendResult::Ok);
  EXPECT_EQ(rec.Append(kRecordParameters, 0, image, sizeof image), AppendResult::Ok);
  EXPECT_EQ(rec.Append(kRecordPageState, 0, page, sizeof page), AppendResult::Ok);
  rec.MarkInitial();
  uint8_t monitor[kMonitorRecordLength - kRecordHead] = {};
  for (int i = 0; i < monitors; ++i) {
    monitor[3] = static_cast<uint8_t>(i);
    EXPECT_EQ(
        rec.Append(kRecordMonitor, static_cast<uint32_t>(100 * (i + 1)), monitor, sizeof monitor),
        AppendResult::Ok);
  }
  return rec;
}

TEST(Ignlog, HundredRecordsGiveHeaderLength12456) {
  IgnlogRecorder rec = MakeRecording(97);
  ASSERT_EQ(rec.Count(), 100);
  const std::string bytes = rec.FileBytes();
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  EXPECT_EQ(GetU16(p), 12456);
  EXPECT_EQ(bytes.size(), 12456u + rec.DataLength());
  EXPECT_EQ(GetU32(p + IgnlogAt::DATA_LENGTH), rec.DataLength());
  EXPECT_EQ(GetU16(p + IgnlogAt::UNIT_KEY), kUnitKey);
  EXPECT_EQ(GetU16(p + IgnlogAt::INITIAL), 3);
  EXPECT_EQ(GetU16(p + IgnlogAt::COUNT), 100);
  EXPECT_STREQ(reinterpret_cast<const char*>(p + IgnlogAt::DESCRIPTION), "test recording");

  IgnlogFile file;
  ASSERT_TRUE(ParseIgnlog(bytes, file).Ok());
  EXPECT_EQ(file.count, 100);
  EXPECT_EQ(file.initial, 3);
  EXPECT_EQ(file.start, 1700000000);
  EXPECT_EQ(file.DurationMs(), 9700u);
  const IgnlogRecordView r = file.Record(10);
  EXPECT_EQ(r.type, kRecordMonitor);
  EXPECT_EQ(r.timeMs, 800u);
  EXPECT_EQ(r.payloadLength, 150);
  EXPECT_EQ(r.payload[3], 7);
}

TEST(Ignlog, HighWordsAreRebuiltWhenTheFileCarriesFewer) {
  // Past 65536 bytes of record area the offsets need high words; drop them from the file.
  IgnlogRecorder rec = MakeRecording(600);
  ASSERT_GT(rec.DataLength(), 65536u);
  std::string bytes = rec.FileBytes();
  const int count = rec.Count();
  std::string cut = bytes.substr(0, kIgnlogBaseHeader) +
                    bytes.substr(static_cast<std::size_t>(kIgnlogBaseHeader + 2 * count));
  // One high word kept: the header length says so.
  cut.insert(kIgnlogBaseHeader, 2, '\0');
  PutU16(reinterpret_cast<uint8_t*>(cut.data()), kIgnlogBaseHeader + 2);
  IgnlogFile file;
  const IgnlogReadResult r = ParseIgnlog(cut, file);
  ASSERT_TRUE(r.Ok()) << r.why;
  IgnlogFile whole;
  ASSERT_TRUE(ParseIgnlog(bytes, whole).Ok());
  EXPECT_EQ(file.offsets, whole.offsets);
  EXPECT_EQ(file.Record(count - 1).payload[3], whole.Record(count - 1).payload[3]);
}

TEST(Ignlog, DamagedFilesAreRefused) {
  const std::string good = MakeRecording(5).FileBytes();
  const std::size_t firstRecord = kIgnlogBaseHeader + 2 * 8;
  struct Case {
    const char* what;
    std::function<void(std::string&)> spoil;
  };
  auto u16 = [](std::string& s, std::size_t at, uint32_t v) {
    PutU16(reinterpret_cast<uint8_t*>(s.data()) + at, v);
  };
  auto u32 = [](std::string& s, std::size_t at, uint32_t v) {
    PutU32(reinterpret_cast<uint8_t*>(s.data()) + at, v);
  };
  const Case cases[] = {
      {"empty", [](std::string& s) { s.clear(); }},
      {"header length below 12256", [&](std::string& s) { u16(s, 0, 12254); }},
      {"header length above 24256", [&](std::string& s) { u16(s, 0, 24258); }},
      {"no initial records", [&](std::string& s) { u16(s, IgnlogAt::INITIAL, 0); }},
      {"initial above N", [&](std::string& s) { u16(s, IgnlogAt::INITIAL, 9); }},
      {"N above 6000", [&](std::string& s) { u16(s, IgnlogAt::COUNT, 6001); }},
      {"negative N", [&](std::string& s) { u16(s, IgnlogAt::COUNT, 0xFFFF); }},
      {"record area beyond the file", [&](std::string& s) { s.pop_back(); }},
      {"offset outside the area",
       [&](std::string& s) { u16(s, IgnlogAt::LOW_WORDS + 2 * 7, 0xFFF0); }},
      {"record shorter than its type",
       [&](std::string& s) { u16(s, firstRecord + 84, kImageRecordLength - 1); }},
      {"record longer than the area", [&](std::string& s) { u16(s, firstRecord, 0xFFFF); }},
      {"page index 10", [&](std::string& s) { s[firstRecord + 84 + 1058 + kRecordHead] = 10; }},
      {"record area length above the limit",
       [&](std::string& s) {
         u32(s, IgnlogAt::DATA_LENGTH, kIgnlogMaxData + 1);
         s.resize(s.size() + kIgnlogMaxData);
       }},
  };
  IgnlogFile file;
  ASSERT_TRUE(ParseIgnlog(good, file).Ok());
  for (const Case& c : cases) {
    std::string bad = good;
    c.spoil(bad);
    const IgnlogReadResult r = ParseIgnlog(bad, file);
    EXPECT_EQ(r.error, IgnlogError::Damaged) << c.what;
    EXPECT_EQ(IgnlogErrorText(r).rfind("damaged file", 0), 0u) << c.what;
  }
}

// Long recordings (a header far beyond the least one) cut before their first record ends,
// header lengths no recorder writes, and a header claiming 24256 bytes for a few records:
// each refused as damaged, from bytes and from a file, without a byte read past the input
// (the sanitizer build runs this).
TEST(Ignlog, CutLongHeadersAndImpossibleHeaderLengthsAreRefused) {
  const std::string longRec = MakeRecording(2997).FileBytes();  // 3000 records
  const std::size_t header = GetU16(reinterpret_cast<const uint8_t*>(longRec.data()));
  ASSERT_EQ(header, 12256u + 2 * 3000);
  auto withLength = [](std::string s, uint32_t length) {
    PutU16(reinterpret_cast<uint8_t*>(s.data()), length);
    return s;
  };
  struct Case {
    std::string what;
    std::string bytes;
  };
  std::vector<Case> cases;
  for (const std::size_t cut :
       {std::size_t{12256}, std::size_t{12257}, std::size_t{12258}, std::size_t{15000}, header - 2,
        header - 1, header, header + 1, header + 7, header + 8, header + 83})
    cases.push_back({"cut at " + std::to_string(cut), longRec.substr(0, cut)});
  for (const uint32_t odd : {12257u, 12999u, 18255u})
    cases.push_back({"odd header length " + std::to_string(odd), withLength(longRec, odd)});
  const std::string few = MakeRecording(20).FileBytes();
  const std::string claimed = withLength(few, kIgnlogMaxHeader);
  cases.push_back({"24256 for 23 records, cut inside", claimed});
  cases.push_back({"24256 for 23 records, whole", claimed + std::string(kIgnlogMaxHeader, '\0')});
  cases.push_back({"more high words than records", withLength(few, 12256 + 2 * 24)});

  const fs::path dir = fs::temp_directory_path() / ("zeda-cut-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "cut.ignlog").string();
  for (const Case& c : cases) {
    IgnlogFile file;
    // An exact-size copy: a read past its end is a heap overflow the sanitizer reports.
    const std::unique_ptr<char[]> exact(new char[c.bytes.size()]);
    std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
    const IgnlogReadResult r = ParseIgnlog({exact.get(), c.bytes.size()}, file);
    EXPECT_EQ(r.error, IgnlogError::Damaged) << c.what;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
    EXPECT_EQ(ReadIgnlogFile(path, file).error, IgnlogError::Damaged) << c.what;
  }
  fs::remove_all(dir);
}

TEST(Ignlog, LimitsStopTheRecording) {
  IgnlogRecorder rec;
  rec.Begin({});
  uint8_t monitor[150] = {};
  for (int i = 0; i < kIgnlogMaxRecords; ++i)
    ASSERT_EQ(rec.Append(kRecordMonitor, 0, monitor, 150), AppendResult::Ok);
  EXPECT_EQ(rec.Append(kRecordMonitor, 0, monitor, 150), AppendResult::RecordLimit);
  EXPECT_EQ(GetU16(rec.Header()), kIgnlogMaxHeader);

  IgnlogRecorder big;
  big.Begin({});
  std::vector<uint8_t> image(1050);
  AppendResult last = AppendResult::Ok;
  while (last == AppendResult::Ok) last = big.Append(kRecordParameters, 0, image.data(), 1050);
  EXPECT_EQ(last, AppendResult::DataLimit);
  EXPECT_LE(big.DataLength(), static_cast<uint32_t>(kIgnlogMaxData));
  EXPECT_GT(big.DataLength() + 1058, static_cast<uint32_t>(kIgnlogMaxData));
}

TEST(Ignlog, JournalOfAKilledRecordingRecoversIntoTheSameFile) {
  const fs::path dir = fs::temp_directory_path() / ("zeda-journal-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string journalPath = (dir / "rec.ignjournal").string();
  IgnlogRecorder rec = MakeRecording(0);
  auto addMonitors = [](IgnlogRecorder& r, IgnlogJournal* journal) {
    uint8_t monitor[150] = {};
    for (int i = 0; i < 20; ++i) {
      monitor[0] = static_cast<uint8_t>(i);
      ASSERT_EQ(r.Append(kRecordMonitor, static_cast<uint32_t>(i * 50), monitor, 150),
                AppendResult::Ok);
      if (journal) journal->Add(r, i * 50);
    }
  };
  // The recording program dies without a Stop: nothing of its own runs at exit.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    IgnlogJournal journal;
    if (!journal.Open(journalPath, "/home/u/ride.ignlog", rec, 0)) _exit(1);
    addMonitors(rec, &journal);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  addMonitors(rec, nullptr);  // what the killed program had in memory
  std::string target, bytes;
  ASSERT_TRUE(fs::exists(journalPath));
  EXPECT_FALSE(IgnlogJournalInUse(journalPath));  // its recorder is gone
  {
    IgnlogJournal running;
    ASSERT_TRUE(running.Open(journalPath + "2", "/x.ignlog", rec, 0));
    EXPECT_TRUE(IgnlogJournalInUse(journalPath + "2"));
    running.Close(true);
  }
  ASSERT_TRUE(RecoverIgnlogJournal(journalPath, &target, &bytes));
  EXPECT_EQ(target, "/home/u/ride.ignlog");
  EXPECT_EQ(bytes, rec.FileBytes());

  // A record cut off in the middle is dropped; the rest stays valid.
  const auto size = fs::file_size(journalPath);
  fs::resize_file(journalPath, size - 40);
  ASSERT_TRUE(RecoverIgnlogJournal(journalPath, &target, &bytes));
  IgnlogFile file;
  ASSERT_TRUE(ParseIgnlog(bytes, file).Ok());
  EXPECT_EQ(file.count, rec.Count() - 1);
  // Garbage is no journal.
  std::ofstream(journalPath, std::ios::binary | std::ios::trunc) << "not a journal";
  EXPECT_FALSE(RecoverIgnlogJournal(journalPath, &target, &bytes));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zeda
