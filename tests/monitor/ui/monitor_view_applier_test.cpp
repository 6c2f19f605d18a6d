// MonitorViewApplier on a small window of its own: which control a name reaches, and
// controls built after the first refresh.
#include "monitor/ui/monitor_view_applier.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <memory>

#include "app/ui/window_fixture.h"
#include "monitor/monitor_display.h"

namespace {

using window_test::App;

QString Name(zeda::MonLabel l) {
  return QString::fromLatin1(zeda::kMonitorLabelNames[static_cast<int>(l)]);
}

zeda::MonitorView ViewWithRpm(const char* text, int gauge) {
  zeda::MonitorView v;
  v[zeda::MonLabel::Rpm].text = text;
  v.Gauge(zeda::MonGauge::Rpm) = {100, gauge, zeda::kMonLime};
  return v;
}

class MonitorViewApplierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    root_ = std::make_unique<QWidget>();
  }
  std::unique_ptr<QWidget> root_;
};

// Two controls with one name: the display fills the one findChild returns, a child of the
// window before a deeper one that comes first in the tree; a control of the wrong kind does
// not take a gauge's name.
TEST_F(MonitorViewApplierTest, ANameReachesTheControlFindChildReturns) {
  auto* box = new QWidget(root_.get());  // first child, holding the deeper twin
  auto* deep = new QLabel(box);
  deep->setObjectName(Name(zeda::MonLabel::Rpm));
  auto* notAGauge = new QLabel(box);
  notAGauge->setObjectName(QString::fromLatin1(zeda::kMonitorGaugeNames[0]));
  auto* top = new QLabel(root_.get());
  top->setObjectName(Name(zeda::MonLabel::Rpm));
  auto* gauge = new QProgressBar(box);
  gauge->setObjectName(QString::fromLatin1(zeda::kMonitorGaugeNames[0]));
  ASSERT_EQ(root_->findChild<QWidget*>(Name(zeda::MonLabel::Rpm)), top);

  MonitorViewApplier applier(root_.get());
  applier.Apply(ViewWithRpm("RPM = 4000", 40));
  EXPECT_EQ(top->text(), "RPM = 4000");
  EXPECT_EQ(top->textFormat(), Qt::PlainText);
  EXPECT_EQ(deep->text(), "");
  EXPECT_EQ(notAGauge->text(), "");
  EXPECT_EQ(gauge->value(), 40);
}

// A label built after the first refresh is found on a later one and gets the whole current
// state, even though the view did not change since.
TEST_F(MonitorViewApplierTest, AControlBuiltLaterIsFoundAndFilled) {
  MonitorViewApplier applier(root_.get());
  zeda::MonitorView v = ViewWithRpm("RPM = 4000", 40);
  v[zeda::MonLabel::Rpm].colour = zeda::kMonRed;
  applier.Apply(v);

  auto* later = new QLabel(root_.get());
  later->setObjectName(Name(zeda::MonLabel::Rpm));
  auto* gauge = new QProgressBar(root_.get());
  gauge->setObjectName(QString::fromLatin1(zeda::kMonitorGaugeNames[0]));
  // Missing controls are looked for again now and then, not on every refresh.
  for (int i = 0; i < 20 && later->text().isEmpty(); ++i) applier.Apply(v);
  EXPECT_EQ(later->text(), "RPM = 4000");
  EXPECT_EQ(later->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(later->textFormat(), Qt::PlainText);
  for (int i = 0; i < 20 && gauge->value() != 40; ++i) applier.Apply(v);
  EXPECT_EQ(gauge->value(), 40);

  // Rebuilt: the new label is found again.
  delete later;
  auto* rebuilt = new QLabel(root_.get());
  rebuilt->setObjectName(Name(zeda::MonLabel::Rpm));
  for (int i = 0; i < 20 && rebuilt->text().isEmpty(); ++i) applier.Apply(v);
  EXPECT_EQ(rebuilt->text(), "RPM = 4000");
}

}  // namespace
