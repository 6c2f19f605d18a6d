#pragma once
// Region interpolation: fills a rectangle of cells from its four corners.
#include <cstdint>

#include "mapedit/sheet.h"

namespace zeda {

// Bilinear fill of cells c0..c1 x r0..r1 (c0 <= c1, r0 <= r1) from the corner cells.
// Positions are breakpoint values for a proportional axis (when xs / ys are given), else
// indices. A zero-width span puts every column (row) at its middle.
void InterpolateRegion(int32_t* cells, int c0, int c1, int r0, int r1, const int32_t* xs,
                       const int32_t* ys);

// Interpolates the sheet's cells using its own axes for positions.
void InterpolateSheetRegion(CSheet& s, int c0, int c1, int r0, int r1);

// Spaces values[i0+1 .. i1-1] linearly between values[i0] and values[i1].
void InterpolateRun(int32_t* values, int i0, int i1);

}  // namespace zeda
