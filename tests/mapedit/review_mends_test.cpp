// Faults found in a review of the model, one test each: the behaviour they guard is what
// the owner and the widget rely on.
#include <gtest/gtest.h>

#include <limits>

#include "mapedit/lang_select.h"
#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::FakeHost;
using test::MapTest;

TEST_F(MapTest, RebuildDropsAnOpenEditorInsteadOfAcceptingIt) {
  adv_->SelectItem(2, 2);
  ASSERT_TRUE(adv_->KeyChar('4'));
  ASSERT_TRUE(adv_->KeyChar('4'));
  ASSERT_TRUE(adv_->editor.editing);
  // The owner loads new values and rebuilds.
  adv_->Cur().Cell(2, 2) = 17;
  adv_->Rebuild();
  EXPECT_FALSE(adv_->editor.editing);
  EXPECT_EQ(adv_->Cur().Cell(2, 2), 17);
  for (int i = 0; i < 10; ++i) adv_->Tick();
  EXPECT_EQ(log_.Count(), 0u);
  EXPECT_EQ(adv_->Cur().Cell(2, 2), 17);
}

TEST_F(MapTest, OwnCopyPastesBackWithALongThreeLanguageName) {
  // Each variant is short, all three together are far beyond a header line.
  adv_->Cur().name =
      "###Ignition advance map one##Zuendverstellkennfeld eins##Mapa predstihu jedna";
  for (int lang : {kLangEnglish, kLangGerman, kLangCzech}) {
    SCOPED_TRACE(lang);
    SetMapeditLanguage(lang);
    adv_->CopyTable();
    EXPECT_EQ(host_.sheet.substr(0, host_.sheet.find('\n')),
              "Label:\t" + MapeditText(adv_->Cur().name, lang));
    const auto cells = adv_->Cur().cells;
    const auto xs = adv_->Cur().axisX.values;
    adv_->Cur().Cell(3, 3) = 40;
    adv_->Cur().axisX.values[14] = 200;
    EXPECT_TRUE(adv_->PasteTable(host_.sheet));
    EXPECT_EQ(adv_->Cur().cells, cells);
    EXPECT_EQ(adv_->Cur().axisX.values, xs);
  }
  // A single variant longer than a header line is cut, and still pastes back.
  adv_->Cur().name = std::string(200, 'A');
  SetMapeditLanguage(kLangEnglish);
  adv_->CopyTable();
  EXPECT_LE(host_.sheet.find('\n'), 64u);
  EXPECT_TRUE(adv_->PasteTable(host_.sheet));
}

TEST_F(MapTest, OperatingPointIncrementIgnoresTheSelection) {
  adv_->liveRpm = 2500;
  adv_->liveTp = 30;
  adv_->UpdateOperatingPoint();
  const CSheet& s = adv_->Cur();
  ASSERT_GT(s.actualState, 0);
  const int c = s.actualCol, r = s.actualRow;
  adv_->SelectItem(0, 0);
  const int32_t live = s.Cell(c, r), selected = s.Cell(0, 0);
  EXPECT_TRUE(adv_->IncrementOperatingPoint(1));
  EXPECT_EQ(s.Cell(c, r), live + 1);
  EXPECT_EQ(s.Cell(0, 0), selected);
  // Before the first rpm breakpoint it steps the base advance.
  adv_->liveRpm = 500;
  adv_->UpdateOperatingPoint();
  ASSERT_EQ(s.actualCol, -1);
  const int32_t base = adv_->baseAdvance;
  EXPECT_TRUE(adv_->IncrementOperatingPoint(-1));
  EXPECT_EQ(adv_->baseAdvance, base - 1);
  // Engine stopped: nothing to step.
  adv_->liveRpm = 0;
  adv_->UpdateOperatingPoint();
  EXPECT_FALSE(adv_->IncrementOperatingPoint(1));
}

TEST_F(MapTest, PlusAndMinusStepOncePerKeystroke) {
  // A widget forwards a keystroke as KeyDown and, when unused, as its character.
  auto keystroke = [&](TKey key, char c) {
    if (!adv_->KeyDown(key, 0)) adv_->KeyChar(c);
  };
  adv_->SelectItem(4, 4);
  const int32_t v = adv_->Cur().Cell(4, 4);
  keystroke(TKey::Plus, '+');
  EXPECT_EQ(adv_->Cur().Cell(4, 4), v + 1);
  keystroke(TKey::Minus, '-');
  keystroke(TKey::Minus, '-');
  EXPECT_EQ(adv_->Cur().Cell(4, 4), v - 1);
  // In the editor the minus is a character.
  keystroke(TKey::Other, '5');
  keystroke(TKey::Minus, '-');
  EXPECT_EQ(adv_->editor.text, "5-");
}

TEST_F(MapTest, ShrunkAxisDropsMarksOutsideTheSheet) {
  adv_->PressSelectorCorner();  // every cell
  ASSERT_EQ(adv_->Cur().sel.count, 150);
  // The owner loads a map with fewer rpm points.
  adv_->Cur().axisX.count = 10;
  adv_->Rebuild();
  const TSel& sel = adv_->Cur().sel;
  EXPECT_EQ(sel.count, 100);
  EXPECT_EQ(sel.maxCol, 9);
  host_.text.clear();
  adv_->Copy();
  EXPECT_EQ(std::count(host_.text.begin(), host_.text.end(), '\n'), 9);
  EXPECT_EQ(std::count(host_.text.begin(), host_.text.end(), '\t'), 90);
  // A later increment touches no cell beyond the sheet.
  const int32_t beyond = adv_->Cur().Cell(12, 3);
  adv_->Increment(1);
  EXPECT_EQ(adv_->Cur().Cell(12, 3), beyond);
}

TEST_F(MapTest, DeadlineCommitRecomputesTheSheetItWasMadeOn) {
  std::vector<int> committedSheets;
  adv_->onTableChanged = [&](TTab& t) { committedSheets.push_back(t.current); };
  adv_->SelectItem(3, 3);
  adv_->Increment(1);  // pending on sheet 0
  adv_->SelectSheet(1);
  for (int i = 0; i < 10; ++i) adv_->Tick();
  ASSERT_EQ(committedSheets.size(), 1u);
  EXPECT_EQ(adv_->Sheet(0).absCells[3 * kRowStride + 3], adv_->Sheet(0).Cell(3, 3));
  // An edit on the new sheet with the same key does not swallow the pending one.
  adv_->SelectSheet(0);
  adv_->SelectItem(2, 2);
  adv_->Increment(1);
  adv_->SelectSheet(1);
  adv_->SelectItem(2, 2);
  adv_->Increment(1);
  EXPECT_EQ(committedSheets.size(), 2u);  // sheet 0's edit committed at once
  for (int i = 0; i < 10; ++i) adv_->Tick();
  EXPECT_EQ(committedSheets.size(), 3u);
  EXPECT_EQ(adv_->Sheet(0).absCells[2 * kRowStride + 2], adv_->Sheet(0).Cell(2, 2));
  EXPECT_EQ(adv_->Sheet(1).absCells[2 * kRowStride + 2], adv_->Sheet(1).Cell(2, 2));
}

TEST(ExtremeLimits, NoOverflowAnywhere) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    const char* name;
    int32_t minValue, maxValue, minGap;
    int32_t edited;  // value written into breakpoint 2
  } cases[] = {
      {"full range, pushed to the top", kMin, kMax, 1000, kMax},
      {"full range, pushed to the bottom", kMin, kMax, 1000, kMin},
      {"huge gap", kMin, kMax, kMax, 0},
      {"limits near the top", kMax - 10, kMax, 1, kMin},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CAxe a;
    a.count = a.maxCount = 6;
    a.minValue = c.minValue;
    a.maxValue = c.maxValue;
    a.minGap = c.minGap;
    for (int i = 0; i < 6; ++i) a.values[i] = i;
    NormaliseBreakpoints(a);
    a.values[2] = c.edited;
    NormaliseBreakpoints(a);  // runs under -fsanitize=undefined in the sanitizer build
    for (int i = 0; i < 6; ++i) {
      EXPECT_GE(a.values[i], std::min(c.minValue, c.maxValue));
      EXPECT_LE(a.values[i], std::max(c.minValue, c.maxValue));
    }
  }
}

TEST_F(MapTest, HugeNumbersAreClampedBeforeTheyBecomeIntegers) {
  // Typed.
  adv_->SelectItem(3, 3);
  for (char c : std::string("9999999999999999")) adv_->KeyChar(c);
  ASSERT_TRUE(adv_->AcceptEditor());
  EXPECT_EQ(adv_->Cur().Cell(3, 3), 60);
  adv_->SelectItem(4, -1);
  adv_->KeyDown(TKey::Backspace, 0);  // opens the editor empty, so "-" is typed, not a step
  for (char c : std::string("-999999999999999")) adv_->KeyChar(c);
  ASSERT_TRUE(adv_->AcceptEditor());
  EXPECT_EQ(adv_->Cur().axisX.values[4], 3 + 4);  // pushed above the lower neighbours
  // Pasted.
  adv_->SelectItem(5, 5);
  EXPECT_TRUE(adv_->PastePlain("9999999999999999\t-9999999999999999"));
  EXPECT_EQ(adv_->Cur().Cell(5, 5), 60);
  EXPECT_EQ(adv_->Cur().Cell(6, 5), -30);
  // A huge data scale steps the base advance without overflowing the conversion.
  adv_->Cur().axisData.scale = 1e300;
  adv_->liveRpm = 100;
  adv_->UpdateOperatingPoint();
  ASSERT_EQ(adv_->Cur().actualCol, -1);
  adv_->ClearSelection();
  adv_->Increment(1);
  SUCCEED();
}

TEST(HostAttach, NameWidthIsMeasuredWithTheHostsFont) {
  struct WideHost : FakeHost {
    int TextWidth(const std::string& text, int) override {
      return static_cast<int>(text.size()) * 20;
    }
  } host;
  TTableSet set;
  TTab* t = CreateAdvanceMap(set, 1, {});
  const int estimate = t->Sheet(0).nameWidth;
  t->AttachHost(&host);
  const int widest = static_cast<int>(MapeditText(t->Sheet(0).name, kLangGerman).size());
  EXPECT_GE(t->Sheet(0).nameWidth, widest * 20 + 15);
  EXPECT_NE(t->Sheet(0).nameWidth, estimate);
}

}  // namespace
}  // namespace zeda
