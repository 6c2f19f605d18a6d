#pragma once
// Value steps of geometric sheets.
#include <cstdint>

namespace zeda {

inline constexpr int kLadderPoints = 1200;

// Point i of the geometric ladder: 100 * 1.01^i.
double LadderPoint(int i);

// The step of value m by s (+1 / -1) on the ladder; stepSize applies outside it.
int32_t GeometricStep(int32_t m, int s, double stepSize);

// a + d, saturated to the int32 range.
int32_t AddSaturated(int32_t a, int64_t d);

}  // namespace zeda
