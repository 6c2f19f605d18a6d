// MonitorViewApplier on a small window of its own: which control a name reaches, controls
// built after the first refresh, what the applier remembers of what it showed, and the
// Prop sign boxes.
#include "monitor/ui/monitor_view_applier.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <memory>

#include "app/ui/window_fixture.h"
#include "lang/lang_string.h"
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

// Controls are looked up when the window says they were built, never on a refresh: a label
// built later stays empty through any number of refreshes, and after ControlsBuilt() gets
// the whole current state at once. A deleted control is skipped.
TEST_F(MonitorViewApplierTest, AControlBuiltLaterIsFoundWhenTheWindowSaysSo) {
  MonitorViewApplier applier(root_.get());
  zeda::MonitorView v = ViewWithRpm("RPM = 4000", 40);
  v[zeda::MonLabel::Rpm].colour = zeda::kMonRed;
  applier.Apply(v);

  auto* later = new QLabel(root_.get());
  later->setObjectName(Name(zeda::MonLabel::Rpm));
  auto* gauge = new QProgressBar(root_.get());
  gauge->setObjectName(QString::fromLatin1(zeda::kMonitorGaugeNames[0]));
  for (int i = 0; i < 40; ++i) applier.Apply(v);
  EXPECT_EQ(later->text(), "");
  EXPECT_EQ(gauge->value(), -1);

  applier.ControlsBuilt();
  applier.Apply(v);
  EXPECT_EQ(later->text(), "RPM = 4000");
  EXPECT_EQ(later->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(later->textFormat(), Qt::PlainText);
  EXPECT_EQ(gauge->value(), 40);
  EXPECT_EQ(applier.Label(zeda::MonLabel::Rpm), later);

  // Rebuilt: the old one is skipped, the new one found at the next ControlsBuilt().
  delete later;
  applier.Apply(v);
  auto* rebuilt = new QLabel(root_.get());
  rebuilt->setObjectName(Name(zeda::MonLabel::Rpm));
  applier.ControlsBuilt();
  applier.Apply(v);
  EXPECT_EQ(rebuilt->text(), "RPM = 4000");
}

// What a label shows, as far as the display decides it.
struct Shown {
  QString text;
  QColor background, font;
  bool filled, enabled, hidden;
  bool operator==(const Shown&) const = default;
};
Shown ShownBy(QLabel* l) {
  return {l->text(),
          l->palette().color(QPalette::Window),
          l->palette().color(QPalette::WindowText),
          l->autoFillBackground(),
          l->isEnabled(),
          l->isHidden()};
}

// A reading that turns red, goes grey (disabled, with its dashes or a grey font) or is
// hidden, and then comes back, is shown exactly as before: the applier's memory of what it
// last wrote never keeps a change from being written back.
TEST_F(MonitorViewApplierTest, AReadingThatChangesAndComesBackIsShownAsBefore) {
  auto* label = new QLabel(root_.get());
  label->setObjectName(Name(zeda::MonLabel::Servo));
  MonitorViewApplier applier(root_.get());
  zeda::MonitorView base;
  base[zeda::MonLabel::Servo].text = "Servo = 2500/2500 [mV]";
  base[zeda::MonLabel::Servo].SetShown(true);

  struct Excursion {
    const char* what;
    void (*change)(zeda::LabelView&);
  };
  const Excursion excursions[] = {
      {"red", [](zeda::LabelView& l) { l.colour = zeda::kMonRed; }},
      {"red with a new text",
       [](zeda::LabelView& l) {
         l.colour = zeda::kMonRed;
         l.text = "Servo = 0/2500 [mV]";
       }},
      {"grey and disabled",
       [](zeda::LabelView& l) {
         l.text = "Servo = ---";
         l.font = zeda::kMonGray;
         l.enabled = false;
       }},
      {"lime background", [](zeda::LabelView& l) { l.colour = zeda::kMonLime; }},
      {"hidden", [](zeda::LabelView& l) { l.SetShown(false); }},
  };
  applier.Apply(base);
  const Shown before = ShownBy(label);
  ASSERT_EQ(before.text, "Servo = 2500/2500 [mV]");
  for (const Excursion& e : excursions) {
    zeda::MonitorView away = base;
    e.change(away[zeda::MonLabel::Servo]);
    applier.Apply(away);
    EXPECT_NE(ShownBy(label), before) << e.what << ": the change was not shown";
    applier.Apply(base);
    EXPECT_EQ(ShownBy(label), before) << e.what << ": not shown as before";
  }
  // A disabled reading is drawn grey, whatever font colour it has when enabled.
  zeda::MonitorView off = base;
  off[zeda::MonLabel::Servo].enabled = false;
  applier.Apply(off);
  EXPECT_NE(label->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0, 0, 0));
}

// Something else wrote a monitor label (a language switch's captions): a refresh with an
// unchanged view leaves it, a refresh after Reset() writes everything again, and the spoken
// name follows the current language.
TEST_F(MonitorViewApplierTest, ResetWritesEveryControlAgain) {
  auto* label = new QLabel(root_.get());
  label->setObjectName(Name(zeda::MonLabel::HourMeter));
  label->setProperty(kSpokenNameProperty,
                     QByteArray("###Hour meter##Betriebsstundenzähler##Hodiny"));
  MonitorViewApplier applier(root_.get());
  zeda::MonitorView v;
  v[zeda::MonLabel::HourMeter].text = "Hour meter = 1:05 [h:mm]";
  v[zeda::MonLabel::HourMeter].colour = zeda::kMonYellow;
  applier.Apply(v);
  label->setText("Hour meter");
  QPalette plain = label->palette();
  plain.setColor(QPalette::Window, Qt::white);
  label->setPalette(plain);
  applier.Apply(v);
  EXPECT_EQ(label->text(), "Hour meter");  // remembered as written: nothing to do

  zeda::SetCurrentLanguage(zeda::kGerman);
  applier.Reset();
  applier.Apply(v);
  zeda::SetCurrentLanguage(zeda::kEnglish);
  EXPECT_EQ(label->text(), "Hour meter = 1:05 [h:mm]");
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 0));
  EXPECT_EQ(label->accessibleName(), QString::fromUtf8("Betriebsstundenzähler"));
  EXPECT_EQ(label->accessibleDescription(), "Hour meter = 1:05 [h:mm]");
}

// The Prop sign boxes are read for the display, and a click on one asks for a refresh.
TEST_F(MonitorViewApplierTest, ThePropSignBoxesAreReadAndTheirClickRefreshes) {
  auto* box = new QCheckBox(root_.get());
  box->setObjectName(QStringLiteral("CheckBoxPropMon3"));
  MonitorViewApplier applier(root_.get());
  int refreshes = 0;
  applier.propToggled = [&] { ++refreshes; };
  EXPECT_FALSE(applier.PropChecked(2));
  box->setChecked(true);
  EXPECT_TRUE(applier.PropChecked(2));
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(applier.PropChecked(0));  // not built
  EXPECT_FALSE(applier.PropChecked(7));  // no such box
  delete box;
  EXPECT_FALSE(applier.PropChecked(2));
}

}  // namespace
