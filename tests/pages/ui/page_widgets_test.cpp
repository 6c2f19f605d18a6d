// The parameter pages as the window shows them: the arrow-click commit, loads that never
// commit, the undo controls, and the widget adapter over the built controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <fstream>
#include <vector>

#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "pages/advance_page.h"
#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "pages/test_page.h"
#include "pages/ui/page_widget.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"
#include "params/param_fields.h"

namespace {

using window_test::WindowFixture;
using zeda::FieldId;

class PageWidgetsTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    form_ = MakeForm();
    ASSERT_NE(form_->Pages(), nullptr);
  }
  zeda::PageBinder& Binder() { return form_->Pages()->Binder(); }
  int Limiter() {
    return zeda::ReadShown(form_->Images().params, zeda::Field(FieldId::LIMITER), 0);
  }
  bool Enabled(const char* name) {
    auto* b = form_->findChild<QAbstractButton*>(QString::fromLatin1(name));
    return b && b->isEnabled();
  }
  std::unique_ptr<TMainForm> form_;
};

// The Test page's controls scroll in an area that takes the page's height; only the
// pickup monitor button (and in the service test mode the self-test box) sit below it.
TEST_F(PageWidgetsTest, TestPageControlsTakeThePagesHeight) {
  form_->resize(1366, 768);
  form_->show();
  auto* pages = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(pages, nullptr);
  pages->setCurrentIndex(zeda::kTestPageIndex);
  QCoreApplication::processEvents();
  QWidget* tab = pages->widget(zeda::kTestPageIndex);
  auto* scroll = tab->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
  auto* button = tab->findChild<QWidget*>(QStringLiteral("ButtonMonPu"));
  ASSERT_TRUE(scroll && button);
  const int spare = tab->height() - scroll->height() - button->height();
  EXPECT_LT(spare, 40) << "the page's controls leave " << spare << " px of the page empty";
  EXPECT_GE(button->y(), scroll->geometry().bottom());
}

// Nothing is drawn outside the layouts: a shown widget whose parent is the window's centre,
// the page control or a page, but no layout places it, sits at its parent's top left over
// whatever is there (a stray text above the tab bar).
TEST_F(PageWidgetsTest, EveryShownWidgetOfThePagesIsPlacedByALayout) {
  // In the service test mode too, which shows more on the Test page.
  const QString switchFile = files_.filePath("switch.txt");
  std::ofstream(switchFile.toStdString()) << "DEVS_SWITCH\n";
  const QByteArray savedSwitch = qgetenv("ZEDA_TEST_SWITCH");
  qputenv("ZEDA_TEST_SWITCH", switchFile.toLocal8Bit());
  auto testMode = MakeForm();
  qputenv("ZEDA_TEST_SWITCH", savedSwitch);
  ASSERT_TRUE(testMode->TestMode());
  for (TMainForm* form : {form_.get(), testMode.get()}) {
    SCOPED_TRACE(form->TestMode() ? "test mode" : "normal");
    form->resize(1366, 768);
    form->show();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    std::vector<QWidget*> parents = {form->centralWidget()};
    for (int i = 0; i < pages->count(); ++i) parents.push_back(pages->widget(i));
    for (int i = 0; i < pages->count(); ++i) {
      if (!pages->isTabVisible(i)) continue;
      pages->setCurrentIndex(i);
      QCoreApplication::processEvents();
      for (QWidget* parent : parents) {
        QLayout* layout = parent->layout();
        for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
          if (!w->isVisible() || w->isWindow()) continue;
          EXPECT_TRUE(layout && layout->indexOf(w) >= 0)
              << w->metaObject()->className() << " " << w->objectName().toStdString() << " on "
              << parent->objectName().toStdString() << " (page " << i << ")";
        }
      }
    }
    // The page control holds its tab bar and its pages only.
    for (QWidget* w : pages->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(qobject_cast<QTabBar*>(w) || qobject_cast<QStackedWidget*>(w))
          << w->metaObject()->className() << " " << w->objectName().toStdString();
  }
}

TEST_F(PageWidgetsTest, TenArrowClicksCommitOnceFiveTicksAfterTheLast) {
  auto* spin = form_->findChild<zeda::PageSpinBox*>(QStringLiteral("UpDownLimiter"));
  ASSERT_NE(spin, nullptr);
  const int before = Limiter();
  const int commits = Binder().Commits();
  ASSERT_FALSE(Enabled("SpeedButtonZpet"));
  for (int i = 0; i < 10; ++i) {
    Binder().Tick();
    spin->stepBy(-1);
  }
  for (int t = 1; t < zeda::kArrowCommitTicks; ++t) Binder().Tick();
  EXPECT_EQ(Binder().Commits(), commits) << "committed while the clicks were still coming";
  EXPECT_EQ(Limiter(), before);
  Binder().Tick();
  EXPECT_EQ(Binder().Commits(), commits + 1);
  EXPECT_EQ(Limiter(), before - 10 * 50);
  EXPECT_TRUE(Binder().Ring().CanUndo());
  EXPECT_TRUE(Enabled("SpeedButtonZpet"));
  EXPECT_FALSE(Enabled("SpeedButtonZnovu"));

  // One undo step holds all ten clicks.
  form_->findChild<QAbstractButton*>(QStringLiteral("SpeedButtonZpet"))->click();
  EXPECT_EQ(Limiter(), before);
  EXPECT_EQ(spin->value(), before);
  EXPECT_FALSE(Enabled("SpeedButtonZpet"));
  EXPECT_TRUE(Enabled("SpeedButtonZnovu"));
  form_->findChild<QAbstractButton*>(QStringLiteral("SpeedButtonZnovu"))->click();
  EXPECT_EQ(Limiter(), before - 500);
}

TEST_F(PageWidgetsTest, LoadingAndSwitchingPagesNeverCommit) {
  const int commits = Binder().Commits();
  auto* tabs = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  // At a laptop's size, so the pictures saved with ZEDA_SHOT_DIR show what a user sees.
  form_->resize(1366, 768);
  form_->show();
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    QCoreApplication::processEvents();
    window_test::Shot(*form_, ("page-" + std::to_string(i)).c_str());
  }
  tabs->setCurrentIndex(0);
  Binder().LoadAllPages();
  for (int t = 0; t < 2 * zeda::kArrowCommitTicks; ++t) Binder().Tick();
  EXPECT_EQ(Binder().Commits(), commits);
  EXPECT_FALSE(Binder().Ring().CanUndo());
}

TEST_F(PageWidgetsTest, TypedValueCommitsOnEnterAndMovesOn) {
  auto* spin = form_->findChild<zeda::PageSpinBox*>(QStringLiteral("UpDownLimiter"));
  ASSERT_NE(spin, nullptr);
  form_->show();
  spin->setFocus();
  spin->selectAll();
  QTest::keyClicks(spin, QStringLiteral("9000"));
  QTest::keyClick(spin, Qt::Key_Return);
  EXPECT_EQ(Limiter(), 9000);
  EXPECT_TRUE(Binder().Ring().CanUndo());
  EXPECT_NE(QApplication::focusWidget(), spin->findChild<QLineEdit*>());
}

TEST_F(PageWidgetsTest, EveryControlIsNamedCaptionedAndHasItsLabel) {
  auto* label = form_->findChild<QLabel*>(QStringLiteral("LabelLimiter"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->buddy(), form_->findChild<QWidget*>(QStringLiteral("UpDownLimiter")));
  EXPECT_EQ(label->buddy()->accessibleName(), QStringLiteral("Limiter [rpm]"));
  // Radio groups get their items with their codes; filler items stay hidden.
  zeda::WidgetControls& c = form_->Pages()->Controls();
  for (const auto& rowName : {"RadioButtonPoti"}) {
    const QString prefix = QString::fromLatin1(rowName);
    EXPECT_NE(form_->findChild<QRadioButton*>(prefix + QLatin1Char('0')), nullptr);
  }
  for (QGroupBox* g : form_->findChildren<QGroupBox*>()) {
    const std::string name = g->objectName().toStdString();
    for (int i = 0; i < c.ItemCount(name); ++i) {
      auto buttons = g->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
      EXPECT_EQ(buttons[i]->isHidden(), c.Code(name, i) == zeda::kEmptyItem) << name << " " << i;
    }
  }
}

TEST_F(PageWidgetsTest, RadioClickCommitsAtOnce) {
  QGroupBox* group = nullptr;
  for (QGroupBox* g : form_->findChildren<QGroupBox*>())
    if (!g->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly).isEmpty() &&
        g->isVisibleTo(form_.get())) {
      group = g;
      break;
    }
  ASSERT_NE(group, nullptr);
  const auto buttons = group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  QRadioButton* other = nullptr;
  for (QRadioButton* b : buttons)
    if (!b->isChecked() && !b->isHidden()) other = b;
  ASSERT_NE(other, nullptr);
  const int commits = Binder().Commits();
  other->click();
  EXPECT_EQ(Binder().Commits(), commits + 1) << group->objectName().toStdString();
}

// The colour a page gives a control reaches the screen: the caption's face is painted in it,
// its children are not, and the button face gives the style's own back.
TEST_F(PageWidgetsTest, ColourReachesTheWidgetAndOnlyIt) {
  form_->resize(1366, 768);
  form_->show();
  auto* tabs = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  auto* caption = form_->findChild<QLabel*>(QString::fromLatin1(zeda::kBaseAdvanceCaption));
  ASSERT_NE(caption, nullptr);
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->widget(i)->isAncestorOf(caption)) tabs->setCurrentIndex(i);
  QCoreApplication::processEvents();
  const auto face = [](QWidget* w) { return w->grab().toImage().pixelColor(1, 1); };
  zeda::WidgetControls& c = form_->Pages()->Controls();
  const QColor before = face(caption);
  c.SetColour(zeda::kBaseAdvanceCaption, zeda::kColourGreen);
  EXPECT_EQ(face(caption), QColor(0, 255, 0));
  EXPECT_EQ(c.ColourOf(zeda::kBaseAdvanceCaption), zeda::kColourGreen);
  c.SetColour(zeda::kBaseAdvanceCaption, zeda::kColourButtonFace);
  EXPECT_EQ(face(caption), before);

  // The Bike page's experts' box as the page leaves it for a preset: grey, its controls not.
  auto* special = form_->findChild<QGroupBox*>(QStringLiteral("GroupBoxSpecial"));
  ASSERT_NE(special, nullptr);
  ASSERT_NE(form_->Images().params.Byte(zeda::Adrb::BIKE), zeda::BIKE_SPECIAL);
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->widget(i)->isAncestorOf(special)) tabs->setCurrentIndex(i);
  QCoreApplication::processEvents();
  EXPECT_EQ(c.ColourOf("GroupBoxSpecial"), zeda::kColourGrey);
  EXPECT_EQ(face(special), QColor(0x80, 0x80, 0x80));
  auto* inside = form_->findChild<QWidget*>(QStringLiteral("ComboBoxSynchro"));
  ASSERT_NE(inside, nullptr);
  EXPECT_NE(face(inside), QColor(0x80, 0x80, 0x80));
}

// FormComboChange: a combo choice commits and leaves the focus on "Programming after
// change", so a wheel turn over the combo cannot choose again.
TEST_F(PageWidgetsTest, ComboChoiceMovesTheFocusToProgrammingAfterChange) {
  // "Special setting" enables the combo.
  form_->Images().params.SetByte(zeda::Adrb::BIKE, zeda::BIKE_SPECIAL);
  Binder().LoadAllPages();
  form_->show();
  auto* combo = form_->findChild<QComboBox*>(QStringLiteral("ComboBoxNasobekPalcu"));
  ASSERT_NE(combo, nullptr);
  auto* tabs = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->widget(i)->isAncestorOf(combo)) tabs->setCurrentIndex(i);
  combo->setFocus();
  // The window's focus child (offscreen windows are never active).
  ASSERT_EQ(form_->focusWidget(), combo);
  const int commits = Binder().Commits();
  combo->activated(combo->currentIndex());  // as a choice in the list raises it
  EXPECT_EQ(Binder().Commits(), commits + 1);
  EXPECT_EQ(form_->focusWidget(), form_->findChild<QWidget*>(QStringLiteral("CheckBoxProgHned")));
}

// Each input's "Inverse polarity" sits in that input's box below its functions, so a screen
// reader names the input it belongs to and the eye finds it there.
TEST_F(PageWidgetsTest, InversePolarityBelongsToItsInput) {
  // A function every input offers and that can be inverted, so every box is shown.
  zeda::ParamImage& img = form_->Images().params;
  for (int i = 0; i < zeda::kMiscInputGroups; ++i) {
    img.SetByte(zeda::Adrb::INPUT_FUNCTION + i, zeda::INPUT_RETARD);
  }
  img.SetByte(zeda::Adrb::INPUT_NEUTRAL_SS, 0);
  Binder().LoadAllPages();
  form_->resize(1366, 768);
  form_->show();
  QCoreApplication::processEvents();
  QStringList parents;
  for (int i = 0; i < zeda::kMiscInputGroups; ++i) {
    SCOPED_TRACE(i);
    auto* box = form_->findChild<QCheckBox*>(QString::fromLatin1(zeda::kInverseBoxNames[i]));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isHidden());
    auto* group = qobject_cast<QGroupBox*>(box->parentWidget());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->objectName(), QString::fromLatin1(zeda::kInputGroupNames[i]));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->parent(), nullptr);
    parents << a->parent()->text(QAccessible::Name);
    // Read and reached by Tab after the functions it qualifies.
    const int boxAt = a->parent()->indexOfChild(a);
    for (QRadioButton* r : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
      if (r->isHidden()) continue;
      EXPECT_GT(box->y(), r->y()) << r->text().toStdString();
      // Each function is read by its own text, not by the group's title alone.
      EXPECT_FALSE(r->text().isEmpty());
      QAccessibleInterface* ra = QAccessible::queryAccessibleInterface(r);
      EXPECT_EQ(ra->text(QAccessible::Name), r->text());
      EXPECT_LT(a->parent()->indexOfChild(ra), boxAt);
    }
  }
  // The last function of input 2 passes the Tab key on to its polarity box.
  auto* input2 = form_->findChild<QGroupBox*>(QString::fromLatin1(zeda::kInputGroupNames[1]));
  const auto radios2 = input2->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  ASSERT_FALSE(radios2.isEmpty());
  EXPECT_EQ(radios2.back()->nextInFocusChain(),
            form_->findChild<QWidget*>(QString::fromLatin1(zeda::kInverseBoxNames[1])));
  EXPECT_EQ(parents, (QStringList{QStringLiteral("Input 1"), QStringLiteral("Input 2"),
                                  QStringLiteral("Input 3")}));
}

}  // namespace

namespace {

// The limiter as the simulated unit saved it, -1 while it has saved nothing.
int SavedLimiter(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = f.readAll();
  zeda::ParamImage img;
  if (bytes.size() < static_cast<qsizetype>(img.bytes.size())) return -1;
  std::copy_n(bytes.begin(), img.bytes.size(), img.bytes.begin());
  return zeda::ReadShown(img, zeda::Field(FieldId::LIMITER), 0);
}

using window_test::WaitUntil;

TEST_F(PageWidgetsTest, ReadChangeOnThePageProgramVerifyWithTheSimulatedUnit) {
  const QString saved = files_.filePath("unit.bin");
  ASSERT_TRUE(StartLinkedSimulator(*form_, {"--save", saved}));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form_) == window_test::kIdentical; }, 30000));
  const size_t logged = form_->ActivityLog().Entries().size();
  form_->ReadCommand();
  ASSERT_TRUE(WaitUntil([&] { return form_->ActivityLog().Entries().size() > logged; }, 30000));

  auto* spin = form_->findChild<zeda::PageSpinBox*>(QStringLiteral("UpDownLimiter"));
  ASSERT_NE(spin, nullptr);
  const int wanted = Limiter() - 100;
  const int commits = Binder().Commits();
  spin->stepBy(-2);
  // The window's own timer commits the clicks.
  ASSERT_TRUE(WaitUntil([&] { return Binder().Commits() > commits; }, 5000));
  EXPECT_EQ(Limiter(), wanted);

  form_->appSettings.newInstal = false;
  const size_t beforeProgram = form_->ActivityLog().Entries().size();
  form_->ProgramCommand();
  ASSERT_TRUE(
      WaitUntil([&] { return form_->ActivityLog().Entries().size() > beforeProgram; }, 30000));
  EXPECT_EQ(form_->ActivityLog().Entries().back().verdict, zeda::ActivityVerdict::Ok);
  const size_t beforeVerify = form_->ActivityLog().Entries().size();
  form_->VerifyCommand();
  ASSERT_TRUE(
      WaitUntil([&] { return form_->ActivityLog().Entries().size() > beforeVerify; }, 30000));
  EXPECT_EQ(form_->ActivityLog().Entries().back().verdict, zeda::ActivityVerdict::Ok);
  EXPECT_TRUE(WaitUntil([&] { return SavedLimiter(saved) == wanted; }, 10000))
      << SavedLimiter(saved);
  KillLinkedSimulator(*form_);
}

// The byte ranges the simulated unit traced as written ("memory written: bytes A-B").
std::vector<std::pair<int, int>> WrittenRanges(const QString& trace) {
  std::vector<std::pair<int, int>> ranges;
  QFile f(trace);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return ranges;
  static const QRegularExpression kWritten(QStringLiteral("memory written: bytes (\\d+)-(\\d+)"));
  for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
    const QRegularExpressionMatch m = kWritten.match(line);
    if (m.hasMatch()) ranges.emplace_back(m.captured(1).toInt(), m.captured(2).toInt());
  }
  return ranges;
}

TEST_F(PageWidgetsTest, ProgrammingAfterChangeWritesAPageEditIntoTheUnit) {
  const QString saved = files_.filePath("unit.bin");
  const QString trace = files_.filePath("unit.trace");
  ASSERT_TRUE(StartLinkedSimulator(*form_, {"--save", saved, "--trace", trace}));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form_) == window_test::kIdentical; }, 30000));
  form_->appSettings.newInstal = false;
  form_->findChild<QCheckBox*>(QStringLiteral("CheckBoxProgHned"))->setChecked(true);
  auto* spin = form_->findChild<zeda::PageSpinBox*>(QStringLiteral("UpDownLimiter"));
  ASSERT_NE(spin, nullptr);
  const int wanted = Limiter() - 50;
  spin->stepBy(-1);
  EXPECT_TRUE(WaitUntil([&] { return SavedLimiter(saved) == wanted; }, 30000))
      << SavedLimiter(saved);
  EXPECT_TRUE(WaitUntil([&] { return Congruence(*form_) == window_test::kIdentical; }, 30000));
  KillLinkedSimulator(*form_);

  // Only the block holding the limiter went out (a retry may send it again), nothing else:
  // no other block the commit touched behind the user's back.
  const int limiterByte = 2 * zeda::Adrw::LIMITER;
  const auto written = WrittenRanges(trace);
  ASSERT_FALSE(written.empty()) << "the unit traced no write";
  for (const auto& [first, last] : written) {
    EXPECT_LE(first, limiterByte) << first << "-" << last;
    EXPECT_GE(last, limiterByte + 1) << first << "-" << last;
    EXPECT_EQ(std::make_pair(first, last), written.front());
  }
  EXPECT_LT(written.front().second - written.front().first + 1,
            static_cast<int>(zeda::PARAM_IMAGE_SIZE) / 2)
      << "more than one block";
}

}  // namespace
