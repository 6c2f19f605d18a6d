// The parameter pages as the window shows them: the arrow-click commit, loads that never
// commit, the undo controls, and the widget adapter over the built controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "pages/page_binder.h"
#include "pages/ui/page_widget.h"
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

TEST_F(PageWidgetsTest, ProgrammingAfterChangeWritesAPageEditIntoTheUnit) {
  const QString saved = files_.filePath("unit.bin");
  ASSERT_TRUE(StartLinkedSimulator(*form_, {"--save", saved}));
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
}

}  // namespace
