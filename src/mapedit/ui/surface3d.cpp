// Projection and palette of the 3D view.
#include "mapedit/ui/surface3d.h"

#include <cmath>

namespace zeda {

const std::array<Rgb, kPaletteSize>& HeightPalette() {
  static const std::array<Rgb, kPaletteSize> kPalette = [] {
    struct Stop {
      int at;
      int r, g, b;
    };
    const Stop stops[] = {{0, 0, 0, 0x55},  {10, 0, 0, 0xFF},    {20, 0, 0xFF, 0xFF},
                          {30, 0, 0xFF, 0}, {38, 0xFF, 0xFF, 0}, {50, 0xCC, 0xCC, 0},
                          {61, 0xFF, 0, 0}};
    std::array<Rgb, kPaletteSize> p{};
    for (int s = 0; s + 1 < 7; ++s) {
      const Stop& a = stops[s];
      const Stop& b = stops[s + 1];
      for (int i = a.at; i <= b.at; ++i) {
        const double f = double(i - a.at) / (b.at - a.at);
        p[i] = {static_cast<uint8_t>(a.r + (b.r - a.r) * f),
                static_cast<uint8_t>(a.g + (b.g - a.g) * f),
                static_cast<uint8_t>(a.b + (b.b - a.b) * f)};
      }
    }
    return p;
  }();
  return kPalette;
}

TProjection MakeProjection(int angleX, int angleXY, int angleXYZ, double viewLeft,
                           double viewBottom, int panelWidth, double plotW, double plotH,
                           double hSpan, double vSpan, double fSpan) {
  double ex[3] = {1, 0, 0}, ey[3] = {0, 1, 0}, ez[3] = {0, 0, 1};
  const double a = angleX * M_PI / 36, b = angleXY * M_PI / 36, c = angleXYZ * M_PI / 36;
  for (double* e : {ex, ey, ez}) {
    double y = e[1] * std::cos(a) - e[2] * std::sin(a), z = e[1] * std::sin(a) + e[2] * std::cos(a);
    e[1] = y, e[2] = z;
    double x = e[0] * std::cos(b) - e[2] * std::sin(b);
    z = e[0] * std::sin(b) + e[2] * std::cos(b);
    e[0] = x, e[2] = z;
    x = e[0] * std::cos(c) - e[1] * std::sin(c);
    y = e[0] * std::sin(c) + e[1] * std::cos(c);
    e[0] = x, e[1] = y;
  }
  // Each rotated vector divided by the sum of the magnitudes of its components.
  TProjection p;
  const double* rot[3] = {ex, ey, ez};
  double* out[3] = {p.d, p.e, p.f};
  for (int i = 0; i < 3; ++i) {
    const double n = std::abs(rot[i][0]) + std::abs(rot[i][1]) + std::abs(rot[i][2]);
    for (int j = 0; j < 3; ++j) out[i][j] = n > 0 ? rot[i][j] / n : 0;
  }
  p.x0 = viewLeft + panelWidth + 10;
  double negD = 0, negE = 0;
  for (int j = 0; j < 3; ++j) {
    if (p.d[j] < 0) negD -= p.d[j];
    if (p.e[j] < 0) negE -= p.e[j];
  }
  p.ox = std::trunc(negD * plotH);
  p.oy = std::trunc(viewBottom - 10 - negE * plotH);
  const double sX = plotH / hSpan, sV = plotH / vSpan, sY = plotH / fSpan;
  const double scales[3] = {sX, sV, sY};
  for (int j = 0; j < 3; ++j) {
    p.d[j] *= scales[j];
    p.e[j] *= scales[j];
    p.f[j] *= scales[j];
  }
  p.f[1] = 0;
  const double aspect = plotH > 0 ? plotW / plotH : 1;
  p.k = aspect * 0.95;
  if (p.k > 0.94 && p.k < 1.06) p.k = 1;
  return p;
}

}  // namespace zeda
