// A playback never touches the user's file or the real unit. While a recording plays, the
// window shows its settings in place of the user's document: every command that would
// write them to the user's file or to the connected unit (zedasim on a pty) is refused
// with a status text, closing gives the user's document back before "Save changes?", and
// Stop brings back the user's document, file name and title.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/ui/window_fixture.h"
#include "link/device_ops.h"
#include "monitor/ignlog_format.h"
#include "monitor/ignlog_writer.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/player_box.h"
#include "pages/test_page.h"
#include "params/ign_load.h"
#include "params/param_fields.h"

namespace {

using window_test::WaitUntil;
using zeda::Field;
using zeda::FieldId;
using zeda::ParamImage;

constexpr int kMiscPage = 0;
constexpr int kTickMs = 55;
// Long enough for the device machine to start an automatic program or send a test.
constexpr int kSettleMs = 25 * kTickMs;

std::string ReadAll(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int Shown(const ParamImage& img, FieldId f) { return zeda::ReadShown(img, Field(f), 0); }

ParamImage WithLimiter(ParamImage img, int rpm) {
  zeda::WriteShown(img, Field(FieldId::LIMITER), 0, rpm);
  zeda::NormalizeParams(img);
  return img;
}

// A recording of a unit whose settings differ from everything the user has: a limiter of
// 7000 rpm, then a few seconds of monitor answers of an engine at 3000 rpm.
void WriteRecording(const QString& path, const ParamImage& recorded) {
  zeda::IgnlogRecorder rec;
  zeda::IgnlogStartInfo info;
  info.start = 1'700'000'000;
  rec.Begin(info);
  rec.Append(zeda::kRecordParameters, 0, recorded.Data(), zeda::PARAM_IMAGE_SIZE);
  rec.Append(zeda::kRecordUnitImage, 0, recorded.Data(), zeda::PARAM_IMAGE_SIZE);
  rec.MarkInitial();
  std::vector<uint8_t> block(zeda::kMonitorAnswerBytes, 0);
  block[2] = 3000 & 0xFF;
  block[3] = 3000 >> 8;
  for (uint32_t t = 100; t <= 60000; t += 100)
    rec.Append(zeda::kRecordMonitor, t, block.data(), static_cast<int>(block.size()));
  std::ofstream(path.toStdString(), std::ios::binary) << rec.FileBytes();
}

class PlaybackGuardTest : public window_test::WindowFixture {
 protected:
  static void Trigger(TMainForm& f, const char* name) {
    QAction* a = f.findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  static void Click(TMainForm& f, const char* name) {
    auto* b = f.findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    b->click();
  }
  static QTabWidget* Tabs(TMainForm& f) {
    return f.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  }
  static QSpinBox* Spin(TMainForm& f, const char* name) {
    return f.findChild<QSpinBox*>(QString::fromLatin1(name));
  }
  // Types `value` into an up-down as a user does and confirms it with Enter.
  static void Type(QSpinBox* spin, int value) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Return);
  }
  static QString ResultText(TMainForm& f) {
    QLabel* l = Label(f, "LabelResult");
    return l && l->isVisibleTo(&f) ? l->text() : QString();
  }
  bool WaitConnected(TMainForm& f) {
    return WaitUntil(
        [&] {
          return f.DeviceOps().UnitConnected() && f.Images().unitImageValid &&
                 !f.DeviceOps().Busy();
        },
        30000);
  }
  // The user's file is open with an edit not saved yet, "Programming after change" is
  // ticked, the unit is connected and identical to the window: then a recording plays.
  void StartUserSessionAndPlay(TMainForm& f) {
    mine_ = WriteIgn(QStringLiteral("mine.ign"), WithLimiter(zeda::StartImage(), 11000));
    answers_ << mine_;
    Trigger(f, "MenuOpen");
    ASSERT_EQ(f.currentFileName, mine_);
    ASSERT_TRUE(StartLinkedSimulator(f, {"--save", Path("unit.bin"), "--trace", Path("trace")}));
    ASSERT_TRUE(WaitConnected(f));
    Click(f, "ButtonProgram");  // the unit holds the user's settings
    QTest::qWait(3 * kTickMs);
    ASSERT_TRUE(WaitUntil([&] { return !f.DeviceOps().Busy(); }, 30000));
    f.findChild<QCheckBox*>(QStringLiteral("CheckBoxProgHned"))->setChecked(true);
    Type(Spin(f, "UpDownLimiter"), 11500);  // the user's own edit, programmed at once
    QTest::qWait(3 * kTickMs);
    ASSERT_TRUE(WaitUntil([&] { return !f.DeviceOps().Busy(); }, 30000));
    mineShown_ = f.document.Params();
    ASSERT_EQ(Shown(mineShown_, FieldId::LIMITER), 11500);
    fileBytes_ = ReadAll(mine_);
    unitBytes_ = ReadAll(Path("unit.bin"));
    traceLines_ = TraceLines();
    // The trace shows a write when one happens: the programs above are in it.
    ASSERT_TRUE(std::any_of(traceLines_.begin(), traceLines_.end(), [](const std::string& l) {
      return l.find("written") != std::string::npos;
    }));

    const QString log = Path("recorded.ignlog");
    WriteRecording(log, WithLimiter(zeda::StartImage(), 7000));
    answers_ << log;
    Click(f, "SpeedButtonPlay2");
    ASSERT_TRUE(f.PlaybackActive());
    ASSERT_EQ(Shown(f.document.Params(), FieldId::LIMITER), 7000);
  }
  QString Path(const char* name) const { return files_.filePath(QString::fromLatin1(name)); }
  std::vector<std::string> TraceLines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(Path("trace")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // What the unit was asked since the playback started that changes it.
  std::string UnitActsSincePlay() const {
    std::string acts;
    const std::vector<std::string> lines = TraceLines();
    for (std::size_t i = traceLines_.size(); i < lines.size(); ++i)
      if (lines[i].find("written") != std::string::npos ||
          lines[i].find("test") != std::string::npos)
        acts += lines[i] + "\n";
    return acts;
  }

  QString mine_;
  ParamImage mineShown_;
  std::string fileBytes_, unitBytes_;
  std::vector<std::string> traceLines_;
};

// Each command a user may give during the playback: nothing reaches the user's file or the
// unit, and the commands that would have are refused with a text that says why.
TEST_F(PlaybackGuardTest, NothingReachesTheUsersFileOrTheUnit) {
  auto form = MakeShownFormAt(kMiscPage);
  ASSERT_NO_FATAL_FAILURE(StartUserSessionAndPlay(*form));
  TMainForm& f = *form;
  const QString other =
      WriteIgn(QStringLiteral("other.ign"), WithLimiter(zeda::StartImage(), 9000));

  struct Act {
    const char* name;
    bool refused;    // said so in the status line
    QString answer;  // what the user would pick in a file dialog
    std::function<void()> run;
  };
  const std::vector<Act> acts = {
      {"Save", true, {}, [&] { Trigger(f, "MenuSave"); }},
      {"Save as", true, mine_, [&] { Trigger(f, "MenuSaveAs"); }},
      {"Quicksave", true, {}, [&] { Trigger(f, "MenuSaveVersion"); }},
      {"Open", true, other, [&] { Trigger(f, "MenuOpen"); }},
      {"Drop", true, {}, [&] { f.FilesDropped({other}); }},
      {"New", true, {}, [&] { Trigger(f, "MenuNew"); }},
      // Edits and undo act on the recording's settings, which go at Stop; with
      // "Programming after change" ticked they still never reach the unit.
      {"Edit", false, {}, [&] { Type(Spin(f, "UpDownLimiter"), 7500); }},
      {"Undo", false, {}, [&] { Trigger(f, "MenuZpet"); }},
      {"Test button",
       true,
       {},
       [&] {
         Tabs(f)->setCurrentIndex(zeda::kTestPageIndex);
         Click(f, "ButtonTest01");
       }},
      {"Ignition test", true, {}, [&] { Click(f, "ButtonTestIgn1"); }},
  };
  for (const Act& act : acts) {
    SCOPED_TRACE(act.name);
    if (!act.answer.isEmpty()) answers_ << act.answer;
    const int answersBefore = static_cast<int>(answers_.size());
    act.run();
    QTest::qWait(kSettleMs);
    ASSERT_TRUE(f.PlaybackActive());
    EXPECT_TRUE(ReadAll(mine_) == fileBytes_) << "the user's file was written";
    EXPECT_EQ(UnitActsSincePlay(), "");
    EXPECT_EQ(f.currentFileName.toStdString(), mine_.toStdString());
    if (act.refused) {
      EXPECT_TRUE(ResultText(f).contains(QStringLiteral("Stop the player first")))
          << ResultText(f).toStdString();
      // Refused before any file dialog: the user is not asked for a name in vain.
      EXPECT_EQ(static_cast<int>(answers_.size()), answersBefore);
    }
    answers_.clear();
  }
  EXPECT_TRUE(ReadAll(Path("unit.bin")) == unitBytes_) << "the unit's memory changed";

  // Stop: the user's document, file name and title are back.
  Click(f, "SpeedButtonPlay4");
  EXPECT_FALSE(f.PlaybackActive());
  EXPECT_EQ(f.document.Params(), mineShown_);
  EXPECT_EQ(f.currentFileName.toStdString(), mine_.toStdString());
  EXPECT_TRUE(f.windowTitle().contains(QFileInfo(mine_).fileName()))
      << f.windowTitle().toStdString();
  QTest::qWait(kSettleMs);
  EXPECT_EQ(UnitActsSincePlay(), "") << "the playback's edits reached the unit after Stop";
  EXPECT_TRUE(ReadAll(Path("unit.bin")) == unitBytes_) << "the unit's memory changed";
}

// Closing during a playback asks about the user's own document, and Save (the default a
// user takes with Enter) writes the user's settings, never the recording's.
TEST_F(PlaybackGuardTest, CloseSavesTheUsersDocumentNotTheRecording) {
  auto form = MakeShownFormAt(kMiscPage);
  ASSERT_NO_FATAL_FAILURE(StartUserSessionAndPlay(*form));
  saveAnswer_ = QMessageBox::Save;
  form->close();
  EXPECT_EQ(saveQuestions_, 1) << "the user's unsaved edit was not offered for saving";
  zeda::ImageBuffers saved;
  const zeda::IgnLoadResult r = zeda::LoadIgnFile(saved, mine_.toStdString(), -1, false);
  ASSERT_TRUE(r.opened && r.Accepted());
  EXPECT_EQ(Shown(saved.params, FieldId::LIMITER), 11500);
  EXPECT_EQ(saved.params, mineShown_);
}

}  // namespace
