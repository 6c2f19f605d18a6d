#pragma once
// One COM port: device path, line settings, the open/close state machine run by its
// own I/O thread, a transmit buffer and a receive ring.
//
// Hand-overs without locks, one writer per field:
// - receive ring: the I/O thread writes the bytes and the write index (release), the
//   link reader advances the read index (release); each side reads the other's index
//   with acquire. One slot always stays free, so equal indices mean empty. The I/O thread
//   resets both indices only while opening the port, before it publishes PORT_OPEN: the
//   ring of a port that is not open is not read.
// - transmit buffer: the link side fills it only while the count is 0 and then stores the
//   count (release); the I/O thread writes the bytes out and stores 0 (release).
// - requests: the link layer (main thread); thread command and command time: the
//   supervisor (main thread), the I/O thread clears a command it has executed with a
//   compare-exchange; port state and open result: the I/O thread.
// - the device and the open guard live in a PortLifeline that the I/O thread co-owns: a
//   thread stuck in an open that never returns is let go (detached) and, once let go,
//   touches nothing of the port again, so the port can be opened anew or destroyed.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "link/frame_codec.h"
#include "link/link_constants.h"
#include "link/serial_device.h"

namespace zeda {

static_assert(kComBufSize == kPortBufferSize, "the codec works on the port's buffers");

// What the I/O thread shares with its port and may outlive it.
struct PortLifeline {
  std::mutex mutex;
  bool inOpen = false;     // the thread is inside SerialDevice::Open
  bool stopping = false;   // the port is ending the thread: no new open may start
  bool abandoned = false;  // the port went on without the thread
  std::unique_ptr<SerialDevice> device;
};

class CCOM {
 public:
  CCOM();
  ~CCOM();
  CCOM(const CCOM&) = delete;
  CCOM& operator=(const CCOM&) = delete;

  void Init(uint8_t portIndex);

  // ---- Link side (worker or search) ----
  // Hands bytes to the transmit buffer; false while it still holds bytes (or count is
  // out of range). The I/O thread is woken at once.
  bool Transmit(const uint8_t* data, int32_t count);
  bool TransmitIdle() const { return txCount.load(std::memory_order_acquire) == 0; }
  // Bytes waiting in the receive ring.
  int32_t Received();
  // Takes one byte from the ring; -1 when it is empty.
  int ReadByte();
  // Takes up to max bytes; the number taken.
  int32_t ReadBytes(uint8_t* out, int32_t max);
  // Drops everything in the ring.
  void DiscardReceived();
  // The ring and transmit buffer as the frame codec sees them.
  PortBuffers Buffers() { return PortBuffers{rxRing, &rxRead, &rxWrite, txBuf, &txCount}; }
  // Runs the codec's sender on this port and wakes the I/O thread when a part was handed
  // over, so it goes out at once. True when the whole frame has been handed over.
  bool SendFrame(FrameCodec& codec);

  bool IsOpen() const { return portState.load(std::memory_order_acquire) == PORT_OPEN; }
  // The errno of the last failed open, and what it means for the user.
  int OpenErrno() const { return openErrno.load(std::memory_order_acquire); }
  SerialOpenError OpenError() const { return ClassifyOpenErrno(OpenErrno()); }

  // ---- Fields (see the hand-over rules above) ----
  uint8_t index = 0;
  char portName[8] = {};       // "COM%i"
  char path[128] = {};         // device path from the device list (main thread)
  int32_t present = 0;         // found in the device list (main thread)
  bool console = false;        // an active system console: never searched automatically
  char serial[64] = {};        // a USB adapter's serial number, when known (main thread)
  char lineSettings[20] = {};  // "%i,N,8,1", built by the supervisor at each open
  char openPath[128] = {};     // path the pending open uses (supervisor, before command)
  int32_t openBaud = kDefaultBaud;

  std::atomic<uint8_t> portState{PORT_CLOSED};
  std::atomic<uint8_t> openResult{OPEN_RESULT_NONE};
  std::atomic<int> openErrno{0};
  std::atomic<int32_t> baudRate{kDefaultBaud};
  std::atomic<uint8_t> requests{0};
  std::atomic<uint8_t> threadCommand{CMD_NONE};
  int32_t commandTime = 0;  // main thread only
  std::atomic<uint8_t> threadState{THREAD_NONE};
  // Set by the I/O thread when the device vanished while open; taken by the link layer.
  std::atomic<bool> lost{false};

  uint8_t txBuf[kComBufSize] = {};
  std::atomic<int32_t> txCount{0};
  uint8_t rxRing[kComBufSize] = {};
  std::atomic<int32_t> rxRead{0};
  std::atomic<int32_t> rxWrite{0};

  // ---- Owned by the supervisor (main thread) ----
  std::thread thread;
  // Wakes the I/O thread (transmission, command, stop); created with the first thread.
  std::atomic<int> wakeFd{-1};
  void Wake() const { SignalWakeHandle(wakeFd.load(std::memory_order_acquire)); }

  // The I/O thread's body; ends when the port closes, fails to open, vanishes, or stop.
  // life is the thread's own share of the device.
  void ThreadMain(const std::atomic<bool>& stop, std::shared_ptr<PortLifeline> life);
  // The lifeline the next I/O thread is to share (supervisor).
  std::shared_ptr<PortLifeline> Lifeline() const { return life_; }
  // Ends the I/O thread (the stop flag must be raised and the thread woken first): joins
  // it, or lets it go when it is stuck in an open, so this never waits on the device.
  void EndThread();
  // Lets go of an I/O thread stuck in an open (supervisor, after the open limit): the
  // port gets a fresh device and counts as closed without a thread. False when the thread
  // is not inside an open.
  bool AbandonStuckOpen();

 private:
  enum class OpenOutcome { Opened, Failed, Abandoned };
  // I/O thread helpers.
  OpenOutcome OpenDevice(PortLifeline& life);
  void CloseDevice(bool vanished);
  bool TakeInput();  // false when the device failed
  bool RingHasRoom() const;
  // Marks the thread let go when it is inside an open; true then.
  static bool LetGoIfInOpen(PortLifeline& life, bool stopping);

  std::shared_ptr<PortLifeline> life_;
  SerialDevice* device_ = nullptr;  // life_'s device; I/O thread only
};

}  // namespace zeda
