// What the window says about the unit stays true: slot 4 after every file command and
// edit, a refused unit that looks refused, programming cut off by a lost link.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>

#include "app/ui/elided_label.h"
#include "app/ui/main_form.h"
#include "app/ui/window_fixture.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "link/device_ops.h"
#include "link/op_states.h"
#include "params/defaults.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_fields.h"

namespace {

using namespace window_test;

class WindowTruthTest : public WindowFixture {};

// Every file command changes params or fileImage; slot 4 must follow at once, without a
// tick. The unit is "read" by hand: unitImage holds the defaults.
TEST_F(WindowTruthTest, SlotFourFollowsEveryFileCommandAtOnce) {
  auto form = MakeForm();
  form->show();
  zeda::ImageBuffers& img = form->imageBuffers;
  const QString other = WriteIgn("other.ign", OtherImage());
  struct Step {
    const char* what;
    std::function<void()> run;
    const char* expected;
  };
  auto setUnitToDefaults = [&] {
    img.params = zeda::StartImage();
    img.unitImage = img.params;
    img.unitImageValid = true;
    form->CompareIfChanged();
  };
  setUnitToDefaults();
  ASSERT_EQ(Congruence(*form), kIdentical);
  const Step steps[] = {
      {"Open",
       [&] {
         answers_ << other;
         form->OpenCommand(false, false);
       },
       kDifferent},
      {"New", [&] { form->NewCommand(false); }, kIdentical},
      {"Open for actual page (Advance)",
       [&] {
         form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
         answers_ << other;
         form->OpenCommand(false, true);
       },
       kDifferent},
      {"New for actual page (Advance)", [&] { form->NewCommand(true); }, kIdentical},
      {"history", [&] { form->OpenHistoryItem(1); }, kDifferent},
      {"drop",
       [&] {
         form->NewCommand(false);
         form->FilesDropped({other});
       },
       kDifferent},
  };
  for (const Step& s : steps) {
    s.run();
    EXPECT_EQ(Congruence(*form), s.expected) << s.what;
    EXPECT_EQ(form->fileMatches, img.params == img.fileImage) << s.what;
  }
  // Save: the file now matches and the title shows it.
  answers_ << files_.filePath("saved.ign");
  form->SaveCommand(false);
  EXPECT_TRUE(form->fileMatches);
  EXPECT_TRUE(form->windowTitle().contains("saved.ign")) << form->windowTitle().toStdString();
  EXPECT_EQ(Congruence(*form), kDifferent);
}

// An edit path that compares nothing itself is caught on the next run of the machine.
TEST_F(WindowTruthTest, SlotFourFollowsAnyEditOnTheTick) {
  auto form = MakeForm();
  form->show();
  zeda::ImageBuffers& img = form->imageBuffers;
  img.unitImage = img.params;
  img.unitImageValid = true;
  form->CompareIfChanged();
  ASSERT_EQ(Congruence(*form), kIdentical);
  img.params = OtherImage();  // no comparison asked for
  for (int i = 0; i < 4; ++i) form->MainTick().Run();
  EXPECT_EQ(Congruence(*form), kDifferent);
  img.unitImageValid = false;
  for (int i = 0; i < 4; ++i) form->MainTick().Run();
  EXPECT_EQ(Congruence(*form), "");
  EXPECT_FALSE(form->fileMatches);
}

TEST_F(WindowTruthTest, NewThenSlotFourWithTheSimulatedUnit) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(form->StartSimulator({}));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 30000));
  const QString other = WriteIgn("other.ign", OtherImage());
  answers_ << other;
  form->OpenCommand(false, false);
  EXPECT_EQ(Congruence(*form), kDifferent);
  form->NewCommand(false);
  EXPECT_EQ(Congruence(*form), kIdentical);
  // Verify then agrees with slot 4.
  form->VerifyCommand();
  QLabel* result = Label(*form, "LabelResult");
  ASSERT_TRUE(WaitUntil([&] { return result->text() == "Verify: OK"; }, 10000))
      << result->text().toStdString();
  EXPECT_EQ(Congruence(*form), kIdentical);
}

TEST_F(WindowTruthTest, RefusedUnitLooksRefusedUntilAnotherUnitConnects) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(form->StartSimulator({"--version", "1"}));
  ASSERT_TRUE(WaitUntil([&] { return !messages_.empty(); }, 30000));
  QLabel* result = Label(*form, "LabelResult");
  ASSERT_TRUE(WaitUntil([&] { return result->isVisible(); }, 2000));
  EXPECT_EQ(result->text(), "IGN-107.01: this program needs 107.00");
  // Long after the 2 s results, everything still says so.
  WaitUntil([] { return false; }, 2600);
  EXPECT_TRUE(result->isVisible());
  EXPECT_EQ(result->text(), "IGN-107.01: this program needs 107.00");
  QLabel* panel4 = form->findChild<QLabel*>(QStringLiteral("StatusBar1Panel4"));
  EXPECT_EQ(panel4->text(),
            "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01");
  for (const char* name : {"ButtonRead", "ButtonVerify", "ButtonProgram"}) {
    EXPECT_FALSE(form->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled()) << name;
  }
  for (const char* name : {"MenuRead", "MenuVerify", "MenuProgram"}) {
    EXPECT_FALSE(form->findChild<QAction*>(QString::fromLatin1(name))->isEnabled()) << name;
  }
  EXPECT_TRUE(form->findChild<QAction*>(QStringLiteral("MenuReset"))->isEnabled());
  // F9 reached some other way: no advice to read a unit that cannot be read.
  ASSERT_TRUE(form->appSettings.newInstal);
  QString boxName;
  QTimer::singleShot(300, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      boxName = w->objectName();
      w->close();
    }
  });
  form->ProgramCommand();
  WaitUntil([] { return false; }, 500);
  EXPECT_EQ(boxName, "");
  // German follows a language switch.
  zeda::SetCurrentLanguage(zeda::kGerman);
  form->StatusSlots().RefreshCaptions();
  EXPECT_EQ(result->text(), "IGN-107.01: dieses Programm braucht 107.00");
  zeda::SetCurrentLanguage(zeda::kEnglish);
  form->StatusSlots().RefreshCaptions();
  Shot(*form, "refused");
}

TEST_F(WindowTruthTest, LinkLostWhileProgrammingSaysInterruptedUntilTheNextOperation) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(StartLinkedSimulator(*form));
  QLabel* result = Label(*form, "LabelResult");
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 30000));
  form->appSettings.newInstal = false;
  form->imageBuffers.params = OtherImage();
  form->ProgramCommand();
  ASSERT_TRUE(WaitUntil([&] { return result->text() == "Program device:"; }, 10000))
      << result->text().toStdString();
  // Cut the link once the write has begun: before that the unit holds nothing new.
  ASSERT_TRUE(WaitUntil([&] { return form->DeviceOps().opState() >= zeda::OpState::kProgramWrite; },
                        10000));
  KillLinkedSimulator(*form);
  const QString interrupted =
      "Programming interrupted: the unit may hold part of the new settings. Connect it and "
      "program again.";
  ASSERT_TRUE(WaitUntil([&] { return result->text() == interrupted; }, 15000))
      << result->text().toStdString();
  WaitUntil([] { return false; }, 2600);
  EXPECT_TRUE(result->isVisible());
  EXPECT_EQ(result->text(), interrupted);
  // Slot 1 no longer claims a unit. What it says instead depends on the machine: the search
  // goes on, and the killed simulator's pty name may already belong to another program (a
  // "busy" hint).
  const QString connection = Label(*form, "LabelConnection")->text();
  EXPECT_FALSE(connection.contains("connected", Qt::CaseInsensitive)) << connection.toStdString();
  Shot(*form, "interrupted");
}

double Luminance(const QColor& c) {
  auto lin = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}
double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A unit that comes back has sent nothing yet: until its first answer the monitor shows
// its values as unknown, never the zeros of the time without a unit as if it had sent them.
TEST_F(WindowTruthTest, AReconnectedUnitsValuesAreUnknownUntilItAnswers) {
  auto form = MakeForm();
  form->show();
  QLabel* rpm = Label(*form, "LabelRpm");
  QLabel* volts = Label(*form, "LabelNapeti");
  const QStringList engine = {"--rpm", "3000"};
  ASSERT_TRUE(StartLinkedSimulator(*form, engine));
  ASSERT_TRUE(WaitUntil([&] { return rpm->text() == "RPM = 3000"; }, 30000))
      << rpm->text().toStdString();
  KillLinkedSimulator(*form);
  ASSERT_TRUE(WaitUntil([&] { return !form->DeviceOps().UnitConnected(); }, 15000));
  EXPECT_EQ(rpm->text(), "RPM = ---");
  ASSERT_TRUE(StartLinkedSimulator(*form, engine));
  // Every text the window shows on the way back, sampled as often as it can change.
  QStringList seen;
  auto sample = [&] {
    for (const QString& t : {rpm->text(), volts->text()})
      if (!seen.contains(t)) seen << t;
    return rpm->text() == "RPM = 3000";
  };
  QElapsedTimer t;
  t.start();
  while (!sample() && t.elapsed() < 30000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  ASSERT_EQ(rpm->text(), "RPM = 3000") << seen.join(" | ").toStdString();
  EXPECT_FALSE(seen.contains("RPM = 0")) << seen.join(" | ").toStdString();
  EXPECT_FALSE(seen.contains("U = 0.0 [V]")) << seen.join(" | ").toStdString();
}

// Ctrl+Z in a number field is the parameters' undo (the toolbar's), not the field's own;
// only while the user types into the field does it take back the typing. Slot 4 follows.
TEST_F(WindowTruthTest, CtrlZInANumberFieldUndoesTheLastEdit) {
  auto form = MakeForm();
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  ASSERT_TRUE(StartLinkedSimulator(*form));
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 30000));
  auto* limiter = form->findChild<QSpinBox*>(QStringLiteral("UpDownLimiter"));
  auto* soft = form->findChild<QSpinBox*>(QStringLiteral("UpDownSoftLimiter"));
  ASSERT_TRUE(limiter && soft);
  auto type = [](QSpinBox* box, int value) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
  };
  const int limiterBefore = limiter->value();
  const int softBefore = soft->value();
  const int limiterEdited = limiterBefore == 12500 ? 13000 : 12500;
  const int softEdited = softBefore == 9000 ? 9500 : 9000;
  type(limiter, limiterEdited);
  QTest::keyClick(limiter, Qt::Key_Return);
  type(soft, softEdited);
  QTest::keyClick(soft, Qt::Key_Return);
  ASSERT_TRUE(WaitUntil([&] { return Congruence(*form) == kDifferent; }, 3000));

  // The focus in a number field, nothing typed: the last edit goes back, the first stays.
  limiter->setFocus();
  QTest::keyClick(limiter, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(soft->value(), softBefore);
  EXPECT_EQ(limiter->value(), limiterEdited);
  EXPECT_TRUE(WaitUntil([&] { return Congruence(*form) == kDifferent; }, 3000));
  QTest::keyClick(limiter, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(limiter->value(), limiterBefore);
  EXPECT_TRUE(WaitUntil([&] { return Congruence(*form) == kIdentical; }, 3000));

  // Typing: Ctrl+Z takes back the typing, the parameters' history stays where it is.
  type(soft, 7);
  QTest::keyClick(soft, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(form->document.Params(), form->imageBuffers.unitImage);
  EXPECT_EQ(soft->value(), softBefore);
}

TEST_F(WindowTruthTest, GaugeTextHasOneColourReadableOnEveryBar) {
  auto form = MakeForm();
  auto* gauge = form->findChild<QProgressBar*>(QStringLiteral("CGaugeProgram"));
  const QPalette pal = gauge->palette();
  EXPECT_EQ(pal.color(QPalette::Text), pal.color(QPalette::HighlightedText));
  for (const QColor& bar : {QColor(0, 255, 255), QColor(255, 0, 0), pal.color(QPalette::Window),
                            pal.color(QPalette::Base)}) {
    EXPECT_GE(Contrast(pal.color(QPalette::Text), bar), 4.5) << bar.name().toStdString();
  }
}

TEST_F(WindowTruthTest, StatusPanelsElideAtAWordAndKeepTheWholeTextAsTooltip) {
  const QFontMetrics fm(QApplication::font());
  const QString text = "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01";
  EXPECT_EQ(ElidedLabel::Elide(text, fm, fm.horizontalAdvance(text)), text);
  const QString cut = ElidedLabel::Elide(text, fm, fm.horizontalAdvance("Unmatched subvers"));
  EXPECT_EQ(cut, "Unmatched...");
  EXPECT_LE(fm.horizontalAdvance(cut), fm.horizontalAdvance("Unmatched subvers"));
  // A first word too long for the panel is cut inside, still with the dots.
  EXPECT_TRUE(ElidedLabel::Elide("Unmatched", fm, fm.horizontalAdvance("Unma...")).endsWith("..."));

  auto form = MakeForm();
  form->resize(1366, 700);
  form->show();
  form->keyCheckKind = zeda::kKeyCheckText;
  form->keyCheckText = text.toStdString();
  form->ShowUnitText();
  QApplication::processEvents();
  auto* panel4 =
      qobject_cast<ElidedLabel*>(form->findChild<QLabel*>(QStringLiteral("StatusBar1Panel4")));
  ASSERT_NE(panel4, nullptr);
  EXPECT_EQ(panel4->text(), text);
  EXPECT_EQ(panel4->toolTip(), text);
  panel4->grab();  // paints
  const QString shown =
      ElidedLabel::Elide(text, panel4->fontMetrics(), panel4->contentsRect().width());
  EXPECT_TRUE(shown == text || shown.endsWith("...")) << shown.toStdString();
  auto* panel2 =
      qobject_cast<ElidedLabel*>(form->findChild<QLabel*>(QStringLiteral("StatusBar1Panel2")));
  ASSERT_NE(panel2, nullptr);
  EXPECT_EQ(panel2->toolTip(), panel2->text());
  EXPECT_FALSE(panel2->Elided());  // the build text fits at 1366 px
  Shot(*form, "status_bar_1366");
}

TEST_F(WindowTruthTest, CutFileIsLoadedButTheUserIsToldWhatWasMissing) {
  auto form = MakeForm();
  const std::string whole = zeda::FormatIgnFile(OtherImage());
  const QString cut = files_.filePath("cut.ign");
  std::ofstream(cut.toStdString(), std::ios::binary)
      << whole.substr(0, whole.find("\nGEAR_CORR_POUT ") + 60);
  answers_ << cut;
  form->OpenCommand(false, false);
  EXPECT_EQ(form->currentFileName, cut);  // taken as the reader takes it
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].kind, zeda::MessageKind::Warning);
  EXPECT_EQ(messages_[0].text,
            "The file is incomplete. These parameters were not in it and got default "
            "values:\n\nGEAR_CORR_POUT, NO_READING");
  // A whole file says nothing.
  messages_.clear();
  answers_ << WriteIgn("whole.ign", OtherImage());
  form->OpenCommand(false, false);
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
