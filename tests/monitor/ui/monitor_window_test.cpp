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

QApplication* app() {
  static int argc = 1;
  static char name[] = "test_monitor_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

bool waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

std::string readFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class MonitorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    zeda::setCurrentLanguage(zeda::kEnglish);
    zeda::setMessageSink([](const zeda::UserMessage&) {});
    ASSERT_TRUE(files.isValid());
    savedSettingsDir = qgetenv("ZEDA_SETTINGS_DIR");
    qputenv("ZEDA_SETTINGS_DIR", settings.path().toLocal8Bit());
    qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
    savedPorts = qgetenv("ZEDA_PORTS");
  }
  void TearDown() override {
    qputenv("ZEDA_SETTINGS_DIR", savedSettingsDir);
    qputenv("ZEDA_PORTS", savedPorts);
    zeda::setMessageSink(nullptr);
  }
  std::unique_ptr<TMainForm> makeForm() {
    TMainForm::Options o;
    o.listenForHandover = false;
    auto form = std::make_unique<TMainForm>(o);
    form->setFileChooser([this](const TMainForm::FileDialogRequest&) {
      return answers.isEmpty() ? QString() : answers.takeFirst();
    });
    form->setQuestionAsker([this](const QString& q) {
      questions << q;
      return int(QMessageBox::Yes);
    });
    form->setMessageShower([this](const QString&, const QString& text) { shown << text; });
    return form;
  }
  template <typename T>
  static T* child(TMainForm& form, const char* name) {
    T* w = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static void play(TMainForm& form, int button) {
    const char* names[] = {"", "SpeedButtonPlay1", "SpeedButtonPlay2", "SpeedButtonPlay3",
                           "SpeedButtonPlay4"};
    child<QToolButton>(form, names[button])->click();
  }
  QString path(const char* name) const { return files.filePath(QString::fromLatin1(name)); }

  QTemporaryDir files, settings;
  QByteArray savedSettingsDir, savedPorts;
  QStringList answers, questions, shown;
};

TEST_F(MonitorWindowTest, NotLiveShowsDashes) {
  auto form = makeForm();
  EXPECT_EQ(child<QLabel>(*form, "LabelRpm")->text(), "RPM = ---");
  EXPECT_EQ(child<QLabel>(*form, "LabelNapeti")->text(), "U = --- [V]");
  EXPECT_FALSE(form->playerBox()->isVisible());
  child<QAction>(*form, "MenuMonitorPlayer")->trigger();
  EXPECT_TRUE(form->appSettings.monitorPlayer);
  EXPECT_FALSE(child<QToolButton>(*form, "SpeedButtonPlay3")->isEnabled());
  EXPECT_TRUE(child<QToolButton>(*form, "SpeedButtonPlay2")->isEnabled());
}

// Live from zedasim with the CSV output on; recorded, then played back to the same labels
// while the unit stays connected; the user's document comes back at Stop.
TEST_F(MonitorWindowTest, RecordAndPlayBackAgainstTheSimulatedUnit) {
  auto form = makeForm();
  form->show();
  ASSERT_TRUE(form->startSimulator({}));
  auto* rpm = child<QLabel>(*form, "LabelRpm");
  ASSERT_TRUE(waitFor([&] { return rpm->text() != "RPM = ---"; }, 30000));

  answers << path("live.csv");
  child<QAction>(*form, "MenuCSVout")->trigger();
  EXPECT_EQ(child<QAction>(*form, "MenuCSVout")->text(), "Stop CSV recording");
  EXPECT_TRUE(form->windowTitle().contains("(CSV output: live.csv)"));

  answers << path("ride");  // typed without extension
  play(*form, PlayerBox::kRecord);
  ASSERT_EQ(form->player().state(), zeda::kPlayerRecording);
  std::vector<std::string> liveRpm;
  std::string last;
  ASSERT_TRUE(waitFor(
      [&] {
        if (form->monitorBlock().word(1) != 0 && rpm->text().toStdString() != last) {
          last = rpm->text().toStdString();
          liveRpm.push_back(last);
        }
        return liveRpm.size() >= 5;
      },
      20000));
  play(*form, PlayerBox::kStop);
  child<QAction>(*form, "MenuCSVout")->trigger();
  EXPECT_FALSE(form->windowTitle().contains("CSV output"));
  EXPECT_EQ(child<QAction>(*form, "MenuCSVout")->text(), "CSV output monitor");

  zeda::IgnlogFile file;
  ASSERT_TRUE(zeda::ReadIgnlogFile(path("ride.ignlog").toStdString(), file).ok());
  int monitors = 0;
  for (int k = 0; k < file.count; ++k) monitors += file.Record(k).type == zeda::kRecordMonitor;
  EXPECT_GE(monitors, 5);
  // One CSV line per answer: the recording's frames all lie within the CSV's span.
  std::istringstream csv(readFile(path("live.csv")));
  int lines = 0;
  for (std::string l; std::getline(csv, l);) ++lines;
  EXPECT_GE(lines - 2, monitors);

  // The user's own document before Play.
  const zeda::ParamImage mine = form->imageBuffers.params;
  const bool mineMatches = form->imageBuffers.fileMatches;
  answers << path("ride.ignlog");
  play(*form, PlayerBox::kPlay);
  ASSERT_EQ(form->player().state(), zeda::kPlayerPlaying);
  EXPECT_FALSE(child<QPushButton>(*form, "ButtonRead")->isEnabled());
  form->ReadCommand();  // refused while playing
  std::set<std::string> played;
  ASSERT_TRUE(waitFor(
      [&] {
        played.insert(rpm->text().toStdString());
        return form->player().state() == zeda::kPlayerPaused;
      },
      30000));
  for (const std::string& r : liveRpm) EXPECT_TRUE(played.count(r)) << r;
  EXPECT_TRUE(child<QLabel>(*form, "LabelPlayPos")->text().startsWith("Play ("));

  // Moving the bar back shows that one record.
  form->PlayPosChange(1);
  EXPECT_EQ(form->player().position(), 1);
  // Dragging the strip chart's cursor to the end moves the player there.
  StripChart* chart = form->playerBox()->chart();
  ASSERT_FALSE(chart->series().points.empty());
  QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(chart->width() - 1, chart->height() / 2));
  EXPECT_EQ(form->player().position(), chart->series().points.back().position);

  play(*form, PlayerBox::kStop);
  EXPECT_EQ(form->player().state(), zeda::kPlayerIdle);
  EXPECT_EQ(form->imageBuffers.params, mine);
  EXPECT_EQ(form->imageBuffers.fileMatches, mineMatches);
  ASSERT_TRUE(waitFor([&] { return child<QPushButton>(*form, "ButtonRead")->isEnabled(); }, 5000));
  EXPECT_TRUE(shown.isEmpty()) << shown.join("|").toStdString();
}

TEST_F(MonitorWindowTest, DamagedFileLeavesThePlayerIdle) {
  auto form = makeForm();
  {
    std::ofstream out(path("bad.ignlog").toStdString(), std::ios::binary);
    out << std::string(13000, '\x01');
  }
  const zeda::ParamImage before = form->imageBuffers.params;
  answers << path("bad.ignlog");
  play(*form, PlayerBox::kPlay);
  EXPECT_EQ(form->player().state(), zeda::kPlayerIdle);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains("damaged file")) << shown[0].toStdString();
  EXPECT_EQ(form->imageBuffers.params, before);
}

TEST_F(MonitorWindowTest, AJournalLeftByACrashIsOfferedAndRecovered) {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  uint8_t payload[1050] = {};
  rec.Append(zeda::kRecordConnection, 0, payload, 76);
  rec.Append(zeda::kRecordParameters, 0, payload, 1050);
  rec.MarkInitial();
  const std::string journal = settings.filePath("recording-1-2.ignjournal").toStdString();
  const std::string target = path("crashed.ignlog").toStdString();
  {
    zeda::IgnlogJournal j;
    ASSERT_TRUE(j.Open(journal, target, rec, 0));
    rec.Append(zeda::kRecordMonitor, 100, payload, 150);
    j.Add(rec, 100);
  }  // never written out
  auto form = makeForm();
  ASSERT_TRUE(waitFor([&] { return !questions.isEmpty(); }, 5000));
  ASSERT_EQ(questions.size(), 1);
  EXPECT_TRUE(questions[0].contains("crashed.ignlog"));
  EXPECT_EQ(readFile(QString::fromStdString(target)), rec.FileBytes());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(journal)));
}

}  // namespace
