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
#include "pages/all_pages.h"
#include "pages/misc_page.h"
#include "pages/race_page.h"
#include "pages/ui/page_widget.h"
#include "pages/ui/race_grids.h"

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
    : form_(form), controls_(&form), binder_(form.Images(), controls_) {}

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
  context.newDefaults = [this] { form_.NewCommand(false); };
  // A test button goes out with the next monitor request; the device machine refuses it
  // without an identified unit.
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
  binder_.StartRing();
  UndoStateChanged();

  QObject::connect(tabs, &QTabWidget::currentChanged, tabs,
                   [this](int index) { binder_.ChangePage(index); });
  ConnectNamed(form_, "MenuZpet", [this] { binder_.CommitPending(), binder_.Undo(); });
  ConnectNamed(form_, "SpeedButtonZpet", [this] { binder_.CommitPending(), binder_.Undo(); });
  ConnectNamed(form_, "MenuZnovu", [this] { binder_.CommitPending(), binder_.Redo(); });
  ConnectNamed(form_, "SpeedButtonZnovu", [this] { binder_.CommitPending(), binder_.Redo(); });
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
  h.autoProgram = [this] { return form_.CheckBoxProgHned->isChecked(); };
  h.program = [this] { form_.DeviceOps().RequestAutoProgram(); };
  h.compare = [this] { form_.DeviceOps().CompareUnitAndPc(); };
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
  binder_.SetHooks(std::move(h));
  form_.SetActivePageCommitter([this] { binder_.CommitPending(); });
  form_.SetAllPagesLoader([this] { binder_.LoadAllPages(); });
}

void PageHost::UndoStateChanged() {
  for (const char* n : kUndoNames) SetNamedEnabled(form_, n, binder_.Ring().CanUndo());
  for (const char* n : kRedoNames) SetNamedEnabled(form_, n, binder_.Ring().CanRedo());
}

void PageHost::Tick() {
  tables_.Tick(TableTickInputs{});
  for (TTabWidget* w : editors_) w->Tick();
  binder_.Tick();
}

}  // namespace zeda
