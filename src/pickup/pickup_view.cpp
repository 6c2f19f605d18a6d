#include "pickup/pickup_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zeda {

void ViewGeometry::PlaceOrigins() {
  const int32_t plot = width - 2 * margin;
  if (zoomX == 1) {
    if (placementX == 0) {
      originX = width / 2;
    } else if (placementX > 0) {
      originX = plot * placementX / 100 + margin;
    } else {
      originX = width - (plot * -placementX / 100 + margin);
    }
  }
  if (zoomY == 1) {
    if (placementY == 0) {
      originY = height / 2;
    } else if (placementY > 0) {
      originY = placementY;
    } else {
      originY = height + placementY;
    }
  }
}

int32_t ViewGeometry::XOf(double position) const {
  const double span = viewEnd - viewStart;
  if (span == 0) return static_cast<int32_t>(originX);
  const double x = originX + position * width / span * zoomX;
  return static_cast<int32_t>(std::clamp(x, -1e8, 1e8));
}

int32_t ViewGeometry::ClampToMargins(int32_t x) const {
  return std::clamp(x, margin, std::max(margin, width - margin));
}

void ViewGeometry::Wheel(int32_t mouseX, int32_t mouseY, int32_t step) {
  const double oldX = std::trunc(zoomX);
  const double oldY = std::trunc(zoomY);
  zoomX = std::clamp(step > 0 ? zoomX * 2 : zoomX / 2, kZoomMin, kZoomMax);
  zoomY = std::clamp(zoomY, kZoomMin, kZoomMax);
  originX = mouseX - (mouseX - originX) * zoomX / oldX;
  originY = mouseY - (mouseY - originY) * zoomY / oldY;
}

namespace {

uint32_t KindsOf(const EventList& events, int32_t i) {
  const uint32_t flags = events.items[i].flags;
  uint32_t kinds = 0;
  if (flags & EV_IGNITION_MASK) kinds |= kSnapIgnition;
  if (flags & EV_MARKERS) return kinds | kSnapMarker;
  // A level change against the previous data event (markers carry no levels).
  int32_t p = i - 1;
  while (p >= 0 && (events.items[p].flags & EV_MARKERS)) --p;
  if (p >= 0) {
    const uint32_t diff = flags ^ events.items[p].flags;
    if (diff & EV_PICKUP1) kinds |= kSnapPickup1;
    if (diff & EV_PICKUP2) kinds |= kSnapPickup2;
  }
  return kinds;
}

}  // namespace

int32_t SnapEvent(const EventList& events, const ViewGeometry& view, int32_t x, uint32_t kinds,
                  int side, int32_t beyond) {
  int32_t best = -1;
  int64_t bestDistance = 0;
  for (int32_t i = 0; i < events.count; ++i) {
    if (!(KindsOf(events, i) & kinds)) continue;
    if (side != 0 && beyond >= 0) {
      const double d = events.items[i].position - events.items[beyond].position;
      if (side > 0 ? d <= 0 : d >= 0) continue;
    }
    const int64_t distance =
        std::llabs(static_cast<int64_t>(view.XOf(events.items[i].position)) - x);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

uint32_t StartSnapKinds(const EventList& events, int32_t y) {
  if (y < 160) return kSnapIgnition | kSnapMarker;
  if (y < 250) return kSnapPickup1;
  if (y < 300) return kSnapPickup1 | kSnapPickup2;
  if (y < 420) {
    for (int32_t i = 0; i < events.count; ++i) {
      if (KindsOf(events, i) & kSnapPickup2) return kSnapPickup1 | kSnapPickup2;
    }
    return kSnapPickup2;
  }
  return kSnapMarker;
}

int32_t MatchEvent(const EventList& events, double position, uint32_t flags) {
  int32_t best = -1;
  double bestDistance = 0;
  for (int32_t i = 0; i < events.count; ++i) {
    if ((events.items[i].flags & EV_MATCH_MASK) != (flags & EV_MATCH_MASK)) continue;
    const double distance = std::fabs(events.items[i].position - position);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

bool DimensionSet::Preview(const EventList& events, const ViewGeometry& view, int32_t startX,
                           int32_t startY, int32_t x, int32_t y, Dimension* out) const {
  const int32_t a = SnapEvent(events, view, startX, StartSnapKinds(events, startY));
  if (a < 0) return false;
  const uint32_t endKinds = kSnapIgnition | kSnapMarker | kSnapPickup1 | kSnapPickup2;
  int32_t b = SnapEvent(events, view, x, endKinds);
  if (b == a || b < 0) {
    const int side = x >= view.XOf(events.items[a].position) ? 1 : -1;
    b = SnapEvent(events, view, x, endKinds, side, a);
  }
  if (b < 0) b = a;
  const PickupEvent* first = &events.items[a];
  const PickupEvent* second = &events.items[b];
  if (second->position < first->position) std::swap(first, second);
  out->start = first->position;
  out->end = second->position;
  out->startFlags = first->flags;
  out->endFlags = second->flags;
  out->y = y;
  return true;
}

bool DimensionSet::Keep(const Dimension& d) {
  if (count_ >= kMaxKeptDimensions) return false;
  kept_[count_++] = d;
  return true;
}

void DimensionSet::Remove(int32_t index) {
  if (index < 0 || index >= count_) return;
  for (int32_t i = index; i + 1 < count_; ++i) kept_[i] = kept_[i + 1];
  --count_;
}

void DimensionLabel(const Dimension& d, bool synchronised, char* text, int size) {
  const bool negative = !(d.startFlags & EV_MARKERS) && (d.endFlags & EV_MARKERS);
  const double length = std::fabs(d.end - d.start);
  if (synchronised) {
    std::snprintf(text, static_cast<size_t>(size), negative ? "-%.1f" : "%.1f ", length);
  } else {
    std::snprintf(text, static_cast<size_t>(size), negative ? "-%.1fms" : "%.1fms", length);
  }
}

}  // namespace zeda
