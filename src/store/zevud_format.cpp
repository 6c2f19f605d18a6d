#include "store/zevud_format.h"

#include <cstring>

namespace zeda {
namespace {

// "##ZEVUD_HEADER##" kept scrambled, so that even this table is not the marker.
constexpr uint8_t kScramble = 0x5A;
constexpr uint8_t kScrambledHead[16] = {
    '#' ^ kScramble, '#' ^ kScramble, 'Z' ^ kScramble, 'E' ^ kScramble,
    'V' ^ kScramble, 'U' ^ kScramble, 'D' ^ kScramble, '_' ^ kScramble,
    'H' ^ kScramble, 'E' ^ kScramble, 'A' ^ kScramble, 'D' ^ kScramble,
    'E' ^ kScramble, 'R' ^ kScramble, '#' ^ kScramble, '#' ^ kScramble,
};

uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void Put(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

ZevudMarker MakeZevudMarker() {
  // A volatile key keeps the compiler from folding the marker into one constant.
  volatile uint8_t key = kScramble;
  ZevudMarker m{};
  for (size_t i = 0; i < 16; ++i) m[i] = static_cast<uint8_t>(kScrambledHead[i] ^ key);
  for (size_t i = 0; i < 14; ++i) m[16 + i] = static_cast<uint8_t>(0x21 + i);
  m[30] = 0x3A;
  m[31] = 0x3E;
  return m;
}

std::optional<ZevudRecord> DecodeZevudRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() < kZevudEntrySize) return std::nullopt;
  const uint8_t* p = bytes.data();
  ZevudRecord r;
  // The name ends at its zero; a field without one holds 53 bytes that are cut to 52.
  size_t n = 0;
  while (n < kZevudMaxName && p[n] != 0) ++n;
  r.name.assign(reinterpret_cast<const char*>(p), n);
  r.offset = Get32(p + 53);
  r.size = Get32(p + 57);
  r.packed = Get32(p + 61);
  r.time = static_cast<uint64_t>(Get32(p + 65)) | static_cast<uint64_t>(Get32(p + 69)) << 32;
  r.flags = static_cast<uint16_t>(p[73] | p[74] << 8);
  return r;
}

void EncodeZevudRecord(const ZevudRecord& r, std::string& out) {
  const std::string name = ZevudName(r.name);
  out += name;
  out.append(kZevudNameField - name.size(), '\0');
  Put(out, r.offset, 4);
  Put(out, r.size, 4);
  Put(out, r.packed, 4);
  Put(out, r.time, 8);
  Put(out, r.flags, 2);
  Put(out, 0, 4);  // the in-memory pointer has no meaning in the file
}

std::string ZevudName(std::string_view name) {
  const size_t zero = name.find('\0');
  if (zero != std::string_view::npos) name = name.substr(0, zero);
  return std::string(name.substr(0, kZevudMaxName));
}

uint32_t ZevudTableCapacity(size_t count) {
  const size_t perStep = kZevudTableStep / kZevudEntrySize;
  const size_t steps = count == 0 ? 1 : (count + perStep - 1) / perStep;
  return static_cast<uint32_t>(steps * kZevudTableStep);
}

}  // namespace zeda
