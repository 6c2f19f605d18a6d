#pragma once
// The number format shared by the grid, the graphs and the clipboard.
#include <string>
#include <string_view>

namespace zeda {

// Decimals shown for a display scale: trunc(0.99 - log10|s|) below 1, else 0.
int DecimalsForScale(double scale);

// raw * scale with the scale's decimals, digit groups of three separated by spaces,
// trailing zeros (and a bare point) stripped; " unit" appended when a unit is given.
std::string FormatValue(int raw, double scale, std::string_view unit = {});

// Replaces every "." by "," (clipboard texts while the interface is Czech).
void ToDecimalComma(std::string& text);

}  // namespace zeda
