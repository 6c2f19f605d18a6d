// The main window's monitor: the live display from zedasim, the CSV menu, recording and
// playing back with the user's document kept, damaged files, journal recovery.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <set>
#include <sstream>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "mapedit/tab_model.h"
#include "monitor/ignlog_reader.h"
#include "monitor/ignlog_writer.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/player_box.h"
#include "monitor/ui/strip_chart.h"
#include "pages/advance_page.h"
#include "params/param_addresses.h"

namespace {

using window_test::App;

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

// A recording made by hand: the snapshot records, then one record every 100 ms.
struct HandRecord {
  int type;
  std::vector<uint8_t> payload;
};

HandRecord ParamsRecord(const zeda::ParamImage& image) {
  return {zeda::kRecordParameters,
          std::vector<uint8_t>(image.Data(), image.Data() + zeda::PARAM_IMAGE_SIZE)};
}

// A monitor answer of a running engine; only the pick-up flags (byte 140) vary.
HandRecord MonitorRecord(uint8_t pickupFlags) {
  std::vector<uint8_t> block(zeda::kMonitorAnswerBytes, 0);
  block[2] = 0xA0;  // word 1, engine speed 4000
  block[3] = 0x0F;
  block[zeda::Monb::PICKUP] = pickupFlags;
  return {zeda::kRecordMonitor, block};
}

HandRecord PageRecord(int page, int tableId, int sheet) {
  std::vector<uint8_t> p(zeda::kPageStateRecordLength - zeda::kRecordHead, 0);
  p[0] = static_cast<uint8_t>(page);
  p[zeda::kPageStateTableIds - zeda::kRecordHead] = static_cast<uint8_t>(tableId);
  p[zeda::kPageStateSheets - zeda::kRecordHead] = static_cast<uint8_t>(sheet);
  return {zeda::kRecordPageState, p};
}

void WriteRecording(const QString& path, const std::vector<HandRecord>& snapshot,
                    const std::vector<HandRecord>& later) {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  for (const HandRecord& r : snapshot)
    rec.Append(r.type, 0, r.payload.data(), static_cast<int>(r.payload.size()));
  rec.MarkInitial();
  uint32_t time = 0;
  for (const HandRecord& r : later)
    rec.Append(r.type, time += 100, r.payload.data(), static_cast<int>(r.payload.size()));
  std::ofstream(path.toStdString(), std::ios::binary) << rec.FileBytes();
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
  static QTabWidget* Pages(TMainForm& form) { return Child<QTabWidget>(form, "PageControl1"); }
  // Plays `path` and pauses at once: the snapshot is shown, the bar moves by hand.
  void PlayPaused(TMainForm& form, const QString& path) {
    answers_ << path;
    Play(form, PlayerBox::kPlay);
    ASSERT_EQ(form.Player().State(), zeda::kPlayerPlaying) << shown_.join("|").toStdString();
    Play(form, PlayerBox::kPause);
  }

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

// The player's tooltips (and status tips) follow a language switch like the window's hints.
TEST_F(MonitorWindowTest, PlayerTooltipsFollowTheLanguage) {
  auto form = MakeForm();
  Child<QAction>(*form, "MenuMonitorPlayer")->trigger();
  const struct {
    const char* item;  // the language's menu item
    const char* play;
    const char* exportCsv;
  } cases[] = {
      {"MenuGerman", "Gespeicherte Ereignisse und Monitor abspielen",
       "Die Monitordaten der Aufnahme in eine CSV-Datei schreiben"},
      {"MenuCzech", "Přehrát uložené události a monitor",
       "Zapsat data monitoru ze záznamu do souboru CSV"},
      {"MenuEnglish", "Play stored events and monitor",
       "Write the recording's monitor frames to a CSV file"},
  };
  auto* play = Child<QToolButton>(*form, "SpeedButtonPlay2");
  auto* exportCsv = Child<QToolButton>(*form, "ButtonExportRecordingCsv");
  for (const auto& c : cases) {
    Child<QAction>(*form, c.item)->trigger();
    EXPECT_EQ(play->toolTip(), QString::fromUtf8(c.play)) << c.item;
    EXPECT_EQ(play->statusTip(), QString::fromUtf8(c.play)) << c.item;
    EXPECT_EQ(exportCsv->toolTip(), QString::fromUtf8(c.exportCsv)) << c.item;
  }
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
  // Only what the recorded answers show: the text shown before Record came from an earlier one.
  std::string last = rpm->text().toStdString();
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

// The Advance page shows its cylinder corrections by the channel count; only a refresh of
// the page applies a count changed behind its back. A change of pick-up 2's running state
// refreshes the active page; an answer that keeps it does not.
TEST_F(MonitorWindowTest, APickup2ChangeRefreshesTheActivePage) {
  auto form = MakeForm();
  Pages(*form)->setCurrentIndex(zeda::kAdvancePageIndex);
  zeda::ParamImage four = form->imageBuffers.params;
  four.SetByte(zeda::Adrb::CHANNEL_COUNT, 4);
  constexpr uint8_t kRun2 = 1 << 1;  // PICKUP2_RUN
  WriteRecording(Path("pickup.ignlog"), {ParamsRecord(four)},
                 {MonitorRecord(0), MonitorRecord(0), MonitorRecord(kRun2), MonitorRecord(kRun2)});
  PlayPaused(*form, Path("pickup.ignlog"));
  auto* fourth = Child<QWidget>(*form, "UpDownKorAdv4");
  ASSERT_FALSE(fourth->isHidden());  // the played parameters reached the page

  struct Step {
    int position;
    int channels;      // written into params before the record is played
    bool fourthShown;  // what the page shows afterwards
  };
  const Step steps[] = {
      {1, 1, true},   // pick-up 2 still stopped: no refresh, the old count stays shown
      {2, 1, true},   // the same
      {3, 1, false},  // pick-up 2 started: refreshed with one channel
      {4, 4, false},  // still running: no refresh
      {1, 4, true},   // stopped again: refreshed with four channels
  };
  for (const Step& s : steps) {
    form->imageBuffers.params.SetByte(zeda::Adrb::CHANNEL_COUNT, static_cast<uint8_t>(s.channels));
    form->PlayPosChange(s.position);
    EXPECT_EQ(!fourth->isHidden(), s.fourthShown) << "position " << s.position;
  }
}

// CheckBoxPropMon1 on the Test page says whether Prop1 is shown signed. The window reads
// the box on every answer, and a click shows the value in its new sign at once, without
// waiting for the next answer.
TEST_F(MonitorWindowTest, ThePropSignBoxIsReadOnEveryAnswerAndItsClickShowsAtOnce) {
  auto form = MakeForm();
  const QString labelName =
      QString::fromLatin1(zeda::kMonitorLabelNames[static_cast<int>(zeda::MonLabel::PropMon1)]);
  auto* label = form->findChild<QLabel*>(labelName);
  ASSERT_NE(label, nullptr);
  auto* box = form->findChild<QCheckBox*>(QStringLiteral("CheckBoxPropMon1"));
  ASSERT_NE(box, nullptr);
  HandRecord prop = MonitorRecord(0);
  prop.payload[2 * zeda::Monw::PROP] = 0xFE;  // Prop1 = 0xFFFE
  prop.payload[2 * zeda::Monw::PROP + 1] = 0xFF;
  WriteRecording(Path("prop.ignlog"), {ParamsRecord(form->imageBuffers.params)}, {prop, prop});
  PlayPaused(*form, Path("prop.ignlog"));
  // A move of the bar shows a record, as a fresh answer would.
  form->PlayPosChange(1);
  ASSERT_EQ(label->text(), "Prop1 = 65534 ");

  box->setChecked(true);
  EXPECT_EQ(label->text(), "Prop1 = -2 ");
  form->PlayPosChange(2);
  EXPECT_EQ(label->text(), "Prop1 = -2 ");
  box->setChecked(false);
  EXPECT_EQ(label->text(), "Prop1 = 65534 ");
  form->PlayPosChange(1);
  EXPECT_EQ(label->text(), "Prop1 = 65534 ");
}

// ButtonSelftest, LabelSelftest and MemoSelftest sit on the Test page, shown only in the
// service test mode; the button runs the unit self test against the unit in its test rig.
TEST_F(MonitorWindowTest, SelfTestButtonShowsInTestModeAndRunsTheTest) {
  const char* const names[] = {"ButtonSelftest", "LabelSelftest", "MemoSelftest"};
  {
    auto form = MakeForm();
    QWidget* tab = Child<QWidget>(*form, "TabSheet_Ladeni");
    for (const char* n : names) EXPECT_FALSE(Child<QWidget>(*form, n)->isVisibleTo(tab)) << n;
  }
  const QString switchFile = Path("switch.txt");
  std::ofstream(switchFile.toStdString()) << "DEVS_SWITCH\n";
  const QByteArray savedSwitch = qgetenv("ZEDA_TEST_SWITCH");
  qputenv("ZEDA_TEST_SWITCH", switchFile.toLocal8Bit());
  auto form = MakeForm();
  qputenv("ZEDA_TEST_SWITCH", savedSwitch);
  ASSERT_TRUE(form->TestMode());
  QWidget* tab = Child<QWidget>(*form, "TabSheet_Ladeni");
  for (const char* n : names) EXPECT_TRUE(Child<QWidget>(*form, n)->isVisibleTo(tab)) << n;
  auto* button = Child<QPushButton>(*form, "ButtonSelftest");
  auto* label = Child<QLabel>(*form, "LabelSelftest");
  auto* memo = Child<QPlainTextEdit>(*form, "MemoSelftest");

  button->click();  // no unit: nothing starts
  EXPECT_EQ(form->UnitSelfTest().State(), zeda::SelfTestState::Idle);
  EXPECT_EQ(label->text(), "");

  form->show();
  ASSERT_TRUE(form->StartSimulator({"--engine", "stopped", "--test-rig"}));
  auto* rpm = Child<QLabel>(*form, "LabelRpm");
  ASSERT_TRUE(WaitFor([&] { return rpm->text() != "RPM = ---"; }, 30000));
  button->click();
  EXPECT_TRUE(label->text().startsWith("Running test (")) << label->text().toStdString();
  ASSERT_TRUE(WaitFor([&] { return label->text().startsWith("Result"); }, 30000))
      << label->text().toStdString();
  const QStringList lines = memo->toPlainText().split('\n');
  EXPECT_EQ(label->text(), "Result OK...") << memo->toPlainText().toStdString();
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 255, 0));
  ASSERT_EQ(lines.size(), 6);
  EXPECT_TRUE(lines[0].startsWith("Selftest: "));
  EXPECT_EQ(lines[2], "1) servo: OK");
  EXPECT_EQ(lines[5], "4) Powerout2 - In0: OK        In1: OK");
}

// A played page-state record shows its page and the recorded map sheets, a played
// parameter record reloads the pages; at Stop the user's document, pages, page and undo
// ring come back, whatever was edited during the playback.
TEST_F(MonitorWindowTest, PlaybackShowsRecordedPagesAndGivesTheUndoRingBack) {
  auto form = MakeForm();
  QTabWidget* pages = Pages(*form);
  zeda::PageBinder& binder = form->Pages()->Binder();
  zeda::TTableSet& tables = form->Pages()->Tables();
  int table = -1;
  for (int i = 0; i < tables.Count() && table < 0; ++i)
    if (tables.Table(i).sheetCount >= 2 && tables.Table(i).id != 0) table = i;
  ASSERT_GE(table, 0) << "no map editor with two sheets";
  const int tableId = tables.Table(table).id;
  const int userSheet = tables.Table(table).current;
  const int recordedSheet = userSheet == 0 ? 1 : 0;

  // The user's document: four channels, one undo step.
  form->imageBuffers.params.SetByte(zeda::Adrb::CHANNEL_COUNT, 4);
  ASSERT_TRUE(binder.Snapshot());
  binder.LoadAllPages();
  const zeda::ParamImage mine = form->imageBuffers.params;
  const int ringCurrent = binder.Ring().Current();
  const int ringNewest = binder.Ring().Newest();
  pages->setCurrentIndex(0);

  zeda::ParamImage one = mine, two = mine;
  one.SetByte(zeda::Adrb::CHANNEL_COUNT, 1);
  two.SetByte(zeda::Adrb::CHANNEL_COUNT, 2);
  WriteRecording(Path("pages.ignlog"),
                 {ParamsRecord(one), PageRecord(zeda::kAdvancePageIndex, tableId, recordedSheet)},
                 {MonitorRecord(0), ParamsRecord(two), PageRecord(0, tableId, userSheet)});
  PlayPaused(*form, Path("pages.ignlog"));
  EXPECT_EQ(pages->currentIndex(), zeda::kAdvancePageIndex);
  EXPECT_EQ(tables.Table(table).current, recordedSheet);
  EXPECT_EQ(form->imageBuffers.params, one);
  EXPECT_TRUE(Child<QWidget>(*form, "UpDownKorAdv2")->isHidden());  // one channel shown

  form->PlayPosChange(2);  // the second parameter set reaches the pages
  EXPECT_EQ(form->imageBuffers.params, two);
  EXPECT_FALSE(Child<QWidget>(*form, "UpDownKorAdv2")->isHidden());
  EXPECT_TRUE(Child<QWidget>(*form, "UpDownKorAdv3")->isHidden());
  form->PlayPosChange(3);
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(tables.Table(table).current, userSheet);
  form->PlayPosChange(0);  // back to the snapshot
  EXPECT_EQ(pages->currentIndex(), zeda::kAdvancePageIndex);
  EXPECT_EQ(tables.Table(table).current, recordedSheet);

  // An edit during the playback takes an undo step in the recording's set.
  form->imageBuffers.params.SetByte(zeda::Adrb::CHANNEL_COUNT, 3);
  ASSERT_TRUE(binder.Snapshot());

  Play(*form, PlayerBox::kStop);
  EXPECT_EQ(form->imageBuffers.params, mine);
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(tables.Table(table).current, userSheet);
  EXPECT_EQ(binder.Ring().Current(), ringCurrent);
  EXPECT_EQ(binder.Ring().Newest(), ringNewest);
  EXPECT_FALSE(Child<QWidget>(*form, "UpDownKorAdv4")->isHidden());  // pages show mine again
  // Undo steps through the user's own history, not the playback's.
  binder.Undo();
  EXPECT_NE(form->imageBuffers.params.Byte(zeda::Adrb::CHANNEL_COUNT), 4);
  EXPECT_NE(form->imageBuffers.params.Byte(zeda::Adrb::CHANNEL_COUNT), 3);
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
