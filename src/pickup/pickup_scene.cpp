#include "pickup/pickup_scene.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zeda {

namespace {

class Painter {
 public:
  Painter(Scene& scene, int32_t shift) : scene_(scene), shift_(shift) {}
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t pen, int32_t colour) {
    DrawStep& s = Add(StepKind::Line, pen, colour);
    s.x1 = x1;
    s.y1 = y1 + shift_;
    s.x2 = x2;
    s.y2 = y2 + shift_;
  }
  void Rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour) {
    DrawStep& s = Add(StepKind::Rect, 1, colour);
    s.x1 = x1;
    s.y1 = y1 + shift_;
    s.x2 = x2;
    s.y2 = y2 + shift_;
  }
  DrawStep& Text(int32_t x, int32_t y, const char* text, int32_t colour, bool shifted = true) {
    DrawStep& s = Add(StepKind::Text, 1, colour);
    s.x1 = x;
    s.y1 = y + (shifted ? shift_ : 0);
    std::snprintf(s.text, sizeof s.text, "%s", text);
    return s;
  }

 private:
  DrawStep& Add(StepKind kind, int32_t pen, int32_t colour) {
    scene_.steps.emplace_back();
    DrawStep& s = scene_.steps.back();
    s.kind = kind;
    s.pen = pen;
    s.colour = colour;
    return s;
  }
  Scene& scene_;
  int32_t shift_;
};

bool IsMarker(const PickupEvent& e) { return (e.flags & EV_MARKERS) != 0; }

// The positions a dimension's ends are drawn at: kept ones follow their events.
void EndPositions(const EventList& events, const Dimension& d, bool kept, double* a, double* b) {
  *a = d.start;
  *b = d.end;
  if (!kept) return;
  const int32_t i = MatchEvent(events, d.start, d.startFlags);
  const int32_t j = MatchEvent(events, d.end, d.endFlags);
  if (i >= 0) *a = events.items[i].position;
  if (j >= 0) *b = events.items[j].position;
}

void DrawDimension(Painter& p, const PickupCore& core, const ViewGeometry& view, const Dimension& d,
                   bool kept) {
  double a = 0;
  double b = 0;
  EndPositions(core.Events(), d, kept, &a, &b);
  const int32_t xa = view.XOf(a);
  const int32_t xb = view.XOf(b);
  const int32_t y = d.y;
  const int32_t c = kSlotDimensions;
  p.Line(xa, y, xb, y, 1, c);
  const struct {
    int32_t x;
    uint32_t flags;
    int32_t outward;  // the side the arrow points to
  } ends[2] = {{xa, d.startFlags, -1}, {xb, d.endFlags, 1}};
  for (const auto& e : ends) {
    const bool marker = (e.flags & EV_MARKERS) != 0;
    const bool ignition = (e.flags & EV_IGNITION_MASK) != 0;
    if (!marker && !ignition && y < kPickup1High) p.Line(e.x, y - 5, e.x, kPickup1High, 1, c);
    if (!marker && y > kPickup2Low) p.Line(e.x, y + 5, e.x, kPickup2Low, 1, c);
    if (marker) {
      p.Line(e.x, y - 5, e.x, y + 5, 1, c);
    } else {
      p.Line(e.x - 10 * e.outward, y - 3, e.x, y, 1, c);
      p.Line(e.x - 10 * e.outward, y + 3, e.x, y, 1, c);
    }
  }
  char label[24];
  DimensionLabel(Dimension{a, b, y, d.startFlags, d.endFlags}, core.Synchronised(), label,
                 sizeof label);
  DrawStep& t = p.Text((xa + xb) / 2, y - 20, label, c);
  t.align = TextAlign::Centre;
  t.degreeSign = core.Synchronised();
}

SceneNotice NoticeOf(const PickupCore& core) {
  switch (core.Status()) {
    case CaptureStatus::Damaged:
      return SceneNotice::DamagedCaptures;
    case CaptureStatus::Waiting:
      return core.CaptureWanted() && core.Events().count == 0 ? SceneNotice::WaitingForCapture
                                                              : SceneNotice::None;
    default:
      return SceneNotice::None;
  }
}

// What the speed box must leave in sight: every text, and the ignition arrows (their
// shafts run through the label row).
bool Obstacle(const DrawStep& s, const TextMeasure& measure, TextBox* box) {
  if (s.kind == StepKind::Text) {
    *box = TextBoxOf(s, measure);
    return true;
  }
  if (s.kind != StepKind::Line || s.colour != kSlotIgnition) return false;
  const int32_t half = s.pen / 2 + 1;
  box->left = std::min(s.x1, s.x2) - half;
  box->right = std::max(s.x1, s.x2) + half;
  box->top = std::min(s.y1, s.y2) - half;
  box->bottom = std::max(s.y1, s.y2) + half;
  return true;
}

// Moves the block of texts [first, end) (the speed and what belongs under it) down until
// it covers none of the labels and arrows before it.
void PlaceClearOfLabelsAndArrows(Scene& scene, size_t first, const TextMeasure& measure,
                                 int32_t lowestTop) {
  TextBox block = TextBoxOf(scene.steps[first], measure);
  for (size_t i = first + 1; i < scene.steps.size(); ++i) {
    const TextBox b = TextBoxOf(scene.steps[i], measure);
    block.right = std::max(block.right, b.right);
    block.bottom = std::max(block.bottom, b.bottom);
  }
  const int32_t startTop = block.top;
  int32_t down = 0;
  // Every move goes below at least one obstacle, so the loop ends after as many moves.
  for (size_t moves = 0; moves <= first; ++moves) {
    TextBox at = block;
    at.top += down;
    at.bottom += down;
    int32_t clearBelow = -1;
    TextBox obstacle;
    for (size_t i = 0; i < first; ++i) {
      if (!Obstacle(scene.steps[i], measure, &obstacle)) continue;
      if (obstacle.Overlaps(at)) clearBelow = std::max(clearBelow, obstacle.bottom + 1);
    }
    if (clearBelow < 0) break;
    down = clearBelow - startTop;
  }
  // A picture too crowded to find room keeps the box at the top.
  if (startTop + down > lowestTop) down = 0;
  for (size_t i = first; i < scene.steps.size(); ++i) scene.steps[i].y1 += down;
}

}  // namespace

int32_t TextMeasure::WidthOf(const DrawStep& s) const {
  const int32_t text =
      width ? width(s.text) : static_cast<int32_t>(std::strlen(s.text)) * charWidth;
  return text + (s.degreeSign ? kDegreeSignWidth : 0);
}

TextBox TextBoxOf(const DrawStep& s, const TextMeasure& measure) {
  const int32_t w = measure.WidthOf(s);
  TextBox b;
  b.left = s.align == TextAlign::Centre ? s.x1 - w / 2 : s.x1;
  b.top = s.y1;
  b.right = b.left + w - 1;
  b.bottom = s.y1 + measure.height - 1;
  return b;
}

void BuildScene(const PickupCore& core, const ViewGeometry& view, const Dimension* drawing,
                Scene& scene, const TextMeasure& measure) {
  scene.Clear();
  scene.notice = NoticeOf(core);
  const EventList& events = core.Events();
  if (events.count == 0) return;
  Painter p(scene, view.YShift());
  const bool sync = core.Synchronised();
  const int32_t s = core.Span();

  // 1. The cycle frame (degrees only mean something in the synchronised view).
  if (sync) p.Rect(view.XOf(0), 0, view.XOf(s), view.height - kFrameBottomGap, kPaintFrame);

  // 2. Ignition arrows and their texts.
  for (int32_t i = 0; i < events.count; ++i) {
    const PickupEvent& e = events.items[i];
    if (!(e.flags & EV_IGNITION_MASK) || IsMarker(e)) continue;
    const int32_t x = view.XOf(e.position);
    if (!view.InsideMargins(x)) continue;
    p.Line(x, kArrowTop, x, kArrowBottom, 3, kSlotIgnition);
    p.Line(x, kArrowBottom, x - 8, kArrowBottom - 16, 3, kSlotIgnition);
    p.Line(x, kArrowBottom, x + 8, kArrowBottom - 16, 3, kSlotIgnition);
    char text[40];
    if (sync) {
      for (int c = 0; c < kIgnitionChannels; ++c) {
        if (!(e.flags & (EV_IGNITION1 << c))) continue;
        std::snprintf(text, sizeof text, "CH%i=%.1f", c + 1, e.position);
        p.Text(x + 10, 15 * c + 10, text, kSlotIgnition).degreeSign = true;
      }
    } else {
      std::snprintf(text, sizeof text, "%.1fms", e.position);
      p.Text(x + 10, 10, text, kSlotIgnition);
    }
  }

  // 3-5. Levels, grid and edges, pair by pair up to the first marker.
  for (int32_t i = 0; i + 1 < events.count; ++i) {
    const PickupEvent& e = events.items[i];
    const PickupEvent& next = events.items[i + 1];
    if (IsMarker(next)) break;
    const int32_t x1 = view.ClampToMargins(view.XOf(e.position));
    const int32_t x2 = view.ClampToMargins(view.XOf(next.position));
    if (x1 != x2) {
      p.Line(x1, (e.flags & EV_PICKUP1) ? kPickup1High : kPickup1Low, x2,
             (e.flags & EV_PICKUP1) ? kPickup1High : kPickup1Low, 2, kSlotCurve1);
      p.Line(x1, (e.flags & EV_PICKUP2) ? kPickup2High : kPickup2Low, x2,
             (e.flags & EV_PICKUP2) ? kPickup2High : kPickup2Low, 2, kSlotCurve2);
    }
  }
  for (int32_t i = 0; i + 1 < events.count; ++i) {
    const PickupEvent& e = events.items[i];
    const PickupEvent& next = events.items[i + 1];
    if (IsMarker(next)) break;
    const int32_t x = view.XOf(next.position);
    if (!view.InsideMargins(x)) continue;
    const uint32_t diff = e.flags ^ next.flags;
    if (diff & EV_LEVELS) p.Line(x, 180, x, 370, 1, kSlotGrid);
    if (next.flags & EV_IGNITION_MASK) p.Line(x, kArrowBottom, x, 370, 1, kSlotGrid);
  }
  for (int32_t i = 0; i + 1 < events.count; ++i) {
    const PickupEvent& e = events.items[i];
    const PickupEvent& next = events.items[i + 1];
    if (IsMarker(next)) break;
    const int32_t x = view.XOf(next.position);
    if (!view.InsideMargins(x)) continue;
    const uint32_t diff = e.flags ^ next.flags;
    if (diff & EV_PICKUP1) {
      p.Line(x, kPickup1High, x, kPickup1Low, 5,
             (next.flags & EV_PICKUP1) ? kSlotRise1 : kSlotFall1);
    }
    if (diff & EV_PICKUP2) {
      p.Line(x, kPickup2High, x, kPickup2Low, 5,
             (next.flags & EV_PICKUP2) ? kSlotRise2 : kSlotFall2);
    }
  }

  // 6. Dimensions.
  const DimensionSet& dims = core.Dimensions();
  for (int32_t i = 0; i < dims.Count(); ++i) DrawDimension(p, core, view, dims.At(i), true);
  if (drawing) DrawDimension(p, core, view, *drawing, false);

  // 7. The speed, and how much of a long record is shown.
  char text[40];
  std::snprintf(text, sizeof text, sync ? "RPM=%.1f (synchro)" : "RPM=%.1f (no synchro)",
                core.Speed());
  const size_t speedAt = scene.steps.size();
  DrawStep& speed = p.Text(1, 1, text, kPaintWhite, false);
  speed.background = sync ? kPaintBlack : kPaintRed;
  const int32_t shown = events.count - (sync ? 2 : 0);
  if (events.found > shown) {
    std::snprintf(text, sizeof text, "%d of %d events shown", shown, events.found);
    p.Text(1, 2 + measure.height, text, kPaintWhite, false).background = kPaintBlack;
  }
  PlaceClearOfLabelsAndArrows(scene, speedAt, measure, view.height - kFrameBottomGap);
  scene.speedStep = static_cast<int32_t>(speedAt);
}

void DimensionLabelAnchor(const PickupCore& core, const ViewGeometry& view, const Dimension& d,
                          bool kept, int32_t* centreX, int32_t* y) {
  double a = 0;
  double b = 0;
  EndPositions(core.Events(), d, kept, &a, &b);
  *centreX = (view.XOf(a) + view.XOf(b)) / 2;
  *y = d.y - 20 + view.YShift();
}

}  // namespace zeda
