#pragma once
// The search's view of the real ports: CCOMIOSYS for the ports, one FrameCodec per slot.
#include <string>

#include "link/ccomiosys.h"
#include "link/frame_codec.h"
#include "link/port_search.h"

namespace zeda {

class PortSearchIo final : public SearchIo {
 public:
  // codecs: one per search slot; `active` receives the codec of the slot that found the
  // unit.
  PortSearchIo(CCOMIOSYS& ports, FrameCodec* const (&codecs)[kSearchSlotCount], FrameCodec& active)
      : ports_(ports), codecs_{codecs[0], codecs[1], codecs[2]}, active_(active) {}

  void SupervisePorts() override { ports_.SupervisePorts(); }
  bool PortsScanned() const override { return ports_.portsScanned; }
  bool PortPresent(int port) const override;
  bool PortIsOpen(int port) const override;
  bool PortIsClosed(int port) const override;
  PortOpenError OpenError(int port) const override;
  const char* PortDevice(int port) const override;
  void OpenPort(int port, int baud) override { ports_.OpenPort(port, baud); }
  void ClosePort(int port) override { ports_.ClosePort(port); }
  int32_t KnownRow(int port) const override;
  // Where the rows that last connected are kept (empty: nowhere), and the table they
  // must still fit.
  void SetKnownPorts(const std::string* iniPath, const ProtocolTable* table) {
    knownIni_ = iniPath;
    table_ = table;
  }

  void ResetCodec(int slot, int32_t protocol, int32_t timeoutMs) override;
  void BuildIdentify(int slot, int32_t paramWord) override;
  void RewindIfSent(int slot) override;
  void ContinueSending(int slot, int port) override;
  int ReceiveFrame(int slot, int port, const uint8_t** frame) override;
  int RequestFrame(int slot, const uint8_t** frame) const override;
  void TakeOverCodec(int slot) override { active_ = *codecs_[slot]; }

 private:
  static bool Valid(int port) { return port > 0 && port < kPortCount; }
  PortBuffers Buffers(int port);

  CCOMIOSYS& ports_;
  FrameCodec* codecs_[kSearchSlotCount];
  FrameCodec& active_;
  const std::string* knownIni_ = nullptr;
  const ProtocolTable* table_ = nullptr;
};

}  // namespace zeda
