#pragma once
// A serial device for tests whose opens can be held at a gate (an open that blocks, as on
// a wedged driver) and then fail with a chosen errno or go through to the real device;
// or fail at once with an injected errno (tests run as root, where EACCES cannot be made
// with file modes).
//
// The gate is process-wide and never destroyed: a port thread let go while held may
// still be waiting on it after the test's objects are gone.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "link/serial_device.h"

namespace zeda::test {

struct OpenGate {
  std::mutex mutex;
  std::condition_variable changed;
  int toHold = 0;     // the next opens held at the gate
  bool open = false;  // held opens go on
  int heldErrno = 0;  // a held open then fails with this errno (0: it goes through)
  int failErrno = 0;  // every open fails at once with this errno (0: none)
  std::atomic<int> waiting{0};
  std::atomic<int> opens{0};

  // Holds the next `count` opens until Release.
  void Hold(int count) {
    std::lock_guard<std::mutex> lock(mutex);
    toHold = count;
    open = false;
    heldErrno = 0;
  }
  void Release(int err) {
    std::lock_guard<std::mutex> lock(mutex);
    heldErrno = err;
    open = true;
    changed.notify_all();
  }
  void Reset() {
    Release(0);
    std::lock_guard<std::mutex> lock(mutex);
    toHold = 0;
    failErrno = 0;
    opens = 0;
  }
};

inline OpenGate& Gate() {
  static OpenGate* gate = new OpenGate;  // outlives every port thread
  return *gate;
}

class GatedDevice final : public SerialDevice {
 public:
  bool Open(const char* path, int32_t baud) override {
    OpenGate& g = Gate();
    g.opens.fetch_add(1);
    err_ = 0;
    {
      std::unique_lock<std::mutex> lock(g.mutex);
      if (g.failErrno != 0) {
        err_ = g.failErrno;
        return false;
      }
      if (g.toHold > 0) {
        --g.toHold;
        g.waiting.fetch_add(1);
        g.changed.wait(lock, [&] { return g.open; });
        g.waiting.fetch_sub(1);
        if (g.heldErrno != 0) {
          err_ = g.heldErrno;
          return false;
        }
      }
    }
    return real_->Open(path, baud);
  }
  bool IsOpen() const override { return real_->IsOpen(); }
  int LastErrno() const override { return err_ != 0 ? err_ : real_->LastErrno(); }
  int32_t Waiting() override { return real_->Waiting(); }
  int32_t Read(uint8_t* data, int32_t max) override { return real_->Read(data, max); }
  int32_t Write(const uint8_t* data, int32_t count, int timeoutMs) override {
    return real_->Write(data, count, timeoutMs);
  }
  void Purge() override { real_->Purge(); }
  void Close() override { real_->Close(); }
  SerialWaitResult Wait(int wakeFd, bool wantInput, int timeoutMs) override {
    return real_->Wait(wakeFd, wantInput, timeoutMs);
  }

  static std::unique_ptr<SerialDevice> Make() { return std::make_unique<GatedDevice>(); }

 private:
  std::unique_ptr<SerialDevice> real_ = MakePosixSerialDevice();
  int err_ = 0;
};

// Puts the gated device in for the ports created while it lives.
class GatedDevices {
 public:
  GatedDevices() : previous_(SetSerialDeviceFactory(&GatedDevice::Make)) { Gate().Reset(); }
  ~GatedDevices() {
    Gate().Reset();
    SetSerialDeviceFactory(previous_);
  }

 private:
  SerialDeviceFactory previous_;
};

}  // namespace zeda::test
