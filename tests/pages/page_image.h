#pragma once
// The image the map-page tests start from: the program's start image, normalised.
#include "params/defaults.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_fields.h"

namespace zeda::test {

inline ParamImage PageImage() {
  ParamImage img = StartImage();
  NormalizeParams(img);
  return img;
}

// Steps the table's commit deadline past the pending edit.
inline void TickUntilCommitted(TTab& t) {
  for (int i = 0; i < 6; ++i) t.Tick();
}

}  // namespace zeda::test
