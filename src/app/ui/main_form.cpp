#include "app/ui/main_form.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/about_text.h"
#include "app/dropped_files.h"
#include "app/menu_table.h"
#include "app/page_list.h"
#include "app/self_check_layout.h"
#include "app/ui/elided_label.h"
#include "app/ui/page_host.h"
#include "app/ui/shown_tabs_accessible.h"
#include "base/identity.h"
#include "base/tick_clock.h"
#include "base/trace.h"
#include "lang/lang_string.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/monitor_view_applier.h"
#include "pickup/ui/cmon_pickup.h"
#include "update/ui/update_check.h"

namespace {

// Status-bar panels: 0 hint, 1 "EXE", 2 build text, 3 "HEX", 4 unit text.
constexpr int kPanelWidths[5] = {400, 0, 350, 0, 100};
constexpr int kHandoverMaxLine = 256;
constexpr char kAboutCaption[] = "###About##Über Programm##O programu";

QColor ToQColor(zeda::Colour c, const QPalette& palette) {
  if (zeda::IsSystemColour(c)) {
    // Only the button face is used by the program.
    return palette.color(QPalette::Button);
  }
  return QColor(zeda::ColourRed(c), zeda::ColourGreen(c), zeda::ColourBlue(c));
}

QLabel* MakeSlotLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAutoFillBackground(true);
  label->setMargin(3);
  label->setMinimumWidth(160);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

}  // namespace

TMainForm::TMainForm(const Options& options, QWidget* parent)
    : QMainWindow(parent),
      options_(options),
      closeWhenIdle_([this] { return DeviceOperationRunning(); }, [this] { close(); }),
      mainTick_(*this, statusSlots_) {
  setObjectName(QStringLiteral("TMainForm"));
  // Construction: link object (started by the link area), settings folder, device-operation
  // state. The unit detail texts start as placeholders; every status text is empty.
  unitDetailTexts_ = {QStringLiteral("Unit = --"), QStringLiteral("Date = --"),
                      QStringLiteral("--:--")};
  mainTick_.SetInitialised(false);
  settingsFolder_ = zeda::SettingsFolder();
  zeda::SetPollMask(1);

  CreateControls();
  CreateMenus();
  ConnectFileCommands();
  ConnectPrintCommands();
  CreateStatusBar();
  CreateActivityLog();
  CreateDeviceOps();
  ConnectDeviceCommands();
  CreateMonitor();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(zeda::kTickIntervalMs);
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
  Timer1->start();

  FormCreate();
}

TMainForm::~TMainForm() {
  // The link object goes first (its ports closed, its threads stopped), then the
  // translation tables, then the window.
  if (Timer1) Timer1->stop();
  // The map editors hold the pages' tables: the widgets go before the pages.
  delete PageControl1;
  PageControl1 = nullptr;
  pages_.reset();
  DestroyMonitor();
  DestroyDeviceOps();
}

void TMainForm::CreateControls() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("PanelMain"));
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(6, 6, 6, 0);
  outer->setSpacing(6);

  // Tool buttons, device buttons and the two common check boxes.
  auto* top = new QFrame(central);
  top->setObjectName(QStringLiteral("PanelTop"));
  top->setFrameShape(QFrame::StyledPanel);
  auto* topRow = new QHBoxLayout(top);
  topRow->setContentsMargins(6, 4, 6, 4);
  topRow->setSpacing(4);
  const QStyle* st = style();
  const QHash<QString, QIcon> icons = {
      {QStringLiteral("SpeedButtonNew"), st->standardIcon(QStyle::SP_FileIcon)},
      {QStringLiteral("SpeedButtonOpen"), st->standardIcon(QStyle::SP_DialogOpenButton)},
      {QStringLiteral("SpeedButtonSave"), st->standardIcon(QStyle::SP_DialogSaveButton)},
      {QStringLiteral("SpeedButtonPrint"),
       QIcon::fromTheme(QStringLiteral("document-print"),
                        st->standardIcon(QStyle::SP_FileDialogDetailedView))},
      {QStringLiteral("SpeedButtonZpet"), st->standardIcon(QStyle::SP_ArrowBack)},
      {QStringLiteral("SpeedButtonZnovu"), st->standardIcon(QStyle::SP_ArrowForward)},
  };
  for (const zeda::SpeedButtonEntry& e : zeda::SpeedButtonTable()) {
    auto* b = new QToolButton(top);
    const QString name = QString::fromUtf8(e.name);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(e.caption));
    b->setIcon(icons.value(name));
    b->setAutoRaise(true);
    b->setIconSize(QSize(22, 22));
    b->setToolTip(QString::fromUtf8(*e.hint ? e.hint : e.caption));
    b->setStatusTip(QString::fromUtf8(e.hint));
    // Same command as its menu item; those commands come with the file, print and undo
    // areas, so the buttons stay disabled until then.
    b->setEnabled(false);
    topRow->addWidget(b);
    if (name == QLatin1String("SpeedButtonPrint")) {
      auto* sep = new QFrame(top);
      sep->setFrameShape(QFrame::VLine);
      sep->setFrameShadow(QFrame::Sunken);
      topRow->addWidget(sep);
    }
  }
  topRow->addSpacing(16);

  auto makeButton = [top](const char* name, const char* caption, const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(caption), top);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(hint));
    b->setStatusTip(QString::fromUtf8(hint));
    b->setMinimumWidth(90);
    b->setEnabled(false);  // only while a unit is connected
    return b;
  };
  ButtonRead = makeButton("ButtonRead", "&Read", "Reading parametrs from ignition");
  ButtonVerify =
      makeButton("ButtonVerify", "&Verify", "Compare set parametrs  with parametrs of ignition");
  ButtonProgram = makeButton("ButtonProgram", "&Program", "Programing  set parametrs to ignition");
  topRow->addWidget(ButtonRead);
  topRow->addWidget(ButtonVerify);
  topRow->addWidget(ButtonProgram);
  topRow->addSpacing(16);

  CheckBoxProgHned = new QCheckBox(QStringLiteral("Programming after change"), top);
  CheckBoxProgHned->setObjectName(QStringLiteral("CheckBoxProgHned"));
  CheckBoxProgHned->setStatusTip(QStringLiteral("Programing at once after change"));
  CheckBoxProgHned->setToolTip(CheckBoxProgHned->statusTip());
  CheckBoxZakazCteni = new QCheckBox(QStringLiteral("Read-out lock"), top);
  CheckBoxZakazCteni->setObjectName(QStringLiteral("CheckBoxZakazCteni"));
  topRow->addWidget(CheckBoxProgHned);
  topRow->addWidget(CheckBoxZakazCteni);
  topRow->addStretch(1);

  LabelCom = new QLabel(top);
  LabelCom->setObjectName(QStringLiteral("LabelCom"));
  LabelCom->setMinimumWidth(140);
  LabelCom->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  topRow->addWidget(LabelCom);
  outer->addWidget(top);

  // The status message labels and the progress gauge.
  auto* messages = new QWidget(central);
  messages->setObjectName(QStringLiteral("PanelMessages"));
  messages->setMinimumHeight(26);
  auto* msgRow = new QHBoxLayout(messages);
  msgRow->setContentsMargins(0, 0, 0, 0);
  msgRow->setSpacing(8);
  LabelConnection = MakeSlotLabel(messages, "LabelConnection");
  LabelResult = MakeSlotLabel(messages, "LabelResult");
  CGaugeProgram = new QProgressBar(messages);
  CGaugeProgram->setObjectName(QStringLiteral("CGaugeProgram"));
  CGaugeProgram->setTextVisible(true);
  {
    // One text colour over the bar and beside it: black reads on aqua, red and the face.
    QPalette pal = CGaugeProgram->palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::HighlightedText, Qt::black);
    CGaugeProgram->setPalette(pal);
  }
  CGaugeProgram->setMinimumWidth(180);
  LabelCongruence = MakeSlotLabel(messages, "LabelCongruence");
  // Slots 1 and 4 keep their short texts whole; slot 2 takes the room left and wraps a
  // long verdict (an interrupted program) onto a second line rather than cutting it.
  LabelConnection->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
  LabelCongruence->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
  LabelResult->setWordWrap(true);
  LabelResult->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  msgRow->addWidget(LabelConnection);
  msgRow->addWidget(LabelResult, 3);
  msgRow->addWidget(CGaugeProgram);
  msgRow->addWidget(LabelCongruence);
  msgRow->addStretch(1);
  outer->addWidget(messages);
  slotLabels_ = {nullptr, LabelConnection, LabelResult, nullptr, LabelCongruence};

  // The parameter pages; their controls are built by the pages area.
  PageControl1 = new QTabWidget(central);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  // The N2O page stays in place (tab index = parameter group) but hidden, for the screen
  // reader too.
  InstallShownTabsAccessibility();
  MarkShownTabsOnly(PageControl1->tabBar());
  for (const zeda::PageEntry& p : zeda::PageList()) {
    auto* page = new QWidget(PageControl1);
    page->setObjectName(QString::fromLatin1(p.name));
    PageControl1->addTab(page, QString::fromUtf8(p.caption));
    PageControl1->setTabVisible(p.index, p.visible);
  }
  // The pickup monitor button sits on the test page.
  QWidget* testPage = PageControl1->widget(9);
  auto* testLayout = new QVBoxLayout(testPage);
  ButtonMonPu = new QPushButton(QStringLiteral("monitor PickUps"), testPage);
  ButtonMonPu->setObjectName(QStringLiteral("ButtonMonPu"));
  ButtonMonPu->setAccessibleName(ButtonMonPu->text());
  connect(ButtonMonPu, &QPushButton::clicked, this, &TMainForm::ButtonMonPuClick);
  // No stretch below it: the page's controls come above it (in a scroll area that takes
  // the page's height) and the self-test box below; a stretch would take half the height
  // from the page's controls.
  testLayout->addWidget(ButtonMonPu, 0, Qt::AlignLeft | Qt::AlignTop);
  outer->addWidget(PageControl1, 1);

  setCentralWidget(central);
  resize(1024, 720);
}

void TMainForm::CreateMenus() {
  QHash<QString, QMenu*> menus;
  QActionGroup* languages = nullptr;
  for (const zeda::MenuEntry& e : zeda::MenuTable()) {
    const QString name = QString::fromUtf8(e.name);
    const QString caption = QString::fromUtf8(zeda::LangText(e.caption));
    const bool enabled = (e.flags & zeda::kMenuEnabled) != 0;
    const bool hidden = (e.flags & zeda::kMenuHidden) != 0;
    if (!*e.parent) {
      QMenu* menu = menuBar()->addMenu(caption);
      menu->setObjectName(name);
      menu->menuAction()->setObjectName(name);
      menu->menuAction()->setVisible(!hidden);
      menu->menuAction()->setStatusTip(QString::fromUtf8(zeda::LangText(e.hint)));
      menu->setToolTipsVisible(false);
      menus.insert(name, menu);
      continue;
    }
    QMenu* parent = menus.value(QString::fromUtf8(e.parent));
    QAction* action =
        (e.flags & zeda::kMenuSeparator) ? parent->addSeparator() : parent->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(QKeySequence(QString::fromUtf8(e.shortcut)));
    action->setStatusTip(QString::fromUtf8(zeda::LangText(e.hint)));
    action->setCheckable((e.flags & zeda::kMenuCheckable) != 0);
    action->setEnabled(enabled);
    action->setVisible(!hidden);
    if (parent->objectName() == QLatin1String("MenuLanguage")) {
      if (!languages) languages = new QActionGroup(this);
      languages->addAction(action);
    }
  }
  if (QAction* exit = findChild<QAction*>(QStringLiteral("MenuExit"))) {
    connect(exit, &QAction::triggered, this, &QWidget::close);
  }
  if (QAction* pickup = findChild<QAction*>(QStringLiteral("MenuMonPickup"))) {
    connect(pickup, &QAction::triggered, this, &TMainForm::ButtonMonPuClick);
  }
  if (QAction* about = findChild<QAction*>(QStringLiteral("MenuAbout"))) {
    connect(about, &QAction::triggered, this, &TMainForm::ShowAbout);
  }
  const std::pair<const char*, void (TMainForm::*)()> languageItems[] = {
      {"MenuEnglish", &TMainForm::MenuEnglishClick},
      {"MenuGerman", &TMainForm::MenuGermanClick},
      {"MenuCzech", &TMainForm::MenuCzechClick}};
  const std::pair<const char*, int> advanceItems[] = {{"MenuAdvanceMinus", -1},
                                                      {"MenuAdvancePlus", 1}};
  for (const auto& [name, step] : advanceItems) {
    if (QAction* a = findChild<QAction*>(QString::fromLatin1(name))) {
      a->setEnabled(true);
      const int s = step;
      connect(a, &QAction::triggered, this, [this, s] { AdvanceStep(s); });
    }
  }
  for (const auto& [name, handler] : languageItems) {
    if (QAction* a = findChild<QAction*>(QString::fromLatin1(name))) {
      a->setEnabled(true);
      connect(a, &QAction::triggered, this, handler);
    }
  }
}

void TMainForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setSizeGripEnabled(true);
  // The five panels sit left to right in one strip; the window takes the hints itself
  // (event()), so the bar never covers them with a temporary message.
  auto* strip = new QWidget(bar);
  strip->setObjectName(QStringLiteral("StatusBar1Panels"));
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  const char* fixed[5] = {"", "EXE", "", "HEX", ""};
  for (int i = 0; i < 5; ++i) {
    // The texts of panels 2 and 4 can be longer than the window is wide.
    QLabel* panel = (i == 2 || i == 4) ? new ElidedLabel(QString::fromLatin1(fixed[i]), strip)
                                       : new QLabel(QString::fromLatin1(fixed[i]), strip);
    panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
    // The accessible name says which panel it is (set with the language); the text
    // itself is the description, whole even when the panel shows it cut.
    panel->setAccessibleDescription(panel->text());
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    if (kPanelWidths[i] > 0) {
      panel->setMinimumWidth(kPanelWidths[i]);
    } else {
      panel->setAlignment(Qt::AlignCenter);
    }
    // The last panel takes what is left.
    row->addWidget(panel, i == 4 ? 1 : 0);
    statusPanels_[i] = panel;
  }
  // The hint panel keeps its width whatever the hint's length.
  statusPanels_[0]->setMaximumWidth(kPanelWidths[0]);
  bar->addWidget(strip, 1);
}

void TMainForm::FormCreate() {
  // 1. The archive store in the program file, filled from its folder when empty.
  OpenArchiveStore();
  // 2. Status message slots: 1 LabelConnection, 2 LabelResult, 4 LabelCongruence.
  statusSlots_.Bind(this, {zeda::StatusSlot::kConnection, zeda::StatusSlot::kResult,
                           zeda::StatusSlot::kCongruence});
  // 3. Test-mode settings; 4. page bindings and map editors (NormalizeParams first).
  ReadTestMode();
  // 5. Hints go to panel 0: see event().
  // 6. Status texts.
  keyCheckKind = zeda::kKeyCheckNotConnected;
  static_cast<ElidedLabel*>(statusPanels_[2])
      ->SetFullText(QString::fromStdString(zeda::BuildText()));
  statusPanels_[2]->setAccessibleDescription(statusPanels_[2]->text());
  ShowUnitText();
  // 7.-8. BIKE 7, COM setting 1 and the defaults of all pages.
  ApplyStartImage();
  // 9. Centre the window on the screen.
  if (QScreen* screen = this->screen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }
  // 10.-13. Default file path, application settings, TEST_COM, file history.
  LoadStartupSettings();
  // 14. The first command-line argument.
  const zeda::CommandLine& cmd = options_.commandLine;
  if (cmd.language >= 0) zeda::SetCurrentLanguage(cmd.language);
  if (cmd.noPatchCheck) updateCheckSuppressed_ = true;
  // 15. Page captions, pages refreshed, undo history, language, COM menu.
  ApplyLanguage();
  // 16. The gauge.
  CGaugeProgram->hide();
  CGaugeProgram->setMaximum(100);
  // 17. Map editors redrawn, page visibility.
  // 18. Dropped files.
  setAcceptDrops(true);
  // 19. Self-checks of the static layout.
  zeda::RunSelfChecks(zeda::kBuildLayout);
  // 20. No connection yet.
  Disconnect();
  // 21.-23. Monitor display, update check thread, recorder and player.
  ShowMonitor();
  ToggleMonitorPlayer(appSettings.monitorPlayer);
  ShowPlayerState();
  // Once the window runs, so the question is asked over it.
  QTimer::singleShot(0, this, [this] { OfferJournalRecovery(); });
  if (options_.listenForHandover) StartHandoverServer();
  StartUpdateCheck();
  // The parameter pages: built, loaded, the undo ring started.
  pages_ = std::make_unique<zeda::PageHost>(*this);
  pages_->Start();
  // The monitor labels on the pages (the Bike page's unit texts among them) show at once.
  monitorApplier_->ControlsBuilt();
  ShowMonitor();
  // 24.
  mainTick_.SetInitialised(true);
  zeda::LinkTraceSink().Trace("FORM Initialised");
  // A parameter file named on the command line (the file manager's double-click) is opened
  // like a dropped one, now that the window is complete.
  if (!cmd.openPath.empty()) OpenIgnFile(QString::fromStdString(cmd.openPath));
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  // A running recording is written out, the update check stopped, every port asked to
  // close, the active page committed and normalised, the settings saved (each by its
  // area); then the status texts are freed.
  if (updateCheck_) updateCheck_->Stop();
  StopPlayerAtClose();
  CloseDevicePorts();
  SaveSettingsAtClose();
  statusSlots_.ClearTexts();
  if (handoverServer_) handoverServer_->close();
}

void TMainForm::closeEvent(QCloseEvent* e) {
  // Edits not in the file are offered for saving; Cancel keeps the window.
  // A playback gives the user's document back first: the question is about the user's own
  // settings and file, never the recording's.
  if (!closed_) EndPlayback();
  // A pending page edit counts as a change.
  if (!closed_) CommitActivePage();
  if (!closed_ && !ConfirmDiscardChanges()) {
    e->ignore();
    return;
  }
  FormClose();
  Timer1->stop();
  e->accept();
}

void TMainForm::Timer1Timer() {
  mainTick_.Run();
  if (pages_) pages_->Tick();
}

void TMainForm::Disconnect() {
  // While the link is enabled this shows "No connection with PC..." in slot 1.
  DeviceDisconnect();
}

void TMainForm::ShowStatus(int slot, const char* text, int32_t durationMs, zeda::Colour font,
                           zeda::Colour back, int32_t priority) {
  statusSlots_.ShowStatus(slot, text, durationMs, font, back, priority);
}

void TMainForm::UpdateTitle() {
  zeda::TitleInputs in;
  in.fileMatches = fileMatches;
  in.linkEnabled = DeviceLinkEnabled();
  in.fileName = currentFileName.toStdString();
  in.csvPath = csvOutputPath.toStdString();
  in.unsaved = !currentFileName.isEmpty() && !(imageBuffers.params == imageBuffers.fileImage);
  setWindowTitle(QString::fromStdString(zeda::ComposeTitle(in)));
}

void TMainForm::OnHint(const QString& hint) {
  statusPanels_[0]->setText(hint);
  statusPanels_[0]->setAccessibleDescription(hint);
}

void TMainForm::ShowUnitText() {
  // A refused unit shows its mismatch from the identification check on, before any monitor
  // answer has told it again.
  const std::string refused =
      keyCheckKind == zeda::kKeyCheckText ? std::string() : RefusedUnitText();
  const QString text = QString::fromStdString(
      !refused.empty() ? refused : zeda::UnitText(keyCheckKind, keyCheckText, unitIdent));
  // The unit's texts are often wider than the panel: the whole line stays the tooltip.
  static_cast<ElidedLabel*>(statusPanels_[4])->SetFullText(text);
  statusPanels_[4]->setAccessibleDescription(text);
}

bool TMainForm::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    OnHint(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
  QStringList paths;
  for (const QUrl& url : e->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  FilesDropped(paths);
  e->acceptProposedAction();  // the drop is always finished
}

void TMainForm::FilesDropped(const QStringList& paths) {
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(paths.size()));
  for (const QString& p : paths) names.push_back(p.toStdString());
  const int index = zeda::FirstIgnFile(names);
  if (index >= 0) OpenIgnFile(paths[index]);
}

void TMainForm::OpenIgnFile(const QString& path) {
  // Opened like a history entry: both file dialogs preset to the path, then OpenFile for
  // all pages.
  if (RefusedDuringPlayback() || !ConfirmDiscardChanges()) return;
  lastDroppedIgnFile_ = path;
  openDialogPreset_ = saveDialogPreset_ = path;
  OpenFile(-1, path);
}

// StatusView

void TMainForm::SetSlotVisible(int slot, bool visible) {
  if (QLabel* label = slotLabels_[static_cast<size_t>(slot)]) label->setVisible(visible);
}

void TMainForm::SetSlotCaption(int slot, const std::string& caption) {
  if (QLabel* label = slotLabels_[static_cast<size_t>(slot)]) {
    label->setText(QString::fromStdString(caption));
    label->setAccessibleDescription(label->text());
  }
  if (slot == zeda::StatusSlot::kResult) UpdateGaugeAccessibility();
}

void TMainForm::SetSlotColours(int slot, zeda::Colour font, zeda::Colour back) {
  QLabel* label = slotLabels_[static_cast<size_t>(slot)];
  if (!label) return;
  QPalette pal = label->palette();
  if (font != zeda::kColourUnchanged) pal.setColor(QPalette::WindowText, ToQColor(font, pal));
  if (back != zeda::kColourUnchanged) pal.setColor(QPalette::Window, ToQColor(back, pal));
  label->setPalette(pal);
}

void TMainForm::SetGaugeVisible(bool visible) { CGaugeProgram->setVisible(visible); }

// TickSteps

void TMainForm::FocusNoReadingCheckBox() { CheckBoxZakazCteni->setFocus(); }

void TMainForm::SetDeviceCommandsEnabled(bool enabled) {
  // A playback shows a recorded unit: nothing may be sent to the real one meanwhile.
  enabled = enabled && !PlaybackActive();
  // A refused unit cannot be read, verified or programmed: the commands say so by being
  // off. Reset stays, it is the one thing such a unit still takes.
  const bool transfer = enabled && !UnitRefused();
  ButtonRead->setEnabled(transfer);
  ButtonVerify->setEnabled(transfer);
  ButtonProgram->setEnabled(transfer);
  // Every tick: the menu items are looked up once, not searched for in the window each time.
  static constexpr const char* kDeviceMenus[] = {"MenuRead", "MenuVerify", "MenuProgram",
                                                 "MenuReset"};
  if (!deviceMenusFound_) {
    deviceMenusFound_ = true;
    for (std::size_t i = 0; i < deviceMenus_.size(); ++i)
      deviceMenus_[i] = findChild<QAction*>(QString::fromLatin1(kDeviceMenus[i]));
  }
  for (std::size_t i = 0; i < deviceMenus_.size(); ++i)
    if (deviceMenus_[i])
      deviceMenus_[i]->setEnabled(i + 1 < deviceMenus_.size() ? transfer : enabled);
}

// Port hand-over

// connectedPort, disconnectLink, requestSpecialCommand and resumeSearch are in
// device_commands.cpp with the device machine.

void TMainForm::LinkEnabledChanged() {
  UpdateTitle();
  ApplyLanguage();
}

QByteArray TMainForm::HandoverLine(const QByteArray& line) {
  const auto msg = zeda::ParseHandoverLine(std::string_view(line.constData(), line.size()));
  if (!msg) return QByteArrayLiteral("error\n");
  const zeda::HandoverAction action = DeviceHandover(*msg);
  return action == zeda::HandoverAction::Ignore ? QByteArrayLiteral("ignored\n")
                                                : QByteArrayLiteral("ok\n");
}

void TMainForm::StartHandoverServer() {
  handoverServer_ = new QLocalServer(this);
  handoverServer_->setObjectName(QStringLiteral("HandoverServer"));
  handoverServer_->setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = options_.handoverSocketName;
  if (!handoverServer_->listen(name)) {
    // A socket left behind by a crashed run blocks the name; a live one belongs to
    // another instance, which then keeps the hand-over to itself.
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool alive = probe.waitForConnected(100);
    probe.abort();
    if (alive || !QLocalServer::removeServer(name) || !handoverServer_->listen(name)) {
      qWarning("zeda: port hand-over socket %s not available: %s", qPrintable(name),
               qPrintable(handoverServer_->errorString()));
      return;
    }
  }
  connect(handoverServer_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = handoverServer_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      auto serve = [this, socket] {
        while (socket->canReadLine()) {
          socket->write(HandoverLine(socket->readLine(kHandoverMaxLine + 1)));
        }
        // A peer that sends a long line without an end is dropped.
        if (socket->bytesAvailable() > kHandoverMaxLine) socket->abort();
      };
      connect(socket, &QLocalSocket::readyRead, socket, serve);
      serve();  // lines that arrived with the connection
    }
  });
}

void TMainForm::ShowAbout() {
  QMessageBox::about(this, QString::fromUtf8(zeda::LangText(kAboutCaption)),
                     QString::fromStdString(zeda::AboutText()));
}
