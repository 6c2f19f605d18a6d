#include "link/ccomsearch.h"

#include "params/known_ports.h"

namespace zeda {

CCOMSEARCH::CCOMSEARCH() { searchIo_.SetKnownPorts(&knownPortsIni, &search_.Protocols()); }
CCOMSEARCH::~CCOMSEARCH() = default;

void CCOMSEARCH::SearchRun() {
  // No unit is connected while the worker still holds a job of a closed link.
  if (!LinkQuiet()) {
    SupervisePorts();
    return;
  }
  search_.SetStatusSink(statusSink);
  search_.comSetting = comSetting;
  search_.linkEnabled = linkEnabled.load(std::memory_order_acquire);
  search_.connectedPort = connectedPort.load(std::memory_order_acquire);
  search_.wantedKey = wantedKey;
  search_.wantedSubKey = wantedSubKey;
  search_.nextPort = nextPort;
  const bool wasConnected = search_.connectedPort != 0;
  search_.SearchRun();
  nextPort = search_.nextPort;
  if (search_.portListChanged) {
    portListChanged = true;
    search_.portListChanged = false;
  }
  // The codecs stay with the slots; the search only reports what it found out.
  for (int s = 0; s < kSearchSlotCount; ++s) static_cast<SearchSlot&>(slots[s]) = search_.Slot(s);
  if (wasConnected || search_.connectedPort == 0) return;
  static_cast<SearchSlot&>(found_) = search_.ActiveLink();
  if (ConnectLink(found_) && !knownPortsIni.empty()) {
    const CCOM& port = Port(found_.port);
    const ProtocolRow& row = search_.Protocols().Row(found_.row);
    StoreKnownPort(knownPortsIni, KnownPortKey(port.path, port.serial),
                   KnownPort{found_.row, row.protocol, row.baud});
  }
}

bool CCOMSEARCH::ConnectLink(const LinkSlot& slot) {
  if (slot.port <= 0 || slot.port > 255 || !LinkQuiet()) return false;
  activeLink = slot;
  nextPort = slot.port;
  portListChanged = true;
  connectedPort.store(slot.port, std::memory_order_release);
  return true;
}

PortBuffers CCOMSEARCH::ActiveBuffers() {
  const int32_t port = connectedPort.load(std::memory_order_acquire);
  if (port <= 0 || port > 255) return PortBuffers{};
  return Port(port).Buffers();
}

}  // namespace zeda
