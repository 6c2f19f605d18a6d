#pragma once
// TTabGraph: the view state of a table's graphs (3D angles and colouring, 2D hover and
// drags, zone chart stretch). Plain data; main thread only.
#include <string>
#include <vector>

namespace zeda {

inline constexpr int kHoverNothing = -100;
inline constexpr int kHoverBaseAdvance = -1;
inline constexpr int kHoverLimiter = -2;
inline constexpr int kHoverStartLimiter = -3;

// Angle presets of the 3D view, in steps of 5 degrees: (angleX, angleXY, angleXYZ).
struct TAnglePreset {
  int angleX, angleXY, angleXYZ;
};
inline constexpr TAnglePreset kPresetTop{-18, 0, 0};
inline constexpr TAnglePreset kPresetIso1{-5, 4, 0};
inline constexpr TAnglePreset kPresetIso2{-5, 24, 0};

inline constexpr int kColourModeMax = 5;
inline constexpr int kValueLabelsMax = 3;

struct TTabGraph {
  int angleX = -5, angleXY = 24, angleXYZ = 0;
  int colourMode = 4;   // 0 wire, 1 one colour, 2 ... 5 height colours with grain 0 ... 3
  int valueLabels = 0;  // 0 none, 1 active, 2 interesting, 3 all
  int panelWidth = 140;
  int hovered = kHoverNothing;  // row * 50 + column, or one of the kHover values
  int currentCurve = 0;
  bool dragging = false;
  int dragOffsetX = 0, dragOffsetY = 0;
  int dragStartX = 0, dragStartY = 0;
  int dragStartAngleX = 0, dragStartAngleXY = 0;
  std::string hint;
  bool zoneStretch = false;

  bool Matches(const TAnglePreset& p) const {
    return angleX == p.angleX && angleXY == p.angleXY && angleXYZ == p.angleXYZ;
  }
  void Apply(const TAnglePreset& p) {
    angleX = p.angleX;
    angleXY = p.angleXY;
    angleXYZ = p.angleXYZ;
  }
};

// Zone borders of the zone chart along one axis, with the raw value each border stands
// for: the outer borders lie one mean breakpoint gap beyond the first and last breakpoint.
struct TZoneScale {
  std::vector<double> edges;   // pixels, from the start of the axis to its end
  std::vector<double> values;  // raw value at each edge

  // The raw value at a pixel position, linear between neighbouring edges (and beyond the
  // outer ones).
  double ValueAt(double pos) const {
    if (edges.size() < 2) return values.empty() ? 0 : values.front();
    const double dir = edges.back() - edges.front();
    size_t k = 0;
    while (k + 2 < edges.size() && (pos - edges[k + 1]) * dir > 0) ++k;
    const double a = edges[k], b = edges[k + 1];
    const double t = b == a ? 0 : (pos - a) / (b - a);
    return values[k] + t * (values[k + 1] - values[k]);
  }
};

// An angle kept in -35 ... 36 (72 steps of 5 degrees make a turn).
inline int WrapAngle(int a) {
  a = ((a + 35) % 72 + 72) % 72 - 35;
  return a;
}

}  // namespace zeda
