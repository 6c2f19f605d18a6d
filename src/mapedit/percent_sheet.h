#pragma once
// Percentage sheets: cells as percent of a base table.
#include "mapedit/sheet.h"

namespace zeda {

// Base table interpolated at this sheet's breakpoints, into baseAtCells.
void ComputeBaseAtCells(CSheet& s);
// Absolute values into absCells (cells themselves when they are stored absolute).
void ComputeAbsCells(CSheet& s);
// (a * b +- 50) / 100 with the rounding term's sign taken from the product.
int32_t PercentOf(int64_t a, int64_t b);

}  // namespace zeda
