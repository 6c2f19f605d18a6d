// What a page and the printout use of the table control: the change signal, the focused
// control for "Advance +/-", print mode by name, Copy graph, the column buttons, and the
// per-tick duties.
#include <QClipboard>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStatusBar>

#include "mapedit/ui/tab_fixture.h"

namespace zeda {
namespace {

using test::TabWidgetTest;

TEST_F(TabWidgetTest, ACommitIsSignalledWithItsSheet) {
  QSignalSpy changed(widget_.get(), &TTabWidget::TableChanged);
  table_->SelectSheet(1);
  table_->SelectItem(2, 2);
  widget_->RunCommand(kCmdIncrement);
  Ticks(6);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
  EXPECT_EQ(commits_, 1);  // the owner's callback still runs
}

TEST_F(TabWidgetTest, AdvanceKeysStepTheFocusedControl) {
  widget_->activateWindow();
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, CentreOf(3, 2));
  ASSERT_EQ(TTabWidget::Focused(), widget_.get());
  const int32_t v = Sheet().Cell(3, 2);
  EXPECT_TRUE(TTabWidget::StepFocused(+1));
  EXPECT_TRUE(TTabWidget::StepFocused(+1));
  EXPECT_TRUE(TTabWidget::StepFocused(-1));
  EXPECT_EQ(Sheet().Cell(3, 2), v + 1);
  widget_->clearFocus();
  EXPECT_EQ(TTabWidget::Focused(), nullptr);
  EXPECT_FALSE(TTabWidget::StepFocused(+1));
  EXPECT_EQ(Sheet().Cell(3, 2), v + 1);
}

TEST_F(TabWidgetTest, PrintModeIsSwitchedByNameAndHidesTheButtons) {
  // Wide enough for the button bar to share the top row with the sheet tabs, so the grid of
  // the printout moves up into the bar's room.
  widget_->resize(1100, 420);
  ASSERT_EQ(widget_->layout().buttonTop, 5);
  const QRect button = widget_->Buttons()[widget_->ButtonIndex(kCmdCopy)].rect;
  const QImage normal = widget_->Picture();
  // The printout knows the control only as a QWidget with an invokable SetPrintMode.
  QWidget* asWidget = widget_.get();
  ASSERT_TRUE(
      QMetaObject::invokeMethod(asWidget, "SetPrintMode", Qt::DirectConnection, Q_ARG(bool, true)));
  EXPECT_TRUE(widget_->PrintMode());
  EXPECT_LT(widget_->ButtonIndex(kCmdCopy), 0);
  const QImage printed = widget_->Picture();
  // Where the copy button was (above the grid, which moves up into the bar's room), the
  // printout is white paper.
  auto inked = [&](const QImage& img) {
    int n = 0;
    for (int y = button.top(); y <= button.bottom() && y < widget_->layout().top; ++y)
      for (int x = button.left(); x <= button.right(); ++x)
        n += img.pixelColor(x, y) != QColor(Qt::white);
    return n;
  };
  EXPECT_EQ(inked(printed), 0);
  EXPECT_GT(inked(normal), 0);
  EXPECT_NE(printed, normal);
  ASSERT_TRUE(QMetaObject::invokeMethod(asWidget, "SetPrintMode", Qt::DirectConnection,
                                        Q_ARG(bool, false)));
  EXPECT_GE(widget_->ButtonIndex(kCmdCopy), 0);
  EXPECT_EQ(widget_->Picture(), normal);
}

TEST_F(TabWidgetTest, CopyGraphPutsTheGraphAreaOnTheClipboard) {
  for (int view : {kView2D, kView3D}) {
    SCOPED_TRACE(view);
    widget_->SetViewMode(view);
    QGuiApplication::clipboard()->clear();
    widget_->CopyGraph();
    const QImage img = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(img.isNull());
    QRect want = widget_->layout().graph;
    if (view == kView3D) want.setLeft(want.left() + widget_->graph.panelWidth);
    EXPECT_EQ(img.size(), want.size() * widget_->devicePixelRatioF());
    // Drawn on white without buttons: the 3D view's TOP button is not in the picture, and
    // the corner of the 2D graph's margin is paper.
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_FALSE(widget_->PrintMode());  // the normal background is back
  }
}

TEST_F(TabWidgetTest, ColumnButtonsAddAndRemoveTheLastColumn) {
  ASSERT_EQ(Sheet().axisX.count, 15);
  const int add = widget_->ButtonIndex(kCmdAddColumn);
  const int remove = widget_->ButtonIndex(kCmdRemoveColumn);
  ASSERT_GE(add, 0);
  ASSERT_GE(remove, 0);
  EXPECT_FALSE(widget_->Buttons()[add].enabled);  // at the maximum
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, widget_->Buttons()[add].rect.center());
  EXPECT_EQ(Sheet().axisX.count, 15);
  const int32_t before = Sheet().axisX.values[13];
  commits_ = 0;
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {},
                    widget_->Buttons()[widget_->ButtonIndex(kCmdRemoveColumn)].rect.center());
  EXPECT_EQ(Sheet().axisX.count, 14);
  EXPECT_EQ(Sheet().axisX.values[13], before);
  EXPECT_EQ(commits_, 1);  // a structural edit commits at once
  const int addNow = widget_->ButtonIndex(kCmdAddColumn);
  ASSERT_TRUE(widget_->Buttons()[addNow].enabled);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, widget_->Buttons()[addNow].rect.center());
  EXPECT_EQ(Sheet().axisX.count, 15);
  EXPECT_GT(Sheet().axisX.values[14], Sheet().axisX.values[13]);
  EXPECT_EQ(commits_, 2);
  // Down to the least count the button goes grey and does nothing more.
  Sheet().axisX.minCount = 14;
  widget_->Rebuild();
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {},
                    widget_->Buttons()[widget_->ButtonIndex(kCmdRemoveColumn)].rect.center());
  EXPECT_EQ(Sheet().axisX.count, 14);
  EXPECT_FALSE(widget_->Buttons()[widget_->ButtonIndex(kCmdRemoveColumn)].enabled);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {},
                    widget_->Buttons()[widget_->ButtonIndex(kCmdRemoveColumn)].rect.center());
  EXPECT_EQ(Sheet().axisX.count, 14);
}

TEST_F(TabWidgetTest, ASelectionDragBeyondTheGridScrollsOnTheTicks) {
  table_->visibleCols = 6;
  table_->visibleRows = 4;
  widget_->Rebuild();
  const QRect g = widget_->layout().grid;
  QTest::mousePress(widget_.get(), Qt::LeftButton, {}, CentreOf(2, 1));
  QTest::mouseMove(widget_.get(), QPoint(g.right() + 40, CentreOf(2, 1).y()));
  EXPECT_EQ(Sheet().axisX.scrollPos, 0);  // nothing moves between ticks
  for (int i = 0; i < 3; ++i) widget_->Tick();
  const int after3 = Sheet().axisX.scrollPos;
  EXPECT_GE(after3, 3);
  // Further out is faster.
  QTest::mouseMove(widget_.get(), QPoint(g.right() + 500, CentreOf(2, 1).y()));
  widget_->Tick();
  EXPECT_GE(Sheet().axisX.scrollPos - after3, 2);
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {},
                      QPoint(g.right() + 500, CentreOf(2, 1).y()));
  const int released = Sheet().axisX.scrollPos;
  widget_->Tick();
  EXPECT_EQ(Sheet().axisX.scrollPos, released);
}

TEST_F(TabWidgetTest, AHeldScrollArrowRepeatsOnTheTicksAfterTwo) {
  table_->visibleCols = 6;
  widget_->Rebuild();
  const QRect g = widget_->layout().grid;
  const QPoint arrow(g.right() - 5, g.bottom() + 8);
  QTest::mousePress(widget_.get(), Qt::LeftButton, {}, arrow);
  EXPECT_EQ(Sheet().axisX.scrollPos, 1);
  widget_->Tick();
  widget_->Tick();
  EXPECT_EQ(Sheet().axisX.scrollPos, 1);
  widget_->Tick();
  widget_->Tick();
  EXPECT_EQ(Sheet().axisX.scrollPos, 3);
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, arrow);
  widget_->Tick();
  EXPECT_EQ(Sheet().axisX.scrollPos, 3);
}

TEST_F(TabWidgetTest, TheLongHintPartGoesToTheStatusBar) {
  QMainWindow window;
  widget_->setParent(&window);
  window.setCentralWidget(widget_.get());
  window.resize(760, 440);
  window.statusBar();  // a main window shows status tips once it has its bar
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  widget_->SetViewMode(kView3D);
  const QRect g = widget_->layout().graph;
  QTest::mouseMove(widget_.get(), QPoint(g.right() - 60, g.center().y()));
  EXPECT_TRUE(widget_->HintShort().startsWith("Rotate: drag mouse"))
      << widget_->HintShort().toStdString();
  EXPECT_FALSE(widget_->HintShort().contains('|'));
  EXPECT_EQ(widget_->toolTip(), widget_->HintShort());
  EXPECT_EQ(widget_->HintLong(), QString("high graph drawing quality takes lot of CPU time"));
  EXPECT_EQ(window.statusBar()->currentMessage(), widget_->HintLong());
  // A hint without a long part shows whole in both places.
  QTest::mouseMove(widget_.get(), QPoint(g.left() + 60, g.center().y()));
  EXPECT_EQ(widget_->HintShort(), QString("Set actual value - mouse wheel"));
  EXPECT_EQ(window.statusBar()->currentMessage(), widget_->HintShort());
  widget_->setParent(nullptr);
}

}  // namespace
}  // namespace zeda
