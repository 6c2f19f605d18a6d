#include "app/main_tick.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/status_slots.h"
#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {
namespace {

class RecordingSteps : public TickSteps {
 public:
  void FocusNoReadingCheckBox() override { Log("focus"); }
  void RunDeviceOps() override { Log("ops"); }
  bool portListChanged() override {
    Log("ports?");
    return portsChanged;
  }
  void RebuildComMenu() override { Log("com"); }
  void CommitPendingEdit() override { Log("commit"); }
  void FeedOperatingPoint() override { Log("point"); }
  void ActivePageTick() override { Log("page"); }
  void UpdateCheckStep() override { Log("update"); }
  void PickupCaptureHandOver() override { Log("capture"); }
  bool UnitConnected() override { return connected; }
  void SetDeviceCommandsEnabled(bool enabled) override { Log(enabled ? "enable" : "disable"); }
  void TachoPulseNames() override { Log("tacho"); }
  void PickupPeriodic() override { Log("pickup16"); }
  void PickupTick() override { Log("pickup"); }
  void SelfTestCountdown() override { Log("selftest"); }
  void PlayerStep() override { Log("player"); }
  void Log(const char* s) { calls.push_back(s); }
  std::vector<std::string> calls;
  bool portsChanged = false;
  bool connected = false;
};

class MainTickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTickCount(0);
    SetPollMask(1);
  }
  void TearDown() override { SetPollMask(1); }
  RecordingSteps steps_;
  StatusSlots slots_;
  MainTick tick_{steps_, slots_};
};

TEST_F(MainTickTest, BeforeInitialisedOnlyTheClockRuns) {
  tick_.Run();
  tick_.Run();
  EXPECT_EQ(tickCount(), 2);
  EXPECT_EQ(tickMs(), 100);
  EXPECT_TRUE(steps_.calls.empty());
}

TEST_F(MainTickTest, StepsRunInOrder) {
  tick_.SetInitialised(true);
  steps_.portsChanged = true;
  steps_.connected = true;
  SetTickCount(15);
  tick_.Run();  // tick 16: device ops (16 & 1 == 0) and the 16th-tick step
  const std::vector<std::string> expected = {"focus", "ops",      "ports?", "com",      "commit",
                                             "point", "page",     "update", "capture",  "enable",
                                             "tacho", "pickup16", "pickup", "selftest", "player"};
  EXPECT_EQ(steps_.calls, expected);
  steps_.calls.clear();
  steps_.portsChanged = false;
  steps_.connected = false;
  tick_.Run();  // tick 17: odd, no device ops, no focus again
  const std::vector<std::string> odd = {"ports?", "commit",   "point",   "page",
                                        "update", "capture",  "disable", "tacho",
                                        "pickup", "selftest", "player"};
  EXPECT_EQ(steps_.calls, odd);
}

TEST_F(MainTickTest, PollMaskSpacesTheDeviceOperations) {
  tick_.SetInitialised(true);
  auto countOps = [this](int ticks) {
    steps_.calls.clear();
    for (int i = 0; i < ticks; ++i) tick_.Run();
    int n = 0;
    for (const auto& c : steps_.calls) n += c == "ops";
    return n;
  };
  EXPECT_EQ(countOps(16), 8);
  SetPollMask(3);
  EXPECT_EQ(countOps(16), 4);
  SetPollMask(7);
  EXPECT_EQ(countOps(16), 2);
}

class ExpiryView : public StatusView {
 public:
  void SetSlotVisible(int slot, bool visible) override { shown[slot] = visible; }
  void SetSlotCaption(int, const std::string&) override {}
  void SetSlotColours(int, Colour, Colour) override {}
  void SetGaugeVisible(bool) override {}
  bool shown[5] = {};
};

TEST_F(MainTickTest, TickExpiresStatusMessages) {
  ExpiryView view;
  slots_.Bind(&view);
  tick_.SetInitialised(true);
  SetTickCount(10);
  slots_.ShowStatus(2, "Verify: OK", 150, 0, 0, 1);  // expiry tick 13
  tick_.Run();                                       // 11
  tick_.Run();                                       // 12
  tick_.Run();                                       // 13
  EXPECT_TRUE(view.shown[2]);
  tick_.Run();  // 14
  EXPECT_FALSE(view.shown[2]);
}

TEST_F(MainTickTest, FirstFiftyTicksAreTraced) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("zeda-tick-trace-" + std::to_string(::getpid()) + ".trc");
  std::filesystem::remove(path);
  ASSERT_TRUE(LinkTraceSink().Open(path.string()));
  for (int i = 0; i < 60; ++i) tick_.Run();
  LinkTraceSink().Close();
  std::ifstream in(path);
  std::vector<std::string> ticks;
  for (std::string line; std::getline(in, line);) {
    const auto at = line.find(":   (");
    if (at == std::string::npos) continue;
    const std::string text = line.substr(line.find(") ", at) + 2);
    if (text.size() == 4 && text[0] == 'T') ticks.push_back(text);
  }
  std::filesystem::remove(path);
  ASSERT_EQ(ticks.size(), 50u);
  EXPECT_EQ(ticks.front(), "T000");
  EXPECT_EQ(ticks[7], "T007");
  EXPECT_EQ(ticks.back(), "T049");
}

}  // namespace
}  // namespace zeda
