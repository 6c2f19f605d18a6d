// The zone chart of a switching table: its breakpoint lines dragged with the mouse.
#include <QSignalSpy>

#include "mapedit/ui/tab_fixture.h"

namespace zeda {
namespace {

using test::TabWidgetTest;

class ZoneChartTest : public TabWidgetTest {
 protected:
  void SetUp() override {
    TabWidgetTest::SetUp();
    widget_->hide();  // mouse moves without a button go to the window under the pointer
    zone_ = CreateSwitchingTable(set_, 5, "Output 1", 0xFFFFFF, 400, 220);
    CSheet& s = zone_->Cur();
    const int32_t xs[3] = {20, 45, 80};
    for (int i = 0; i < 3; ++i) s.axisX.values[i] = xs[i];
    s.axisY.values[0] = 20;
    s.axisY.values[1] = 70;
    zone_->Normalise(0, kPartAll | kForgetLastEdited);
    w_ = std::make_unique<TTabWidget>(*zone_);
    w_->resize(400, 220);
    w_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w_.get()));
    w_->SetViewMode(kView2D);
    zone_->onTableChanged = [this](TTab&) { ++changes_; };
  }
  void TearDown() override {
    w_.reset();
    TabWidgetTest::TearDown();
  }
  CSheet& Zone() { return zone_->Cur(); }
  // A point on the line of breakpoint i of an axis, half way along the chart.
  QPoint OnLine(int axis, int i, int offset = 0) {
    const QRect g = w_->layout().graph;
    const int pos = int(std::lround(w_->ZoneLinePos(axis, i))) + offset;
    return axis == kPartX ? QPoint(pos, g.center().y() + 7) : QPoint(g.center().x() + 7, pos);
  }

  TTab* zone_ = nullptr;
  std::unique_ptr<TTabWidget> w_;
  int changes_ = 0;
};

TEST_F(ZoneChartTest, DraggingABreakpointLineSetsItAndCommitsOnce) {
  for (bool stretch : {false, true}) {
    SCOPED_TRACE(stretch ? "zones by value" : "even zones");
    w_->graph.zoneStretch = stretch;
    Zone().axisX.values[1] = 45;
    zone_->Normalise(0, kPartX | kForgetLastEdited);
    changes_ = 0;
    QSignalSpy changed(w_.get(), &TTabWidget::TableChanged);
    const QPoint from = OnLine(kPartX, 1);
    QTest::mouseMove(w_.get(), from);
    EXPECT_EQ(w_->HintShort(), QString("RPM = 4 500"));
    QTest::mousePress(w_.get(), Qt::LeftButton, {}, from);
    // Towards the next line: the value grows, and the hint follows it.
    const QPoint to = from + QPoint(int((w_->ZoneLinePos(kPartX, 2) - from.x()) / 2), 0);
    QTest::mouseMove(w_.get(), to);
    const int32_t moved = Zone().axisX.values[1];
    EXPECT_GT(moved, 45);
    EXPECT_LT(moved, 80);
    EXPECT_TRUE(w_->HintShort().startsWith("Dragging: RPM = ")) << w_->HintShort().toStdString();
    Ticks(20);
    EXPECT_EQ(changes_, 0);  // one open edit until the release
    QTest::mouseRelease(w_.get(), Qt::LeftButton, {}, to);
    EXPECT_EQ(changes_, 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 0);
    EXPECT_EQ(Zone().axisX.values[1], moved);
    EXPECT_EQ(Zone().axisX.values[0], 20);  // the cells did not change, nor other lines
    EXPECT_EQ(Zone().axisX.values[2], 80);
  }
}

TEST_F(ZoneChartTest, ALineDraggedPastItsNeighbourPushesIt) {
  // The Y line of 20 % up beyond the line of 70 %: normalisation keeps the order.
  const QPoint from = OnLine(kPartY, 0);
  QTest::mousePress(w_.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(w_.get(), QPoint(from.x(), w_->layout().graph.top() + 6));
  EXPECT_GT(Zone().axisY.values[0], 70);
  EXPECT_EQ(Zone().axisY.values[1], Zone().axisY.values[0] + Zone().axisY.minGap);
  EXPECT_LE(Zone().axisY.values[1], Zone().axisY.maxValue);
  // Esc ends the drag like a release: committed once, the values stay.
  QTest::keyClick(w_.get(), Qt::Key_Escape);
  EXPECT_EQ(changes_, 1);
  EXPECT_FALSE(w_->graph.dragging);
  QTest::mouseRelease(w_.get(), Qt::LeftButton, {}, from);
  EXPECT_EQ(changes_, 1);
}

TEST_F(ZoneChartTest, APressBesideTheLinesStillTogglesZones) {
  Zone().axisData.editable = true;
  // Well inside the bottom-left zone, away from every line.
  const QPoint inZone(OnLine(kPartX, 0, -20).x(), int(w_->ZoneLinePos(kPartY, 0)) + 15);
  QTest::mousePress(w_.get(), Qt::LeftButton, {}, inZone);
  QTest::mouseRelease(w_.get(), Qt::LeftButton, {}, inZone);
  EXPECT_EQ(Zone().Cell(0, 0), 1);
  EXPECT_EQ(Zone().axisX.values[0], 20);
  EXPECT_EQ(changes_, 1);
}

TEST_F(ZoneChartTest, ALineOfANonEditableAxisCannotBeTaken) {
  Zone().axisX.editable = false;
  const QPoint from = OnLine(kPartX, 1);
  QTest::mouseMove(w_.get(), from);
  EXPECT_TRUE(w_->HintShort().isEmpty());
  QTest::mousePress(w_.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(w_.get(), from + QPoint(30, 0));
  QTest::mouseRelease(w_.get(), Qt::LeftButton, {}, from + QPoint(30, 0));
  EXPECT_EQ(Zone().axisX.values[1], 45);
}

}  // namespace
}  // namespace zeda
