// The Miscellaneous page (see misc_page.h).
#include "pages/misc_page.h"

#include <algorithm>
#include <array>

#include "pages/page_binder.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

namespace {

constexpr int kMaxInputItems = static_cast<int>(std::size(kInputFunctionItems));
constexpr int kDwellModeElement = 0;
constexpr int kDwellTimeElement = 1;

const Binding& Row(std::string_view control) {
  for (const Binding& row : kMiscRows)
    if (control == row.control) return row;
  return kMiscRows[0];
}

bool Allowed(int input, int code) {
  return input >= 0 && input < kMiscInputGroups && code >= 0 && code < 32 &&
         ((kInputAllowedMask[input] >> code) & 1u) != 0;
}

void SetPotiRange(PageControls& controls, int mode) {
  const PotiMode& m = PotiModeOf(mode);
  controls.SetRange("UpDownPotencRozsah", 0, m.max, m.step);
}

}  // namespace

const PotiMode& PotiModeOf(int mode) {
  return mode >= 0 && mode < static_cast<int>(std::size(kPotiModes))
             ? kPotiModes[static_cast<std::size_t>(mode)]
             : kPotiModes[0];
}

int InputItemCount(int input) {
  int n = 0;
  for (const PageItem& item : kInputFunctionItems) n += Allowed(input, item.code) ? 1 : 0;
  return n;
}

int InputItems(int input, int rows, std::span<PageItem> out) {
  int n = 0;
  for (const PageItem& item : kInputFunctionItems)
    if (Allowed(input, item.code) && n < static_cast<int>(out.size()))
      out[static_cast<std::size_t>(n++)] = item;
  while (n < rows && n < static_cast<int>(out.size()))
    out[static_cast<std::size_t>(n++)] = {kEmptyItem, ""};
  return n;
}

void MiscPage::BuildInputItems(PageControls& controls) {
  int rows = kMinInputItems;
  for (int i = 0; i < kMiscInputGroups; ++i) rows = std::max(rows, InputItemCount(i));
  for (int i = 0; i < kMiscInputGroups; ++i) {
    std::array<PageItem, kMaxInputItems> items{};
    const int n = InputItems(i, rows, items);
    const int selected = controls.ItemIndex(kInputGroupNames[i]);
    controls.SetItems(kInputGroupNames[i], std::span(items.data(), static_cast<std::size_t>(n)));
    controls.SetItemIndex(kInputGroupNames[i], selected);
  }
}

void MiscPage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  BuildInputItems(binder.Controls());
  for (const char* name : kMiscHiddenControls) binder.Controls().SetVisible(name, false);
}

void MiscPage::Load(PageBinder& binder) {
  // The range follows the mode before the range's value is loaded, or it would be clipped.
  SetPotiRange(binder.Controls(), binder.Params().Byte(Adrb::POTENTIOMETER));
  PageLogic::Load(binder);
}

void MiscPage::Store(PageBinder& binder) {
  PageLogic::Store(binder);
  ParamImage& img = binder.Params();
  // The unit times the fixed dwell modes from this byte; the normaliser holds it the same
  // way in every image read or loaded, so this rewrite changes nothing by itself.
  if (const int t = DwellTimeOfMode(ReadStored(img, FieldId::DWELL, kDwellModeElement)); t >= 0)
    WriteStored(img, FieldId::DWELL, kDwellTimeElement, t);
}

void MiscPage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const Presence& presence = binder.Buffers().presence;

  const bool startLimiter = presence[6];
  for (const char* name :
       {"UpDownStartLimiterMin", "LabelStartLimiterMin", "UpDownStartLimiter", "LabelStartLimiter",
        "UpDownStartLimiterDelay", "LabelStartLimiterDelay"})
    c.SetEnabled(name, startLimiter);
  const bool retard = presence[5];
  c.SetEnabled("UpDownRetard", retard);
  c.SetEnabled("LabelRetard", retard);

  const bool neutralSs = img.Byte(Adrb::INPUT_NEUTRAL_SS) != 0;
  for (int i = 0; i < kMiscInputGroups; ++i) {
    const bool takenByNeutral = neutralSs && i < 2;
    c.SetVisible(kInputGroupNames[i], true);
    c.SetEnabled(kInputGroupNames[i], !takenByNeutral);
    const int fn = img.Byte(Adrb::INPUT_FUNCTION + i);
    const bool inverse = fn != INPUT_OFF && fn < 32 && ((kInputInverseMask >> fn) & 1u) != 0;
    c.SetVisible(kInverseBoxNames[i], inverse && !takenByNeutral);
  }

  const bool poti = img.Byte(Adrb::POTENTIOMETER) != 0;
  c.SetVisible("UpDownPotencRozsah", poti);
  c.SetVisible("LabelPotencRozsah", poti);
}

bool MiscPage::Change(PageBinder& binder, std::string_view control) {
  if (!control.starts_with(Row("RadioButtonPoti").control)) return false;
  PotiModeClick(binder);
  return true;
}

void MiscPage::PotiModeClick(PageBinder& binder) {
  PageControls& c = binder.Controls();
  ParamImage& img = binder.Params();
  StoreBinding(Row("RadioButtonPoti"), c, img);
  const int mode = img.Byte(Adrb::POTENTIOMETER);
  WriteStored(img, FieldId::POTENTIOMETER_RANGE, 0, PotiModeOf(mode).startRange);
  {
    PageBinder::Guard guard(binder);
    SetPotiRange(c, mode);
    LoadBinding(Row("UpDownPotencRozsah"), img, c);
  }
  binder.Commit();
}

}  // namespace zeda
