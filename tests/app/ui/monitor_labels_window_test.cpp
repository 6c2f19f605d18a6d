// The live monitor's labels and gauges in the real window: every name of the display's
// tables is built somewhere in the window and shows what the display computed; five of
// them follow the answers of a simulated unit; a language switch leaves the monitor's
// texts in place of the form's captions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <fstream>
#include <set>
#include <string>

#include "app/ui/window_fixture.h"
#include "lang/lang_string.h"
#include "link/device_ops.h"
#include "monitor/monitor_block.h"
#include "monitor/monitor_display.h"
#include "monitor/monitor_texts.h"
#include "monitor/ui/monitor_view_applier.h"

namespace {

using window_test::WaitUntil;

// This build has no dwell settings: the display hides the dwell labels on every refresh, so
// the window does not build them at all.
const std::set<std::string> kNotBuilt = {"LabelDwell",  "LabelDwell1", "LabelDwell2",
                                         "LabelDwell3", "LabelDwell4", "LabelDwellCalibError"};
// Built, but hidden on purpose while the window runs outside the service test mode without
// a unit: the tacho/lambda line (no lambda display in this build), the test values (service
// test mode only) and the programmed-data alarm (only while a unit reports the error).
bool HiddenOnPurpose(const std::string& name) {
  return name == "LabelMonTachoLambdaOut" || name == "LabelEeDataErr" ||
         (name.starts_with("LabelTest") && name != "LabelTestWarning");
}

QString NameOf(int label) { return QString::fromLatin1(zeda::kMonitorLabelNames[label]); }

QString TextOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  return {};
}

QColor Background(QWidget* w) { return w->palette().color(QPalette::Window); }

class MonitorLabelsWindowTest : public window_test::WindowFixture {
 protected:
  // What the display makes of the window's current block, evaluated apart from the window
  // (the minute counters start unknown: compare the hour meter separately).
  static zeda::MonitorView DisplayOf(TMainForm& form, bool live) {
    zeda::MonitorBlock block = form.monitorBlock();
    zeda::MonitorParams params = zeda::MonitorParamsFrom(form.imageBuffers);
    for (int i = 0; i < MonitorViewApplier::kPropBoxCount; ++i) {
      auto* box = form.findChild<QCheckBox*>(QStringLiteral("CheckBoxPropMon%1").arg(i + 1));
      params.propSigned[static_cast<std::size_t>(i)] = box && box->isChecked();
    }
    zeda::MonitorMemory memory;
    zeda::LiveValues values;
    zeda::MonitorView view;
    zeda::EvaluateMonitor(block, live, params, memory, values, view);
    return view;
  }

  // Every built label shows the display's text (the unit identity and the minute counters
  // come from the window's own memory and are left out).
  static void ExpectLabelsShow(TMainForm& form, const zeda::MonitorView& view) {
    for (int i = 0; i < zeda::kMonLabelCount; ++i) {
      const auto l = static_cast<zeda::MonLabel>(i);
      if (l == zeda::MonLabel::HourMeter || l == zeda::MonLabel::OvervoltageEvents ||
          (i >= static_cast<int>(zeda::MonLabel::Verze1) &&
           i <= static_cast<int>(zeda::MonLabel::Verze3)))
        continue;
      if (kNotBuilt.count(zeda::kMonitorLabelNames[i])) continue;
      QWidget* w = form.findChild<QWidget*>(NameOf(i));
      ASSERT_NE(w, nullptr) << zeda::kMonitorLabelNames[i];
      EXPECT_EQ(TextOf(w).toStdString(), view[l].text) << zeda::kMonitorLabelNames[i];
    }
  }
};

// Every label and gauge the display computes has its control in the window, named for a
// screen reader, and shows the display's text; the ones this build hides stay hidden.
TEST_F(MonitorLabelsWindowTest, EveryMonitorControlIsBuiltAndFilled) {
  auto form = MakeShownFormAt(0);
  QCoreApplication::processEvents();
  for (int i = 0; i < zeda::kMonLabelCount; ++i) {
    const std::string name = zeda::kMonitorLabelNames[i];
    QWidget* w = form->findChild<QWidget*>(NameOf(i));
    if (kNotBuilt.count(name)) {
      EXPECT_EQ(w, nullptr) << name << " is built now: take it off the list";
      continue;
    }
    ASSERT_NE(w, nullptr) << name << " is not built";
    if (HiddenOnPurpose(name)) {
      EXPECT_FALSE(w->isVisibleTo(form.get())) << name;
      continue;
    }
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr) << name;
    const QString spoken = a->text(QAccessible::Name);
    EXPECT_FALSE(spoken.isEmpty() || spoken == QStringLiteral("---")) << name;
  }
  for (int i = 0; i < zeda::kMonGaugeCount; ++i) {
    auto* g = form->findChild<QProgressBar*>(QString::fromLatin1(zeda::kMonitorGaugeNames[i]));
    ASSERT_NE(g, nullptr) << zeda::kMonitorGaugeNames[i];
    EXPECT_FALSE(g->accessibleName().isEmpty()) << zeda::kMonitorGaugeNames[i];
  }
  for (const char* name : {"LabelAccBelow", "LabelAccOver"})
    EXPECT_NE(form->findChild<QLabel*>(QString::fromLatin1(name)), nullptr) << name;
  for (int i = 1; i <= MonitorViewApplier::kPropBoxCount; ++i)
    EXPECT_NE(form->findChild<QCheckBox*>(QStringLiteral("CheckBoxPropMon%1").arg(i)), nullptr);
  // A few spoken names as a person reads them.
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("LabelHourMeter"))->accessibleName(),
            QStringLiteral("Hour meter"));
  EXPECT_EQ(form->findChild<QProgressBar*>(QStringLiteral("CGaugeAkcel"))->accessibleName(),
            QStringLiteral("Acceleration"));

  ExpectLabelsShow(*form, DisplayOf(*form, false));
  EXPECT_EQ(Label(*form, "LabelHourMeter")->text(), QStringLiteral("Hour meter = ---"));
}

// Speed, gear, an input, an output and the hour meter as zedasim reports them: each label
// shows the words and bytes of the unit's last answer, in the colour the display gives them.
TEST_F(MonitorLabelsWindowTest, FiveReadingsFollowTheUnitsAnswer) {
  auto form = MakeShownFormAt(0);
  // A steady engine in first gear at a fixed ratio, input 1 grounded.
  ASSERT_TRUE(
      StartLinkedSimulator(*form, {"--rpm", "3000", "--gear-ratio", "150", "--inputs", "1"}));
  auto answer = [&] { return form->monitorBlock(); };
  // An answer that carries the hour meter (not the overvoltage time), from the running engine.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const zeda::MonitorBlock b = answer();
        return form->DeviceOps().UnitConnected() && b.Word(zeda::Monw::RPM) == 3000 &&
               !(b.Byte(zeda::Monb::INPUT_LEVEL) >> zeda::MonBit::OVERVOLTAGE_TIME & 1);
      },
      40000));
  const zeda::MonitorBlock b = answer();

  // Speed: word 26, the engine speed over the fixed ratio.
  ASSERT_EQ(b.Word(zeda::Monw::SPEED), 3000 * 10 / 150);
  EXPECT_EQ(Label(*form, "LabelMonSpeed")->text(),
            QStringLiteral("Speed = %1 [km/h]").arg(b.Word(zeda::Monw::SPEED)));
  EXPECT_TRUE(Label(*form, "LabelMonSpeed")->isEnabled());
  // Gear: byte 121.
  ASSERT_EQ(b.Byte(zeda::Monb::GEAR), 1);
  EXPECT_EQ(Label(*form, "LabelMonGear")->text(), QStringLiteral("Gear = 1"));
  // Input 1 grounded (fuchsia), input 2 open (plain).
  ASSERT_EQ(b.Byte(zeda::Monb::INPUT_LEVEL) & 0x3F, 1);
  QLabel* input1 = Label(*form, "LabelMonInput1In");
  EXPECT_EQ(input1->text(), QStringLiteral("Input = Grounded"));
  EXPECT_EQ(Background(input1), QColor(255, 0, 255));
  EXPECT_TRUE(input1->autoFillBackground());
  EXPECT_EQ(Label(*form, "LabelMonInput2In")->text(), QStringLiteral("Input = Open"));
  // Output 1: its function (byte 110) and state (bit 0 of byte 109); a fuel pump runs with
  // the engine, in teal.
  ASSERT_EQ(b.Byte(zeda::Monb::POUT_MODE), 1);
  ASSERT_TRUE(b.Byte(zeda::Monb::POUT) & 1);
  QLabel* pout1 = Label(*form, "LabelMonPOut1");
  EXPECT_EQ(pout1->text(), QStringLiteral("POUT1(Fuel pump) = YES"));
  EXPECT_EQ(Background(pout1), QColor(0, 128, 128));
  // Hour meter: the 24-bit minute counter of byte 115 and word 15.
  const int minutes = b.Byte(zeda::Monb::MOTO_MIN_HI) * 65536 + b.Word(zeda::Monw::MOTO_MIN_LO);
  EXPECT_EQ(Label(*form, "LabelHourMeter")->text(),
            QStringLiteral("Hour meter = %1:%2 [h:mm]")
                .arg(minutes / 60)
                .arg(minutes % 60, 2, 10, QLatin1Char('0')));
  // And every other label shows the display's own reading of the same answer.
  ExpectLabelsShow(*form, DisplayOf(*form, true));
  window_test::Shot(*form, "monitor_labels_live");

  // A language switch while the unit answers: the full-sync line and the output test
  // buttons show the monitor's texts, not the form's captions.
  form->MenuGermanClick();
  const zeda::MonitorView german = DisplayOf(*form, true);
  EXPECT_EQ(Label(*form, "LabelFullSync")->text().toStdString(),
            german[zeda::MonLabel::FullSync].text);
  EXPECT_NE(Label(*form, "LabelFullSync")->text(), QStringLiteral("Volle Synchronisation"));
  auto* test01 = form->findChild<QAbstractButton*>(QStringLiteral("ButtonTest01"));
  EXPECT_EQ(test01->text().toStdString(), german[zeda::MonLabel::ButtonTest01].text);
  EXPECT_TRUE(
      test01->text().contains(QString::fromUtf8(zeda::MonitorText(zeda::MonText::FuelPump))))
      << test01->text().toStdString();
  ExpectLabelsShow(*form, german);
  form.reset();
}

// Without a unit: after a switch to German and back, every monitor label shows the display's
// text in the new language, though the form has captions for several of them ("FullSync",
// "Hour meter", "Pout 1").
TEST_F(MonitorLabelsWindowTest, ALanguageSwitchLeavesTheMonitorTexts) {
  auto form = MakeShownFormAt(1);
  QCoreApplication::processEvents();
  ASSERT_EQ(Label(*form, "LabelFullSync")->text(), QStringLiteral("---"));
  form->MenuGermanClick();
  EXPECT_EQ(Label(*form, "LabelFullSync")->text(), QStringLiteral("---"));
  ExpectLabelsShow(*form, DisplayOf(*form, false));
  EXPECT_EQ(
      Label(*form, "LabelHourMeter")->text(),
      QString::fromUtf8(zeda::MonitorText(zeda::MonText::HourMeter)) + QStringLiteral(" = ---"));
  // The spoken names follow the language too.
  EXPECT_EQ(Label(*form, "LabelHourMeter")->accessibleName(),
            QString::fromUtf8("Betriebsstundenzähler"));
  form->MenuEnglishClick();
  ExpectLabelsShow(*form, DisplayOf(*form, false));
  EXPECT_EQ(Label(*form, "LabelHourMeter")->accessibleName(), QStringLiteral("Hour meter"));
}

// The unit's test values are shown on the Test page in the service test mode, with the
// value 0 while no unit answers.
TEST_F(MonitorLabelsWindowTest, TheTestValuesShowInTheServiceTestMode) {
  const QString switchFile = files_.filePath("switch.txt");
  std::ofstream(switchFile.toStdString()) << "DEVS_SWITCH\n";
  const QByteArray savedSwitch = qgetenv("ZEDA_TEST_SWITCH");
  qputenv("ZEDA_TEST_SWITCH", switchFile.toLocal8Bit());
  auto form = MakeShownFormAt(9);
  qputenv("ZEDA_TEST_SWITCH", savedSwitch);
  ASSERT_TRUE(form->TestMode());
  QCoreApplication::processEvents();
  auto* tab = form->findChild<QWidget*>(QStringLiteral("TabSheet_Ladeni"));
  ASSERT_NE(tab, nullptr);
  for (int i = 1; i <= 10; ++i) {
    QLabel* l = tab->findChild<QLabel*>(QStringLiteral("LabelTest%1").arg(i));
    ASSERT_NE(l, nullptr) << i;
    EXPECT_TRUE(l->isVisibleTo(tab)) << i;
    EXPECT_EQ(l->text(), QStringLiteral("Test%1 = 0 ").arg(i));
  }
}

}  // namespace
