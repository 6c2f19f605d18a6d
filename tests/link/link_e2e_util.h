#pragma once
// End-to-end helpers: simulated units on their own ptys registered through ZEDA_PORTS (the
// zedasim program, or its server run in-process where a test reads the unit afterwards),
// a link object driven tick by tick, its status messages and its trace.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/status_sink.h"
#include "base/tick_clock.h"
#include "base/trace.h"
#include "link/ccomcom.h"
#include "sim_process.h"
#include "sim_server.h"
#include "support/sim_args.h"

namespace zeda::test {

// One simulated unit serving its pty in a thread until stopped.
class SimUnitThread {
 public:
  explicit SimUnitThread(const std::vector<std::string>& args) {
    sim::SimOptions options;
    if (!ParseSimArgs(args, options, error)) return;
    server_ = std::make_unique<sim::SimServer>(options);
    if (!server_->Open(error)) {
      server_.reset();
      return;
    }
    thread_ = std::thread([this] { server_->Run(stop_); });
  }
  ~SimUnitThread() { Stop(); }
  bool Ok() const { return server_ != nullptr; }
  std::string Path() const { return server_ ? server_->SlavePath() : std::string(); }
  // Stops serving; afterwards unit() may be read.
  void Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  const sim::SimUnit& Unit() const { return server_->Unit(); }

  std::string error;

 private:
  std::unique_ptr<sim::SimServer> server_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The zedasim program serving one unit on its pty.
class SimUnitProcess {
 public:
  explicit SimUnitProcess(const std::vector<std::string>& args) {
    started_ = sim_.Start(args, error);
  }
  bool Ok() const { return started_; }
  std::string Path() const { return sim_.Path(); }
  std::string error;

 private:
  SimProcess sim_;
  bool started_ = false;
};

struct StatusRecord {
  int slot;
  std::string text;
  int durationMs;
  uint32_t font, back;
  int priority;
};

// Main thread only: the search calls it from SuperviseLink.
class StatusRecorder : public StatusSink {
 public:
  void ShowStatus(int slot, const char* text, int durationMs, uint32_t font, uint32_t back,
                  int priority) override {
    records.push_back({slot, text, durationMs, font, back, priority});
  }
  std::vector<StatusRecord> records;
};

// Sends the link trace to a private file for the test's lifetime.
class TraceFile {
 public:
  TraceFile() {
    char name[] = "/tmp/zeda-e2e-trace-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    path_ = name;
    LinkTraceSink().Open(path_);
  }
  ~TraceFile() {
    LinkTraceSink().Close();
    if (std::getenv("ZEDA_KEEP_TRACE") == nullptr) std::remove(path_.c_str());
  }
  // The trace texts so far, without time stamps.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::FILE* f = std::fopen(path_.c_str(), "r");
    char line[4096];
    while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr) {
      std::string l(line);
      if (!l.empty() && l.back() == '\n') l.pop_back();
      const size_t at = l.find(") ");
      if (l.rfind("[", 0) == 0) {
        lines.push_back(l);  // port I/O lines: "[7:TMR=...]OPEN COM7 (...)"
      } else if (at != std::string::npos) {
        lines.push_back(l.substr(at + 2));
      }
    }
    if (f != nullptr) std::fclose(f);
    return lines;
  }
  // Index of the first line (from `from`) containing `text`, or -1.
  int Find(const std::string& text, int from = 0) const {
    const auto lines = Lines();
    for (int i = from; i < static_cast<int>(lines.size()); ++i) {
      if (lines[static_cast<size_t>(i)].find(text) != std::string::npos) return i;
    }
    return -1;
  }

 private:
  std::string path_;
};

// Registers the units' ptys as COM ports ("COM1=/dev/pts/5;...") for the next scans.
inline void RegisterPorts(const std::vector<std::pair<int, std::string>>& ports) {
  std::string text;
  for (const auto& [com, path] : ports) {
    if (!text.empty()) text += ";";
    text += "COM" + std::to_string(com) + "=" + path;
  }
  setenv("ZEDA_PORTS", text.c_str(), 1);
  setenv("ZEDA_PORTS_ONLY", "1", 1);
}

// One run of the device machine: two ticks of the main timer, then the supervision. The
// real pause lets the port threads and the units work; it stays near the nominal 110 ms,
// as a unit tells requests apart by the pauses between them.
inline constexpr int kRunRealMs = 90;
inline void RunOnce(CCOMCOM& link, int realMs = kRunRealMs) {
  AdvanceTick();
  AdvanceTick();
  link.SuperviseLink();
  std::this_thread::sleep_for(std::chrono::milliseconds(realMs));
}

// Runs until `done` holds or `maxRuns` runs have passed; the runs used, or -1.
template <typename F>
int RunUntil(CCOMCOM& link, F done, int maxRuns, int realMs = kRunRealMs) {
  for (int i = 0; i < maxRuns; ++i) {
    if (done()) return i;
    RunOnce(link, realMs);
  }
  return done() ? maxRuns : -1;
}

}  // namespace zeda::test
