// The main window's device side: the link object, the device-operation machine and its
// view on the window (status slots, gauge, LabelCom, panel 4, title), the device
// commands, and the built-in simulated unit of "zeda --simulate".
//
// The link headers come before any Qt header: Qt defines "slots" as a macro.
#include "lang/ui/qt_text.h"
#include "link/ccomcom.h"
#include "link/device_ops.h"
#include "link/op_states.h"
#include "link/op_verdicts.h"
// Qt from here on.
#include <signal.h>
#include <sys/prctl.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "params/defaults.h"
#include "params/normalize.h"
#include "params/param_fields.h"

namespace {

// COM number under which the simulated unit is offered to the search.
constexpr int kSimulatorCom = 240;

const char kNewInstalText[] =
    "###This is a new installation of set software for Torvelix ignitions.\nYou have to read "
    "actual setting of ignition before first programming of unit (the Read button),\nor open "
    "valid .ign file (e.g. from attached CD) !##Dies ist eine neue Installation der "
    "Einstellsoftware für Torvelix-Zündungen.\nSie müssen die aktuelle Einstellung der Zündung "
    "vor der ersten Programmierung lesen (Taste Lesen),\noder eine gültige .ign-Datei öffnen "
    "(z.B. von der beigelegten CD) !##Toto je nová instalace nastavovacího software pro "
    "zapalování Torvelix.\nPřed prvním programováním jednotky musíte načíst aktuální nastavení "
    "zapalování (tlačítko Čtení),\nnebo otevřít platný soubor .ign (např. z přiloženého CD) !";
const char kAttention[] = "###Attention##Achtung##Upozornění";
const char kDifferentBikeText[] =
    "###There is a different bike choosen in set software and in ignition unit,\n are you sure "
    "to reprogram it ?\n##In der Einstellsoftware und in der Zündeinheit ist ein anderes "
    "Motorrad gewählt,\n wollen Sie sie wirklich umprogrammieren ?\n##V nastavovacím software a "
    "v jednotce je zvolen jiný motocykl,\n opravdu ji chcete přeprogramovat ?\n";
const char kWarning[] = "###Warning##Warnung##Varování";

using zeda::Lang;

QColor GaugeColour(zeda::Colour c) {
  return QColor(zeda::ColourRed(c), zeda::ColourGreen(c), zeda::ColourBlue(c));
}

}  // namespace

// The machine's view on the window.
class DeviceUiBridge : public zeda::DeviceOpsUi {
 public:
  explicit DeviceUiBridge(TMainForm& form) : form_(form) {}

  // The machine and the search report through the same slots.
  void ShowStatus(int slot, const char* text, int32_t durationMs, zeda::Colour font,
                  zeda::Colour back, int32_t priority) override {
    form_.ShowStatus(slot, text, durationMs, font, back, priority);
  }
  void SetGauge(zeda::Colour foreground, int32_t progress) override {
    QProgressBar* g = form_.CGaugeProgram;
    if (foreground != zeda::kColourUnchanged) {
      QPalette pal = g->palette();
      pal.setColor(QPalette::Highlight, GaugeColour(foreground));
      g->setPalette(pal);
    }
    g->setValue(progress);
  }
  void ShowGauge() override { form_.CGaugeProgram->show(); }
  void SetLabelCom(const char* text) override {
    form_.LabelCom->setText(QString::fromUtf8(text));
    form_.LabelCom->setAccessibleDescription(form_.LabelCom->text());
  }
  void UpdateTitle() override {
    form_.fileMatches = form_.images_->fileMatches;
    form_.UpdateTitle();
  }
  void UnitTextChanged() override {
    const zeda::DeviceOps& ops = *form_.deviceOps_;
    form_.keyCheckKind = ops.keyCheckKind();
    form_.keyCheckText = ops.keyCheckText();
    const zeda::IdTexts& t = ops.UnitIdTexts();
    form_.unitIdent = {t.version, t.date, t.time, t.hardware, t.serial, t.lastUpdate, t.additional};
    // The Bike page's unit labels (from the next monitor answer on) and a saved file's HEX
    // line tell what the unit told.
    form_.unitDetailTexts_ = {QString::fromStdString(t.version), QString::fromStdString(t.date),
                              QString::fromStdString(t.time)};
    form_.ShowUnitText();
  }
  void ClearCurrentFile() override {
    form_.currentFileName.clear();
    UpdateTitle();
  }
  void ClearNewInstal() override {
    if (!form_.appSettings.newInstal) return;
    form_.appSettings.newInstal = false;
    form_.SaveAppSettings();
  }
  bool NewInstallation() const override {
    return form_.appSettings.newInstal && form_.UnitReadable();
  }
  void OperationInterrupted(int32_t op) override {
    form_.ShowInterrupted();
    form_.activityLog_.OperationInterrupted(op);
  }
  void OperationEnded(int32_t op, zeda::OpOutcome outcome) override {
    form_.RecordOperation(op, outcome);
  }
  void MonitorBlockReady(const uint8_t* block) override { form_.MonitorAnswer(block); }
  bool PlayerActive() const override { return form_.PlaybackActive(); }
  void ReplaceParams(const std::function<void()>& replace) override {
    // Through the document: edits still waiting go into the set on screen first, then
    // every page shows what was read and one undo step records it.
    form_.document.Replace(zeda::DocumentChange::Read, [&](zeda::ImageBuffers&) {
      replace();
      return true;
    });
    if (!form_.Pages()) form_.RecordParameters();
  }
  void RefreshActivePage() override {
    if (auto* p = form_.Pages()) p->Binder().LoadActivePage();
  }
  // Pages, undo, monitor display and recorder attach here with their areas.

 private:
  TMainForm& form_;
};

void TMainForm::CreateDeviceOps() {
  // Construction of the link object starts its worker thread.
  link_ = new zeda::CCOMCOM();
  deviceUi_ = new DeviceUiBridge(*this);
  link_->statusSink = deviceUi_;
  link_->pollMask = &zeda::PollMaskWord();
  deviceOps_ = new zeda::DeviceOps(*link_, *images_, *deviceUi_);
}

void TMainForm::DestroyDeviceOps() {
  if (simulator_) {
    simulator_->terminate();
    if (!simulator_->waitForFinished(2000)) simulator_->kill();
    simulator_->waitForFinished(1000);
  }
  // The link goes first: its ports closed, its threads stopped.
  if (link_) link_->CloseLink();
  delete deviceOps_;
  deviceOps_ = nullptr;
  delete link_;
  link_ = nullptr;
  delete deviceUi_;
  deviceUi_ = nullptr;
}

void TMainForm::ConnectDeviceCommands() {
  const auto bind = [this](const char* menu, QPushButton* button, void (TMainForm::*cmd)()) {
    if (QAction* a = findChild<QAction*>(QString::fromLatin1(menu))) {
      connect(a, &QAction::triggered, this, cmd);
    }
    if (button) connect(button, &QPushButton::clicked, this, cmd);
  };
  bind("MenuRead", ButtonRead, &TMainForm::ReadCommand);
  bind("MenuVerify", ButtonVerify, &TMainForm::VerifyCommand);
  bind("MenuProgram", ButtonProgram, &TMainForm::ProgramCommand);
  bind("MenuReset", nullptr, &TMainForm::ResetCommand);
}

void TMainForm::ReadCommand() {
  if (RefusedDuringPlayback()) return;  // the recorded unit is not the real one
  if (!deviceOps_->UnitConnected()) return;
  // An edit not yet committed belongs to the parameters on screen: it goes into them now,
  // before the read replaces them, never over what was read.
  CommitActivePage();
  deviceOps_->Request(zeda::OP_READ);
}

void TMainForm::VerifyCommand() {
  if (RefusedDuringPlayback()) return;  // the recorded unit is not the real one
  if (!deviceOps_->UnitConnected()) return;
  // What the user typed is what the unit is compared with.
  CommitActivePage();
  zeda::NormalizeParams(images_->params);
  deviceOps_->Request(zeda::OP_VERIFY);
}

void TMainForm::ProgramCommand() {
  if (RefusedDuringPlayback()) return;  // the recorded unit is not the real one
  if (!deviceOps_->UnitConnected() || UnitRefused()) return;
  // What the user typed (even without Enter) is what gets programmed.
  CommitActivePage();
  // The advice to read the unit first is no use for a unit that cannot be read.
  if (appSettings.newInstal && UnitReadable()) {
    QMessageBox box(QMessageBox::Critical, Lang(kAttention), Lang(kNewInstalText), QMessageBox::Ok,
                    this);
    box.setObjectName(QStringLiteral("NewInstalBox"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return;
  }
  const int unitBike = deviceOps_->ReportedBike();
  if (unitBike >= 0 && unitBike != zeda::ReadStored(images_->params, zeda::FieldId::BIKE)) {
    QMessageBox box(QMessageBox::Warning, Lang(kWarning), Lang(kDifferentBikeText),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("DifferentBikeBox"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    if (box.exec() != QMessageBox::Ok) return;
  }
  zeda::NormalizeParams(images_->params);
  if (pages_) pages_->Binder().LoadActivePage();
  deviceOps_->Request(zeda::OP_PROGRAM);
}

void TMainForm::ResetCommand() {
  if (RefusedDuringPlayback()) return;  // the recorded unit is not the real one
  if (deviceOps_->UnitConnected()) deviceOps_->Request(zeda::OP_RESET);
}

void TMainForm::RunDeviceOps() {
  if (deviceOps_->UnitConnected()) lastPort_ = deviceOps_->ConnectedPortNumber();
  deviceOps_->RunDeviceOps();
  SyncHandover();
  ApplyUnitVerdicts();
  CompareIfChanged();
  ShowDeviceMessages();
}

void TMainForm::CompareIfChanged() {
  if (!deviceOps_ || !congruenceWatch_.Changed(*images_)) return;
  deviceOps_->CompareUnitAndPc();
  congruenceWatch_.Mark(*images_);
  UpdateCompareCommands();
  UpdateTitle();  // the unsaved-changes mark follows every change of params
}

bool TMainForm::UnitRefused() const {
  return deviceOps_ && deviceOps_->UnitConnected() &&
         zeda::UnitRefused(deviceOps_->UnitKey(), deviceOps_->UnitVersion());
}

std::string TMainForm::RefusedUnitText() const {
  if (!UnitRefused()) return {};
  return zeda::MismatchText(deviceOps_->UnitKey(), deviceOps_->UnitVersion());
}

bool TMainForm::UnitReadable() const {
  if (UnitRefused()) return false;
  if (!deviceOps_->IdentPassed()) return true;  // not known yet
  constexpr int kIdReadAllowedByte = 9;
  return deviceOps_->idBlock()[kIdReadAllowedByte] == 1 &&
         !(images_->unitImageValid && images_->unitImage.Byte(zeda::kNoReadingAddress) != 0);
}

void TMainForm::ShowInterrupted() {
  interruptedShown_ = true;
  idleSinceInterrupted_ = false;
}

void TMainForm::ApplyUnitVerdicts() {
  const zeda::DeviceOps& ops = *deviceOps_;
  const bool refused = UnitRefused();
  if (refused && !refusalShown_) {
    refusalShown_ = true;
    const std::string reason = zeda::RefusalReason(ops.UnitKey(), ops.UnitVersion());
    ShowStatus(zeda::StatusSlot::kResult, reason.c_str(), zeda::kNoExpiry, zeda::kColourWhite,
               zeda::kColourRed, zeda::kPriorityVerdict);
    ShowUnitText();
  } else if (refusalShown_ && !refused && ops.UnitConnected()) {
    // Another unit is being checked: the reason goes with the unit it belonged to.
    refusalShown_ = false;
    ShowStatus(zeda::StatusSlot::kResult, nullptr, zeda::kNoExpiry, zeda::kColourUnchanged,
               zeda::kColourUnchanged, zeda::kPriorityClear);
    ShowUnitText();
  }
  // "Programming interrupted" stays through the reconnection until the next operation.
  const int32_t s = ops.opState();
  const bool operating = s >= zeda::OpState::kRead;
  if (!operating) idleSinceInterrupted_ = true;
  if (interruptedShown_ && operating && idleSinceInterrupted_) {
    interruptedShown_ = false;
    ShowStatus(zeda::StatusSlot::kResult, nullptr, zeda::kNoExpiry, zeda::kColourUnchanged,
               zeda::kColourUnchanged, zeda::kPriorityClear);
  }
}

bool TMainForm::UnitConnected() { return deviceOps_->UnitConnected(); }

void TMainForm::SyncHandover() {
  if (!deviceOps_->LinkEnabled() && portHandover_.linkEnabled()) {
    // The machine has given the port away: the hand-over state and the title follow.
    portHandover_.Release(deviceOps_->RememberedPort(), *this);
  }
}

void TMainForm::ShowDeviceMessages() {
  zeda::UserMessage m;
  while (deviceOps_->TakeMessage(&m)) {
    // Shown from the event loop, never from inside the tick.
    QTimer::singleShot(0, this, [m] { zeda::ShowMessage(m.text, m.caption, m.kind); });
  }
}

bool TMainForm::StartSimulator(const QStringList& args) {
  QString program = QString::fromLocal8Bit(qgetenv("ZEDA_SIM_PATH"));
  if (program.isEmpty()) program = QCoreApplication::applicationDirPath() + "/zedasim";
  if (!QFileInfo(program).isExecutable()) {
    std::fprintf(stderr, "zeda: the simulated unit %s is not there\n", qPrintable(program));
    return false;
  }
  simulator_ = new QProcess(this);
  simulator_->setObjectName(QStringLiteral("Simulator"));
  // Its error output is read here: a start that fails shows the simulator's own reason.
  simulator_->setProcessChannelMode(QProcess::SeparateChannels);
  // The simulator ends with the window, even when the window is killed.
  simulator_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  simulator_->start(program, args);
  QByteArray line;
  for (int i = 0; i < 100 && !line.contains('\n'); ++i) {
    if (!simulator_->waitForReadyRead(100) && simulator_->state() != QProcess::Running) break;
    line += simulator_->readLine();
  }
  const QString path = QString::fromLocal8Bit(line).trimmed();
  if (path.isEmpty()) {
    if (simulator_->state() == QProcess::Running) simulator_->kill();
    simulator_->waitForFinished(1000);
    const QString reason = QString::fromLocal8Bit(simulator_->readAllStandardError()).trimmed();
    const std::string text = "The simulated unit did not start" +
                             (reason.isEmpty() ? std::string(".") : ":\n" + reason.toStdString());
    std::fprintf(stderr, "zeda: %s\n", text.c_str());
    zeda::ShowMessage(text, "zedasim", zeda::MessageKind::Error);
    delete simulator_;
    simulator_ = nullptr;
    return false;
  }
  // From here on what the simulator reports goes to this program's error output.
  connect(simulator_, &QProcess::readyReadStandardError, this, [this] {
    const QByteArray text = simulator_->readAllStandardError();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
  });
  // Offered to the search as a port of its own, and the only one searched.
  QByteArray ports = qgetenv("ZEDA_PORTS");
  if (!ports.isEmpty()) ports += ';';
  ports += QStringLiteral("COM%1=%2").arg(kSimulatorCom).arg(path).toLocal8Bit();
  qputenv("ZEDA_PORTS", ports);
  link_->comSetting = kSimulatorCom;
  return true;
}

void TMainForm::DeviceDisconnect() { deviceOps_->Disconnect(); }

bool TMainForm::DeviceLinkEnabled() const {
  return deviceOps_ ? deviceOps_->LinkEnabled() : portHandover_.linkEnabled();
}

void TMainForm::CloseDevicePorts() {
  if (link_) link_->CloseLink();
}

// The device machine holds the hand-over state; portHandover_ follows it (the tick brings
// it in line after a release that had to wait for an operation).

int TMainForm::connectedPort() const {
  return deviceOps_->UnitConnected() ? deviceOps_->ConnectedPortNumber() : -1;
}

void TMainForm::DisconnectLink() { deviceOps_->ReleasePort(portHandover_.RememberedPort()); }

void TMainForm::RequestSpecialCommand() { deviceOps_->Request(zeda::OP_RESET_RELEASE); }

void TMainForm::ResumeSearch() { deviceOps_->TakeBackPort(); }

zeda::HandoverAction TMainForm::DeviceHandover(const zeda::HandoverMessage& msg) {
  const zeda::HandoverAction action =
      zeda::DecideHandover(msg, connectedPort(), deviceOps_->RememberedPort());
  switch (action) {
    case zeda::HandoverAction::ReleasePort:
      // At once when idle; else once the operation and the unit's save have ended.
      deviceOps_->RequestRelease();
      SyncHandover();
      break;
    case zeda::HandoverAction::SpecialThenRelease:
      RequestSpecialCommand();
      break;
    case zeda::HandoverAction::TakeBackPort:
      deviceOps_->TakeBackPort();
      portHandover_.TakeBack(*this);
      break;
    case zeda::HandoverAction::Ignore:
      break;
  }
  return action;
}
