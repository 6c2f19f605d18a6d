// SerialDevice on POSIX termios; used for real serial devices and pseudo-terminals.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "link/serial_device.h"

namespace zeda {

namespace {

struct SpeedRow {
  int32_t baud;
  speed_t speed;
};

constexpr SpeedRow kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedOf(int32_t baud, speed_t* speed) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.baud == baud) {
      *speed = row.speed;
      return true;
    }
  }
  return false;
}

int ElapsedMs(std::chrono::steady_clock::time_point since) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - since)
                              .count());
}

class PosixSerialDevice final : public SerialDevice {
 public:
  ~PosixSerialDevice() override { Close(); }

  bool Open(const char* path, int32_t baud) override {
    Close();
    lastErrno_ = 0;
    speed_t speed{};
    if (!SpeedOf(baud, &speed)) return Fail(EINVAL, -1);
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(errno, -1);
    // TIOCEXCL keeps other (non-root) programs out; root ignores it, so an advisory
    // lock on the device node keeps two instances of this program apart as well.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      return Fail(errno == EWOULDBLOCK ? EBUSY : errno, fd);
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return Fail(errno, fd);
    // What the device was set to before; put back at close, so a line that served
    // something else (a terminal, a console) is left as it was found.
    saved_ = tio;
    if (::ioctl(fd, TIOCEXCL) != 0) return Fail(errno, fd);
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0) {
      const int err = errno;
      ::tcsetattr(fd, TCSANOW, &saved_);
      return Fail(err, fd);
    }
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return true;
  }

  bool IsOpen() const override { return fd_ >= 0; }
  int LastErrno() const override { return lastErrno_; }

  int32_t Waiting() override {
    if (fd_ < 0) return -1;
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) return -1;
    return count;
  }

  int32_t Read(uint8_t* data, int32_t max) override {
    if (fd_ < 0) return -1;
    if (max <= 0) return 0;
    const ssize_t n = ::read(fd_, data, static_cast<size_t>(max));
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno == EAGAIN || errno == EINTR) return 0;
    return -1;
  }

  int32_t Write(const uint8_t* data, int32_t count, int timeoutMs) override {
    if (fd_ < 0) return -1;
    const auto start = std::chrono::steady_clock::now();
    int32_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(count - done));
      if (n > 0) {
        done += static_cast<int32_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
      const int left = timeoutMs - ElapsedMs(start);
      if (left <= 0) break;
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, left) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return -1;
    }
    return done;
  }

  void Purge() override {
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
  }

  void Close() override {
    if (fd_ < 0) return;
    ::tcsetattr(fd_, TCSANOW, &saved_);
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }

  SerialWaitResult Wait(int wakeFd, bool wantInput, int timeoutMs) override {
    SerialWaitResult result;
    pollfd p[2];
    nfds_t count = 0;
    int devIndex = -1;
    int wakeIndex = -1;
    if (fd_ >= 0) {
      devIndex = static_cast<int>(count);
      p[count++] = pollfd{fd_, static_cast<short>(wantInput ? POLLIN : 0), 0};
    }
    if (wakeFd >= 0) {
      wakeIndex = static_cast<int>(count);
      p[count++] = pollfd{wakeFd, POLLIN, 0};
    }
    if (::poll(p, count, timeoutMs) <= 0) return result;
    if (devIndex >= 0) {
      const short ev = p[devIndex].revents;
      result.readable = (ev & POLLIN) != 0;
      result.hangup = (ev & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
    if (wakeIndex >= 0 && (p[wakeIndex].revents & POLLIN)) {
      eventfd_t value = 0;
      ::eventfd_read(wakeFd, &value);
      result.woken = true;
    }
    return result;
  }

 private:
  bool Fail(int err, int fd) {
    lastErrno_ = err;
    if (fd >= 0) ::close(fd);
    return false;
  }

  int fd_ = -1;
  int lastErrno_ = 0;
  termios saved_{};
};

}  // namespace

SerialOpenError ClassifyOpenErrno(int err) {
  switch (err) {
    case 0:
      return SerialOpenError::None;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return SerialOpenError::NotFound;
    case EACCES:
    case EPERM:
      return SerialOpenError::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
      return SerialOpenError::Busy;
    case ENOTTY:
      return SerialOpenError::NotSerial;
    case EINVAL:
      return SerialOpenError::BadSpeed;
    default:
      return SerialOpenError::Other;
  }
}

const char* SerialOpenErrorName(SerialOpenError error) {
  switch (error) {
    case SerialOpenError::None:
      return "none";
    case SerialOpenError::NotFound:
      return "not found";
    case SerialOpenError::PermissionDenied:
      return "permission denied";
    case SerialOpenError::Busy:
      return "busy";
    case SerialOpenError::NotSerial:
      return "not a serial device";
    case SerialOpenError::BadSpeed:
      return "unsupported speed";
    case SerialOpenError::Other:
      break;
  }
  return "error";
}

namespace {
std::atomic<SerialDeviceFactory> deviceFactory{nullptr};
}  // namespace

std::unique_ptr<SerialDevice> MakePosixSerialDevice() {
  return std::make_unique<PosixSerialDevice>();
}

std::unique_ptr<SerialDevice> MakeSerialDevice() {
  const SerialDeviceFactory factory = deviceFactory.load(std::memory_order_acquire);
  return factory ? factory() : MakePosixSerialDevice();
}

SerialDeviceFactory SetSerialDeviceFactory(SerialDeviceFactory factory) {
  return deviceFactory.exchange(factory, std::memory_order_acq_rel);
}

int CreateWakeHandle() { return ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

void SignalWakeHandle(int fd) {
  if (fd >= 0) ::eventfd_write(fd, 1);
}

void WaitOnWakeHandle(int fd, int timeoutMs) {
  if (fd < 0) {
    ::poll(nullptr, 0, timeoutMs);
    return;
  }
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN)) {
    eventfd_t value = 0;
    ::eventfd_read(fd, &value);
  }
}

void CloseWakeHandle(int fd) {
  if (fd >= 0) ::close(fd);
}

}  // namespace zeda
