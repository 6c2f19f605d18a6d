#include "link/ccomsearch.h"

#include <cstring>

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
  for (int s = 0; s < 3; ++s) {
    const SearchSlot& from = search_.Slot(s);
    LinkSlot& to = slots[s];
    to.port = from.port;
    to.row = from.row;
    to.time = from.time;
    to.state = from.state;
    to.hardwareKey = from.hardwareKey;
    to.unitKey = from.unitKey;
    std::memcpy(to.unitName, from.unitName, sizeof to.unitName);
    to.frameSize = from.frameSize;
    to.overhead = from.overhead;
  }
  if (wasConnected || search_.connectedPort == 0) return;
  const SearchSlot& unit = search_.ActiveLink();
  found_.port = unit.port;
  found_.row = unit.row;
  found_.time = unit.time;
  found_.state = unit.state;
  found_.hardwareKey = unit.hardwareKey;
  found_.unitKey = unit.unitKey;
  std::memcpy(found_.unitName, unit.unitName, sizeof found_.unitName);
  found_.frameSize = unit.frameSize;
  found_.overhead = unit.overhead;
  if (ConnectLink(found_) && !knownPortsIni.empty()) {
    const CCOM& port = Port(unit.port);
    const ProtocolRow& row = search_.Protocols().Row(unit.row);
    StoreKnownPort(knownPortsIni, KnownPortKey(port.path, port.serial),
                   KnownPort{unit.row, row.protocol, row.baud});
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
