#include "link/port_search_io.h"

#include "params/known_ports.h"

namespace zeda {

bool PortSearchIo::PortPresent(int port) const {
  // The automatic search never touches a system console (a COM number fixed by hand is
  // opened without asking this).
  return Valid(port) && ports_.Port(port).present != 0 && !ports_.Port(port).console;
}

bool PortSearchIo::PortIsOpen(int port) const {
  if (!Valid(port)) return false;
  const CCOM& p = ports_.Port(port);
  return p.IsOpen() && p.requests.load(std::memory_order_acquire) == 0;
}

bool PortSearchIo::PortIsClosed(int port) const {
  if (!Valid(port)) return true;
  const CCOM& p = ports_.Port(port);
  return p.portState.load(std::memory_order_acquire) == PORT_CLOSED &&
         p.requests.load(std::memory_order_acquire) == 0;
}

PortOpenError PortSearchIo::OpenError(int port) const {
  if (!Valid(port)) return PortOpenError::None;
  const CCOM& p = ports_.Port(port);
  if (p.openResult.load(std::memory_order_acquire) != OPEN_RESULT_FAILED) {
    return PortOpenError::None;
  }
  switch (p.OpenError()) {
    case SerialOpenError::None:
      return PortOpenError::None;
    case SerialOpenError::PermissionDenied:
      return PortOpenError::PermissionDenied;
    case SerialOpenError::Busy:
      return PortOpenError::Busy;
    default:
      return PortOpenError::Other;
  }
}

int32_t PortSearchIo::KnownRow(int port) const {
  if (!Valid(port) || knownIni_ == nullptr || knownIni_->empty() || table_ == nullptr) return -1;
  const CCOM& p = ports_.Port(port);
  const auto known = LoadKnownPort(*knownIni_, KnownPortKey(p.path, p.serial));
  // An entry from another protocol table is no use.
  if (!known || table_->IsEnd(known->row)) return -1;
  const ProtocolRow& row = table_->Row(known->row);
  if (row.protocol != known->protocol || row.baud != known->baud) return -1;
  return known->row;
}

const char* PortSearchIo::PortDevice(int port) const {
  return Valid(port) ? ports_.Port(port).path : "";
}

PortBuffers PortSearchIo::Buffers(int port) { return ports_.Port(port).Buffers(); }

void PortSearchIo::ResetCodec(int slot, int32_t protocol, int32_t timeoutMs) {
  codecs_[slot]->ResetCodec(protocol, timeoutMs);
}

void PortSearchIo::BuildIdentify(int slot, int32_t paramWord) {
  codecs_[slot]->BuildIdentifyRequest(static_cast<uint16_t>(paramWord));
  codecs_[slot]->RewindTransmit();
}

void PortSearchIo::RewindIfSent(int slot) {
  if (codecs_[slot]->transmitRemaining <= 0) codecs_[slot]->RewindTransmit();
}

void PortSearchIo::ContinueSending(int slot, int port) {
  if (!Valid(port) || !ports_.Port(port).IsOpen()) return;
  const int32_t before = ports_.Port(port).txCount.load(std::memory_order_acquire);
  codecs_[slot]->SendFrame(Buffers(port));
  // Wake the I/O thread when a part was handed over.
  if (before == 0 && ports_.Port(port).txCount.load(std::memory_order_acquire) != 0) {
    ports_.Port(port).Wake();
  }
}

int PortSearchIo::ReceiveFrame(int slot, int port, const uint8_t** frame) {
  if (!Valid(port) || !ports_.Port(port).IsOpen()) return 0;
  FrameCodec& c = *codecs_[slot];
  if (!c.ReceiveFrame(Buffers(port))) return 0;
  *frame = c.receiveBuffer;
  return c.frameLength;
}

int PortSearchIo::RequestFrame(int slot, const uint8_t** frame) const {
  *frame = codecs_[slot]->transmitFrame;
  return codecs_[slot]->transmitLength;
}

}  // namespace zeda
