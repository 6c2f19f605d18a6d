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

int64_t NowMs() { return zeda::WallClockMs(); }

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
    form_.CompareIfChanged();
    form_.UpdateTitle();
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
  return PlaybackActive() || (deviceOps_ && deviceOps_->UnitConnected());
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
  const int64_t now = NowMs();
  // Recorded just before the display refresh.
  if (player_->Recording() &&
      player_->RecordMonitor(block, now) == zeda::RecordOutcome::StoppedAtLimit)
    ShowPlayerMessage(QStringLiteral("Monitor player"),
                      QString::fromStdString(player_->LimitText()));
  monitorBlock_.Assign(block);
  csvOutput_.WriteLine(monitorBlock_, now);  // one line per fresh answer
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
    // A file that cannot be created leaves the output off.
    if (!path.isEmpty() && csvOutput_.Start(path.toStdString())) csvOutputPath = path;
  }
  UpdateTitle();
  if (menu) {
    menu->setChecked(csvOutput_.IsOn());
    menu->setText(csvOutput_.IsOn() ? QStringLiteral("Stop CSV recording")
                                    : QStringLiteral("CSV output monitor"));
  }
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
  const int64_t now = NowMs();
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
      zeda::IgnlogStartInfo info;
      info.start = now / 1000;
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
                                  std::to_string(now) + kJournalSuffix;
      if (!p.StartRecording(path.toStdString(), journal, info, snap, now))
        ShowPlayerMessage(QStringLiteral("Error"),
                          QStringLiteral("%1: the recording cannot be started").arg(path));
      break;
    }
    case PlayerBox::kPlay:
      if (p.State() == zeda::kPlayerPaused) {
        p.Resume(now);
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
        std::string error;
        if (!p.StartPlayback(std::move(file), path.toStdString(), now, &error))
          ShowPlayerMessage(QStringLiteral("Error"), QString::fromStdString(error));
        else
          playerBox_->SetRecording(&p.File());
        SetDeviceCommandsEnabled(false);
      }
      break;
    case PlayerBox::kPause:
      p.Pause(now);
      break;
    case PlayerBox::kStop: {
      playerBox_->SetRecording(nullptr);
      std::string error;
      if (!p.Stop(&error))
        ShowPlayerMessage(QStringLiteral("Error"),
                          QString::fromStdString(error + " (the journal is kept)"));
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
    player_->SyncJournal(now);
    if (zeda::tickCount() % 18 == 0) ShowPlayerState();  // the seconds counter
  }
  // The display follows a unit that came or went (its not-live forms).
  if (IsMonitorLive() != wasLive_) ShowMonitor();
}

void TMainForm::RecordParameters() {
  if (player_ && player_->Recording())
    player_->RecordParameters(imageBuffers.params.Data(), NowMs());
}

void TMainForm::RecordPageState() {
  if (!player_ || !player_->Recording()) return;
  uint8_t ids[zeda::kPageStateTables] = {};
  uint8_t sheets[zeda::kPageStateTables] = {};
  TableStates(pages_.get(), ids, sheets);
  player_->RecordPageState(PageControl1->currentIndex(), ids, sheets, NowMs());
}

void TMainForm::StopPlayerAtClose() {
  // A running recording is written out; a playback gives the user's document back before
  // the settings are saved.
  std::string error;
  if (playerBox_) playerBox_->SetRecording(nullptr);
  if (player_ && !player_->Stop(&error))
    ShowPlayerMessage(QStringLiteral("Error"),
                      QString::fromStdString(error + " (the journal is kept)"));
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
        ShowPlayerMessage(QStringLiteral("Error"),
                          QString::fromStdString(target + ": " + error + " (the journal is kept)"));
        continue;
      }
    }
    std::remove(journal.c_str());
  }
}
