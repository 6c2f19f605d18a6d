#pragma once
// The main window. It owns everything for the whole run and drives the program with
// its 55 ms timer.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/activity_log.h"
#include "app/com_menu.h"
#include "app/command_line.h"
#include "app/congruence_watch.h"
#include "app/handover.h"
#include "app/main_tick.h"
#include "app/status_slots.h"
#include "app/title.h"
#include "monitor/csv_output.h"
#include "monitor/ignlog_format.h"
#include "monitor/monitor_display.h"
#include "monitor/self_test.h"
#include "params/document.h"
#include "params/file_commands.h"
#include "params/ign_writer.h"
#include "params/param_image.h"
#include "params/settings.h"
#include "params/undo_ring.h"
#include "store/czevud.h"
#include "update/ui/deferred_close.h"

namespace zeda {
class TTabWidget;
class CCOMCOM;
class PageHost;
class DeviceOps;
struct ImageBuffers;
}  // namespace zeda
class DeviceUiBridge;
class CMonPickup;
class ActivityLogDock;
class CompareDialog;
class PlayerHostBridge;
class PlayerBox;
class MonitorViewApplier;
class SelfTestBox;
namespace zeda {
class MonitorPlayer;
}
class QProcess;
class QPrinter;
class UpdateCheck;
class QAbstractButton;
class QAction;
class QCheckBox;
class QLabel;
class QLocalServer;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;

class TMainForm : public QMainWindow,
                  public zeda::StatusView,
                  public zeda::TickSteps,
                  public zeda::HandoverHooks {
  Q_OBJECT

 public:
  struct Options {
    zeda::CommandLine commandLine;
    // Listen for port hand-over requests (off in most tests).
    bool listenForHandover = true;
    QString handoverSocketName = QString::fromStdString(zeda::kHandoverSocketName);
  };

  explicit TMainForm(const Options& options, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The device side's one way to talk to the user.
  void ShowStatus(int slot, const char* text, int32_t durationMs, zeda::Colour font,
                  zeda::Colour back, int32_t priority);
  zeda::StatusSlots& StatusSlots() { return statusSlots_; }
  zeda::MainTick& MainTick() { return mainTick_; }
  zeda::PortHandover& PortHandover() { return portHandover_; }

  void UpdateTitle();
  // Shows a hint in status-bar panel 0 (empty hint, empty panel).
  void OnHint(const QString& hint);
  // Status-bar panel 4 from keyCheckKind, keyCheckText and the unit's texts.
  void ShowUnitText();

  bool Initialised() const { return mainTick_.Initialised(); }
  bool UpdateCheckSuppressed() const { return updateCheckSuppressed_; }
  // The .ign file picked from the last drop, empty when none (see openIgnFile).
  const QString& LastDroppedIgnFile() const { return lastDroppedIgnFile_; }
  // Handles a dropped list of files: opens the first parameter file among them.
  void FilesDropped(const QStringList& paths);
  // Applies one hand-over line as received on the socket; returns the reply.
  QByteArray HandoverLine(const QByteArray& line);

  // Title inputs kept by the window.
  bool fileMatches = false;
  QString currentFileName;
  QString csvOutputPath;  // empty while the CSV output is off

  // ---- Device operations (ui/device_commands.cpp) ----
  zeda::DeviceOps& DeviceOps() { return *deviceOps_; }
  // The parameter pages; nullptr until the window is built.
  zeda::PageHost* Pages() { return pages_.get(); }
  zeda::CCOMCOM& Link() { return *link_; }
  zeda::ImageBuffers& Images() { return *images_; }
  // The commands of ButtonRead/F7, ButtonVerify/F8, ButtonProgram/F9 and MenuReset.
  void ReadCommand();
  void VerifyCommand();
  void ProgramCommand();
  void ResetCommand();
  // Compares unit, PC and file again when an input changed since the last comparison
  // (called on every run of the device machine and after every file command).
  void CompareIfChanged();
  // The connected unit told a key or version this program does not work with.
  bool UnitRefused() const;
  // Whether the connected unit can be read at all (not refused, not read-locked).
  bool UnitReadable() const;
  // Panel 4's mismatch text while the connected unit is refused, else empty.
  std::string RefusedUnitText() const;
  // ---- Activity log and compare view (ui/activity_commands.cpp) ----
  zeda::ActivityLog& ActivityLog() { return activityLog_; }
  ActivityLogDock* ActivityDock() const { return activityDock_; }
  // The compare view, nullptr until first shown.
  CompareDialog* CompareView() const { return compareDialog_; }
  // MenuCompareUnit: params against unitImage (only while that is valid).
  void CompareWithUnitCommand();
  // MenuCompareFile: params against a chosen .ign (the dialog starts at the current file).
  void CompareWithFileCommand();
  // Shows the compare view with `differences` of params against `theirs`.
  void ShowDifferences(const QString& theirs, std::vector<zeda::FieldDifference> differences);
  // zeda --simulate: starts zedasim with `args` on a pty and makes it the only port
  // searched. False with a message on stderr when it cannot start.
  bool StartSimulator(const QStringList& args);

  // ButtonMonPu and MenuMonPickup: the first click opens the pickup monitor, later ones
  // show or hide it.
  void ButtonMonPuClick();
  CMonPickup* MonPickup() { return monPickup_.get(); }

  // Panel 4 inputs (written by the device operations).
  int keyCheckKind = zeda::kKeyCheckNotConnected;
  std::string keyCheckText;
  zeda::UnitIdentTexts unitIdent;

  // ---- Live monitor, CSV output, recorder and player (ui/monitor_commands.cpp) ----
  // A fresh monitor answer from the unit (not while a playback owns the display).
  void MonitorAnswer(const uint8_t* block);
  // Decodes monitorBlock and rewrites every monitor control.
  void ShowMonitor();
  // A unit is connected or a playback (playing or paused) runs.
  bool IsMonitorLive() const;
  bool PlaybackActive() const;
  // While a playback shows a recorded unit and its settings, the commands that would write
  // them to a file or a unit, or put the user's own document out of reach, are refused:
  // true after telling the user why (playback_guard.cpp).
  bool RefusedDuringPlayback();
  // Stops a playback: the user's document, file name and undo history come back.
  void EndPlayback();
  // The values the page ticks and the map editors' operating point read.
  const zeda::LiveValues& LiveValues() const { return liveValues_; }
  const zeda::MonitorView& MonitorView() const { return monitorView_; }
  const zeda::MonitorBlock& monitorBlock() const { return monitorBlock_; }
  zeda::MonitorPlayer& Player() { return *player_; }
  PlayerBox* PlayerGroupBox() const { return playerBox_; }
  void MenuCSVoutClick();
  // SpeedButtonPlay: 1 Record, 2 Play, 3 Pause, 4 Stop.
  void SpeedButtonPlay(int button);
  void PlayPosChange(int position);
  // Recording entry points: after a change of params, after a page change.
  void RecordParameters();
  void RecordPageState();
  // Writes the played recording's monitor records as CSV (as zedactl log csv does).
  void ExportRecordingCsv();
  // Offers to recover recordings whose program ended without writing them.
  void OfferJournalRecovery();
  // ButtonSelftest (Test page, service test mode): starts the unit self test.
  void ButtonSelftestClick();
  const zeda::SelfTest& UnitSelfTest() const { return selfTest_; }
  // Message boxes of the player (tests replace it): title, text.
  using MessageShower = std::function<void(const QString& title, const QString& text)>;
  void SetMessageShower(MessageShower shower) { messageShower_ = std::move(shower); }

  // ---- Parameter image, files and settings (file_commands.cpp) ----
  // The document: the parameter image, the copies kept of it and the undo ring. Every
  // replacement of the image goes through document.Replace; the pages are its views.
  zeda::Document document;
  // The document's buffers. The title's fileMatches above is set from
  // imageBuffers.fileMatches whenever the file commands change it.
  zeda::ImageBuffers& imageBuffers = document.Buffers();
  // Settings kept between runs (dialogs, history, NEWINSTAL, ...). The current file is
  // currentFileName above; the file commands and the settings save take it from there,
  // so clearing currentFileName (a read from the unit) is enough.
  zeda::AppSettings appSettings;

  struct FileDialogRequest {
    bool save = false;  // SaveDialog1, else OpenDialog1
    QString preset;     // the file name the dialog starts with
  };
  // Shows a file dialog; returns the chosen path, empty when cancelled.
  using FileChooser = std::function<QString(const FileDialogRequest&)>;
  // Asks a Yes/No/Cancel question; returns the QMessageBox::StandardButton pressed.
  using QuestionAsker = std::function<int(const QString& text)>;
  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  void SetQuestionAsker(QuestionAsker asker) { questionAsker_ = std::move(asker); }
  // Asks "Save changes?"; returns QMessageBox::Save, Discard or Cancel.
  void SetSaveChangesAsker(QuestionAsker asker) { saveChangesAsker_ = std::move(asker); }
  // True when params differ from the current file (there is one and it was not saved since).
  bool UnsavedChanges();
  // Before the parameters are replaced or the program ends: with unsaved changes asks
  // Save / Discard / Cancel. False: the user cancelled (or the save failed), stop.
  bool ConfirmDiscardChanges();
  // F2: straight to the current file once there is one, else as Save as.
  void SaveCurrentCommand();
  // Commits every edit the user has not confirmed yet (a typed value, an arrow click
  // inside its delay, a map edit, an open cell editor): Save, Quicksave, Program, Verify,
  // Print, Close and the compare view call it before they read the parameters.
  void CommitActivePage();
  // A bike preset's "Yes": the defaults of every page without asking again and without
  // saving anything in between; the preset then commits its own change as one step.
  void NewDefaultsForPreset();

  void NewCommand(bool activePageOnly);
  void OpenCommand(bool fromExeDir, bool activePageOnly);
  void SaveCommand(bool toExeDir);
  // Saves the document to `path`; a failure has said why and changes nothing.
  void SaveTo(const QString& path);
  void QuicksaveCommand();
  void OpenHistoryItem(int k);
  // OpenFile of the file commands (history items and dropped files use it directly).
  void OpenFile(int page, const QString& path);
  // Writes application.ini and default.ini from the current state.
  bool SaveAppSettings();

  const std::string& SettingsFolder() const { return settingsFolder_; }
  bool TestMode() const { return testSwitch_.testMode; }
  bool QuickSaveAvailable() const { return quickSaveAvailable_; }
  // The program folder followed by "data.ign".
  const QString& DefaultFilePath() const { return defaultFilePath_; }
  // The identification lines written at the end of a parameter file.
  zeda::IgnIdentification FileIdentification() const;

  // ---- Printing (print_commands.cpp) ----
  // The print dialog: lets the user pick a printer or a PDF file; false when cancelled.
  using PrinterChooser = std::function<bool(QPrinter& printer)>;
  void SetPrinterChooser(PrinterChooser chooser) { printerChooser_ = std::move(chooser); }
  // Loads every page's controls from params before Print all; installed by the pages.
  void SetAllPagesLoader(std::function<void()> loader) { allPagesLoader_ = std::move(loader); }
  // SpeedButtonPrint, MenuPrint (Ctrl+P): the window as it is.
  void SpeedButtonPrintClick();
  // MenuPrintAll: one page per parameter page whose tab is shown.
  void MenuPrintAllClick();

  // ---- Update check and archive store (update_commands.cpp) ----
  // Hands a web address to the desktop; tests stand in for it.
  using AddressOpener = std::function<bool(const QString& address)>;
  void SetAddressOpener(AddressOpener opener) { addressOpener_ = std::move(opener); }
  UpdateCheck* UpdateChecker() const { return updateCheck_; }
  zeda::CZevud& ArchiveStore() { return archiveStore_; }
  // MenuUpdate: the maker's download page in the browser.
  void MenuUpdateClick();
  // MenuContens (F1): the manuals page in the browser.
  void MenuContensClick();
  // The maker's web page `page` ("upload", "manuals") in the current language.
  QString WebPageAddress(const char* page) const;

  // ---- Language (language_commands.cpp) ----
  // MenuEnglish, MenuGerman, MenuCzech: the language, ApplyLanguage, the active page
  // reloaded so its computed texts follow.
  void MenuEnglishClick();
  void MenuGermanClick();
  void MenuCzechClick();
  // Reloads the active page from params; installed by the pages.
  void SetActivePageLoader(std::function<void()> loader) { activePageLoader_ = std::move(loader); }

  // ---- Map editor commands (tool_commands.cpp) ----
  // MenuAdvanceMinus / MenuAdvancePlus: step -1 / +1 in the focused map editor.
  void AdvanceStep(int step);
  zeda::TTabWidget* FocusedMapEditor() const;

  // ---- COM menu (com_menu_commands.cpp) ----
  // Rebuilds MenuCom from the ports present (start-up, after a choice, when the port list
  // changed).
  void RebuildComMenu() override;
  bool portListChanged() override;
  // The choice of COM menu item `item` (0 off, 1 automatic, 2 separator, 3... ports).
  void MenuCom1Click(int item);
  const std::vector<zeda::ComMenuItem>& ComMenuItems() const { return comMenuItems_; }

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  friend class zeda::PageHost;  // builds the pages into PageControl1, drives the undo controls
  std::unique_ptr<zeda::PageHost> pages_;

  void CreateControls();
  void CreateMenus();
  void CreateStatusBar();
  void FormCreate();
  void FormClose();
  void Timer1Timer();
  void ApplyLanguage();
  void SwitchLanguage(int language);
  void ApplyMenuTexts();
  void Disconnect();
  void OpenIgnFile(const QString& path);

  // Files and settings (file_commands.cpp).
  void ConnectFileCommands();
  void ReadTestMode();
  void ApplyStartImage();
  void LoadStartupSettings();
  void SaveSettingsAtClose();
  void RebuildHistoryMenu();
  void SyncFileState();
  void AfterDocumentChange();
  QString ChooseFile(bool save, const QString& preset);
  QString RunFileDialog(const FileDialogRequest& request);
  void ShowOpenFileError(const std::string& detail = {});
  zeda::FileDocument FileDocument();
  void StartHandoverServer();
  void ShowAbout();

  // StatusView
  void SetSlotVisible(int slot, bool visible) override;
  void SetSlotCaption(int slot, const std::string& caption) override;
  void SetSlotColours(int slot, zeda::Colour font, zeda::Colour back) override;
  void SetGaugeVisible(bool visible) override;

  friend class DeviceUiBridge;
  void CreateActivityLog();
  // Logs the end of an operation (from the device machine), with the differing fields of a
  // Verify or check that found the unit different; a Verify's differences open the compare
  // view.
  void RecordOperation(int32_t op, zeda::OpOutcome outcome);
  void UpdateCompareCommands();
  void ApplyAccessibleNames();
  void UpdateGaugeAccessibility();
  void CreateDeviceOps();
  void DestroyDeviceOps();
  void ConnectDeviceCommands();
  void ShowDeviceMessages();
  // Slot 2's lasting verdicts: the refusal of a unit, interrupted programming.
  void ApplyUnitVerdicts();
  void ShowInterrupted();
  // portHandover_ follows a release the device machine has made.
  void SyncHandover();
  // What the rest of the window asks of the device side.
  void DeviceDisconnect();
  bool DeviceLinkEnabled() const;
  void CloseDevicePorts();
  zeda::HandoverAction DeviceHandover(const zeda::HandoverMessage& msg);

  void ConnectPrintCommands();
  void PrintWindow(bool allPages);
  void OpenArchiveStore();
  void StartUpdateCheck();
  bool OpenAddress(const QString& address);
  bool DeviceOperationRunning() const;

  // TickSteps
  void UpdateCheckStep() override;
  void PlayerStep() override;

  // Live monitor (monitor_commands.cpp).
  friend class PlayerHostBridge;
  void CreateMonitor();
  void DestroyMonitor();
  void StopPlayerAtClose();
  void ShowPlayerState();
  void ShowPlayerMessage(const QString& title, const QString& text);
  // A recording that stopped by itself: what happened, and a file of the user's choice
  // when its own cannot be written.
  void ReportRecordingStop();
  // Asks for another file until the recording is written or the user cancels; the journal
  // goes once it is written. False when cancelled (the journal stays for the next start).
  bool SaveRecordingElsewhere(const std::string& bytes, const std::string& journal);
  void ToggleMonitorPlayer(bool shown);
  zeda::MonitorParams MonitorParams() const;
  void CreateSelfTestBox();
  void SelfTestCountdown() override;
  void ShowSelfTest();
  void RunDeviceOps() override;
  bool UnitConnected() override;
  void FocusNoReadingCheckBox() override;
  void SetDeviceCommandsEnabled(bool enabled) override;
  void PickupCaptureHandOver() override;
  void PickupPeriodic() override;
  void PickupTick() override;

  // HandoverHooks
  int connectedPort() const override;
  void DisconnectLink() override;
  void RequestSpecialCommand() override;
  void ResumeSearch() override;
  void LinkEnabledChanged() override;

  Options options_;
  std::function<void()> activePageLoader_;
  std::vector<zeda::ComMenuItem> comMenuItems_;
  bool noPortHintShown_ = false;
  // MenuRead, MenuVerify, MenuProgram and MenuReset, enabled on every tick.
  std::array<QPointer<QAction>, 4> deviceMenus_{};
  bool deviceMenusFound_ = false;
  PrinterChooser printerChooser_;
  std::function<void()> allPagesLoader_;
  AddressOpener addressOpener_;
  UpdateCheck* updateCheck_ = nullptr;
  // "Download update" ends the program, but never in the middle of a device operation.
  DeferredClose closeWhenIdle_;
  // The archive store inside the program file, kept for the whole run.
  zeda::CZevud archiveStore_;
  zeda::StatusSlots statusSlots_;
  zeda::MainTick mainTick_;
  zeda::PortHandover portHandover_;
  bool updateCheckSuppressed_ = false;
  bool closed_ = false;
  QString lastDroppedIgnFile_;
  // Unit detail texts until a unit has told its own.
  std::array<QString, 3> unitDetailTexts_;

  QTimer* Timer1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QLabel* LabelConnection = nullptr;
  QLabel* LabelResult = nullptr;
  QLabel* LabelCongruence = nullptr;
  QLabel* LabelCom = nullptr;
  QProgressBar* CGaugeProgram = nullptr;
  QCheckBox* CheckBoxZakazCteni = nullptr;
  QCheckBox* CheckBoxProgHned = nullptr;
  QPushButton* ButtonRead = nullptr;
  QPushButton* ButtonVerify = nullptr;
  QPushButton* ButtonProgram = nullptr;
  QPushButton* ButtonMonPu = nullptr;
  std::array<QLabel*, 5> statusPanels_{};
  std::array<QLabel*, zeda::StatusSlots::kSlotCount> slotLabels_{};
  QLocalServer* handoverServer_ = nullptr;

  // Files and settings.
  FileChooser fileChooser_;
  QuestionAsker questionAsker_;
  QuestionAsker saveChangesAsker_;
  std::string settingsFolder_;
  zeda::TestSwitch testSwitch_;
  bool quickSaveAvailable_ = false;
  QString defaultFilePath_;
  QString openDialogPreset_;
  QString saveDialogPreset_;

  // Device operations: the link object and the machine; created and destroyed in
  // device_commands.cpp (createDeviceOps, destroyDeviceOps). images_ points at imageBuffers.
  zeda::CCOMCOM* link_ = nullptr;
  zeda::ImageBuffers* images_ = &imageBuffers;
  DeviceUiBridge* deviceUi_ = nullptr;
  zeda::DeviceOps* deviceOps_ = nullptr;
  QProcess* simulator_ = nullptr;
  // The pickup monitor, from the first ButtonMonPu click on.
  std::unique_ptr<CMonPickup> monPickup_;
  zeda::CongruenceWatch congruenceWatch_;
  bool refusalShown_ = false;      // slot 2 holds the refusal reason
  bool interruptedShown_ = false;  // slot 2 holds "Programming interrupted"
  bool idleSinceInterrupted_ = false;
  int32_t lastPort_ = 0;  // the port of the current or last connection

  zeda::ActivityLog activityLog_;
  ActivityLogDock* activityDock_ = nullptr;
  CompareDialog* compareDialog_ = nullptr;

  // Live monitor.
  zeda::MonitorBlock monitorBlock_;
  zeda::MonitorMemory monitorMemory_;
  zeda::LiveValues liveValues_;
  zeda::MonitorView monitorView_;
  zeda::CsvOutput csvOutput_;
  bool wasLive_ = false;
  // The connection the last fresh monitor answer came on (0: none yet).
  uint32_t answeredConnection_ = 0;
  std::unique_ptr<MonitorViewApplier> monitorApplier_;
  PlayerHostBridge* playerHost_ = nullptr;  // owned; deleted after player_
  std::unique_ptr<zeda::MonitorPlayer> player_;
  PlayerBox* playerBox_ = nullptr;
  zeda::SelfTest selfTest_;
  SelfTestBox* selfTestBox_ = nullptr;
  MessageShower messageShower_;
  // The user's own document, kept aside while a playback shows the recorded one.
  struct SavedDocument {
    zeda::ParamImage params, unitImage, fileImage;
    bool unitImageValid = false;
    bool fileMatches = false;
    QString fileName;  // the title's file: the user's, whatever the playback showed
    int page = 0;
    std::array<bool, zeda::PARAM_IMAGE_SIZE> changedMask{};
    uint8_t tableIds[zeda::kPageStateTables] = {};  // the map editors' sheets
    uint8_t sheets[zeda::kPageStateTables] = {};
    zeda::UndoRing ring;
  };
  SavedDocument savedDocument_;
};
