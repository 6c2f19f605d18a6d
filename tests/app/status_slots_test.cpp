#include "app/status_slots.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/tick_clock.h"
#include "lang/lang_string.h"

namespace zeda {
namespace {

// Records what the window would show.
class FakeView : public StatusView {
 public:
  struct Label {
    bool visible = true;  // labels start visible until the slots are bound
    std::string caption;
    Colour font = 0x123456;
    Colour back = 0x654321;
  };
  void setSlotVisible(int slot, bool visible) override {
    labels[slot].visible = visible;
    ++calls;
  }
  void setSlotCaption(int slot, const std::string& caption) override {
    labels[slot].caption = caption;
    ++calls;
  }
  void setSlotColours(int slot, Colour font, Colour back) override {
    if (font != kColourUnchanged) labels[slot].font = font;
    if (back != kColourUnchanged) labels[slot].back = back;
    ++calls;
  }
  void setGaugeVisible(bool visible) override {
    gaugeVisible = visible;
    ++calls;
  }
  Label labels[5];
  bool gaugeVisible = true;
  int calls = 0;
};

constexpr const char* kNoConnection =
    "###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...";

class StatusSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setTickCount(100);
    setCurrentLanguage(kEnglish);
    slots.bind(&view);
  }
  void TearDown() override { setCurrentLanguage(kEnglish); }
  FakeView view;
  StatusSlots slots;
};

TEST_F(StatusSlotsTest, BindingHidesTheLabelsAndTheGauge) {
  for (int s : {1, 2, 4}) {
    EXPECT_TRUE(slots.hasControl(s));
    EXPECT_FALSE(view.labels[s].visible);
    EXPECT_EQ(slots.priority(s), -1);
  }
  EXPECT_FALSE(slots.hasControl(0));
  EXPECT_FALSE(slots.hasControl(3));
  EXPECT_TRUE(view.labels[0].visible);  // no control: never touched
  EXPECT_FALSE(view.gaugeVisible);
}

TEST_F(StatusSlotsTest, SlotsWithoutControlAndOutOfRangeDoNothing) {
  const int before = view.calls;
  for (int s : {-1, 0, 3, 5, 100}) slots.ShowStatus(s, "x", -1, 0, 255, -5);
  EXPECT_EQ(view.calls, before);
  EXPECT_EQ(slots.text(3), "");
}

TEST_F(StatusSlotsTest, ShowsTextInTheCurrentLanguageWithColours) {
  setCurrentLanguage(kCzech);
  slots.ShowStatus(1, kNoConnection, -1, kColourBlack, kColourRed, 100);
  EXPECT_TRUE(view.labels[1].visible);
  EXPECT_EQ(view.labels[1].caption, "Není spojení s PC...");
  EXPECT_EQ(view.labels[1].font, kColourBlack);
  EXPECT_EQ(view.labels[1].back, kColourRed);
  EXPECT_EQ(slots.text(1), kNoConnection);  // the whole LangString is kept
  EXPECT_EQ(slots.expiryTick(1), -1);
  setCurrentLanguage(kGerman);
  slots.refreshCaptions();
  EXPECT_EQ(view.labels[1].caption, "Keine Verbindung zum PC...");
}

TEST_F(StatusSlotsTest, UnchangedColourKeepsThePreviousOne) {
  slots.ShowStatus(2, "Read:", -1, kColourWhite, kColourGreen, 5);
  slots.ShowStatus(2, "Read: 50%", -1, kColourUnchanged, kColourYellow, 5);
  EXPECT_EQ(view.labels[2].font, kColourWhite);
  EXPECT_EQ(view.labels[2].back, kColourYellow);
}

TEST_F(StatusSlotsTest, LowerPriorityDoesNotReplaceUntilTheLabelIsHidden) {
  slots.ShowStatus(1, "connected", 2000, kColourBlack, kColourGreen, 100);
  slots.ShowStatus(1, "low", -1, kColourBlack, kColourYellow, 10);
  EXPECT_EQ(view.labels[1].caption, "connected");
  EXPECT_EQ(slots.priority(1), 100);
  // 2000 ms = 40 ticks: expiry tick 140, hidden once the tick count passes it.
  EXPECT_EQ(slots.expiryTick(1), 140);
  slots.expire(140);
  EXPECT_TRUE(view.labels[1].visible);
  slots.expire(141);
  EXPECT_FALSE(view.labels[1].visible);
  EXPECT_EQ(slots.text(1), "connected");  // the text stays, the slot counts as -1
  EXPECT_EQ(slots.effectivePriority(1), -1);
  slots.ShowStatus(1, "low", -1, kColourBlack, kColourYellow, 10);
  EXPECT_TRUE(view.labels[1].visible);
  EXPECT_EQ(view.labels[1].caption, "low");
  EXPECT_EQ(slots.priority(1), 10);
}

TEST_F(StatusSlotsTest, PriorityRules) {
  struct Case {
    int32_t current;
    int32_t incoming;
    bool replaces;
  };
  const Case cases[] = {
      {100, 10, false}, {100, 100, true}, {100, 101, true}, {100, -5, true}, {100, 0, false},
      {0, 0, true},     {-5, 0, true},    {-5, 3, true},    {10, -1, true},
  };
  for (const Case& c : cases) {
    slots.bind(&view);
    slots.ShowStatus(4, "old", -1, 0, 0, c.current);
    slots.ShowStatus(4, "new", -1, 0, 0, c.incoming);
    EXPECT_EQ(view.labels[4].caption, c.replaces ? "new" : "old")
        << c.current << " <- " << c.incoming;
    EXPECT_EQ(slots.priority(4), c.replaces ? c.incoming : c.current);
  }
}

TEST_F(StatusSlotsTest, ClearingHidesTheLabelAndSlotTwoHidesTheGauge) {
  slots.ShowStatus(2, "Read:", -1, 0, kColourAqua, 50);
  view.gaugeVisible = true;                    // the device operations show the gauge themselves
  slots.ShowStatus(2, nullptr, -1, 0, 0, 10);  // lower priority: ignored
  EXPECT_TRUE(view.labels[2].visible);
  EXPECT_TRUE(view.gaugeVisible);
  slots.ShowStatus(2, nullptr, -1, 0, 0, 50);
  EXPECT_FALSE(view.labels[2].visible);
  EXPECT_FALSE(view.gaugeVisible);
  EXPECT_EQ(slots.text(2), "");
  EXPECT_EQ(slots.priority(2), 50);
  // An empty slot counts as -1, so anything shows again.
  slots.ShowStatus(2, "any", -1, 0, 0, 1);
  EXPECT_TRUE(view.labels[2].visible);
}

TEST_F(StatusSlotsTest, ExpiryOfSlotTwoHidesTheGauge) {
  slots.ShowStatus(2, "Verify: OK", 100, 0, kColourGreen, 5);  // 2 ticks
  view.gaugeVisible = true;
  EXPECT_EQ(slots.expiryTick(2), 102);
  slots.expire(103);
  EXPECT_FALSE(view.labels[2].visible);
  EXPECT_FALSE(view.gaugeVisible);
  EXPECT_EQ(slots.expiryTick(2), 0);
}

TEST_F(StatusSlotsTest, NonPositiveDurationNeverExpires) {
  slots.ShowStatus(1, "stay", -1, 0, 0, 5);
  slots.ShowStatus(4, "stay too", 0, 0, 0, 5);
  slots.expire(1000000);
  EXPECT_TRUE(view.labels[1].visible);
  EXPECT_TRUE(view.labels[4].visible);
}

TEST_F(StatusSlotsTest, ANewMessageReplacesTheExpiry) {
  slots.ShowStatus(1, "short", 500, 0, 0, 5);
  slots.ShowStatus(1, "long", -1, 0, 0, 5);
  slots.expire(200);
  EXPECT_TRUE(view.labels[1].visible);
  EXPECT_EQ(view.labels[1].caption, "long");
}

TEST_F(StatusSlotsTest, ClearTextsDropsTheStoredTexts) {
  slots.ShowStatus(1, "a", -1, 0, 0, 100);
  slots.clearTexts();
  EXPECT_EQ(slots.text(1), "");
  EXPECT_EQ(slots.effectivePriority(1), -1);
}

}  // namespace
}  // namespace zeda
