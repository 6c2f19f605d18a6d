#pragma once
// The set of all 256 ports, the device-list scan and the port supervisor.
#include <atomic>
#include <cstdint>

#include "link/ccom.h"
#include "link/port_list.h"

namespace zeda {

class CCOMIOSYS {
 public:
  CCOMIOSYS();
  virtual ~CCOMIOSYS();
  CCOMIOSYS(const CCOMIOSYS&) = delete;
  CCOMIOSYS& operator=(const CCOMIOSYS&) = delete;

  // Requests, executed by SupervisePorts (main thread).
  void OpenPort(int port, int32_t baud);
  void ClosePort(int port);
  void CloseAllPorts();
  // Rescans the device list (at most once per kScanIntervalMs of tickMs) and executes the
  // port requests.
  void SupervisePorts();
  // Scans the device list now.
  void ScanPorts();

  CCOM& Port(int port) { return ports_[port & 0xFF]; }
  const CCOM& Port(int port) const { return ports_[port & 0xFF]; }
  const PortList& Ports() const { return portList_; }
  PortList& Ports() { return portList_; }

  bool portsScanned = false;
  // Set when the set of present ports changed or the link closed; cleared by the COM
  // menu rebuild.
  bool portListChanged = false;

 protected:
  // Ends every port thread (joined) before the ports go away. Derived classes end their
  // own threads first.
  void StopPortThreads();

  // Tells every link thread to end.
  std::atomic<bool> linkStop{false};

 private:
  void SupervisePort(CCOM& port, int32_t now);
  bool StartPortThread(CCOM& port);

  CCOM ports_[kPortCount];
  PortList portList_;
  int32_t lastScanTime_ = 0;
  bool openedTrace_ = false;
};

}  // namespace zeda
