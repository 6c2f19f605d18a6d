// The Gear and Test pages in the window against the simulated unit: a gear button takes the
// gear voltage or ratio the unit reports, and programming after change puts it into the
// unit; a test button, once the question of its connection is answered Yes, reaches the unit
// (its trace) and shows in the next monitor answers; a new connection asks again even when
// it came while another page was shown.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <string>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "link/device_ops.h"
#include "link/test_requests.h"
#include "monitor/live_values.h"
#include "pages/gear_page.h"
#include "pages/race_page.h"
#include "pages/test_page.h"
#include "pages/ui/widget_controls.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"
#include "params/param_fields.h"

namespace {

using window_test::kIdentical;
using window_test::WaitUntil;
using window_test::WindowFixture;
using zeda::FieldId;

// A generous bound for each step on a loaded machine; the waits end as soon as it holds.
constexpr int kStepMs = 30000;
// The test pulse the unit runs (kTestRunMs) lasts seconds; several answers show it.
constexpr int kTestRpm = 5000;  // TEST_RPM of a new unit

// The unit's memory as it saved it after a write; empty while it has saved nothing.
zeda::ParamImage SavedImage(const QString& path, bool* ok) {
  zeda::ParamImage img;
  QFile f(path);
  *ok = false;
  if (!f.open(QIODevice::ReadOnly)) return img;
  const QByteArray bytes = f.readAll();
  if (bytes.size() < static_cast<qsizetype>(img.bytes.size())) return img;
  std::copy_n(bytes.begin(), img.bytes.size(), img.bytes.begin());
  *ok = true;
  return img;
}

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class UnitPagesE2eTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    form_ = MakeForm();
    form_->SetQuestionAsker([this](const QString& text) {
      questions_ << text;
      return answer_;
    });
    form_->resize(1366, 768);
    form_->show();
  }
  void TearDown() override {
    form_.reset();
    WindowFixture::TearDown();
  }
  template <typename W>
  W* Child(const QString& name) {
    W* w = form_->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
  }
  QRadioButton* Radio(const char* group, int code) {
    for (QRadioButton* b :
         Child<QGroupBox>(QString::fromLatin1(group))->findChildren<QRadioButton*>())
      if (b->property(zeda::kItemCodeProperty).toInt() == code) return b;
    ADD_FAILURE() << group << " has no item " << code;
    return nullptr;
  }
  void ShowPage(int index) {
    form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(index);
  }
  bool Checked() { return Congruence(*form_) == kIdentical && form_->DeviceOps().UnitConnected(); }
  const zeda::LiveValues& Live() { return form_->LiveValues(); }
  int Params(FieldId id, int element) {
    return zeda::ReadShown(form_->Images().params, zeda::Field(id), element);
  }

  std::unique_ptr<TMainForm> form_;
  QStringList questions_;
  int answer_ = QMessageBox::Yes;
};

// A gear button of each mode, with the element it writes: gear n is GEAR_VOLTAGE [n] and
// GEAR_RATIO [n - 1].
struct GearCase {
  const char* what;
  int mode;
  FieldId field;
  const char* const* upDowns;  // by element
  int firstGear;               // the gear of element 0
  int reported;                // what the unit reports
};
constexpr int kReportedMv = 2345;
constexpr int kReportedRatio = 87;
const GearCase kGearCases[] = {
    {"voltage", zeda::GEAR_VOLTAGE_MODE, FieldId::GEAR_VOLTAGE, zeda::kGearVoltageNames, 0,
     kReportedMv},
    {"ratio", zeda::GEAR_RATIO_MODE, FieldId::GEAR_RATIO, zeda::kGearRatioNames, 1, kReportedRatio},
};

TEST_F(UnitPagesE2eTest, GearButtonTakesTheReportedValueAndTheUnitGetsIt) {
  const QString saved = files_.filePath("unit.bin");
  ASSERT_TRUE(StartLinkedSimulator(
      *form_, {"--engine", "stopped", "--gear-voltage", QString::number(kReportedMv),
               "--gear-ratio", QString::number(kReportedRatio), "--save", saved}));
  ASSERT_TRUE(WaitUntil([&] { return Checked(); }, kStepMs));
  form_->appSettings.newInstal = false;
  Child<QCheckBox>(QStringLiteral("CheckBoxProgHned"))->setChecked(true);
  ShowPage(zeda::kGearPageIndex);
  auto* gear0 = Child<QPushButton>(QString::fromLatin1(zeda::kGearButtonNames[0]));

  for (const GearCase& c : kGearCases) {
    SCOPED_TRACE(c.what);
    Radio("RadioGroupGearSystem", c.mode)->click();
    ASSERT_EQ(form_->Images().params.Byte(zeda::Adrb::GEAR), c.mode);
    // The highest gear shown, so that a button writing the wrong element shows.
    int gear = 0;
    for (int n = 0; n < zeda::kGearButtons; ++n)
      if (!Child<QPushButton>(QString::fromLatin1(zeda::kGearButtonNames[n]))->isHidden()) gear = n;
    ASSERT_GE(gear, 2);
    const int element = gear - c.firstGear;
    auto* button = Child<QPushButton>(QString::fromLatin1(zeda::kGearButtonNames[gear]));
    auto* upDown = Child<QSpinBox>(QString::fromLatin1(c.upDowns[element]));
    ASSERT_NE(Params(c.field, element), c.reported) << "pick another value";

    // The page's tick enables the buttons once the monitor data are valid, and lights the
    // gear the unit reports (a standing engine: gear 0).
    ASSERT_TRUE(WaitUntil(
        [&] {
          return button->isEnabled() && Live().gearMv == kReportedMv &&
                 Live().gearRatio == kReportedRatio;
        },
        kStepMs));
    EXPECT_TRUE(WaitUntil(
        [&] { return Live().gear == 0 && gear0->property("zedaHighlighted").toBool(); }, kStepMs));
    EXPECT_FALSE(button->property("zedaHighlighted").toBool());
    EXPECT_TRUE(gear0->font().bold()) << "the current gear's caption is bold";
    EXPECT_FALSE(button->font().bold());
    auto* voltage0 = Child<QLabel>(QString::fromLatin1(zeda::kGearVoltageLabels[0]));
    EXPECT_TRUE(WaitUntil(
        [&] {
          return voltage0->property("zedaHighlighted").toBool() ==
                 (c.mode == zeda::GEAR_VOLTAGE_MODE);
        },
        kStepMs))
        << "voltage labels are lit in voltage mode only";
    EXPECT_FALSE(voltage0->font().bold()) << "a lit label turns green, only a button is bold";

    const int others = Params(c.field, element - 1);
    button->click();
    EXPECT_EQ(upDown->value(), c.reported);
    EXPECT_EQ(Params(c.field, element), c.reported);
    EXPECT_EQ(Params(c.field, element - 1), others);

    // Programming after change writes the edit into the unit, which saves its memory.
    const auto inUnit = [&] {
      bool ok = false;
      const zeda::ParamImage unit = SavedImage(saved, &ok);
      return ok && unit.Byte(zeda::Adrb::GEAR) == c.mode &&
             zeda::ReadShown(unit, zeda::Field(c.field), element) == c.reported;
    };
    EXPECT_TRUE(WaitUntil(inUnit, kStepMs));
    window_test::Shot(*form_, (std::string("gear_page_") + c.what).c_str());
  }

  // The Race page lights the row of the reported gear (gear 0 is in row "0-1 "); its
  // quickshift time only with a Quickshift input, which this image has not.
  ShowPage(zeda::kRacePageIndex);
  auto* korRow = Child<QLabel>(QString::fromLatin1(zeda::kKorRowLabels[0]));
  EXPECT_TRUE(WaitUntil([&] { return korRow->property("zedaHighlighted").toBool(); }, kStepMs));
  EXPECT_FALSE(Child<QLabel>(QString::fromLatin1(zeda::kKorRowLabels[1]))
                   ->property("zedaHighlighted")
                   .toBool());
  EXPECT_FALSE(Child<QLabel>(QString::fromLatin1(zeda::kClutchRowLabels[0]))
                   ->property("zedaHighlighted")
                   .toBool());
  EXPECT_TRUE(WaitUntil([&] { return Congruence(*form_) == kIdentical; }, kStepMs));
  window_test::Shot(*form_, "race_page_live");
  // Without a unit the monitor data are not valid: no gear is lit and the buttons rest.
  ShowPage(zeda::kGearPageIndex);
  KillLinkedSimulator(*form_);
  EXPECT_TRUE(
      WaitUntil([&] { return !gear0->isEnabled() && !gear0->property("zedaHighlighted").toBool(); },
                kStepMs));
}

TEST_F(UnitPagesE2eTest, TestButtonAsksOnceAndReachesTheUnitAndItsAnswers) {
  const QString trace = files_.filePath("trace.txt");
  ASSERT_TRUE(StartLinkedSimulator(*form_, {"--engine", "stopped", "--trace", trace}));
  ASSERT_TRUE(WaitUntil([&] { return Checked() && Live().live; }, kStepMs));
  ASSERT_EQ(Live().engineSpeed, 0);
  ShowPage(zeda::kTestPageIndex);
  auto* ign1 = Child<QPushButton>(QStringLiteral("ButtonTestIgn1"));
  auto* ign2 = Child<QPushButton>(QStringLiteral("ButtonTestIgn2"));

  // No: nothing goes to the unit, and the next press asks again.
  answer_ = QMessageBox::No;
  ign1->click();
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_TRUE(questions_[0].contains(QStringLiteral("ignition")));
  EXPECT_EQ(form_->DeviceOps().monitorCommands.testFlags1, 0);

  answer_ = QMessageBox::Yes;
  ign1->click();
  EXPECT_EQ(questions_.size(), 2);
  bool ran = false;  // some monitor answer showed the test's speed
  ASSERT_TRUE(WaitUntil(
      [&] {
        ran |= Live().engineSpeed == kTestRpm;
        return ran && ReadAll(trace).contains(
                          QStringLiteral("test request: ignition 0x01 output 0x00 servo 0x00"));
      },
      kStepMs))
      << ReadAll(trace).toStdString();
  EXPECT_TRUE(ReadAll(trace).contains(QStringLiteral("ignition test 1 runs at 5000 rpm")));

  // The same connection does not ask again.
  ign2->click();
  EXPECT_EQ(questions_.size(), 2);
  EXPECT_TRUE(
      WaitUntil([&] { return ReadAll(trace).contains(QStringLiteral("ignition 0x02")); }, kStepMs))
      << ReadAll(trace).toStdString();

  // The unit goes and comes back while another page is shown: the first test asks again.
  ShowPage(zeda::kGearPageIndex);
  const uint32_t connection = form_->DeviceOps().ConnectionNumber();
  KillLinkedSimulator(*form_);
  ASSERT_TRUE(WaitUntil([&] { return !form_->DeviceOps().UnitConnected(); }, kStepMs));
  const QString trace2 = files_.filePath("trace2.txt");
  QProcess fresh;
  ASSERT_FALSE(window_test::StartOwnSimulator(
                   fresh, {"--link", UnitLink(), "--engine", "stopped", "--trace", trace2})
                   .isEmpty());
  ASSERT_TRUE(WaitUntil([&] { return Checked(); }, kStepMs));
  EXPECT_NE(form_->DeviceOps().ConnectionNumber(), connection);
  ShowPage(zeda::kTestPageIndex);
  ign1->click();
  EXPECT_EQ(questions_.size(), 3) << "a new connection must ask before its first test";
  EXPECT_TRUE(
      WaitUntil([&] { return ReadAll(trace2).contains(QStringLiteral("ignition 0x01")); }, kStepMs))
      << ReadAll(trace2).toStdString();
  form_.reset();
  fresh.terminate();
  fresh.waitForFinished(2000);
}

// The page knows its buttons by name, the link by request: every button of the page must
// have its request row, or a click would be dropped without a word.
TEST(TestPageButtons, EveryButtonOfThePageHasItsRequestRow) {
  for (const char* name : zeda::kTestButtonNames) {
    int rows = 0;
    for (const zeda::TestButtonRow& row : zeda::kTestButtons)
      if (std::string_view(row.control) == name) ++rows;
    EXPECT_EQ(rows, 1) << name;
  }
}

}  // namespace
