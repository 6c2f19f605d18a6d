// What the simulated unit sends, processed as the window does: the speed matches the
// simulator's engine and the pick-up edges sit at the lobes of the preset in its memory.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "link/capture_record.h"
#include "params/engine_presets.h"
#include "params/param_addresses.h"
#include "pickup/pickup_core.h"
#include "sim_engine.h"
#include "sim_unit.h"

namespace zeda {
namespace {

struct PresetCase {
  int bike;
  int rpm;
  int span;
};

class SimCaptureFollowsPreset : public ::testing::TestWithParam<PresetCase> {};

std::array<uint8_t, sim::kImageSize> MemoryWithPreset(int bike) {
  auto memory = sim::DefaultSimMemory();
  ParamImage img;
  std::copy(memory.begin(), memory.end(), img.bytes.begin());
  img.SetByte(185, static_cast<uint8_t>(bike));
  ClearSynchronisation(img, PageGroups::ForPage(-1));
  ApplyEnginePreset(img, PageGroups::ForPage(-1));
  std::copy(img.bytes.begin(), img.bytes.end(), memory.begin());
  return memory;
}

TEST_P(SimCaptureFollowsPreset, SpeedAndLobeEdges) {
  const PresetCase c = GetParam();
  const auto memory = MemoryWithPreset(c.bike);
  sim::SimEngine engine(sim::EngineMode::Steady, c.rpm);
  uint8_t cycleCode = 0;
  const auto capture = engine.Capture(0, memory.data(), true, cycleCode);
  ASSERT_FALSE(capture.empty());
  ASSERT_LE(capture.size(), static_cast<size_t>(kCaptureMaxBytes));
  auto core = std::make_unique<PickupCore>(nullptr);
  core->FeedCapture(CAPTURE_SYNCHRONISED, cycleCode, capture.data(),
                    static_cast<int32_t>(capture.size()));
  core->Process();
  ASSERT_EQ(core->Span(), c.span);
  EXPECT_NEAR(core->Speed(), c.rpm, c.rpm * 0.01);

  const sim::CapturePlan plan = sim::SimEngine::PlanCapture(memory.data());
  std::vector<double> rises1, rises2;
  uint32_t last = 0;
  const EventList& ev = core->Events();
  for (int32_t i = 0; i < ev.count; ++i) {
    const PickupEvent& e = ev.items[i];
    if (e.flags & EV_MARKERS) continue;
    if (e.position >= 0 && e.position < c.span) {
      if ((e.flags & EV_PICKUP1) && !(last & EV_PICKUP1)) rises1.push_back(e.position);
      if ((e.flags & EV_PICKUP2) && !(last & EV_PICKUP2)) rises2.push_back(e.position);
    }
    last = e.flags;
  }
  // One rise of pick-up 1 per lobe at (lobe - 1) x pitch (a lobe at 0 rises with the
  // cycle, where the previous lobe may still be high only if it is wider than the gap).
  std::vector<double> want1;
  for (int k = 1; k <= plan.lobes; ++k) want1.push_back(plan.LobeAngle(k, false));
  ASSERT_EQ(rises1.size(), want1.size()) << "bike " << c.bike;
  for (size_t i = 0; i < want1.size(); ++i) EXPECT_NEAR(rises1[i], want1[i], 0.05) << i;
  std::vector<double> want2;
  for (int k = 1; k <= plan.lobes; ++k) {
    if (plan.pickup2Lobes[k - 1]) want2.push_back(plan.LobeAngle(k, true));
  }
  std::sort(want2.begin(), want2.end());
  ASSERT_EQ(rises2.size(), want2.size());
  for (size_t i = 0; i < want2.size(); ++i) EXPECT_NEAR(rises2[i], want2[i], 0.05) << i;
  // Each channel fires once per cycle inside its lobe window.
  for (int ch = 0; ch < plan.channels; ++ch) {
    int fired = 0;
    for (int32_t i = 0; i < ev.count; ++i) {
      const PickupEvent& e = ev.items[i];
      if (!(e.flags & EV_MARKERS) && (e.flags & (EV_IGNITION1 << ch)) && e.position >= 0 &&
          e.position < c.span) {
        ++fired;
      }
    }
    EXPECT_GE(fired, 1) << "channel " << ch + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Presets, SimCaptureFollowsPreset,
                         ::testing::Values(PresetCase{7, 3000, 360}, PresetCase{29, 1234, 360},
                                           PresetCase{32, 9876, 360}, PresetCase{30, 4500, 720},
                                           PresetCase{39, 6000, 360}),
                         [](const auto& info) { return "Bike" + std::to_string(info.param.bike); });

TEST(SimCapture, UnsynchronisedCaptureIsAnnouncedAsSuch) {
  sim::SimOptions o;
  const char* argv[] = {"zedasim", "--capture", "unsync", "--rpm", "2000"};
  std::string error;
  ASSERT_TRUE(sim::ParseSimOptions(5, const_cast<char**>(argv), o, error)) << error;
  EXPECT_TRUE(o.unsyncCapture);
  EXPECT_EQ(o.engine, sim::EngineMode::Steady);
  EXPECT_EQ(o.steadyRpm, 2000);
  sim::SimEngine engine(o.engine, o.steadyRpm);
  const auto memory = sim::DefaultSimMemory();
  uint8_t cycleCode = 0;
  const auto capture = engine.Capture(0, memory.data(), false, cycleCode);
  ASSERT_FALSE(capture.empty());
  auto core = std::make_unique<PickupCore>(nullptr);
  core->FeedCapture(CAPTURE_UNSYNCHRONISED, cycleCode, capture.data(),
                    static_cast<int32_t>(capture.size()));
  core->Process();
  EXPECT_FALSE(core->Synchronised());
  ASSERT_GT(core->Events().count, 4);
  // Two revolutions at 2000 rpm: 60 ms from the first sample to the last.
  const EventList& ev = core->Events();
  EXPECT_NEAR(ev.items[ev.count - 1].position - ev.items[0].position, 60.0, 0.5);
}

}  // namespace
}  // namespace zeda
