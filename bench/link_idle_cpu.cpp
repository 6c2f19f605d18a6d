// CPU use of the link while idle: one port open on a pty with nothing arriving, the
// link up with no job (worker idle), the supervision running every 110 ms as the main
// tick does. Reports the process's CPU time as a percentage of one core over 10 s.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "base/tick_clock.h"
#include "link/ccomcom.h"

namespace {

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_LinkIdleCpu(benchmark::State& state) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  grantpt(master);
  unlockpt(master);
  const std::string slave = ptsname(master);
  setenv("ZEDA_PORTS", ("COM7=" + slave).c_str(), 1);
  setenv("ZEDA_PORTS_ONLY", "1", 1);  // never touch the machine's own serial devices
  zeda::SetTickCount(1000);

  auto link = std::make_unique<zeda::CCOMCOM>();
  auto tick = [&] {
    zeda::AdvanceTick();
    zeda::AdvanceTick();
    link->SuperviseLink();
    std::this_thread::sleep_for(std::chrono::milliseconds(110));
  };
  link->OpenPort(7, 57600);
  for (int i = 0; i < 50 && !link->Port(7).IsOpen(); ++i) tick();
  if (!link->Port(7).IsOpen()) {
    state.SkipWithError("port did not open");
    return;
  }
  zeda::LinkSlot slot;
  slot.port = 7;
  slot.frameSize = 152;
  slot.overhead = 2;
  slot.codec.ResetCodec(zeda::PROTOCOL_IGN150, 175);
  if (!link->ConnectLink(slot)) {
    state.SkipWithError("link did not come up");
    return;
  }
  tick();

  const double seconds = static_cast<double>(state.range(0));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
      tick();
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = ProcessCpuSeconds() - cpuStart;
    state.SetIterationTime(wall);
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["link_ready"] = link->LinkState() == zeda::LINK_READY ? 1 : 0;
  }
  link.reset();
  close(master);
}

BENCHMARK(BM_LinkIdleCpu)->Arg(10)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
