#pragma once
// The Power out page (index 4): per output its mode, its switching and PWM tables and the
// four values of the special modes, shown by mode.
//
// Choosing a mode by hand stores the page, gives modes 2 and 3 their switching preset,
// normalises, reloads and takes one undo step; "Off" and the special modes keep the tables.
//
// Thread contract: window thread only (driven by the PageBinder and the map editors).
#include <span>
#include <string_view>
#include <vector>

#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"
#include "pages/pout_tables.h"

namespace zeda {

inline constexpr int kPoutPageIndex = 4;
// Table ids: switching tables from here, the PWM tables after them.
inline constexpr int kPoutTableFirstId = 30;

inline constexpr PageItem kPoutModeItems[] = {
    {0, "Off"},       {1, "Fuel pump"},     {2, "Gear shift light"}, {3, "Power jet Honda"},
    {255, "Special"}, {254, "Special PWM"}, {253, "Special Pulse"},
};

// clang-format off
inline constexpr Binding kPoutRows[] = {
    RadioCode("RadioGroupPOut1", "Power out 1 (pin 2)", FieldId::POUT_MODE, kPoutModeItems, 0, "GroupBoxPOut1"),
    UpDown("UpDownPOutHyster1", "*Hysterese", "LabelPOutHyster1", FieldId::POUT_HYSTER, 0, 2500, 10, 0, "GroupBoxPOut1"),
    UpDown("UpDownPOutPwm1", "PWM [%]", "LabelPOutPwm1", FieldId::POUT_SP_PWM, 10, 100, 10, 0, "GroupBoxPOut1"),
    UpDown("UpDownPOutFreq1", "*Frequency [Hz]", "LabelPOutFreq1", FieldId::POUT_SPWM_FR, 2, 20, 2, 0, "GroupBoxPOut1"),
    UpDown("UpDownPOutPulse1", "*Pulse [ms]", "LabelPOutPulse1", FieldId::POUT_SPULSE, 5, 500, 5, 0, "GroupBoxPOut1"),
    RadioCode("RadioGroupPOut2", "Power out 2 (pin 3)", FieldId::POUT_MODE, kPoutModeItems, 1, "GroupBoxPOut2"),
    UpDown("UpDownPOutHyster2", "*Hysterese", "LabelPOutHyster2", FieldId::POUT_HYSTER, 0, 2500, 10, 1, "GroupBoxPOut2"),
    UpDown("UpDownPOutPwm2", "PWM [%]", "LabelPOutPwm2", FieldId::POUT_SP_PWM, 10, 100, 10, 1, "GroupBoxPOut2"),
    UpDown("UpDownPOutFreq2", "*Frequency [Hz]", "LabelPOutFreq2", FieldId::POUT_SPWM_FR, 2, 20, 2, 1, "GroupBoxPOut2"),
    UpDown("UpDownPOutPulse2", "*Pulse [ms]", "LabelPOutPulse2", FieldId::POUT_SPULSE, 5, 500, 5, 1, "GroupBoxPOut2"),
    RadioCode("RadioGroupPOut3", "Power out 3 (pin 5)", FieldId::POUT_MODE, kPoutModeItems, 2, "GroupBoxPOut3"),
    UpDown("UpDownPOutHyster3", "*Hysterese", "LabelPOutHyster3", FieldId::POUT_HYSTER, 0, 2500, 10, 2, "GroupBoxPOut3"),
    UpDown("UpDownPOutPwm3", "PWM [%]", "LabelPOutPwm3", FieldId::POUT_SP_PWM, 10, 100, 10, 2, "GroupBoxPOut3"),
    UpDown("UpDownPOutFreq3", "*Frequency [Hz]", "LabelPOutFreq3", FieldId::POUT_SPWM_FR, 2, 20, 2, 2, "GroupBoxPOut3"),
    UpDown("UpDownPOutPulse3", "*Pulse [ms]", "LabelPOutPulse3", FieldId::POUT_SPULSE, 5, 500, 5, 2, "GroupBoxPOut3"),
    RadioCode("RadioGroupPOut4", "Power out 4 (pin 11)", FieldId::POUT_MODE, kPoutModeItems, 3, "GroupBoxPOut4"),
    UpDown("UpDownPOutHyster4", "*Hysterese", "LabelPOutHyster4", FieldId::POUT_HYSTER, 0, 2500, 10, 3, "GroupBoxPOut4"),
    UpDown("UpDownPOutPwm4", "PWM [%]", "LabelPOutPwm4", FieldId::POUT_SP_PWM, 10, 100, 10, 3, "GroupBoxPOut4"),
    UpDown("UpDownPOutFreq4", "*Frequency [Hz]", "LabelPOutFreq4", FieldId::POUT_SPWM_FR, 2, 20, 2, 3, "GroupBoxPOut4"),
    UpDown("UpDownPOutPulse4", "*Pulse [ms]", "LabelPOutPulse4", FieldId::POUT_SPULSE, 5, 500, 5, 3, "GroupBoxPOut4"),
};
inline constexpr PageExtra kPoutExtras[] = {
    {ExtraKind::Group, "GroupBoxPOut1", nullptr, nullptr},
    {ExtraKind::Group, "GroupBoxPOut2", nullptr, nullptr},
    {ExtraKind::Group, "GroupBoxPOut3", nullptr, nullptr},
    {ExtraKind::Group, "GroupBoxPOut4", nullptr, nullptr},
    // Each output's function and state as the unit reports them, in its own box.
    {ExtraKind::Value, "LabelMonPOut1", "###Power out 1 state##Leistungsausgang 1 Zustand##Stav výkonového výstupu 1", "GroupBoxPOut1"},
    {ExtraKind::Value, "LabelMonPOut2", "###Power out 2 state##Leistungsausgang 2 Zustand##Stav výkonového výstupu 2", "GroupBoxPOut2"},
    {ExtraKind::Value, "LabelMonPOut3", "###Power out 3 state##Leistungsausgang 3 Zustand##Stav výkonového výstupu 3", "GroupBoxPOut3"},
    {ExtraKind::Value, "LabelMonPOut4", "###Power out 4 state##Leistungsausgang 4 Zustand##Stav výkonového výstupu 4", "GroupBoxPOut4"},
};

// The controls of one output by name, for its refresh.
struct PoutControlNames {
  const char* mode;
  const char* group;
  const char* switchingTable;
  const char* pwmTable;
  const char* hysteresis;
  const char* hysteresisLabel;
  const char* pwm;
  const char* pwmLabel;
  const char* frequency;
  const char* frequencyLabel;
  const char* pulse;
  const char* pulseLabel;
};
inline constexpr PoutControlNames kPoutControlNames[POUT_COUNT] = {
    {"RadioGroupPOut1", "GroupBoxPOut1", "TabPOutSw1", "TabPOutPwm1", "UpDownPOutHyster1", "LabelPOutHyster1", "UpDownPOutPwm1", "LabelPOutPwm1", "UpDownPOutFreq1", "LabelPOutFreq1", "UpDownPOutPulse1", "LabelPOutPulse1"},
    {"RadioGroupPOut2", "GroupBoxPOut2", "TabPOutSw2", "TabPOutPwm2", "UpDownPOutHyster2", "LabelPOutHyster2", "UpDownPOutPwm2", "LabelPOutPwm2", "UpDownPOutFreq2", "LabelPOutFreq2", "UpDownPOutPulse2", "LabelPOutPulse2"},
    {"RadioGroupPOut3", "GroupBoxPOut3", "TabPOutSw3", "TabPOutPwm3", "UpDownPOutHyster3", "LabelPOutHyster3", "UpDownPOutPwm3", "LabelPOutPwm3", "UpDownPOutFreq3", "LabelPOutFreq3", "UpDownPOutPulse3", "LabelPOutPulse3"},
    {"RadioGroupPOut4", "GroupBoxPOut4", "TabPOutSw4", "TabPOutPwm4", "UpDownPOutHyster4", "LabelPOutHyster4", "UpDownPOutPwm4", "LabelPOutPwm4", "UpDownPOutFreq4", "LabelPOutFreq4", "UpDownPOutPulse4", "LabelPOutPulse4"},
};
// clang-format on

class PoutPage final : public PageLogic {
 public:
  explicit PoutPage(const PageContext& context) : context_(context) {}

  int Index() const override { return kPoutPageIndex; }
  std::span<const Binding> Rows() const override { return kPoutRows; }
  std::span<const PageExtra> Extras() const override { return kPoutExtras; }
  std::vector<PageTable> Tables() override;

  void Create(PageBinder& binder) override;
  void Load(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;
  bool Change(PageBinder& binder, std::string_view control) override;

  const PoutTables& Tabs() const { return tabs_; }

 private:
  // RadioGroupPOutClick for output k.
  void ModeClick(PageBinder& binder, int output);
  void TableChanged(PageBinder& binder, TTab& t);

  PageContext context_;
  PoutTables tabs_;
};

}  // namespace zeda
