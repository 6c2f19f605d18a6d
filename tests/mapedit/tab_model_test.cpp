#include "mapedit/tab_model.h"

#include <gtest/gtest.h>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

TEST(TableSet, RefusesTheFiftyFirstTable) {
  TTableSet set;
  for (int i = 0; i < kMaxTables; ++i) ASSERT_NE(set.CreateTable(i, 0, 0, 0x71), nullptr);
  EXPECT_EQ(set.CreateTable(50, 0, 0, 0x71), nullptr);
  EXPECT_EQ(set.Count(), 50);
  EXPECT_EQ(set.Table(0).width, 500);
  EXPECT_EQ(set.Table(0).height, 200);
  EXPECT_EQ(set.Table(7).id, 7);
  EXPECT_EQ(set.Table(7).autoscroll, &set.autoscroll);
  EXPECT_EQ(set.pushOverlays, 1u);
}

TEST(TableSet, TickHandsOverOverlaysAndLiveValues) {
  TTableSet set;
  TTab* t = CreateAdvanceMap(set, 1, {});
  TableTickInputs in;
  in.baseAdvance = 12;
  in.limiter = 9000;
  in.startLimiter = 3000;
  in.rpm = 2500;
  in.tpPresent = true;
  in.tpTenths = 455;
  in.iap = 87;
  in.liveFlags = 0x11;
  set.Tick(in);
  EXPECT_EQ(t->baseAdvance, 12);
  EXPECT_EQ(t->liveRpm, 2500);
  EXPECT_EQ(t->liveTp, 45);
  EXPECT_EQ(t->liveIap, 87);
  EXPECT_EQ(t->liveFlags, 0x11u);
  EXPECT_EQ(t->tick, 1);
  EXPECT_EQ(set.pushOverlays, 0u);
  // Without a push the overlays stay the table's own.
  in.baseAdvance = 5;
  in.tpPresent = false;
  set.Tick(in);
  EXPECT_EQ(t->baseAdvance, 12);
  EXPECT_EQ(t->liveTp, 100);
  // An overlay as it was given is not the table's edit: nothing goes back.
  int32_t ba = 10, lim = 9000, st = 3000;
  set.TakeOverlays(*t, ba, lim, st);
  EXPECT_EQ(ba, 10);
  EXPECT_EQ(set.pushOverlays, 0u);
  // The owner takes changed overlays back and asks for a push.
  t->baseAdvance = 14;
  set.TakeOverlays(*t, ba, lim, st);
  EXPECT_EQ(ba, 14);
  EXPECT_EQ(lim, 9000);
  EXPECT_EQ(set.pushOverlays, 2u);
}

TEST(TableSet, ReloadedMapsCountAsUnchanged) {
  TTableSet set;
  TTab* t = CreateAdvanceMap(set, 1, {});
  CSheet& s = t->Sheet(0);
  for (int i = 0; i < 15; ++i) s.axisX.values[i] = 10 + 5 * i;
  TableTickInputs in;
  in.mapsReloaded = true;
  set.Tick(in);
  EXPECT_EQ(s.axisX.prevValues, s.axisX.values);
}

TEST(TabModel, AddSheetLimitsAndSizes) {
  TTab t(1, 0x71);
  EXPECT_EQ(t.AddSheet("A", "x", "y", "d", 80, 45, 0), 0);
  EXPECT_EQ(t.Sheet(0).axisX.maxCount, 50);
  EXPECT_EQ(t.Sheet(0).axisX.count, 50);
  EXPECT_EQ(t.Sheet(0).axisY.maxCount, 30);
  EXPECT_EQ(t.Sheet(0).axisY.count, 30);
  EXPECT_TRUE(t.Sheet(0).axisData.proportional);
  EXPECT_TRUE(BreakpointsValid(t.Sheet(0).axisX));
  EXPECT_GT(t.Sheet(0).nameWidth, 15);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(t.AddSheet("S", "", "", "", 3, 3, 0), i);
  EXPECT_EQ(t.AddSheet("ninth", "", "", "", 3, 3, 0), -1);
  EXPECT_EQ(t.sheetCount, 8);
}

TEST(TabModel, NameWidthIsTheWidestLanguage) {
  TTab t(1, 0x71);
  test::FakeHost host;
  t.host = &host;
  t.AddSheet("###Ab##Abcdefgh##Abc", "", "", "", 3, 3, 0);
  EXPECT_EQ(t.Sheet(0).nameWidth, host.TextWidth("Abcdefgh", 13) + 15);
}

TEST(TabModel, DefineAxisClampsCountsAndIgnoresBadSheet) {
  TTab t(1, 0x71);
  t.AddSheet("A", "", "", "", 15, 10, 0);
  t.DefineAxis(5, 1, "RPM", "", 3, 250, 100, 1, {}, true, 1, 1, 15, 0, false, true, -1, 0, 0);
  EXPECT_EQ(t.Sheet(0).axisX.key, "");
  t.DefineAxis(0, 3, "K", "u", 0, 100, 1, 1, {}, true, 1, 0, 99, 1, false, true, -2, 0x100, 7);
  EXPECT_EQ(t.Sheet(0).axisX.minCount, 1);
  EXPECT_EQ(t.Sheet(0).axisX.count, 15);
  EXPECT_EQ(t.Sheet(0).axisY.count, 10);
  EXPECT_TRUE(t.Sheet(0).axisX.proportional);
  EXPECT_EQ(t.Sheet(0).axisY.groupMask, 0x100u);
  t.DefineAxis(0, 1, "K", "u", 0, 100, 1, 1, {}, true, 0, 40, 3, 1, false, true, -1, 0, 0);
  EXPECT_EQ(t.Sheet(0).axisX.minCount, 15);  // not above maxCount
  EXPECT_EQ(t.Sheet(0).axisX.count, 15);
  EXPECT_FALSE(t.Sheet(0).axisX.proportional);
  t.DefineAxis(0, 4, "ADV", "\u00b0", -30, 60, 1, 1, {}, false, 0, 5, 5, 2, true, true, -1, 0, 0);
  EXPECT_EQ(t.Sheet(0).axisData.key, "ADV");
  EXPECT_TRUE(t.Sheet(0).axisData.proportional);
  EXPECT_FALSE(t.Sheet(0).axisData.editable);
  EXPECT_EQ(t.Sheet(0).axisData.count, 0);
}

TEST_F(MapTest, SelectSheetRemembersPreviousAndIgnoresBadIndex) {
  adv_->SelectSheet(1);
  EXPECT_EQ(adv_->current, 1);
  EXPECT_EQ(adv_->previous, 0);
  adv_->SelectSheet(2);
  adv_->SelectSheet(-1);
  EXPECT_EQ(adv_->current, 1);
  adv_->KeyDown(TKey::Tab, kModCtrl);
  EXPECT_EQ(adv_->current, 0);
}

TEST_F(MapTest, SelectingAnotherSheetAcceptsTheEditor) {
  adv_->SelectItem(2, 3);
  ASSERT_TRUE(adv_->KeyChar('7'));
  adv_->SelectSheet(1);
  EXPECT_FALSE(adv_->editor.editing);
  EXPECT_EQ(adv_->Sheet(0).Cell(2, 3), 7);
  EXPECT_EQ(log_.Count(), 1u);
}

TEST_F(MapTest, OverlayClamps) {
  struct Case {
    int32_t in, expected;
  };
  for (Case c : {Case{100, 60}, Case{-45, -30}, Case{12, 12}}) {
    adv_->baseAdvance = c.in;
    adv_->Normalise(0, 0);
    EXPECT_EQ(adv_->baseAdvance, c.expected);
  }
  adv_->limiter = 40000;
  adv_->startLimiter = 100;
  adv_->Normalise(0, 0);
  EXPECT_EQ(adv_->limiter, 25000);
  EXPECT_EQ(adv_->startLimiter, 300);
}

TEST_F(MapTest, CellClampAndFixedIndexOnRebuild) {
  CSheet& s = adv_->Sheet(0);
  s.Cell(3, 2) = 500;
  s.Cell(4, 2) = -500;
  adv_->Normalise(0, kPartCells);
  EXPECT_EQ(s.Cell(3, 2), 60);
  EXPECT_EQ(s.Cell(4, 2), -30);
  s.axisY.fixed = true;
  adv_->Rebuild();
  EXPECT_EQ(s.axisY.fixedIndex, 9);  // rule -2: the last
}

TEST_F(MapTest, AdvanceMapsShareTheirRpmBreakpoints) {
  CSheet& s0 = adv_->Sheet(0);
  s0.axisX.values[14] = 120;
  adv_->CommitEdit(kPartX, kKeyNow);
  EXPECT_EQ(adv_->Sheet(1).axisX.otherValues[14], 120);
  EXPECT_EQ(adv_->Sheet(1).axisX.otherCount, 15);
}

}  // namespace
}  // namespace zeda
