// A control of a page commits on a user's act only, whichever way the act comes (mouse,
// keyboard, wheel, an assistive tool), and values the controls cannot show are kept: the
// window's real pages, widgets and binder.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <vector>

#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "pages/bike_page.h"
#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "pages/ui/page_widget.h"
#include "pages/ui/widget_controls.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace {

using window_test::WindowFixture;
using zeda::Adrb;
using zeda::Adrw;

class UserActsTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    form_ = MakeForm();
    ASSERT_NE(form_->Pages(), nullptr);
  }
  zeda::PageBinder& Binder() { return form_->Pages()->Binder(); }
  zeda::ParamImage& Img() { return form_->Images().params; }
  template <typename T>
  T* Find(const char* name) {
    return form_->findChild<T*>(QString::fromLatin1(name));
  }
  // Brings the page holding `w` to the front (its load under the guard, no commit).
  void ShowPageOf(QWidget* w) {
    auto* tabs = Find<QTabWidget>("PageControl1");
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->widget(i)->isAncestorOf(w)) tabs->setCurrentIndex(i);
    QCoreApplication::processEvents();
  }
  // Puts the image's values into every page, as a read or a file load does.
  void Reload() { Binder().LoadAllPages(); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Binder().Tick();
  }
  // The radio button of a radio group that stands for `code`.
  QRadioButton* ItemButton(const char* group, int code) {
    for (QRadioButton* b : Find<QWidget>(group)->findChildren<QRadioButton*>())
      if (b->property(zeda::kItemCodeProperty).toInt() == code) return b;
    return nullptr;
  }
  // Shows the window as the active one, so that a control can hold the keyboard focus.
  void ShowActive() {
    form_->resize(1366, 768);
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  std::unique_ptr<TMainForm> form_;
};

void DoAction(QWidget* w, const QString& action) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(a->actionInterface(), nullptr);
  ASSERT_TRUE(a->actionInterface()->actionNames().contains(action))
      << a->actionInterface()->actionNames().join(QLatin1Char(',')).toStdString();
  a->actionInterface()->doAction(action);
}

// The value interface of an up-down commits like arrow clicks: once, 5 ticks after the last
// value. (Qt's spin box offers an assistive tool no increase/decrease action of its own:
// SetFocus only; a tool steps by setting the value.)
TEST_F(UserActsTest, AnAssistiveToolsValueCommitsLikeArrowClicks) {
  auto* spin = Find<zeda::PageSpinBox>("UpDownLimiter");
  ASSERT_NE(spin, nullptr);
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(spin);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(a->valueInterface(), nullptr);
  struct Case {
    const char* what;
    std::vector<int> values;
  };
  const Case cases[] = {{"one value", {11500}}, {"values in a row", {11900, 11950, 12100}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Img().SetWord(Adrw::LIMITER, 12000);
    Reload();
    const int commits = Binder().Commits();
    for (int v : c.values) {
      Ticks(1);
      a->valueInterface()->setCurrentValue(v);
    }
    EXPECT_EQ(spin->value(), c.values.back());
    Ticks(zeda::kArrowCommitTicks - 1);
    EXPECT_EQ(Binder().Commits(), commits);
    EXPECT_EQ(Img().Word(Adrw::LIMITER), 12000);
    Ticks(1);
    EXPECT_EQ(Binder().Commits(), commits + 1);
    EXPECT_EQ(Img().Word(Adrw::LIMITER), c.values.back());
  }
}

// An assistive tool steps an up-down by the size it reports: every up-down of the pages
// reports its own step (it reported 0, and a tool's Increase took the limiter thousands of
// rpm up), in the current range as the pages set it.
TEST_F(UserActsTest, EveryUpDownTellsAssistiveToolsItsStep) {
  int checked = 0;
  for (QSpinBox* spin : form_->findChildren<zeda::PageSpinBox*>()) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(spin);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->valueInterface(), nullptr);
    EXPECT_EQ(a->valueInterface()->minimumStepSize().toInt(), spin->singleStep())
        << spin->objectName().toStdString();
    ++checked;
  }
  EXPECT_GT(checked, 50);
  auto* limiter = Find<zeda::PageSpinBox>("UpDownLimiter");
  ASSERT_NE(limiter, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(limiter)->valueInterface()->minimumStepSize(),
            50);
}

// The toggle action of a check box, of an item of a radio group and of a button of a row
// commits at once, as a click does.
TEST_F(UserActsTest, AnAssistiveToolsToggleCommitsAtOnce) {
  Img().SetByte(Adrb::INPUT_NEUTRAL_SS, 0);
  Img().SetByte(Adrb::INPUT_FUNCTION + 2, zeda::INPUT_OFF);
  Img().SetByte(Adrb::POTENTIOMETER, 0);
  Reload();
  struct Case {
    const char* what;
    QAbstractButton* button;
    int addr;
    int expected;
  };
  const Case cases[] = {
      {"check box", Find<QCheckBox>("CheckBoxInNeutralSs"), Adrb::INPUT_NEUTRAL_SS, 1},
      {"radio group", ItemButton("RadioGroupInput3", zeda::INPUT_RETARD), Adrb::INPUT_FUNCTION + 2,
       zeda::INPUT_RETARD},
      {"radio row", Find<QRadioButton>("RadioButtonPoti2"), Adrb::POTENTIOMETER, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NE(c.button, nullptr);
    const int commits = Binder().Commits();
    DoAction(c.button, QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(c.button->isChecked());
    EXPECT_EQ(Binder().Commits(), commits + 1);
    EXPECT_EQ(Img().Byte(c.addr), c.expected);
  }
  // The row's own handler ran: mode 2 brings its start range.
  EXPECT_EQ(Img().Word(Adrw::POTENTIOMETER_RANGE), 1000);
}

// A click (or a toggle action) on the radio button already checked changes nothing: the
// potentiometer handler would reset the tuned range.
TEST_F(UserActsTest, AClickOnTheCheckedRadioButtonChangesNothing) {
  Img().SetByte(Adrb::POTENTIOMETER, 1);
  Img().SetWord(Adrw::POTENTIOMETER_RANGE, 40);
  Img().SetByte(Adrb::INPUT_NEUTRAL_SS, 0);
  Img().SetByte(Adrb::INPUT_FUNCTION + 2, zeda::INPUT_RETARD);
  Reload();
  form_->show();
  const zeda::ParamImage before = Img();
  for (QRadioButton* b : {Find<QRadioButton>("RadioButtonPoti1"),
                          ItemButton("RadioGroupInput3", zeda::INPUT_RETARD)}) {
    ASSERT_NE(b, nullptr);
    SCOPED_TRACE(b->objectName().toStdString());
    ASSERT_TRUE(b->isChecked());
    const int commits = Binder().Commits();
    QTest::mouseClick(b, Qt::LeftButton);
    b->click();
    DoAction(b, QAccessibleActionInterface::toggleAction());
    Ticks(zeda::kArrowCommitTicks);
    EXPECT_TRUE(b->isChecked());
    EXPECT_EQ(Binder().Commits(), commits);
  }
  EXPECT_EQ(Img().Word(Adrw::POTENTIOMETER_RANGE), 40);
  EXPECT_TRUE(Img().bytes == before.bytes);
  EXPECT_FALSE(Binder().Ring().CanUndo());
}

// Turning the wheel over an up-down or a combo box that does not have the focus changes
// nothing and leaves the event to the page (which scrolls); over the focused one it changes
// the value and commits.
TEST_F(UserActsTest, TheWheelChangesOnlyAFocusedUpDownOrComboBox) {
  Img().SetByte(Adrb::BIKE, zeda::BIKE_SPECIAL);  // enables the Bike page's combo boxes
  Img().SetWord(Adrw::LIMITER, 12000);
  Reload();
  ShowActive();
  auto* parking = Find<QWidget>("CheckBoxProgHned");
  ASSERT_NE(parking, nullptr);
  struct Case {
    const char* name;
    int ticks;  // until the commit: an up-down's step waits for more steps
  };
  for (const Case c :
       {Case{"UpDownLimiter", zeda::kArrowCommitTicks}, Case{"ComboBoxNasobekPalcu", 0}}) {
    SCOPED_TRACE(c.name);
    QWidget* w = Find<QWidget>(c.name);
    ASSERT_NE(w, nullptr);
    ShowPageOf(w);
    EXPECT_EQ(w->focusPolicy(), Qt::StrongFocus);
    auto value = [w] {
      if (auto* s = qobject_cast<QSpinBox*>(w)) return s->value();
      return qobject_cast<QComboBox*>(w)->currentIndex();
    };
    auto wheel = [w] {
      const QPointF at(w->width() / 2.0, w->height() / 2.0);
      QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
      QApplication::sendEvent(w, &e);
      return e.isAccepted();
    };
    parking->setFocus();
    ASSERT_FALSE(w->hasFocus());
    const int shown = value();
    const int commits = Binder().Commits();
    EXPECT_FALSE(wheel()) << "the page does not get the wheel";
    Ticks(zeda::kArrowCommitTicks);
    EXPECT_EQ(value(), shown);
    EXPECT_EQ(Binder().Commits(), commits);

    w->setFocus();
    ASSERT_TRUE(w->hasFocus());
    EXPECT_TRUE(wheel());
    EXPECT_NE(value(), shown);
    Ticks(c.ticks);
    EXPECT_EQ(Binder().Commits(), commits + 1);
  }
  EXPECT_EQ(Img().Word(Adrw::LIMITER), 12000 - 50);
  auto* combo = Find<QComboBox>("ComboBoxNasobekPalcu");
  EXPECT_EQ(Img().Byte(Adrb::GEBER_MODE), combo->currentData().toInt());
}

// Loads put values of every kind into the controls (states that differ, ranges that move,
// values outside a range, codes no item carries) and rebuild item lists on a language
// switch: none of it is a user's act, none of it commits.
TEST_F(UserActsTest, LoadsPageSwitchesAndALanguageSwitchNeverCommit) {
  form_->resize(1366, 768);
  form_->show();
  const int commits = Binder().Commits();
  zeda::ParamImage& img = Img();
  img.SetByte(Adrb::INPUT_NEUTRAL_SS, img.Byte(Adrb::INPUT_NEUTRAL_SS) ? 0 : 1);
  img.SetByte(Adrb::INPUT_FUNCTION + 2, zeda::INPUT_SPEED);
  img.SetByte(Adrb::POTENTIOMETER, 1);
  img.SetWord(Adrw::POTENTIOMETER_RANGE, 500);  // beyond mode 1's 60
  img.SetWord(Adrw::LIMITER, 12345);
  img.SetByte(Adrb::BIKE, 50);         // no preset of the list
  img.SetByte(Adrb::RPM_PULSES, 200);  // below -2
  img.SetByte(Adrb::PICKUP_POLARITY, 2);
  const zeda::ParamImage loaded = img;
  Reload();
  auto* tabs = Find<QTabWidget>("PageControl1");
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    QCoreApplication::processEvents();
  }
  for (const char* language : {"MenuGerman", "MenuCzech", "MenuEnglish"})
    for (int i : {zeda::kMiscPageIndex, zeda::kBikePageIndex}) {
      tabs->setCurrentIndex(i);
      Find<QAction>(language)->trigger();
      QCoreApplication::processEvents();
    }
  Ticks(2 * zeda::kArrowCommitTicks);
  EXPECT_EQ(Binder().Commits(), commits);
  EXPECT_FALSE(Binder().Ring().CanUndo());
  EXPECT_TRUE(img.bytes == loaded.bytes);
}

// An up-down whose stored value lies outside its range shows the end of the range in red
// and says why; a commit of another control keeps the stored value, the user's first act
// on the up-down gives it up.
TEST_F(UserActsTest, AValueOutsideTheRangeIsMarkedAndKeptUntilTheUserChangesIt) {
  Img().SetByte(Adrb::POTENTIOMETER, 1);
  Img().SetWord(Adrw::POTENTIOMETER_RANGE, 500);
  Reload();
  auto* spin = Find<zeda::PageSpinBox>("UpDownPotencRozsah");
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->value(), 60);
  EXPECT_EQ(spin->palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_EQ(spin->accessibleDescription(),
            QStringLiteral("stored value 500 is outside 0 to 60; kept until you change it"));

  const int commits = Binder().Commits();
  Find<QCheckBox>("CheckBoxInNeutralSs")->click();
  ASSERT_EQ(Binder().Commits(), commits + 1);
  EXPECT_EQ(Img().Word(Adrw::POTENTIOMETER_RANGE), 500);
  EXPECT_FALSE(spin->accessibleDescription().isEmpty());

  spin->stepBy(-1);
  EXPECT_TRUE(spin->accessibleDescription().isEmpty());
  EXPECT_NE(spin->palette().color(QPalette::Text), QColor(Qt::red));
  Ticks(zeda::kArrowCommitTicks);
  EXPECT_EQ(Img().Word(Adrw::POTENTIOMETER_RANGE), 59);
}

// The Bike page's tick and a commit of another of its controls keep a preset code the list
// does not hold and a pulses count below -2 (shown as "-2", which a user types for pick-up
// copy 2).
TEST_F(UserActsTest, BikeValuesItsControlsCannotShowSurviveItsTickAndCommits) {
  Img().SetByte(Adrb::BIKE, 50);
  Img().SetByte(Adrb::RPM_PULSES, 200);
  Reload();
  auto* pulses = Find<zeda::PageSpinBox>(zeda::kPulsesControl);
  ASSERT_NE(pulses, nullptr);
  ShowPageOf(pulses);
  EXPECT_EQ(Find<QComboBox>("ComboBoxBike")->currentIndex(), -1);
  EXPECT_EQ(pulses->text(), QStringLiteral("-2"));
  const int commits = Binder().Commits();
  Ticks(3);
  EXPECT_EQ(Binder().Commits(), commits);
  EXPECT_EQ(pulses->text(), QStringLiteral("-2"));

  QRadioButton* minus = nullptr;
  for (QRadioButton* b : Find<QWidget>("RadioGroupPickup1Polarita")->findChildren<QRadioButton*>())
    if (!b->isChecked()) minus = b;
  ASSERT_NE(minus, nullptr);
  minus->click();
  EXPECT_EQ(Binder().Commits(), commits + 1);
  EXPECT_EQ(Img().Byte(Adrb::BIKE), 50);
  EXPECT_EQ(Img().Byte(Adrb::RPM_PULSES), 200);
}

}  // namespace
