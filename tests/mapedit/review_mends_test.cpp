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
  adv->SelectItem(2, 2);
  ASSERT_TRUE(adv->KeyChar('4'));
  ASSERT_TRUE(adv->KeyChar('4'));
  ASSERT_TRUE(adv->editor.editing);
  // The owner loads new values and rebuilds.
  adv->cur().cell(2, 2) = 17;
  adv->Rebuild();
  EXPECT_FALSE(adv->editor.editing);
  EXPECT_EQ(adv->cur().cell(2, 2), 17);
  for (int i = 0; i < 10; ++i) adv->Tick();
  EXPECT_EQ(log.count(), 0u);
  EXPECT_EQ(adv->cur().cell(2, 2), 17);
}

TEST_F(MapTest, OwnCopyPastesBackWithALongThreeLanguageName) {
  // Each variant is short, all three together are far beyond a header line.
  adv->cur().name = "###Ignition advance map one##Zuendverstellkennfeld eins##Mapa predstihu jedna";
  for (int lang : {kLangEnglish, kLangGerman, kLangCzech}) {
    SCOPED_TRACE(lang);
    setMapeditLanguage(lang);
    adv->CopyTable();
    EXPECT_EQ(host.sheet.substr(0, host.sheet.find('\n')),
              "Label:\t" + mapeditText(adv->cur().name, lang));
    const auto cells = adv->cur().cells;
    const auto xs = adv->cur().axisX.values;
    adv->cur().cell(3, 3) = 40;
    adv->cur().axisX.values[14] = 200;
    EXPECT_TRUE(adv->PasteTable(host.sheet));
    EXPECT_EQ(adv->cur().cells, cells);
    EXPECT_EQ(adv->cur().axisX.values, xs);
  }
  // A single variant longer than a header line is cut, and still pastes back.
  adv->cur().name = std::string(200, 'A');
  setMapeditLanguage(kLangEnglish);
  adv->CopyTable();
  EXPECT_LE(host.sheet.find('\n'), 64u);
  EXPECT_TRUE(adv->PasteTable(host.sheet));
}

TEST_F(MapTest, OperatingPointIncrementIgnoresTheSelection) {
  adv->liveRpm = 2500;
  adv->liveTp = 30;
  adv->UpdateOperatingPoint();
  const CSheet& s = adv->cur();
  ASSERT_GT(s.actualState, 0);
  const int c = s.actualCol, r = s.actualRow;
  adv->SelectItem(0, 0);
  const int32_t live = s.cell(c, r), selected = s.cell(0, 0);
  EXPECT_TRUE(adv->IncrementOperatingPoint(1));
  EXPECT_EQ(s.cell(c, r), live + 1);
  EXPECT_EQ(s.cell(0, 0), selected);
  // Before the first rpm breakpoint it steps the base advance.
  adv->liveRpm = 500;
  adv->UpdateOperatingPoint();
  ASSERT_EQ(s.actualCol, -1);
  const int32_t base = adv->baseAdvance;
  EXPECT_TRUE(adv->IncrementOperatingPoint(-1));
  EXPECT_EQ(adv->baseAdvance, base - 1);
  // Engine stopped: nothing to step.
  adv->liveRpm = 0;
  adv->UpdateOperatingPoint();
  EXPECT_FALSE(adv->IncrementOperatingPoint(1));
}

TEST_F(MapTest, PlusAndMinusStepOncePerKeystroke) {
  // A widget forwards a keystroke as KeyDown and, when unused, as its character.
  auto keystroke = [&](TKey key, char c) {
    if (!adv->KeyDown(key, 0)) adv->KeyChar(c);
  };
  adv->SelectItem(4, 4);
  const int32_t v = adv->cur().cell(4, 4);
  keystroke(TKey::Plus, '+');
  EXPECT_EQ(adv->cur().cell(4, 4), v + 1);
  keystroke(TKey::Minus, '-');
  keystroke(TKey::Minus, '-');
  EXPECT_EQ(adv->cur().cell(4, 4), v - 1);
  // In the editor the minus is a character.
  keystroke(TKey::Other, '5');
  keystroke(TKey::Minus, '-');
  EXPECT_EQ(adv->editor.text, "5-");
}

TEST_F(MapTest, ShrunkAxisDropsMarksOutsideTheSheet) {
  adv->PressSelectorCorner();  // every cell
  ASSERT_EQ(adv->cur().sel.count, 150);
  // The owner loads a map with fewer rpm points.
  adv->cur().axisX.count = 10;
  adv->Rebuild();
  const TSel& sel = adv->cur().sel;
  EXPECT_EQ(sel.count, 100);
  EXPECT_EQ(sel.maxCol, 9);
  host.text.clear();
  adv->Copy();
  EXPECT_EQ(std::count(host.text.begin(), host.text.end(), '\n'), 9);
  EXPECT_EQ(std::count(host.text.begin(), host.text.end(), '\t'), 90);
  // A later increment touches no cell beyond the sheet.
  const int32_t beyond = adv->cur().cell(12, 3);
  adv->Increment(1);
  EXPECT_EQ(adv->cur().cell(12, 3), beyond);
}

TEST_F(MapTest, DeadlineCommitRecomputesTheSheetItWasMadeOn) {
  std::vector<int> committedSheets;
  adv->onTableChanged = [&](TTab& t) { committedSheets.push_back(t.current); };
  adv->SelectItem(3, 3);
  adv->Increment(1);  // pending on sheet 0
  adv->SelectSheet(1);
  for (int i = 0; i < 10; ++i) adv->Tick();
  ASSERT_EQ(committedSheets.size(), 1u);
  EXPECT_EQ(adv->sheet(0).absCells[3 * kRowStride + 3], adv->sheet(0).cell(3, 3));
  // An edit on the new sheet with the same key does not swallow the pending one.
  adv->SelectSheet(0);
  adv->SelectItem(2, 2);
  adv->Increment(1);
  adv->SelectSheet(1);
  adv->SelectItem(2, 2);
  adv->Increment(1);
  EXPECT_EQ(committedSheets.size(), 2u);  // sheet 0's edit committed at once
  for (int i = 0; i < 10; ++i) adv->Tick();
  EXPECT_EQ(committedSheets.size(), 3u);
  EXPECT_EQ(adv->sheet(0).absCells[2 * kRowStride + 2], adv->sheet(0).cell(2, 2));
  EXPECT_EQ(adv->sheet(1).absCells[2 * kRowStride + 2], adv->sheet(1).cell(2, 2));
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
    normaliseBreakpoints(a);
    a.values[2] = c.edited;
    normaliseBreakpoints(a);  // runs under -fsanitize=undefined in the sanitizer build
    for (int i = 0; i < 6; ++i) {
      EXPECT_GE(a.values[i], std::min(c.minValue, c.maxValue));
      EXPECT_LE(a.values[i], std::max(c.minValue, c.maxValue));
    }
  }
}

TEST_F(MapTest, HugeNumbersAreClampedBeforeTheyBecomeIntegers) {
  // Typed.
  adv->SelectItem(3, 3);
  for (char c : std::string("9999999999999999")) adv->KeyChar(c);
  ASSERT_TRUE(adv->AcceptEditor());
  EXPECT_EQ(adv->cur().cell(3, 3), 60);
  adv->SelectItem(4, -1);
  adv->KeyDown(TKey::Backspace, 0);  // opens the editor empty, so "-" is typed, not a step
  for (char c : std::string("-999999999999999")) adv->KeyChar(c);
  ASSERT_TRUE(adv->AcceptEditor());
  EXPECT_EQ(adv->cur().axisX.values[4], 3 + 4);  // pushed above the lower neighbours
  // Pasted.
  adv->SelectItem(5, 5);
  EXPECT_TRUE(adv->PastePlain("9999999999999999\t-9999999999999999"));
  EXPECT_EQ(adv->cur().cell(5, 5), 60);
  EXPECT_EQ(adv->cur().cell(6, 5), -30);
  // A huge data scale steps the base advance without overflowing the conversion.
  adv->cur().axisData.scale = 1e300;
  adv->liveRpm = 100;
  adv->UpdateOperatingPoint();
  ASSERT_EQ(adv->cur().actualCol, -1);
  adv->ClearSelection();
  adv->Increment(1);
  SUCCEED();
}

TEST(HostAttach, NameWidthIsMeasuredWithTheHostsFont) {
  struct WideHost : FakeHost {
    int textWidth(const std::string& text, int) override {
      return static_cast<int>(text.size()) * 20;
    }
  } host;
  TTableSet set;
  TTab* t = CreateAdvanceMap(set, 1, {});
  const int estimate = t->sheet(0).nameWidth;
  t->AttachHost(&host);
  const int widest = static_cast<int>(mapeditText(t->sheet(0).name, kLangGerman).size());
  EXPECT_GE(t->sheet(0).nameWidth, widest * 20 + 15);
  EXPECT_NE(t->sheet(0).nameWidth, estimate);
}

}  // namespace
}  // namespace zeda
