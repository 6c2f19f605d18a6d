#pragma once
// The layout sizes of this build, checked at build time and once at start-up.
//
// TODO(layout wiring): the image and monitor address tables are not in this tree yet.
// When they land, fill the Adrw/Adrb/Monw/Monb ends, the area sizes and the bit counts
// of the six bit-field groups from their constants instead of the zeros below, and take
// the image length and transfer buffer size from the image and link headers.
#include "app/self_checks.h"

namespace zeda {

inline constexpr LayoutSizes kBuildLayout = [] {
  LayoutSizes s;
  s.imageLength = 1050;         // RS_LEN_EXE
  s.transferBufferSize = 8000;  // COMMAXBUF
  return s;
}();

static_assert(layoutFits(kBuildLayout), "the address tables do not fit their memory areas");

}  // namespace zeda
