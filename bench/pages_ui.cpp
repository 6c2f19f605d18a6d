// The parameter pages as the window runs them, under offscreen Qt:
//  - start-up: the window made with every page built and loaded, shown, and its first
//    paint done (target below 0.3 s);
//  - a page switch: the tab changed, the page loaded (commits nothing) and painted once
//    through the window's backing store, as the screen gets it (target below 5 ms); the
//    heaviest pages alone; and the load alone;
//  - a commit of one edit: store, normalise, reload, undo snapshot (target below 5 ms).
// The window's own style is installed, as zeda's main does. Private settings, no port search
// (ZEDA_PORTS_ONLY) and no hand-over server, so nothing outside the program is timed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QTabWidget>
#include <memory>
#include <vector>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "bench_window.h"
#include "lang/lang_string.h"
#include "pages/page_binder.h"
#include "pages/ui/page_widget.h"

namespace {

using bench::MakeForm;
using bench::PrivateSettings;

// Paints what is shown now, as the first expose would.
void Paint(QWidget& w) {
  QCoreApplication::processEvents();
  benchmark::DoNotOptimize(w.grab());
}

void BM_StartWindowWithEveryPage(benchmark::State& state) {
  const PrivateSettings settings;
  for (auto _ : state) {
    auto form = MakeForm();
    form->show();
    Paint(*form);
    state.PauseTiming();
    form.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartWindowWithEveryPage)->Unit(benchmark::kMillisecond)->Iterations(10);

constexpr const char* kHeavyPages[] = {"TabSheetRuzne", "TabSheetBike", "TabSheetPOut"};

// The visible tabs in order, so every switch loads and paints another page.
std::vector<int> VisibleTabs(const QTabWidget& tabs) {
  std::vector<int> shown;
  for (int i = 0; i < tabs.count(); ++i)
    if (tabs.isTabVisible(i)) shown.push_back(i);
  return shown;
}

// Counts the paint events a page gets, so a switch that painted nothing is not timed.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// A switch as the user makes it: the tab changes, the page loads, and the posted update
// paints it into the window's backing store and flushes it.
void BM_PageSwitch(benchmark::State& state) {
  const PrivateSettings settings;
  auto form = MakeForm();
  form->show();
  Paint(*form);
  auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  const std::vector<int> shown = VisibleTabs(*tabs);
  PaintCounter counter;
  for (int i : shown) tabs->widget(i)->installEventFilter(&counter);
  const int commits = form->Pages()->Binder().Commits();
  size_t next = 0;
  for (auto _ : state) {
    next = (next + 1) % shown.size();
    tabs->setCurrentIndex(shown[next]);
    QCoreApplication::processEvents();
  }
  if (form->Pages()->Binder().Commits() != commits) state.SkipWithError("a page switch committed");
  if (counter.paints < static_cast<int>(state.iterations()))
    state.SkipWithError("a switch painted nothing");
  state.counters["pages"] = static_cast<double>(shown.size());
}
BENCHMARK(BM_PageSwitch)->Unit(benchmark::kMillisecond);

// A switch to one page from the lightest one, for the pages with the most boxes
// (Miscellaneous, Bike, Power out): the worst switches, not the mean.
void BM_PageSwitchTo(benchmark::State& state) {
  const PrivateSettings settings;
  auto form = MakeForm();
  form->show();
  Paint(*form);
  auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  QWidget* page = form->findChild<QWidget*>(QString::fromLatin1(kHeavyPages[state.range(0)]));
  const int to = page ? tabs->indexOf(page) : -1;
  if (to < 0) {
    state.SkipWithError("no such page");
    return;
  }
  const int from = to == 0 ? tabs->count() - 1 : 0;
  for (auto _ : state) {
    state.PauseTiming();
    tabs->setCurrentIndex(from);
    QCoreApplication::processEvents();
    state.ResumeTiming();
    tabs->setCurrentIndex(to);
    QCoreApplication::processEvents();
  }
  state.SetLabel(kHeavyPages[state.range(0)]);
}
BENCHMARK(BM_PageSwitchTo)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The binder's part of a switch alone: the pending edit, the page's load and refresh.
void BM_PageSwitchLoadOnly(benchmark::State& state) {
  const PrivateSettings settings;
  auto form = MakeForm();
  auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  const std::vector<int> shown = VisibleTabs(*tabs);
  zeda::PageBinder& binder = form->Pages()->Binder();
  size_t next = 0;
  for (auto _ : state) {
    next = (next + 1) % shown.size();
    binder.ChangePage(shown[next]);
  }
}
BENCHMARK(BM_PageSwitchLoadOnly)->Unit(benchmark::kMillisecond);

void BM_CommitOneEdit(benchmark::State& state) {
  const PrivateSettings settings;
  auto form = MakeForm();
  zeda::PageBinder& binder = form->Pages()->Binder();
  auto* spin = form->findChild<zeda::PageSpinBox*>(QStringLiteral("UpDownLimiter"));
  if (spin == nullptr) {
    state.SkipWithError("no UpDownLimiter");
    return;
  }
  // The limiter's page is the active one, as when the user edits it.
  auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->widget(i)->isAncestorOf(spin)) tabs->setCurrentIndex(i);
  const int commits = binder.Commits();
  const int base = spin->value();
  const int step = spin->singleStep();
  bool down = true;
  for (auto _ : state) {
    // Each edit changes the limiter, so each commit stores, normalises and snapshots.
    spin->setValue(down ? base - step : base);
    down = !down;
    binder.ControlChanged("UpDownLimiter", zeda::ChangeKind::Immediate);
  }
  if (binder.Commits() - commits != static_cast<int>(state.iterations()))
    state.SkipWithError("an edit did not commit");
}
BENCHMARK(BM_CommitOneEdit)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
