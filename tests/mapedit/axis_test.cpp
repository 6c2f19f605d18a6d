#include "mapedit/axis.h"

#include <gtest/gtest.h>

#include <vector>

#include "mapedit/messages.h"

namespace zeda {
namespace {

// An rpm axis of 15 breakpoints (raw hundreds), limits 3 ... 250, gap 1.
CAxe RpmAxis(std::vector<int32_t> v = {10, 15, 20, 25, 30, 35, 40, 45, 50, 60, 70, 80, 90, 100,
                                       110}) {
  CAxe a;
  a.count = a.maxCount = static_cast<int32_t>(v.size());
  a.minValue = 3;
  a.maxValue = 250;
  a.minGap = 1;
  for (size_t i = 0; i < v.size(); ++i) a.values[i] = v[i];
  NormaliseBreakpoints(a);  // lastEdited -3: takes them as they are
  return a;
}

std::vector<int32_t> Used(const CAxe& a) {
  return std::vector<int32_t>(a.values.begin(), a.values.begin() + a.count);
}

TEST(Breakpoints, DraggedPointPushesNeighboursAndTheySpringBack) {
  CAxe a = RpmAxis();
  const std::vector<int32_t> before = Used(a);
  struct Step {
    int32_t value;  // breakpoint 3 set to this
    std::vector<int32_t> expectedFirst7;
  };
  const Step steps[] = {
      {32, {10, 15, 20, 32, 33, 35, 40}},  // past 4: 4 is pushed to 33
      {36, {10, 15, 20, 36, 37, 38, 40}},  // further: 4 and 5 go along
      {34, {10, 15, 20, 34, 35, 36, 40}},  // back a little: they follow back
      {26, {10, 15, 20, 26, 30, 35, 40}},  // away again: both back home
  };
  for (const Step& s : steps) {
    a.values[3] = s.value;
    NormaliseBreakpoints(a);
    std::vector<int32_t> got(a.values.begin(), a.values.begin() + 7);
    EXPECT_EQ(got, s.expectedFirst7) << "breakpoint 3 = " << s.value;
    EXPECT_EQ(a.lastEdited, 3);
  }
  EXPECT_FALSE(a.pushed[4]);
  EXPECT_FALSE(a.pushed[5]);
  std::vector<int32_t> after = Used(a);
  after[3] = before[3];
  EXPECT_EQ(after, before);
}

TEST(Breakpoints, DraggingDownPushesLowerNeighbours) {
  CAxe a = RpmAxis();
  a.values[5] = 14;
  NormaliseBreakpoints(a);
  EXPECT_EQ(Used(a),
            (std::vector<int32_t>{9, 10, 11, 12, 13, 14, 40, 45, 50, 60, 70, 80, 90, 100, 110}));
  a.values[5] = 35;
  NormaliseBreakpoints(a);
  EXPECT_EQ(Used(a),
            (std::vector<int32_t>{10, 15, 20, 25, 30, 35, 40, 45, 50, 60, 70, 80, 90, 100, 110}));
}

TEST(Breakpoints, PointAboveMaximumLeavesRoomForTheOnesAbove) {
  struct Case {
    int index;
    int32_t value;
  };
  for (Case c : {Case{10, 1000}, Case{14, 251}, Case{0, 9999}, Case{7, 249}}) {
    CAxe a = RpmAxis();
    a.values[c.index] = c.value;
    NormaliseBreakpoints(a);
    EXPECT_EQ(a.values[c.index], 250 - (15 - 1 - c.index) * 1) << c.index;
    EXPECT_TRUE(BreakpointsValid(a)) << c.index;
  }
}

TEST(Breakpoints, PointBelowMinimumIsRaised) {
  CAxe a = RpmAxis();
  a.values[2] = -40;
  NormaliseBreakpoints(a);
  EXPECT_EQ(Used(a)[0], 3);
  EXPECT_EQ(Used(a)[1], 4);
  EXPECT_EQ(Used(a)[2], 5);
  EXPECT_TRUE(BreakpointsValid(a));
}

TEST(Breakpoints, UnorderedAxisWithoutLastEditedBecomesStrictlyIncreasing) {
  const std::vector<std::vector<int32_t>> inputs = {
      {100, 20, 20, 300, -5, 7, 7, 7, 250, 0, 3, 3, 2000, 50, 1},
      {250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250},
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {110, 100, 90, 80, 70, 60, 50, 45, 40, 35, 30, 25, 20, 15, 10},
  };
  for (const auto& in : inputs) {
    CAxe a;
    a.count = a.maxCount = 15;
    a.minValue = 3;
    a.maxValue = 250;
    a.minGap = 2;
    for (int i = 0; i < 15; ++i) a.values[i] = in[i];
    a.lastEdited = kLastEditedNone;
    NormaliseBreakpoints(a);
    EXPECT_TRUE(BreakpointsValid(a));
    for (int i = 1; i < 15; ++i) EXPECT_GE(a.values[i] - a.values[i - 1], 2);
    EXPECT_EQ(a.lastEdited, 0);
  }
}

TEST(Breakpoints, SeveralChangesAreSortedOutWithoutPushing) {
  CAxe a = RpmAxis();
  a.values[2] = 90;
  a.values[8] = 5;
  NormaliseBreakpoints(a);
  EXPECT_TRUE(BreakpointsValid(a));
  EXPECT_EQ(a.lastEdited, 2);
  for (int i = 0; i < 15; ++i) EXPECT_FALSE(a.pushed[i]);
}

TEST(Breakpoints, OwnerWrittenDisorderIsRepairedEvenWithOneChange) {
  // prevValues say "unchanged" for points that are out of order; one edited point must
  // still leave an ordered axis.
  CAxe a = RpmAxis();
  a.values = {};
  std::vector<int32_t> bad = {99, 50, 60};
  a.count = 3;
  for (int i = 0; i < 3; ++i) a.values[i] = a.prevValues[i] = bad[i];
  a.lastEdited = 1;
  a.maxValue = 100;
  a.values[1] = 150;
  NormaliseBreakpoints(a);
  EXPECT_TRUE(BreakpointsValid(a));
}

TEST(FixedIndex, Rules) {
  struct Case {
    int rule, count, expected;
  };
  for (Case c : {Case{-1, 10, 0}, Case{-2, 10, 9}, Case{-3, 10, 5}, Case{-3, 7, 3}, Case{4, 10, 4},
                 Case{40, 10, 9}, Case{-7, 10, 0}, Case{-2, 1, 0}}) {
    EXPECT_EQ(FixedIndexFor(c.rule, c.count), c.expected) << c.rule << " " << c.count;
  }
}

TEST(StringView, CaptionsAndTheThreeMessages) {
  CAxe a;
  a.count = 3;
  a.stringView = {"", "Coolant", "Inlet Air"};
  a.values[0] = 1001;  // entry 1 (mod 1000)
  a.values[1] = 2;
  a.values[2] = 0;  // empty entry
  std::string caption, error;
  EXPECT_TRUE(StringViewCaption(a, 0, caption, error));
  EXPECT_EQ(caption, "Coolant");
  EXPECT_TRUE(StringViewCaption(a, 1, caption, error));
  EXPECT_EQ(caption, "Inlet Air");
  EXPECT_FALSE(StringViewCaption(a, 2, caption, error));
  EXPECT_EQ(error, mapedit_msg::kStringViewNull);
  EXPECT_TRUE(caption.empty());
  EXPECT_FALSE(StringViewCaption(a, -1, caption, error));
  EXPECT_EQ(error, mapedit_msg::kStringViewBadIndex);
  EXPECT_FALSE(StringViewCaption(a, 4, caption, error));
  EXPECT_EQ(error, mapedit_msg::kStringViewBadIndex);
  a.values[1] = 9;
  EXPECT_FALSE(StringViewCaption(a, 1, caption, error));
  EXPECT_EQ(error, mapedit_msg::kStringViewBadEntry);
  a.values[1] = -1;
  EXPECT_FALSE(StringViewCaption(a, 1, caption, error));
  EXPECT_EQ(error, mapedit_msg::kStringViewBadEntry);
}

TEST(RoundHalfAway, RoundsAndSaturates) {
  EXPECT_EQ(RoundHalfAway(12.5), 13);
  EXPECT_EQ(RoundHalfAway(-12.5), -13);
  EXPECT_EQ(RoundHalfAway(12.49), 12);
  EXPECT_EQ(RoundHalfAway(1e20), 2147483647);
  EXPECT_EQ(RoundHalfAway(-1e20), -2147483647 - 1);
}

}  // namespace
}  // namespace zeda
