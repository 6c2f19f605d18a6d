#pragma once
// The pickup monitor's picture as a list of drawing steps (lines, rectangles, texts),
// built from the events, the view and the dimensions without any toolkit, so what is
// drawn where can be tested and measured; the window paints the list as it is.
// Main thread only; the list keeps its storage between pictures.
#include <cstdint>
#include <vector>

#include "pickup/pickup_core.h"
#include "pickup/pickup_view.h"

namespace zeda {

// The nine colour slots, in the order of the window's colour boxes.
enum ColourSlot : int32_t {
  kSlotCurve1 = 0,  // A1 pick-up 1 levels
  kSlotRise1,       // A2
  kSlotFall1,       // A3
  kSlotCurve2,      // B1 pick-up 2 levels
  kSlotRise2,       // B2
  kSlotFall2,       // B3
  kSlotIgnition,    // C1
  kSlotGrid,        // C2
  kSlotDimensions,  // C3
  kColourSlotCount,
  // Fixed colours of the picture, not chosen by the user.
  kPaintFrame = 100,  // gray
  kPaintWhite,
  kPaintBlack,
  kPaintRed,
  kPaintNone,  // transparent background
};

enum class StepKind : uint8_t { Line, Rect, Text };
enum class TextAlign : uint8_t { Left, Centre };

struct DrawStep {
  StepKind kind = StepKind::Line;
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a text's anchor is (x1, y1), its top
  int32_t pen = 1;
  int32_t colour = kPaintWhite;
  int32_t background = kPaintNone;  // texts only
  TextAlign align = TextAlign::Left;
  bool degreeSign = false;  // a small circle follows the text
  char text[40] = {};
};

struct Scene {
  std::vector<DrawStep> steps;
  void Clear() { steps.clear(); }
};

// The dimension being drawn (null when none) and the kept ones come from core.
void BuildScene(const PickupCore& core, const ViewGeometry& view, const Dimension* drawing,
                Scene& scene);

// Where a dimension's label sits: its centre column and its baseline row (picture
// coordinates, pan included). Kept dimensions follow their events like BuildScene draws
// them.
void DimensionLabelAnchor(const PickupCore& core, const ViewGeometry& view, const Dimension& d,
                          bool kept, int32_t* centreX, int32_t* y);

}  // namespace zeda
