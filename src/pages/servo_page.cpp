// The Servo page (see servo_page.h).
#include "pages/servo_page.h"

#include "base/colours.h"
#include "mapedit/table_set.h"
#include "pages/page_binder.h"
#include "pages/servo_tables.h"
#include "pages/table_overlays.h"
#include "params/param_addresses.h"

namespace zeda {

std::vector<PageTable> ServoPage::Tables() {
  if (tab_ == nullptr) return {};
  return {PageTable{tab_, kTableName, nullptr}};
}

void ServoPage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  if (context_.tables == nullptr) return;
  tab_ = CreateServoTables(*context_.tables, kServoPageIndex, binder.Params(), kColourWhite);
  if (tab_ == nullptr) return;
  tab_->onTableChanged = [this, &binder](TTab& t) { TableChanged(binder, t); };
}

void ServoPage::Load(PageBinder& binder) {
  PageLogic::Load(binder);
  if (context_.tables != nullptr) HandOverlays(*context_.tables, binder.Params());
}

void ServoPage::Refresh(PageBinder& binder) {
  // The map's axes and unit follow the load sensor and SERVO_PERCENT, both set elsewhere.
  if (tab_ != nullptr) LoadServoTable(*tab_, binder.Params());
}

void ServoPage::Store(PageBinder& binder) {
  ParamImage& img = binder.Params();
  const bool percent = binder.Controls().Checked("CheckBoxServoProcenta");
  const bool stored = img.Byte(Adrb::SERVO_PERCENT) != 0;
  if (percent != stored) {
    if (tab_ != nullptr) {
      ApplyServoPercent(*tab_, img, percent);
    } else {
      // Without the map there is nothing to convert the cells with: a flag that no longer
      // matches its cells would make the unit read every servo position in the wrong unit.
      PageBinder::Guard guard(binder);
      binder.Controls().SetChecked("CheckBoxServoProcenta", stored);
    }
  }
  PageLogic::Store(binder);
}

void ServoPage::TableChanged(PageBinder& binder, TTab& t) {
  if (binder.LoadGuard()) return;
  ParamImage& img = binder.Params();
  if (context_.tables != nullptr) TakeOverlaysIntoImage(*context_.tables, t, img);
  StoreServoTable(t, img);
  {
    // The map's switch is the enable box too: the commit stores the box, so it must show
    // what the map says first (the other controls keep a pending arrow click).
    PageBinder::Guard guard(binder);
    LoadBinding(kServoRows[kServoEnableRow], img, binder.Controls());
  }
  binder.Commit();
}

}  // namespace zeda
