// zedactl monitor and zedactl log against zedasim on a pty, and a recording of the live
// monitor played back to the same labels.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/identity.h"
#include "cli_fixture.h"
#include "monitor/csv_output.h"
#include "monitor/monitor_display.h"
#include "monitor/monitor_player.h"
#include "unit_session.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

class MonitorCli : public test::CliFixture {
 protected:
  void StartSim() { CliFixture::StartSim({"--save", Path("unit.bin")}); }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  static int Fields(const std::string& line) {
    int n = 0;
    for (char c : line) n += c == ';';
    return n;
  }
  // A recording made by the player of `monitors` frames and a parameter change.
  std::string WriteRecording(int monitors) {
    struct NoHost : PlayerHost {
      void PlaybackStarted() override {}
      void PlaybackEnded() override {}
      void PlayParameters(const uint8_t*) override {}
      void PlayUnitImage(const uint8_t*) override {}
      void PlayMonitor(const uint8_t*, int64_t) override {}
      void PlayPageState(int, const uint8_t*, const uint8_t*) override {}
    } host;
    MonitorPlayer rec(host);
    uint8_t params[1050] = {};
    RecordingSnapshot snap;
    snap.params = params;
    IgnlogStartInfo info;
    info.start = 1700000000;
    EXPECT_TRUE(rec.StartRecording(Path("r.ignlog"), Path("r.ignjournal"), info, snap, 0));
    uint8_t block[151] = {};
    for (int i = 0; i < monitors; ++i) {
      block[2] = static_cast<uint8_t>(i);
      rec.RecordMonitor(block, 250 * (i + 1));
    }
    rec.RecordParameters(params, 5000);
    EXPECT_TRUE(rec.Stop());
    return Path("r.ignlog");
  }
};

TEST_F(MonitorCli, MonitorPrintsEachAnswerAndWritesTheCsv) {
  StartSim();
  ASSERT_EQ(Run("monitor --port '" + sim_.Path() + "' --count 3 --csv live.csv"), 0) << Explain();
  int answers = 0;
  for (const std::string& l : Lines(out_)) answers += l.rfind("answer ", 0) == 0;
  EXPECT_EQ(answers, 3);
  EXPECT_NE(out_.find("LabelRpm: RPM = "), std::string::npos);
  const auto csv = Lines(Read("live.csv"));
  ASSERT_EQ(csv.size(), 5u);  // two header lines, one line per answer
  for (const std::string& l : csv) EXPECT_EQ(Fields(l), kCsvFieldsPerLine) << l;
  EXPECT_EQ(csv[2].substr(13, 6), "0x" + std::string(csv[2].substr(15, 4)));
  EXPECT_NE(csv[2].find(";" + std::to_string(kUnitKey) + ".0;"), std::string::npos);
}

TEST_F(MonitorCli, MonitorWithoutAUnitFails) {
  EXPECT_EQ(Run("monitor --port " + Path("no-tty") + " --count 1 --wait 1 --csv x.csv"), 3)
      << out_ << Explain();
  EXPECT_EQ(Lines(out_).size(), 1u);
  EXPECT_FALSE(fs::exists(Path("x.csv")));
  EXPECT_EQ(Run("monitor --count 1"), 2);  // the port is required
  EXPECT_EQ(Run("monitor --port COM1 --count 0"), 2);
}

TEST_F(MonitorCli, LogInfoAndCsv) {
  const std::string path = WriteRecording(4);
  ASSERT_EQ(Run("log info '" + path + "'"), 0) << Explain();
  EXPECT_EQ(out_, "records: 8\ninitial: 3\nstart: 1700000000\nrskey: " + std::to_string(kUnitKey) +
                      "\nduration-ms: 5000\ntypes: 1=1 2=2 3=0 4=4 5=1\n");
  ASSERT_EQ(Run("log csv '" + path + "' out.csv"), 0) << Explain();
  const auto csv = Lines(Read("out.csv"));
  ASSERT_EQ(csv.size(), 6u);
  const std::string expected =
      CsvDataLine({}, LocalCsvTime(1700000000LL * 1000 + 250)).substr(0, 13);
  EXPECT_EQ(csv[2].substr(0, 13), expected);
  for (std::size_t i = 2; i < csv.size(); ++i) EXPECT_EQ(Fields(csv[i]), kCsvFieldsPerLine);
}

TEST_F(MonitorCli, DamagedOrHostileFilesWriteNothing) {
  const std::string good = Read(fs::path(WriteRecording(2)).filename().string());
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string wrongCount = good;
  wrongCount[254] = 0x71;  // N = 6001 + ...
  wrongCount[255] = 0x17;
  std::string hostileOffset = good;
  hostileOffset[256 + 2 * 3] = static_cast<char>(0xF0);
  hostileOffset[256 + 2 * 3 + 1] = static_cast<char>(0xFF);
  // A long recording: its header (18256 bytes) far beyond the least one.
  IgnlogRecorder longRec;
  longRec.Begin({});
  uint8_t payload[1050] = {};
  longRec.Append(kRecordConnection, 0, payload, kConnectionRecordLength - kRecordHead);
  longRec.Append(kRecordParameters, 0, payload, 1050);
  longRec.MarkInitial();
  for (int i = 2; i < 3000; ++i) longRec.Append(kRecordMonitor, 10u * i, payload, 150);
  const std::string whole = longRec.FileBytes();
  auto withLength = [](std::string bytes, int length) {
    PutU16(reinterpret_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(length));
    return bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"cut", good.substr(0, good.size() - 10)},
      {"counts", wrongCount},
      {"offset", hostileOffset},
      {"long, cut after the least header", whole.substr(0, 12300)},
      {"long, cut inside the high words", whole.substr(0, 18255)},
      {"long, cut before the first record's head ends", whole.substr(0, 18256 + 7)},
      {"odd header length", withLength(whole, 12257)},
      {"header 24256 for 5 records", withLength(good, 24256) + std::string(24256, '\0')},
  };
  for (const Case& c : cases) {
    std::ofstream(Path("bad.ignlog"), std::ios::binary | std::ios::trunc) << c.bytes;
    EXPECT_EQ(Run("log info bad.ignlog"), 4) << c.what;
    EXPECT_TRUE(out_.empty()) << c.what;
    EXPECT_EQ(Lines(err_).size(), 1u) << c.what << Explain();
    EXPECT_NE(err_.find("damaged file"), std::string::npos) << c.what;
    EXPECT_EQ(Run("log csv bad.ignlog never.csv"), 4) << c.what;
    EXPECT_EQ(Lines(err_).size(), 1u) << c.what;
    EXPECT_FALSE(fs::exists(Path("never.csv"))) << c.what;
  }
  EXPECT_EQ(Run("log info missing.ignlog"), 1);
}

// A CSV file that cannot be written (a full disk, a folder that is not there) ends the run
// with a file error and one line saying why.
TEST_F(MonitorCli, MonitorCsvThatCannotBeWrittenFails) {
  StartSim();
  struct Case {
    std::string csv;
    const char* why;
  };
  const Case cases[] = {{"/dev/full", "No space left on device"},
                        {Path("gone/live.csv"), "No such file or directory"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Run("monitor --port '" + sim_.Path() + "' --count 3 --csv '" + c.csv + "'"), 1)
        << c.csv << Explain();
    // Progress goes to stderr as well; the error is one line, the last.
    const auto lines = Lines(err_);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "zedactl: " + c.csv + ": cannot be written (" + c.why + ")") << err_;
    int errors = 0;
    for (const std::string& l : lines) errors += l.find("cannot be written") != std::string::npos;
    EXPECT_EQ(errors, 1) << err_;
    EXPECT_EQ(out_.find("answer "), std::string::npos) << out_;
  }
  EXPECT_FALSE(fs::exists(Path("gone")));
}

// Recording the live monitor of zedasim and playing it back shows the same labels, in the
// same order, as the live display did.
TEST_F(MonitorCli, PlaybackReproducesTheLiveLabels) {
  StartSim();
  cli::UnitSession session(stderr);
  std::string error;
  ASSERT_TRUE(session.SetPort(sim_.Path(), &error)) << error;
  ASSERT_EQ(session.Connect(30000), 0);

  struct Host : PlayerHost {
    MonitorParams params;
    MonitorMemory memory;
    LiveValues values;
    MonitorView view;
    std::vector<std::vector<LabelView>> shown;
    void Show(const uint8_t* raw) {
      MonitorBlock b;
      b.Assign(raw);
      EvaluateMonitor(b, true, params, memory, values, view);
      shown.emplace_back(view.labels.begin(), view.labels.end());
    }
    void PlaybackStarted() override {}
    void PlaybackEnded() override {}
    void PlayParameters(const uint8_t*) override {}
    void PlayUnitImage(const uint8_t*) override {}
    void PlayMonitor(const uint8_t* block, int64_t) override { Show(block); }
    void PlayPageState(int, const uint8_t*, const uint8_t*) override {}
  } live, played;

  MonitorPlayer recorder(live);
  RecordingSnapshot snap;
  snap.params = session.images.params.Data();
  int64_t clock = 0;
  ASSERT_TRUE(
      recorder.StartRecording(Path("ride.ignlog"), Path("ride.ignjournal"), {}, snap, clock));
  int answers = 0;
  session.onMonitor = [&](const uint8_t* block) {
    clock += 400;
    recorder.RecordMonitor(block, clock);  // recorded just before the display refresh
    live.Show(block);
    ++answers;
  };
  ASSERT_TRUE(session.RunWhile([&] { return answers < 6; }, 20000));
  ASSERT_TRUE(recorder.Stop());

  IgnlogFile file;
  ASSERT_TRUE(ReadIgnlogFile(Path("ride.ignlog"), file).Ok());
  MonitorPlayer player(played);
  ASSERT_TRUE(player.StartPlayback(std::move(file), Path("ride.ignlog"), 0, &error)) << error;
  for (int64_t t = 0; player.State() == kPlayerPlaying; t += 55) player.Tick(t);
  ASSERT_EQ(played.shown.size(), live.shown.size());
  for (std::size_t i = 0; i < live.shown.size(); ++i)
    for (int l = 0; l < kMonLabelCount; ++l)
      EXPECT_EQ(played.shown[i][static_cast<std::size_t>(l)].text,
                live.shown[i][static_cast<std::size_t>(l)].text)
          << kMonitorLabelNames[l] << " of answer " << i;

  // Moving the bar back shows that single record again.
  played.shown.clear();
  player.SetPosition(2);
  ASSERT_EQ(played.shown.size(), 1u);
  EXPECT_EQ(played.shown[0][0].text, live.shown[1][0].text);
}

}  // namespace
}  // namespace zeda
