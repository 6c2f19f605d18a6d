// The window's parameter pages (see page_host.h).
#include "app/ui/page_host.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QShortcut>
#include <QTabWidget>

#include "app/ui/main_form.h"
#include "base/trace.h"
#include "lang/ui/page_captions.h"
#include "link/device_ops.h"
#include "link/test_requests.h"
#include "mapedit/ui/tab_widget.h"
#include "monitor/live_values.h"
#include "pages/all_pages.h"
#include "pages/map_transfer.h"
#include "pages/misc_page.h"
#include "pages/race_page.h"
#include "pages/ui/page_widget.h"
#include "pages/ui/race_grids.h"
#include "params/param_codes.h"
#include "params/param_fields.h"

namespace zeda {

namespace {

inline constexpr char kUndoNames[][20] = {"SpeedButtonZpet", "MenuZpet"};
inline constexpr char kRedoNames[][20] = {"SpeedButtonZnovu", "MenuZnovu"};
// Checked lock and automatic programming are shown in red: both change what a button does.
inline constexpr char kWarnStyle[] = "QCheckBox { color: red; }";

void SetNamedEnabled(QObject& root, const char* name, bool on) {
  const QString n = QString::fromLatin1(name);
  if (auto* a = root.findChild<QAction*>(n)) a->setEnabled(on);
  if (auto* b = root.findChild<QAbstractButton*>(n)) b->setEnabled(on);
}

template <typename F>
void ConnectNamed(QObject& root, const char* name, F f) {
  const QString n = QString::fromLatin1(name);
  if (auto* a = root.findChild<QAction*>(n)) QObject::connect(a, &QAction::triggered, a, f);
  if (auto* b = root.findChild<QAbstractButton*>(n))
    QObject::connect(b, &QAbstractButton::clicked, b, f);
}

}  // namespace

PageHost::PageHost(TMainForm& form)
    : form_(form), controls_(&form), binder_(form.document, controls_) {}

PageHost::~PageHost() = default;

void PageHost::Start() {
  PageContext context;
  context.live = &form_.LiveValues();
  context.tables = &tables_;
  context.connected = [this] { return form_.DeviceOps().UnitConnected(); };
  context.connection = [this] { return form_.DeviceOps().ConnectionNumber(); };
  // Through the window's asker like its own questions (tests answer them there).
  context.ask = [this](const std::string& text) {
    const QString question = QString::fromStdString(text);
    const int b =
        form_.questionAsker_
            ? form_.questionAsker_(question)
            : QMessageBox::question(&form_, form_.windowTitle(), question,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return b == QMessageBox::Yes  ? PageAnswer::Yes
           : b == QMessageBox::No ? PageAnswer::No
                                  : PageAnswer::Cancel;
  };
  // The preset has asked its own question; the defaults go in without another one.
  context.newDefaults = [this] { form_.NewDefaultsForPreset(); };
  // A test button goes out with the next monitor request; the device machine refuses it
  // without an identified unit.
  context.refused = [this] { return form_.RefusedDuringPlayback(); };
  context.testRequest = [this](const std::string& button) {
    for (const TestButtonRow& row : kTestButtons)
      if (button == row.control) {
        form_.DeviceOps().RequestTest(row.button);
        return;
      }
  };
  context.chooseFile = [this](const std::string& filter) {
    return QFileDialog::getOpenFileName(&form_, QString(), QString(),
                                        QString::fromStdString(filter))
        .toStdString();
  };
  context.testMode = form_.TestMode();
  pages_ = MakeAllPages(context);

  QTabWidget* tabs = form_.PageControl1;
  controls_.OnNewRadio(
      [this](QRadioButton* b, std::string_view group) { ConnectRadio(b, group, binder_); });
  for (auto& page : pages_) {
    binder_.AddPage(*page);
    if (QWidget* tab = tabs->widget(page->Index())) BuildPage(tab, *page, binder_);
  }
  controls_.Forget();
  InstallHooks();
  binder_.CreatePages();
  for (auto& page : pages_)
    if (QWidget* tab = tabs->widget(page->Index())) AddPageTables(tab, *page);
  ArrangeRaceGrids(tabs->widget(kRacePageIndex));
  for (TTabWidget* w : form_.findChildren<TTabWidget*>()) editors_.push_back(w);
  for (PageSpinBox* s : tabs->findChildren<PageSpinBox*>()) spins_.push_back(s);
  controls_.Forget();
  ApplyPageCaptions(tabs);
  // A language switch: item lists the pages make themselves, then the active page's texts.
  form_.SetActivePageLoader([this, tabs] {
    {
      const PageBinder::Guard guard(binder_);
      MiscPage::BuildInputItems(controls_);
    }
    binder_.LoadActivePage();
    ApplyPageCaptions(tabs);
  });
  binder_.ChangePage(tabs->currentIndex());
  binder_.LoadAllPages();
  mapsReloaded_ = true;
  binder_.StartRing();
  UndoStateChanged();

  QObject::connect(tabs, &QTabWidget::currentChanged, tabs,
                   [this](int index) { binder_.ChangePage(index); });
  // The read-out lock is stored with every page: a change is committed like a page's check
  // box (toggled, so that a screen reader's toggle counts as well as a click).
  QObject::connect(form_.CheckBoxZakazCteni, &QCheckBox::toggled, form_.CheckBoxZakazCteni,
                   [this] { binder_.ControlChanged("CheckBoxZakazCteni", ChangeKind::Immediate); });
  // Undo and redo commit every pending edit first (a typed value, a map edit).
  ConnectNamed(form_, "MenuZpet", [this] { binder_.Undo(); });
  ConnectNamed(form_, "SpeedButtonZpet", [this] { binder_.Undo(); });
  ConnectNamed(form_, "MenuZnovu", [this] { binder_.Redo(); });
  ConnectNamed(form_, "SpeedButtonZnovu", [this] { binder_.Redo(); });
  auto step = [tabs](int by) {
    const int n = tabs->count();
    for (int i = 1; i <= n; ++i) {
      const int k = ((tabs->currentIndex() + by * i) % n + n) % n;
      if (tabs->isTabVisible(k)) return tabs->setCurrentIndex(k);
    }
  };
  struct PageKey {
    const char* keys;
    int by;
  };
  for (const PageKey k : {PageKey{"Ctrl+Tab", 1}, PageKey{"Ctrl+PgDown", 1},
                          PageKey{"Ctrl+Shift+Tab", -1}, PageKey{"Ctrl+PgUp", -1}}) {
    const int by = k.by;
    QObject::connect(new QShortcut(QKeySequence(QString::fromLatin1(k.keys)), &form_),
                     &QShortcut::activated, tabs, [step, by] { step(by); });
  }
}

void PageHost::InstallHooks() {
  BinderHooks h;
  h.showPage = [this](int page) { form_.PageControl1->setCurrentIndex(page); };
  // A playback's settings never go to the real unit.
  h.autoProgram = [this] { return form_.CheckBoxProgHned->isChecked() && !form_.PlaybackActive(); };
  h.program = [this] { form_.DeviceOps().RequestAutoProgram(); };
  h.compare = [this] {
    if (form_.deviceOps_) form_.deviceOps_->CompareUnitAndPc();
  };
  h.focusAfterChange = [this] { form_.CheckBoxProgHned->setFocus(Qt::OtherFocusReason); };
  h.undoStateChanged = [this] { UndoStateChanged(); };
  h.snapshotTaken = [this] {
    form_.SaveAppSettings();
    form_.RecordParameters();
  };
  h.commonRefresh = [this] {
    for (QCheckBox* c : {form_.CheckBoxZakazCteni, form_.CheckBoxProgHned})
      if (c) c->setStyleSheet(c->isChecked() ? QString::fromLatin1(kWarnStyle) : QString());
  };
  h.commitUnconfirmed = [this] {
    // A value typed into an up-down and not yet confirmed with Enter or by leaving it.
    for (PageSpinBox* s : spins_) s->TakeTypedValue();
    // A map edit inside its commit delay, an open cell editor: each commits through its
    // page like a confirmed edit.
    tables_.CommitPending();
  };
  h.imageReplaced = [this] {
    for (PageSpinBox* s : spins_) s->ForgetTypedValue();
    mapsReloaded_ = true;
  };
  binder_.SetHooks(std::move(h));
  form_.SetAllPagesLoader([this] {
    form_.document.CommitPending();
    binder_.LoadAllPages();
  });
}

void PageHost::UndoStateChanged() {
  for (const char* n : kUndoNames) SetNamedEnabled(form_, n, binder_.Ring().CanUndo());
  for (const char* n : kRedoNames) SetNamedEnabled(form_, n, binder_.Ring().CanRedo());
}

TableTickInputs PageHost::TickInputs() const {
  const ParamImage& img = form_.Images().params;
  const LiveValues& live = form_.LiveValues();
  TableTickInputs in;
  in.mapsReloaded = mapsReloaded_;
  in.baseAdvance = ReadShown(img, Field(FieldId::BASE_ADV), 0);
  in.limiter = ReadShown(img, Field(FieldId::LIMITER), 0);
  in.startLimiter = ReadShown(img, Field(FieldId::START_LIMITER), 0);
  if (live.live) {
    in.rpm = live.engineSpeed;
    in.tpPresent = live.throttleTenths >= 0;
    in.tpTenths = live.throttleTenths;
    in.iap = live.pressureKpa;
  }
  // Bit 0: the unit runs on advance map 2; bits 4 and 5: maps 1 and 2 take their load from
  // the pressure sensor.
  if (live.live && live.secondAdvance) in.liveFlags |= 1u;
  if (LoadSensorOf(img) == LOAD_SENSOR_IAP) in.liveFlags |= 0x30u;
  return in;
}

void PageHost::Tick() {
  tables_.Tick(TickInputs());
  mapsReloaded_ = false;
  for (TTabWidget* w : editors_) w->Tick();
  binder_.Tick();
}

}  // namespace zeda
