#pragma once
// The protocols the search tries on a port, in order, with baud rate and answer timeout.
#include <cstdint>

#include "link/protocol.h"

namespace zeda {

// A reserved row that nobody filled; the search skips it.
inline constexpr int32_t kProtoUnfilled = -1;

struct ProtocolRow {
  int32_t protocol;  // 0 ends the table
  int32_t baud;
  int32_t timeoutMs;  // answer timeout and the codec's inter-byte gap timeout
  bool reserved;      // filled with this build's own protocol at start
};

inline constexpr int kProtocolRowCount = 15;  // including the end row

class ProtocolTable {
 public:
  // Reserved rows start unfilled: (kProtoUnfilled, 57600, 175).
  ProtocolTable();

  // Puts this build's own protocol into every reserved row.
  void FillReserved(int32_t protocol, int32_t baud, int32_t timeoutMs);

  const ProtocolRow& Row(int index) const;
  // True for the end row and for any index outside the table.
  bool IsEnd(int index) const;

 private:
  ProtocolRow rows_[kProtocolRowCount];
};

// This build's own protocol, put into the reserved rows.
inline constexpr ProtocolRow kOwnProtocolRow{PROTOCOL_IGN150, 57600, 175, true};

// "WCOM", "WCOMS", "IGN50", "IGN100", "IGN150", "IGN300"; "?" for anything else.
const char* ProtocolName(int32_t protocol);
bool IsAddressedProtocol(int32_t protocol);
bool IsBlockProtocol(int32_t protocol);
// Data block size N of a block protocol (50, 100, 150, 300); 0 for the others.
int BlockProtocolSize(int32_t protocol);

}  // namespace zeda
