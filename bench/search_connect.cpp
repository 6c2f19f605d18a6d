// Time from a unit's port appearing to "connected", for a unit on the first row of the
// search (IGN150) and on the last (IGN300): the first connection on a device, and a known
// one (the row that connected before is remembered in application.ini and probed first). Reported
// in main ticks and in nominal ms (55 ms per tick) and link clock ms (50 ms per tick); the real
// time of a run follows the nominal pace, as a unit tells requests apart by the pauses between
// them.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "base/tick_clock.h"
#include "link/ccomcom.h"
#include "sim_server.h"

namespace {

constexpr int kRealMsPerRun = 90;  // two ticks

// Runs the search until the unit is connected, or 1000 runs. The port appears (in the
// device list) at the start; returns the ticks taken and, in seen, the tick at which the
// scan found it.
int32_t ConnectOnce(zeda::CCOMCOM& link, const std::string& slave, int32_t* seen) {
  setenv("ZEDA_PORTS", ("COM7=" + slave).c_str(), 1);
  const int32_t start = zeda::tickCount();
  *seen = -1;
  int runs = 0;
  while (link.connectedPort.load() == 0 && runs < 1000) {
    zeda::AdvanceTick();
    zeda::AdvanceTick();
    link.SuperviseLink();
    if (*seen < 0 && link.Port(7).present) *seen = zeda::tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(kRealMsPerRun));
    ++runs;
  }
  return zeda::tickCount() - start;
}

// A link whose search has run a few times with no port present.
std::unique_ptr<zeda::CCOMCOM> IdleLink(const std::string& knownIni) {
  setenv("ZEDA_PORTS", "", 1);
  auto link = std::make_unique<zeda::CCOMCOM>();
  link->knownPortsIni = knownIni;
  for (int i = 0; i < 3; ++i) {
    zeda::AdvanceTick();
    zeda::AdvanceTick();
    link->SuperviseLink();
  }
  return link;
}

void ConnectTime(benchmark::State& state, const char* protocol, bool known) {
  double ticksSum = 0;
  double afterScanSum = 0;
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    zeda::SetTickCount(100);
    setenv("ZEDA_PORTS_ONLY", "1", 1);
    setenv("ZEDA_PORTS", "", 1);
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
    char iniName[] = "/tmp/zeda-bench-known-XXXXXX";
    const int iniFd = mkstemp(iniName);
    if (iniFd >= 0) close(iniFd);
    const std::string ini = known ? iniName : "";
    int32_t seen = -1;  // tick at which the device list scan found the port
    if (known) {
      // The first connection remembers the row; the one measured is the next.
      auto first = IdleLink(ini);
      ConnectOnce(*first, server.SlavePath(), &seen);
      first.reset();
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    auto link = IdleLink(ini);
    state.ResumeTiming();

    const int32_t ticks = ConnectOnce(*link, server.SlavePath(), &seen);

    state.PauseTiming();
    if (link->connectedPort.load() == 0) state.SkipWithError("not connected");
    link.reset();
    stop.store(true);
    serving.join();
    std::remove(iniName);
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

void BM_ConnectIgn150(benchmark::State& state) { ConnectTime(state, "3150", false); }
void BM_ConnectIgn300(benchmark::State& state) { ConnectTime(state, "3300", false); }
void BM_ConnectKnownIgn150(benchmark::State& state) { ConnectTime(state, "3150", true); }
void BM_ConnectKnownIgn300(benchmark::State& state) { ConnectTime(state, "3300", true); }

BENCHMARK(BM_ConnectIgn150)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConnectIgn300)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConnectKnownIgn150)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConnectKnownIgn300)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
