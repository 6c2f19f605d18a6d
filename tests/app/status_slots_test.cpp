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
  void SetSlotVisible(int slot, bool visible) override {
    labels[slot].visible = visible;
    ++calls;
  }
  void SetSlotCaption(int slot, const std::string& caption) override {
    labels[slot].caption = caption;
    ++calls;
  }
  void SetSlotColours(int slot, Colour font, Colour back) override {
    if (font != kColourUnchanged) labels[slot].font = font;
    if (back != kColourUnchanged) labels[slot].back = back;
    ++calls;
  }
  void SetGaugeVisible(bool visible) override {
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
    SetTickCount(100);
    SetCurrentLanguage(kEnglish);
    slots_.Bind(&view_);
  }
  void TearDown() override { SetCurrentLanguage(kEnglish); }
  FakeView view_;
  StatusSlots slots_;
};

TEST_F(StatusSlotsTest, BindingHidesTheLabelsAndTheGauge) {
  for (int s : {1, 2, 4}) {
    EXPECT_TRUE(slots_.HasControl(s));
    EXPECT_FALSE(view_.labels[s].visible);
    EXPECT_EQ(slots_.Priority(s), -1);
  }
  EXPECT_FALSE(slots_.HasControl(0));
  EXPECT_FALSE(slots_.HasControl(3));
  EXPECT_TRUE(view_.labels[0].visible);  // no control: never touched
  EXPECT_FALSE(view_.gaugeVisible);
}

TEST_F(StatusSlotsTest, SlotsWithoutControlAndOutOfRangeDoNothing) {
  const int before = view_.calls;
  for (int s : {-1, 0, 3, 5, 100}) slots_.ShowStatus(s, "x", -1, 0, 255, -5);
  EXPECT_EQ(view_.calls, before);
  EXPECT_EQ(slots_.Text(3), "");
}

TEST_F(StatusSlotsTest, ShowsTextInTheCurrentLanguageWithColours) {
  SetCurrentLanguage(kCzech);
  slots_.ShowStatus(1, kNoConnection, -1, kColourBlack, kColourRed, 100);
  EXPECT_TRUE(view_.labels[1].visible);
  EXPECT_EQ(view_.labels[1].caption, "Není spojení s PC...");
  EXPECT_EQ(view_.labels[1].font, kColourBlack);
  EXPECT_EQ(view_.labels[1].back, kColourRed);
  EXPECT_EQ(slots_.Text(1), kNoConnection);  // the whole LangString is kept
  EXPECT_EQ(slots_.ExpiryTick(1), -1);
  SetCurrentLanguage(kGerman);
  slots_.RefreshCaptions();
  EXPECT_EQ(view_.labels[1].caption, "Keine Verbindung zum PC...");
}

TEST_F(StatusSlotsTest, UnchangedColourKeepsThePreviousOne) {
  slots_.ShowStatus(2, "Read:", -1, kColourWhite, kColourGreen, 5);
  slots_.ShowStatus(2, "Read: 50%", -1, kColourUnchanged, kColourYellow, 5);
  EXPECT_EQ(view_.labels[2].font, kColourWhite);
  EXPECT_EQ(view_.labels[2].back, kColourYellow);
}

TEST_F(StatusSlotsTest, LowerPriorityDoesNotReplaceUntilTheLabelIsHidden) {
  slots_.ShowStatus(1, "connected", 2000, kColourBlack, kColourGreen, 100);
  slots_.ShowStatus(1, "low", -1, kColourBlack, kColourYellow, 10);
  EXPECT_EQ(view_.labels[1].caption, "connected");
  EXPECT_EQ(slots_.Priority(1), 100);
  // 2000 ms = 40 ticks: expiry tick 140, hidden once the tick count passes it.
  EXPECT_EQ(slots_.ExpiryTick(1), 140);
  slots_.Expire(140);
  EXPECT_TRUE(view_.labels[1].visible);
  slots_.Expire(141);
  EXPECT_FALSE(view_.labels[1].visible);
  EXPECT_EQ(slots_.Text(1), "connected");  // the text stays, the slot counts as -1
  EXPECT_EQ(slots_.EffectivePriority(1), -1);
  slots_.ShowStatus(1, "low", -1, kColourBlack, kColourYellow, 10);
  EXPECT_TRUE(view_.labels[1].visible);
  EXPECT_EQ(view_.labels[1].caption, "low");
  EXPECT_EQ(slots_.Priority(1), 10);
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
    slots_.Bind(&view_);
    slots_.ShowStatus(4, "old", -1, 0, 0, c.current);
    slots_.ShowStatus(4, "new", -1, 0, 0, c.incoming);
    EXPECT_EQ(view_.labels[4].caption, c.replaces ? "new" : "old")
        << c.current << " <- " << c.incoming;
    EXPECT_EQ(slots_.Priority(4), c.replaces ? c.incoming : c.current);
  }
}

TEST_F(StatusSlotsTest, ClearingHidesTheLabelAndSlotTwoHidesTheGauge) {
  slots_.ShowStatus(2, "Read:", -1, 0, kColourAqua, 50);
  view_.gaugeVisible = true;                    // the device operations show the gauge themselves
  slots_.ShowStatus(2, nullptr, -1, 0, 0, 10);  // lower priority: ignored
  EXPECT_TRUE(view_.labels[2].visible);
  EXPECT_TRUE(view_.gaugeVisible);
  slots_.ShowStatus(2, nullptr, -1, 0, 0, 50);
  EXPECT_FALSE(view_.labels[2].visible);
  EXPECT_FALSE(view_.gaugeVisible);
  EXPECT_EQ(slots_.Text(2), "");
  EXPECT_EQ(slots_.Priority(2), 50);
  // An empty slot counts as -1, so anything shows again.
  slots_.ShowStatus(2, "any", -1, 0, 0, 1);
  EXPECT_TRUE(view_.labels[2].visible);
}

TEST_F(StatusSlotsTest, ExpiryOfSlotTwoHidesTheGauge) {
  slots_.ShowStatus(2, "Verify: OK", 100, 0, kColourGreen, 5);  // 2 ticks
  view_.gaugeVisible = true;
  EXPECT_EQ(slots_.ExpiryTick(2), 102);
  slots_.Expire(103);
  EXPECT_FALSE(view_.labels[2].visible);
  EXPECT_FALSE(view_.gaugeVisible);
  EXPECT_EQ(slots_.ExpiryTick(2), 0);
}

TEST_F(StatusSlotsTest, NonPositiveDurationNeverExpires) {
  slots_.ShowStatus(1, "stay", -1, 0, 0, 5);
  slots_.ShowStatus(4, "stay too", 0, 0, 0, 5);
  slots_.Expire(1000000);
  EXPECT_TRUE(view_.labels[1].visible);
  EXPECT_TRUE(view_.labels[4].visible);
}

TEST_F(StatusSlotsTest, ANewMessageReplacesTheExpiry) {
  slots_.ShowStatus(1, "short", 500, 0, 0, 5);
  slots_.ShowStatus(1, "long", -1, 0, 0, 5);
  slots_.Expire(200);
  EXPECT_TRUE(view_.labels[1].visible);
  EXPECT_EQ(view_.labels[1].caption, "long");
}

TEST_F(StatusSlotsTest, ClearTextsDropsTheStoredTexts) {
  slots_.ShowStatus(1, "a", -1, 0, 0, 100);
  slots_.ClearTexts();
  EXPECT_EQ(slots_.Text(1), "");
  EXPECT_EQ(slots_.EffectivePriority(1), -1);
}

}  // namespace
}  // namespace zeda
