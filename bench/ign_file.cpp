// Save and open of a parameter file: the writer, the two-pass load, and default.ini.
#include <benchmark/benchmark.h>

#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/settings.h"

namespace {

void BM_FormatIgnFile(benchmark::State& state) {
  const zeda::ParamImage img = zeda::StartImage();
  for (auto _ : state) {
    std::string text = zeda::FormatIgnFile(img);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_FormatIgnFile);

void BM_LoadIgnText(benchmark::State& state) {
  const std::string text = zeda::FormatIgnFile(zeda::StartImage());
  for (auto _ : state) {
    zeda::ImageBuffers buf;
    auto r = zeda::LoadIgnText(buf, text, -1, false);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadIgnText);

void BM_DefaultIniRoundTrip(benchmark::State& state) {
  const zeda::ParamImage img = zeda::StartImage();
  zeda::ParamImage back;
  for (auto _ : state) {
    std::string text = zeda::FormatDefaultIni(img.bytes);
    benchmark::DoNotOptimize(zeda::ParseDefaultIni(text, back.bytes));
  }
}
BENCHMARK(BM_DefaultIniRoundTrip);

}  // namespace

BENCHMARK_MAIN();
