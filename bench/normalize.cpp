// NormalizeParams runs after every edit, read, load and before every transfer and save.
#include "params/normalize.h"

#include <benchmark/benchmark.h>

#include <random>

#include "params/defaults.h"

namespace {

void BM_NormalizeStartImage(benchmark::State& state) {
  const zeda::ParamImage start = zeda::StartImage();
  for (auto _ : state) {
    zeda::ParamImage img = start;
    zeda::NormalizeParams(img);
    benchmark::DoNotOptimize(img);
  }
}
BENCHMARK(BM_NormalizeStartImage);

void BM_NormalizeRandomImage(benchmark::State& state) {
  std::mt19937 rng(1);
  zeda::ParamImage raw;
  for (auto& b : raw.bytes) b = static_cast<uint8_t>(rng());
  for (auto _ : state) {
    zeda::ParamImage img = raw;
    zeda::NormalizeParams(img);
    benchmark::DoNotOptimize(img);
  }
}
BENCHMARK(BM_NormalizeRandomImage);

void BM_StartImage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(zeda::StartImage());
}
BENCHMARK(BM_StartImage);

}  // namespace

BENCHMARK_MAIN();
