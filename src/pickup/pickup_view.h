#pragma once
// The picture's geometry and the user's measurement lines ("dimensions").
//
// ViewGeometry maps event positions to picture columns with the horizontal zoom and the
// origins that the wheel and panning move. Dimensions snap to events: the start by the
// height at which the drag began (ignition row, pick-up 1 row, pick-up 2 row, markers),
// the end to any ignition, marker or level change. Main thread only; fixed storage.
#include <cstdint>

#include "pickup/pickup_processing.h"
#include "pickup/pickup_types.h"

namespace zeda {

// Fixed heights of the picture (pixels from the top, before the vertical pan).
inline constexpr int kArrowTop = 10;
inline constexpr int kArrowBottom = 100;
inline constexpr int kPickup1High = 200;
inline constexpr int kPickup1Low = 250;
inline constexpr int kPickup2High = 300;
inline constexpr int kPickup2Low = 350;
inline constexpr int kFrameBottomGap = 80;  // the cycle frame ends this far above the bottom
inline constexpr double kZoomMin = 1;
inline constexpr double kZoomMax = 1024;

struct ViewGeometry {
  int32_t width = 800;
  int32_t height = 600;
  double zoomX = 1;
  double zoomY = 1;
  double originX = 0;
  double originY = 0;
  int32_t placementX = 25;  // percent of the plotting width (0: middle, negative: from right)
  int32_t placementY = 25;  // pixels from the top
  int32_t margin = 20;
  double viewStart = 0;
  double viewEnd = 1;

  // Origins at zoom 1 follow the window size and placements.
  void PlaceOrigins();
  int32_t XOf(double position) const;
  // The picture's vertical shift from panning (0 at the start).
  int32_t YShift() const { return static_cast<int32_t>(originY) - placementY; }
  bool InsideMargins(int32_t x) const { return x >= margin && x <= width - margin; }
  int32_t ClampToMargins(int32_t x) const;
  // A wheel step at a point of the picture: zoom in (positive) or out, keeping the point.
  void Wheel(int32_t mouseX, int32_t mouseY, int32_t step);
  void Pan(int32_t dx, int32_t dy) {
    originX += dx;
    originY += dy;
  }
};

struct Dimension {
  double start = 0;
  double end = 0;
  int32_t y = 0;
  uint32_t startFlags = 0;
  uint32_t endFlags = 0;
};

inline constexpr int kMaxKeptDimensions = 10;

// What snapping may land on.
enum SnapKind : uint32_t {
  kSnapIgnition = 1,
  kSnapMarker = 2,
  kSnapPickup1 = 4,  // a level change of pick-up 1
  kSnapPickup2 = 8,  // a level change of pick-up 2
};

// The index of the event nearest to column x among those of the kinds, -1 when none;
// `side` > 0 looks only at events after `beyond`, < 0 only before it (by position).
int32_t SnapEvent(const EventList& events, const ViewGeometry& view, int32_t x, uint32_t kinds,
                  int side = 0, int32_t beyond = -1);
// The kinds a drag that starts at height y (picture coordinates, pan removed) snaps to.
uint32_t StartSnapKinds(const EventList& events, int32_t y);
// The index of the event nearest to a stored position with the same flags, -1 when none.
int32_t MatchEvent(const EventList& events, double position, uint32_t flags);

class DimensionSet {
 public:
  // The dimension being drawn from a drag (picture coordinates, pan removed). False when
  // the start finds no event.
  bool Preview(const EventList& events, const ViewGeometry& view, int32_t startX, int32_t startY,
               int32_t x, int32_t y, Dimension* out) const;
  // Keeps a drawn dimension; false when ten are kept already (nothing is replaced).
  bool Keep(const Dimension& d);
  void Remove(int32_t index);
  void Clear() { count_ = 0; }
  int32_t Count() const { return count_; }
  const Dimension& At(int32_t i) const { return kept_[i]; }

 private:
  Dimension kept_[kMaxKeptDimensions];
  int32_t count_ = 0;
};

// The length of a dimension as its label shows it: "%.1lf" degrees (synchronised) or
// "%.1lfms"; a leading "-" when it runs from an event to a marker. Writes into text.
void DimensionLabel(const Dimension& d, bool synchronised, char* text, int size);

}  // namespace zeda
