#pragma once
// Runs the zedasim program for a test and opens its pty like the port layer does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zeda::test {

class SimProcess {
 public:
  SimProcess() = default;
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;
  ~SimProcess() { Stop(); }

  // Starts zedasim with the arguments and reads the slave path from its first line.
  bool Start(const std::vector<std::string>& args, std::string& error) {
    int out[2];
    if (pipe(out) != 0) {
      error = "pipe";
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> all = {ZEDA_SIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, ZEDA_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      close(out[0]);
      error = "cannot start zedasim";
      pid_ = -1;
      return false;
    }
    // The first line is the slave path; allow a slow machine plenty of time.
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{out[0], POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      const ssize_t n = read(out[0], &c, 1);
      if (n <= 0) break;
      if (c == '\n') break;
      line += c;
    }
    close(out[0]);
    if (line.empty()) {
      error = "zedasim printed no path";
      return false;
    }
    path_ = line;
    return true;
  }

  const std::string& Path() const { return path_; }
  int Pid() const { return pid_; }

  // Opens the slave raw at a line speed, non-blocking, like the port layer.
  int OpenSlave(speed_t speed) {
    const int fd = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    tcsetattr(fd, TCSANOW, &t);
    tcflush(fd, TCIOFLUSH);
    return fd;
  }

  // SIGTERM and wait; returns the exit status (or -1).
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = -1;
    for (int i = 0; i < 500; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return status;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
  }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

}  // namespace zeda::test
