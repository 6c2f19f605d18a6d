// Identification answers and identification blocks from an untrusted line.
#include <cstdint>
#include <cstring>

#include "link/id_texts.h"
#include "link/port_search.h"
#include "link/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t frame[1040] = {};
  const int length = static_cast<int>(size < sizeof frame ? size : sizeof frame);
  std::memcpy(frame, data, static_cast<size_t>(length));
  zeda::SearchSlot slot;
  zeda::PortSearch::DecodeAddressedAnswer(frame, length, slot);
  if (std::strlen(slot.unitName) >= sizeof slot.unitName) __builtin_trap();
  for (int32_t p : {zeda::PROTOCOL_IGN50, zeda::PROTOCOL_IGN100, zeda::PROTOCOL_IGN150,
                    zeda::PROTOCOL_IGN300}) {
    zeda::PortSearch::DecodeBlockAnswer(p, frame, length, slot);
  }
  uint8_t block[zeda::kIdBlockSize] = {};
  std::memcpy(block, data, size < sizeof block ? size : sizeof block);
  const zeda::IdTexts t = zeda::DeriveIdTexts(block);
  if (t.version.size() > 15 || t.additional.size() > 200) __builtin_trap();
  return 0;
}
