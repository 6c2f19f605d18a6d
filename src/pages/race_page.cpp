// The Race page (see race_page.h).
#include "pages/race_page.h"

#include <algorithm>

#include "monitor/live_values.h"
#include "pages/page_binder.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

namespace {

constexpr int kQuickshiftPresence = 4;  // an input has function Quickshift

static_assert(std::size(kRaceRows) == kRaceFirstCell + kRaceColumns * kRaceGearRows);

// Row "0-1 " serves gears 0 and 1; row r serves gear r + 1.
int RowOfGear(int gear) { return std::max(gear, 1) - 1; }

}  // namespace

void RacePage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const bool quickshift = binder.Buffers().presence[kQuickshiftPresence];
  for (const char* name : kQuickshiftControls) c.SetEnabled(name, quickshift);

  const bool gear = img.Byte(Adrb::GEAR) != GEAR_NONE;
  const int count = std::clamp<int>(img.Byte(Adrb::GEAR_COUNT), 1, kRaceGearRows);
  c.SetVisible("GroupBoxGearKor", gear);
  for (int r = 0; r < kRaceGearRows; ++r) {
    const bool shown = r == 0 || (gear && r + 1 <= count);
    c.SetVisible(kClutchRowLabels[r], shown);
    c.SetVisible(kKorRowLabels[r], shown);
    for (int col = 0; col < kRaceColumns; ++col) c.SetVisible(RaceCell(col, r).control, shown);
  }
}

void RacePage::Tick(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const bool valid = context_.live != nullptr && context_.live->live;
  const int current = valid ? RowOfGear(context_.live->gear) : -1;
  const bool quickshift = binder.Buffers().presence[kQuickshiftPresence];
  for (int r = 0; r < kRaceGearRows; ++r) {
    c.SetHighlighted(kKorRowLabels[r], r == current);
    c.SetHighlighted(kClutchRowLabels[r], quickshift && r == current);
  }
}

}  // namespace zeda
