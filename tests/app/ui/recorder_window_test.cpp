// The window's recorder, player and CSV output when files fail them: a file that cannot be
// created, a disk that fills, a drive pulled before Stop, a journal whose file is gone, the
// record limit on every kind of record, and the time spent in a file dialog.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "app/ui/window_fixture.h"
#include "monitor/csv_output.h"
#include "monitor/ignlog_reader.h"
#include "monitor/ignlog_writer.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/player_box.h"

namespace {

namespace fs = std::filesystem;

// The disk under a file the window holds open fills up: its descriptor now writes to
// /dev/full ("No space left on device").
void FillDiskUnder(const QString& path) {
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (fs::read_symlink(e.path(), ec) != fs::path(path.toStdString())) continue;
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    ASSERT_GE(dup2(full, std::stoi(e.path().filename().string())), 0);
    close(full);
    return;
  }
  FAIL() << path.toStdString() << " is not open";
}

// The snapshot, then one monitor record a second, `seconds` of them.
void WriteRecording(const QString& path, int seconds) {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  const zeda::ParamImage image = zeda::StartImage();
  rec.Append(zeda::kRecordParameters, 0, image.Data(), zeda::PARAM_IMAGE_SIZE);
  rec.MarkInitial();
  uint8_t block[zeda::kMonitorAnswerBytes] = {};
  for (int s = 1; s <= seconds; ++s) {
    block[1] = static_cast<uint8_t>(s);
    rec.Append(zeda::kRecordMonitor, 1000u * s, block, zeda::kMonitorAnswerBytes);
  }
  std::ofstream(path.toStdString(), std::ios::binary) << rec.FileBytes();
}

class RecorderWindowTest : public window_test::WindowFixture {
 protected:
  std::unique_ptr<TMainForm> Form() {
    auto form = MakeForm();
    form->SetMessageShower([this](const QString&, const QString& text) { shown_ << text; });
    return form;
  }
  static void Press(TMainForm& form, int button) {
    const char* names[] = {"", "SpeedButtonPlay1", "SpeedButtonPlay2", "SpeedButtonPlay3",
                           "SpeedButtonPlay4"};
    form.findChild<QToolButton*>(QString::fromLatin1(names[button]))->click();
  }
  static QAction* CsvMenu(TMainForm& form) {
    return form.findChild<QAction*>(QStringLiteral("MenuCSVout"));
  }
  QString File(const char* name) const { return files_.filePath(QString::fromLatin1(name)); }
  QStringList Journals() const {
    return QDir(settings_.path()).entryList({QStringLiteral("*.ignjournal")}, QDir::Files);
  }
  static void ExpectCsvOff(TMainForm& form) {
    EXPECT_FALSE(form.windowTitle().contains(QStringLiteral("CSV output")))
        << form.windowTitle().toStdString();
    EXPECT_EQ(CsvMenu(form)->text(), QStringLiteral("CSV output monitor"));
    EXPECT_FALSE(CsvMenu(form)->isChecked());
    EXPECT_TRUE(form.csvOutputPath.isEmpty());
  }

  QStringList shown_;
};

TEST_F(RecorderWindowTest, CsvOutputThatCannotStartSaysWhy) {
  // A file on a full disk (/dev/full behind a name with the extension) and one in a folder
  // that is not there.
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), File("full.csv")));
  struct Case {
    QString path;
    const char* why;
  };
  const Case cases[] = {{File("full.csv"), "No space left on device"},
                        {File("gone/live.csv"), "No such file or directory"}};
  auto form = Form();
  for (const Case& c : cases) {
    shown_.clear();
    answers_ << c.path;
    CsvMenu(*form)->trigger();
    ASSERT_EQ(shown_.size(), 1) << c.why;
    EXPECT_EQ(shown_[0], QStringLiteral("The CSV output cannot be started: the file cannot be "
                                        "written %1 (%2). Choose another file or folder.")
                             .arg(c.path, QString::fromLatin1(c.why)));
    ExpectCsvOff(*form);
  }
}

TEST_F(RecorderWindowTest, CsvOutputStopsWithAMessageWhenTheDiskFills) {
  auto form = Form();
  answers_ << File("live.csv");
  CsvMenu(*form)->trigger();
  ASSERT_TRUE(form->windowTitle().contains(QStringLiteral("(CSV output: live.csv)")));
  ASSERT_NO_FATAL_FAILURE(FillDiskUnder(File("live.csv")));
  // Played frames are written like live ones: the first line no longer fits.
  WriteRecording(File("ride.ignlog"), 1);
  answers_ << File("ride.ignlog");
  Press(*form, PlayerBox::kPlay);
  ASSERT_EQ(form->Player().State(), zeda::kPlayerPlaying) << shown_.join('|').toStdString();
  ASSERT_TRUE(window_test::WaitUntil([&] { return !shown_.isEmpty(); }, 5000));
  ASSERT_EQ(shown_.size(), 1) << shown_.join('|').toStdString();
  EXPECT_EQ(shown_[0],
            QStringLiteral("The CSV output stopped: a line cannot be written to %1 (No space left "
                           "on device). The lines written so far are kept. Check the free space "
                           "and the drive, then start the CSV output again.")
                .arg(File("live.csv")));
  ExpectCsvOff(*form);
  Press(*form, PlayerBox::kStop);
}

TEST_F(RecorderWindowTest, RecordingIntoAFolderThatIsNotThereDoesNotStart) {
  auto form = Form();
  answers_ << File("gone/ride.ignlog");
  Press(*form, PlayerBox::kRecord);
  EXPECT_EQ(form->Player().State(), zeda::kPlayerIdle);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_EQ(shown_[0], QStringLiteral("The recording cannot be started: the file cannot be "
                                      "created %1 (No such file or directory). Choose a folder "
                                      "you can write to.")
                           .arg(File("gone/ride.ignlog")));
  EXPECT_TRUE(Journals().isEmpty());
}

// The record area's limit reached by a parameter set or a page change: the recording is
// written and the user is told, as when a monitor frame reaches it.
TEST_F(RecorderWindowTest, EveryRecordKindReachingTheLimitShowsTheMessage) {
  auto form = Form();
  auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  struct Case {
    const char* kind;
    std::function<void(int)> record;
  };
  const Case cases[] = {
      {"parameters", [&](int) { form->RecordParameters(); }},
      {"page state", [&](int i) { pages->setCurrentIndex((i + 1) % 2); }},
  };
  for (const Case& c : cases) {
    shown_.clear();
    pages->setCurrentIndex(0);
    answers_ << File("big.ignlog");
    Press(*form, PlayerBox::kRecord);
    ASSERT_EQ(form->Player().State(), zeda::kPlayerRecording) << shown_.join('|').toStdString();
    ASSERT_EQ(Journals().size(), 1);
    // The journal holds a short head, the header's fixed part and the record area: fill the
    // area with parameter sets until a page-state record or a set no longer fits.
    const QString journal = QDir(settings_.path()).filePath(Journals()[0]);
    const qint64 head = 10 + File("big.ignlog").toUtf8().size() + zeda::IgnlogAt::LOW_WORDS;
    while (QFileInfo(journal).size() - head + zeda::kImageRecordLength +
               zeda::kPageStateRecordLength <=
           zeda::kIgnlogMaxData)
      form->RecordParameters();
    ASSERT_TRUE(shown_.isEmpty()) << shown_.join('|').toStdString();
    for (int i = 0; i < 20 && form->Player().Recording(); ++i) c.record(i);
    EXPECT_EQ(form->Player().State(), zeda::kPlayerIdle) << c.kind;
    ASSERT_EQ(shown_.size(), 1) << c.kind;
    EXPECT_EQ(shown_[0],
              QStringLiteral("The recording stopped at its limit of 2000000 bytes. It is saved in "
                             "%1. Start a new recording to go on.")
                  .arg(File("big.ignlog")))
        << c.kind;
    zeda::IgnlogFile file;
    EXPECT_TRUE(zeda::ReadIgnlogFile(File("big.ignlog").toStdString(), file).Ok()) << c.kind;
    EXPECT_TRUE(Journals().isEmpty()) << c.kind;
  }
}

// The disk under the journal fills during a recording: the recording stops at once, is
// written to its file, and the user is told.
TEST_F(RecorderWindowTest, AJournalThatCannotBeWrittenStopsTheRecordingWithAMessage) {
  auto form = Form();
  answers_ << File("ride.ignlog");
  Press(*form, PlayerBox::kRecord);
  ASSERT_EQ(form->Player().State(), zeda::kPlayerRecording) << shown_.join('|').toStdString();
  ASSERT_EQ(Journals().size(), 1);
  ASSERT_NO_FATAL_FAILURE(FillDiskUnder(QDir(settings_.path()).filePath(Journals()[0])));
  form->RecordParameters();
  EXPECT_EQ(form->Player().State(), zeda::kPlayerIdle);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_EQ(shown_[0], QStringLiteral("The recording stopped: its journal cannot be written (No "
                                      "space left on device). It is saved in %1. Start a new "
                                      "recording to go on.")
                           .arg(File("ride.ignlog")));
  zeda::IgnlogFile file;
  ASSERT_TRUE(zeda::ReadIgnlogFile(File("ride.ignlog").toStdString(), file).Ok());
  EXPECT_EQ(file.count, file.initial + 1);
  EXPECT_TRUE(Journals().isEmpty());
}

// The time spent choosing the file is not played over: the playback starts at its first
// record when the dialog closes.
TEST_F(RecorderWindowTest, PlaybackStartsWhenTheOpenDialogCloses) {
  WriteRecording(File("ride.ignlog"), 3);
  auto form = Form();
  form->SetFileChooser([this](const TMainForm::FileDialogRequest&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // the user looks around
    return File("ride.ignlog");
  });
  Press(*form, PlayerBox::kPlay);
  ASSERT_EQ(form->Player().State(), zeda::kPlayerPlaying) << shown_.join('|').toStdString();
  QTest::qWait(300);  // a few ticks: the first frame is due a second after the start
  EXPECT_EQ(form->Player().Position(), 0);
  EXPECT_EQ(form->Player().State(), zeda::kPlayerPlaying);
  ASSERT_TRUE(window_test::WaitUntil([&] { return form->Player().Position() >= 1; }, 5000));
  Press(*form, PlayerBox::kStop);
}

// Likewise a recording starts when the save dialog closes: its start and its record times
// do not include the dialog.
TEST_F(RecorderWindowTest, RecordingStartsWhenTheSaveDialogCloses) {
  auto form = Form();
  form->SetFileChooser([this](const TMainForm::FileDialogRequest&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return File("ride.ignlog");
  });
  const int64_t clicked = zeda::WallClockMs();
  Press(*form, PlayerBox::kRecord);
  ASSERT_EQ(form->Player().State(), zeda::kPlayerRecording) << shown_.join('|').toStdString();
  auto* pos = form->findChild<QLabel*>(QStringLiteral("LabelPlayPos"));
  EXPECT_TRUE(pos->text().endsWith(QStringLiteral(" 0 seconds"))) << pos->text().toStdString();
  form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
  Press(*form, PlayerBox::kStop);
  zeda::IgnlogFile file;
  ASSERT_TRUE(zeda::ReadIgnlogFile(File("ride.ignlog").toStdString(), file).Ok());
  EXPECT_GE(file.start, (clicked + 1500) / 1000);
  ASSERT_GT(file.count, file.initial);
  const zeda::IgnlogRecordView page = file.Record(file.count - 1);
  EXPECT_EQ(page.type, zeda::kRecordPageState);
  EXPECT_LT(page.timeMs, 1000u);
}

// The recording's file cannot be written at Stop or when the window closes (the drive was
// pulled): the user is told and picks another file; cancelled, the journal stays for the
// next start.
TEST_F(RecorderWindowTest, AFileGoneAtStopOrCloseIsSavedWhereTheUserChooses) {
  struct Case {
    const char* what;
    bool closeWindow;
    bool choose;
  };
  const Case cases[] = {{"Stop, another file chosen", false, true},
                        {"Stop, cancelled", false, false},
                        {"window closed, another file chosen", true, true}};
  for (const Case& c : cases) {
    QFile::remove(File("elsewhere.ignlog"));
    for (const QString& j : Journals()) QFile::remove(QDir(settings_.path()).filePath(j));
    ASSERT_TRUE(QDir(files_.path()).mkpath(QStringLiteral("stick")));
    auto form = Form();
    answers_ << File("stick/ride.ignlog");
    Press(*form, PlayerBox::kRecord);
    ASSERT_EQ(form->Player().State(), zeda::kPlayerRecording) << shown_.join('|').toStdString();
    form->RecordParameters();
    ASSERT_TRUE(QDir(File("stick")).removeRecursively());
    if (c.choose) answers_ << File("elsewhere.ignlog");
    shown_.clear();
    if (c.closeWindow)
      form->close();
    else
      Press(*form, PlayerBox::kStop);
    EXPECT_EQ(form->Player().State(), zeda::kPlayerIdle) << c.what;
    ASSERT_EQ(shown_.size(), 1) << c.what;
    EXPECT_TRUE(shown_[0].startsWith(
        QStringLiteral("The recording cannot be saved in %1 (").arg(File("stick/ride.ignlog"))))
        << shown_[0].toStdString();
    EXPECT_TRUE(shown_[0].endsWith(QStringLiteral("Choose another file for it.")));
    EXPECT_TRUE(answers_.isEmpty()) << c.what;
    zeda::IgnlogFile file;
    EXPECT_EQ(zeda::ReadIgnlogFile(File("elsewhere.ignlog").toStdString(), file).Ok(), c.choose)
        << c.what;
    EXPECT_EQ(Journals().size(), c.choose ? 0 : 1) << c.what;
    if (c.choose) {
      EXPECT_EQ(file.count, file.initial + 1) << c.what;
    }
  }
}

// A journal left by a crash whose own file cannot be written (its folder is gone) is saved
// where the user chooses; cancelled, it is kept.
TEST_F(RecorderWindowTest, AJournalWhoseFileIsGoneIsRecoveredElsewhere) {
  zeda::IgnlogRecorder rec;
  rec.Begin({});
  uint8_t payload[zeda::PARAM_IMAGE_SIZE] = {};
  rec.Append(zeda::kRecordParameters, 0, payload, zeda::PARAM_IMAGE_SIZE);
  rec.MarkInitial();
  const std::string journal = settings_.filePath("recording-1-2.ignjournal").toStdString();
  {
    zeda::IgnlogJournal j;
    ASSERT_TRUE(j.Open(journal, File("gone/crashed.ignlog").toStdString(), rec, 0));
    rec.Append(zeda::kRecordMonitor, 100, payload, zeda::kMonitorAnswerBytes);
    ASSERT_TRUE(j.Add(rec, 100));
  }  // never written out
  for (const bool choose : {false, true}) {
    shown_.clear();
    if (choose) answers_ << File("recovered.ignlog");
    auto form = Form();
    ASSERT_TRUE(window_test::WaitUntil([&] { return !shown_.isEmpty(); }, 5000)) << choose;
    EXPECT_TRUE(shown_[0].startsWith(
        QStringLiteral("The recording cannot be saved in %1 (").arg(File("gone/crashed.ignlog"))))
        << shown_[0].toStdString();
    EXPECT_TRUE(answers_.isEmpty());
    std::ifstream in(File("recovered.ignlog").toStdString(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, choose ? rec.FileBytes() : std::string()) << choose;
    EXPECT_EQ(QFile::exists(QString::fromStdString(journal)), !choose) << choose;
  }
}

}  // namespace
