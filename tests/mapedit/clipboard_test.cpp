// Copy and paste through the clipboard, in both formats.
#include <gtest/gtest.h>

#include "mapedit/lang_select.h"
#include "mapedit/map_fixture.h"
#include "mapedit/messages.h"

namespace zeda {
namespace {

using test::MapTest;

class ClipboardTest : public MapTest {
 protected:
  void TearDown() override { SetMapeditLanguage(kLangEnglish); }
  CSheet& S() { return adv_->Cur(); }
};

TEST_F(ClipboardTest, CopyCellsWithGaps) {
  S().Cell(1, 1) = 5;
  S().Cell(3, 1) = -7;
  S().Cell(2, 2) = 12;
  SelGrid g = S().SelectionGrid();
  SelSelectOne(S().sel, g, 1, 1);
  S().sel.Cell(3, 1) |= kMarkSelected;
  S().sel.Cell(2, 2) |= kMarkSelected;
  SelUpdate(S().sel, g);
  adv_->Copy();
  EXPECT_EQ(host_.text, "5\t\t-7\n\t12\t");
  EXPECT_EQ(host_.formats, kClipText);
}

TEST_F(ClipboardTest, CopyBreakpoints) {
  SelSelectRange(S().sel, S().SelectionGrid(), 8, -1, 10, -1);
  EXPECT_EQ(adv_->CopyText(), "5 000\t6 000\t7 000");
  SelSelectRange(S().sel, S().SelectionGrid(), -1, 7, -1, 9);
  EXPECT_EQ(adv_->CopyText(), "60\n80\n100");
}

TEST_F(ClipboardTest, CopyWithAFixedAxisWritesOnlyTheFixedRow) {
  S().axisY.fixed = true;
  adv_->Rebuild();
  SelSelectRange(S().sel, S().SelectionGrid(), 0, 0, 2, 9);
  EXPECT_EQ(adv_->CopyText(), "9\t10\t11");  // row 9: base 0 + c + 9
}

TEST_F(ClipboardTest, NothingSelectedPutsNothing) {
  adv_->ClearSelection();
  adv_->Copy();
  EXPECT_EQ(host_.formats, 0);
}

TEST_F(ClipboardTest, EditorCopiesItsSelectedText) {
  adv_->OpenEditor(2, 2, "12.5", true, 0);
  EXPECT_EQ(adv_->CopyText(), "12.5");
}

TEST_F(ClipboardTest, CopyTablePrivateFormat) {
  TTableSet set2;
  TTab* t = CreatePwmTable(set2, 9, "PWM 1", 0);
  CSheet& p = t->Cur();
  int32_t xs[6] = {10, 20, 30, 40, 50, 60};
  test::FillSheet(*t, 0, xs, 6, 0);
  int32_t ys[4] = {0, 30, 60, 100};
  for (int i = 0; i < 4; ++i) p.axisY.values[i] = ys[i];
  std::string text, sheet;
  t->CopyTableTexts(text, sheet);
  EXPECT_EQ(sheet,
            "Label:\tPWM 1\n"
            "LabelX:\tRPM\n"
            "LabelY:\tTP\n"
            "LabelData:\tPO\n"
            "SizeX:\t6\n"
            "SizeY:\t4\n"
            "OnlyXY:\t\n"
            "\t1 000\t2 000\t3 000\t4 000\t5 000\t6 000\n"
            "0\t0\t1\t2\t3\t4\t5\n"
            "30\t1\t2\t3\t4\t5\t6\n"
            "60\t2\t3\t4\t5\t6\t7\n"
            "100\t3\t4\t5\t6\t7\t8");
  EXPECT_EQ(text,
            "\t1 000\t2 000\t3 000\t4 000\t5 000\t6 000\n"
            "0\t0\t1\t2\t3\t4\t5\n"
            "30\t1\t2\t3\t4\t5\t6\n"
            "60\t2\t3\t4\t5\t6\t7\n"
            "100\t3\t4\t5\t6\t7\t8");
}

TEST_F(ClipboardTest, CopyTableOverRpmAloneIsTwoLines) {
  S().axisY.fixed = true;
  adv_->Rebuild();
  std::string text, sheet;
  adv_->CopyTableTexts(text, sheet);
  EXPECT_EQ(text,
            "1 000\t1 500\t2 000\t2 500\t3 000\t3 500\t4 000\t4 500\t5 000\t6 000\t7 000\t8 000\t"
            "9 000\t10 000\t11 000\n"
            "9\t10\t11\t12\t13\t14\t15\t16\t17\t18\t19\t20\t21\t22\t23");
  EXPECT_NE(sheet.find("OnlyXY:\tY\n"), std::string::npos);
}

TEST(ClipboardZone, SwitchingTableHasAnExtraColumnAndRow) {
  TTableSet set;
  TTab* t = CreateSwitchingTable(set, 4, "PO 1", 0);
  CSheet& s = t->Cur();
  int32_t xs[3] = {20, 40, 60};
  test::FillSheet(*t, 0, xs, 3, 0);
  s.axisY.values[0] = 20;
  s.axisY.values[1] = 80;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) s.Cell(c, r) = (c + r) % 3;
  std::string text, sheet;
  t->CopyTableTexts(text, sheet);
  EXPECT_NE(sheet.find("\t2 000\t4 000\t6 000\n20\t0\t1\t2\t0\n80\t1\t2\t0\t1\n\t2\t0\t1\t2"),
            std::string::npos)
      << sheet;
}

TEST_F(ClipboardTest, CopyTableBetweenTheAdvanceMapsKeepsEveryValue) {
  CSheet& a = adv_->Sheet(0);
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) a.Cell(c, r) = ((c * 7 + r * 13) % 91) - 30;
  int32_t xs[15] = {5, 9, 14, 18, 22, 27, 31, 36, 44, 52, 63, 75, 90, 120, 160};
  for (int i = 0; i < 15; ++i) a.axisX.values[i] = xs[i];
  adv_->Normalise(0, kPartAll | kForgetLastEdited);
  adv_->CopyTable();
  ASSERT_EQ(host_.formats, kClipText | kClipSheet);
  // Into the other map of the same table, which has fewer columns.
  adv_->SelectSheet(1);
  adv_->DeleteColumn(14);
  adv_->DeleteColumn(13);
  log_.ticks.clear();
  adv_->Paste();
  CSheet& b = adv_->Sheet(1);
  EXPECT_EQ(b.axisX.count, 15);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(b.axisX.values[i], xs[i]) << i;
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) EXPECT_EQ(b.Cell(c, r), a.Cell(c, r)) << c << "," << r;
  EXPECT_EQ(log_.Count(), 1u);
  EXPECT_TRUE(host_.messages.empty());
  // And into another advance map table.
  TTab* other = CreateAdvanceMap(set_, 5, {});
  other->host = &host_;
  other->Paste();
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) EXPECT_EQ(other->Cur().Cell(c, r), a.Cell(c, r));
}

TEST_F(ClipboardTest, TablePasteIntoThePressureSensorIsRefused) {
  adv_->CopyTable();
  TTab* iap = CreatePressureSensorTable(set_, 6, 0);
  iap->host = &host_;
  test::ChangeLog other;
  other.Attach(*iap);
  int32_t before = iap->Cur().Cell(0, 0);
  iap->Paste();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(
      host_.messages[0],
      "Table dimensions are not eqal and there is unable to change it !\nInsertion canceled...");
  EXPECT_EQ(iap->Cur().Cell(0, 0), before);
  EXPECT_EQ(other.Count(), 0u);
}

TEST(ClipboardRules, TablePasteRules) {
  struct Case {
    const char* name;
    std::string text;
    bool pasted;
    bool message;
  };
  const std::string grid = "\t1 000\t2 000\n0\t1\t2\n";
  const Case cases[] = {
      {"no key matches", "LabelX:\tU\nLabelY:\tV\nLabelData:\tW\nSizeX:\t15\nSizeY:\t10\n" + grid,
       false, false},
      {"zero size", "LabelX:\tRPM\nSizeX:\t0\nSizeY:\t10\n" + grid, false, false},
      {"rows differ on a fixed-point axis",
       "LabelX:\tRPM\nLabelY:\tTP\nLabelData:\tADV\nSizeX:\t15\nSizeY:\t4\n" + grid, false, true},
      {"columns differ without the data key",
       "LabelX:\tRPM\nLabelY:\tTP\nSizeX:\t2\nSizeY:\t10\n" + grid, false, true},
      {"columns may change with X and data keys",
       "LabelX:\tRPM\nLabelData:\tADV\nSizeX:\t2\nSizeY:\t10\n" + grid, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Every case on a fresh map, so no case depends on what an earlier one pasted.
    TTableSet set;
    test::FakeHost host;
    TTab* adv = CreateAdvanceMap(set, 1, {});
    adv->host = &host;
    test::FillSheet(*adv, 0, test::kRpm15, 15, 0);
    const CSheet before = adv->Cur();
    EXPECT_EQ(adv->PasteTable(c.text), c.pasted);
    EXPECT_EQ(!host.messages.empty(), c.message);
    const CSheet& s = adv->Cur();
    if (c.pasted) {
      EXPECT_EQ(s.axisX.count, 2);
      EXPECT_EQ(s.axisX.values[0], 10);
      EXPECT_EQ(s.axisX.values[1], 20);
      EXPECT_EQ(s.Cell(0, 0), 1);
    } else {
      EXPECT_EQ(s.axisX.count, before.axisX.count);
      EXPECT_EQ(s.axisX.values, before.axisX.values);
      EXPECT_EQ(s.cells, before.cells);
    }
  }
}

TEST_F(ClipboardTest, TablePasteOnlyXYFixesTheLoadAxis) {
  std::string text =
      "LabelX:\tRPM\nLabelY:\tTP\nLabelData:\tADV\nSizeX:\t15\nSizeY:\t10\nOnlyXY:\tY\n\t10\n";
  ASSERT_TRUE(adv_->PasteTable(text));
  EXPECT_TRUE(S().axisY.fixed);
  EXPECT_EQ(S().axisX.values[0], 0 + 3);  // 10 rpm: 0.1 raw, rounded 0, raised to the minimum
}

TEST_F(ClipboardTest, PlainPasteDigitGroupsIntoRpmBreakpoints) {
  // 1 000 / 100 = 10 and 2 000 / 100 = 20, wherever they land; normalisation makes room
  // below them.
  for (int start : {0, 2}) {
    SCOPED_TRACE(start);
    adv_->SelectItem(start, -1);
    const size_t commits = log_.Count();
    ASSERT_TRUE(adv_->PastePlain("1 000\t2 000"));
    EXPECT_EQ(S().axisX.values[start], 10);
    EXPECT_EQ(S().axisX.values[start + 1], 20);
    EXPECT_EQ(S().sel.kind, kSelX);
    EXPECT_EQ(S().sel.count, 2);
    EXPECT_EQ(log_.Count(), commits + 1);
  }
}

TEST_F(ClipboardTest, BraceListFillsATwoByTwoBlock) {
  adv_->SelectItem(3, 4);
  ASSERT_TRUE(adv_->PastePlain("{{11, 12}, {21, 22}}"));
  EXPECT_EQ(S().Cell(3, 4), 11);
  EXPECT_EQ(S().Cell(4, 4), 12);
  EXPECT_EQ(S().Cell(3, 5), 21);
  EXPECT_EQ(S().Cell(4, 5), 22);
  EXPECT_EQ(S().sel.count, 4);
  EXPECT_TRUE(S().sel.Cell(4, 5) & kMarkSelected);
}

TEST_F(ClipboardTest, LargeValuesAreThousandths) {
  struct Case {
    const char* text;
    int32_t expected;
  };
  for (Case c :
       {Case{"12500", 13}, Case{"300", 60}, Case{"301", 0}, Case{"-12500", -30}, Case{"59", 59}}) {
    adv_->SelectItem(2, 2);
    ASSERT_TRUE(adv_->PastePlain(c.text)) << c.text;
    EXPECT_EQ(S().Cell(2, 2), c.expected) << c.text;
  }
}

TEST_F(ClipboardTest, PlainPasteTargets) {
  // Values beyond the sheet are skipped; a Y column takes one field per line.
  adv_->SelectItem(13, 8);
  ASSERT_TRUE(adv_->PastePlain("1\t2\t3\n4\t5\t6\n7\t8\t9"));
  EXPECT_EQ(S().Cell(13, 8), 1);
  EXPECT_EQ(S().Cell(14, 9), 5);
  EXPECT_EQ(S().sel.count, 4);
  // Throttle breakpoints are not editable.
  adv_->SelectItem(-1, 2);
  EXPECT_FALSE(adv_->PastePlain("7\n8"));
  // Nothing selected: no target.
  adv_->ClearSelection();
  EXPECT_FALSE(adv_->PastePlain("1"));
}

TEST_F(ClipboardTest, PlainPasteWithFixedAxisGoesIntoTheFixedRow) {
  S().axisY.fixed = true;
  adv_->Rebuild();
  adv_->SelectItem(2, 9);
  ASSERT_TRUE(adv_->PastePlain("31\t32\n41\t42"));
  EXPECT_EQ(S().Cell(2, 9), 31);
  EXPECT_EQ(S().Cell(3, 9), 32);
  EXPECT_NE(S().Cell(2, 8), 41);
}

TEST(ClipboardCzech, DecimalCommasOutAndBackIn) {
  TTableSet set;
  test::FakeHost host;
  TTab* t = CreateLambdaSensorTable(set, 7, 0);
  t->host = &host;
  CSheet& s = t->Cur();
  int32_t afr[6] = {100, 120, 135, 147, 160, 190};
  for (int i = 0; i < 6; ++i) {
    s.axisY.values[i] = afr[i];
    s.Cell(0, i) = 500 + 750 * i;
  }
  t->Normalise(0, kPartAll | kForgetLastEdited);
  SetMapeditLanguage(kLangCzech);
  SelSelectRange(s.sel, s.SelectionGrid(), 0, 0, 0, 5);
  t->Copy();
  EXPECT_EQ(host.text, "0,5\n1,25\n2\n2,75\n3,5\n4,25");
  std::string text, sheet;
  t->CopyTableTexts(text, sheet);
  EXPECT_EQ(text, "10\t0,5\n12\t1,25\n13,5\t2\n14,7\t2,75\n16\t3,5\n19\t4,25");
  // Back in, over cleared values.
  for (int i = 0; i < 6; ++i) s.Cell(0, i) = 0;
  t->SelectItem(0, 0);
  ASSERT_TRUE(t->PastePlain(host.text));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.Cell(0, i), 500 + 750 * i) << i;
  for (int i = 0; i < 6; ++i) s.Cell(0, i) = 0, s.axisY.values[i] = 0;
  t->Normalise(0, kPartAll | kForgetLastEdited);
  ASSERT_TRUE(t->PasteTable(sheet));
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(s.Cell(0, i), 500 + 750 * i) << i;
    EXPECT_EQ(s.axisY.values[i], afr[i]) << i;
  }
  SetMapeditLanguage(kLangEnglish);
}

}  // namespace
}  // namespace zeda
