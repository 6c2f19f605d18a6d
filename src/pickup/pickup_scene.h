#pragma once
// The pickup monitor's picture as a list of drawing steps (lines, rectangles, texts),
// built from the events, the view and the dimensions without any toolkit, so what is
// drawn where can be tested and measured; the window paints the list as it is.
// Main thread only; the list keeps its storage between pictures.
#include <cstdint>
#include <functional>
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

// The small circle drawn as a degree sign after a text takes this much room.
inline constexpr int32_t kDegreeSignWidth = 6;
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

// How big a text is drawn: the window measures with its font; without a measure every
// character counts charWidth pixels.
struct TextMeasure {
  int32_t height = 16;
  int32_t charWidth = 8;
  std::function<int32_t(const char*)> width;
  // A text step's width on the picture, a degree sign included.
  int32_t WidthOf(const DrawStep& s) const;
};

// A text step's box on the picture (left, top, right and bottom, inclusive).
struct TextBox {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Overlaps(const TextBox& o) const {
    return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
  }
};
TextBox TextBoxOf(const DrawStep& s, const TextMeasure& measure);

// What the picture must tell the user besides the data.
enum class SceneNotice : uint8_t {
  None,
  WaitingForCapture,  // the window asks for captures and none has come yet
  DamagedCaptures,    // the latest captures arrived damaged
};

struct Scene {
  std::vector<DrawStep> steps;
  SceneNotice notice = SceneNotice::None;
  // Index in steps of the speed text (-1 when there is no data).
  int32_t speedStep = -1;
  void Clear() {
    steps.clear();
    notice = SceneNotice::None;
    speedStep = -1;
  }
};

// The dimension being drawn (null when none) and the kept ones come from core. The speed
// box goes to the top left, or as far below as it must to cover none of the labels and
// ignition arrows.
void BuildScene(const PickupCore& core, const ViewGeometry& view, const Dimension* drawing,
                Scene& scene, const TextMeasure& measure = TextMeasure{});

// Where a dimension's label sits: its centre column and its baseline row (picture
// coordinates, pan included). Kept dimensions follow their events like BuildScene draws
// them.
void DimensionLabelAnchor(const PickupCore& core, const ViewGeometry& view, const Dimension& d,
                          bool kept, int32_t* centreX, int32_t* y);

}  // namespace zeda
