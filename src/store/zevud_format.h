#pragma once
// The archive store's on-disk pieces: the 32-byte marker that starts a store inside a host
// file, and the 79-byte entry record (packed, little-endian) used for the root, for every
// folder's child table and in memory alike. Pure functions; any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zeda {

inline constexpr size_t kZevudMarkerSize = 32;
inline constexpr size_t kZevudBlock = 256;         // the marker only starts a block
inline constexpr size_t kZevudScanChunk = 262144;  // host bytes read per scan step
inline constexpr size_t kZevudEntrySize = 79;
inline constexpr size_t kZevudNameField = 53;  // zero-terminated name
inline constexpr size_t kZevudMaxName = 52;
inline constexpr uint32_t kZevudTableStep = 1580;  // child tables grow by 20 entries
inline constexpr uint32_t kZevudMaxChildren = 4095;
inline constexpr uint32_t kZevudMaxFileSize = 5242880;  // files above 5 MiB are refused
inline constexpr uint32_t kZevudPlainLimit = 100;       // files up to this are never packed
inline constexpr uint16_t kZevudFolderFlag = 0x8000;
inline constexpr uint16_t kZevudCountMask = 0x0FFF;

using ZevudMarker = std::array<uint8_t, kZevudMarkerSize>;

// The marker, assembled at run time: the program scans its own file for it, so the 32 bytes
// must never sit in the program image in one piece.
ZevudMarker MakeZevudMarker();

// One entry record as stored.
struct ZevudRecord {
  std::string name;     // at most 52 bytes
  uint32_t offset = 0;  // content offset from the root record's first byte (informative)
  uint32_t size = 0;    // file: uncompressed size; folder: child table capacity in bytes
  uint32_t packed = 0;  // file: compressed size, 0 when stored as is; folder: 0
  uint64_t time = 0;    // 100-ns intervals since 1601-01-01 UTC
  uint16_t flags = 0;   // bit 15 folder, bits 0-11 child count
};

// Decodes one record; nothing when fewer than 79 bytes are given.
std::optional<ZevudRecord> DecodeZevudRecord(std::span<const uint8_t> bytes);
// Appends the 79 bytes of r (the name cut to 52 bytes).
void EncodeZevudRecord(const ZevudRecord& r, std::string& out);

// A name as it is kept: cut to 52 bytes, and never with a zero byte inside.
std::string ZevudName(std::string_view name);

// The child table capacity in bytes for count children (at least one step).
uint32_t ZevudTableCapacity(size_t count);

}  // namespace zeda
