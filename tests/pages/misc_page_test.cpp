// The Miscellaneous page: item lists, refresh rules and the potentiometer handler.
#include <gtest/gtest.h>

#include <algorithm>

#include "pages_fixture.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda::test {
namespace {

using MiscPageTest = PagesFixture;

TEST_F(MiscPageTest, InputGroupsListTheirAllowedFunctionsAndLineUp) {
  const int counts[] = {7, 8, 8};
  for (int i = 0; i < kMiscInputGroups; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(InputItemCount(i), counts[i]);
    EXPECT_EQ(controls.ItemCount(kInputGroupNames[i]), 8);
  }
  EXPECT_EQ(controls.Code("RadioGroupInput1", 7), kEmptyItem);  // filler row
  EXPECT_EQ(controls.Code("RadioGroupInput2", 7), INPUT_GEAR);
  EXPECT_EQ(controls.Code("RadioGroupInput3", 7), INPUT_SPEED);
  EXPECT_EQ(controls.Code("RadioGroupInput1", 3), INPUT_QUICKSHIFT);  // after Tacho/Lambda
}

TEST_F(MiscPageTest, RebuildingTheItemsKeepsTheSelection) {
  const int selected = controls.ItemIndex("RadioGroupInput2");
  ASSERT_GE(selected, 0);
  MiscPage::BuildInputItems(controls);
  EXPECT_EQ(controls.ItemIndex("RadioGroupInput2"), selected);
}

TEST_F(MiscPageTest, InputFunctionIsStoredByCode) {
  const int index = ItemIndexOfCode(controls, "RadioGroupInput3", INPUT_SPEED);
  controls.SetItemIndex("RadioGroupInput3", index);
  binder.ControlChanged("RadioGroupInput3", ChangeKind::Immediate);
  EXPECT_EQ(buffers.params.Byte(Adrb::INPUT_FUNCTION + 2), INPUT_SPEED);
}

// What the controls cannot show (a function the input does not list, a limiter above the
// up-down's range: mode 1 reaches 60) stays in the image through a commit of another
// control of the page, and gives way once the user sets that control.
TEST_F(MiscPageTest, ValuesTheControlsCannotShowSurviveACommitOfAnotherControl) {
  ParamImage& img = buffers.params;
  img.SetByte(Adrb::INPUT_FUNCTION, INPUT_SPEED);  // only input 3 lists Speed
  img.SetByte(Adrb::POTENTIOMETER, 1);
  img.SetWord(Adrw::POTENTIOMETER_RANGE, 500);
  binder.LoadActivePage();
  ASSERT_EQ(controls.ItemIndex("RadioGroupInput1"), -1);
  ASSERT_EQ(controls.Position("UpDownPotencRozsah"), 60);
  ASSERT_TRUE(controls.OutOfRange("UpDownPotencRozsah"));

  const int commits = binder.Commits();
  const bool inverse = controls.Checked("CheckBoxInverseInput3");
  controls.SetChecked("CheckBoxInverseInput3", !inverse);
  binder.ControlChanged("CheckBoxInverseInput3", ChangeKind::Immediate);
  ASSERT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ((img.Byte(Adrb::INPUT_INVERSE) >> 2) & 1, inverse ? 0 : 1);  // the edit went in
  EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION), INPUT_SPEED);
  EXPECT_EQ(img.Word(Adrw::POTENTIOMETER_RANGE), 500);
  EXPECT_TRUE(controls.OutOfRange("UpDownPotencRozsah"));  // the reload marks it again

  // One arrow click down from the end the up-down shows.
  Arrow("UpDownPotencRozsah", -1);
  Ticks(kArrowCommitTicks);
  EXPECT_EQ(img.Word(Adrw::POTENTIOMETER_RANGE), 59);
  EXPECT_FALSE(controls.OutOfRange("UpDownPotencRozsah"));
  controls.SetItemIndex("RadioGroupInput1", ItemIndexOfCode(controls, "RadioGroupInput1", 0));
  binder.ControlChanged("RadioGroupInput1", ChangeKind::Immediate);
  EXPECT_EQ(img.Byte(Adrb::INPUT_FUNCTION), 0);
}

TEST_F(MiscPageTest, StartLimiterControlsFollowAnInputWithThatFunction) {
  for (int i = 0; i < 3; ++i) buffers.params.SetByte(Adrb::INPUT_FUNCTION + i, INPUT_OFF);
  binder.LoadActivePage();
  EXPECT_FALSE(controls.Enabled("UpDownStartLimiter"));
  EXPECT_FALSE(controls.Enabled("LabelStartLimiterDelay"));
  EXPECT_FALSE(controls.Enabled("UpDownRetard"));

  controls.SetItemIndex("RadioGroupInput3",
                        ItemIndexOfCode(controls, "RadioGroupInput3", INPUT_START_LIMITER));
  binder.ControlChanged("RadioGroupInput3", ChangeKind::Immediate);
  EXPECT_TRUE(controls.Enabled("UpDownStartLimiter"));
  EXPECT_TRUE(controls.Enabled("UpDownStartLimiterMin"));
  EXPECT_TRUE(controls.Enabled("LabelStartLimiterDelay"));

  controls.SetItemIndex("RadioGroupInput3", 0);
  binder.ControlChanged("RadioGroupInput3", ChangeKind::Immediate);
  EXPECT_FALSE(controls.Enabled("UpDownStartLimiter"));
}

struct InverseCase {
  int function;
  bool neutralSs;
  bool shownOnInput1;
  bool shownOnInput3;
};

TEST_F(MiscPageTest, InversePolarityBoxFollowsFunctionAndNeutralSwitch) {
  const InverseCase cases[] = {
      {INPUT_OFF, false, false, false},
      {INPUT_KILL_SWITCH, false, false, false},  // no inverse polarity for it
      {INPUT_QUICKSHIFT, false, true, true},
      {INPUT_QUICKSHIFT, true, false, true},  // inputs 1-2 serve the neutral switch
  };
  for (const InverseCase& c : cases) {
    SCOPED_TRACE(c.function);
    buffers.params.SetByte(Adrb::INPUT_FUNCTION, static_cast<uint8_t>(c.function));
    buffers.params.SetByte(Adrb::INPUT_FUNCTION + 2, static_cast<uint8_t>(c.function));
    buffers.params.SetByte(Adrb::INPUT_NEUTRAL_SS, c.neutralSs ? 1 : 0);
    binder.LoadActivePage();
    EXPECT_EQ(controls.Visible("CheckBoxInverseInput1"), c.shownOnInput1);
    EXPECT_EQ(controls.Visible("CheckBoxInverseInput3"), c.shownOnInput3);
    EXPECT_EQ(controls.Enabled("RadioGroupInput1"), !c.neutralSs);
    EXPECT_TRUE(controls.Enabled("RadioGroupInput3"));
  }
}

struct PotiCase {
  int mode;
  int max;
  int step;
  int range;
};

TEST_F(MiscPageTest, PotentiometerModeSetsRangeAndCommitsOnce) {
  const PotiCase cases[] = {{1, 60, 1, 5},
                            {2, 10000, 50, 1000},
                            {3, 10000, 50, 1000},
                            {4, 10000, 100, 2000},
                            {0, 10000, 50, 0}};
  int commits = binder.Commits();
  for (const PotiCase& c : cases) {
    SCOPED_TRACE(c.mode);
    for (int b = 0; b < 5; ++b)
      controls.SetChecked("RadioButtonPoti" + std::to_string(b), b == c.mode);
    binder.ControlChanged("RadioButtonPoti" + std::to_string(c.mode), ChangeKind::Immediate);
    EXPECT_EQ(binder.Commits(), ++commits);
    EXPECT_EQ(buffers.params.Byte(Adrb::POTENTIOMETER), c.mode);
    EXPECT_EQ(buffers.params.Word(Adrw::POTENTIOMETER_RANGE), c.range);
    EXPECT_EQ(controls.Position("UpDownPotencRozsah"), c.range);
    EXPECT_EQ(controls.Visible("UpDownPotencRozsah"), c.mode != 0);
  }
}

TEST_F(MiscPageTest, LimitersKeepTheirRangeAndStep) {
  for (const char* name :
       {"UpDownLimiter", "UpDownSoftLimiter", "UpDownStartLimiterMin", "UpDownStartLimiter"}) {
    controls.SetPosition(name, 90000);
    EXPECT_EQ(controls.Position(name), 25000) << name;
  }
}

TEST_F(MiscPageTest, DwellControlsAreHidden) {
  for (const char* name : kMiscHiddenControls) EXPECT_FALSE(controls.Visible(name)) << name;
}

}  // namespace
}  // namespace zeda::test

namespace zeda::test {
namespace {

TEST_F(MiscPageTest, StoringSetsTheDwellTimeOfTheDwellMode) {
  const int timeOfMode[] = {10, 30};
  for (int mode = 0; mode < 2; ++mode) {
    buffers.params.SetByte(Adrb::DWELL, static_cast<uint8_t>(mode));
    buffers.params.SetByte(Adrb::DWELL + 1, 77);
    binder.StoreActivePage();
    EXPECT_EQ(buffers.params.Byte(Adrb::DWELL + 1), timeOfMode[mode]);
  }
  buffers.params.SetByte(Adrb::DWELL, 2);  // other modes keep their time
  buffers.params.SetByte(Adrb::DWELL + 1, 77);
  binder.StoreActivePage();
  EXPECT_EQ(buffers.params.Byte(Adrb::DWELL + 1), 77);
}

// An image read from a unit is normalised before the pages see it; a commit that the user
// made no change for must then leave every byte alone, the hidden dwell time included, or
// automatic programming would write a block nobody edited.
TEST_F(MiscPageTest, CommitWithoutAnEditAfterAReadChangesNoByte) {
  autoProgram = true;
  for (const int mode : {0, 1, 2}) {
    for (const int time : {0, 10, 30, 77}) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << " time " << time);
      ParamImage read = StartImage();
      read.SetByte(Adrb::DWELL, static_cast<uint8_t>(mode));
      read.SetByte(Adrb::DWELL + 1, static_cast<uint8_t>(time));
      NormalizeParams(read);  // as the Read command does
      buffers.params = read;
      binder.LoadAllPages();
      binder.StartRing();
      const int programsBefore = programs;
      binder.Commit();
      EXPECT_EQ(buffers.params, read);
      EXPECT_FALSE(binder.Ring().CanUndo());
      EXPECT_EQ(programs, programsBefore);
      EXPECT_TRUE(std::none_of(buffers.changedMask.begin(), buffers.changedMask.end(),
                               [](bool b) { return b; }));
    }
  }
}

}  // namespace
}  // namespace zeda::test
