// One monitor answer shown by the real window: TMainForm at 1366x768 with its own style,
// connected to a simulated unit on a pty so the display is live, each answer handed to
// MonitorAnswer as the link hands it over, then the event loop run so the layout and the
// painting the answer causes are timed with it. Target: under 1 ms of the user-interface
// thread per answer.
//
// The simulated unit keeps answering while the benchmark runs (its engine stopped, so its
// answers are the base block every case starts from); those answers and the window's own
// tick are timed with the rest, as they are in use.
//
// Cases (the answers are the unit's own block with some values changed):
//   BM_WindowRide             a running engine: engine speed, load, voltage, advance and
//                             acceleration change, the hour meter and over-voltage minutes
//                             alternate (every real answer carries one of them);
//   BM_WindowEveryText        every text and colour changes, the same labels stay shown;
//   BM_WindowErrorToggles     the same, and the live faults a unit reports come and go on
//                             every answer: throttle sensor error, programmed data error
//                             (which shows and hides its label);
//   BM_WindowLayoutChange     channel count and synchronisation method also change, which
//                             shows and hides labels; a real unit never changes these from one
//                             answer to the next (only a new configuration does);
//   BM_WindowSame             the same answer again.
// Argument: 0 the page shown at start, 1 the page holding the most monitor labels (with
// every label of the display built, the Miscellaneous page). The counters say how many of
// the display's labels the window and the page hold.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "app/ui/main_form.h"
#include "bench_window.h"
#include "link/device_ops.h"
#include "monitor/monitor_display.h"

namespace {

using bench::App;
using bench::kHeight;
using bench::kWidth;

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// The window connected to its simulated unit, made once for every case (a connection takes
// seconds); private settings, no hand-over server.
struct LiveWindow {
  LiveWindow() {
    App();
    qputenv("ZEDA_SETTINGS_DIR", settings.path().toLocal8Bit());
    qputenv("ZEDA_PORTS_ONLY", "1");
    qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
    TMainForm::Options options;
    options.listenForHandover = false;
    form = std::make_unique<TMainForm>(options);
    form->resize(kWidth, kHeight);
    form->show();
    QCoreApplication::processEvents();
    if (!form->StartSimulator({"--engine", "stopped"})) {
      error = "the simulated unit did not start";
      return;
    }
    if (!WaitUntil(
            [this] {
              return form->IsMonitorLive() && form->monitorBlock() != zeda::MonitorBlock{};
            },
            30000)) {
      error = "the window did not connect to the simulated unit";
      return;
    }
    base = form->monitorBlock();
    tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    startPage = tabs->currentIndex();
  }

  // The visible page holding the most monitor labels.
  int BusiestPage() const {
    int best = startPage, most = -1;
    for (int i = 0; i < tabs->count(); ++i) {
      if (!tabs->isTabVisible(i)) continue;
      int n = 0;
      for (const char* name : zeda::kMonitorLabelNames)
        n += tabs->widget(i)->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr;
      if (n > most) {
        most = n;
        best = i;
      }
    }
    return best;
  }

  QTemporaryDir settings;
  std::unique_ptr<TMainForm> form;
  QTabWidget* tabs = nullptr;
  int startPage = 0;
  zeda::MonitorBlock base;
  const char* error = nullptr;
};

LiveWindow& Window() {
  static auto* w = new LiveWindow;
  return *w;
}

void SetWord(zeda::MonitorBlock& b, int w, int v) {
  b.pos[static_cast<std::size_t>(2 * w)] = static_cast<uint8_t>(v);
  b.pos[static_cast<std::size_t>(2 * w + 1)] = static_cast<uint8_t>(v >> 8);
}

void SetBit(zeda::MonitorBlock& b, int byte, int bit, bool on) {
  auto& p = b.pos[static_cast<std::size_t>(byte)];
  p = static_cast<uint8_t>(on ? p | (1 << bit) : p & ~(1 << bit));
}

// Answer i of a running engine: the values that move while riding, and the minute counter
// the unit sends alternately.
zeda::MonitorBlock RideAnswer(const zeda::MonitorBlock& base, int i) {
  zeda::MonitorBlock b = base;
  SetWord(b, zeda::Monw::RPM, 4000 + 37 * (i % 50));
  SetWord(b, zeda::Monw::TPS, 1200 + 11 * (i % 40));
  SetWord(b, zeda::Monw::TPSIAP, 20 + i % 40);
  SetWord(b, zeda::Monw::BATTERY, 13500 + 120 * (i % 3));
  SetWord(b, zeda::Monw::ACCELERATION, 300 + 17 * (i % 30));
  b.pos[zeda::Monb::ADV] = static_cast<uint8_t>(120 + i % 8);
  b.pos[zeda::Monb::ADV + 1] = static_cast<uint8_t>(121 + i % 8);
  const bool overvoltage = i % 2 != 0;
  SetBit(b, zeda::Monb::INPUT_LEVEL, zeda::MonBit::OVERVOLTAGE_TIME, overvoltage);
  SetWord(b, zeda::Monw::MOTO_MIN_LO, overvoltage ? 75 : 12345);
  return b;
}

// Every position changed (as the small benchmark's frames), with what the unit's
// configuration decides and its fault bits kept from the unit's own answer.
zeda::MonitorBlock EveryTextAnswer(const zeda::MonitorBlock& base, int i) {
  zeda::MonitorBlock b;
  for (int p = 1; p < zeda::kMonitorPositions; ++p)
    b.pos[static_cast<std::size_t>(p)] = static_cast<uint8_t>(p * 7 + i * 13);
  for (int p : {zeda::Monb::CHANNELS, zeda::Monb::SYNCHRO, zeda::Monb::ERRORS})
    b.pos[static_cast<std::size_t>(p)] = base.pos[static_cast<std::size_t>(p)];
  return b;
}

zeda::MonitorBlock ErrorToggleAnswer(const zeda::MonitorBlock& base, int i) {
  zeda::MonitorBlock b = EveryTextAnswer(base, i);
  SetBit(b, zeda::Monb::ERRORS, zeda::MonBit::TPS_ERR, i % 2 != 0);
  SetBit(b, zeda::Monb::ERRORS, zeda::MonBit::EE_DATA_ERR, i % 2 != 0);
  return b;
}

zeda::MonitorBlock LayoutChangeAnswer(const zeda::MonitorBlock& base, int i) {
  zeda::MonitorBlock b = EveryTextAnswer(base, i);
  b.pos[zeda::Monb::CHANNELS] = static_cast<uint8_t>(i % 2 == 0 ? 1 : 4);
  b.pos[zeda::Monb::SYNCHRO] = static_cast<uint8_t>(i % 2 == 0 ? 0 : 3);
  return ErrorToggleAnswer(b, i);
}

// What the window's event loop does after an answer: the layout and painting it posted,
// and the objects let go with deleteLater (a new layout of the main window starts a geometry
// animation each time, deleted once done). processEvents alone leaves those to an event
// loop this program does not run, and the window would grow with every answer.
void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Run(benchmark::State& state,
         const std::function<zeda::MonitorBlock(const zeda::MonitorBlock&, int)>& answer,
         int answers) {
  LiveWindow& w = Window();
  if (w.error) {
    state.SkipWithError(w.error);
    return;
  }
  const int page = state.range(0) == 0 ? w.startPage : w.BusiestPage();
  w.tabs->setCurrentIndex(page);
  std::vector<zeda::MonitorBlock> blocks;
  for (int i = 0; i < answers; ++i) blocks.push_back(answer(w.base, i));
  // Two rounds first: the labels' first texts and colours are not what is timed.
  for (int i = 0; i < 2 * answers; ++i) {
    w.form->MonitorAnswer(blocks[static_cast<std::size_t>(i % answers)].pos.data());
    Settle();
  }
  const auto objects = w.form->findChildren<QObject*>().size();
  std::size_t i = 0;
  for (auto _ : state) {
    w.form->MonitorAnswer(blocks[i++ % blocks.size()].pos.data());
    Settle();
  }
  if (!w.form->IsMonitorLive()) state.SkipWithError("the unit went away during the run");
  state.SetLabel(w.tabs->widget(page)->objectName().toStdString());
  // How many of the display's labels the window holds, and how many sit on the page shown.
  int inWindow = 0, onPage = 0;
  for (const char* name : zeda::kMonitorLabelNames) {
    inWindow += w.form->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr;
    onPage += w.tabs->widget(page)->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr;
  }
  state.counters["labelsInWindow"] = inWindow;
  state.counters["labelsOnPage"] = onPage;
  // Objects the window gained during the run: answers must not leave objects behind.
  state.counters["objectsAdded"] =
      static_cast<double>(w.form->findChildren<QObject*>().size() - objects);
}

void BM_WindowRide(benchmark::State& state) { Run(state, RideAnswer, 120); }
BENCHMARK(BM_WindowRide)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WindowEveryText(benchmark::State& state) { Run(state, EveryTextAnswer, 2); }
BENCHMARK(BM_WindowEveryText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WindowErrorToggles(benchmark::State& state) { Run(state, ErrorToggleAnswer, 2); }
BENCHMARK(BM_WindowErrorToggles)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WindowLayoutChange(benchmark::State& state) { Run(state, LayoutChangeAnswer, 2); }
BENCHMARK(BM_WindowLayoutChange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WindowSame(benchmark::State& state) {
  Run(
      state, [](const zeda::MonitorBlock& base, int) { return base; }, 1);
}
BENCHMARK(BM_WindowSame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  App();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  // The window (and with it the simulated unit) goes before the application.
  Window().form.reset();
  return 0;
}
