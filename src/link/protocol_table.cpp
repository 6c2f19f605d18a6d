#include "link/protocol_table.h"

namespace zeda {

namespace {

constexpr int32_t R = kProtoUnfilled;

// clang-format off
constexpr ProtocolRow kRows[kProtocolRowCount] = {
    {R,            57600,  175, true},
    {PROTOCOL_WCOM,   57600,  75,  false},
    {PROTOCOL_WCOMS,  57600,  125, false},
    {R,            57600,  175, true},
    {PROTOCOL_IGN50,  57600,  125, false},
    {R,            57600,  175, true},
    {PROTOCOL_IGN100, 57600,  175, false},
    {R,            57600,  175, true},
    {PROTOCOL_IGN150, 57600,  175, false},
    {R,            57600,  175, true},
    {PROTOCOL_WCOM,   115200, 75,  false},
    {PROTOCOL_WCOMS,  115200, 325, false},
    {R,            57600,  175, true},
    {PROTOCOL_IGN300, 115200, 175, false},
    {PROTOCOL_NONE,   0,      0,   false},
};
// clang-format on

}  // namespace

ProtocolTable::ProtocolTable() {
  for (int i = 0; i < kProtocolRowCount; ++i) rows_[i] = kRows[i];
}

void ProtocolTable::FillReserved(int32_t protocol, int32_t baud, int32_t timeoutMs) {
  for (ProtocolRow& r : rows_) {
    if (!r.reserved) continue;
    r.protocol = protocol;
    r.baud = baud;
    r.timeoutMs = timeoutMs;
  }
}

const ProtocolRow& ProtocolTable::Row(int index) const {
  if (index < 0 || index >= kProtocolRowCount) return rows_[kProtocolRowCount - 1];
  return rows_[index];
}

bool ProtocolTable::IsEnd(int index) const { return Row(index).protocol == PROTOCOL_NONE; }

const char* ProtocolName(int32_t protocol) {
  const ProtocolInfo* info = FindProtocol(protocol);
  return info != nullptr ? info->name : "?";
}

bool IsAddressedProtocol(int32_t protocol) { return FamilyOf(protocol) == FrameFamily::Addressed; }

bool IsBlockProtocol(int32_t protocol) { return FamilyOf(protocol) == FrameFamily::Block; }

int BlockProtocolSize(int32_t protocol) {
  const ProtocolInfo* info = FindProtocol(protocol);
  return info != nullptr && info->family == FrameFamily::Block ? info->blockSize : 0;
}

}  // namespace zeda
