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
  double D[3], E[3], F[3];  // screen x, screen y and depth rows, scaled
  double x0 = 0, ox = 0, oy = 0, k = 1;
  // Screen x, y and depth of offsets (h, v, d) from the range minima.
  double X(double h, double v, double d) const {
    return x0 + (ox + D[0] * h + D[1] * v + D[2] * d) * k;
  }
  double Y(double h, double v, double d) const { return oy - (E[0] * h + E[1] * v + E[2] * d); }
  double Depth(double h, double v, double d) const { return F[0] * h + F[1] * v + F[2] * d; }
};

// viewLeft/viewBottom: the view rectangle; plotW/plotH: plot size; spans of the
// horizontal, data and family ranges (raw units, non-zero).
TProjection MakeProjection(int angleX, int angleXY, int angleXYZ, double viewLeft,
                           double viewBottom, int panelWidth, double plotW, double plotH,
                           double hSpan, double vSpan, double fSpan);

}  // namespace zeda
