#include "pty.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zeda::sim {

int32_t BaudOfSpeed(unsigned speed) {
  static const struct {
    speed_t code;
    int32_t baud;
  } kSpeeds[] = {{B1200, 1200},     {B2400, 2400},     {B4800, 4800},    {B9600, 9600},
                 {B19200, 19200},   {B38400, 38400},   {B57600, 57600},  {B115200, 115200},
                 {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
  for (const auto& s : kSpeeds) {
    if (s.code == speed) return s.baud;
  }
  return 0;
}

Pty::~Pty() { Close(); }

bool Pty::Open(std::string& error) {
  Close();
  const int fd = posix_openpt(O_RDWR | O_NOCTTY);
  if (fd < 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  char name[128];
  if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
    error = std::string("cannot prepare the pseudo-terminal: ") + std::strerror(errno);
    close(fd);
    return false;
  }
  const int flags = fcntl(fd, F_GETFL);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  master_ = fd;
  slavePath_ = name;
  return true;
}

bool Pty::MakeLink(const std::string& path, std::string& error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      error = path + " exists and is not a symbolic link; left alone";
      return false;
    }
    unlink(path.c_str());
  }
  if (symlink(slavePath_.c_str(), path.c_str()) != 0) {
    error = "cannot link " + path + ": " + std::strerror(errno);
    return false;
  }
  linkPath_ = path;
  return true;
}

void Pty::Close() {
  if (!linkPath_.empty()) {
    // Only remove the link when it still points at this pty.
    char target[256];
    const ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0) {
      target[n] = '\0';
      if (slavePath_ == target) unlink(linkPath_.c_str());
    }
    linkPath_.clear();
  }
  if (master_ >= 0) {
    close(master_);
    master_ = -1;
  }
}

int32_t Pty::SlaveBaud() const {
  if (master_ < 0) return 0;
  termios t{};
  if (tcgetattr(master_, &t) != 0) return 0;
  return BaudOfSpeed(cfgetospeed(&t));
}

}  // namespace zeda::sim
