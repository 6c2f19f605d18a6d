#pragma once
// Helpers for port tests: a pseudo-terminal whose slave the program opens through a
// ZEDA_PORTS entry (a symlink in a private folder), and waiting with a deadline.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zeda::test {

// Polls `done` until it holds or `seconds` pass (generous: the machine may be loaded).
inline bool WaitUntil(const std::function<bool()>& done, double seconds = 5.0) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

class Pty {
 public:
  Pty() { Open(); }
  ~Pty() { Close(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  void Open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) return;
    ::grantpt(master_);
    ::unlockpt(master_);
    slave_ = ::ptsname(master_);
    // Keep the master side raw too: bytes pass unchanged in both directions.
    termios tio{};
    if (::tcgetattr(master_, &tio) == 0) {
      ::cfmakeraw(&tio);
      ::tcsetattr(master_, TCSANOW, &tio);
    }
  }
  void Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  bool Ok() const { return master_ >= 0; }
  int Master() const { return master_; }
  const std::string& Slave() const { return slave_; }

  void Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 10);
      }
    }
  }
  // Reads whatever the program wrote, waiting up to timeoutMs for the first byte.
  std::vector<uint8_t> Read(int timeoutMs = 0) {
    std::vector<uint8_t> out;
    pollfd p{master_, POLLIN, 0};
    if (timeoutMs > 0) ::poll(&p, 1, timeoutMs);
    uint8_t buf[1024];
    for (;;) {
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }
  // Reads until `count` bytes came or the deadline passed.
  std::vector<uint8_t> ReadCount(size_t count, double seconds = 5.0) {
    std::vector<uint8_t> out;
    WaitUntil(
        [&] {
          const std::vector<uint8_t> part = Read(5);
          out.insert(out.end(), part.begin(), part.end());
          return out.size() >= count;
        },
        seconds);
    return out;
  }
  // The speed the program set on the slave, as seen from the master.
  speed_t Speed() const {
    termios tio{};
    ::tcgetattr(master_, &tio);
    return ::cfgetospeed(&tio);
  }

 private:
  int master_ = -1;
  std::string slave_;
};

// A private folder with symlinks "COM<n>" to pty slaves, published through ZEDA_PORTS.
class PortFolder {
 public:
  PortFolder() {
    char tmpl[] = "/tmp/zeda-link-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  ~PortFolder() {
    ::unsetenv("ZEDA_PORTS");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string PathOf(int com) const { return dir_ + "/COM" + std::to_string(com); }
  void Link(int com, const std::string& target) {
    std::error_code ec;
    std::filesystem::remove(PathOf(com), ec);
    std::filesystem::create_symlink(target, PathOf(com), ec);
  }
  void Unlink(int com) {
    std::error_code ec;
    std::filesystem::remove(PathOf(com), ec);
  }
  // Publishes the given numbers (present or not) in ZEDA_PORTS.
  void Publish(const std::vector<int>& coms) {
    std::string text;
    for (int com : coms) {
      if (!text.empty()) text += ";";
      text += "COM" + std::to_string(com) + "=" + PathOf(com);
    }
    ::setenv("ZEDA_PORTS", text.c_str(), 1);
    ::setenv("ZEDA_PORTS_ONLY", "1", 1);
  }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace zeda::test
