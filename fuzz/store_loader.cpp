// Feeds arbitrary bytes to the archive store's tree loader; whatever loads must unpack
// without reading out of bounds and serialise back to a tree that loads the same.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "store/zevud_tree.h"

namespace {

void Walk(const zeda::ZevudEntry& e) {
  if (!e.folder) {
    std::vector<uint8_t> out;
    if (zeda::UnpackZevudData(e, out) && out.size() != e.size) __builtin_trap();
    return;
  }
  for (const zeda::ZevudEntry& c : e.children) Walk(c);
}

size_t Count(const zeda::ZevudEntry& e) {
  size_t n = 1;
  for (const zeda::ZevudEntry& c : e.children) n += Count(c);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto r = zeda::LoadZevudTree(std::span(data, size));
  if (r.state != zeda::ZevudLoad::Loaded) return 0;
  Walk(r.root);
  const std::string again = zeda::SerializeZevudTree(r.root);
  const auto back =
      zeda::LoadZevudTree(std::span(reinterpret_cast<const uint8_t*>(again.data()), again.size()));
  if (back.state != zeda::ZevudLoad::Loaded || Count(back.root) != Count(r.root)) __builtin_trap();
  return 0;
}
