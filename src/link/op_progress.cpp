#include "link/op_progress.h"

#include <algorithm>

#include "link/op_states.h"
#include "params/param_image.h"

namespace zeda {

namespace {

struct PlanRow {
  int32_t state, from, to;
};

// The checking sequence in units of a 2400-unit plan.
constexpr PlanRow kPlan[] = {
    {OpState::kCheckRead1, 300, 1350},     {OpState::kCheckRead2, 1350, 2400},
    {OpState::kQuarter0Read1, 300, 562},   {OpState::kQuarter1Read1, 562, 825},
    {OpState::kQuarter2Read1, 825, 1087},  {OpState::kQuarter3Read1, 1087, 1350},
    {OpState::kQuarter0Read2, 1350, 1612}, {OpState::kQuarter1Read2, 1612, 1875},
    {OpState::kQuarter2Read2, 1875, 2137}, {OpState::kQuarter3Read2, 2137, 2400},
};
constexpr int32_t kPlanUnits = 2400;
constexpr int32_t kQuarterRound = 150;

int32_t RoundUp(int32_t v, int32_t step) { return (v + step - 1) / step * step; }

}  // namespace

int32_t RangePercent(int32_t address, int32_t rangeStart, int32_t rangeEnd) {
  if (rangeEnd <= rangeStart) return 0;
  const int64_t p = static_cast<int64_t>(address - rangeStart) * 100 / (rangeEnd - rangeStart);
  return static_cast<int32_t>(std::clamp<int64_t>(p, 0, 100));
}

int32_t GaugeForState(int32_t state, int32_t p) {
  for (const PlanRow& r : kPlan) {
    if (r.state == state) return (r.from * 100 + (r.to - r.from) * p) / kPlanUnits;
  }
  return p;
}

void QuarterRange(int32_t state, int32_t* start, int32_t* end) {
  constexpr int32_t kQuarters = OpState::kQuarterCount;
  // The first and the second reads of a quarter lie kQuarters * 2 states apart.
  const int32_t k = (state - OpState::kQuarter0Read1) % kQuarters;
  *start = std::min(RoundUp(k * PARAM_IMAGE_SIZE / kQuarters, kQuarterRound), PARAM_IMAGE_SIZE);
  *end = std::min(RoundUp((k + 1) * PARAM_IMAGE_SIZE / kQuarters, kQuarterRound), PARAM_IMAGE_SIZE);
}

}  // namespace zeda
