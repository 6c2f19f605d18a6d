// The main window's monitor: the live display from zedasim, the CSV menu, recording and
// playing back with the user's document kept, damaged files, journal recovery.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <set>
#include <sstream>

#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "monitor/ignlog_reader.h"
#include "monitor/ignlog_writer.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/player_box.h"
#include "monitor/ui/strip_chart.h"

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_monitor_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

std::string ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class MonitorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    zeda::SetCurrentLanguage(zeda::kEnglish);
    zeda::SetMessageSink([](const zeda::UserMessage&) {});
    ASSERT_TRUE(files_.isValid());
    savedSettingsDir_ = qgetenv("ZEDA_SETTINGS_DIR");
    qputenv("ZEDA_SETTINGS_DIR", settings_.path().toLocal8Bit());
    qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
    savedPorts_ = qgetenv("ZEDA_PORTS");
  }
  void TearDown() override {
    qputenv("ZEDA_SETTINGS_DIR", savedSettingsDir_);
    qputenv("ZEDA_PORTS", savedPorts_);
    zeda::SetMessageSink(nullptr);
  }
  std::unique_ptr<TMainForm> MakeForm() {
    TMainForm::Options o;
    o.listenForHandover = false;
    auto form = std::make_unique<TMainForm>(o);
    form->SetFileChooser([this](const TMainForm::FileDialogRequest&) {
      return answers_.isEmpty() ? QString() : answers_.takeFirst();
    });
    // Unsaved edits are let go without the "Save changes?" box.
    form->SetSaveChangesAsker([](const QString&) { return int(QMessageBox::Discard); });
    form->SetQuestionAsker([this](const QString& q) {
      questions_ << q;
      return int(QMessageBox::Yes);
    });
    form->SetMessageShower([this](const QString&, const QString& text) { shown_ << text; });
    return form;
  }
  template <typename T>
  static T* Child(TMainForm& form, const char* name) {
    T* w = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static void Play(TMainForm& form, int button) {
    const char* names[] = {"", "SpeedButtonPlay1", "SpeedButtonPlay2", "SpeedButtonPlay3",
                           "SpeedButtonPlay4"};
    Child<QToolButton>(form, names[button])->click();
  }
  QString Path(const char* name) const { return files_.filePath(QString::fromLatin1(name)); }

  QTemporaryDir files_, settings_;
  QByteArray savedSettingsDir_, savedPorts_;
  QStringList answers_, questions_, shown_;
};

TEST_F(MonitorWindowTest, NotLiveShowsDashes) {
  auto form = MakeForm();
  EXPECT_EQ(Child<QLabel>(*form, "LabelRpm")->text(), "RPM = ---");
  EXPECT_EQ(Child<QLabel>(*form, "LabelNapeti")->text(), "U = --- [V]");
  EXPECT_FALSE(form->PlayerGroupBox()->isVisible());
  Child<QAction>(*form, "MenuMonitorPlayer")->trigger();
  EXPECT_TRUE(form->appSettings.monitorPlayer);
  EXPECT_FALSE(Child<QToolButton>(*form, "SpeedButtonPlay3")->isEnabled());
  EXPECT_TRUE(Child<QToolButton>(*form, "SpeedButtonPlay2")->isEnabled());
}

// Live from zedasim with the CSV output on; recorded, then played back to the same labels
// while the unit stays connected; the user's document comes back at Stop.
TEST_F(MonitorWindowTest, RecordAndPlayBackAgainstTheSimulatedUnit) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(form->StartSimulator({}));
  auto* rpm = Child<QLabel>(*form, "LabelRpm");
  ASSERT_TRUE(WaitFor([&] { return rpm->text() != "RPM = ---"; }, 30000));

  answers_ << Path("live.csv");
  Child<QAction>(*form, "MenuCSVout")->trigger();
  EXPECT_EQ(Child<QAction>(*form, "MenuCSVout")->text(), "Stop CSV recording");
  EXPECT_TRUE(form->windowTitle().contains("(CSV output: live.csv)"));

  answers_ << Path("ride");  // typed without extension
  Play(*form, PlayerBox::kRecord);
  ASSERT_EQ(form->Player().State(), zeda::kPlayerRecording);
  std::vector<std::string> liveRpm;
  std::string last;
  ASSERT_TRUE(WaitFor(
      [&] {
        if (form->monitorBlock().Word(1) != 0 && rpm->text().toStdString() != last) {
          last = rpm->text().toStdString();
          liveRpm.push_back(last);
        }
        return liveRpm.size() >= 5;
      },
      20000));
  Play(*form, PlayerBox::kStop);
  Child<QAction>(*form, "MenuCSVout")->trigger();
  EXPECT_FALSE(form->windowTitle().contains("CSV output"));
  EXPECT_EQ(Child<QAction>(*form, "MenuCSVout")->text(), "CSV output monitor");

  zeda::IgnlogFile file;
  ASSERT_TRUE(zeda::ReadIgnlogFile(Path("ride.ignlog").toStdString(), file).Ok());
  int monitors = 0;
  for (int k = 0; k < file.count; ++k) monitors += file.Record(k).type == zeda::kRecordMonitor;
  EXPECT_GE(monitors, 5);
  // One CSV line per answer: the recording's frames all lie within the CSV's span.
  std::istringstream csv(ReadFile(Path("live.csv")));
  int lines = 0;
  for (std::string l; std::getline(csv, l);) ++lines;
  EXPECT_GE(lines - 2, monitors);

  // The user's own document before Play.
  const zeda::ParamImage mine = form->imageBuffers.params;
  const bool mineMatches = form->imageBuffers.fileMatches;
  answers_ << Path("ride.ignlog");
  Play(*form, PlayerBox::kPlay);
  ASSERT_EQ(form->Player().State(), zeda::kPlayerPlaying);
  EXPECT_FALSE(Child<QPushButton>(*form, "ButtonRead")->isEnabled());
  form->ReadCommand();  // refused while playing
  std::set<std::string> played;
  ASSERT_TRUE(WaitFor(
      [&] {
        played.insert(rpm->text().toStdString());
        return form->Player().State() == zeda::kPlayerPaused;
      },
      30000));
  for (const std::string& r : liveRpm) EXPECT_TRUE(played.count(r)) << r;
  EXPECT_TRUE(Child<QLabel>(*form, "LabelPlayPos")->text().startsWith("Play ("));

  // Moving the bar back shows that one record.
  form->PlayPosChange(1);
  EXPECT_EQ(form->Player().Position(), 1);
  // Dragging the strip chart's cursor to the end moves the player there.
  StripChart* chart = form->PlayerGroupBox()->Chart();
  ASSERT_FALSE(chart->Series().points.empty());
  QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(chart->width() - 1, chart->height() / 2));
  EXPECT_EQ(form->Player().Position(), chart->Series().points.back().position);

  Play(*form, PlayerBox::kStop);
  EXPECT_EQ(form->Player().State(), zeda::kPlayerIdle);
  EXPECT_EQ(form->imageBuffers.params, mine);
  EXPECT_EQ(form->imageBuffers.fileMatches, mineMatches);
  ASSERT_TRUE(WaitFor([&] { return Child<QPushButton>(*form, "ButtonRead")->isEnabled(); }, 5000));
  EXPECT_TRUE(shown_.isEmpty()) << shown_.join("|").toStdString();
}

TEST_F(MonitorWindowTest, DamagedFileLeavesThePlayerIdle) {
  auto form = MakeForm();
  {
    std::ofstream out(Path("bad.ignlog").toStdString(), std::ios::binary);
    out << std::string(13000, '\x01');
  }
  const zeda::ParamImage before = form->imageBuffers.params;
  answers_ << Path("bad.ignlog");
  Play(*form, PlayerBox::kPlay);
  EXPECT_EQ(form->Player().State(), zeda::kPlayerIdle);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_TRUE(shown_[0].contains("damaged file")) << shown_[0].toStdString();
  EXPECT_EQ(form->imageBuffers.params, before);
}

TEST_F(MonitorWindowTest, AJournalLeftByACrashIsOfferedAndRecovered) {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  uint8_t payload[1050] = {};
  rec.Append(zeda::kRecordConnection, 0, payload, 76);
  rec.Append(zeda::kRecordParameters, 0, payload, 1050);
  rec.MarkInitial();
  const std::string journal = settings_.filePath("recording-1-2.ignjournal").toStdString();
  const std::string target = Path("crashed.ignlog").toStdString();
  {
    zeda::IgnlogJournal j;
    ASSERT_TRUE(j.Open(journal, target, rec, 0));
    rec.Append(zeda::kRecordMonitor, 100, payload, 150);
    j.Add(rec, 100);
  }  // never written out
  auto form = MakeForm();
  ASSERT_TRUE(WaitFor([&] { return !questions_.isEmpty(); }, 5000));
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_TRUE(questions_[0].contains("crashed.ignlog"));
  EXPECT_EQ(ReadFile(QString::fromStdString(target)), rec.FileBytes());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(journal)));
}

}  // namespace
