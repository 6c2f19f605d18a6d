#include "link/protocol_table.h"

namespace zeda {

namespace {

constexpr int32_t R = kProtoUnfilled;

// clang-format off
constexpr ProtocolRow kRows[kProtocolRowCount] = {
    {R,            57600,  175, true},
    {kProtoWcom,   57600,  75,  false},
    {kProtoWcoms,  57600,  125, false},
    {R,            57600,  175, true},
    {kProtoIgn50,  57600,  125, false},
    {R,            57600,  175, true},
    {kProtoIgn100, 57600,  175, false},
    {R,            57600,  175, true},
    {kProtoIgn150, 57600,  175, false},
    {R,            57600,  175, true},
    {kProtoWcom,   115200, 75,  false},
    {kProtoWcoms,  115200, 325, false},
    {R,            57600,  175, true},
    {kProtoIgn300, 115200, 175, false},
    {kProtoNone,   0,      0,   false},
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

bool ProtocolTable::IsEnd(int index) const { return Row(index).protocol == kProtoNone; }

const char* ProtocolName(int32_t protocol) {
  switch (protocol) {
    case kProtoWcom:
      return "WCOM";
    case kProtoWcoms:
      return "WCOMS";
    case kProtoIgn50:
      return "IGN50";
    case kProtoIgn100:
      return "IGN100";
    case kProtoIgn150:
      return "IGN150";
    case kProtoIgn300:
      return "IGN300";
    default:
      return "?";
  }
}

bool IsAddressedProtocol(int32_t protocol) {
  return protocol == kProtoWcom || protocol == kProtoWcoms;
}

bool IsBlockProtocol(int32_t protocol) { return BlockProtocolSize(protocol) != 0; }

int BlockProtocolSize(int32_t protocol) {
  switch (protocol) {
    case kProtoIgn50:
      return 50;
    case kProtoIgn100:
      return 100;
    case kProtoIgn150:
      return 150;
    case kProtoIgn300:
      return 300;
    default:
      return 0;
  }
}

}  // namespace zeda
