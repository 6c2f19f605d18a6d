// Processing and drawing one full pick-up capture (15000 bytes, 3750 samples, every sample
// a change): what the pickup monitor does with a capture between two ticks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "link/capture_record.h"
#include "pickup/capture_builder.h"
#include "pickup/pickup_core.h"
#include "pickup/pickup_scene.h"
#include "pickup/ui/tform_mon.h"

namespace {

std::vector<uint8_t> FullCapture() {
  zeda::test::CaptureBuilder b(0x00FF0000);
  const int samples = zeda::kCaptureMaxBytes / 4;
  const int perCycle = samples / 5;
  for (int i = 0; i < samples; ++i) {
    const uint32_t cycle = static_cast<uint32_t>(i / perCycle) & 3;
    uint32_t flags = cycle | ((i & 1) ? zeda::EV_PICKUP1 : 0) | ((i & 2) ? zeda::EV_PICKUP2 : 0);
    if (i % 50 == 0) flags |= zeda::EV_IGNITION1;
    b.Add(i == 0 ? 0 : 40, flags);
  }
  return b.Bytes();
}

void BM_ProcessCapture(benchmark::State& state) {
  const auto bytes = FullCapture();
  auto core = std::make_unique<zeda::PickupCore>(nullptr);
  for (auto _ : state) {
    core->FeedCapture(zeda::CAPTURE_SYNCHRONISED, 1, bytes.data(),
                      static_cast<int32_t>(bytes.size()));
    core->Process();
    benchmark::DoNotOptimize(core->Events().count);
  }
}
BENCHMARK(BM_ProcessCapture)->Unit(benchmark::kMillisecond);

void BM_ProcessAndDrawCapture(benchmark::State& state) {
  const auto bytes = FullCapture();
  auto core = std::make_unique<zeda::PickupCore>(nullptr);
  TFormMon form(*core);
  form.SetStartColours();
  form.resize(800, 600);
  for (auto _ : state) {
    core->FeedCapture(zeda::CAPTURE_SYNCHRONISED, 1, bytes.data(),
                      static_cast<int32_t>(bytes.size()));
    core->Process();
    form.Redraw();
    benchmark::DoNotOptimize(form.Picture().constBits());
  }
  state.counters["events"] = core->Events().count;
}
BENCHMARK(BM_ProcessAndDrawCapture)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
