#include "link/ccom.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {

namespace {
// Time allowed for writing one transmit buffer (the write total constant).
constexpr int kWriteTimeoutMs = 100;
}  // namespace

namespace {
std::shared_ptr<PortLifeline> NewLifeline() {
  auto life = std::make_shared<PortLifeline>();
  life->device = MakeSerialDevice();
  return life;
}
}  // namespace

CCOM::CCOM() : life_(NewLifeline()) {}

CCOM::~CCOM() {
  EndThread();
  // A thread that was let go never touches the wake handle again.
  CloseWakeHandle(wakeFd.exchange(-1));
}

bool CCOM::LetGoIfInOpen(PortLifeline& life, bool stopping) {
  std::lock_guard<std::mutex> lock(life.mutex);
  if (stopping) life.stopping = true;
  if (life.inOpen) life.abandoned = true;
  return life.abandoned;
}

void CCOM::EndThread() {
  if (!thread.joinable()) return;
  if (LetGoIfInOpen(*life_, true)) {
    // The open may never return; the thread owns its share of the device and ends on
    // its own when it does.
    thread.detach();
    return;
  }
  thread.join();
}

bool CCOM::AbandonStuckOpen() {
  if (!thread.joinable() || !LetGoIfInOpen(*life_, false)) return false;
  thread.detach();
  life_ = NewLifeline();
  threadCommand.store(CMD_NONE, std::memory_order_release);
  portState.store(PORT_CLOSED, std::memory_order_release);
  threadState.store(THREAD_NONE, std::memory_order_release);
  return true;
}

void CCOM::Init(uint8_t portIndex) {
  index = portIndex;
  std::snprintf(portName, sizeof portName, "COM%i", portIndex);
}

// ---------------------------------------------------------------- link side

bool CCOM::Transmit(const uint8_t* data, int32_t count) {
  if (count <= 0 || count > kComBufSize) return false;
  if (txCount.load(std::memory_order_acquire) != 0) return false;
  std::memcpy(txBuf, data, static_cast<size_t>(count));
  txCount.store(count, std::memory_order_release);
  Wake();
  return true;
}

bool CCOM::SendFrame(FrameCodec& codec) {
  const int32_t before = txCount.load(std::memory_order_acquire);
  const bool done = codec.SendFrame(Buffers());
  if (before == 0 && txCount.load(std::memory_order_acquire) != 0) Wake();
  return done;
}

int32_t CCOM::Received() {
  const int32_t w = rxWrite.load(std::memory_order_acquire);
  const int32_t r = rxRead.load(std::memory_order_relaxed);
  return (w - r + kComBufSize) % kComBufSize;
}

int CCOM::ReadByte() {
  uint8_t b = 0;
  return ReadBytes(&b, 1) == 1 ? b : -1;
}

int32_t CCOM::ReadBytes(uint8_t* out, int32_t max) {
  const int32_t w = rxWrite.load(std::memory_order_acquire);
  int32_t r = rxRead.load(std::memory_order_relaxed);
  int32_t n = 0;
  while (n < max && r != w) {
    out[n++] = rxRing[r];
    r = (r + 1) % kComBufSize;
  }
  if (n > 0) rxRead.store(r, std::memory_order_release);
  return n;
}

void CCOM::DiscardReceived() {
  rxRead.store(rxWrite.load(std::memory_order_acquire), std::memory_order_release);
}

// ---------------------------------------------------------------- I/O thread

bool CCOM::RingHasRoom() const {
  const int32_t w = rxWrite.load(std::memory_order_relaxed);
  const int32_t r = rxRead.load(std::memory_order_acquire);
  return (w + 1) % kComBufSize != r;
}

CCOM::OpenOutcome CCOM::OpenDevice(PortLifeline& life) {
  LinkTraceSink().PortOpen(index, tickMs(), portName, lineSettings);
  portState.store(PORT_OPENING, std::memory_order_release);
  {
    std::lock_guard<std::mutex> lock(life.mutex);
    if (life.stopping) {
      portState.store(PORT_CLOSED, std::memory_order_release);
      return OpenOutcome::Failed;
    }
    life.inOpen = true;
  }
  // Copies: once the thread is let go, nothing of the port may be read.
  char path[sizeof openPath];
  std::memcpy(path, openPath, sizeof path);
  const bool opened = life.device->Open(path, openBaud);
  {
    std::lock_guard<std::mutex> lock(life.mutex);
    life.inOpen = false;
    if (life.abandoned) {
      // The port went on without this thread (exit, or the open limit): the device is
      // this thread's alone now.
      if (opened) life.device->Close();
      return OpenOutcome::Abandoned;
    }
  }
  if (!opened) {
    openErrno.store(device_->LastErrno(), std::memory_order_release);
    // The result first: whoever sees the port closed again also sees why.
    openResult.store(OPEN_RESULT_FAILED, std::memory_order_release);
    // The port is closed again, so a close asked for during the open is done as well;
    // left set, it would keep the port's requests pending for good.
    uint8_t expected = CMD_OPEN;
    if (!threadCommand.compare_exchange_strong(expected, CMD_NONE, std::memory_order_acq_rel)) {
      expected = CMD_CLOSE;
      threadCommand.compare_exchange_strong(expected, CMD_NONE, std::memory_order_acq_rel);
    }
    portState.store(PORT_CLOSED, std::memory_order_release);
    return OpenOutcome::Failed;
  }
  openErrno.store(0, std::memory_order_release);
  lost.store(false, std::memory_order_release);
  // Nobody reads the ring of a port that is not open, so both indices can be reset here.
  rxRead.store(0, std::memory_order_release);
  rxWrite.store(0, std::memory_order_release);
  txCount.store(0, std::memory_order_release);
  portState.store(PORT_OPEN, std::memory_order_release);
  uint8_t expected = CMD_OPEN;
  threadCommand.compare_exchange_strong(expected, CMD_NONE, std::memory_order_acq_rel);
  return OpenOutcome::Opened;
}

void CCOM::CloseDevice(bool vanished) {
  LinkTraceSink().PortClose(index, tickMs(), portName);
  // The ring keeps what came in; the reader may still be busy with it. The next open
  // empties it.
  portState.store(PORT_CLOSING, std::memory_order_release);
  device_->Purge();
  device_->Close();
  if (vanished) lost.store(true, std::memory_order_release);
  portState.store(PORT_CLOSED, std::memory_order_release);
  uint8_t expected = CMD_CLOSE;
  threadCommand.compare_exchange_strong(expected, CMD_NONE, std::memory_order_acq_rel);
}

bool CCOM::TakeInput() {
  const int32_t waiting = device_->Waiting();
  if (waiting < 0) return false;
  if (waiting == 0) return true;
  const int32_t w = rxWrite.load(std::memory_order_relaxed);
  const int32_t r = rxRead.load(std::memory_order_acquire);
  const int32_t room = kComBufSize - 1 - (w - r + kComBufSize) % kComBufSize;
  const int32_t want = std::min(waiting, room);
  if (want <= 0) return true;
  // First up to the end of the ring, then from its start.
  const int32_t first = std::min(want, kComBufSize - w);
  const int32_t n = device_->Read(rxRing + w, first);
  if (n < 0) return false;
  int32_t next = (w + n) % kComBufSize;
  // A short first read leaves the rest for the next loop.
  if (n == first && want > first) {
    const int32_t m = device_->Read(rxRing, want - first);
    if (m < 0) return false;
    next = m;
  }
  rxWrite.store(next, std::memory_order_release);
  return true;
}

void CCOM::ThreadMain(const std::atomic<bool>& stop, std::shared_ptr<PortLifeline> life) {
  device_ = life->device.get();
  const int wake = wakeFd.load(std::memory_order_acquire);
  bool readable = true;  // look at the driver on the first pass
  for (;;) {
    const uint8_t state = portState.load(std::memory_order_relaxed);
    if (stop.load(std::memory_order_acquire)) {
      if (state == PORT_OPEN) CloseDevice(false);
      break;
    }
    const uint8_t command = threadCommand.load(std::memory_order_acquire);
    if (state == PORT_CLOSED) {
      if (command == CMD_OPEN) {
        const OpenOutcome outcome = OpenDevice(*life);
        if (outcome == OpenOutcome::Abandoned) return;  // touches nothing of the port
        if (outcome == OpenOutcome::Failed) break;
        readable = true;
        continue;
      }
      if (command == CMD_CLOSE) {
        // An open that was called off before it ran.
        uint8_t expected = CMD_CLOSE;
        threadCommand.compare_exchange_strong(expected, CMD_NONE, std::memory_order_acq_rel);
        break;
      }
      WaitOnWakeHandle(wake, kIoIdleWaitMs);
      continue;
    }
    // Open.
    if (command == CMD_CLOSE) {
      CloseDevice(false);
      break;
    }
    bool failed = false;
    const int32_t count = txCount.load(std::memory_order_acquire);
    if (count > 0) {
      LinkTraceSink().PortTransmit(index, tickMs(), txBuf, count);
      failed = device_->Write(txBuf, count, kWriteTimeoutMs) < 0;
      txCount.store(0, std::memory_order_release);
    }
    if (!failed && readable) failed = !TakeInput();
    if (!failed) {
      // Wait on the device instead of sleeping: bytes, a hangup or a wake (command, stop,
      // Transmit, SendFrame) end the wait at once; the limit catches a transmit buffer
      // filled without a wake. With a full ring only the wake and the hangup count.
      const SerialWaitResult r = device_->Wait(wake, RingHasRoom(), kIoOpenWaitMs);
      failed = r.hangup;
      readable = r.readable || !RingHasRoom();
    }
    if (failed) {
      // Unplugged adapter or the pty's other end closed: close cleanly and end, so
      // nothing spins on a dead handle; the port can be opened again later.
      CloseDevice(true);
      break;
    }
  }
  threadState.store(THREAD_ENDED, std::memory_order_release);
}

}  // namespace zeda
