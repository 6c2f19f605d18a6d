// Decoding and showing one monitor answer on the user-interface thread: the display model
// evaluated and copied into a window holding every monitor label and gauge (offscreen).
// Alternating frames, so every refresh changes texts and colours. Target: under 1 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "monitor/monitor_display.h"
#include "monitor/ui/monitor_view_applier.h"

namespace {

zeda::MonitorBlock Frame(int i) {
  zeda::MonitorBlock b;
  for (int p = 1; p < zeda::kMonitorPositions; ++p)
    b.pos[static_cast<std::size_t>(p)] = static_cast<uint8_t>(p * 7 + i * 13);
  return b;
}

void BM_DecodeAndShow(benchmark::State& state) {
  QWidget window;
  auto* grid = new QGridLayout(&window);
  for (int i = 0; i < zeda::kMonLabelCount; ++i) {
    auto* l = new QLabel(&window);
    l->setObjectName(QString::fromLatin1(zeda::kMonitorLabelNames[i]));
    l->setFixedSize(240, 18);  // as the window lays them out: text changes move nothing
    grid->addWidget(l, i / 4, i % 4);
  }
  for (int i = 0; i < zeda::kMonGaugeCount; ++i) {
    auto* g = new QProgressBar(&window);
    g->setObjectName(QString::fromLatin1(zeda::kMonitorGaugeNames[i]));
    grid->addWidget(g, 30 + i, 0);
  }
  window.show();
  MonitorViewApplier applier(&window);
  const zeda::MonitorBlock frames[2] = {Frame(0), Frame(1)};
  zeda::MonitorParams params;
  zeda::MonitorMemory memory;
  zeda::LiveValues values;
  zeda::MonitorView view;
  int i = 0;
  for (auto _ : state) {
    zeda::MonitorBlock b = frames[i++ & 1];
    zeda::EvaluateMonitor(b, true, params, memory, values, view);
    applier.Apply(view);
    // The layout and paint work the changes cause, as the event loop would run it.
    if (state.range(0)) QCoreApplication::processEvents();
  }
}
// 0: decoding and the copy into the controls; 1: with the layout and painting it causes.
BENCHMARK(BM_DecodeAndShow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
