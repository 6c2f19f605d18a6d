#include "link/ccomiosys.h"

#include <cstdio>
#include <system_error>

#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {

CCOMIOSYS::CCOMIOSYS() {
  for (int i = 0; i < kPortCount; ++i) ports_[i].Init(static_cast<uint8_t>(i));
  // The sink's time origin is whole-second aligned by the sink itself, so nothing waits
  // here for the wall-clock second to change.
  LinkTrace& trace = LinkTraceSink();
  if (trace.IsOpen()) {
    trace.Trace("Open LOG");
  } else {
    openedTrace_ = trace.OpenFromEnvironment();  // writes "Open LOG"
  }
}

CCOMIOSYS::~CCOMIOSYS() {
  CloseAllPorts();
  StopPortThreads();
  if (openedTrace_) LinkTraceSink().Close();
}

void CCOMIOSYS::StopPortThreads() {
  linkStop.store(true, std::memory_order_release);
  for (CCOM& port : ports_) port.Wake();
  // Each I/O thread closes its device on the stop flag; join them all before the ports
  // (and their buffers) go away.
  for (CCOM& port : ports_) {
    port.EndThread();
    port.threadState.store(THREAD_NONE, std::memory_order_release);
  }
}

void CCOMIOSYS::OpenPort(int port, int32_t baud) {
  if (port < 0 || port > 255) return;
  CCOM& p = ports_[port];
  p.openResult.store(OPEN_RESULT_NONE, std::memory_order_release);
  p.baudRate.store(baud, std::memory_order_release);
  const bool busy = p.portState.load(std::memory_order_acquire) != PORT_CLOSED ||
                    p.requests.load(std::memory_order_relaxed) != 0;
  // A port that is (or is becoming) open is closed first, then opened at the new speed.
  p.requests.store(busy ? REQ_CLOSE | REQ_OPEN : REQ_OPEN, std::memory_order_release);
}

void CCOMIOSYS::ClosePort(int port) {
  if (port < 0 || port > 255) return;
  CCOM& p = ports_[port];
  if (p.portState.load(std::memory_order_acquire) != PORT_CLOSED ||
      p.requests.load(std::memory_order_relaxed) != 0) {
    p.openResult.store(OPEN_RESULT_NONE, std::memory_order_release);
    p.requests.store(REQ_CLOSE, std::memory_order_release);
  }
}

void CCOMIOSYS::CloseAllPorts() {
  for (int i = 0; i < kPortCount; ++i) ClosePort(i);
}

void CCOMIOSYS::ScanPorts() {
  const bool listed = portList_.Scan();
  bool changed = false;
  for (int i = 0; i < kPortCount; ++i) {
    CCOM& p = ports_[i];
    const PortEntry* entry = i == 0 ? nullptr : portList_.Find(i);
    // When the list cannot be read, the first ports count as present (port 0 never).
    const int32_t present = (entry || (!listed && i > 0 && i < 30)) ? 1 : 0;
    if (entry) std::snprintf(p.path, sizeof p.path, "%s", entry->path);
    p.console = entry != nullptr && entry->console;
    std::snprintf(p.serial, sizeof p.serial, "%s", entry != nullptr ? entry->serial : "");
    if (present != p.present) changed = true;
    p.present = present;
  }
  if (changed) portListChanged = true;
  portsScanned = true;
  lastScanTime_ = tickMs();
}

void CCOMIOSYS::SupervisePorts() {
  const int32_t now = tickMs();
  const int32_t sinceScan = now - lastScanTime_;
  if (!portsScanned || sinceScan >= kScanIntervalMs || sinceScan < 0) ScanPorts();
  for (CCOM& port : ports_) SupervisePort(port, now);
}

bool CCOMIOSYS::StartPortThread(CCOM& port) {
  if (port.wakeFd.load(std::memory_order_relaxed) < 0) {
    port.wakeFd.store(CreateWakeHandle(), std::memory_order_release);
  }
  try {
    // The thread co-owns the device, so a thread let go while stuck in an open never
    // reaches into a port that went on without it.
    port.thread =
        std::thread([this, &port, life = port.Lifeline()] { port.ThreadMain(linkStop, life); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CCOMIOSYS::SupervisePort(CCOM& port, int32_t now) {
  // 1. A thread that has ended is joined.
  if (port.threadState.load(std::memory_order_acquire) == THREAD_ENDED) {
    if (port.thread.joinable()) port.thread.join();
    port.threadState.store(THREAD_NONE, std::memory_order_release);
  }
  // 2. No requests: nothing more.
  const uint8_t requests = port.requests.load(std::memory_order_acquire);
  if (requests == 0) return;
  // State and command before the open result: the I/O thread stores the result first.
  const uint8_t state = port.portState.load(std::memory_order_acquire);
  const uint8_t command = port.threadCommand.load(std::memory_order_acquire);

  // 3. Close wanted.
  if (requests & REQ_CLOSE) {
    if (state == PORT_CLOSED) {
      const bool threadGone = port.threadState.load(std::memory_order_acquire) != THREAD_RUNNING;
      if (command == CMD_NONE || (command == CMD_CLOSE && threadGone)) {
        // A close command left behind by a thread that ended (its open failed) is done.
        if (command == CMD_CLOSE) port.threadCommand.store(CMD_NONE, std::memory_order_release);
        port.requests.store(requests & ~REQ_CLOSE, std::memory_order_release);
      } else if (command == CMD_OPEN) {
        // The open has not run yet: call it off, or the port would open after all.
        uint8_t expected = CMD_OPEN;
        port.threadCommand.compare_exchange_strong(expected, CMD_CLOSE, std::memory_order_acq_rel);
        port.Wake();
      }
    } else if (state != PORT_CLOSING && command != CMD_CLOSE) {
      port.commandTime = now;
      port.threadCommand.store(CMD_CLOSE, std::memory_order_release);
      port.Wake();
    }
    return;
  }

  // 4. Open wanted.
  if (port.openResult.load(std::memory_order_acquire) == OPEN_RESULT_FAILED || state == PORT_OPEN) {
    port.requests.store(0, std::memory_order_release);
    return;
  }
  if (state == PORT_OPENING || command == CMD_OPEN) {
    if (now - port.commandTime > kOpenLimitMs) {
      port.openResult.store(OPEN_RESULT_TIMEOUT, std::memory_order_release);
      // A thread still inside the open is let go: the port can be opened again later
      // with a fresh device, whatever that open finally does.
      if (!port.AbandonStuckOpen()) port.threadCommand.store(CMD_CLOSE, std::memory_order_release);
      port.requests.store(REQ_CLOSE, std::memory_order_release);
      port.Wake();
    }
    return;
  }
  // Still closing, a called-off open not yet seen, or the last thread still ending: wait.
  if (state != PORT_CLOSED || command != CMD_NONE || port.thread.joinable()) return;

  const int32_t baud = port.baudRate.load(std::memory_order_acquire);
  std::snprintf(port.lineSettings, sizeof port.lineSettings, "%i,N,8,1", baud);
  std::snprintf(port.openPath, sizeof port.openPath, "%s", port.path);
  port.openBaud = baud;
  port.commandTime = now;
  port.openResult.store(OPEN_RESULT_NONE, std::memory_order_release);
  port.threadState.store(THREAD_RUNNING, std::memory_order_release);
  port.threadCommand.store(CMD_OPEN, std::memory_order_release);
  if (!StartPortThread(port)) {
    port.threadCommand.store(CMD_NONE, std::memory_order_release);
    port.threadState.store(THREAD_NONE, std::memory_order_release);
    port.openResult.store(OPEN_RESULT_NO_THREAD, std::memory_order_release);
    port.requests.store(0, std::memory_order_release);
  }
}

}  // namespace zeda
