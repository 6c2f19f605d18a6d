#include "link/ccomsearch.h"

namespace zeda {

CCOMSEARCH::CCOMSEARCH() = default;
CCOMSEARCH::~CCOMSEARCH() = default;

void CCOMSEARCH::SearchRun() { SupervisePorts(); }

void CCOMSEARCH::ConnectLink(const LinkSlot& slot) {
  if (slot.port <= 0 || slot.port > 255) return;
  activeLink = slot;
  nextPort = slot.port;
  portListChanged = true;
  connectedPort.store(slot.port, std::memory_order_release);
}

PortBuffers CCOMSEARCH::ActiveBuffers() {
  const int32_t port = connectedPort.load(std::memory_order_acquire);
  if (port <= 0 || port > 255) return PortBuffers{};
  return Port(port).Buffers();
}

}  // namespace zeda
