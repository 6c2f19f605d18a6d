#pragma once
// The link protocols: numbers, trace names, frame family and data block size.
#include <cstdint>

namespace zeda {

inline constexpr int32_t PROTOCOL_NONE = 0;
inline constexpr int32_t PROTOCOL_WCOM = 1;
inline constexpr int32_t PROTOCOL_WCOMS = 2;
inline constexpr int32_t PROTOCOL_IGN50 = 3050;
inline constexpr int32_t PROTOCOL_IGN100 = 3100;
inline constexpr int32_t PROTOCOL_IGN150 = 3150;
inline constexpr int32_t PROTOCOL_IGN300 = 3300;

enum class FrameFamily : int32_t { None = 0, Addressed = 1, Block = 2 };

inline constexpr int32_t kAddressedOverhead = 16;  // header 14 + check 2
inline constexpr int32_t kBlockOverhead = 2;       // code byte + check byte
inline constexpr int32_t kMaxAddressedData = 512;  // the program never sends more
inline constexpr int32_t kFrameBufferSize = 1040;

struct ProtocolInfo {
  int32_t number;
  const char* name;  // as written in traces
  FrameFamily family;
  int32_t blockSize;    // N of block frames; 0 for addressed frames (the unit announces it)
  int32_t frameLength;  // the codec's expected frame length after a reset
  bool parameterWord;   // block requests may carry the wanted key in their last data bytes
  int32_t defaultBaud;  // the line speed a unit on this protocol uses by default
};

inline constexpr ProtocolInfo kProtocolTable[] = {
    {PROTOCOL_WCOM, "WCOM", FrameFamily::Addressed, 0, 16, false, 57600},
    {PROTOCOL_WCOMS, "WCOMS", FrameFamily::Addressed, 0, 16, false, 57600},
    {PROTOCOL_IGN50, "IGN50", FrameFamily::Block, 50, 52, true, 57600},
    {PROTOCOL_IGN100, "IGN100", FrameFamily::Block, 100, 102, true, 57600},
    {PROTOCOL_IGN150, "IGN150", FrameFamily::Block, 150, 152, true, 57600},
    {PROTOCOL_IGN300, "IGN300", FrameFamily::Block, 300, 302, false, 115200},
};

// The row of a protocol number, or nullptr for 0 and unknown numbers.
constexpr const ProtocolInfo* FindProtocol(int32_t number) {
  for (const ProtocolInfo& row : kProtocolTable) {
    if (row.number == number) return &row;
  }
  return nullptr;
}

constexpr FrameFamily FamilyOf(int32_t number) {
  const ProtocolInfo* row = FindProtocol(number);
  return row ? row->family : FrameFamily::None;
}

}  // namespace zeda
