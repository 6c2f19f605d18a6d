// Keyboard navigation and the in-place editor.
#include <gtest/gtest.h>

#include "mapedit/map_fixture.h"

namespace zeda {
namespace {

using test::MapTest;

struct NavCase {
  const char* name;
  int col, row;  // start
  TKey key;
  int mods;
  int expectedCol, expectedRow;
};

TEST_F(MapTest, NavigationMoves) {
  // Advance map: 15 columns, 10 rows, nothing fixed.
  const NavCase cases[] = {
      {"right", 3, 2, TKey::Right, 0, 4, 2},
      {"right wraps to the Y column", 14, 2, TKey::Right, 0, -1, 2},
      {"left from the Y column wraps to the last", -1, 2, TKey::Left, 0, 14, 2},
      {"left on the X row wraps past column 0", 0, -1, TKey::Left, 0, 14, -1},
      {"down wraps to the X row", 5, 9, TKey::Down, 0, 5, -1},
      {"up from the X row wraps", 5, -1, TKey::Up, 0, 5, 9},
      {"up in the Y column skips the corner", -1, 0, TKey::Up, 0, -1, 9},
      {"home", 7, 3, TKey::Home, 0, 0, 3},
      {"end", 7, 3, TKey::End, 0, 14, 3},
      {"page up", 7, 3, TKey::PageUp, 0, 7, 0},
      {"page down", 7, 3, TKey::PageDown, 0, 7, 9},
      {"enter goes down", 7, 3, TKey::Enter, 0, 7, 4},
      {"enter on the last row also goes right", 7, 9, TKey::Enter, 0, 8, -1},
      {"shift clamps instead of wrapping", 14, 2, TKey::Right, kModShift, 14, 2},
      {"shift down clamps", 3, 9, TKey::Down, kModShift, 3, 9},
  };
  for (const NavCase& c : cases) {
    int col = c.col, row = c.row;
    adv_->NavigateFrom(c.key, c.mods, col, row);
    EXPECT_EQ(col, c.expectedCol) << c.name;
    EXPECT_EQ(row, c.expectedRow) << c.name;
  }
}

TEST_F(MapTest, NavigationWithAFixedAxis) {
  adv_->Cur().axisY.fixed = true;  // rule -2: row 9
  adv_->Rebuild();
  const NavCase cases[] = {
      {"right wraps to column 0", 14, 9, TKey::Right, 0, 0, 9},
      {"down alternates with the X row", 4, 9, TKey::Down, 0, 4, -1},
      {"up from the X row back to the fixed row", 4, -1, TKey::Up, 0, 4, 9},
      {"page up is the fixed row", 4, 9, TKey::PageUp, 0, 4, 9},
      {"enter moves along the fixed row", 4, 9, TKey::Enter, 0, 5, 9},
      {"enter wraps at the end of the row", 14, 9, TKey::Enter, 0, 0, 9},
      {"shift keeps the fixed index", 4, 9, TKey::Down, kModShift, 4, 9},
  };
  for (const NavCase& c : cases) {
    int col = c.col, row = c.row;
    adv_->NavigateFrom(c.key, c.mods, col, row);
    EXPECT_EQ(col, c.expectedCol) << c.name;
    EXPECT_EQ(row, c.expectedRow) << c.name;
  }
}

TEST_F(MapTest, KeysSelectAndExtend) {
  adv_->SelectItem(2, 2);
  adv_->KeyDown(TKey::Right, 0);
  EXPECT_EQ(adv_->Cur().sel.minCol, 3);
  EXPECT_EQ(adv_->Cur().sel.count, 1);
  adv_->KeyDown(TKey::Down, kModShift);
  adv_->KeyDown(TKey::Right, kModShift);
  EXPECT_EQ(adv_->Cur().sel.count, 4);
  EXPECT_EQ(adv_->Cur().sel.maxCol, 4);
  EXPECT_EQ(adv_->Cur().sel.maxRow, 3);
  adv_->KeyDown(TKey::Escape, 0);
  EXPECT_EQ(adv_->Cur().sel.count, 0);
}

TEST_F(MapTest, TabCyclesVisibleSheets) {
  adv_->KeyDown(TKey::Tab, 0);
  EXPECT_EQ(adv_->current, 1);
  adv_->KeyDown(TKey::Tab, 0);
  EXPECT_EQ(adv_->current, 0);
  adv_->KeyDown(TKey::Tab, kModShift);
  EXPECT_EQ(adv_->current, 1);
  adv_->Sheet(0).hidden = true;
  adv_->KeyDown(TKey::Tab, 0);
  EXPECT_EQ(adv_->current, 1);
}

TEST_F(MapTest, TypingOpensTheEditorOnlyOnEditableItems) {
  adv_->SelectItem(-1, 3);  // throttle breakpoint: not editable
  int32_t y = adv_->Cur().axisY.values[3];
  EXPECT_FALSE(adv_->KeyChar('5'));
  EXPECT_FALSE(adv_->editor.editing);
  adv_->KeyChar('-');  // a decrement: not editable either
  EXPECT_EQ(adv_->Cur().axisY.values[3], y);
  adv_->SelectItem(4, 4);
  ASSERT_TRUE(adv_->KeyChar('5'));
  EXPECT_TRUE(adv_->editor.editing);
  EXPECT_EQ(adv_->editor.text, "5");
  EXPECT_EQ(adv_->editor.caret, 1);
}

TEST_F(MapTest, MinusWithEditorClosedDecrements) {
  adv_->SelectItem(4, 4);
  int32_t v = adv_->Cur().Cell(4, 4);
  adv_->KeyChar('-');
  EXPECT_EQ(adv_->Cur().Cell(4, 4), v - 1);
  EXPECT_FALSE(adv_->editor.editing);
}

TEST_F(MapTest, EditorTextRules) {
  adv_->SelectItem(4, 4);
  adv_->KeyDown(TKey::Insert, 0);
  ASSERT_TRUE(adv_->editor.editing);
  EXPECT_EQ(adv_->editor.text, adv_->ItemText(4, 4));
  EXPECT_EQ(adv_->editor.selStart, -1);
  adv_->editor.text.clear();
  adv_->editor.caret = 0;
  for (char c : std::string("12a3 4,5-.x")) adv_->KeyChar(c);
  EXPECT_EQ(adv_->editor.text, "123 4,5-.");
  for (int i = 0; i < 20; ++i) adv_->KeyChar('9');
  EXPECT_EQ(adv_->editor.text.size(), 16u);
  adv_->KeyDown(TKey::Home, 0);
  adv_->KeyDown(TKey::Right, kModShift);
  adv_->KeyDown(TKey::Right, kModShift);
  EXPECT_EQ(adv_->EditorSelectedText(), "12");
  adv_->KeyChar('7');  // replaces the selection even at 16 characters
  EXPECT_EQ(adv_->editor.text.substr(0, 3), "73 ");
  EXPECT_EQ(adv_->editor.text.size(), 15u);
  adv_->KeyDown(TKey::Backspace, 0);
  EXPECT_EQ(adv_->editor.text.substr(0, 2), "3 ");
  adv_->KeyDown(TKey::Delete, 0);
  EXPECT_EQ(adv_->editor.text.substr(0, 1), " ");
  adv_->KeyDown(TKey::Escape, 0);
  EXPECT_FALSE(adv_->editor.editing);
  EXPECT_EQ(log_.Count(), 0u);
}

TEST_F(MapTest, EditorPasteIsFiltered) {
  adv_->SelectItem(4, 4);
  adv_->OpenEditor(4, 4, "", false, 0);
  adv_->EditorPaste("1,5 kg\t99");
  EXPECT_EQ(adv_->editor.text, "1.5 ");
  adv_->EditorPaste("12345678901234567890");
  EXPECT_EQ(adv_->editor.text.size(), 16u);
}

struct AcceptCase {
  const char* name;
  int col, row;
  const char* text;
  bool accepted;
  int32_t expectedRaw;
};

TEST_F(MapTest, AcceptingConvertsByScale) {
  const AcceptCase cases[] = {
      {"cell", 4, 4, "12", true, 12},
      {"cell comma", 4, 4, "12,6", true, 13},
      {"cell negative", 4, 4, "-7.5", true, -8},
      {"rpm with groups", 3, -1, "2 640", true, 26},
      {"rpm half up", 3, -1, "2550", true, 26},
      {"garbage", 4, 4, "-", false, 0},
      {"empty", 4, 4, "", false, 0},
      {"huge stays in range", 4, 4, "9999999999999999", true, 60},
  };
  for (const AcceptCase& c : cases) {
    adv_->SelectItem(c.col, c.row);
    int32_t* item = adv_->Cur().Item(c.col, c.row);
    int32_t before = *item;
    size_t commits = log_.Count();
    ASSERT_TRUE(adv_->OpenEditor(c.col, c.row, c.text, false, -1)) << c.name;
    EXPECT_EQ(adv_->AcceptEditor(), c.accepted) << c.name;
    EXPECT_EQ(*item, c.accepted ? c.expectedRaw : before) << c.name;
    EXPECT_EQ(log_.Count(), commits + (c.accepted ? 1 : 0)) << c.name;
  }
}

TEST_F(MapTest, EnterAcceptsAndMovesDown) {
  adv_->SelectItem(2, 2);
  adv_->KeyChar('3');
  adv_->KeyChar('3');
  adv_->KeyDown(TKey::Enter, 0);
  EXPECT_FALSE(adv_->editor.editing);
  EXPECT_EQ(adv_->Cur().Cell(2, 2), 33);
  EXPECT_EQ(adv_->Cur().sel.minRow, 3);
}

TEST_F(MapTest, LosingFocusAcceptsOnTheNextTick) {
  adv_->SelectItem(2, 2);
  adv_->KeyChar('4');
  adv_->focused = false;
  adv_->Tick();
  EXPECT_FALSE(adv_->editor.editing);
  EXPECT_EQ(adv_->Cur().Cell(2, 2), 4);
}

TEST_F(MapTest, CaretBlinks) {
  adv_->SelectItem(2, 2);
  adv_->KeyChar('4');
  // The caret shows during the first 8 ticks of every 16: the editor is redrawn exactly
  // when it appears and when it disappears.
  std::vector<int> redrawnAt;
  for (int i = 1; i <= 32; ++i) {
    const int before = host_.redraws;
    adv_->Tick();
    if (host_.redraws != before) redrawnAt.push_back(adv_->editor.blink);
  }
  EXPECT_EQ(redrawnAt, (std::vector<int>{8, 0, 8, 0}));
}

}  // namespace
}  // namespace zeda
