#include "sim_server.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace zeda::sim {

namespace {

int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

SimServer::SimServer(const SimOptions& options)
    : options_(options), unit_(options), baud_(EffectiveBaud(options)), startNs_(SteadyNs()) {}

int64_t SimServer::NowMs() const { return (SteadyNs() - startNs_) / 1000000; }

bool SimServer::Open(std::string& error) {
  if (!options_.imagePath.empty() && !unit_.LoadImage(options_.imagePath, error)) return false;
  if (!pty_.Open(error)) return false;
  if (!options_.linkPath.empty() && !pty_.MakeLink(options_.linkPath, error)) {
    pty_.Close();
    return false;
  }
  return true;
}

void SimServer::WriteDue() {
  if (output_.empty()) return;
  size_t due = output_.size();
  if (options_.realtime) {
    // Ten bits per byte at the line speed, counted from the start of the burst so that
    // the pace does not drift with the loop's own timing.
    const double nowMs = static_cast<double>(SteadyNs() - startNs_) / 1e6;
    const double byteMs = 10000.0 / baud_;
    const double allowed = std::floor((nowMs - burstStartMs_) / byteMs) + 1;
    if (allowed <= static_cast<double>(burstSent_)) return;
    due = std::min(due, static_cast<size_t>(allowed) - burstSent_);
  }
  uint8_t chunk[4096];
  due = std::min(due, sizeof chunk);
  std::copy(output_.begin(), output_.begin() + static_cast<long>(due), chunk);
  const ssize_t n = write(pty_.Master(), chunk, due);
  if (n > 0) {
    output_.erase(output_.begin(), output_.begin() + n);
    burstSent_ += static_cast<size_t>(n);
  }
}

void SimServer::Run(const std::atomic<bool>& stop) {
  std::vector<uint8_t> answers;
  answers.reserve(20000);
  uint8_t buffer[4096];
  while (!stop.load(std::memory_order_acquire)) {
    const int64_t now = NowMs();
    int timeout = 20;
    if (!output_.empty()) timeout = options_.realtime ? 1 : 5;
    pollfd p{pty_.Master(),
             static_cast<short>(POLLIN | (output_.empty() || options_.realtime ? 0 : POLLOUT)), 0};
    const int ready = poll(&p, 1, timeout);
    if (ready < 0 && errno != EINTR) break;
    if (ready == 0) unit_.LineIdle(NowMs());
    if (ready > 0 && (p.revents & POLLIN)) {
      const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
      if (n > 0) {
        // The unit only understands the line at its own speed.
        const int32_t lineBaud = pty_.SlaveBaud();
        if (lineBaud == 0 || lineBaud == baud_) {
          answers.clear();
          unit_.Receive(buffer, static_cast<size_t>(n), NowMs(), answers);
          if (output_.empty() && !answers.empty()) {
            burstStartMs_ = static_cast<double>(SteadyNs() - startNs_) / 1e6;
            burstSent_ = 0;
          }
          output_.insert(output_.end(), answers.begin(), answers.end());
        } else {
          unit_.ResetReceiver();
        }
      } else if (n < 0 && errno == EIO) {
        // No one has the slave open: drop what was in flight and wait for the next open.
        unit_.ResetReceiver();
        output_.clear();
        usleep(10000);
      }
    } else if (ready > 0 && (p.revents & POLLHUP)) {
      unit_.ResetReceiver();
      output_.clear();
      usleep(10000);
    }
    WriteDue();
    unit_.Idle(now);
    const std::string saveError = unit_.TakeSaveError();
    if (!saveError.empty()) std::fprintf(stderr, "zedasim: %s\n", saveError.c_str());
  }
  pty_.Close();
}

}  // namespace zeda::sim
