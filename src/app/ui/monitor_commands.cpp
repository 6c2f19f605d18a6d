// The main window's live monitor: each fresh answer decoded and shown, the CSV output, the
// recorder and the player with its group box, and the recovery of interrupted recordings.
// User-interface thread only.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <ctime>

#include "app/self_test_run.h"
#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "base/identity.h"
#include "base/tick_clock.h"
#include "lang/ui/qt_text.h"
#include "link/device_ops.h"
#include "mapedit/tab_model.h"
#include "monitor/ignlog_reader.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/monitor_strip.h"
#include "monitor/ui/monitor_view_applier.h"
#include "monitor/ui/player_box.h"
#include "monitor/ui/self_test_box.h"
#include "params/atomic_file.h"
#include "params/normalize.h"
#include "params/param_addresses.h"

namespace {

constexpr char kJournalSuffix[] = ".ignjournal";

// The player's clock: steady, so a step of the wall clock neither stalls nor rushes a
// playback nor bends record times. The wall clock only dates a recording and a CSV line.
int64_t NowMs() { return zeda::SteadyClockMs(); }

const char kCsvNotCreated[] =
    "###The CSV output cannot be started: the file cannot be written##"
    "Die CSV-Ausgabe kann nicht beginnen: die Datei kann nicht geschrieben werden##"
    "Výstup CSV nelze spustit: soubor nelze zapsat";
const char kCsvChooseOther[] =
    "###Choose another file or folder.##"
    "Wählen Sie eine andere Datei oder einen anderen Ordner.##"
    "Zvolte jiný soubor nebo složku.";
const char kCsvWriteFailed[] =
    "###The CSV output stopped: a line cannot be written to##"
    "Die CSV-Ausgabe wurde beendet: eine Zeile kann nicht geschrieben werden in##"
    "Výstup CSV byl zastaven: řádek nelze zapsat do";
const char kCsvCheckDrive[] =
    "###The lines written so far are kept. Check the free space and the drive, then start "
    "the CSV output again.##"
    "Die bisher geschriebenen Zeilen bleiben erhalten. Prüfen Sie den freien Platz und das "
    "Laufwerk und starten Sie die CSV-Ausgabe erneut.##"
    "Dosud zapsané řádky zůstávají. Zkontrolujte volné místo a jednotku a spusťte výstup CSV "
    "znovu.";

// "<what> <path> (<why>). <advice>"
QString CsvSentence(const char* what, const QString& path, const std::string& why,
                    const char* advice) {
  return QStringLiteral("%1 %2 (%3). %4")
      .arg(zeda::Lang(what), path, QString::fromStdString(why), zeda::Lang(advice));
}

void ShowCsvMenu(QAction* menu, bool on) {
  if (!menu) return;
  menu->setChecked(on);
  menu->setText(on ? QStringLiteral("Stop CSV recording") : QStringLiteral("CSV output monitor"));
}

QString WithExtension(QString path, const QString& extension) {
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += extension;
  return path;
}

// Each map editor's table id and the sheet it shows, in the order of the window's table
// list (the page-state record); 0 for unused slots.
void TableStates(zeda::PageHost* pages, uint8_t* ids, uint8_t* sheets) {
  if (!pages) return;
  zeda::TTableSet& tables = pages->Tables();
  for (int i = 0; i < tables.Count() && i < zeda::kPageStateTables; ++i) {
    ids[i] = static_cast<uint8_t>(tables.Table(i).id);
    sheets[i] = static_cast<uint8_t>(tables.Table(i).current);
  }
}

void SelectSheets(zeda::PageHost* pages, const uint8_t* ids, const uint8_t* sheets) {
  if (!pages) return;
  zeda::TTableSet& tables = pages->Tables();
  for (int e = 0; e < zeda::kPageStateTables; ++e) {
    if (ids[e] == 0) continue;  // an unused slot
    for (int t = 0; t < tables.Count(); ++t) {
      zeda::TTab& tab = tables.Table(t);
      if (tab.id == ids[e] && tab.current != sheets[e]) tab.SelectSheet(sheets[e]);
    }
  }
}

// The parts of the user's document a playback puts aside, copied either way: the image
// buffers and the saved document name them alike.
template <class From, class To>
void CopyDocument(const From& from, To& to) {
  to.params = from.params;
  to.unitImage = from.unitImage;
  to.unitImageValid = from.unitImageValid;
  to.fileImage = from.fileImage;
  to.fileMatches = from.fileMatches;
  to.changedMask = from.changedMask;
}

}  // namespace

// What a playback does to the window.
class PlayerHostBridge : public zeda::PlayerHost {
 public:
  explicit PlayerHostBridge(TMainForm& form) : form_(form) {}

  void PlaybackStarted() override {
    // An edit still waiting belongs to the user's document.
    form_.document.CommitPending();
    // The user's own document goes aside; the recording's takes its place until Stop.
    TMainForm::SavedDocument& s = form_.savedDocument_;
    CopyDocument(form_.imageBuffers, s);
    s.fileName = form_.currentFileName;
    s.page = form_.PageControl1->currentIndex();
    std::fill(std::begin(s.tableIds), std::end(s.tableIds), 0);
    std::fill(std::begin(s.sheets), std::end(s.sheets), 0);
    TableStates(form_.pages_.get(), s.tableIds, s.sheets);
    if (form_.pages_) s.ring = form_.pages_->Binder().Ring();
  }
  void PlaybackEnded() override {
    // An edit made during the playback goes into the recording's set, which goes now; the
    // pages show the user's set again.
    const TMainForm::SavedDocument& s = form_.savedDocument_;
    form_.document.Replace(zeda::DocumentChange::PlaybackStop, [&](zeda::ImageBuffers& b) {
      CopyDocument(s, b);
      zeda::UpdatePresence(b.params, b.presence);
      return true;
    });
    zeda::ImageBuffers& b = form_.imageBuffers;
    // A window being destroyed during a playback has no controls left to show it in.
    if (!form_.PageControl1) return;
    form_.PageControl1->setCurrentIndex(s.page);
    if (form_.pages_) {
      // The undo history is the user's again.
      form_.pages_->Binder().SetRing(s.ring);
      SelectSheets(form_.pages_.get(), s.tableIds, s.sheets);
    }
    form_.fileMatches = b.fileMatches;
    form_.currentFileName = s.fileName;
    form_.CompareIfChanged();
    form_.UpdateTitle();
    // The block holds the recording's last frame: a connected unit's values show again
    // with its next answer, unknown until then.
    form_.answeredConnection_ = 0;
    form_.ShowMonitor();
  }
  void PlayParameters(const uint8_t* image) override {
    // A waiting edit goes into the set it was made on, before the recorded one replaces it.
    form_.document.Replace(zeda::DocumentChange::PlaybackStart, [&](zeda::ImageBuffers& b) {
      std::memcpy(b.params.Data(), image, zeda::PARAM_IMAGE_SIZE);
      zeda::UpdatePresence(b.params, b.presence);
      b.UpdateFileMatches();
      return true;
    });
    form_.CompareIfChanged();
  }
  void PlayUnitImage(const uint8_t* image) override {
    zeda::ImageBuffers& b = form_.imageBuffers;
    std::memcpy(b.unitImage.Data(), image, zeda::PARAM_IMAGE_SIZE);
    b.unitImageValid = true;
    form_.CompareIfChanged();
  }
  void PlayMonitor(const uint8_t* block, int64_t recordedUnixMs) override {
    form_.monitorBlock_.Assign(block);
    // One CSV line per played record, stamped with the time it was recorded.
    form_.csvOutput_.WriteLine(form_.monitorBlock_, recordedUnixMs);
    form_.ShowMonitor();
  }
  void PlayPageState(int page, const uint8_t* tableIds, const uint8_t* sheets) override {
    if (page != form_.PageControl1->currentIndex() && form_.PageControl1->isTabVisible(page))
      form_.PageControl1->setCurrentIndex(page);
    SelectSheets(form_.pages_.get(), tableIds, sheets);
  }

 private:
  TMainForm& form_;
};

void TMainForm::CreateMonitor() {
  playerHost_ = new PlayerHostBridge(*this);
  player_ = std::make_unique<zeda::MonitorPlayer>(*playerHost_);
  auto* outer = static_cast<QVBoxLayout*>(centralWidget()->layout());
  const int pages = outer->indexOf(PageControl1);
  outer->insertWidget(pages, CreateMonitorStrip(centralWidget()));
  playerBox_ = new PlayerBox(centralWidget());
  outer->addWidget(playerBox_);
  playerBox_->hide();
  connect(playerBox_, &PlayerBox::ButtonClicked, this, &TMainForm::SpeedButtonPlay);
  connect(playerBox_, &PlayerBox::PositionMoved, this, &TMainForm::PlayPosChange);
  connect(playerBox_, &PlayerBox::ExportClicked, this, &TMainForm::ExportRecordingCsv);
  monitorApplier_ = std::make_unique<MonitorViewApplier>(this);
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuCSVout"))) {
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [this] { MenuCSVoutClick(); });
  }
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuMonitorPlayer"))) {
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, &TMainForm::ToggleMonitorPlayer);
  }
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] { RecordPageState(); });
  CreateSelfTestBox();
}

void TMainForm::CreateSelfTestBox() {
  // Below the Test page's own controls (the page builder puts its scroll area on top).
  QWidget* tab = PageControl1->findChild<QWidget*>(QStringLiteral("TabSheet_Ladeni"));
  if (!tab) return;
  auto* layout = qobject_cast<QBoxLayout*>(tab->layout());
  if (!layout) {
    layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
  }
  selfTestBox_ = new SelfTestBox(tab);
  selfTestBox_->hide();  // shown in the service test mode only
  layout->addWidget(selfTestBox_);
  connect(selfTestBox_->Button(), &QPushButton::clicked, this, &TMainForm::ButtonSelftestClick);
}

void TMainForm::ButtonSelftestClick() {
  // The test judges the unit's own answers: nothing to do without one, or during a playback.
  if (!deviceOps_ || PlaybackActive()) return;
  zeda::StartSelfTest(selfTest_, *deviceOps_, liveValues_);
  ShowSelfTest();
}

void TMainForm::SelfTestCountdown() {
  if (selfTest_.State() == zeda::SelfTestState::Idle) return;
  selfTest_.Tick();
  ShowSelfTest();
}

void TMainForm::ShowSelfTest() {
  if (!selfTestBox_) return;
  if (selfTestBox_->isHidden() == TestMode()) selfTestBox_->setVisible(TestMode());
  selfTestBox_->Show(selfTest_);
}

void TMainForm::DestroyMonitor() {
  if (player_) player_->Stop();
  csvOutput_.Stop();
  player_.reset();
  delete playerHost_;
  playerHost_ = nullptr;
}

void TMainForm::ToggleMonitorPlayer(bool shown) {
  playerBox_->setVisible(shown);
  appSettings.monitorPlayer = shown;
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuMonitorPlayer"))) a->setChecked(shown);
}

bool TMainForm::PlaybackActive() const { return player_ && player_->PlaybackLive(); }

bool TMainForm::IsMonitorLive() const {
  // A unit just connected has sent nothing yet: the block still holds the zeros of the
  // time without a unit, which must not be shown as its values.
  return PlaybackActive() || (deviceOps_ && deviceOps_->UnitConnected() &&
                              answeredConnection_ == deviceOps_->ConnectionNumber());
}

zeda::MonitorParams TMainForm::MonitorParams() const {
  zeda::MonitorParams p = zeda::MonitorParamsFrom(imageBuffers);
  for (int i = 0; i < 3; ++i)
    p.unitTexts[static_cast<std::size_t>(i)] =
        unitDetailTexts_[static_cast<std::size_t>(i)].toStdString();
  // The sign boxes were found once with the other monitor controls (the applier's lookup
  // when the pages were built); every answer only reads them.
  for (int i = 0; i < MonitorViewApplier::kPropBoxCount; ++i)
    p.propSigned[static_cast<std::size_t>(i)] = monitorApplier_ && monitorApplier_->PropChecked(i);
  return p;
}

void TMainForm::MonitorAnswer(const uint8_t* block) {
  if (PlaybackActive()) return;  // a playback owns the display
  answeredConnection_ = deviceOps_->ConnectionNumber();
  const int64_t now = NowMs();
  // Recorded just before the display refresh.
  if (player_->Recording() && player_->RecordMonitor(block, now) != zeda::RecordOutcome::Ok)
    ReportRecordingStop();
  monitorBlock_.Assign(block);
  csvOutput_.WriteLine(monitorBlock_, zeda::WallClockMs());  // one line per fresh answer
  ShowMonitor();
  ShowPlayerState();
}

void TMainForm::ShowMonitor() {
  const bool live = IsMonitorLive();
  wasLive_ = live;
  // A click on a Prop sign box shows the value in its new sign at once.
  if (!monitorApplier_->propToggled) monitorApplier_->propToggled = [this] { ShowMonitor(); };
  zeda::EvaluateMonitor(monitorBlock_, live, MonitorParams(), monitorMemory_, liveValues_,
                        monitorView_);
  monitorApplier_->Apply(monitorView_);
  // Pick-up 2 started or stopped: the active page shows what depends on it.
  if (monitorView_.refreshActivePage && pages_) pages_->Binder().RefreshActivePage();
  // The self test's step for its state, on the unit's own answers.
  if (selfTest_.State() != zeda::SelfTestState::Idle && deviceOps_ && !PlaybackActive()) {
    zeda::SelfTestFacts facts;
    facts.testRpm = imageBuffers.params.Byte(zeda::Adrb::TEST_RPM) * 100;
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &facts.localTime);
    facts.unitLine = zeda::BuildText();
    zeda::StepSelfTest(selfTest_, *deviceOps_, monitorBlock_, liveValues_, facts);
  }
  ShowSelfTest();
}

void TMainForm::MenuCSVoutClick() {
  QAction* menu = findChild<QAction*>(QStringLiteral("MenuCSVout"));
  if (csvOutput_.IsOn()) {
    csvOutput_.Stop();
    csvOutputPath.clear();
  } else {
    const QString path = WithExtension(
        fileChooser_ ? fileChooser_({true, QStringLiteral("monitor.csv")})
                     : QFileDialog::getSaveFileName(this, QString(), QString(),
                                                    QStringLiteral("CSV log file (*.csv)")),
        QStringLiteral(".csv"));
    std::string why;
    if (!path.isEmpty()) {
      if (csvOutput_.Start(path.toStdString(), &why))
        csvOutputPath = path;
      else  // the output stays off, and the user learns why
        ShowPlayerMessage(QStringLiteral("Error"),
                          CsvSentence(kCsvNotCreated, path, why, kCsvChooseOther));
    }
  }
  UpdateTitle();
  ShowCsvMenu(menu, csvOutput_.IsOn());
}

void TMainForm::ShowPlayerMessage(const QString& title, const QString& text) {
  if (messageShower_) {
    messageShower_(title, text);
    return;
  }
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("PlayerMessageBox"));
  box.exec();
}

void TMainForm::SpeedButtonPlay(int button) {
  zeda::MonitorPlayer& p = *player_;
  switch (button) {
    case PlayerBox::kRecord: {
      if (p.State() != zeda::kPlayerIdle) break;
      const QString path = WithExtension(
          fileChooser_ ? fileChooser_({true, QStringLiteral("monitor.ignlog")})
                       : QFileDialog::getSaveFileName(this, QString(), QString(),
                                                      QStringLiteral("IGN log file (*.ignlog)")),
          QStringLiteral(".ignlog"));
      if (path.isEmpty()) break;
      // Now, after the dialog: the time spent choosing a file is not part of the recording.
      const int64_t now = NowMs();
      zeda::IgnlogStartInfo info;
      info.start = zeda::WallClockMs() / 1000;
      info.checkBoxLeft = CheckBoxZakazCteni->x();
      info.description = zeda::BuildText();
      zeda::RecordingSnapshot snap;
      snap.comPort = deviceOps_->ConnectedPortNumber();
      snap.unitDescription = zeda::BuildText();
      snap.params = imageBuffers.params.Data();
      snap.unitImage = imageBuffers.unitImageValid ? imageBuffers.unitImage.Data() : nullptr;
      snap.page = PageControl1->currentIndex();
      TableStates(pages_.get(), snap.tableIds, snap.sheets);
      const std::string journal = settingsFolder_ + "recording-" +
                                  std::to_string(QCoreApplication::applicationPid()) + "-" +
                                  std::to_string(zeda::WallClockMs()) + kJournalSuffix;
      std::string error;
      if (!p.StartRecording(path.toStdString(), journal, info, snap, now, &error))
        ShowPlayerMessage(QStringLiteral("Error"), QString::fromStdString(error));
      break;
    }
    case PlayerBox::kPlay:
      if (p.State() == zeda::kPlayerPaused) {
        p.Resume(NowMs());
      } else if (p.State() == zeda::kPlayerIdle) {
        // A running device operation finishes first; a playback must not cut into it.
        if (deviceOps_->Busy()) break;
        const QString path =
            fileChooser_ ? fileChooser_({false, QString()})
                         : QFileDialog::getOpenFileName(this, QString(), QString(),
                                                        QStringLiteral("IGN log file (*.ignlog)"));
        if (path.isEmpty()) break;
        zeda::IgnlogFile file;
        const zeda::IgnlogReadResult r = zeda::ReadIgnlogFile(path.toStdString(), file);
        if (r.error == zeda::IgnlogError::Unreadable) break;  // as with a file not opened
        if (!r.Ok()) {
          ShowPlayerMessage(
              QStringLiteral("Error"),
              QStringLiteral("%1: %2").arg(path, QString::fromStdString(zeda::IgnlogErrorText(r))));
          break;
        }
        // Now, after the dialog and the reading: a recording is seen from its start.
        std::string error;
        if (!p.StartPlayback(std::move(file), path.toStdString(), NowMs(), &error))
          ShowPlayerMessage(QStringLiteral("Error"), QString::fromStdString(error));
        else
          playerBox_->SetRecording(&p.File());
        SetDeviceCommandsEnabled(false);
      }
      break;
    case PlayerBox::kPause:
      p.Pause(NowMs());
      break;
    case PlayerBox::kStop: {
      playerBox_->SetRecording(nullptr);
      std::string error;
      if (!p.Stop(&error)) {
        ShowPlayerMessage(QStringLiteral("Error"), QString::fromStdString(error));
        SaveRecordingElsewhere(p.TakeUnsaved(), p.JournalPath());
      }
      break;
    }
    default:
      break;
  }
  ShowPlayerState();
}

void TMainForm::PlayPosChange(int position) {
  player_->SetPosition(position);
  ShowPlayerState();
}

void TMainForm::ShowPlayerState() {
  if (playerBox_) playerBox_->Show(player_->Controls(NowMs()));
}

void TMainForm::PlayerStep() {
  const int64_t now = NowMs();
  if (player_->State() == zeda::kPlayerPlaying) {
    player_->Tick(now);
    ShowPlayerState();
  } else if (player_->Recording()) {
    // A sheet the user picked in a map editor is recorded within a tick (only changes are).
    RecordPageState();
    if (player_->Recording() && player_->SyncJournal(now) != zeda::RecordOutcome::Ok)
      ReportRecordingStop();
    if (zeda::tickCount() % 18 == 0) ShowPlayerState();  // the seconds counter
  }
  // A line that could not be written stopped the CSV output: the title and the menu say
  // so, and the user learns why.
  std::string why;
  if (csvOutput_.TakeFailure(&why)) {
    const QString path = csvOutputPath;
    csvOutputPath.clear();
    UpdateTitle();
    ShowCsvMenu(findChild<QAction*>(QStringLiteral("MenuCSVout")), false);
    ShowPlayerMessage(QStringLiteral("Error"),
                      CsvSentence(kCsvWriteFailed, path, why, kCsvCheckDrive));
  }
  // The display follows a unit that came or went (its not-live forms).
  if (IsMonitorLive() != wasLive_) ShowMonitor();
}

void TMainForm::RecordParameters() {
  if (player_ && player_->Recording() &&
      player_->RecordParameters(imageBuffers.params.Data(), NowMs()) != zeda::RecordOutcome::Ok)
    ReportRecordingStop();
}

void TMainForm::RecordPageState() {
  if (!player_ || !player_->Recording()) return;
  uint8_t ids[zeda::kPageStateTables] = {};
  uint8_t sheets[zeda::kPageStateTables] = {};
  TableStates(pages_.get(), ids, sheets);
  const zeda::RecordOutcome r =
      player_->RecordPageState(PageControl1->currentIndex(), ids, sheets, NowMs());
  if (r == zeda::RecordOutcome::StoppedAtLimit || r == zeda::RecordOutcome::StoppedOnError)
    ReportRecordingStop();
}

void TMainForm::ReportRecordingStop() {
  ShowPlayerMessage(QStringLiteral("Monitor player"), QString::fromStdString(player_->StopText()));
  if (player_->HasUnsaved()) SaveRecordingElsewhere(player_->TakeUnsaved(), player_->JournalPath());
  ShowPlayerState();
}

bool TMainForm::SaveRecordingElsewhere(const std::string& bytes, const std::string& journal) {
  for (;;) {
    const QString path = WithExtension(
        fileChooser_ ? fileChooser_({true, QStringLiteral("monitor.ignlog")})
                     : QFileDialog::getSaveFileName(this, QString(), QString(),
                                                    QStringLiteral("IGN log file (*.ignlog)")),
        QStringLiteral(".ignlog"));
    if (path.isEmpty()) return false;  // the journal is offered again at the next start
    std::string why;
    if (zeda::WriteFileAtomic(path.toStdString(), bytes, &why)) {
      if (!journal.empty()) std::remove(journal.c_str());
      return true;
    }
    ShowPlayerMessage(QStringLiteral("Error"),
                      QString::fromStdString(zeda::RecordingNotSavedText(path.toStdString(), why)));
  }
}

void TMainForm::StopPlayerAtClose() {
  // A running recording is written out; a playback gives the user's document back before
  // the settings are saved.
  std::string error;
  if (playerBox_) playerBox_->SetRecording(nullptr);
  if (player_ && !player_->Stop(&error)) {
    ShowPlayerMessage(QStringLiteral("Error"), QString::fromStdString(error));
    SaveRecordingElsewhere(player_->TakeUnsaved(), player_->JournalPath());
  }
  csvOutput_.Stop();
}

void TMainForm::ExportRecordingCsv() {
  if (!PlaybackActive()) return;
  const QString path = WithExtension(
      fileChooser_ ? fileChooser_({true, QStringLiteral("recording.csv")})
                   : QFileDialog::getSaveFileName(this, QString(), QString(),
                                                  QStringLiteral("CSV log file (*.csv)")),
      QStringLiteral(".csv"));
  if (path.isEmpty()) return;
  const zeda::IgnlogFile& file = player_->File();
  std::string out = zeda::CsvHeaderLines();
  for (int k = 0; k < file.count; ++k) {
    const zeda::IgnlogRecordView r = file.Record(k);
    if (r.type != zeda::kRecordMonitor) continue;
    zeda::MonitorBlock block;
    std::memcpy(block.pos.data(), r.payload, zeda::kMonitorAnswerBytes);
    block.pos[0] = 0;
    block.pos[zeda::Monb::RSKEY_MAJOR] = static_cast<uint8_t>(file.unitKey);
    out += zeda::CsvDataLine(block, zeda::LocalCsvTime(file.start * 1000 + r.timeMs));
  }
  std::string error;
  if (!zeda::WriteFileAtomic(path.toStdString(), out, &error))
    ShowPlayerMessage(QStringLiteral("Error"),
                      QStringLiteral("%1: %2").arg(path, QString::fromStdString(error)));
}

void TMainForm::OfferJournalRecovery() {
  if (settingsFolder_.empty()) return;
  const QDir dir(QString::fromStdString(settingsFolder_));
  const QStringList journals =
      dir.entryList({QStringLiteral("*") + QLatin1String(kJournalSuffix)}, QDir::Files);
  for (const QString& name : journals) {
    const std::string journal = dir.filePath(name).toStdString();
    if (zeda::IgnlogJournalInUse(journal)) continue;  // another instance records into it
    std::string target, bytes;
    if (!zeda::RecoverIgnlogJournal(journal, &target, &bytes)) continue;
    const QString text =
        QStringLiteral("A recording ended without being saved. Recover it into %1?")
            .arg(QString::fromStdString(target));
    const int answer =
        questionAsker_
            ? questionAsker_(text)
            : QMessageBox::question(this, QStringLiteral("Monitor player"), text,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) continue;  // asked again at the next start
    if (answer == QMessageBox::Yes) {
      std::string error;
      if (!zeda::WriteFileAtomic(target, bytes, &error)) {
        // Its own file cannot be written (a folder gone, a drive not there): the user picks
        // another; cancelled, the journal is kept.
        ShowPlayerMessage(QStringLiteral("Error"),
                          QString::fromStdString(zeda::RecordingNotSavedText(target, error)));
        SaveRecordingElsewhere(bytes, journal);
        continue;
      }
    }
    std::remove(journal.c_str());
  }
}
