// The Advance Map page (see advance_page.h).
#include "pages/advance_page.h"

#include "mapedit/table_set.h"
#include "monitor/live_values.h"
#include "pages/advance_tables.h"
#include "pages/page_binder.h"
#include "pages/table_overlays.h"
#include "params/param_addresses.h"

namespace zeda {

std::vector<PageTable> AdvancePage::Tables() {
  if (tab_ == nullptr) return {};
  return {PageTable{tab_, kTableName, nullptr}};
}

void AdvancePage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  if (context_.tables == nullptr) return;
  tab_ = CreateAdvanceTables(*context_.tables, kAdvancePageIndex, binder.Params(), kColourWhite);
  if (tab_ == nullptr) return;
  tab_->onTableChanged = [this, &binder](TTab& t) { TableChanged(binder, t); };
}

void AdvancePage::Load(PageBinder& binder) {
  PageLogic::Load(binder);
  if (tab_ != nullptr) LoadAdvanceTables(*tab_, binder.Params());
  if (context_.tables != nullptr) HandOverlays(*context_.tables, binder.Params());
}

void AdvancePage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const int channels = binder.Params().Byte(Adrb::CHANNEL_COUNT);
  for (int k = 0; k < kCylinderCorrections; ++k)
    for (const char* name : kCorrectionControls[k]) c.SetVisible(name, k == 0 || channels > k);
  if (tab_ != nullptr) SetAdvanceRowAxes(*tab_, binder.Params());
}

void AdvancePage::Tick(PageBinder& binder) {
  const bool inUse = tab_ != nullptr && context_.live != nullptr && context_.live->live &&
                     BaseAdvanceInUse(*tab_, context_.live->engineSpeed);
  const Colour colour = inUse ? kColourGreen : kColourButtonFace;
  // Every 55 ms: the caption is touched only when its colour changes.
  if (colour == baseAdvanceColour_ && !captionStale_) return;
  baseAdvanceColour_ = colour;
  captionStale_ = false;
  binder.Controls().SetColour(kBaseAdvanceCaption, colour);
}

void AdvancePage::TableChanged(PageBinder& binder, TTab& t) {
  // An edit the program makes while loading is no user's change.
  if (binder.LoadGuard()) return;
  ParamImage& img = binder.Params();
  if (context_.tables != nullptr) TakeOverlaysIntoImage(*context_.tables, t, img);
  StoreAdvanceTables(t, img);
  {
    // The commit stores the page's controls: the base advance up-down must show what the
    // table changed, or the commit would write the old one back. The other controls keep
    // what they show, so that an arrow click still pending is committed with the map.
    PageBinder::Guard guard(binder);
    LoadBinding(kAdvanceRows[kBaseAdvanceRow], img, binder.Controls());
  }
  binder.Commit();
}

}  // namespace zeda
