// The Bike page: the preset question, the pulses edit, the lobe encoding and the refresh
// rules by method class.
#include "pages/bike_page.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "params/defaults.h"
#include "params/engine_presets.h"
#include "params/file_commands.h"
#include "params/lobe_byte.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda::test {
namespace {

class BikePageTest : public ::testing::Test {
 protected:
  BikePageTest() : bike_(MakeContext()), binder_(document_, controls_) {
    buffers_.params = StartImage();
    NormalizeParams(buffers_.params);
    binder_.AddPage(misc_);
    binder_.AddPage(bike_);
    binder_.CreatePages();
    binder_.LoadAllPages();
    binder_.ChangePage(kBikePageIndex);
    binder_.StoreActivePage();
    NormalizeParams(buffers_.params);
    binder_.LoadAllPages();
    binder_.StartRing();
  }

  PageContext MakeContext() {
    PageContext context;
    context.ask = [this](const std::string& text) {
      questions_.push_back(text);
      return answer_;
    };
    // What the window runs for a preset's "Yes": the New command's own core step, answered.
    context.newDefaults = [this] {
      ++newDefaultsRuns_;
      FileDocument doc{buffers_, settings_};
      NewDocument(doc, -1, NewAnswer::Yes);
    };
    return context;
  }

  void ChooseBike(int code) {
    controls_.SetItemIndex("ComboBoxBike", ItemIndexOfCode(controls_, "ComboBoxBike", code));
    binder_.ControlChanged("ComboBoxBike", ChangeKind::Immediate);
  }
  // Puts the synchronisation into the image by hand and shows it.
  void SetSync(int bikeCode, int method, int lobes, int channels) {
    ParamImage& img = buffers_.params;
    img.SetByte(Adrb::BIKE, static_cast<uint8_t>(bikeCode));
    img.SetByte(Adrb::PICKUP_SYSTEM, static_cast<uint8_t>(method));
    img.SetByte(Adrb::LOBE_COUNT, static_cast<uint8_t>(lobes));
    img.SetByte(Adrb::CHANNEL_COUNT, static_cast<uint8_t>(channels));
    binder_.LoadActivePage();
  }
  void Edit(const std::string& control) { binder_.ControlChanged(control, ChangeKind::Immediate); }

  Document document_;

  ImageBuffers& buffers_ = document_.Buffers();
  MemoryControls controls_;
  MiscPage misc_;
  BikePage bike_;
  PageBinder binder_;
  PageAnswer answer_ = PageAnswer::No;
  std::vector<std::string> questions_;
  int newDefaultsRuns_ = 0;
  AppSettings settings_;
};

// The bytes a preset may change without the defaults of every page.
std::set<int> SyncAddresses(int bikeCode) {
  std::set<int> a = {Adrb::BIKE,          Adrb::PICKUP_SYSTEM,        Adrb::LOBE_COUNT,
                     Adrb::CHANNEL_COUNT, Adrb::FOUR_STROKE_2ND_TURN, Adrb::GEBER_MODE,
                     Adrb::NO_LOBE_CHECK, Adrb::INTERLOCK_INPUT,      Adrb::SPARK_BEFORE_LOBE};
  for (int c = 0; c < kLobeChannels; ++c) {
    a.insert(Adrb::LOBE_START + c);
    a.insert(Adrb::LOBE_END + c);
  }
  if (const EnginePreset* p = FindEnginePreset(bikeCode))
    for (int i = 0; i < p->extraCount; ++i) a.insert(p->extras[i].addr);
  return a;
}

std::vector<int> ChangedAddresses(const ParamImage& a, const ParamImage& b) {
  std::vector<int> changed;
  for (int i = 0; i < PARAM_IMAGE_SIZE; ++i)
    if (a.Byte(i) != b.Byte(i)) changed.push_back(i);
  return changed;
}

TEST_F(BikePageTest, SpecialSettingAsksNothingAndKeepsTheSynchronisation) {
  SetSync(7, 4, 24, 2);
  buffers_.params.SetByte(Adrb::LOBE_START + 1, 0x85);
  buffers_.params.SetByte(Adrb::NO_LOBE_CHECK, 1);
  binder_.LoadActivePage();
  const ParamImage before = buffers_.params;
  ChooseBike(BIKE_SPECIAL);
  EXPECT_TRUE(questions_.empty());
  EXPECT_EQ(newDefaultsRuns_, 0);
  EXPECT_EQ(buffers_.params.Byte(Adrb::BIKE), BIKE_SPECIAL);
  EXPECT_EQ(ChangedAddresses(before, buffers_.params), std::vector<int>{Adrb::BIKE});
}

TEST_F(BikePageTest, PresetAnsweredNoChangesOnlyTheSynchronisation) {
  buffers_.params.SetWord(Adrw::LIMITER, 12350);
  binder_.ChangePage(kMiscPageIndex);
  binder_.ChangePage(kBikePageIndex);
  const ParamImage before = buffers_.params;
  answer_ = PageAnswer::No;
  ChooseBike(28);
  ASSERT_EQ(questions_, std::vector<std::string>{"Do you want default setting?"});
  EXPECT_EQ(newDefaultsRuns_, 0);
  EXPECT_EQ(buffers_.params.Byte(Adrb::BIKE), 28);
  EXPECT_EQ(buffers_.params.Byte(Adrb::GEBER_MODE), 2);  // the preset's
  const std::set<int> allowed = SyncAddresses(28);
  const std::vector<int> changed = ChangedAddresses(before, buffers_.params);
  EXPECT_FALSE(changed.empty());
  for (int a : changed) EXPECT_TRUE(allowed.count(a)) << "address " << a;
  EXPECT_EQ(buffers_.params.Word(Adrw::LIMITER), 12350);
}

TEST_F(BikePageTest, PresetAnsweredYesAlsoResetsEveryPage) {
  buffers_.params.SetWord(Adrw::LIMITER, 12350);
  binder_.ChangePage(kMiscPageIndex);
  binder_.ChangePage(kBikePageIndex);
  const int defaultLimiter = StartImage().Word(Adrw::LIMITER);
  ASSERT_NE(defaultLimiter, 12350);
  answer_ = PageAnswer::Yes;
  ChooseBike(41);
  EXPECT_EQ(newDefaultsRuns_, 1);
  EXPECT_EQ(buffers_.params.Word(Adrw::LIMITER), defaultLimiter);
  EXPECT_EQ(buffers_.params.Byte(Adrb::BIKE), 41);
  EXPECT_EQ(buffers_.params.Byte(Adrb::PICKUP_SYSTEM), FindEnginePreset(41)->method);
  EXPECT_EQ(controls_.Code("ComboBoxSynchro", controls_.ItemIndex("ComboBoxSynchro")),
            FindEnginePreset(41)->method);
}

TEST_F(BikePageTest, CancelRestoresThePresetAndChangesNothing) {
  const ParamImage before = buffers_.params;
  const int commits = binder_.Commits();
  answer_ = PageAnswer::Cancel;
  ChooseBike(42);
  EXPECT_EQ(questions_.size(), 1u);
  EXPECT_EQ(buffers_.params, before);
  EXPECT_EQ(binder_.Commits(), commits);
  EXPECT_EQ(controls_.Code("ComboBoxBike", controls_.ItemIndex("ComboBoxBike")),
            before.Byte(Adrb::BIKE));
}

struct PulsesCase {
  const char* typed;
  const char* shown;
  int position;
  int stored;
};
TEST_F(BikePageTest, TypedPickupNumberBecomesItsCopy) {
  const PulsesCase cases[] = {{"-1", "pickup 1", -1, 255}, {"-2", "pickup 2", -2, 254}};
  for (const PulsesCase& k : cases) {
    SCOPED_TRACE(k.typed);
    controls_.SetText(kPulsesControl, k.typed);
    binder_.Tick();
    EXPECT_EQ(controls_.Text(kPulsesControl), k.shown);
    EXPECT_EQ(controls_.Position(kPulsesControl), k.position);
    EXPECT_EQ(buffers_.params.Byte(Adrb::RPM_PULSES), k.stored);
    EXPECT_FALSE(controls_.Visible("UpDownRpmKorekce"));  // no correction of a copy
    // Loading shows the copy's name again.
    controls_.SetText(kPulsesControl, "");
    binder_.LoadActivePage();
    EXPECT_EQ(controls_.Text(kPulsesControl), k.shown);
  }
  controls_.SetPosition(kPulsesControl, 4);
  Edit(kPulsesControl);
  EXPECT_EQ(buffers_.params.Byte(Adrb::RPM_PULSES), 4);
  EXPECT_TRUE(controls_.Visible("UpDownRpmKorekce"));
}

// A preset code the list does not hold shows no choice and is kept: written as 255 it
// would turn the unit into a hand-made bike.
TEST_F(BikePageTest, UnlistedPresetKeepsItsCodeThroughACommit) {
  constexpr int kUnlisted = 50;
  ASSERT_EQ(ItemIndexOfCode(controls_, "ComboBoxBike", kUnlisted), -1);
  buffers_.params.SetByte(Adrb::BIKE, kUnlisted);
  binder_.LoadActivePage();
  EXPECT_EQ(controls_.ItemIndex("ComboBoxBike"), -1);
  const int commits = binder_.Commits();
  const int polarity = controls_.ItemIndex("RadioGroupPickup1Polarita");
  controls_.SetItemIndex("RadioGroupPickup1Polarita", (polarity + 1) % 3);
  Edit("RadioGroupPickup1Polarita");
  ASSERT_EQ(binder_.Commits(), commits + 1);
  EXPECT_EQ(buffers_.params.Byte(Adrb::PICKUP_POLARITY), (polarity + 1) % 3);
  EXPECT_EQ(buffers_.params.Byte(Adrb::BIKE), kUnlisted);
}

// A count stored as 128-253 is a signed byte below -2: shown as "-2", which the tick must
// not take for a typed "-2" (pick-up copy 2), and no commit may write -2 over it.
TEST_F(BikePageTest, PulsesBelowTheRangeStayThroughTicksAndCommits) {
  buffers_.params.SetByte(Adrb::RPM_PULSES, 200);
  binder_.LoadActivePage();
  EXPECT_EQ(controls_.Text(kPulsesControl), "-2");
  EXPECT_TRUE(controls_.OutOfRange(kPulsesControl));
  const int commits = binder_.Commits();
  for (int t = 0; t < 3; ++t) binder_.Tick();
  EXPECT_EQ(binder_.Commits(), commits);
  EXPECT_EQ(controls_.Text(kPulsesControl), "-2");

  const int polarity = controls_.ItemIndex("RadioGroupPickup1Polarita");
  controls_.SetItemIndex("RadioGroupPickup1Polarita", (polarity + 1) % 3);
  Edit("RadioGroupPickup1Polarita");
  EXPECT_EQ(binder_.Commits(), commits + 1);
  EXPECT_EQ(buffers_.params.Byte(Adrb::RPM_PULSES), 200);

  controls_.SetPosition(kPulsesControl, 3);
  Edit(kPulsesControl);
  EXPECT_EQ(buffers_.params.Byte(Adrb::RPM_PULSES), 3);
  EXPECT_FALSE(controls_.OutOfRange(kPulsesControl));
}

TEST_F(BikePageTest, Method14StoresTheSeventhLobeBitAndNoPickupFlag) {
  SetSync(BIKE_SPECIAL, PICKUP_SYSTEM_120_LOBES, 100, 2);
  controls_.SetPosition("UpDownPalec1Zac", 70);
  // A pick-up box left ticked must not spill into the lobe number.
  controls_.SetChecked("CheckBoxPalec1ZacP2", true);
  Edit("UpDownPalec1Zac");
  EXPECT_EQ(buffers_.params.Byte(Adrb::LOBE_START), 134);
  EXPECT_EQ(controls_.Position("UpDownPalec1Zac"), 70);
  EXPECT_FALSE(controls_.Checked("CheckBoxPalec1ZacP2"));
  // ...and it can go below 64 again.
  controls_.SetPosition("UpDownPalec1Zac", 12);
  Edit("UpDownPalec1Zac");
  EXPECT_EQ(buffers_.params.Byte(Adrb::LOBE_START), 12);
}

TEST_F(BikePageTest, OtherMethodsKeepThePickupFlagInBit7) {
  SetSync(BIKE_SPECIAL, 0, 1, 2);
  controls_.SetPosition("UpDownPalec2End", 1);
  controls_.SetChecked("CheckBoxPalec2EndP2", true);
  controls_.SetChecked("CheckBoxPalec2EndH2", true);
  Edit("CheckBoxPalec2EndP2");
  EXPECT_EQ(buffers_.params.Byte(Adrb::LOBE_END + 1), 0x80 | 0x40 | 1);
  EXPECT_TRUE(controls_.Checked("CheckBoxPalec2EndP2"));
}

TEST_F(BikePageTest, WideMethodsTakeEveryEdgeFromChannelZerosStart) {
  SetSync(BIKE_SPECIAL, 8, 46, 2);
  controls_.SetChecked("CheckBoxPalec1ZacH2", true);
  controls_.SetChecked("CheckBoxPalec2EndH2", false);
  Edit("CheckBoxPalec1ZacH2");
  for (int c = 0; c < kLobeChannels; ++c) {
    SCOPED_TRACE(c);
    EXPECT_TRUE(buffers_.params.Byte(Adrb::LOBE_START + c) & LOBE_BIT_2ND_EDGE);
    EXPECT_TRUE(buffers_.params.Byte(Adrb::LOBE_END + c) & LOBE_BIT_2ND_EDGE);
    EXPECT_TRUE(controls_.Checked(LobeControl("CheckBoxPalec", c, "EndH2")));
  }
}

TEST_F(BikePageTest, SecondTurnBoxesFillTheirBits) {
  SetSync(BIKE_SPECIAL, 3, 24, 2);
  controls_.SetChecked("CheckBoxPalec2T2", true);
  Edit("CheckBoxPalec2T2");
  EXPECT_EQ(buffers_.params.Byte(Adrb::FOUR_STROKE_2ND_TURN), 0b10);
}

TEST_F(BikePageTest, StoringWithAPresetClearsTheHandMadeFlags) {
  const char* boxes[] = {"CheckBoxNehlidaPalec", "CheckBoxCrossBlock", "CheckBoxPredPalec"};
  const int addresses[] = {Adrb::NO_LOBE_CHECK, Adrb::INTERLOCK_INPUT, Adrb::SPARK_BEFORE_LOBE};
  for (int bikeCode : {7, BIKE_SPECIAL}) {
    SCOPED_TRACE(bikeCode);
    buffers_.params.SetByte(Adrb::BIKE, static_cast<uint8_t>(bikeCode));
    for (int a : addresses) buffers_.params.SetByte(a, 1);
    binder_.LoadActivePage();
    binder_.Commit();
    const bool kept = bikeCode == BIKE_SPECIAL;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(buffers_.params.Byte(addresses[i]), kept ? 1 : 0) << boxes[i];
      EXPECT_EQ(controls_.Checked(boxes[i]), kept) << boxes[i];
    }
  }
}

TEST_F(BikePageTest, LobeCountLimitsFollowTheMethod) {
  SetSync(BIKE_SPECIAL, PICKUP_SYSTEM_120_LOBES, 100, 2);
  controls_.SetPosition("UpDownPocPalcu", 120);
  EXPECT_EQ(controls_.Position("UpDownPocPalcu"), 120);
  controls_.SetPosition("UpDownPalec1Zac", 101);
  EXPECT_EQ(controls_.Position("UpDownPalec1Zac"), 100);
  SetSync(BIKE_SPECIAL, 3, 24, 2);
  controls_.SetPosition("UpDownPocPalcu", 120);
  EXPECT_EQ(controls_.Position("UpDownPocPalcu"), kMaxLobes);
  // A zero lobe count from a damaged image still gives the lobe up-downs a valid range.
  SetSync(BIKE_SPECIAL, 3, 0, 2);
  controls_.SetPosition("UpDownPalec1Zac", 5);
  EXPECT_EQ(controls_.Position("UpDownPalec1Zac"), 1);
}

struct VisibilityCase {
  int bike;
  int method;
  int channels;
  bool channel1;      // GroupBoxPalec1
  bool channel2;      // GroupBoxPalec2
  bool fullSync;      // LabelFullSync
  bool pickup2;       // RadioGroupPickup2Polarita
  bool endLobe;       // UpDownPalec1End
  bool pickupBoxes;   // CheckBoxPalec1ZacP2 shown
  bool noLobeCheck;   // CheckBoxNehlidaPalec
  bool interlock;     // CheckBoxCrossBlock
  bool edge2Enabled;  // CheckBoxPalec2ZacH2 enabled
  bool lobeEnabled;   // UpDownPalec1Zac enabled
};
TEST_F(BikePageTest, VisibilityFollowsTheMethodClass) {
  constexpr int S = BIKE_SPECIAL;
  // clang-format off
  const VisibilityCase cases[] = {
      // bike m   ch  ch1    ch2    full   pu2    end    p2     nolobe inter  edge2  lobe
      {S,    0,  2, true,  true,  false, true,  true,  true,  true,  true,  true,  false},  // basic, two pick-up
      {S,   19,  2, true,  true,  false, true,  false, true,  true,  true,  true,  false},  // start of lobe
      {S,    7,  2, false, false, true,  false, true,  false, true,  false, true,  true},   // fixed
      {S,   16,  1, false, false, true,  false, true,  false, true,  false, true,  true},   // fixed
      {S,    8,  2, true,  true,  false, false, true,  false, false, false, false, true},   // wide
      {S,   14,  2, true,  true,  false, true,  true,  false, false, false, false, true},   // wide, 120 lobes
      {S,    6,  2, true,  true,  false, true,  true,  false, true,  false, true,  true},   // cam
      {S,    3,  1, true,  false, false, false, true,  false, true,  false, true,  true},   // one channel
      {7,    0,  2, true,  true,  false, true,  true,  true,  false, false, false, false},  // preset
  };
  // clang-format on
  for (const VisibilityCase& k : cases) {
    SCOPED_TRACE("bike " + std::to_string(k.bike) + " method " + std::to_string(k.method));
    SetSync(k.bike, k.method, 24, k.channels);
    EXPECT_EQ(controls_.Visible("GroupBoxPalec1"), k.channel1);
    EXPECT_EQ(controls_.Visible("GroupBoxPalec2"), k.channel2);
    EXPECT_FALSE(controls_.Visible("GroupBoxPalec3"));
    EXPECT_EQ(controls_.Visible("LabelFullSync"), k.fullSync);
    EXPECT_EQ(controls_.Visible("RadioGroupPickup2Polarita"), k.pickup2);
    EXPECT_EQ(controls_.Visible("UpDownPalec1End"), k.endLobe);
    EXPECT_EQ(controls_.Visible("CheckBoxPalec1ZacP2"), k.pickupBoxes);
    EXPECT_EQ(controls_.Visible("CheckBoxNehlidaPalec"), k.noLobeCheck);
    EXPECT_EQ(controls_.Visible("CheckBoxCrossBlock"), k.interlock);
    EXPECT_EQ(controls_.Enabled("CheckBoxPalec2ZacH2"), k.edge2Enabled);
    EXPECT_EQ(controls_.Enabled("UpDownPalec1Zac"), k.lobeEnabled);
    EXPECT_EQ(controls_.Enabled("ComboBoxSynchro"), k.bike == S);
    EXPECT_EQ(controls_.Visible("CheckBoxSpecStart"), k.bike == S);
    EXPECT_FALSE(controls_.Visible("ComboBoxSynchPos"));
    EXPECT_FALSE(controls_.Visible("ComboBoxCh1"));
  }
}

// The experts' box is grey whenever the preset is not "Special setting", even where a basic
// method leaves it enabled (its pick-up polarity boxes stay reachable).
TEST_F(BikePageTest, SpecialBoxIsGreyUnlessSpecial) {
  struct Case {
    int bike, method;
    bool enabled;
    Colour colour;
  };
  ASSERT_TRUE(ClassOf(0).basic);
  ASSERT_FALSE(ClassOf(3).basic);
  for (const Case k :
       {Case{BIKE_SPECIAL, 0, true, kColourButtonFace},
        Case{BIKE_SPECIAL, 3, true, kColourButtonFace}, Case{7, 0, true, kColourGrey},
        Case{7, 3, false, kColourGrey}, Case{BIKE_SPECIAL, 3, true, kColourButtonFace}}) {
    SCOPED_TRACE("bike " + std::to_string(k.bike) + " method " + std::to_string(k.method));
    SetSync(k.bike, k.method, 24, 2);
    EXPECT_EQ(controls_.Enabled("GroupBoxSpecial"), k.enabled);
    EXPECT_EQ(controls_.ColourOf("GroupBoxSpecial"), k.colour);
  }
}

// After a preset change the focus leaves the combo (a wheel turn over it would choose
// another bike), once the change is committed; a cancelled change keeps it.
TEST_F(BikePageTest, PresetChangeMovesTheFocusAfterItsCommit) {
  struct Case {
    const char* what;
    int bike;
    PageAnswer answer;
    int focusMoves;
  };
  for (const Case k : {Case{"no", 28, PageAnswer::No, 1}, Case{"yes", 41, PageAnswer::Yes, 1},
                       Case{"special", BIKE_SPECIAL, PageAnswer::Cancel, 1},
                       Case{"cancel", 42, PageAnswer::Cancel, 0}}) {
    SCOPED_TRACE(k.what);
    // The undo step the change was recorded as, when the focus moved.
    std::vector<int> stepAtFocus;
    BinderHooks hooks;
    hooks.focusAfterChange = [&] { stepAtFocus.push_back(binder_.Ring().Current()); };
    binder_.SetHooks(std::move(hooks));
    answer_ = k.answer;
    const int step = binder_.Ring().Current();
    // As the combo's own signal reaches the binder: the page's handler moves the focus,
    // the binder does not move it a second time.
    controls_.SetItemIndex("ComboBoxBike", ItemIndexOfCode(controls_, "ComboBoxBike", k.bike));
    binder_.ComboChanged("ComboBoxBike");
    ASSERT_EQ(static_cast<int>(stepAtFocus.size()), k.focusMoves);
    if (k.focusMoves == 0) continue;
    EXPECT_NE(stepAtFocus.back(), step);
  }
}

// FormComboChange: a combo without a handler of its own commits at once and moves the focus;
// nothing happens while the program itself fills the controls.
TEST_F(BikePageTest, ComboChoiceCommitsAndMovesTheFocus) {
  SetSync(BIKE_SPECIAL, 3, 24, 2);
  int focusMoves = 0;
  BinderHooks hooks;
  hooks.focusAfterChange = [&] { ++focusMoves; };
  binder_.SetHooks(std::move(hooks));
  const int index = ItemIndexOfCode(controls_, "ComboBoxNasobekPalcu", 3);
  ASSERT_GE(index, 0);
  {
    const PageBinder::Guard guard(binder_);
    controls_.SetItemIndex("ComboBoxNasobekPalcu", index);
    binder_.ComboChanged("ComboBoxNasobekPalcu");
  }
  EXPECT_EQ(focusMoves, 0);
  EXPECT_NE(buffers_.params.Byte(Adrb::GEBER_MODE), 3);
  const int commits = binder_.Commits();
  binder_.ComboChanged("ComboBoxNasobekPalcu");
  EXPECT_EQ(binder_.Commits(), commits + 1);
  EXPECT_EQ(buffers_.params.Byte(Adrb::GEBER_MODE), 3);
  EXPECT_EQ(focusMoves, 1);
}

TEST_F(BikePageTest, CaptionsAndColumnsFollowTheirFields) {
  SetSync(BIKE_SPECIAL, 10, 24, 2);
  EXPECT_EQ(controls_.Text("LabelRevWoIgnition"), "Revolutions with collective ignitions");
  SetSync(BIKE_SPECIAL, 3, 24, 2);
  EXPECT_EQ(controls_.Text("LabelRevWoIgnition"), "Revolutions without ignition");
  const int fourStroke[] = {0, 1, 2};
  for (int fs : fourStroke) {
    SCOPED_TRACE(fs);
    buffers_.params.SetByte(Adrb::FOUR_STROKE, static_cast<uint8_t>(fs));
    binder_.LoadActivePage();
    EXPECT_EQ(controls_.Visible("LabelFullSynchro1"), fs == 1);
    EXPECT_EQ(controls_.Visible("LabelSnimac3"), fs == 1);
    EXPECT_EQ(controls_.Visible("CheckBoxPalec4T2"), fs == 2);
    EXPECT_EQ(controls_.Visible("LabelSnimac4"), fs == 2);
    EXPECT_FALSE(controls_.Visible("CheckBoxFourStrokeIgn"));
  }
}

}  // namespace
}  // namespace zeda::test
