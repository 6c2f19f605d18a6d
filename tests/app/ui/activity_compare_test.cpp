// The window's lasting verdicts with the built-in simulated unit: the activity log, the
// compare view (the same list as zedactl verify), a refusal and an interruption that go
// when they no longer hold, and what a screen reader is told about them.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <set>

#include "app/page_list.h"
#include "app/ui/activity_log_view.h"
#include "app/ui/compare_dialog.h"
#include "app/ui/main_form.h"
#include "app/ui/window_fixture.h"
#include "link/ccomcom.h"
#include "link/device_ops.h"
#include "link/op_states.h"
#include "params/param_diff.h"

namespace {

using namespace window_test;

class ActivityCompareTest : public WindowFixture {};

// An image that differs from the simulated unit's on three pages.
zeda::ParamImage ThreePageImage() {
  zeda::ParamImage img = OtherImage();
  const zeda::ParamField& adv = zeda::Field(zeda::FieldId::ADVANCE);
  zeda::WriteShown(img, adv, 17, zeda::ReadShown(img, adv, 17) + 3);
  const zeda::ParamField& lim = zeda::Field(zeda::FieldId::LIMITER);
  zeda::WriteShown(img, lim, 0, zeda::ReadShown(img, lim, 0) == 9000 ? 9500 : 9000);
  zeda::NormalizeParams(img);
  return img;
}

// The compare view's rows in zedactl verify's words: "NAME (PAGE, UNIT): PC / UNIT".
QStringList DialogLines(const CompareDialog& d) {
  QStringList out;
  const QTableWidget* t = d.Table();
  for (int r = 0; r < t->rowCount(); ++r) {
    const auto cell = [&](int c) { return t->item(r, c)->text(); };
    QString where = cell(CompareDialog::kColPage);
    if (!cell(CompareDialog::kColUnit).isEmpty()) where += ", " + cell(CompareDialog::kColUnit);
    out << QStringLiteral("different: %1%2: %3 / %4")
               .arg(cell(CompareDialog::kColField),
                    where.isEmpty() ? QString() : " (" + where + ")", cell(CompareDialog::kColOurs),
                    cell(CompareDialog::kColTheirs));
  }
  return out;
}

// What zedactl verify prints about `file` against a fresh simulated unit of its own; false
// when it reached no verdict (a check that timed out on a loaded machine).
bool ZedactlVerifyOnce(const QString& file, QStringList& lines) {
  QProcess sim;
  const QString port = StartOwnSimulator(sim, {});
  EXPECT_FALSE(port.isEmpty());
  QProcess ctl;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("ZEDA_PORTS_ONLY", "1");
  ctl.setProcessEnvironment(env);
  ctl.start(QStringLiteral(ZEDA_CTL_PATH), {"verify", file, "--port", port});
  EXPECT_TRUE(ctl.waitForFinished(60000));
  lines.clear();
  for (const QString& l : QString::fromLocal8Bit(ctl.readAllStandardOutput()).split('\n')) {
    if (l.startsWith("different: ")) lines << l;
  }
  sim.terminate();
  sim.waitForFinished(2000);
  return ctl.exitStatus() == QProcess::NormalExit && ctl.exitCode() == 1;  // "different"
}

QStringList ZedactlVerifyLines(const QString& file) {
  QStringList lines;
  for (int i = 0; i < 3; ++i) {
    if (ZedactlVerifyOnce(file, lines)) return lines;
  }
  ADD_FAILURE() << "zedactl verify reached no verdict in 3 runs";
  return lines;
}

QTableWidget* LogTable(TMainForm& f) {
  return f.findChild<QTableWidget*>(QStringLiteral("ListActivityLog"));
}
QString LogCell(TMainForm& f, int row, int col) {
  QTableWidgetItem* item = LogTable(f)->item(row, col);
  return item ? item->text() : QString();
}

TEST_F(ActivityCompareTest, CompareViewListsExactlyWhatZedactlVerifyLists) {
  const QString file = WriteIgn("three.ign", ThreePageImage());
  const QStringList expected = ZedactlVerifyLines(file);
  ASSERT_GE(expected.size(), 3) << expected.join('\n').toStdString();

  auto form = MakeForm();
  form->show();
  QAction* compareUnit = form->findChild<QAction*>(QStringLiteral("MenuCompareUnit"));
  ASSERT_NE(compareUnit, nullptr);
  EXPECT_FALSE(compareUnit->isEnabled());  // no unit image yet
  ASSERT_TRUE(form->StartSimulator({}));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 30000));
  EXPECT_TRUE(compareUnit->isEnabled());
  answers_ << file;
  form->OpenCommand(false, false);
  ASSERT_EQ(Congruence(*form), kDifferent);

  // On demand: against the unit image of the check.
  compareUnit->trigger();
  CompareDialog* dialog = form->CompareView();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(DialogLines(*dialog).join('\n').toStdString(), expected.join('\n').toStdString());
  dialog->close();

  // After a Verify that found differences it opens by itself, with the same list.
  form->VerifyCommand();
  ASSERT_TRUE(WaitUntil([&] { return dialog->isVisible(); }, 15000));
  EXPECT_EQ(DialogLines(*dialog).join('\n').toStdString(), expected.join('\n').toStdString());
  Shot(*dialog, "compare");

  // Double-clicking a row opens the page that holds its field.
  QTabWidget* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int row = 0; row < dialog->Table()->rowCount(); ++row) {
    const int group = dialog->Differences()[static_cast<size_t>(row)].group;
    pages->setCurrentIndex(0);
    Q_EMIT dialog->Table()->cellDoubleClicked(row, 0);
    EXPECT_EQ(pages->currentIndex(), group == zeda::kPageN2O ? 0 : group)
        << dialog->Table()->item(row, 0)->text().toStdString();
  }
  std::set<int> groups;
  for (const zeda::FieldDifference& d : dialog->Differences()) groups.insert(d.group);
  EXPECT_GE(groups.size(), 2u);
}

TEST_F(ActivityCompareTest, CompareWithFileLeavesTheDocumentAlone) {
  auto form = MakeForm();
  const zeda::ParamImage before = form->imageBuffers.params;
  const QString file = WriteIgn("three.ign", ThreePageImage());
  answers_ << file;
  form->CompareWithFileCommand();
  CompareDialog* dialog = form->CompareView();
  ASSERT_NE(dialog, nullptr);
  zeda::ImageBuffers loaded = form->imageBuffers;
  loaded.params = ThreePageImage();
  std::vector<zeda::FieldDifference> expected = zeda::DifferencesByField(before, ThreePageImage());
  ASSERT_FALSE(expected.empty());
  ASSERT_EQ(dialog->Table()->rowCount(), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(dialog->Table()->item(static_cast<int>(i), CompareDialog::kColField)->text(),
              QString::fromStdString(zeda::DifferenceName(expected[i])));
  }
  EXPECT_EQ(dialog->Table()->horizontalHeaderItem(CompareDialog::kColTheirs)->text(), "three.ign");
  EXPECT_TRUE(form->imageBuffers.params == before);
  EXPECT_TRUE(form->currentFileName.isEmpty());
  EXPECT_TRUE(messages_.empty());
  // A file that is not there says so and shows nothing new.
  dialog->close();
  answers_ << files_.filePath("missing.ign");
  form->CompareWithFileCommand();
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ActivityCompareTest, ActivityLogListsEveryOperationWithPortAndVerdict) {
  auto form = MakeForm();
  form->show();
  QAction* menu = form->findChild<QAction*>(QStringLiteral("MenuActivityLog"));
  ASSERT_NE(menu, nullptr);
  ActivityLogDock* dock = form->ActivityDock();
  EXPECT_FALSE(dock->isVisible());
  menu->trigger();
  EXPECT_TRUE(dock->isVisible());
  EXPECT_TRUE(menu->isChecked());

  ASSERT_TRUE(form->StartSimulator({}));
  ASSERT_TRUE(WaitUntil([&] { return LogTable(*form)->rowCount() == 1; }, 30000));
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColOperation), "Unit check");
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColResult), "OK");
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColPort), "COM240");
  EXPECT_FALSE(LogCell(*form, 0, ActivityLogDock::kColTime).isEmpty());

  form->VerifyCommand();
  ASSERT_TRUE(WaitUntil([&] { return LogTable(*form)->rowCount() == 2; }, 15000));
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColOperation), "Verify");
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColResult), "OK");

  form->imageBuffers.params = ThreePageImage();
  form->VerifyCommand();
  ASSERT_TRUE(WaitUntil([&] { return LogTable(*form)->rowCount() == 3; }, 15000));
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColResult), "different");
  const auto& entry = form->ActivityLog().Entries().back();
  const std::vector<zeda::FieldDifference> unitDiffs =
      zeda::DifferencesByField(ThreePageImage(), form->imageBuffers.unitImage);
  ASSERT_EQ(entry.differences.size(), unitDiffs.size());
  const QString details = LogCell(*form, 0, ActivityLogDock::kColDetails);
  for (const zeda::FieldDifference& d : unitDiffs) {
    EXPECT_TRUE(details.contains(
        QString::fromStdString(zeda::FormatDifference(d, zeda::PageCaption(d.group)))))
        << details.toStdString();
  }
  // The row offers the compare view of what it found.
  form->CompareView()->close();
  Q_EMIT LogTable(*form)->cellDoubleClicked(0, 0);
  EXPECT_TRUE(form->CompareView()->isVisible());
  EXPECT_EQ(form->CompareView()->Table()->rowCount(), static_cast<int>(unitDiffs.size()));

  // A program ends OK; the rows stay, newest first.
  form->appSettings.newInstal = false;
  form->ProgramCommand();
  ASSERT_TRUE(WaitUntil([&] { return LogTable(*form)->rowCount() == 4; }, 30000));
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColOperation), "Program");
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColResult), "OK");
  EXPECT_EQ(LogCell(*form, 3, ActivityLogDock::kColOperation), "Unit check");

  // A screen reader finds the list by its name and reads its cells.
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(LogTable(*form));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::Table);
  EXPECT_EQ(a->text(QAccessible::Name), "Activity log");
  ASSERT_NE(a->tableInterface(), nullptr);
  EXPECT_EQ(a->tableInterface()->rowCount(), 4);
  QAccessibleInterface* cell = a->tableInterface()->cellAt(0, ActivityLogDock::kColResult);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), "OK");
  // The texts follow the language.
  zeda::SetCurrentLanguage(zeda::kGerman);
  dock->ApplyLanguage();
  EXPECT_EQ(LogCell(*form, 0, ActivityLogDock::kColOperation), "Programmieren");
  EXPECT_EQ(dock->windowTitle(), "Aktivitätsprotokoll");
  zeda::SetCurrentLanguage(zeda::kEnglish);
  dock->ApplyLanguage();
  Shot(*form, "activity_log");
}

// A refused unit's reason and disabled commands go when an acceptable unit takes its
// place on the same port.
TEST_F(ActivityCompareTest, RefusalIsClearedWhenAnAcceptableUnitConnects) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(StartLinkedSimulator(*form, {"--version", "1"}));
  QLabel* result = form->findChild<QLabel*>(QStringLiteral("LabelResult"));
  ASSERT_TRUE(
      WaitUntil([&] { return result->text() == "IGN-107.01: this program needs 107.00"; }, 30000));
  auto* read = form->findChild<QPushButton*>(QStringLiteral("ButtonRead"));
  EXPECT_FALSE(read->isEnabled());
  // The refusal is in the log with its reason.
  ASSERT_FALSE(form->ActivityLog().Entries().empty());
  EXPECT_EQ(form->ActivityLog().Entries().back().verdict, zeda::ActivityVerdict::Refused);
  EXPECT_EQ(zeda::ActivityDetailText(form->ActivityLog().Entries().back()),
            "IGN-107.01: this program needs 107.00");

  KillLinkedSimulator(*form);
  QProcess good;
  ASSERT_FALSE(StartOwnSimulator(good, {"--link", UnitLink()}).isEmpty());
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 30000))
      << result->text().toStdString();
  EXPECT_NE(result->text(), "IGN-107.01: this program needs 107.00");
  EXPECT_TRUE(read->isEnabled());
  for (const char* name : {"MenuRead", "MenuVerify", "MenuProgram"}) {
    EXPECT_TRUE(form->findChild<QAction*>(QString::fromLatin1(name))->isEnabled()) << name;
  }
  QLabel* panel4 = form->findChild<QLabel*>(QStringLiteral("StatusBar1Panel4"));
  EXPECT_FALSE(panel4->text().contains("Unmatched")) << panel4->text().toStdString();
  form.reset();
  good.terminate();
  good.waitForFinished(2000);
}

// "Programming interrupted" stays through the reconnection and its check (which finds the
// unit different), and goes with the next operation.
TEST_F(ActivityCompareTest, InterruptedTextStaysUntilTheNextOperation) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(StartLinkedSimulator(*form));
  QLabel* result = form->findChild<QLabel*>(QStringLiteral("LabelResult"));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 30000));
  form->appSettings.newInstal = false;
  form->imageBuffers.params = ThreePageImage();
  form->ProgramCommand();
  ASSERT_TRUE(WaitUntil([&] { return form->DeviceOps().opState() >= zeda::OpState::kProgramWrite; },
                        10000));
  KillLinkedSimulator(*form);
  const QString interrupted =
      "Programming interrupted: the unit may hold part of the new settings. Connect it and "
      "program again.";
  ASSERT_TRUE(WaitUntil([&] { return result->text() == interrupted; }, 15000))
      << result->text().toStdString();
  EXPECT_EQ(form->ActivityLog().Entries().back().verdict, zeda::ActivityVerdict::Interrupted);
  Shot(*form, "interrupted");

  // The unit comes back (a fresh one on the same port): its check finds it different, and
  // the verdict stays.
  QProcess fresh;
  ASSERT_FALSE(StartOwnSimulator(fresh, {"--link", UnitLink()}).isEmpty());
  const auto checked = [&] {
    const auto& log = form->ActivityLog().Entries();
    return !log.empty() && log.back().op == zeda::OP_CHECK && form->DeviceOps().UnitConnected();
  };
  ASSERT_TRUE(WaitUntil(checked, 30000));
  EXPECT_EQ(form->ActivityLog().Entries().back().verdict, zeda::ActivityVerdict::Different);
  EXPECT_EQ(Congruence(*form), kDifferent);
  WaitUntil([] { return false; }, 2600);
  EXPECT_EQ(result->text(), interrupted);
  EXPECT_TRUE(result->isVisible());

  // The next operation takes its place.
  ASSERT_TRUE(WaitUntil(
      [&] { return form->DeviceOps().UnitConnected() && !form->DeviceOps().Busy(); }, 15000));
  form->ReadCommand();
  ASSERT_TRUE(WaitUntil([&] { return result->text() != interrupted; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 15000));
  EXPECT_NE(result->text(), interrupted);
  form.reset();
  fresh.terminate();
  fresh.waitForFinished(2000);
}

// Every node of the accessibility tree below `a` that is not invisible.
void VisibleNames(QAccessibleInterface* a, QStringList& out, int depth = 0) {
  if (!a || depth > 40) return;
  if (a->state().invisible) return;
  out << a->text(QAccessible::Name);
  for (int i = 0; i < a->childCount(); ++i) VisibleNames(a->child(i), out, depth + 1);
}

TEST_F(ActivityCompareTest, ScreenReaderHearsTheGaugeAndTheStatusTexts) {
  auto form = MakeForm();
  form->show();
  QApplication::processEvents();
  auto* gauge = form->findChild<QProgressBar*>(QStringLiteral("CGaugeProgram"));
  form->ShowStatus(zeda::StatusSlot::kResult, "Program device:", 0, zeda::kColourUnchanged,
                   zeda::kColourUnchanged, 1);
  gauge->setValue(45);
  QAccessibleInterface* g = QAccessible::queryAccessibleInterface(gauge);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->text(QAccessible::Name), "Progress 45 %");
  EXPECT_EQ(g->text(QAccessible::Description), "Program device: 45 %");

  struct Named {
    const char* object;
    const char* name;
  };
  const Named named[] = {
      {"LabelConnection", "Connection"},  {"LabelResult", "Result"},
      {"LabelCongruence", "Unit and PC"}, {"StatusBar1Panel0", "Hint"},
      {"StatusBar1Panel2", "Build"},      {"StatusBar1Panel4", "Unit"},
  };
  for (const Named& n : named) {
    auto* w = form->findChild<QLabel*>(QString::fromLatin1(n.object));
    ASSERT_NE(w, nullptr) << n.object;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    EXPECT_EQ(a->text(QAccessible::Name), n.name) << n.object;
    // The whole text, even where the panel shows it cut.
    EXPECT_EQ(a->text(QAccessible::Description), w->text()) << n.object;
  }
  EXPECT_EQ(
      QAccessible::queryAccessibleInterface(form->findChild<QLabel*>(QStringLiteral("LabelResult")))
          ->text(QAccessible::Description),
      "Program device:");
}

TEST_F(ActivityCompareTest, HiddenPageIsNotInTheAccessibilityTree) {
  auto form = MakeForm();
  form->show();
  QApplication::processEvents();
  // The N2O page is not offered, so a screen reader does not meet it either.
  QStringList names;
  VisibleNames(QAccessible::queryAccessibleInterface(form.get()), names);
  EXPECT_TRUE(names.contains("Advance Map")) << names.join('|').toStdString();
  EXPECT_FALSE(names.contains("N2O")) << names.join('|').toStdString();
  // Nor hidden: the tab list has one entry per shown page, each named and pressable.
  auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(pages->tabBar());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->role(), QAccessible::PageTabList);
  ASSERT_EQ(bar->childCount(), zeda::kPageCount - 1);
  QAccessibleInterface* test = bar->child(bar->childCount() - 1);
  ASSERT_NE(test, nullptr);
  EXPECT_EQ(test->text(QAccessible::Name), "Test");
  EXPECT_EQ(bar->indexOfChild(test), bar->childCount() - 1);
  EXPECT_EQ(test->parent(), bar);
  ASSERT_NE(test->actionInterface(), nullptr);
  test->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(pages->currentIndex(), 9);
  EXPECT_TRUE(test->state().selected);
}

}  // namespace
