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
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(3, 2));
  EXPECT_EQ(sheet().sel.kind, kSelCells);
  EXPECT_EQ(sheet().sel.count, 1);
  EXPECT_EQ(sheet().sel.minCol, 3);
  QTest::mouseClick(widget.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(5, 4));
  EXPECT_EQ(sheet().sel.count, 9);
  // A drag over the X header selects breakpoints.
  QTest::mousePress(widget.get(), Qt::LeftButton, {}, CentreOf(1, -1));
  QTest::mouseMove(widget.get(), CentreOf(4, -1));
  QTest::mouseRelease(widget.get(), Qt::LeftButton, {}, CentreOf(4, -1));
  EXPECT_EQ(sheet().sel.kind, kSelX);
  EXPECT_EQ(sheet().sel.count, 4);
}

TEST_F(TabWidgetTest, TypingAValueCommitsIt) {
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(2, 3));
  QTest::keyClicks(widget.get(), "27");
  EXPECT_TRUE(table->editor.editing);
  EXPECT_EQ(table->editor.text, "27");
  QTest::keyClick(widget.get(), Qt::Key_Return);
  EXPECT_FALSE(table->editor.editing);
  EXPECT_EQ(sheet().cell(2, 3), 27);
  EXPECT_EQ(commits, 1);
  // Enter moved one row down.
  EXPECT_EQ(sheet().sel.minRow, 4);
}

TEST_F(TabWidgetTest, PlusStepsTheSelectionOnce) {
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::mouseClick(widget.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(2, 2));
  const int32_t a = sheet().cell(1, 1), b = sheet().cell(2, 2);
  QTest::keyClick(widget.get(), Qt::Key_Plus);
  EXPECT_EQ(sheet().cell(1, 1), a + 1);
  EXPECT_EQ(sheet().cell(2, 2), b + 1);
  QTest::keyClick(widget.get(), Qt::Key_Minus);
  QTest::keyClick(widget.get(), Qt::Key_Minus);
  EXPECT_EQ(sheet().cell(1, 1), a - 1);
  Ticks(10);
  EXPECT_EQ(commits, 1);  // one key for the selection: one commit after the run
}

TEST_F(TabWidgetTest, FillDragExtendsTheSelection) {
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(2, 2));
  const int32_t v = sheet().cell(2, 2);
  const QRect r = widget->ItemRect(2, 2);
  const QPoint handle = r.bottomRight();
  const QPoint to = handle + QPoint(0, 2 * r.height() + r.height() / 2);
  QTest::mousePress(widget.get(), Qt::LeftButton, {}, handle);
  QTest::mouseMove(widget.get(), to);
  QTest::mouseRelease(widget.get(), Qt::LeftButton, {}, to);
  EXPECT_EQ(sheet().cell(2, 3), v);
  EXPECT_EQ(sheet().cell(2, 4), v);
  EXPECT_EQ(sheet().sel.count, 3);
  EXPECT_EQ(commits, 1);
}

TEST_F(TabWidgetTest, CopyDragMovesValuesToTheTarget) {
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::mouseClick(widget.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(2, 1));
  const int32_t a = sheet().cell(1, 1), b = sheet().cell(2, 1);
  const QRect r = widget->ItemRect(1, 1);
  const QPoint border(r.left(), r.center().y());  // on the selection's left border
  const QPoint to = border + QPoint(0, 3 * r.height());
  QTest::mousePress(widget.get(), Qt::LeftButton, {}, border);
  QTest::mouseMove(widget.get(), to);
  QTest::mouseRelease(widget.get(), Qt::LeftButton, {}, to);
  EXPECT_EQ(sheet().cell(1, 4), a);
  EXPECT_EQ(sheet().cell(2, 4), b);
  EXPECT_EQ(sheet().sel.minRow, 4);
  EXPECT_EQ(commits, 1);
}

TEST_F(TabWidgetTest, HoverButtonStepsTheItem) {
  const QRect r = widget->ItemRect(4, 4);
  const QPoint plus(r.right() - 5, r.top() + 3);
  QTest::mouseMove(widget.get(), plus);
  EXPECT_TRUE(table->hover.shown);
  const int32_t v = sheet().cell(4, 4);
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, plus);
  EXPECT_EQ(sheet().cell(4, 4), v + 1);
}

TEST_F(TabWidgetTest, RightClickMenuOnACell) {
  const QPoint at = CentreOf(3, 3);
  QTest::mouseClick(widget.get(), Qt::RightButton, {}, at);
  // The cell was selected first, so Copy acts on it.
  EXPECT_EQ(sheet().sel.count, 1);
  QMenu* m = widget->BuildContextMenu(at);
  const QStringList items = MenuTexts(m);
  EXPECT_TRUE(items.contains("Copy"));
  EXPECT_TRUE(items.contains("Copy the entire table"));
  EXPECT_TRUE(items.contains("View as table"));
  EXPECT_TRUE(items.contains("View as graph 3D"));
  EXPECT_FALSE(items.contains("Top view"));
  EXPECT_TRUE(MenuItem(m, "View as table")->isChecked());
  // Only the copy acts: the value lands on the clipboard.
  MenuItem(m, "Copy")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), table->ItemText(3, 3));
  // Rebuilt on every click: with a block selected, Interpolate is offered.
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::mouseClick(widget.get(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(4, 4));
  m = widget->BuildContextMenu(CentreOf(2, 2));
  EXPECT_TRUE(MenuTexts(m).contains("Interpolate"));
}

TEST_F(TabWidgetTest, RightClickMenuOnASheetTab) {
  // The second tab: find it along the tab row.
  QPoint tab2;
  for (int x = 0; x < widget->width() && tab2.isNull(); ++x) {
    THit h = widget->HitAt(QPoint(x, widget->layout().tabsTop + 10));
    if (h.kind == THitKind::SheetTab && h.col == 1)
      tab2 = QPoint(x + 5, widget->layout().tabsTop + 10);
  }
  ASSERT_FALSE(tab2.isNull());
  QTest::mouseClick(widget.get(), Qt::RightButton, {}, tab2);
  EXPECT_EQ(table->current, 1);
  QMenu* m = widget->BuildContextMenu(tab2);
  EXPECT_EQ(MenuTexts(m), QStringList({"Copy the entire table"}));
}

TEST_F(TabWidgetTest, RightClickMenuIn3D) {
  widget->SetViewMode(kView3D);
  const QRect g = widget->layout().graph;
  const QPoint at(g.left() + widget->graph.panelWidth + 100, g.center().y());
  QMenu* m = widget->BuildContextMenu(at);
  const QStringList items = MenuTexts(m);
  for (const char* t : {"Top view", "ISO1 view", "ISO2 view", "Wire model", "One color graph",
                        "Height colors (grain 0)", "Height colors (grain 3)", "No values",
                        "All values", "Copy graph", "Copy the entire table"})
    EXPECT_TRUE(items.contains(t)) << t;
  EXPECT_TRUE(MenuItem(m, "ISO2 view")->isChecked());
  EXPECT_TRUE(MenuItem(m, "Height colors (grain 2)")->isChecked());
  EXPECT_TRUE(MenuItem(m, "View as graph 3D")->isChecked());
  MenuItem(m, "Top view")->trigger();
  EXPECT_TRUE(widget->graph.Matches(kPresetTop));
}

TEST_F(TabWidgetTest, MenuTextsFollowTheLanguage) {
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(3, 3));
  setCurrentLanguage(kGerman);
  widget->Tick();
  QMenu* m = widget->BuildContextMenu(CentreOf(3, 3));
  EXPECT_TRUE(MenuTexts(m).contains("Tabelle kopieren"));
  setCurrentLanguage(kCzech);
  m = widget->BuildContextMenu(CentreOf(3, 3));
  EXPECT_TRUE(MenuTexts(m).contains(QString::fromUtf8("Kop\u00edrovat celou tabulku")));
  setCurrentLanguage(kEnglish);
}

TEST_F(TabWidgetTest, ViewButtonsSwitchViews) {
  for (int cmd : {kCmdView2D, kCmdView3D, kCmdViewTable}) {
    const int i = widget->ButtonIndex(cmd);
    ASSERT_GE(i, 0);
    QTest::mouseClick(widget.get(), Qt::LeftButton, {}, widget->buttons()[i].rect.center());
    const int expected = cmd == kCmdView2D ? kView2D : cmd == kCmdView3D ? kView3D : kViewTable;
    EXPECT_EQ(widget->baseView(), expected);
    EXPECT_TRUE(widget->buttons()[widget->ButtonIndex(cmd)].checked);
  }
}

TEST_F(TabWidgetTest, TopIsCheckedThenClearedByOneWheelStep) {
  widget->SetViewMode(kView3D);
  const int top = widget->ButtonIndex(kCmdTop);
  ASSERT_GE(top, 0);
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, widget->buttons()[top].rect.center());
  EXPECT_TRUE(widget->buttons()[widget->ButtonIndex(kCmdTop)].checked);
  const QRect g = widget->layout().graph;
  const QPointF at(g.left() + widget->graph.panelWidth + 150, g.center().y());
  QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget.get(), &wheel);
  EXPECT_EQ(widget->graph.angleXYZ, 1);
  EXPECT_FALSE(widget->buttons()[widget->ButtonIndex(kCmdTop)].checked);
  EXPECT_FALSE(widget->graph.Matches(kPresetTop));
}

TEST_F(TabWidgetTest, WheelOverThe3DPanelStepsOnlyTheOperatingPoint) {
  widget->SetViewMode(kView3D);
  table->liveRpm = 2500;
  table->liveTp = 30;
  table->UpdateOperatingPoint();
  ASSERT_GT(sheet().actualState, 0);
  table->SelectItem(0, 0);
  const int32_t sel = sheet().cell(0, 0), live = sheet().cell(sheet().actualCol, sheet().actualRow);
  const QRect g = widget->layout().graph;
  const QPointF at(g.left() + 30, g.center().y());
  QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget.get(), &wheel);
  EXPECT_EQ(sheet().cell(sheet().actualCol, sheet().actualRow), live + 1);
  EXPECT_EQ(sheet().cell(0, 0), sel);
}

TEST_F(TabWidgetTest, Dragging2DPointPushesItsNeighbour) {
  table->UseOnlyX();  // one curve over rpm
  widget->SetViewMode(kView2D);
  const int row = sheet().axisY.fixedIndex;
  const QPointF p3 = widget->PointOf2D(3, row), p4 = widget->PointOf2D(4, row);
  const int32_t x4 = sheet().axisX.values[4];
  QTest::mouseMove(widget.get(), p3.toPoint());
  EXPECT_EQ(widget->graph.hovered, row * kRowStride + 3);
  commits = 0;
  QTest::mousePress(widget.get(), Qt::LeftButton, {}, p3.toPoint());
  const QPoint past(int(p4.x() + (p4.x() - p3.x()) * 0.6), int(p3.y()));
  QTest::mouseMove(widget.get(), past);
  EXPECT_GT(sheet().axisX.values[3], x4);
  EXPECT_EQ(sheet().axisX.values[4], sheet().axisX.values[3] + sheet().axisX.minGap);
  EXPECT_TRUE(sheet().axisX.pushed[4]);
  EXPECT_NE(widget->graph.hint.find("Dragging: "), std::string::npos) << widget->graph.hint;
  Ticks(20);
  EXPECT_EQ(commits, 0);  // the drag is one open edit
  // Back again: the neighbour springs back to its own value.
  QTest::mouseMove(widget.get(), p3.toPoint());
  EXPECT_EQ(sheet().axisX.values[4], x4);
  QTest::mouseRelease(widget.get(), Qt::LeftButton, {}, p3.toPoint());
  EXPECT_EQ(commits, 1);
  EXPECT_FALSE(widget->graph.dragging);
}

TEST_F(TabWidgetTest, ZoneChartTogglesZonesUnderTheBand) {
  TTab* zone = CreateSwitchingTable(set, 5, "Output 1", 0xFFFFFF, 400, 220);
  zone->cur().axisData.editable = true;
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
  EXPECT_EQ(zone->cur().cell(0, 0), 1);
  EXPECT_EQ(zone->cur().cell(1, 0), 0);
  EXPECT_EQ(changes, 1);
}

TEST_F(TabWidgetTest, CopyAndPasteThroughTheClipboard) {
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::keyClick(widget.get(), Qt::Key_C, Qt::ControlModifier);
  const int32_t v = sheet().cell(1, 1);
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(6, 6));
  QTest::keyClick(widget.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(sheet().cell(6, 6), v);
  // The whole table, between the two maps.
  widget->RunCommand(kCmdCopyTable);
  EXPECT_EQ(widget->clipboardFormats(), kClipText | kClipSheet);
  table->SelectSheet(1);
  widget->RunCommand(kCmdPaste);
  EXPECT_EQ(table->sheet(1).cells, table->sheet(0).cells);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(TabWidgetTest, GridIsAnAccessibleTableWithAxisHeaders) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget.get());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::Table);
  QAccessibleTableInterface* t = a->tableInterface();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rowCount(), 10);
  EXPECT_EQ(t->columnCount(), 15);
  QAccessibleInterface* cell = t->cellAt(3, 4);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), table->ItemText(4, 3));
  QAccessibleTableCellInterface* ci = cell->tableCellInterface();
  ASSERT_NE(ci, nullptr);
  EXPECT_EQ(ci->columnHeaderCells().value(0)->text(QAccessible::Name), QString("3 000"));
  EXPECT_EQ(ci->rowHeaderCells().value(0)->text(QAccessible::Name), QString("10 %"));
  EXPECT_EQ(t->columnDescription(0), QString("1 000"));
  // Follows edits and selection.
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(4, 3));
  QTest::keyClick(widget.get(), Qt::Key_Plus);
  EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), table->ItemText(4, 3));
  EXPECT_TRUE(ci->isSelected());
  EXPECT_EQ(t->selectedCellCount(), 1);
  // A map used over rpm alone reads as one row.
  table->UseOnlyX();
  EXPECT_EQ(t->rowCount(), 1);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST_F(TabWidgetTest, SensorTableSwitchesViewsByItsImage) {
  TTab* tp = CreateThrottleSensorTable(set, 7, 0xFFFFFF, 360, 200);
  TTabWidget w(*tp);
  w.resize(360, 200);
  w.show();
  EXPECT_EQ(w.baseView(), kViewTable);
  EXPECT_LT(w.ButtonIndex(kCmdView2D), 0);  // no button bar
  ASSERT_FALSE(w.layout().viewImage.isEmpty());
  QTest::mouseClick(&w, Qt::LeftButton, {}, w.layout().viewImage.center());
  EXPECT_EQ(w.baseView(), kView2D);
  QTest::mouseClick(&w, Qt::LeftButton, {}, w.layout().viewImage.center());
  EXPECT_EQ(w.baseView(), kViewTable);
}

TEST_F(TabWidgetTest, ScrollBarArrowsAndWheelScroll) {
  table->visibleCols = 6;
  table->visibleRows = 4;
  widget->Rebuild();
  ASSERT_TRUE(widget->layout().scrollX);
  ASSERT_TRUE(widget->layout().scrollY);
  const QRect g = widget->layout().grid;
  // The right arrow of the column bar.
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, QPoint(g.right() - 5, g.bottom() + 8));
  EXPECT_EQ(sheet().axisX.scrollPos, 1);
  QWheelEvent wheel(QPointF(g.center()), widget->mapToGlobal(QPointF(g.center())), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget.get(), &wheel);
  EXPECT_EQ(sheet().axisY.scrollPos, 1);
  // Keyboard moves scroll the selection into view.
  QTest::mouseClick(widget.get(), Qt::LeftButton, {}, CentreOf(1, 1));
  QTest::keyClick(widget.get(), Qt::Key_End);
  EXPECT_EQ(sheet().axisX.scrollPos, 15 - 6);
  EXPECT_FALSE(widget->ItemRect(14, 1).isEmpty());
}

}  // namespace
}  // namespace zeda
