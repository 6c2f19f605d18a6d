#pragma once
// The Gear page (index 6): how the unit tells the engaged gear (input voltage, rpm/speed
// ratio, or a learnt ratio), the per-gear voltages and ratios with buttons that take the
// live value, and the speedometer setting.
//
// Thread contract: window thread only (driven by the PageBinder; the context's live values
// are written by the monitor refresh on the same thread).
#include <span>
#include <string_view>
#include <utility>

#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"

namespace zeda {

inline constexpr int kGearPageIndex = 6;
inline constexpr int kGearVoltageRows = 7;  // gears 0-6
inline constexpr int kGearRatioRows = 6;    // gears 1-6
inline constexpr int kGearButtons = 7;      // gears 0-6

inline constexpr PageItem kGearSystemItems[] = {
    {0, "No"}, {1, "Voltage"}, {2, "Ratio Rpm Speed"}, {3, "Automat (Ratio Rpm Speed)"}};
inline constexpr PageItem kSpeedModeItems[] = {{0, "Pulse over 1s for 100 km/hod"},
                                               {1, "Distance for pulse [mm]"}};

inline constexpr const char* kGearVoltageNames[kGearVoltageRows] = {
    "UpDownGearVoltage0", "UpDownGearVoltage1", "UpDownGearVoltage2", "UpDownGearVoltage3",
    "UpDownGearVoltage4", "UpDownGearVoltage5", "UpDownGearVoltage6"};
inline constexpr const char* kGearVoltageLabels[kGearVoltageRows] = {
    "LabelGearVoltage0", "LabelGearVoltage1", "LabelGearVoltage2", "LabelGearVoltage3",
    "LabelGearVoltage4", "LabelGearVoltage5", "LabelGearVoltage6"};
// Ratio rows are named by their gear (1-6); element n-1 of GEAR_RATIO.
inline constexpr const char* kGearRatioNames[kGearRatioRows] = {
    "UpDownGearRatio1", "UpDownGearRatio2", "UpDownGearRatio3",
    "UpDownGearRatio4", "UpDownGearRatio5", "UpDownGearRatio6"};
inline constexpr const char* kGearRatioLabels[kGearRatioRows] = {
    "LabelGearRatio1", "LabelGearRatio2", "LabelGearRatio3",
    "LabelGearRatio4", "LabelGearRatio5", "LabelGearRatio6"};
// The automatic mode's gear labels (gears 1-6), lit by the tick like the others.
inline constexpr const char* kGearAutoLabels[kGearRatioRows] = {"LabelGearAuto1", "LabelGearAuto2",
                                                                "LabelGearAuto3", "LabelGearAuto4",
                                                                "LabelGearAuto5", "LabelGearAuto6"};
// The learned ratio of each gear as the unit reports it, beside the gear's label.
inline constexpr const char* kGearAutoValues[kGearRatioRows] = {
    "LabelMonPomerRpmSpeedAuto1", "LabelMonPomerRpmSpeedAuto2", "LabelMonPomerRpmSpeedAuto3",
    "LabelMonPomerRpmSpeedAuto4", "LabelMonPomerRpmSpeedAuto5", "LabelMonPomerRpmSpeedAuto6"};
inline constexpr const char* kGearButtonNames[kGearButtons] = {
    "ButtonGear0", "ButtonGear1", "ButtonGear2", "ButtonGear3",
    "ButtonGear4", "ButtonGear5", "ButtonGear6"};

// clang-format off
inline constexpr Binding kGearRows[] = {
    RadioIndex("RadioGroupGearSystem", "Determining of gear", FieldId::GEAR, kGearSystemItems),
    UpDown("UpDownPocetGear", "Number of gears", "LabelPocetGear", FieldId::GEAR_COUNT, 1, 6),
    UpDown(kGearVoltageNames[0], "Gear 0", kGearVoltageLabels[0], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 0, "GroupBoxNapetiProGear"),
    UpDown(kGearVoltageNames[1], "Gear 1", kGearVoltageLabels[1], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 1, "GroupBoxNapetiProGear"),
    UpDown(kGearVoltageNames[2], "Gear 2", kGearVoltageLabels[2], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 2, "GroupBoxNapetiProGear"),
    UpDown(kGearVoltageNames[3], "Gear 3", kGearVoltageLabels[3], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 3, "GroupBoxNapetiProGear"),
    UpDown(kGearVoltageNames[4], "Gear 4", kGearVoltageLabels[4], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 4, "GroupBoxNapetiProGear"),
    UpDown(kGearVoltageNames[5], "Gear 5", kGearVoltageLabels[5], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 5, "GroupBoxNapetiProGear"),
    UpDown(kGearVoltageNames[6], "Gear 6", kGearVoltageLabels[6], FieldId::GEAR_VOLTAGE, 0, 5000, 1, 6, "GroupBoxNapetiProGear"),
    UpDown(kGearRatioNames[0], "Gear 1", kGearRatioLabels[0], FieldId::GEAR_RATIO, 1, 32000, 1, 0, "GroupBoxRpmSpeedProGear"),
    UpDown(kGearRatioNames[1], "Gear 2", kGearRatioLabels[1], FieldId::GEAR_RATIO, 1, 32000, 1, 1, "GroupBoxRpmSpeedProGear"),
    UpDown(kGearRatioNames[2], "Gear 3", kGearRatioLabels[2], FieldId::GEAR_RATIO, 1, 32000, 1, 2, "GroupBoxRpmSpeedProGear"),
    UpDown(kGearRatioNames[3], "Gear 4", kGearRatioLabels[3], FieldId::GEAR_RATIO, 1, 32000, 1, 3, "GroupBoxRpmSpeedProGear"),
    UpDown(kGearRatioNames[4], "Gear 5", kGearRatioLabels[4], FieldId::GEAR_RATIO, 1, 32000, 1, 4, "GroupBoxRpmSpeedProGear"),
    UpDown(kGearRatioNames[5], "Gear 6", kGearRatioLabels[5], FieldId::GEAR_RATIO, 1, 32000, 1, 5, "GroupBoxRpmSpeedProGear"),
    UpDown("UpDownGearAutoTime", "Min Time [s]", "LabelGearAutoTime", FieldId::GEAR_AUTO_TIME, 1, 100, 1, 0, "GroupBoxMonAutoGear"),
    UpDown("UpDownGearAutoRpm", "Min RPM", "LabelGearAutoRpm", FieldId::GEAR_AUTO_RPM, 300, 25000, 100, 0, "GroupBoxMonAutoGear"),
    UpDown("UpDownGearAutoTps", "Min TPS [%]", "LabelGearAutoTps", FieldId::GEAR_AUTO_TPS, 0, 100, 1, 0, "GroupBoxMonAutoGear"),
    UpDown("UpDownGearAutoBand", "Band [0.1%]", "LabelGearAutoBand", FieldId::GEAR_AUTO_BAND, 1, 100, 1, 0, "GroupBoxMonAutoGear"),
    RadioIndex("RadioGroupSpeedMode", "Speed sensor", FieldId::SPEED_MODE, kSpeedModeItems, 0, "GroupBoxPulsuProSpeed"),
    UpDown("UpDownPulsuProSpeed", "Pulses", "LabelPulsuProSpeed", FieldId::SPEED_PULSES, 1, 32000, 1, 0, "GroupBoxPulsuProSpeed"),
};

inline constexpr PageExtra kGearExtras[] = {
    {ExtraKind::Group, "GroupBoxNapetiProGear", "Voltage of gears", nullptr},
    {ExtraKind::Group, "GroupBoxRpmSpeedProGear", "Ratio Rpm/Speed", nullptr},
    {ExtraKind::Group, "GroupBoxMonAutoGear", "Automatic ratio Rpm/Speed", nullptr},
    {ExtraKind::Label, kGearAutoLabels[0], "Gear 1", "GroupBoxMonAutoGear"},
    {ExtraKind::ValueBeside, kGearAutoValues[0], "###Learned ratio gear 1##Gelerntes Verhältnis Gang 1##Naučený poměr převodu 1", "GroupBoxMonAutoGear"},
    {ExtraKind::Label, kGearAutoLabels[1], "Gear 2", "GroupBoxMonAutoGear"},
    {ExtraKind::ValueBeside, kGearAutoValues[1], "###Learned ratio gear 2##Gelerntes Verhältnis Gang 2##Naučený poměr převodu 2", "GroupBoxMonAutoGear"},
    {ExtraKind::Label, kGearAutoLabels[2], "Gear 3", "GroupBoxMonAutoGear"},
    {ExtraKind::ValueBeside, kGearAutoValues[2], "###Learned ratio gear 3##Gelerntes Verhältnis Gang 3##Naučený poměr převodu 3", "GroupBoxMonAutoGear"},
    {ExtraKind::Label, kGearAutoLabels[3], "Gear 4", "GroupBoxMonAutoGear"},
    {ExtraKind::ValueBeside, kGearAutoValues[3], "###Learned ratio gear 4##Gelerntes Verhältnis Gang 4##Naučený poměr převodu 4", "GroupBoxMonAutoGear"},
    {ExtraKind::Label, kGearAutoLabels[4], "Gear 5", "GroupBoxMonAutoGear"},
    {ExtraKind::ValueBeside, kGearAutoValues[4], "###Learned ratio gear 5##Gelerntes Verhältnis Gang 5##Naučený poměr převodu 5", "GroupBoxMonAutoGear"},
    {ExtraKind::Label, kGearAutoLabels[5], "Gear 6", "GroupBoxMonAutoGear"},
    {ExtraKind::ValueBeside, kGearAutoValues[5], "###Learned ratio gear 6##Gelerntes Verhältnis Gang 6##Naučený poměr převodu 6", "GroupBoxMonAutoGear"},
    {ExtraKind::Button, kGearButtonNames[0], "<- Gear 0", nullptr},
    {ExtraKind::Button, kGearButtonNames[1], "<- Gear 1", nullptr},
    {ExtraKind::Button, kGearButtonNames[2], "<- Gear 2", nullptr},
    {ExtraKind::Button, kGearButtonNames[3], "<- Gear 3", nullptr},
    {ExtraKind::Button, kGearButtonNames[4], "<- Gear 4", nullptr},
    {ExtraKind::Button, kGearButtonNames[5], "<- Gear 5", nullptr},
    {ExtraKind::Button, kGearButtonNames[6], "<- Gear 6", nullptr},
    {ExtraKind::Group, "GroupBoxPulsuProSpeed", "Setting of speedometer", nullptr},
    // What the unit reports of gear and speed.
    {ExtraKind::Group, "GroupBoxMonGear", "Gear and speed", nullptr},
    {ExtraKind::Value, "LabelMonGear", "###Gear##Gang##Převodový stupeň", "GroupBoxMonGear"},
    {ExtraKind::Value, "LabelMonSpeed", "###Speed##Geschwindigkeit##Rychlost", "GroupBoxMonGear"},
    {ExtraKind::Value, "LabelMonGearNapeti", "###Gear voltage##Gangspannung##Napětí převodu", "GroupBoxMonGear"},
    {ExtraKind::Value, "LabelMonPomerRpmSpeed", "Ratio Rpm/Speed", "GroupBoxMonGear"},
};
// clang-format on

class GearPage final : public PageLogic {
 public:
  explicit GearPage(PageContext context) : context_(std::move(context)) {}

  int Index() const override { return kGearPageIndex; }
  std::span<const Binding> Rows() const override { return kGearRows; }
  std::span<const PageExtra> Extras() const override { return kGearExtras; }

  void Refresh(PageBinder& binder) override;
  void Tick(PageBinder& binder) override;
  bool Change(PageBinder& binder, std::string_view control) override;

 private:
  // RadioGroupGearSystemClick: the new mode claims the input it reads.
  void GearSystemClick(PageBinder& binder);
  // ButtonGearClick: gear n takes the value the unit reports now.
  void GearButtonClick(PageBinder& binder, int gear);
  bool Connected() const { return context_.connected && context_.connected(); }

  PageContext context_;
};

}  // namespace zeda
