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
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstring>

#include "app/ui/main_form.h"
#include "base/identity.h"
#include "base/tick_clock.h"
#include "link/device_ops.h"
#include "monitor/ignlog_reader.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/monitor_strip.h"
#include "monitor/ui/monitor_view_applier.h"
#include "monitor/ui/player_box.h"
#include "params/atomic_file.h"
#include "params/normalize.h"

namespace {

constexpr char kJournalSuffix[] = ".ignjournal";

int64_t NowMs() { return zeda::WallClockMs(); }

QString WithExtension(QString path, const QString& extension) {
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += extension;
  return path;
}

}  // namespace

// What a playback does to the window.
class PlayerHostBridge : public zeda::PlayerHost {
 public:
  explicit PlayerHostBridge(TMainForm& form) : form_(form) {}

  void PlaybackStarted() override {
    // The user's own document goes aside; the recording's takes its place until Stop.
    zeda::ImageBuffers& b = form_.imageBuffers;
    form_.savedDocument_ = {b.params,         b.unitImage,   b.fileImage,
                            b.unitImageValid, b.fileMatches, form_.PageControl1->currentIndex()};
  }
  void PlaybackEnded() override {
    zeda::ImageBuffers& b = form_.imageBuffers;
    const TMainForm::SavedDocument& s = form_.savedDocument_;
    b.params = s.params;
    b.unitImage = s.unitImage;
    b.unitImageValid = s.unitImageValid;
    b.fileImage = s.fileImage;
    b.fileMatches = s.fileMatches;
    zeda::UpdatePresence(b.params, b.presence);
    form_.PageControl1->setCurrentIndex(s.page);
    form_.fileMatches = b.fileMatches;
    form_.CompareIfChanged();
    form_.UpdateTitle();
    form_.ShowMonitor();
  }
  void PlayParameters(const uint8_t* image) override {
    zeda::ImageBuffers& b = form_.imageBuffers;
    std::memcpy(b.params.Data(), image, zeda::PARAM_IMAGE_SIZE);
    zeda::UpdatePresence(b.params, b.presence);
    b.UpdateFileMatches();
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
  void PlayPageState(int page, const uint8_t*, const uint8_t*) override {
    // The map editors take their sheets here once they exist.
    if (page != form_.PageControl1->currentIndex() && form_.PageControl1->isTabVisible(page))
      form_.PageControl1->setCurrentIndex(page);
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
  for (int i = 0; i < 5; ++i) {
    if (auto* box = findChild<QAbstractButton*>(QStringLiteral("CheckBoxPropMon%1").arg(i + 1)))
      p.propSigned[static_cast<std::size_t>(i)] = box->isChecked();
  }
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
  zeda::EvaluateMonitor(monitorBlock_, live, MonitorParams(), monitorMemory_, liveValues_,
                        monitorView_);
  monitorApplier_->Apply(monitorView_);
  // The active page's periodic refresh follows pick-up 2 once the pages exist.
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
  const uint8_t none[zeda::kPageStateTables] = {};
  player_->RecordPageState(PageControl1->currentIndex(), none, none, NowMs());
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
