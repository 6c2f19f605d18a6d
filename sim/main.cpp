// zedasim: a simulated KESTRA2 ZEDA unit on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <string>

#include "sim_server.h"

namespace {

std::atomic<bool> stopRequested{false};

void OnSignal(int) { stopRequested.store(true); }

const char kUsage[] =
    "usage: zedasim [--protocol 1|2|3050|3100|3150|3300] [--baud N] [--key N] [--version N]\n"
    "               [--hwkey N] [--frame-size N] [--image FILE.bin] [--save FILE.bin]\n"
    "               [--no-reading] [--echo] [--noise P] [--drop P] [--realtime] [--seed N]\n"
    "               [--link PATH] [--engine stopped|idle|sweep|steady] [--rpm N]\n"
    "               [--unstable-reads N] [--bad-capture] [--capture sync|unsync]\n"
    "               [--short-answers] [--trace FILE] [--test-rig]\n"
    "               [--gear-voltage MV] [--gear-ratio TENTHS] [--inputs MASK]\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  zeda::sim::SimOptions options;
  std::string error;
  if (!zeda::sim::ParseSimOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "zedasim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  zeda::sim::SimServer server(options);
  if (!server.Open(error)) {
    std::fprintf(stderr, "zedasim: %s\n", error.c_str());
    return 1;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::printf("%s\n", server.SlavePath().c_str());
  std::fflush(stdout);
  server.Run(stopRequested);
  return 0;
}
