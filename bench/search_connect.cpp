// Time from a unit's port appearing to "connected", for a unit on the first row of the
// search (IGN150) and on the last (IGN300). Reported in main ticks and in nominal ms
// (55 ms per tick) and link clock ms (50 ms per tick); the real time of a run follows
// the nominal pace, as a unit tells requests apart by the pauses between them.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "base/tick_clock.h"
#include "link/ccomcom.h"
#include "sim_server.h"

namespace {

constexpr int kRealMsPerRun = 90;  // two ticks

void ConnectTime(benchmark::State& state, const char* protocol) {
  double ticksSum = 0;
  double afterScanSum = 0;
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    zeda::setTickCount(100);
    setenv("ZEDA_PORTS_ONLY", "1", 1);
    setenv("ZEDA_PORTS", "", 1);
    auto link = std::make_unique<zeda::CCOMCOM>();
    for (int i = 0; i < 3; ++i) {  // the search runs with no port present
      zeda::advanceTick();
      zeda::advanceTick();
      link->SuperviseLink();
    }
    zeda::sim::SimOptions options;
    options.protocol = std::atoi(protocol);
    zeda::sim::SimServer server(options);
    std::string error;
    if (!server.Open(error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });
    state.ResumeTiming();

    // The port appears now.
    setenv("ZEDA_PORTS", ("COM7=" + server.slavePath()).c_str(), 1);
    const int32_t start = zeda::tickCount();
    int32_t seen = -1;  // tick at which the device list scan found the port
    int runs = 0;
    while (link->connectedPort.load() == 0 && runs < 1000) {
      zeda::advanceTick();
      zeda::advanceTick();
      link->SuperviseLink();
      if (seen < 0 && link->Port(7).present) seen = zeda::tickCount();
      std::this_thread::sleep_for(std::chrono::milliseconds(kRealMsPerRun));
      ++runs;
    }
    const int32_t ticks = zeda::tickCount() - start;

    state.PauseTiming();
    if (link->connectedPort.load() == 0) state.SkipWithError("not connected");
    link.reset();
    stop.store(true);
    serving.join();
    ticksSum += ticks;
    afterScanSum += zeda::tickCount() - seen;
    ++count;
    state.ResumeTiming();
  }
  if (count > 0) {
    const double ticks = ticksSum / count;
    state.counters["ticks"] = ticks;
    state.counters["nominal_ms"] = ticks * 55;
    state.counters["tickMs"] = ticks * zeda::kMsPerTick;
    // Without the wait for the next device list scan (at most once a second).
    state.counters["ticks_after_scan"] = afterScanSum / count;
  }
}

void BM_ConnectIgn150(benchmark::State& state) { ConnectTime(state, "3150"); }
void BM_ConnectIgn300(benchmark::State& state) { ConnectTime(state, "3300"); }

BENCHMARK(BM_ConnectIgn150)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConnectIgn300)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
