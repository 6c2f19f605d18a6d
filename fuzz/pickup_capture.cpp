// Capture bytes as the unit sends them, processed and drawn as the pickup monitor does:
// any bytes give at most the event list's worth of events with finite positions, the
// synchronised view ends on its two markers, snapping stays inside the list, and the
// picture's steps can be built, whatever the time stamps and flags hold.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "link/capture_record.h"
#include "pickup/pickup_core.h"
#include "pickup/pickup_scene.h"

namespace {
std::unique_ptr<zeda::PickupCore> core;
zeda::Scene scene;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  if (!core) core = std::make_unique<zeda::PickupCore>(nullptr);
  const uint8_t type = (data[0] & 1) ? zeda::CAPTURE_SYNCHRONISED : zeda::CAPTURE_UNSYNCHRONISED;
  const uint8_t cycleCode = data[1];
  const int32_t length =
      static_cast<int32_t>(size - 2 > zeda::kCaptureMaxBytes ? zeda::kCaptureMaxBytes : size - 2);
  core->FeedCapture(type, cycleCode, data + 2, length);
  core->Process();
  core->Tick(false);
  const zeda::EventList& ev = core->Events();
  if (ev.count < 0 || ev.count > zeda::kMaxEvents) std::abort();
  for (int32_t i = 0; i < ev.count; ++i) {
    if (!std::isfinite(ev.items[i].position)) std::abort();
  }
  if (core->Synchronised() && ev.count > 0 && ev.items[ev.count - 1].flags != zeda::EV_CYCLE_END) {
    std::abort();
  }
  zeda::ViewGeometry view;
  view.viewStart = core->ViewStart();
  view.viewEnd = core->ViewEnd();
  view.PlaceOrigins();
  for (int32_t y : {50, 220, 280, 400, 500}) {
    const int32_t i = zeda::SnapEvent(ev, view, data[0] * 3, zeda::StartSnapKinds(ev, y));
    if (i < -1 || i >= ev.count) std::abort();
  }
  zeda::Dimension d;
  if (core->Dimensions().Preview(ev, view, data[1] * 3, 220, 400, 150, &d)) {
    core->Dimensions().Keep(d);
  }
  zeda::BuildScene(*core, view, nullptr, scene);
  if (core->Dimensions().Count() >= zeda::kMaxKeptDimensions) core->Dimensions().Clear();
  return 0;
}
