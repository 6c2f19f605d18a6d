// Normalising a 50-point axis, and pasting a whole sheet in the private table format.
#include <benchmark/benchmark.h>

#include "mapedit/tab_model.h"

namespace {

zeda::CAxe FiftyPoints() {
  zeda::CAxe a;
  a.count = a.maxCount = 50;
  a.minValue = 0;
  a.maxValue = 10000;
  a.minGap = 5;
  for (int i = 0; i < 50; ++i) a.values[i] = 100 + 150 * i;
  zeda::NormaliseBreakpoints(a);
  return a;
}

// One breakpoint dragged across its neighbours and back (push and relax).
void BM_NormaliseDraggedBreakpoint(benchmark::State& state) {
  zeda::CAxe a = FiftyPoints();
  int step = 0;
  for (auto _ : state) {
    a.values[10] = (step++ & 1) ? 4000 : 1600;
    zeda::NormaliseBreakpoints(a);
    benchmark::DoNotOptimize(a.values.data());
  }
}
BENCHMARK(BM_NormaliseDraggedBreakpoint);

// All 50 breakpoints out of order (lastEdited forgotten).
void BM_NormaliseUnorderedAxis(benchmark::State& state) {
  zeda::CAxe a = FiftyPoints();
  for (auto _ : state) {
    for (int i = 0; i < 50; ++i) a.values[i] = (i * 7919) % 10000;
    a.lastEdited = zeda::kLastEditedNone;
    zeda::NormaliseBreakpoints(a);
    benchmark::DoNotOptimize(a.values.data());
  }
}
BENCHMARK(BM_NormaliseUnorderedAxis);

// Copy a full 50 x 30 sheet and paste it into another table of the same kind.
void BM_PasteWholeSheet(benchmark::State& state) {
  auto build = [](int id) {
    auto t = std::make_unique<zeda::TTab>(id, 0x71);
    t->AddSheet("Map", "RPM", "TP", "ADV", 50, 30, 0);
    t->DefineAxis(0, 1, "RPM", "", 0, 250, 100, 1, {}, true, 1, 1, 50, 1, false, true, -1, 0, 0);
    t->DefineAxis(0, 2, "TP", "%", 0, 100, 1, 1, {}, true, 1, 1, 30, 1, false, true, -1, 0, 0);
    t->DefineAxis(0, 4, "ADV", "", -300, 600, 0.1, 1, {}, true, 2, 1, 0, 0, false, false, -1, 0, 0);
    zeda::CSheet& s = t->Sheet(0);
    for (int i = 0; i < 50; ++i) s.axisX.values[i] = 5 + 4 * i;
    for (int i = 0; i < 30; ++i) s.axisY.values[i] = 3 * i;
    for (int r = 0; r < 30; ++r)
      for (int c = 0; c < 50; ++c) s.Cell(c, r) = (c * 37 + r * 11) % 900 - 300;
    t->Normalise(0, 7 | 0x100);
    t->SelectSheet(0);
    return t;
  };
  auto from = build(1);
  auto to = build(2);
  std::string text, sheet;
  from->CopyTableTexts(text, sheet);
  state.counters["bytes"] = static_cast<double>(sheet.size());
  for (auto _ : state) {
    bool ok = to->PasteTable(sheet);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_PasteWholeSheet);

}  // namespace

BENCHMARK_MAIN();
