// The recorder and player state machine with a host that writes down what it is asked.
#include "monitor/monitor_player.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <vector>

#include "base/identity.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

struct FakeHost : PlayerHost {
  std::vector<std::string> calls;
  std::vector<int64_t> monitorStamps;
  void PlaybackStarted() override { calls.push_back("start"); }
  void PlaybackEnded() override { calls.push_back("end"); }
  void PlayParameters(const uint8_t* image) override {
    calls.push_back("params" + std::to_string(image[0]));
  }
  void PlayUnitImage(const uint8_t*) override { calls.push_back("unit"); }
  void PlayMonitor(const uint8_t* positions, int64_t stamp) override {
    calls.push_back("monitor" + std::to_string(positions[1]));
    monitorStamps.push_back(stamp);
    EXPECT_EQ(positions[150], kUnitKey);  // not recorded: the checked key stands in
  }
  void PlayPageState(int page, const uint8_t*, const uint8_t*) override {
    calls.push_back("page" + std::to_string(page));
  }
};

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zeda-player-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }

  // Records `monitors` frames 100 ms apart (block position 1 = the frame number) and one
  // parameter change after the second; returns the file's path.
  std::string Record(int monitors) {
    MonitorPlayer rec(host_);
    uint8_t params[1050] = {1};
    RecordingSnapshot snap;
    snap.params = params;
    snap.page = 3;
    IgnlogStartInfo info;
    info.start = 1700000000;
    EXPECT_TRUE(rec.StartRecording(Path("r.ignlog"), Path("r.ignjournal"), info, snap, 1000));
    EXPECT_TRUE(fs::exists(Path("r.ignjournal")));
    uint8_t block[151] = {};
    for (int i = 1; i <= monitors; ++i) {
      block[1] = static_cast<uint8_t>(i);
      EXPECT_EQ(rec.RecordMonitor(block, 1000 + 100 * i), RecordOutcome::Ok);
      if (i == 2) {
        params[0] = 2;
        EXPECT_EQ(rec.RecordParameters(params, 1000 + 100 * i), RecordOutcome::Ok);
      }
    }
    // The same page state again is not recorded.
    uint8_t ids[50] = {}, sheets[50] = {};
    EXPECT_EQ(rec.RecordPageState(3, ids, sheets, 5000), RecordOutcome::Ignored);
    const PlayerControls c = rec.Controls(3500);
    EXPECT_EQ(c.posText,
              "Recording (" + std::to_string(3 + monitors + (monitors >= 2)) + ") 2 seconds");
    EXPECT_TRUE(rec.Stop());
    EXPECT_FALSE(fs::exists(Path("r.ignjournal")));
    return Path("r.ignlog");
  }

  // Fatal when the file does not load: a test must not play an empty recording on.
  static void Load(const std::string& path, IgnlogFile& f) {
    const IgnlogReadResult r = ReadIgnlogFile(path, f);
    ASSERT_TRUE(r.Ok()) << path << ": " << r.why;
  }

  fs::path dir_;
  FakeHost host_;
};

TEST_F(Player, SnapshotOnlyReachesTheEndAtOnceAndPauses) {
  const std::string path = Record(0);
  MonitorPlayer p(host_);
  host_.calls.clear();
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(path, f));
  ASSERT_TRUE(p.StartPlayback(std::move(f), path, 0, nullptr));
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"start", "params1", "page3"}));
  p.Tick(0);
  EXPECT_EQ(p.State(), kPlayerPaused);
  EXPECT_TRUE(p.PlaybackLive());
}

TEST_F(Player, PlaysInRealTimeWithPauseAndRestartsFromTheEnd) {
  const std::string path = Record(5);
  MonitorPlayer p(host_);
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(path, f));
  ASSERT_TRUE(p.StartPlayback(std::move(f), path, 10000, nullptr));
  host_.calls.clear();
  p.Tick(10000);  // the snapshot was at time 0, the first frame 100 ms later
  EXPECT_TRUE(host_.calls.empty());
  p.Tick(10100);
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"monitor1"}));
  p.Tick(10150);
  EXPECT_EQ(host_.calls.size(), 1u);
  p.Tick(10200);  // frame 2 and the parameter change stamped with it
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"monitor1", "monitor2", "params2"}));
  EXPECT_EQ(p.Position(), 3);
  ASSERT_EQ(host_.monitorStamps.size(), 2u);
  EXPECT_EQ(host_.monitorStamps[1], 1700000000LL * 1000 + 200);
  // A pause does not count as played time.
  p.Pause(10220);
  p.Tick(20000);
  EXPECT_EQ(host_.calls.size(), 3u);
  EXPECT_EQ(p.Controls(20000).posText.rfind("Play (3) - pause ", 0), 0u);
  p.Resume(30000);
  p.Tick(30000 + 79);
  EXPECT_EQ(host_.calls.size(), 3u);
  p.Tick(30000 + 80);
  EXPECT_EQ(host_.calls.back(), "monitor3");
  p.Tick(40000);
  EXPECT_EQ(p.State(), kPlayerPaused);
  EXPECT_EQ(host_.calls.back(), "monitor5");
  // Play at the end replays the snapshot and starts again from position 0.
  host_.calls.clear();
  p.Resume(50000);
  EXPECT_EQ(p.State(), kPlayerPlaying);
  EXPECT_EQ(p.Position(), 0);
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"params1", "page3"}));
  EXPECT_TRUE(p.TimeStampText().size() == 22u) << p.TimeStampText();
}

TEST_F(Player, MovingTheBarBackPlaysOnlyThatRecord) {
  const std::string path = Record(5);
  MonitorPlayer p(host_);
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(path, f));
  ASSERT_TRUE(p.StartPlayback(std::move(f), path, 0, nullptr));
  p.Tick(100000);
  host_.calls.clear();
  p.SetPosition(2);
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"monitor2"}));
  const PlayerControls c = p.Controls(0);
  EXPECT_EQ(c.barMaximum, 6);  // 5 frames and a parameter record
  EXPECT_EQ(c.barPosition, 2);
  EXPECT_TRUE(c.barShown && c.stop && c.play && !c.pause && !c.record);
  host_.calls.clear();
  ASSERT_TRUE(p.Stop());
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"end"}));
  EXPECT_EQ(p.State(), kPlayerIdle);
  p.SetPosition(1);  // idle: ignored
  EXPECT_EQ(host_.calls.size(), 1u);
  const PlayerControls idle = p.Controls(0);
  EXPECT_TRUE(idle.record && idle.play && !idle.pause && !idle.stop && !idle.barShown);
}

TEST_F(Player, ARecordingOfAnotherUnitTypeIsRefused) {
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(Record(1), f));
  f.unitKey = kUnitKey + 1;
  MonitorPlayer p(host_);
  host_.calls.clear();
  std::string error;
  EXPECT_FALSE(p.StartPlayback(f, "x", 0, &error));
  EXPECT_EQ(error, "RS keys are not equal (" + std::to_string(kUnitKey + 1) +
                       "!=" + std::to_string(kUnitKey) + ")");
  EXPECT_EQ(p.State(), kPlayerIdle);
  EXPECT_TRUE(host_.calls.empty());  // the user's document was never touched
}

TEST_F(Player, TheRecordLimitStopsTheRecordingAndKeepsTheFile) {
  MonitorPlayer rec(host_);
  uint8_t params[1050] = {};
  RecordingSnapshot snap;
  snap.params = params;
  ASSERT_TRUE(rec.StartRecording(Path("big.ignlog"), Path("big.ignjournal"), {}, snap, 0));
  uint8_t block[151] = {};
  RecordOutcome last = RecordOutcome::Ok;
  int frames = 0;
  while (last == RecordOutcome::Ok) last = rec.RecordMonitor(block, ++frames);
  EXPECT_EQ(last, RecordOutcome::StoppedAtLimit);
  EXPECT_EQ(rec.State(), kPlayerIdle);
  EXPECT_NE(rec.StopText().find("6000"), std::string::npos);
  EXPECT_NE(rec.StopText().find("saved in " + Path("big.ignlog")), std::string::npos)
      << rec.StopText();
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(Path("big.ignlog"), f));
  EXPECT_EQ(f.count, kIgnlogMaxRecords);
  EXPECT_EQ(rec.RecordMonitor(block, 0), RecordOutcome::Ignored);
}

// The disk under a file this process holds open fills up: its descriptor now writes to
// /dev/full, which refuses every byte with "No space left on device".
void FillDiskUnder(const std::string& path) {
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (fs::read_symlink(e.path(), ec) != fs::path(path)) continue;
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    ASSERT_GE(dup2(full, std::stoi(e.path().filename().string())), 0);
    close(full);
    return;
  }
  FAIL() << path << " is not open";
}

TEST_F(Player, ARecordingWhoseFileCannotBeCreatedDoesNotStart) {
  uint8_t params[1050] = {};
  RecordingSnapshot snap;
  snap.params = params;
  for (const std::string& target : {Path("gone/r.ignlog"), dir_.string()}) {
    MonitorPlayer rec(host_);
    std::string error;
    EXPECT_FALSE(rec.StartRecording(target, Path("r.ignjournal"), {}, snap, 0, &error));
    EXPECT_EQ(rec.State(), kPlayerIdle) << target;
    EXPECT_EQ(error.rfind("The recording cannot be started", 0), 0u) << error;
    EXPECT_NE(error.find(target), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(Path("r.ignjournal"))) << target;
  }
}

TEST_F(Player, AFullDiskUnderTheJournalStopsTheRecordingAndSavesIt) {
  MonitorPlayer rec(host_);
  uint8_t params[1050] = {};
  RecordingSnapshot snap;
  snap.params = params;
  ASSERT_TRUE(rec.StartRecording(Path("r.ignlog"), Path("r.ignjournal"), {}, snap, 0));
  uint8_t block[151] = {};
  ASSERT_EQ(rec.RecordMonitor(block, 100), RecordOutcome::Ok);
  ASSERT_NO_FATAL_FAILURE(FillDiskUnder(Path("r.ignjournal")));
  EXPECT_EQ(rec.RecordMonitor(block, 200), RecordOutcome::StoppedOnError);
  EXPECT_EQ(rec.State(), kPlayerIdle);
  const std::string& text = rec.StopText();
  EXPECT_NE(text.find("its journal cannot be written (No space left on device)"), std::string::npos)
      << text;
  EXPECT_NE(text.find("saved in " + Path("r.ignlog")), std::string::npos) << text;
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(Path("r.ignlog"), f));
  EXPECT_EQ(f.count, 3 + 2);  // the snapshot and both frames
  EXPECT_FALSE(fs::exists(Path("r.ignjournal")));
  EXPECT_FALSE(rec.HasUnsaved());
}

TEST_F(Player, AFileThatCannotBeWrittenAtStopKeepsTheRecordingAndItsJournal) {
  fs::create_directories(dir_ / "stick");
  const std::string target = Path("stick/r.ignlog");
  MonitorPlayer rec(host_);
  uint8_t params[1050] = {};
  RecordingSnapshot snap;
  snap.params = params;
  ASSERT_TRUE(rec.StartRecording(target, Path("r.ignjournal"), {}, snap, 0));
  EXPECT_TRUE(fs::exists(target));  // created at the start
  uint8_t block[151] = {};
  ASSERT_EQ(rec.RecordMonitor(block, 100), RecordOutcome::Ok);
  fs::remove_all(dir_ / "stick");  // the drive is pulled
  std::string error;
  EXPECT_FALSE(rec.Stop(&error));
  EXPECT_EQ(error.rfind("The recording cannot be saved in " + target, 0), 0u) << error;
  EXPECT_NE(error.find("Choose another file"), std::string::npos) << error;
  EXPECT_TRUE(fs::exists(Path("r.ignjournal")));
  ASSERT_TRUE(rec.HasUnsaved());
  EXPECT_EQ(rec.JournalPath(), Path("r.ignjournal"));
  IgnlogFile f;
  EXPECT_TRUE(ParseIgnlog(rec.TakeUnsaved(), f).Ok());
  EXPECT_EQ(f.count, 4);
  EXPECT_FALSE(rec.HasUnsaved());
}

// The record area's limit stops a recording alike whichever record reaches it.
TEST_F(Player, EveryRecordKindStopsAtTheLimitWithTheSameMessage) {
  uint8_t params[1050] = {};
  uint8_t block[151] = {};
  uint8_t ids[50] = {}, sheets[50] = {};
  struct Case {
    const char* kind;
    std::function<RecordOutcome(MonitorPlayer&, int)> record;
  };
  const Case cases[] = {
      {"monitor", [&](MonitorPlayer& p, int) { return p.RecordMonitor(block, 1); }},
      {"parameters", [&](MonitorPlayer& p, int) { return p.RecordParameters(params, 1); }},
      {"page state",
       [&](MonitorPlayer& p, int i) { return p.RecordPageState(1 + i % 2, ids, sheets, 1); }},
  };
  for (const Case& c : cases) {
    MonitorPlayer rec(host_);
    RecordingSnapshot snap;
    snap.params = params;
    ASSERT_TRUE(rec.StartRecording(Path("r.ignlog"), Path("r.ignjournal"), {}, snap, 0));
    // 1254 bytes of snapshot and 1889 parameter sets leave 184 bytes: room for one more
    // monitor or page-state record, not for a parameter set.
    for (int i = 0; i < 1889; ++i) ASSERT_EQ(rec.RecordParameters(params, 1), RecordOutcome::Ok);
    RecordOutcome last = RecordOutcome::Ok;
    for (int i = 0; i < 3 && last == RecordOutcome::Ok; ++i) last = c.record(rec, i);
    EXPECT_EQ(last, RecordOutcome::StoppedAtLimit) << c.kind;
    EXPECT_EQ(rec.StopText().rfind("The recording stopped at its limit of 2000000 bytes.", 0), 0u)
        << c.kind << ": " << rec.StopText();
    IgnlogFile f;
    ASSERT_NO_FATAL_FAILURE(Load(Path("r.ignlog"), f));
    EXPECT_LE(f.data.size(), static_cast<std::size_t>(kIgnlogMaxData));
  }
}

// A recording started before 1970 (a unit's clock never set): the shown stamp counts back
// from the start, and no field goes negative.
TEST_F(Player, StampsBefore1970AreShownAsTheirDate) {
  const std::string savedTz = getenv("TZ") ? getenv("TZ") : "";
  setenv("TZ", "UTC", 1);
  tzset();
  MonitorPlayer rec(host_);
  uint8_t params[1050] = {};
  RecordingSnapshot snap;
  snap.params = params;
  IgnlogStartInfo info;
  info.start = -1;  // 1969-12-31 23:59:59 UTC
  ASSERT_TRUE(rec.StartRecording(Path("r.ignlog"), Path("r.ignjournal"), info, snap, 0));
  uint8_t block[151] = {};
  ASSERT_EQ(rec.RecordMonitor(block, 250), RecordOutcome::Ok);
  ASSERT_TRUE(rec.Stop());
  MonitorPlayer p(host_);
  IgnlogFile f;
  ASSERT_NO_FATAL_FAILURE(Load(Path("r.ignlog"), f));
  ASSERT_TRUE(p.StartPlayback(std::move(f), "r", 0, nullptr));
  p.Tick(250);
  EXPECT_EQ(host_.monitorStamps.back(), -750);
  EXPECT_EQ(p.TimeStampText(), "1969_12_31 23:59:59.25");
  if (savedTz.empty())
    unsetenv("TZ");
  else
    setenv("TZ", savedTz.c_str(), 1);
  tzset();
}

}  // namespace
}  // namespace zeda
