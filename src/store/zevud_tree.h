#pragma once
// The archive store's tree in memory, and its conversion from and to the bytes that follow
// the marker in a host file. Loading checks every size against the bytes that are there,
// so a damaged or hostile store is refused, never read beyond its end. Pure functions on
// values; any thread.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zeda {

struct ZevudEntry {
  std::string name;
  bool folder = false;
  uint32_t size = 0;                 // file: uncompressed size
  uint32_t packed = 0;               // file: compressed size, 0 when data is the file as it is
  uint64_t time = 0;                 // 100-ns intervals since 1601-01-01 UTC
  std::vector<uint8_t> data;         // file: the stored bytes (packed or plain)
  std::vector<ZevudEntry> children;  // folder: in stored order
};

// Folders nest at most this deep; a deeper tree is taken as damaged (it would only come
// from a crafted file and would exhaust the stack).
inline constexpr int kZevudMaxDepth = 64;

enum class ZevudLoad { Loaded, Damaged };

struct ZevudLoadResult {
  ZevudLoad state = ZevudLoad::Damaged;
  ZevudEntry root;
  std::string problem;  // what was wrong, for Damaged
};

// Reads the root record and the tree from bytes (the bytes after the marker).
ZevudLoadResult LoadZevudTree(std::span<const uint8_t> bytes);

// The root record and the tree, as they follow the marker.
std::string SerializeZevudTree(const ZevudEntry& root);

// Packs a file's content: zlib when it is larger than 100 bytes and the stream is no larger
// than the file, else as it is (packed 0). The result's size is data's size.
struct ZevudPacked {
  std::vector<uint8_t> data;
  uint32_t packed = 0;
};
ZevudPacked PackZevudData(std::span<const uint8_t> content);

// The file's content; false (out cleared) when a packed stream does not give exactly the
// recorded size.
bool UnpackZevudData(const ZevudEntry& file, std::vector<uint8_t>& out);

}  // namespace zeda
