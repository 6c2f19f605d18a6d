// zedactl read against zedasim --realtime on IGN150 (57600 baud): the time of the whole
// command (search, check, read) against the wire time of the frames it exchanges, 10 bits
// per byte. Counter "ratio" is the figure to watch (target at most 1.5).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

extern char** environ;

namespace {

constexpr double kBaud = 57600.0;
constexpr int kFrameBytes = 152;  // IGN150: code, 150 data bytes, check; the answer the same

// Starts zedasim and reads the pty path from its first line.
std::string StartSim(pid_t* pid) {
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char a0[] = ZEDA_SIM_PATH, a1[] = "--realtime", a2[] = "--protocol", a3[] = "3150";
  char* argv[] = {a0, a1, a2, a3, nullptr};
  const int rc = posix_spawn(pid, ZEDA_SIM_PATH, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string path;
  char c;
  while (rc == 0 && read(out[0], &c, 1) == 1 && c != '\n') path += c;
  close(out[0]);
  return rc == 0 ? path : std::string();
}

int CountFrames(const std::string& trace) {
  std::ifstream f(trace);
  std::string line;
  int frames = 0;
  while (std::getline(f, line)) {
    if (line.find("Frame send [") != std::string::npos) ++frames;
  }
  return frames;
}

void BM_ZedactlReadRealtime(benchmark::State& state) {
  pid_t sim = -1;
  const std::string path = StartSim(&sim);
  if (path.empty()) {
    state.SkipWithError("zedasim did not start");
    return;
  }
  char dir[] = "/tmp/zeda-bench-read-XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string trace = std::string(dir) + "/trace.txt";
  double elapsed = 0, wire = 0;
  int frames = 0;
  for (auto _ : state) {
    std::remove(trace.c_str());
    const std::string cmd = "ZEDA_PORTS_ONLY=1 ZEDA_TRACE='" + trace + "' '" + ZEDA_CTL_PATH +
                            "' read --port '" + path + "' --raw '" + dir +
                            "/unit.bin' >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(cmd.c_str());
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("zedactl read failed");
      break;
    }
    // Job frames, and the one identification exchange of the search that found the unit.
    frames = CountFrames(trace) + 1;
    wire = frames * 2.0 * kFrameBytes * 10.0 / kBaud;
    state.SetIterationTime(elapsed);
  }
  state.counters["elapsed_s"] = elapsed;
  state.counters["wire_s"] = wire;
  state.counters["frames"] = frames;
  state.counters["ratio"] = wire > 0 ? elapsed / wire : 0;
  std::remove(trace.c_str());
  std::remove((std::string(dir) + "/unit.bin").c_str());
  rmdir(dir);
  if (sim > 0) {
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
  }
}
BENCHMARK(BM_ZedactlReadRealtime)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
