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
  void focusNoReadingCheckBox() override { log("focus"); }
  void runDeviceOps() override { log("ops"); }
  bool portListChanged() override {
    log("ports?");
    return portsChanged;
  }
  void rebuildComMenu() override { log("com"); }
  void commitPendingEdit() override { log("commit"); }
  void feedOperatingPoint() override { log("point"); }
  void activePageTick() override { log("page"); }
  void updateCheckStep() override { log("update"); }
  void pickupCaptureHandOver() override { log("capture"); }
  bool unitConnected() override { return connected; }
  void setDeviceCommandsEnabled(bool enabled) override { log(enabled ? "enable" : "disable"); }
  void tachoPulseNames() override { log("tacho"); }
  void pickupPeriodic() override { log("pickup16"); }
  void pickupTick() override { log("pickup"); }
  void selfTestCountdown() override { log("selftest"); }
  void playerStep() override { log("player"); }
  void log(const char* s) { calls.push_back(s); }
  std::vector<std::string> calls;
  bool portsChanged = false;
  bool connected = false;
};

class MainTickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setTickCount(0);
    setPollMask(1);
  }
  void TearDown() override { setPollMask(1); }
  RecordingSteps steps;
  StatusSlots slots;
  MainTick tick{steps, slots};
};

TEST_F(MainTickTest, BeforeInitialisedOnlyTheClockRuns) {
  tick.run();
  tick.run();
  EXPECT_EQ(tickCount(), 2);
  EXPECT_EQ(tickMs(), 100);
  EXPECT_TRUE(steps.calls.empty());
}

TEST_F(MainTickTest, StepsRunInOrder) {
  tick.setInitialised(true);
  steps.portsChanged = true;
  steps.connected = true;
  setTickCount(15);
  tick.run();  // tick 16: device ops (16 & 1 == 0) and the 16th-tick step
  const std::vector<std::string> expected = {"focus", "ops",      "ports?", "com",      "commit",
                                             "point", "page",     "update", "capture",  "enable",
                                             "tacho", "pickup16", "pickup", "selftest", "player"};
  EXPECT_EQ(steps.calls, expected);
  steps.calls.clear();
  steps.portsChanged = false;
  steps.connected = false;
  tick.run();  // tick 17: odd, no device ops, no focus again
  const std::vector<std::string> odd = {"ports?", "commit",   "point",   "page",
                                        "update", "capture",  "disable", "tacho",
                                        "pickup", "selftest", "player"};
  EXPECT_EQ(steps.calls, odd);
}

TEST_F(MainTickTest, PollMaskSpacesTheDeviceOperations) {
  tick.setInitialised(true);
  auto countOps = [this](int ticks) {
    steps.calls.clear();
    for (int i = 0; i < ticks; ++i) tick.run();
    int n = 0;
    for (const auto& c : steps.calls) n += c == "ops";
    return n;
  };
  EXPECT_EQ(countOps(16), 8);
  setPollMask(3);
  EXPECT_EQ(countOps(16), 4);
  setPollMask(7);
  EXPECT_EQ(countOps(16), 2);
}

class ExpiryView : public StatusView {
 public:
  void setSlotVisible(int slot, bool visible) override { shown[slot] = visible; }
  void setSlotCaption(int, const std::string&) override {}
  void setSlotColours(int, Colour, Colour) override {}
  void setGaugeVisible(bool) override {}
  bool shown[5] = {};
};

TEST_F(MainTickTest, TickExpiresStatusMessages) {
  ExpiryView view;
  slots.bind(&view);
  tick.setInitialised(true);
  setTickCount(10);
  slots.ShowStatus(2, "Verify: OK", 150, 0, 0, 1);  // expiry tick 13
  tick.run();                                       // 11
  tick.run();                                       // 12
  tick.run();                                       // 13
  EXPECT_TRUE(view.shown[2]);
  tick.run();  // 14
  EXPECT_FALSE(view.shown[2]);
}

TEST_F(MainTickTest, FirstFiftyTicksAreTraced) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("zeda-tick-trace-" + std::to_string(::getpid()) + ".trc");
  std::filesystem::remove(path);
  ASSERT_TRUE(linkTrace().open(path.string()));
  for (int i = 0; i < 60; ++i) tick.run();
  linkTrace().close();
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
