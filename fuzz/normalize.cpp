// Fuzzes the normaliser, the defaults and the presence flags with arbitrary images: nothing
// may crash or read/write outside the image, and normalising twice must change nothing.
#include "params/normalize.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "params/defaults.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zeda;
  ParamImage img;
  const size_t n = size < static_cast<size_t>(PARAM_IMAGE_SIZE) ? size : PARAM_IMAGE_SIZE;
  std::memcpy(img.Data(), data, n);
  const uint8_t extra = size > n ? data[n] : 0;

  RepairableSettings s{static_cast<int8_t>(extra), extra * 3 - 300, extra - 100};
  NormalizeParams(img, &s);
  ParamImage twice = img;
  NormalizeParams(twice);
  if (!(twice == img)) std::abort();
  if (s.language < 0 || s.language > 2 || s.comPort < -1 || s.comPort > 255) std::abort();

  Presence p;
  UpdatePresence(img, p);
  PageGroups groups;
  bool byHand = (extra & 0x80) != 0;
  ApplyDefaultsForPage(img, groups, static_cast<int>(extra % 11) - 1, byHand);
  NormalizeParams(img);
  return 0;
}
