// Drawing the table control offscreen: one 3D render of a 15 x 10 advance map at the finest
// grain, and one repaint of a 50 x 30 grid with every cell shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "mapedit/table_factories.h"
#include "mapedit/ui/tab_widget.h"

namespace {

void FillSurface(zeda::TTab& t) {
  for (int sh = 0; sh < t.sheetCount; ++sh) {
    zeda::CSheet& s = t.Sheet(sh);
    for (int i = 0; i < s.axisX.count; ++i) s.axisX.values[i] = 10 + 7 * i;
    for (int r = 0; r < s.CellRows(); ++r)
      for (int c = 0; c < s.CellCols(); ++c) s.Cell(c, r) = (c * 5 + r * 3) % 60 - 20;
    t.Normalise(sh, zeda::kPartAll | zeda::kForgetLastEdited);
  }
  t.SelectSheet(0);
}

void BM_Render3DGrain3(benchmark::State& state) {
  zeda::TTableSet set;
  zeda::TTab* t = zeda::CreateAdvanceMap(set, 1, {}, 760, 420);
  FillSurface(*t);
  zeda::TTabWidget w(*t);
  w.resize(760, 420);
  w.SetViewMode(zeda::kView3D);
  w.graph.colourMode = 5;  // height colours, grain 3
  QImage img(760, 420, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter p(&img);
    w.Paint(p);
  }
}
BENCHMARK(BM_Render3DGrain3)->Unit(benchmark::kMillisecond);

void BM_RepaintGrid50x30(benchmark::State& state) {
  zeda::TTableSet set;
  zeda::TTab* t = set.CreateTable(1, 2400, 1000, 0x71);
  t->AddSheet("Sheet", "RPM", "TP", "ADV", 50, 30, 0x001);
  t->DefineAxis(0, 1, "RPM", "", 3, 1000, 100, 1, {}, true, 1, 1, 50, 0, false, true, -1, 0, 0);
  t->DefineAxis(0, 2, "TP", "%", 0, 100, 1, 1, {}, true, 1, 1, 30, 1, false, true, -2, 0, 0);
  t->DefineAxis(0, 4, "ADV", "", -30, 60, 1, 1, {}, true, 2, 1, 0, 0, false, false, -1, 0, 0);
  t->visibleCols = 50;
  t->visibleRows = 30;
  FillSurface(*t);
  zeda::TTabWidget w(*t);
  w.resize(2400, 1000);
  w.SetViewMode(zeda::kViewTable);
  t->SelectItem(10, 10);
  QImage img(2400, 1000, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter p(&img);
    w.Paint(p);
  }
}
BENCHMARK(BM_RepaintGrid50x30)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
