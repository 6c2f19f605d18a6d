// The picture's geometry, snapping of dimensions and the drawing steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "capture_builder.h"
#include "link/capture_record.h"
#include "pickup/pickup_core.h"
#include "pickup/pickup_scene.h"

namespace zeda {
namespace {

using test::CaptureBuilder;

class PickupView : public ::testing::Test {
 protected:
  void SetUp() override {
    core_ = std::make_unique<PickupCore>(nullptr);
    CaptureBuilder b;
    // Pick-up 1 high from 36 to 108 degrees, channel 1 fires at 72.
    b.Cycles(5, 50000, 0.1, 0.3, 0.2);
    core_->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
    core_->Process();
    view_.width = 800;
    view_.height = 600;
    view_.viewStart = core_->ViewStart();
    view_.viewEnd = core_->ViewEnd();
    view_.PlaceOrigins();
  }
  std::unique_ptr<PickupCore> core_;
  ViewGeometry view_;
};

TEST_F(PickupView, OriginAndColumnsAtZoomOne) {
  EXPECT_EQ(view_.originX, (800 - 40) * 25 / 100 + 20);
  EXPECT_EQ(view_.originY, 25);
  EXPECT_EQ(view_.XOf(0), 210);
  EXPECT_EQ(view_.XOf(360), 210 + 800 * 360 / 720);
}

TEST_F(PickupView, WheelKeepsThePointUnderTheMouseAndZoomStaysInBounds) {
  const int32_t before = view_.XOf(90);
  view_.Wheel(before, 300, 1);
  EXPECT_EQ(view_.zoomX, 2);
  EXPECT_NEAR(view_.XOf(90), before, 1);
  for (int i = 0; i < 20; ++i) view_.Wheel(before, 300, 1);
  EXPECT_EQ(view_.zoomX, kZoomMax);
  for (int i = 0; i < 20; ++i) view_.Wheel(before, 300, -1);
  EXPECT_EQ(view_.zoomX, kZoomMin);
}

struct SnapCase {
  int32_t startY;
  double startNear;  // position the drag starts at
  double expectStart;
  uint32_t expectFlagsAll;  // bits the start event must have (0: a level change)
};

class StartSnap : public PickupView, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(StartSnap, HeightChoosesWhatTheStartSnapsTo) {
  const SnapCase c = GetParam();
  const EventList& ev = core_->Events();
  const int32_t i = SnapEvent(ev, view_, view_.XOf(c.startNear), StartSnapKinds(ev, c.startY));
  ASSERT_GE(i, 0);
  EXPECT_NEAR(ev.items[i].position, c.expectStart, 0.01);
  if (c.expectFlagsAll) {
    EXPECT_EQ(ev.items[i].flags & c.expectFlagsAll, c.expectFlagsAll);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartSnap,
    ::testing::Values(SnapCase{50, 60, 72, EV_IGNITION1},    // ignition row: the arrow
                      SnapCase{50, 10, 0, EV_CYCLE_START},   // ignition row: the marker
                      SnapCase{220, 60, 36, 0},              // pick-up 1 row: the rise
                      SnapCase{220, 100, 108, 0},            // pick-up 1 row: the fall
                      SnapCase{500, 200, 360, EV_CYCLE_END}  // below: markers only
                      ));

TEST_F(PickupView, EndSearchedBeyondWhenBothSnapToOneEvent) {
  Dimension d;
  // Start and end near the rise at 36: the end goes to the next event on the mouse side.
  ASSERT_TRUE(core_->Dimensions().Preview(core_->Events(), view_, view_.XOf(36), 220,
                                          view_.XOf(36) + 2, 150, &d));
  EXPECT_NEAR(d.start, 36, 0.01);
  EXPECT_GT(d.end, 36.01);
  EXPECT_EQ(d.y, 150);
  char label[24];
  DimensionLabel(d, true, label, sizeof label);
  EXPECT_STREQ(label, "36.0 ");
}

TEST_F(PickupView, AnEleventhDimensionIsNotKept) {
  DimensionSet& dims = core_->Dimensions();
  for (int i = 0; i < kMaxKeptDimensions; ++i)
    EXPECT_TRUE(dims.Keep(Dimension{0, 36, 150 + i, 0, 0}));
  EXPECT_FALSE(dims.Keep(Dimension{0, 72, 99, 0, 0}));
  EXPECT_EQ(dims.Count(), kMaxKeptDimensions);
  EXPECT_EQ(dims.At(9).y, 159);
  dims.Remove(0);
  EXPECT_EQ(dims.Count(), kMaxKeptDimensions - 1);
  EXPECT_EQ(dims.At(0).y, 151);
}

TEST_F(PickupView, LabelsNegativeTowardsAMarkerAndInMilliseconds) {
  char label[24];
  DimensionLabel(Dimension{36, 360, 0, EV_PICKUP1, EV_CYCLE_END}, true, label, sizeof label);
  EXPECT_STREQ(label, "-324.0");
  DimensionLabel(Dimension{0, 2.26, 0, EV_PICKUP2, EV_PICKUP1}, false, label, sizeof label);
  EXPECT_STREQ(label, "2.3ms");
}

TEST_F(PickupView, SceneDrawsEdgesArrowsFrameAndSpeed) {
  Scene scene;
  BuildScene(*core_, view_, nullptr, scene);
  int rises = 0, falls = 0, arrows = 0, frames = 0;
  std::string speed, channel;
  for (const DrawStep& s : scene.steps) {
    if (s.kind == StepKind::Line && s.colour == kSlotRise1 && s.pen == 5) {
      ++rises;
      if (rises == 1) {
        EXPECT_EQ(s.x1, view_.XOf(36));
      }
    }
    if (s.kind == StepKind::Line && s.colour == kSlotFall1 && s.pen == 5) ++falls;
    if (s.kind == StepKind::Line && s.colour == kSlotIgnition && s.y1 == kArrowTop) {
      ++arrows;
    }
    if (s.kind == StepKind::Rect) {
      ++frames;
      EXPECT_EQ(s.x1, view_.XOf(0));
      EXPECT_EQ(s.x2, view_.XOf(360));
    }
    if (s.kind == StepKind::Text && std::strncmp(s.text, "RPM=", 4) == 0) speed = s.text;
    if (s.kind == StepKind::Text && std::strncmp(s.text, "CH1=", 4) == 0 && channel.empty()) {
      channel = s.text;
    }
  }
  // Three cycles from -360 to 720, but only -135..~1070 px fits: what is inside the margins.
  EXPECT_GE(rises, 2);
  EXPECT_GE(falls, 2);
  EXPECT_GE(arrows, 2);
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(speed, "RPM=3000.0 (synchro)");
  EXPECT_EQ(channel, "CH1=72.0");
}

TEST_F(PickupView, NoEventsNoPicture) {
  auto empty = std::make_unique<PickupCore>(nullptr);
  Scene scene;
  BuildScene(*empty, view_, nullptr, scene);
  EXPECT_TRUE(scene.steps.empty());
}

// The speed box must leave every label readable, wherever the ignitions fall.
struct SpeedBoxCase {
  const char* name;
  uint8_t type;
  double fireAt;       // fraction of a cycle; its label lands left or right of the origin
  int64_t trigger;     // unsynchronised: counts after the start where pick-up 2 rises, 0 none
  bool labelInTheWay;  // a label where the box starts
};

class SpeedBox : public ::testing::TestWithParam<SpeedBoxCase> {};

TEST_P(SpeedBox, CoversNoLabel) {
  const SpeedBoxCase& c = GetParam();
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b;
  if (c.trigger > 0) {
    // Channel 1 fires at 1 ms, pick-up 2 rises later: the time label sits left of 0 ms.
    b.Add(0, 0).Add(2500, EV_IGNITION1).Add(1, 0).Add(c.trigger - 2501, EV_PICKUP2);
    b.Add(2500, EV_PICKUP2 | EV_IGNITION1).Add(1, EV_PICKUP2).Add(25000, 0);
  } else {
    b.Cycles(5, 50000, 0.6, 0.95, c.fireAt);
  }
  core->FeedCapture(c.type, 1, b.Bytes().data(), b.Size());
  core->Process();
  ASSERT_GT(core->Events().count, 2);
  ViewGeometry view;
  view.viewStart = core->ViewStart();
  view.viewEnd = core->ViewEnd();
  view.PlaceOrigins();
  TextMeasure measure;  // 8 pixels a character, 16 a line
  Scene scene;
  BuildScene(*core, view, nullptr, scene, measure);
  ASSERT_GE(scene.speedStep, 0);
  const DrawStep& speed = scene.steps[static_cast<size_t>(scene.speedStep)];
  ASSERT_EQ(std::strncmp(speed.text, "RPM=", 4), 0);
  const TextBox box = TextBoxOf(speed, measure);
  int labels = 0;
  bool inTheWayAtTheTop = false;
  TextBox top = box;
  top.bottom -= top.top - 1;
  top.top = 1;
  for (size_t i = 0; i < scene.steps.size(); ++i) {
    const DrawStep& s = scene.steps[i];
    if (static_cast<int32_t>(i) == scene.speedStep) continue;
    if (s.kind == StepKind::Text) {
      ++labels;
      const TextBox label = TextBoxOf(s, measure);
      EXPECT_FALSE(box.Overlaps(label)) << s.text << " at " << label.left << "," << label.top;
      inTheWayAtTheTop = inTheWayAtTheTop || top.Overlaps(label);
    } else if (s.kind == StepKind::Line && s.colour == kSlotIgnition) {
      // Nor does it hide an ignition arrow.
      const bool crosses = std::min(s.x1, s.x2) <= box.right && std::max(s.x1, s.x2) >= box.left &&
                           std::min(s.y1, s.y2) <= box.bottom && std::max(s.y1, s.y2) >= box.top;
      EXPECT_FALSE(crosses) << "arrow at " << s.x1 << "," << s.y1;
    }
  }
  EXPECT_GT(labels, 0);
  EXPECT_EQ(inTheWayAtTheTop, c.labelInTheWay);
  // With nothing in the way it keeps its place at the top left; else it goes just low enough
  // to stay clear of the pick-up traces.
  EXPECT_EQ(box.left, 1);
  if (!c.labelInTheWay) {
    EXPECT_EQ(box.top, 1);
  } else {
    EXPECT_GT(box.top, 1);
    EXPECT_LT(box.bottom, kPickup1High);
  }
}

INSTANTIATE_TEST_SUITE_P(Views, SpeedBox,
                         ::testing::Values(SpeedBoxCase{"SynchronisedIgnitionRightOfTheBox",
                                                        CAPTURE_SYNCHRONISED, 0.92, 0, false},
                                           SpeedBoxCase{"SynchronisedIgnitionUnderTheBox",
                                                        CAPTURE_SYNCHRONISED, 0.7, 0, true},
                                           SpeedBoxCase{"UnsynchronisedTimeLabelBeforeTheTrigger",
                                                        CAPTURE_UNSYNCHRONISED, 0, 10000, true}),
                         [](const ::testing::TestParamInfo<SpeedBoxCase>& info) {
                           return info.param.name;
                         });

TEST_F(PickupView, TheSceneSaysWhenCapturesArriveDamagedOrNoneCame) {
  auto fresh = std::make_unique<PickupCore>(nullptr);
  Scene scene;
  BuildScene(*fresh, view_, nullptr, scene);
  EXPECT_EQ(scene.notice, SceneNotice::None);  // hidden: it asks for nothing
  fresh->SetShown(true);
  BuildScene(*fresh, view_, nullptr, scene);
  EXPECT_EQ(scene.notice, SceneNotice::WaitingForCapture);
  fresh->SetPaused(true);
  BuildScene(*fresh, view_, nullptr, scene);
  EXPECT_EQ(scene.notice, SceneNotice::None);  // paused: nothing is awaited

  // A damaged capture counted by the worker, with and without an earlier picture.
  for (PickupCore* core : {fresh.get(), core_.get()}) {
    core->SetShown(true);
    auto completed = std::make_unique<CaptureRecord>();
    completed->damagedCount.store(1);
    core->TakeCompletedCapture(*completed);
    BuildScene(*core, view_, nullptr, scene);
    EXPECT_EQ(scene.notice, SceneNotice::DamagedCaptures);
    CaptureBuilder b;
    b.Cycles(5, 50000, 0.1, 0.3, 0.2);
    core->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
    BuildScene(*core, view_, nullptr, scene);
    EXPECT_EQ(scene.notice, SceneNotice::None);
  }
}

}  // namespace
}  // namespace zeda
