#pragma once
// Serves a SimUnit over a pseudo-terminal until asked to stop.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "pty.h"
#include "sim_unit.h"

namespace zeda::sim {

class SimServer {
 public:
  explicit SimServer(const SimOptions& options);

  // Loads --image, creates the pty and --link. False with a message.
  bool Open(std::string& error);
  const std::string& SlavePath() const { return pty_.SlavePath(); }

  // Serves until `stop` becomes true; then closes the pty. Runs in one thread.
  void Run(const std::atomic<bool>& stop);

  // For in-process tests, after Run has returned.
  const SimUnit& Unit() const { return unit_; }

 private:
  int64_t NowMs() const;
  void WriteDue();

  SimOptions options_;
  SimUnit unit_;
  Pty pty_;
  int32_t baud_;
  std::deque<uint8_t> output_;
  double burstStartMs_ = 0;  // --realtime: when the answers now queued began to go out
  size_t burstSent_ = 0;     // and how many of their bytes are out
  int64_t startNs_ = 0;
};

}  // namespace zeda::sim
