// Decoding one monitor answer into the display model (every label's text, colour, enable
// and visibility, the live values), and writing its CSV line. The window's share of a
// refresh on top of this is measured by bench_monitor_show.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "monitor/csv_output.h"
#include "monitor/monitor_display.h"

namespace {

zeda::MonitorBlock Frame(int i) {
  zeda::MonitorBlock b;
  for (int p = 1; p < zeda::kMonitorPositions; ++p)
    b.pos[static_cast<std::size_t>(p)] = static_cast<uint8_t>(p * 7 + i * 13);
  return b;
}

void BM_EvaluateMonitor(benchmark::State& state) {
  const zeda::MonitorBlock frames[2] = {Frame(0), Frame(1)};
  zeda::MonitorParams params;
  zeda::MonitorMemory memory;
  zeda::LiveValues values;
  zeda::MonitorView view;
  int i = 0;
  for (auto _ : state) {
    zeda::MonitorBlock b = frames[i++ & 1];
    zeda::EvaluateMonitor(b, true, params, memory, values, view);
    benchmark::DoNotOptimize(view);
  }
}
BENCHMARK(BM_EvaluateMonitor);

void BM_CsvDataLine(benchmark::State& state) {
  const zeda::MonitorBlock b = Frame(0);
  for (auto _ : state) benchmark::DoNotOptimize(zeda::CsvDataLine(b, {12, 0, 0, 0}));
}
BENCHMARK(BM_CsvDataLine);

}  // namespace

BENCHMARK_MAIN();
