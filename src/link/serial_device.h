#pragma once
// One serial device as the port I/O thread sees it: open exclusively at a line speed,
// move bytes without blocking, discard, close. The POSIX implementation works on real
// serial devices and on pseudo-terminals alike.
#include <cstdint>
#include <memory>

namespace zeda {

// Why an open failed, so the user can be told "permission denied" from "busy".
enum class SerialOpenError : uint8_t {
  None = 0,
  NotFound,          // no such device
  PermissionDenied,  // EACCES / EPERM
  Busy,              // another program holds the port (exclusive use, lock)
  NotSerial,         // the path is not a terminal device
  BadSpeed,          // the line speed is not supported
  Other,
};

SerialOpenError ClassifyOpenErrno(int err);
const char* SerialOpenErrorName(SerialOpenError error);

// Readiness reported by SerialDevice::Wait.
struct SerialWaitResult {
  bool readable = false;  // bytes wait (or the device reports an end)
  bool woken = false;     // the wake handle was signalled
  bool hangup = false;    // the device is gone (pty master closed, adapter unplugged)
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Opens path for reading and writing, exclusively, raw 8N1 at baud, no flow control.
  // On failure returns false and keeps the errno in LastErrno().
  virtual bool Open(const char* path, int32_t baud) = 0;
  virtual bool IsOpen() const = 0;
  virtual int LastErrno() const = 0;

  // Bytes waiting in the driver; -1 when the device failed (gone).
  virtual int32_t Waiting() = 0;
  // Reads at most max bytes without blocking: count read, 0 none, -1 device failed or
  // at its end.
  virtual int32_t Read(uint8_t* data, int32_t max) = 0;
  // Writes all bytes, waiting up to about timeoutMs for room in the driver; the count
  // written, or -1 when the device failed.
  virtual int32_t Write(const uint8_t* data, int32_t count, int timeoutMs) = 0;
  // Discards pending input and output.
  virtual void Purge() = 0;
  virtual void Close() = 0;

  // Waits up to timeoutMs for input (when wantInput), a hangup, or a signal on wakeFd
  // (-1: none). A signalled wakeFd is drained.
  virtual SerialWaitResult Wait(int wakeFd, bool wantInput, int timeoutMs) = 0;
};

// A new device object: the POSIX one, unless a test has put in its own factory.
std::unique_ptr<SerialDevice> MakeSerialDevice();
// The POSIX device itself (test factories wrap it).
std::unique_ptr<SerialDevice> MakePosixSerialDevice();
using SerialDeviceFactory = std::unique_ptr<SerialDevice> (*)();
// Replaces the factory (nullptr: the POSIX one) for ports created from now on; returns
// the previous one.
SerialDeviceFactory SetSerialDeviceFactory(SerialDeviceFactory factory);

// A wake handle another thread can signal to end a Wait early (an eventfd).
int CreateWakeHandle();
void SignalWakeHandle(int fd);
void WaitOnWakeHandle(int fd, int timeoutMs);  // for threads without a device
void CloseWakeHandle(int fd);

}  // namespace zeda
