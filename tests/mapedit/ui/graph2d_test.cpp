// The 2D graph's rubber band and hints, driven by the mouse and the modifier keys.
#include "mapedit/ui/tab_fixture.h"

namespace zeda {
namespace {

using test::TabWidgetTest;

class Graph2DTest : public TabWidgetTest {
 protected:
  void SetUp() override {
    TabWidgetTest::SetUp();
    table_->UseOnlyX();  // one curve over rpm
    widget_->SetViewMode(kView2D);
    row_ = Sheet().axisY.fixedIndex;
  }
  QPoint PointOf(int col) { return widget_->PointOf2D(col, row_).toPoint(); }
  // A band from above-left to below-right of the point of a column.
  void Band(int col, Qt::KeyboardModifiers mods, bool release = true) {
    const QPoint p = PointOf(col);
    QTest::mousePress(widget_.get(), Qt::LeftButton, mods, p + QPoint(-12, -15));
    QTest::mouseMove(widget_.get(), p + QPoint(12, 15));
    if (release) QTest::mouseRelease(widget_.get(), Qt::LeftButton, mods, p + QPoint(12, 15));
  }
  bool Selected(int col) { return Sheet().sel.Cell(col, row_) & kMarkSelected; }
  std::vector<int> SelectedCols() {
    std::vector<int> out;
    for (int c = 0; c < Sheet().axisX.count; ++c)
      if (Selected(c)) out.push_back(c);
    return out;
  }
  // The fill of a point as drawn: yellow when shown selected.
  QColor Fill(int col) { return widget_->Picture().pixelColor(PointOf(col)); }

  int row_ = 0;
};

TEST_F(Graph2DTest, RubberBandFollowsShiftAndCtrl) {
  Band(2, Qt::NoModifier);
  EXPECT_EQ(SelectedCols(), (std::vector<int>{2}));
  Band(5, Qt::ControlModifier);  // adds
  EXPECT_EQ(SelectedCols(), (std::vector<int>{2, 5}));
  Band(7, Qt::ShiftModifier);  // the range from the anchor (5) over the caught point
  EXPECT_EQ(SelectedCols(), (std::vector<int>{2, 5, 6, 7}));
  Band(9, Qt::ShiftModifier | Qt::ControlModifier);  // both: replaces
  EXPECT_EQ(SelectedCols(), (std::vector<int>{9}));
  // A click on empty paper clears.
  const QPoint empty = PointOf(9) + QPoint(0, -40);
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, empty);
  EXPECT_TRUE(SelectedCols().empty());
}

TEST_F(Graph2DTest, AnOpenBandShowsWhatTheModifiersHeldWouldSelect) {
  Band(2, Qt::NoModifier);
  const QColor yellow(0xFF, 0xFF, 0x00);
  // A new band over point 5: without modifiers it would replace point 2.
  Band(5, Qt::NoModifier, false);
  EXPECT_EQ(Fill(5), yellow);
  EXPECT_NE(Fill(2), yellow);
  // Ctrl pressed while the mouse rests: the next tick notices it and the preview keeps 2.
  QTest::keyPress(widget_.get(), Qt::Key_Control, Qt::ControlModifier);
  if (QGuiApplication::queryKeyboardModifiers() != Qt::ControlModifier)
    GTEST_SKIP() << "this platform does not report the held modifiers";
  widget_->Tick();
  EXPECT_EQ(Fill(2), yellow);
  EXPECT_EQ(Fill(5), yellow);
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, Qt::ControlModifier,
                      PointOf(5) + QPoint(12, 15));
  QTest::keyRelease(widget_.get(), Qt::Key_Control);
  EXPECT_EQ(SelectedCols(), (std::vector<int>{2, 5}));
}

TEST_F(Graph2DTest, ACornerOfTheBlockOffersInterpolation) {
  // Points 3 ... 6 form a block; its ends are the corners.
  const QPoint a = PointOf(3), b = PointOf(6);
  QTest::mousePress(widget_.get(), Qt::LeftButton, {},
                    QPoint(a.x() - 10, 10 + widget_->layout().graph.top()));
  QTest::mouseMove(widget_.get(), QPoint(b.x() + 10, widget_->layout().graph.bottom() - 20));
  QTest::mouseRelease(widget_.get(), Qt::LeftButton, {},
                      QPoint(b.x() + 10, widget_->layout().graph.bottom() - 20));
  ASSERT_EQ(SelectedCols(), (std::vector<int>{3, 4, 5, 6}));
  ASSERT_TRUE(table_->CanInterpolate());
  QTest::mouseMove(widget_.get(), PointOf(4));
  EXPECT_TRUE(widget_->HintShort().startsWith("RPM = ")) << widget_->HintShort().toStdString();
  QTest::mouseMove(widget_.get(), PointOf(6));
  EXPECT_EQ(widget_->HintShort(), QString("Interpolation"));
  EXPECT_EQ(widget_->cursor().shape(), Qt::IBeamCursor);
  // A press there interpolates: the points between lie on the line from 3 to 6.
  commits_ = 0;
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, PointOf(6));
  EXPECT_EQ(commits_, 1);
  const CSheet& s = Sheet();
  const double x3 = s.axisX.values[3], x6 = s.axisX.values[6];
  for (int c = 4; c <= 5; ++c) {
    const double u = (s.axisX.values[c] - x3) / (x6 - x3);
    EXPECT_NEAR(s.Cell(c, row_), s.Cell(3, row_) + u * (s.Cell(6, row_) - s.Cell(3, row_)), 0.5);
  }
}

}  // namespace
}  // namespace zeda
