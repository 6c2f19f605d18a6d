#include "pages/table_overlays.h"

#include <algorithm>

#include "params/param_fields.h"

namespace zeda {

namespace {

// Each overlay: the table's value, what the table was given, and its image field.
struct OverlayRow {
  int32_t TTab::*value;
  int32_t TTab::*given;
  FieldId field;
};
constexpr OverlayRow kOverlays[] = {
    {&TTab::baseAdvance, &TTab::givenBaseAdvance, FieldId::BASE_ADV},
    {&TTab::limiter, &TTab::givenLimiter, FieldId::LIMITER},
    {&TTab::startLimiter, &TTab::givenStartLimiter, FieldId::START_LIMITER},
};

constexpr uint32_t kRerender = 2;

}  // namespace

void HandOverlays(TTableSet& set, const ParamImage& img) {
  for (int i = 0; i < set.Count(); ++i) {
    TTab& t = set.Table(i);
    for (const OverlayRow& o : kOverlays) {
      const int32_t v = ReadShown(img, Field(o.field), 0);
      t.*o.value = v;
      t.*o.given = v;
    }
  }
  set.pushOverlays |= kRerender;
}

void TakeOverlaysIntoImage(TTableSet& set, const TTab& t, ParamImage& img) {
  for (const OverlayRow& o : kOverlays) {
    if (t.*o.value == t.*o.given) continue;
    const ParamField& f = Field(o.field);
    const int32_t v = std::clamp(t.*o.value, f.lo, f.hi);
    if (v != ReadShown(img, f, 0)) WriteShown(img, f, 0, v);
    // Even an overlay that ends where it was goes back to every table: the one that was
    // stepped out of range must show the value the image holds.
    set.pushOverlays |= kRerender;
  }
}

}  // namespace zeda
