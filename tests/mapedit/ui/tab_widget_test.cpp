// The table control driven by mouse and keys, as a user would.
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QMenu>

#include "lang/lang_string.h"
#include "mapedit/ui/tab_fixture.h"
#include "mapedit/ui/tab_texts.h"

namespace zeda {
namespace {

using test::TabWidgetTest;

QStringList MenuTexts(QMenu* m) {
  QStringList out;
  for (QAction* a : m->actions())
    if (!a->isSeparator()) out << a->text();
  return out;
}

QAction* MenuItem(QMenu* m, const QString& text) {
  for (QAction* a : m->actions())
    if (a->text() == text) return a;
  return nullptr;
}

TEST_F(TabWidgetTest, ClickSelectsACellAndShiftClickARange) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(3, 2));
  EXPECT_EQ(Sheet().sel.kind, kSelCells);
  EXPECT_EQ(Sheet().sel.count, 1);
  EXPECT_EQ(Sheet().sel.minCol, 3);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(5, 4));
  EXPECT_EQ(Sheet().sel.count, 9);
  // A drag over the X header selects breakpoints.
  QTest::mousePress(widget_.get(), Qt::LeftButton, {}, CentreOf(1, -1));
  QTest::mouseMove(widget_.get(), CentreOf(4, -1));
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, CentreOf(4, -1));
  EXPECT_EQ(Sheet().sel.kind, kSelX);
  EXPECT_EQ(Sheet().sel.count, 4);
}

TEST_F(TabWidgetTest, TypingAValueCommitsIt) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(2, 3));
  QTest::keyClicks(widget_.get(), "27");
  EXPECT_TRUE(table_->editor.editing);
  EXPECT_EQ(table_->editor.text, "27");
  QTest::keyClick(widget_.get(), Qt::Key_Return);
  EXPECT_FALSE(table_->editor.editing);
  EXPECT_EQ(Sheet().Cell(2, 3), 27);
  EXPECT_EQ(commits_, 1);
  // Enter moved one row down.
  EXPECT_EQ(Sheet().sel.minRow, 4);
}

TEST_F(TabWidgetTest, PlusStepsTheSelectionOnce) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::mouseClick(widget_.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(2, 2));
  const int32_t a = Sheet().Cell(1, 1), b = Sheet().Cell(2, 2);
  QTest::keyClick(widget_.get(), Qt::Key_Plus);
  EXPECT_EQ(Sheet().Cell(1, 1), a + 1);
  EXPECT_EQ(Sheet().Cell(2, 2), b + 1);
  QTest::keyClick(widget_.get(), Qt::Key_Minus);
  QTest::keyClick(widget_.get(), Qt::Key_Minus);
  EXPECT_EQ(Sheet().Cell(1, 1), a - 1);
  Ticks(10);
  EXPECT_EQ(commits_, 1);  // one key for the selection: one commit after the run
}

TEST_F(TabWidgetTest, FillDragExtendsTheSelection) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(2, 2));
  const int32_t v = Sheet().Cell(2, 2);
  const QRect r = widget_->ItemRect(2, 2);
  const QPoint handle = r.bottomRight();
  const QPoint to = handle + QPoint(0, 2 * r.height() + r.height() / 2);
  QTest::mousePress(widget_.get(), Qt::LeftButton, {}, handle);
  QTest::mouseMove(widget_.get(), to);
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, to);
  EXPECT_EQ(Sheet().Cell(2, 3), v);
  EXPECT_EQ(Sheet().Cell(2, 4), v);
  EXPECT_EQ(Sheet().sel.count, 3);
  EXPECT_EQ(commits_, 1);
}

TEST_F(TabWidgetTest, CopyDragMovesValuesToTheTarget) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::mouseClick(widget_.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(2, 1));
  const int32_t a = Sheet().Cell(1, 1), b = Sheet().Cell(2, 1);
  const QRect r = widget_->ItemRect(1, 1);
  const QPoint border(r.left(), r.center().y());  // on the selection's left border
  const QPoint to = border + QPoint(0, 3 * r.height());
  QTest::mousePress(widget_.get(), Qt::LeftButton, {}, border);
  QTest::mouseMove(widget_.get(), to);
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, to);
  EXPECT_EQ(Sheet().Cell(1, 4), a);
  EXPECT_EQ(Sheet().Cell(2, 4), b);
  EXPECT_EQ(Sheet().sel.minRow, 4);
  EXPECT_EQ(commits_, 1);
}

TEST_F(TabWidgetTest, HoverButtonStepsTheItem) {
  const QRect r = widget_->ItemRect(4, 4);
  const QPoint plus(r.right() - 5, r.top() + 3);
  QTest::mouseMove(widget_.get(), plus);
  EXPECT_TRUE(table_->hover.shown);
  const int32_t v = Sheet().Cell(4, 4);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, plus);
  EXPECT_EQ(Sheet().Cell(4, 4), v + 1);
}

TEST_F(TabWidgetTest, RightClickMenuOnACell) {
  const QPoint at = CentreOf(3, 3);
  QTest::mouseClick(widget_.get(), Qt::RightButton, {}, at);
  // The cell was selected first, so Copy acts on it.
  EXPECT_EQ(Sheet().sel.count, 1);
  QMenu* m = widget_->BuildContextMenu(at);
  const QStringList items = MenuTexts(m);
  EXPECT_TRUE(items.contains("Copy"));
  EXPECT_TRUE(items.contains("Copy the entire table"));
  EXPECT_TRUE(items.contains("View as table"));
  EXPECT_TRUE(items.contains("View as graph 3D"));
  EXPECT_FALSE(items.contains("Top view"));
  EXPECT_TRUE(MenuItem(m, "View as table")->isChecked());
  // Only the copy acts: the value lands on the clipboard.
  MenuItem(m, "Copy")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), table_->ItemText(3, 3));
  // Rebuilt on every click: with a block selected, Interpolate is offered.
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::mouseClick(widget_.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(4, 4));
  m = widget_->BuildContextMenu(CentreOf(2, 2));
  EXPECT_TRUE(MenuTexts(m).contains("Interpolate"));
}

TEST_F(TabWidgetTest, RightClickMenuOnASheetTab) {
  // The second tab: find it along the tab row.
  QPoint tab2;
  for (int x = 0; x < widget_->width() && tab2.isNull(); ++x) {
    THit h = widget_->HitAt(QPoint(x, widget_->layout().tabsTop + 10));
    if (h.kind == THitKind::SheetTab && h.col == 1)
      tab2 = QPoint(x + 5, widget_->layout().tabsTop + 10);
  }
  ASSERT_FALSE(tab2.isNull());
  QTest::mouseClick(widget_.get(), Qt::RightButton, {}, tab2);
  EXPECT_EQ(table_->current, 1);
  QMenu* m = widget_->BuildContextMenu(tab2);
  EXPECT_EQ(MenuTexts(m), QStringList({"Copy the entire table"}));
}

TEST_F(TabWidgetTest, RightClickMenuIn3D) {
  widget_->SetViewMode(kView3D);
  const QRect g = widget_->layout().graph;
  const QPoint at(g.left() + widget_->graph.panelWidth + 100, g.center().y());
  QMenu* m = widget_->BuildContextMenu(at);
  const QStringList items = MenuTexts(m);
  for (const char* t : {"Top view", "ISO1 view", "ISO2 view", "Wire model", "One color graph",
                        "Height colors (grain 0)", "Height colors (grain 3)", "No values",
                        "All values", "Copy graph", "Copy the entire table"})
    EXPECT_TRUE(items.contains(t)) << t;
  EXPECT_TRUE(MenuItem(m, "ISO2 view")->isChecked());
  EXPECT_TRUE(MenuItem(m, "Height colors (grain 2)")->isChecked());
  EXPECT_TRUE(MenuItem(m, "View as graph 3D")->isChecked());
  MenuItem(m, "Top view")->trigger();
  EXPECT_TRUE(widget_->graph.Matches(kPresetTop));
}

TEST_F(TabWidgetTest, MenuTextsFollowTheLanguage) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(3, 3));
  SetCurrentLanguage(kGerman);
  widget_->Tick();
  QMenu* m = widget_->BuildContextMenu(CentreOf(3, 3));
  EXPECT_TRUE(MenuTexts(m).contains("Tabelle kopieren"));
  SetCurrentLanguage(kCzech);
  m = widget_->BuildContextMenu(CentreOf(3, 3));
  EXPECT_TRUE(MenuTexts(m).contains(QString::fromUtf8("Kop\u00edrovat celou tabulku")));
  SetCurrentLanguage(kEnglish);
}

TEST_F(TabWidgetTest, ViewButtonsSwitchViews) {
  for (int cmd : {kCmdView2D, kCmdView3D, kCmdViewTable}) {
    const int i = widget_->ButtonIndex(cmd);
    ASSERT_GE(i, 0);
    QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, widget_->Buttons()[i].rect.center());
    const int expected = cmd == kCmdView2D ? kView2D : cmd == kCmdView3D ? kView3D : kViewTable;
    EXPECT_EQ(widget_->BaseView(), expected);
    EXPECT_TRUE(widget_->Buttons()[widget_->ButtonIndex(cmd)].checked);
  }
}

TEST_F(TabWidgetTest, TopIsCheckedThenClearedByOneWheelStep) {
  widget_->SetViewMode(kView3D);
  const int top = widget_->ButtonIndex(kCmdTop);
  ASSERT_GE(top, 0);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, widget_->Buttons()[top].rect.center());
  EXPECT_TRUE(widget_->Buttons()[widget_->ButtonIndex(kCmdTop)].checked);
  const QRect g = widget_->layout().graph;
  const QPointF at(g.left() + widget_->graph.panelWidth + 150, g.center().y());
  QWheelEvent wheel(at, widget_->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget_.get(), &wheel);
  EXPECT_EQ(widget_->graph.angleXYZ, 1);
  EXPECT_FALSE(widget_->Buttons()[widget_->ButtonIndex(kCmdTop)].checked);
  EXPECT_FALSE(widget_->graph.Matches(kPresetTop));
}

TEST_F(TabWidgetTest, WheelOverThe3DPanelStepsOnlyTheOperatingPoint) {
  widget_->SetViewMode(kView3D);
  table_->liveRpm = 2500;
  table_->liveTp = 30;
  table_->UpdateOperatingPoint();
  ASSERT_GT(Sheet().actualState, 0);
  table_->SelectItem(0, 0);
  const int32_t sel = Sheet().Cell(0, 0), live = Sheet().Cell(Sheet().actualCol, Sheet().actualRow);
  const QRect g = widget_->layout().graph;
  const QPointF at(g.left() + 30, g.center().y());
  QWheelEvent wheel(at, widget_->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget_.get(), &wheel);
  EXPECT_EQ(Sheet().Cell(Sheet().actualCol, Sheet().actualRow), live + 1);
  EXPECT_EQ(Sheet().Cell(0, 0), sel);
}

TEST_F(TabWidgetTest, Dragging2DPointPushesItsNeighbour) {
  table_->UseOnlyX();  // one curve over rpm
  widget_->SetViewMode(kView2D);
  const int row = Sheet().axisY.fixedIndex;
  const QPointF p3 = widget_->PointOf2D(3, row), p4 = widget_->PointOf2D(4, row);
  const int32_t x4 = Sheet().axisX.values[4];
  QTest::mouseMove(widget_.get(), p3.toPoint());
  EXPECT_EQ(widget_->graph.hovered, row * kRowStride + 3);
  commits_ = 0;
  QTest::mousePress(widget_.get(), Qt::LeftButton, {}, p3.toPoint());
  const QPoint past(int(p4.x() + (p4.x() - p3.x()) * 0.6), int(p3.y()));
  QTest::mouseMove(widget_.get(), past);
  EXPECT_GT(Sheet().axisX.values[3], x4);
  EXPECT_EQ(Sheet().axisX.values[4], Sheet().axisX.values[3] + Sheet().axisX.minGap);
  EXPECT_TRUE(Sheet().axisX.pushed[4]);
  EXPECT_NE(widget_->graph.hint.find("Dragging: "), std::string::npos) << widget_->graph.hint;
  Ticks(20);
  EXPECT_EQ(commits_, 0);  // the drag is one open edit
  // Back again: the neighbour springs back to its own value.
  QTest::mouseMove(widget_.get(), p3.toPoint());
  EXPECT_EQ(Sheet().axisX.values[4], x4);
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, p3.toPoint());
  EXPECT_EQ(commits_, 1);
  EXPECT_FALSE(widget_->graph.dragging);
}

TEST_F(TabWidgetTest, ZoneChartTogglesZonesUnderTheBand) {
  TTab* zone = CreateSwitchingTable(set_, 5, "Output 1", 0xFFFFFF, 400, 220);
  zone->Cur().axisData.editable = true;
  TTabWidget w(*zone);
  w.resize(400, 220);
  w.show();
  w.SetViewMode(kView2D);
  ASSERT_TRUE(w.viewMode() & kViewZone);
  int changes = 0;
  zone->onTableChanged = [&](TTab&) { ++changes; };
  const QRect g = w.layout().graph;
  // A short drag in the bottom-left zone.
  const QPoint a(g.left() + 50, g.bottom() - 30), b(g.left() + 55, g.bottom() - 26);
  QTest::mousePress(&w, Qt::LeftButton, {}, a);
  QTest::mouseMove(&w, b);
  QTest::mouseRelease(&w, Qt::LeftButton, {}, b);
  EXPECT_EQ(zone->Cur().Cell(0, 0), 1);
  EXPECT_EQ(zone->Cur().Cell(1, 0), 0);
  EXPECT_EQ(changes, 1);
}

TEST_F(TabWidgetTest, CopyAndPasteThroughTheClipboard) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::keyClick(widget_.get(), Qt::Key_C, Qt::ControlModifier);
  const int32_t v = Sheet().Cell(1, 1);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(6, 6));
  QTest::keyClick(widget_.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Sheet().Cell(6, 6), v);
  // The whole table, between the two maps.
  widget_->RunCommand(kCmdCopyTable);
  EXPECT_EQ(widget_->ClipboardFormats(), kClipText | kClipSheet);
  table_->SelectSheet(1);
  widget_->RunCommand(kCmdPaste);
  EXPECT_EQ(table_->Sheet(1).cells, table_->Sheet(0).cells);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(TabWidgetTest, GridIsAnAccessibleTableWithAxisHeaders) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget_.get());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::Table);
  QAccessibleTableInterface* t = a->tableInterface();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rowCount(), 10);
  EXPECT_EQ(t->columnCount(), 15);
  QAccessibleInterface* cell = t->cellAt(3, 4);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), table_->ItemText(4, 3));
  QAccessibleTableCellInterface* ci = cell->tableCellInterface();
  ASSERT_NE(ci, nullptr);
  EXPECT_EQ(ci->columnHeaderCells().value(0)->text(QAccessible::Name), QString("3 000"));
  EXPECT_EQ(ci->rowHeaderCells().value(0)->text(QAccessible::Name), QString("10 %"));
  EXPECT_EQ(t->columnDescription(0), QString("1 000"));
  // Follows edits and selection.
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(4, 3));
  QTest::keyClick(widget_.get(), Qt::Key_Plus);
  EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), table_->ItemText(4, 3));
  EXPECT_TRUE(ci->isSelected());
  EXPECT_EQ(t->selectedCellCount(), 1);
  // A map used over rpm alone reads as one row.
  table_->UseOnlyX();
  EXPECT_EQ(t->rowCount(), 1);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(TabWidgetTest, SensorTableSwitchesViewsByItsImage) {
  TTab* tp = CreateThrottleSensorTable(set_, 7, 0xFFFFFF, 360, 200);
  TTabWidget w(*tp);
  w.resize(360, 200);
  w.show();
  EXPECT_EQ(w.BaseView(), kViewTable);
  EXPECT_LT(w.ButtonIndex(kCmdView2D), 0);  // no button bar
  ASSERT_FALSE(w.layout().viewImage.isEmpty());
  QTest::mouseClick(&w, Qt::LeftButton, {}, w.layout().viewImage.center());
  EXPECT_EQ(w.BaseView(), kView2D);
  QTest::mouseClick(&w, Qt::LeftButton, {}, w.layout().viewImage.center());
  EXPECT_EQ(w.BaseView(), kViewTable);
}

TEST_F(TabWidgetTest, ScrollBarArrowsAndWheelScroll) {
  table_->visibleCols = 6;
  table_->visibleRows = 4;
  widget_->Rebuild();
  ASSERT_TRUE(widget_->layout().scrollX);
  ASSERT_TRUE(widget_->layout().scrollY);
  const QRect g = widget_->layout().grid;
  // The right arrow of the column bar.
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, QPoint(g.right() - 5, g.bottom() + 8));
  EXPECT_EQ(Sheet().axisX.scrollPos, 1);
  QWheelEvent wheel(QPointF(g.center()), widget_->mapToGlobal(QPointF(g.center())), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget_.get(), &wheel);
  EXPECT_EQ(Sheet().axisY.scrollPos, 1);
  // Keyboard moves scroll the selection into view.
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::keyClick(widget_.get(), Qt::Key_End);
  EXPECT_EQ(Sheet().axisX.scrollPos, 15 - 6);
  EXPECT_FALSE(widget_->ItemRect(14, 1).isEmpty());
}

}  // namespace
}  // namespace zeda
