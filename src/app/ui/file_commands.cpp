// The main window's file commands (New, Open, Save, Quicksave version, the file history,
// dropped files) and the settings kept between runs.
#include "params/file_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>

#include "app/page_list.h"
#include "app/ui/main_form.h"
#include "base/identity.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "link/ccomcom.h"
#include "params/defaults.h"
#include "params/ign_completeness.h"
#include "params/ign_load.h"
#include "params/param_diff.h"
#include "params/settings_startup.h"

namespace {

constexpr char kOpenFileErrorText[] =
    "###Open file error!##Fehler beim öffnen der Datei!##Chyba při otevírání souboru!";
constexpr char kNewQuestionText[] =
    "###Do you want default setting?##Wollen Sie Standardeinstellungen öffnen?##Chcete nastavit "
    "základní hodnoty?";
constexpr char kUnmatchedIgnText[] =
    "###Unmatched version of *.ign file!##Datendatei *.ign ist nicht kompatiebel!##Neshodná verze "
    "souboru *.ign!";
constexpr char kNotParameterFileText[] =
    "###%1 is not a parameter file (.ign): nothing was loaded. Choose a file saved by this "
    "program or read the unit."
    "##%1 ist keine Parameterdatei (.ign): es wurde nichts geladen. Wählen Sie eine von diesem "
    "Programm gespeicherte Datei oder lesen Sie die Einheit."
    "##%1 není soubor parametrů (.ign): nic nebylo načteno. Vyberte soubor uložený tímto "
    "programem nebo načtěte jednotku.";
constexpr char kCrossTransformationText[] =
    "###CROSS TRANSFORMATION OF IGN FILE !##CROSS TRANSFORMATION OF IGN FILE !##MEZIDRUHOVA "
    "TRANSFORMACE IGN SOUBORU !";
constexpr char kOlderIgnText[] =
    "###Older or another version of *.ign file!\n\n"
    "Some parameters won't be changed or will be set to default value.\n"
    "They are parameters which are not in older version or have another structure."
    "##Älter oder andere Version von Datendatei *.ign!\n\n"
    "Einige Kenndaten werden nicht geändert oder werden implizit Wert gestellt.\n"
    "Sie sind die Kenndaten, die in älter Version nicht sind oder andere Struktur haben"
    "##Starší nebo odlišná verze souboru *.ign!\n\n"
    "Některé parametry budou nezměněny nebo nataveny na základní hodnotu.\n"
    "Jsou to parametry, které v této verzi nebyly obsaženy nebo měly jinou strukturu.";

// A cut file of the current format: which parameters did not come from it.
constexpr char kPartialDefaultsText[] =
    "###The file is incomplete. These parameters were not in it and got default values:"
    "##Die Datei ist unvollständig. Diese Parameter fehlten darin und erhielten "
    "Standardwerte:"
    "##Soubor je neúplný. Tyto parametry v něm chyběly a dostaly základní hodnoty:";
constexpr char kPartialKeptText[] =
    "###The file is incomplete. These parameters were not in it and kept their previous "
    "values:"
    "##Die Datei ist unvollständig. Diese Parameter fehlten darin und behielten ihre "
    "bisherigen Werte:"
    "##Soubor je neúplný. Tyto parametry v něm chyběly a ponechaly si předchozí hodnoty:";

// Dialog filters. "All Files" matches every name: on this platform many files have no '.'.
const QString kIgnFilter = QStringLiteral("Ignition Parametrs(*.ign)");
const QString kAllFilesFilter = QStringLiteral("All Files (*)");

QString FromUtf8(const char* text) { return QString::fromUtf8(text); }

// Menu captions: a '&' in a file name is shown, not taken as the access key.
QString MenuCaption(const std::string& text) {
  return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

zeda::WindowRect ToWindowRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// A file that was not taken: one of another unit type or version, or no parameter file at
// all (random bytes, a picture, a text).
void ShowNotTaken(bool notParameterFile, const QString& path) {
  if (notParameterFile)
    zeda::ShowError(
        QString::fromUtf8(zeda::LangText(kNotParameterFileText)).arg(path).toStdString());
  else
    zeda::ShowError(zeda::LangText(kUnmatchedIgnText));
}

}  // namespace

void TMainForm::ConnectFileCommands() {
  auto action = [this](const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); };
  auto hook = [&](const char* name, auto handler) {
    if (QAction* a = action(name)) {
      a->setEnabled(true);
      connect(a, &QAction::triggered, this, handler);
    }
  };
  hook("MenuNew", [this] { NewCommand(false); });
  hook("MenuNewPage", [this] { NewCommand(true); });
  hook("MenuOpen", [this] { OpenCommand(false, false); });
  hook("MenuOpenExeDir", [this] { OpenCommand(true, false); });
  hook("MenuOpenPage", [this] { OpenCommand(false, true); });
  hook("MenuSave", [this] { SaveCurrentCommand(); });
  hook("MenuSaveAs", [this] { SaveCommand(false); });
  hook("MenuSaveExeDir", [this] { SaveCommand(true); });
  hook("MenuSaveVersion", [this] { QuicksaveCommand(); });
  for (int k = 1; k <= 9; ++k) {
    const QByteArray name = "MenuHistory" + QByteArray::number(k);
    hook(name.constData(), [this, k] { OpenHistoryItem(k); });
  }
  // Disabled until the first Open or Save.
  if (QAction* a = action("MenuSaveVersion")) a->setEnabled(false);

  auto button = [this](const char* name) {
    QToolButton* b = findChild<QToolButton*>(QString::fromLatin1(name));
    if (b) b->setEnabled(true);
    return b;
  };
  if (QToolButton* b = button("SpeedButtonNew")) {
    connect(b, &QToolButton::clicked, this, [this] { NewCommand(false); });
  }
  if (QToolButton* b = button("SpeedButtonOpen")) {
    connect(b, &QToolButton::clicked, this, [this] {
      OpenCommand(QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier), false);
    });
  }
  if (QToolButton* b = button("SpeedButtonSave")) {
    connect(b, &QToolButton::clicked, this, [this] {
      const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
      if (mods.testFlag(Qt::ShiftModifier)) {
        QuicksaveCommand();
      } else if (mods.testFlag(Qt::ControlModifier)) {
        SaveCommand(true);
      } else {
        SaveCurrentCommand();
      }
    });
  }
}

// Start-up

void TMainForm::ReadTestMode() { testSwitch_ = zeda::ReadTestSwitch(); }

void TMainForm::ApplyStartImage() {
  // A zero image with BIKE 7 and the defaults of all pages; COM1 until the settings say
  // otherwise.
  imageBuffers.params = zeda::StartImage();
  imageBuffers.UpdateFileMatches();
  appSettings.comPort = 1;
}

void TMainForm::LoadStartupSettings() {
  // 10. The default parameter file path.
  defaultFilePath_ =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("data.ign"));
  // 11. Settings; missing keys keep what the window has now.
  appSettings.window = {x(), y(), width(), height()};
  appSettings.language = zeda::CurrentLanguage();
  appSettings.activePage = PageControl1->currentIndex();
  std::vector<zeda::WindowRect> monitors;
  for (const QScreen* screen : QGuiApplication::screens()) {
    monitors.push_back(ToWindowRect(screen->geometry()));
  }
  // 12. TEST_COM is applied in there too.
  zeda::LoadStartupSettings(settingsFolder_, appSettings, imageBuffers.params, monitors,
                            testSwitch_);
  imageBuffers.UpdateFileMatches();
  // The port search follows the stored port choice: off, automatic or one port.
  link_->comSetting = appSettings.comPort;
  // The row that last connected each device is remembered beside the settings.
  link_->knownPortsIni = zeda::ApplicationIniPath(settingsFolder_);
  if (appSettings.comPortAuto >= 1 && appSettings.comPortAuto <= 255) {
    link_->nextPort = appSettings.comPortAuto;
  }
  const zeda::WindowRect& w = appSettings.window;
  if (w.width > 0 && w.height > 0) resize(w.width, w.height);
  move(w.left, w.top);
  zeda::SetCurrentLanguage(appSettings.language);
  const int page = appSettings.activePage;
  if (page >= 0 && page < PageControl1->count() && PageControl1->isTabVisible(page)) {
    PageControl1->setCurrentIndex(page);
  }
  openDialogPreset_ = saveDialogPreset_ = QString::fromStdString(appSettings.iniFileDir);
  currentFileName = QString::fromStdString(appSettings.file);
  fileMatches = imageBuffers.fileMatches;
  // 13. The history menu.
  RebuildHistoryMenu();
}

// Shutdown and saving

void TMainForm::SaveSettingsAtClose() {
  // The active page is committed by the pages; then the image is normalised and saved.
  zeda::NormalizeWithSettings(imageBuffers.params, appSettings);
  appSettings.file = currentFileName.toStdString();
  SaveAppSettings();
}

bool TMainForm::SaveAppSettings() {
  const bool normal = !(isMaximized() || isMinimized() || isFullScreen());
  const QRect bounds = normal ? QRect(pos(), size()) : normalGeometry();
  appSettings.window = ToWindowRect(bounds);
  appSettings.language = zeda::CurrentLanguage();
  appSettings.activePage = PageControl1->currentIndex();
  std::string error;
  // During a playback params holds the recording's set; default.ini keeps the user's.
  const zeda::ParamImage& params = PlaybackActive() ? savedDocument_.params : imageBuffers.params;
  if (!zeda::SaveSettings(settingsFolder_, appSettings, params.bytes, &error)) {
    // Not worth a box: the settings are written again after the next change.
    qWarning("zeda: settings not saved: %s", error.c_str());
    return false;
  }
  return true;
}

// Commands

QString TMainForm::ChooseFile(bool save, const QString& preset) {
  FileDialogRequest request;
  request.save = save;
  request.preset = preset;
  return fileChooser_ ? fileChooser_(request) : RunFileDialog(request);
}

QString TMainForm::RunFileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(this);
  dialog.setObjectName(request.save ? QStringLiteral("SaveDialog1")
                                    : QStringLiteral("OpenDialog1"));
  if (request.save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kIgnFilter});
    dialog.setDefaultSuffix(QStringLiteral("ign"));
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({kIgnFilter, kAllFilesFilter});
  }
  dialog.selectNameFilter(kIgnFilter);
  if (!request.preset.isEmpty()) {
    const QFileInfo info(request.preset);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

void TMainForm::ShowOpenFileError(const std::string& detail) {
  std::string text = zeda::LangText(kOpenFileErrorText);
  if (!detail.empty()) text += "\n\n" + detail;
  zeda::ShowError(text);
}

void TMainForm::CommitActivePage() { document.CommitPending(); }

zeda::FileDocument TMainForm::FileDocument() {
  zeda::FileDocument doc{imageBuffers, appSettings, testSwitch_.testMode, quickSaveAvailable_};
  doc.commitActivePage = [this] { CommitActivePage(); };
  return doc;
}

void TMainForm::SyncFileState() {
  currentFileName = QString::fromStdString(appSettings.file);
  // A file command may have changed params or fileImage: slot 4 and fileMatches follow at
  // once, not on the next tick.
  CompareIfChanged();
  fileMatches = imageBuffers.fileMatches;
  UpdateTitle();
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuSaveVersion"))) {
    a->setEnabled(quickSaveAvailable_);
  }
}

void TMainForm::AfterDocumentChange() {
  // The replacement has shown the image on every page and recorded the undo step (which
  // saves the settings and tells the recorder); the comparison with the file follows it.
  imageBuffers.UpdateFileMatches();
  if (!pages_) {
    SaveAppSettings();
    RecordParameters();
  }
}

void TMainForm::RebuildHistoryMenu() {
  const zeda::FileHistory& history = appSettings.history;
  for (int k = 1; k <= 9; ++k) {
    QAction* a = findChild<QAction*>(QStringLiteral("MenuHistory%1").arg(k));
    if (!a) continue;
    const bool visible = history.ItemVisible(k);
    if (visible) {
      a->setText(MenuCaption(history.Caption(k)));
      a->setStatusTip(QString::fromStdString(history.Entry(k)));
    }
    a->setVisible(visible);
  }
  if (QAction* end = findChild<QAction*>(QStringLiteral("MenuHistoryEnd"))) {
    end->setVisible(history.SeparatorVisible());
  }
}

void TMainForm::NewCommand(bool activePageOnly) {
  if (RefusedDuringPlayback() || !ConfirmDiscardChanges()) return;
  const int page = activePageOnly ? PageControl1->currentIndex() : -1;
  const QString question = FromUtf8(zeda::LangText(kNewQuestionText));
  const int button = questionAsker_ ? questionAsker_(question)
                                    : QMessageBox::question(
                                          this, FromUtf8(zeda::kProductText), question,
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  zeda::NewAnswer answer = zeda::NewAnswer::Cancel;
  if (button == QMessageBox::Yes) answer = zeda::NewAnswer::Yes;
  if (button == QMessageBox::No) answer = zeda::NewAnswer::No;

  appSettings.file = currentFileName.toStdString();
  zeda::FileDocument doc = FileDocument();
  if (!document.Replace(zeda::DocumentChange::New,
                        [&](zeda::ImageBuffers&) { return zeda::NewDocument(doc, page, answer); }))
    return;
  AfterDocumentChange();
  statusSlots_.ShowStatus(zeda::StatusSlot::kResult, nullptr, zeda::kNoExpiry,
                          zeda::kColourUnchanged, zeda::kColourUnchanged, zeda::kPriorityClear);
  SyncFileState();
  RebuildHistoryMenu();
}

void TMainForm::NewDefaultsForPreset() {
  appSettings.file = currentFileName.toStdString();
  zeda::FileDocument doc = FileDocument();
  zeda::NewDocument(doc, -1, zeda::NewAnswer::Yes);
  imageBuffers.UpdateFileMatches();
  SyncFileState();
  RebuildHistoryMenu();
}

void TMainForm::OpenCommand(bool fromExeDir, bool activePageOnly) {
  if (RefusedDuringPlayback() || !ConfirmDiscardChanges()) return;
  const int page = activePageOnly ? PageControl1->currentIndex() : -1;
  if (fromExeDir) openDialogPreset_ = saveDialogPreset_ = defaultFilePath_;
  const QString path = ChooseFile(false, openDialogPreset_);
  if (path.isEmpty()) return;
  quickSaveAvailable_ = true;
  OpenFile(page, path);
  SyncFileState();
}

void TMainForm::OpenHistoryItem(int k) {
  const zeda::FileHistory& history = appSettings.history;
  if (k < 1 || k >= history.Count()) return;
  if (RefusedDuringPlayback() || !ConfirmDiscardChanges()) return;
  OpenFile(-1, QString::fromStdString(history.Entry(k)));
}

void TMainForm::OpenFile(int page, const QString& path) {
  appSettings.file = currentFileName.toStdString();
  // A file that is not taken leaves the comparison with the last file as it was.
  const zeda::ParamImage keptFileImage = imageBuffers.fileImage;
  const bool keptFileMatches = imageBuffers.fileMatches;
  zeda::FileDocument doc = FileDocument();
  zeda::OpenOutcome out;
  document.Replace(zeda::DocumentChange::Open, [&](zeda::ImageBuffers&) {
    out = zeda::OpenFile(doc, path.toStdString(), page);
    return out.status == zeda::OpenOutcome::kLoaded;
  });
  auto clearResult = [this] {
    statusSlots_.ShowStatus(zeda::StatusSlot::kResult, nullptr, zeda::kNoExpiry,
                            zeda::kColourUnchanged, zeda::kColourUnchanged, zeda::kPriorityClear);
  };
  if (out.status == zeda::OpenOutcome::kOpenError) {
    ShowOpenFileError();
    RebuildHistoryMenu();
    clearResult();
    return;
  }
  switch (out.message) {
    case zeda::IgnMessage::None:
      break;
    case zeda::IgnMessage::CrossTransformation:
      zeda::ShowMessage(zeda::LangText(kCrossTransformationText), zeda::kProductText,
                        zeda::MessageKind::Warning);
      break;
    case zeda::IgnMessage::OlderVersion:
      zeda::ShowMessage(zeda::LangText(kOlderIgnText), zeda::kProductText,
                        zeda::MessageKind::Warning);
      break;
    case zeda::IgnMessage::UnmatchedVersion:
      break;  // shown below with every file that is not taken
  }
  if (out.status == zeda::OpenOutcome::kNotAccepted) {
    imageBuffers.fileImage = keptFileImage;
    imageBuffers.fileMatches = keptFileMatches;
    // The user learns why nothing happened, and what kind of file it was.
    ShowNotTaken(out.notParameterFile, path);
    clearResult();
    return;
  }
  AfterDocumentChange();
  if (!out.missing.empty()) {
    // Taken as the reader takes it, but never silently.
    zeda::ShowMessage(
        std::string(zeda::LangText(out.defaultsApplied ? kPartialDefaultsText : kPartialKeptText)) +
            "\n\n" + zeda::JoinKeywords(out.missing),
        zeda::kProductText, zeda::MessageKind::Warning);
  }
  openDialogPreset_ = saveDialogPreset_ = path;
  SyncFileState();
  RebuildHistoryMenu();
  clearResult();
}

void TMainForm::CompareWithFileCommand() {
  // The dialog starts at the current file, whose saved state is fileImage; any other .ign
  // can be picked. The file is loaded into a copy of the document, as Open would load it,
  // and nothing of the document changes.
  const QString path =
      ChooseFile(false, currentFileName.isEmpty() ? openDialogPreset_ : currentFileName);
  if (path.isEmpty()) return;
  CommitActivePage();
  zeda::ImageBuffers scratch = imageBuffers;
  const zeda::IgnLoadResult r =
      zeda::LoadIgnFile(scratch, path.toStdString(), -1, testSwitch_.testMode);
  if (!r.opened) {
    ShowOpenFileError();
    return;
  }
  if (!r.Accepted()) {
    ShowNotTaken(!r.read.headerFound, path);
    return;
  }
  if (r.Partial()) {
    zeda::ShowMessage(
        std::string(zeda::LangText(r.defaultsApplied ? kPartialDefaultsText : kPartialKeptText)) +
            "\n\n" + zeda::JoinKeywords(r.missing),
        zeda::kProductText, zeda::MessageKind::Warning);
  }
  ShowDifferences(QFileInfo(path).fileName(),
                  zeda::DifferencesByField(imageBuffers.params, scratch.params));
}

void TMainForm::SaveCommand(bool toExeDir) {
  if (RefusedDuringPlayback()) return;  // the recording's settings are not the user's
  if (toExeDir) openDialogPreset_ = saveDialogPreset_ = defaultFilePath_;
  const QString path = ChooseFile(true, saveDialogPreset_);
  if (!path.isEmpty()) SaveTo(path);
}

void TMainForm::SaveTo(const QString& path) {
  appSettings.file = currentFileName.toStdString();
  zeda::FileDocument doc = FileDocument();
  const zeda::SaveOutcome out = zeda::SaveFile(doc, path.toStdString(), FileIdentification());
  quickSaveAvailable_ = doc.quickSaveAvailable;
  if (!out.ok) {
    ShowOpenFileError(out.error);
    return;
  }
  openDialogPreset_ = saveDialogPreset_ = path;
  SyncFileState();
  RebuildHistoryMenu();
}

void TMainForm::QuicksaveCommand() {
  if (RefusedDuringPlayback()) return;
  appSettings.file = currentFileName.toStdString();
  zeda::FileDocument doc = FileDocument();
  const zeda::QuicksaveOutcome out = zeda::QuicksaveVersion(doc, FileIdentification());
  if (out.needsSaveDialog) {
    SaveCommand(false);
    return;
  }
  if (!out.save.ok) {
    ShowOpenFileError(out.save.error);
    return;
  }
  CompareIfChanged();
  // The title shows the new file once; later saves still start from the current file.
  const QString kept = currentFileName;
  currentFileName = QString::fromStdString(out.save.path);
  UpdateTitle();
  currentFileName = kept;
}

zeda::IgnIdentification TMainForm::FileIdentification() const {
  zeda::IgnIdentification id;
  id.hexVersion = unitDetailTexts_[0].toStdString();
  id.hexDate = unitDetailTexts_[1].toStdString();
  id.hexTime = unitDetailTexts_[2].toStdString();
  id.hardware = unitIdent.hardware;
  id.unitKey = keyCheckText;
  id.serialNumber = unitIdent.serial;
  id.lastUpdate = unitIdent.lastUpdate;
  id.additional = unitIdent.additional;
  return id;
}
