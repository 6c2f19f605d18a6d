// The Gear page (see gear_page.h).
#include "pages/gear_page.h"

#include <algorithm>
#include <string>

#include "monitor/live_values.h"
#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

namespace {

constexpr int kSpeedPresence = 9;  // an input has function Speed
constexpr int kGearInput = 1;      // input 2 reads the gear voltage
constexpr int kSpeedInput = 2;     // input 3 reads the speed pulses

const Binding& Row(std::string_view control) {
  for (const Binding& row : kGearRows)
    if (control == row.control) return row;
  return kGearRows[0];
}

// Gear n (0-6) from a button name, -1 when it is none of the gear buttons.
int GearOfButton(std::string_view control) {
  for (int n = 0; n < kGearButtons; ++n)
    if (control == kGearButtonNames[n]) return n;
  return -1;
}

// A value reported by the unit, kept inside what the field can hold (a glitch in the
// monitor block must not wrap around into the 16-bit word).
int32_t ClampToField(FieldId id, int32_t value) {
  const ParamField& f = Field(id);
  return std::clamp(value, f.lo, f.hi);
}

}  // namespace

void GearPage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const int gear = img.Byte(Adrb::GEAR);
  const int count = std::clamp<int>(img.Byte(Adrb::GEAR_COUNT), 1, kGearRatioRows);

  c.SetVisible("UpDownPocetGear", gear != GEAR_NONE);
  c.SetVisible("LabelPocetGear", gear != GEAR_NONE);
  c.SetVisible("GroupBoxNapetiProGear", gear == GEAR_VOLTAGE_MODE);
  c.SetVisible("GroupBoxRpmSpeedProGear", gear == GEAR_RATIO_MODE);
  c.SetVisible("GroupBoxMonAutoGear", gear == GEAR_RATIO_AUTO);
  c.SetVisible("LabelMonPomerRpmSpeed", gear == GEAR_RATIO_MODE || gear == GEAR_RATIO_AUTO);

  // Gears 0 and 1 always; gears 2-6 up to the number of gears.
  auto shownGear = [count](int n) { return n <= 1 || n <= count; };
  for (int n = 0; n < kGearVoltageRows; ++n) {
    c.SetVisible(kGearVoltageNames[n], shownGear(n));
    c.SetVisible(kGearVoltageLabels[n], shownGear(n));
  }
  for (int i = 0; i < kGearRatioRows; ++i) {
    c.SetVisible(kGearRatioNames[i], shownGear(i + 1));
    c.SetVisible(kGearRatioLabels[i], shownGear(i + 1));
    c.SetVisible(kGearAutoLabels[i], shownGear(i + 1));
    c.SetVisible(kGearAutoValues[i], shownGear(i + 1));
  }
  const bool buttons = gear == GEAR_VOLTAGE_MODE || gear == GEAR_RATIO_MODE;
  for (int n = 0; n < kGearButtons; ++n) c.SetVisible(kGearButtonNames[n], buttons && shownGear(n));

  c.SetVisible("GroupBoxPulsuProSpeed", binder.Buffers().presence[kSpeedPresence]);
  // The buttons' enabling and the lit gear at once, not at the next tick: a page shown
  // without a unit never offers a button that cannot work.
  Tick(binder);
}

void GearPage::Tick(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const bool valid = context_.live != nullptr && context_.live->live;
  const int current = valid ? context_.live->gear : -1;
  const int mode = binder.Params().Byte(Adrb::GEAR);
  for (int n = 0; n < kGearButtons; ++n) {
    c.SetEnabled(kGearButtonNames[n], valid);
    c.SetHighlighted(kGearButtonNames[n], n == current);
    c.SetHighlighted(kGearVoltageLabels[n], mode == GEAR_VOLTAGE_MODE && n == current);
  }
  for (int i = 0; i < kGearRatioRows; ++i) {
    c.SetHighlighted(kGearRatioLabels[i], mode == GEAR_RATIO_MODE && i + 1 == current);
    c.SetHighlighted(kGearAutoLabels[i], mode == GEAR_RATIO_AUTO && i + 1 == current);
  }
}

bool GearPage::Change(PageBinder& binder, std::string_view control) {
  if (control == Row("RadioGroupGearSystem").control) {
    GearSystemClick(binder);
    return true;
  }
  const int gear = GearOfButton(control);
  if (gear < 0) return false;
  GearButtonClick(binder, gear);
  return true;
}

void GearPage::GearSystemClick(PageBinder& binder) {
  ParamImage& img = binder.Params();
  StoreBinding(Row("RadioGroupGearSystem"), binder.Controls(), img);
  const int mode = img.Byte(Adrb::GEAR);
  if (mode == GEAR_VOLTAGE_MODE)
    img.SetByte(Adrb::INPUT_FUNCTION + kGearInput, INPUT_GEAR);
  else if (mode == GEAR_RATIO_MODE || mode == GEAR_RATIO_AUTO)
    img.SetByte(Adrb::INPUT_FUNCTION + kSpeedInput, INPUT_SPEED);
  if (PageLogic* misc = binder.Page(kMiscPageIndex)) {
    PageBinder::Guard guard(binder);
    misc->Load(binder);
  }
  binder.Commit();
}

void GearPage::GearButtonClick(PageBinder& binder, int gear) {
  if (!Connected() || context_.live == nullptr) return;
  ParamImage& img = binder.Params();
  const int mode = img.Byte(Adrb::GEAR);
  const Binding* row = nullptr;
  if (mode == GEAR_VOLTAGE_MODE) {
    WriteShown(img, Field(FieldId::GEAR_VOLTAGE), gear,
               ClampToField(FieldId::GEAR_VOLTAGE, context_.live->gearMv));
    row = &Row(kGearVoltageNames[gear]);
  } else if (mode == GEAR_RATIO_MODE && gear >= 1) {
    WriteShown(img, Field(FieldId::GEAR_RATIO), gear - 1,
               ClampToField(FieldId::GEAR_RATIO, context_.live->gearRatio));
    row = &Row(kGearRatioNames[gear - 1]);
  }
  if (row == nullptr) return;
  {
    PageBinder::Guard guard(binder);
    LoadBinding(*row, img, binder.Controls());
  }
  binder.Commit();
}

}  // namespace zeda
