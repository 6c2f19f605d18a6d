// The Sensors page (see sensors_page.h).
#include "pages/sensors_page.h"

#include "base/colours.h"
#include "mapedit/table_set.h"
#include "monitor/live_values.h"
#include "pages/page_binder.h"
#include "params/param_addresses.h"

namespace zeda {

namespace {

// LiveValues::loadMode of a unit measuring manifold pressure: its sensor voltage is then
// no throttle voltage.
constexpr int32_t kLoadModePressure = 2;

}  // namespace

std::vector<PageTable> SensorsPage::Tables() {
  std::vector<PageTable> tables;
  if (tabs_.throttle != nullptr) tables.push_back({tabs_.throttle, kThrottleTableName, nullptr});
  if (tabs_.pressure != nullptr) tables.push_back({tabs_.pressure, kPressureTableName, nullptr});
  return tables;
}

void SensorsPage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  for (const char* name : kSensorsHiddenControls) binder.Controls().SetVisible(name, false);
  if (context_.tables == nullptr) return;
  tabs_ = CreateSensorTables(*context_.tables, kSensorTableFirstId, binder.Params(), kColourWhite);
  for (TTab* t : {tabs_.throttle, tabs_.pressure})
    if (t != nullptr) t->onTableChanged = [this, &binder](TTab& tab) { TableChanged(binder, tab); };
}

void SensorsPage::Load(PageBinder& binder) {
  PageLogic::Load(binder);
  LoadSensorTables(tabs_, binder.Params());
}

void SensorsPage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const int selected = c.ItemIndex("RadioGroupTpsIap");
  if (img.Byte(Adrb::SERVO_SENSOR) == 1)
    c.SetItems("RadioGroupTpsIap", kLoadSensorItemsSynchro);
  else
    c.SetItems("RadioGroupTpsIap", kLoadSensorItems);
  c.SetItemIndex("RadioGroupTpsIap", selected);

  const SensorTablesShown shown = SensorTablesShownFor(img);
  c.SetVisible(kThrottleTableName, shown.throttle);
  c.SetVisible("BitBtnTps0", shown.throttle);
  c.SetVisible("BitBtnTps100", shown.throttle);
  c.SetVisible(kPressureTableName, shown.pressure);
}

bool SensorsPage::Change(PageBinder& binder, std::string_view control) {
  if (control == "BitBtnTps0") {
    ThrottleButton(binder, kThrottleRowClosed);
    return true;
  }
  if (control == "BitBtnTps100") {
    ThrottleButton(binder, kThrottleRowOpen);
    return true;
  }
  return false;
}

void SensorsPage::ThrottleButton(PageBinder& binder, int row) {
  const LiveValues* live = context_.live;
  // Without a live monitor there is no voltage to take: a stale one would calibrate the
  // throttle to whatever the unit said last.
  if (live == nullptr || !live->live || live->loadMode == kLoadModePressure) return;
  SetThrottleCalibration(tabs_, row, live->sensorMv, binder.Params());
  binder.Commit();
}

void SensorsPage::TableChanged(PageBinder& binder, TTab& t) {
  if (binder.LoadGuard()) return;
  if (StoreSensorTable(tabs_, t, binder.Params())) binder.Commit();
}

}  // namespace zeda
