#pragma once
// The 3D view's projection and colouring: rotation by the three angles, normalisation,
// scales, origin and horizontal stretch, the 62-entry height palette. Qt-free arithmetic
// used by the painter and the tests; main thread only.
#include <array>
#include <cstdint>

namespace zeda {

inline constexpr int kPaletteSize = 62;

// RGB of palette entry i (0 ... 61): six linear segments between the stops.
struct Rgb {
  uint8_t r, g, b;
};
const std::array<Rgb, kPaletteSize>& HeightPalette();

struct TProjection {
  double d[3], e[3], f[3];  // screen x, screen y and depth rows, scaled
  double x0 = 0, ox = 0, oy = 0, k = 1;
  // Screen x, y and depth of offsets (h, v, w) from the range minima.
  double X(double h, double v, double w) const {
    return x0 + (ox + d[0] * h + d[1] * v + d[2] * w) * k;
  }
  double Y(double h, double v, double w) const { return oy - (e[0] * h + e[1] * v + e[2] * w); }
  double Depth(double h, double v, double w) const { return f[0] * h + f[1] * v + f[2] * w; }
};

// viewLeft/viewBottom: the view rectangle; plotW/plotH: plot size; spans of the
// horizontal, data and family ranges (raw units, non-zero).
TProjection MakeProjection(int angleX, int angleXY, int angleXYZ, double viewLeft,
                           double viewBottom, int panelWidth, double plotW, double plotH,
                           double hSpan, double vSpan, double fSpan);

}  // namespace zeda
