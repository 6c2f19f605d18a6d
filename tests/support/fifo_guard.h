#pragma once
// A named pipe for tests of code that must refuse one at once. Should the code under test
// block on it anyway, the guard opens the writing end after a few seconds and closes it
// again, so that the test fails on its timing instead of hanging.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace zeda::testing {

class FifoGuard {
 public:
  static constexpr std::chrono::seconds kRescueAfter{3};

  explicit FifoGuard(std::string path) : path_(std::move(path)) {
    ok_ = mkfifo(path_.c_str(), 0666) == 0;
    rescuer_ = std::thread([this] {
      const auto start = std::chrono::steady_clock::now();
      while (!done_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (std::chrono::steady_clock::now() - start < kRescueAfter) continue;
        // Succeeds only while someone has the pipe open for reading.
        int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
      }
    });
  }
  ~FifoGuard() {
    done_ = true;
    rescuer_.join();
    unlink(path_.c_str());
  }
  FifoGuard(const FifoGuard&) = delete;
  FifoGuard& operator=(const FifoGuard&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool ok_ = false;
  std::atomic<bool> done_{false};
  std::thread rescuer_;
};

// Runs fn and returns how long it took.
template <typename Fn>
std::chrono::milliseconds Timed(Fn&& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

// Refused "at once": well below the guard's rescue time.
inline constexpr std::chrono::milliseconds kAtOnce{1500};

}  // namespace zeda::testing
