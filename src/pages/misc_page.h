#pragma once
// The Miscellaneous page (index 0): limiters, the multifunction inputs with their
// polarity, the potentiometer and the second-map acceleration threshold.
//
// Thread contract: window thread only (driven by the PageBinder).
#include <span>
#include <string_view>

#include "pages/page_binding.h"
#include "pages/page_logic.h"

namespace zeda {

inline constexpr int kMiscPageIndex = 0;
inline constexpr int kMiscInputGroups = 3;  // inputs this build offers
inline constexpr int kMinInputItems = 5;    // the groups never have fewer rows than this

// The input functions in their order of presentation, with their captions.
inline constexpr PageItem kInputFunctionItems[] = {
    {0, "###Off##Aus##Vypnuto"},
    {1, "###Kill switch##Not Aus##Kill switch"},
    {2, "###Blocking##Blockierung##Blokování"},
    {11, "Tacho/Lambda"},
    {3, "###Quickshift##Schaltautomat##Quickshift"},
    {4, "###Quickshift inv.##Schaltautomat inv.##Quickshift inv."},
    {5, "###Retard##Spätzündung##Snížení předstihu"},
    {6, "###Start limiter##Startbegrenzer##Startovací omezovač"},
    {7, "###2nd advance chart##2. Vorzündungskennfeld##2. mapa předstihu"},
    {10, "N2O"},
    {8, "###Gear##Gang##Převodový stupeň"},
    {9, "###Speed##Geschwindigkeit##Rychlost"},
};

inline constexpr PageItem kPotiModeItems[] = {
    {0, "Off"},
    {1, "Advance"},
    {2, "Start limiter"},
    {3, "Pilot light"},
    {4, "Acceleration switch of advance"},
};

// Range of UpDownPotencRozsah and the POTENTIOMETER_RANGE a newly chosen mode starts with.
struct PotiMode {
  int max;
  int step;
  int startRange;
};
inline constexpr PotiMode kPotiModes[] = {
    {10000, 50, 0}, {60, 1, 5}, {10000, 50, 1000}, {10000, 50, 1000}, {10000, 100, 2000},
};
// The mode's row, the "Off" row for a mode outside the table.
const PotiMode& PotiModeOf(int mode);

// clang-format off
inline constexpr Binding kMiscRows[] = {
    UpDown("UpDownLimiter", "Limiter [rpm]", "LabelLimiter", FieldId::LIMITER, 1000, 25000, 50),
    UpDown("UpDownSoftLimiter", "Soft limiter [rpm]", "LabelSoftLimiter", FieldId::SOFT_LIMITER, 1000, 25000, 50),
    UpDown("UpDownStartLimiterMin", "Start soft limiter [rpm]", "LabelStartLimiterMin", FieldId::START_SOFT_LIMITER, 1000, 25000, 50),
    UpDown("UpDownStartLimiter", "Start limiter [rpm]", "LabelStartLimiter", FieldId::START_LIMITER, 1000, 25000, 50),
    UpDown("UpDownStartLimiterDelay", "Start limiter delay [ms]", "LabelStartLimiterDelay", FieldId::START_LIMITER_DELAY, 0, 5000, 100),
    UpDown("UpDownRetard", "Retard [°]", "LabelRetard", FieldId::RETARD, 0, 60, 1, 0, "GroupBoxRetard"),
    Check("CheckBoxInNeutralSs", "Inputs for neutral switch and sidestand", FieldId::INPUT_NEUTRAL_SS, 0, "GroupBoxInputs"),
    RadioCode("RadioGroupInput1", "Input 1", FieldId::INPUT_FUNCTION, {}, 0, "GroupBoxInputs"),
    RadioCode("RadioGroupInput2", "Input 2", FieldId::INPUT_FUNCTION, {}, 1, "GroupBoxInputs"),
    RadioCode("RadioGroupInput3", "Input 3", FieldId::INPUT_FUNCTION, {}, 2, "GroupBoxInputs"),
    CheckBit("CheckBoxInverseInput1", "Inverse polarity", FieldId::INPUT_INVERSE, 0, 0, "RadioGroupInput1"),
    CheckBit("CheckBoxInverseInput2", "Inverse polarity", FieldId::INPUT_INVERSE, 1, 0, "RadioGroupInput2"),
    CheckBit("CheckBoxInverseInput3", "Inverse polarity", FieldId::INPUT_INVERSE, 2, 0, "RadioGroupInput3"),
    RadioRow("RadioButtonPoti", "Potentiometer", FieldId::POTENTIOMETER, kPotiModeItems, 0, "GroupBoxPoti"),
    UpDown("UpDownPotencRozsah", "Range -/+", "LabelPotencRozsah", FieldId::POTENTIOMETER_RANGE, 0, 10000, 50, 0, "GroupBoxPoti"),
    UpDown("UpDownMap2Akcel", "Acc. thres. [rpm/s]", "LabelMap2Akcel", FieldId::MAP2_ACCEL, 100, 25000, 100),
};
// clang-format on

// The live monitor's readings of this page's settings: each input's level under its group,
// the input functions, limiters and the unit's counters, the potentiometer and the
// acceleration against its threshold.
inline constexpr PageExtra kMiscExtras[] = {
    {ExtraKind::Group, "GroupBoxMonInputs", "Live state", nullptr},
    {ExtraKind::Group, "GroupBoxMonPoti", "Potentiometer and acceleration", nullptr},
    {ExtraKind::Value, "LabelMonInput1In", "###Input 1 level##Eingang 1 Pegel##Úroveň vstupu 1",
     "RadioGroupInput1"},
    {ExtraKind::Value, "LabelMonInput2In", "###Input 2 level##Eingang 2 Pegel##Úroveň vstupu 2",
     "RadioGroupInput2"},
    {ExtraKind::Value, "LabelMonInput3In", "###Input 3 level##Eingang 3 Pegel##Úroveň vstupu 3",
     "RadioGroupInput3"},
    {ExtraKind::Value, "LabelKillSwitch", "###Kill switch##Not Aus##Kill switch",
     "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelBlocking", "###Blocking##Blockierung##Blokování", "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelMonRetard", "###Retard##Spätzündung##Snížení předstihu",
     "GroupBoxMonInputs"},
    {ExtraKind::Value, "Label2ndAdv",
     "###2nd advance chart##2. Vorzündungskennfeld##2. mapa předstihu", "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelMonTachoLambdaOut", "Tacho Lambda", "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelMonStartLimiterOut",
     "###Start limiter##Startbegrenzer##Startovací omezovač", "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelHourMeter",
     "###Hour meter##Betriebsstundenzähler##Počítadlo provozních hodin", "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelOvervoltageEvents",
     "###Overvoltages on-board##Überspannungen im Bordnetz##Přepětí v palubní síti",
     "GroupBoxMonInputs"},
    {ExtraKind::Value, "LabelPotentiometer", "###Potentiometer##Potentiometer##Potenciometr",
     "GroupBoxMonPoti"},
    {ExtraKind::Gauge, "CGaugePotentiometer",
     "###Potentiometer voltage##Potentiometerspannung##Napětí potenciometru", "GroupBoxMonPoti"},
    {ExtraKind::Value, "LabelMonPotiCor",
     "###Potentiometer correction##Potentiometerkorrektur##Korekce potenciometrem",
     "GroupBoxMonPoti"},
    {ExtraKind::Value, "LabelMonAkcel", "###Acceleration##Beschleunigung##Akcelerace",
     "GroupBoxMonPoti"},
    {ExtraKind::Gauge, "CGaugeAkcel", "###Acceleration##Beschleunigung##Akcelerace",
     "GroupBoxMonPoti"},
    {ExtraKind::Bar, "LabelAccBelow", "###Below the threshold##Unter der Schwelle##Pod prahem",
     "GroupBoxMonPoti"},
    {ExtraKind::Bar, "LabelAccOver", "###Over the threshold##Über der Schwelle##Nad prahem",
     "GroupBoxMonPoti"},
    {ExtraKind::Scale, "LabelAcc50", "###Threshold [rpm/s]##Schwelle [U/min/s]##Práh [ot/min/s]",
     "GroupBoxMonPoti"},
    {ExtraKind::Scale, "LabeAcc100",
     "###Scale end [rpm/s]##Skalenende [U/min/s]##Konec stupnice [ot/min/s]", "GroupBoxMonPoti"},
};

// Rows of kMiscRows the handlers and refresh rules name.
inline constexpr const char* kInputGroupNames[kMiscInputGroups] = {
    "RadioGroupInput1", "RadioGroupInput2", "RadioGroupInput3"};
inline constexpr const char* kInverseBoxNames[kMiscInputGroups] = {
    "CheckBoxInverseInput1", "CheckBoxInverseInput2", "CheckBoxInverseInput3"};

// Controls of the form this build never shows (the dwell settings): the widget builder
// makes them hidden so that the language tables and the layout still find them.
inline constexpr const char* kMiscHiddenControls[] = {
    "GroupDwell",
    "UpDownDwellTime",
    "UpDownDwellCor",
    "UpDownDwellDyn",
    "UpDownDwellMaxTime",
    "UpDownDwellMaxRPMLobe",
    "UpDownMinDurationDischarge",
    "GroupCalibDwell",
    "LabelDwell",
    // The tacho/lambda reading: this build has no lambda display.
    "LabelMonTachoLambdaOut",
};

// The items of input group `input` (0-2): the functions its mask allows, in order of
// presentation, padded with kEmptyItem rows to `rows`.
int InputItemCount(int input);
int InputItems(int input, int rows, std::span<PageItem> out);

class MiscPage final : public PageLogic {
 public:
  int Index() const override { return kMiscPageIndex; }
  std::span<const Binding> Rows() const override { return kMiscRows; }
  std::span<const PageExtra> Extras() const override { return kMiscExtras; }

  void Create(PageBinder& binder) override;
  void Load(PageBinder& binder) override;
  void Store(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;
  bool Change(PageBinder& binder, std::string_view control) override;

  // Rebuilds the input groups' item lists (at creation and on a language change); the
  // selection, enabling and visibility of each group stay as they were.
  static void BuildInputItems(PageControls& controls);

 private:
  // RadioGroupModePotiModeClick: a new potentiometer mode with its range.
  void PotiModeClick(PageBinder& binder);
};

}  // namespace zeda
