#pragma once
// The layout sizes of this build, checked at build time and once at start-up.
//
// TODO(layout wiring): the monitor block's Monw/Monb positions and the link's transfer
// buffer size are not in this tree yet; fill monwEnd/monitorWords, monbEnd/monitorBytes
// from the monitor area and transferBufferSize from the link's COMMAXBUF when they land.
#include "app/self_checks.h"
#include "params/layout_checks.h"

namespace zeda {

inline constexpr LayoutSizes kBuildLayout = [] {
  LayoutSizes s;
  s.adrwEnd = layout::kAdrwEnd;
  s.wordAreaWords = layout::kWordAreaWords;
  s.adrbEnd = layout::kAdrbEnd;
  s.byteAreaEnd = layout::kByteAreaEnd;
  s.tablesBegin = layout::kTablesBegin;
  s.bitfieldBits = layout::kBitFieldBits;
  s.imageLength = layout::kImageLength;
  s.transferBufferSize = 8000;  // COMMAXBUF
  return s;
}();

static_assert(LayoutFits(kBuildLayout), "the address tables do not fit their memory areas");

}  // namespace zeda
