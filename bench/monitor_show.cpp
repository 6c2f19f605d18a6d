// Decoding and showing one monitor answer on the user-interface thread: the display model
// evaluated and copied into a window holding every monitor label and gauge (offscreen).
// Target: under 1 ms per answer, the painting it causes included.
//
// Cases, so a slow refresh can be pinned to its part:
//   BM_Decode                  the rules alone (EvaluateMonitor);
//   BM_DecodeAndShow/0         alternating frames copied into the controls, so every refresh
//                              changes every text and colour (the worst case);
//   BM_DecodeAndShow/1         the same with the layout and painting it causes; these
//                              frames also show and hide labels (channel count, method),
//                              which lays the window out again;
//   BM_DecodeAndShowSameLayout every text and colour changes, the same labels stay shown;
//   BM_DecodeAndShowRide/1     a riding engine: engine speed, load, voltage, advance and
//                              acceleration change, the rest stays (the usual case);
//   BM_DecodeAndShowSame/1     the same answer again: what a refresh costs when nothing changed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <memory>

#include "monitor/monitor_display.h"
#include "monitor/ui/monitor_view_applier.h"

namespace {

zeda::MonitorBlock Frame(int i) {
  zeda::MonitorBlock b;
  for (int p = 1; p < zeda::kMonitorPositions; ++p)
    b.pos[static_cast<std::size_t>(p)] = static_cast<uint8_t>(p * 7 + i * 13);
  return b;
}

// Frame i with what the unit's configuration decides kept as in frame 0: channel count,
// synchronisation method and the programmed-data error show or hide labels, and they do
// not change from one answer to the next.
zeda::MonitorBlock SameLayoutFrame(int i) {
  zeda::MonitorBlock b = Frame(i);
  const zeda::MonitorBlock first = Frame(0);
  for (int p : {zeda::Monb::CHANNELS, zeda::Monb::SYNCHRO, zeda::Monb::ERRORS})
    b.pos[static_cast<std::size_t>(p)] = first.pos[static_cast<std::size_t>(p)];
  return b;
}

// Frame 0 with the values a running engine changes from answer to answer.
zeda::MonitorBlock RideFrame(int i) {
  zeda::MonitorBlock b = Frame(0);
  auto word = [&b](int w, int v) {
    b.pos[static_cast<std::size_t>(2 * w)] = static_cast<uint8_t>(v);
    b.pos[static_cast<std::size_t>(2 * w + 1)] = static_cast<uint8_t>(v >> 8);
  };
  word(zeda::Monw::RPM, 4000 + 37 * (i % 50));
  word(zeda::Monw::TPS, 1200 + 11 * (i % 40));
  word(zeda::Monw::TPSIAP, 20 + i % 40);
  word(zeda::Monw::BATTERY, 13500 + 120 * (i % 3));
  word(zeda::Monw::ACCELERATION, 300 + 17 * (i % 30));
  b.pos[zeda::Monb::ADV] = static_cast<uint8_t>(120 + i % 8);
  b.pos[zeda::Monb::ADV + 1] = static_cast<uint8_t>(121 + i % 8);
  return b;
}

struct Window {
  Window() {
    auto* grid = new QGridLayout(&root);
    for (int i = 0; i < zeda::kMonLabelCount; ++i) {
      auto* l = new QLabel(&root);
      l->setObjectName(QString::fromLatin1(zeda::kMonitorLabelNames[i]));
      l->setFixedSize(240, 18);  // as the window lays them out: text changes move nothing
      grid->addWidget(l, i / 4, i % 4);
    }
    for (int i = 0; i < zeda::kMonGaugeCount; ++i) {
      auto* g = new QProgressBar(&root);
      g->setObjectName(QString::fromLatin1(zeda::kMonitorGaugeNames[i]));
      grid->addWidget(g, 30 + i, 0);
    }
    root.show();
    applier = std::make_unique<MonitorViewApplier>(&root);
    QCoreApplication::processEvents();
  }
  QWidget root;
  std::unique_ptr<MonitorViewApplier> applier;
};

// Shows `frames` in turn; with `paint` the event loop then runs the layout and painting.
void Run(benchmark::State& state, const std::vector<zeda::MonitorBlock>& frames, bool show,
         bool paint) {
  Window w;
  zeda::MonitorParams params;
  zeda::MonitorMemory memory;
  zeda::LiveValues values;
  zeda::MonitorView view;
  std::size_t i = 0;
  for (auto _ : state) {
    zeda::MonitorBlock b = frames[i++ % frames.size()];
    zeda::EvaluateMonitor(b, true, params, memory, values, view);
    if (show) w.applier->Apply(view);
    if (paint) QCoreApplication::processEvents();
  }
}

void BM_Decode(benchmark::State& state) { Run(state, {Frame(0), Frame(1)}, false, false); }
BENCHMARK(BM_Decode)->Unit(benchmark::kMicrosecond);

// 0: decoding and the copy into the controls; 1: with the layout and painting it causes.
void BM_DecodeAndShow(benchmark::State& state) {
  Run(state, {Frame(0), Frame(1)}, true, state.range(0) != 0);
}
BENCHMARK(BM_DecodeAndShow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every text and colour changes, the labels shown stay the same.
void BM_DecodeAndShowSameLayout(benchmark::State& state) {
  Run(state, {SameLayoutFrame(0), SameLayoutFrame(1)}, true, state.range(0) != 0);
}
BENCHMARK(BM_DecodeAndShowSameLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndShowRide(benchmark::State& state) {
  std::vector<zeda::MonitorBlock> frames;
  for (int i = 0; i < 120; ++i) frames.push_back(RideFrame(i));
  Run(state, frames, true, state.range(0) != 0);
}
BENCHMARK(BM_DecodeAndShowRide)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndShowSame(benchmark::State& state) {
  Run(state, {Frame(0)}, true, state.range(0) != 0);
}
BENCHMARK(BM_DecodeAndShowSame)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
