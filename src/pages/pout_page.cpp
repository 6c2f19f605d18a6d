// The Power out page (see pout_page.h).
#include "pages/pout_page.h"

#include "base/colours.h"
#include "mapedit/table_set.h"
#include "pages/page_binder.h"
#include "pages/pout_controls.h"
#include "pages/table_overlays.h"
#include "params/normalize.h"
#include "params/param_codes.h"
#include "params/pout_presets.h"

namespace zeda {

namespace {

// The modes whose hand choice brings the switching preset with it.
bool ModeHasPreset(int mode) {
  return mode == POUT_GEAR_SHIFT_LIGHT || mode == POUT_POWER_JET_HONDA;
}

}  // namespace

std::vector<PageTable> PoutPage::Tables() {
  std::vector<PageTable> tables;
  for (int k = 0; k < POUT_COUNT; ++k) {
    const PoutControlNames& n = kPoutControlNames[k];
    if (tabs_.switching[k] != nullptr)
      tables.push_back({tabs_.switching[k], n.switchingTable, n.group});
    if (tabs_.pwm[k] != nullptr) tables.push_back({tabs_.pwm[k], n.pwmTable, n.group});
  }
  return tables;
}

void PoutPage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  if (context_.tables == nullptr) return;
  tabs_ = CreatePoutTables(*context_.tables, kPoutTableFirstId, binder.Params(), kColourWhite);
  for (int k = 0; k < POUT_COUNT; ++k)
    for (TTab* t : {tabs_.switching[k], tabs_.pwm[k]})
      if (t != nullptr)
        t->onTableChanged = [this, &binder](TTab& tab) { TableChanged(binder, tab); };
}

void PoutPage::Load(PageBinder& binder) {
  PageLogic::Load(binder);
  LoadPoutTables(tabs_, binder.Params());
  if (context_.tables != nullptr) HandOverlays(*context_.tables, binder.Params());
}

void PoutPage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const bool loadSensor = ReadStored(img, FieldId::TPSIAP_SENSOR) != LOAD_SENSOR_NONE;
  for (int k = 0; k < POUT_COUNT; ++k) {
    const PoutControlNames& n = kPoutControlNames[k];
    const PoutControls shown = PoutControlsFor(ReadStored(img, FieldId::POUT_MODE, k), loadSensor);
    c.SetVisible(n.switchingTable, shown.switching);
    c.SetVisible(n.hysteresis, shown.switching);
    c.SetVisible(n.hysteresisLabel, shown.switching);
    c.SetVisible(n.pwm, shown.pwmDuty);
    c.SetVisible(n.pwmLabel, shown.pwmLabel);
    c.SetText(n.pwmLabel, shown.pwmLabelText);
    c.SetVisible(n.frequency, shown.frequency);
    c.SetVisible(n.frequencyLabel, shown.frequency);
    c.SetVisible(n.pulse, shown.pulse);
    c.SetVisible(n.pulseLabel, shown.pulse);
    c.SetVisible(n.pwmTable, shown.pwmTable);
    SetPoutTableRanges(tabs_, k, img);
  }
}

bool PoutPage::Change(PageBinder& binder, std::string_view control) {
  for (int k = 0; k < POUT_COUNT; ++k)
    if (control == kPoutControlNames[k].mode) {
      ModeClick(binder, k);
      return true;
    }
  return false;
}

void PoutPage::ModeClick(PageBinder& binder, int output) {
  ParamImage& img = binder.Params();
  // The whole page first (the mode is one of its rows), then the preset over it.
  Store(binder);
  const int mode = ReadStored(img, FieldId::POUT_MODE, output);
  if (ModeHasPreset(mode)) ApplyPoutPreset(img, output, PoutPresetVariant::User);
  {
    // The commit stores the controls again: they show the preset's values first.
    PageBinder::Guard guard(binder);
    LoadRows(Rows(), img, binder.Controls());
  }
  binder.Commit();
}

void PoutPage::TableChanged(PageBinder& binder, TTab& t) {
  if (binder.LoadGuard()) return;
  ParamImage& img = binder.Params();
  if (context_.tables != nullptr) TakeOverlaysIntoImage(*context_.tables, t, img);
  if (!StorePoutTable(tabs_, t, img)) return;
  binder.Commit();
}

}  // namespace zeda
