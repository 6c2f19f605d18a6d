#pragma once
// The Race page (index 7): quickshift (mode, pauses, minimum rpm, advance, the cut time
// per gear) and the corrections per gear (advance, limiter, servo, power outputs).
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

inline constexpr int kRacePageIndex = 7;
inline constexpr int kRaceGearRows = 6;  // rows "0-1 ", "2" .. "6"

inline constexpr PageItem kClutchModeItems[] = {{0, "No ignition"}, {1, "Retard"}};

inline constexpr const char* kClutchRowLabels[kRaceGearRows] = {
    "LabelClutchGear0", "LabelClutchGear1", "LabelClutchGear2",
    "LabelClutchGear3", "LabelClutchGear4", "LabelClutchGear5"};
inline constexpr const char* kKorRowLabels[kRaceGearRows] = {"LabelGearKor0", "LabelGearKor1",
                                                             "LabelGearKor2", "LabelGearKor3",
                                                             "LabelGearKor4", "LabelGearKor5"};
// The quickshift controls that work only while an input has function Quickshift.
inline constexpr const char* kQuickshiftControls[] = {
    "RadioGroupClutchMode", "UpDownClutchPause1", "LabelClutchPause1", "UpDownClutchPause2",
    "LabelClutchPause2",    "UpDownClutchMinRpm", "LabelClutchMinRpm", "UpDownClutchAdv",
    "LabelClutchAdv",       "GroupBoxClutchTime"};

// The up-downs of gear row r: the quickshift time first, then the corrections.
inline constexpr int kRaceColumns = 8;
inline constexpr int kRaceFirstCell = 5;  // index in kRaceRows of row 0's quickshift time

// clang-format off
inline constexpr Binding kRaceRows[] = {
    RadioIndex("RadioGroupClutchMode", "Quickshift mode", FieldId::CLUTCH_MODE, kClutchModeItems),
    UpDown("UpDownClutchPause1", "Quickshift pause #1 [ms]", "LabelClutchPause1", FieldId::CLUTCH_PAUSE1, 0, 2500, 10),
    UpDown("UpDownClutchPause2", "Quickshift pause #2 [ms]", "LabelClutchPause2", FieldId::CLUTCH_PAUSE2, 0, 2500, 10),
    UpDown("UpDownClutchMinRpm", "Min Rpm for quickshift", "LabelClutchMinRpm", FieldId::CLUTCH_MIN_RPM, 1000, 25000, 100),
    UpDown("UpDownClutchAdv", "Quickshift advance [°]", "LabelClutchAdv", FieldId::CLUTCH_ADV, 0, 60),
    UpDown("UpDownClutchTime0", nullptr, nullptr, FieldId::CLUTCH_TIME, 0, 1250, 5, 0, "GroupBoxClutchTime"),
    UpDown("UpDownClutchTime1", nullptr, nullptr, FieldId::CLUTCH_TIME, 0, 1250, 5, 1, "GroupBoxClutchTime"),
    UpDown("UpDownClutchTime2", nullptr, nullptr, FieldId::CLUTCH_TIME, 0, 1250, 5, 2, "GroupBoxClutchTime"),
    UpDown("UpDownClutchTime3", nullptr, nullptr, FieldId::CLUTCH_TIME, 0, 1250, 5, 3, "GroupBoxClutchTime"),
    UpDown("UpDownClutchTime4", nullptr, nullptr, FieldId::CLUTCH_TIME, 0, 1250, 5, 4, "GroupBoxClutchTime"),
    UpDown("UpDownClutchTime5", nullptr, nullptr, FieldId::CLUTCH_TIME, 0, 1250, 5, 5, "GroupBoxClutchTime"),
    UpDown("UpDownGearKorAdv0", nullptr, nullptr, FieldId::GEAR_CORR_ADV, -20, 20, 1, 0, "GroupBoxGearKor"),
    UpDown("UpDownGearKorAdv1", nullptr, nullptr, FieldId::GEAR_CORR_ADV, -20, 20, 1, 1, "GroupBoxGearKor"),
    UpDown("UpDownGearKorAdv2", nullptr, nullptr, FieldId::GEAR_CORR_ADV, -20, 20, 1, 2, "GroupBoxGearKor"),
    UpDown("UpDownGearKorAdv3", nullptr, nullptr, FieldId::GEAR_CORR_ADV, -20, 20, 1, 3, "GroupBoxGearKor"),
    UpDown("UpDownGearKorAdv4", nullptr, nullptr, FieldId::GEAR_CORR_ADV, -20, 20, 1, 4, "GroupBoxGearKor"),
    UpDown("UpDownGearKorAdv5", nullptr, nullptr, FieldId::GEAR_CORR_ADV, -20, 20, 1, 5, "GroupBoxGearKor"),
    UpDown("UpDownGearKorLimiter0", nullptr, nullptr, FieldId::GEAR_CORR_LIMITER, -5000, 5000, 50, 0, "GroupBoxGearKor"),
    UpDown("UpDownGearKorLimiter1", nullptr, nullptr, FieldId::GEAR_CORR_LIMITER, -5000, 5000, 50, 1, "GroupBoxGearKor"),
    UpDown("UpDownGearKorLimiter2", nullptr, nullptr, FieldId::GEAR_CORR_LIMITER, -5000, 5000, 50, 2, "GroupBoxGearKor"),
    UpDown("UpDownGearKorLimiter3", nullptr, nullptr, FieldId::GEAR_CORR_LIMITER, -5000, 5000, 50, 3, "GroupBoxGearKor"),
    UpDown("UpDownGearKorLimiter4", nullptr, nullptr, FieldId::GEAR_CORR_LIMITER, -5000, 5000, 50, 4, "GroupBoxGearKor"),
    UpDown("UpDownGearKorLimiter5", nullptr, nullptr, FieldId::GEAR_CORR_LIMITER, -5000, 5000, 50, 5, "GroupBoxGearKor"),
    UpDown("UpDownGearKorServo0", nullptr, nullptr, FieldId::GEAR_CORR_SERVO, -5000, 5000, 50, 0, "GroupBoxGearKor"),
    UpDown("UpDownGearKorServo1", nullptr, nullptr, FieldId::GEAR_CORR_SERVO, -5000, 5000, 50, 1, "GroupBoxGearKor"),
    UpDown("UpDownGearKorServo2", nullptr, nullptr, FieldId::GEAR_CORR_SERVO, -5000, 5000, 50, 2, "GroupBoxGearKor"),
    UpDown("UpDownGearKorServo3", nullptr, nullptr, FieldId::GEAR_CORR_SERVO, -5000, 5000, 50, 3, "GroupBoxGearKor"),
    UpDown("UpDownGearKorServo4", nullptr, nullptr, FieldId::GEAR_CORR_SERVO, -5000, 5000, 50, 4, "GroupBoxGearKor"),
    UpDown("UpDownGearKorServo5", nullptr, nullptr, FieldId::GEAR_CORR_SERVO, -5000, 5000, 50, 5, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout1_0", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 0, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout1_1", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 1, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout1_2", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 2, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout1_3", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 3, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout1_4", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 4, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout1_5", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 5, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout2_0", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 6, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout2_1", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 7, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout2_2", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 8, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout2_3", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 9, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout2_4", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 10, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout2_5", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 11, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout3_0", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 12, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout3_1", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 13, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout3_2", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 14, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout3_3", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 15, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout3_4", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 16, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout3_5", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 17, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout4_0", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 18, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout4_1", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 19, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout4_2", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 20, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout4_3", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 21, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout4_4", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 22, "GroupBoxGearKor"),
    UpDown("UpDownGearKorPout4_5", nullptr, nullptr, FieldId::GEAR_CORR_POUT, -5000, 5000, 50, 23, "GroupBoxGearKor"),
};

inline constexpr PageExtra kRaceExtras[] = {
    // The quickshift input as the unit reports it.
    {ExtraKind::Value, "LabelClutchMon", "###Quickshift##Schaltautomat##Quickshift", nullptr},
    {ExtraKind::Group, "GroupBoxClutchTime", "Setting according gear", nullptr},
    {ExtraKind::Label, "LabelClutchTime", "Quickshift time [ms]", "GroupBoxClutchTime"},
    {ExtraKind::Label, kClutchRowLabels[0], "0-1 ", "GroupBoxClutchTime"},
    {ExtraKind::Label, kClutchRowLabels[1], "2", "GroupBoxClutchTime"},
    {ExtraKind::Label, kClutchRowLabels[2], "3", "GroupBoxClutchTime"},
    {ExtraKind::Label, kClutchRowLabels[3], "4", "GroupBoxClutchTime"},
    {ExtraKind::Label, kClutchRowLabels[4], "5", "GroupBoxClutchTime"},
    {ExtraKind::Label, kClutchRowLabels[5], "6", "GroupBoxClutchTime"},
    {ExtraKind::Group, "GroupBoxGearKor", "Correction according gear", nullptr},
    {ExtraKind::Label, "LabelGearKorAdv", "Advance [°]", "GroupBoxGearKor"},
    {ExtraKind::Label, "LabelGearKorLimiter", "Limiter [rpm]", "GroupBoxGearKor"},
    {ExtraKind::Label, "LabelGearKorServo", "Servo", "GroupBoxGearKor"},
    {ExtraKind::Label, "LabelGearKorPout1", "Pout1", "GroupBoxGearKor"},
    {ExtraKind::Label, "LabelGearKorPout2", "Pout2", "GroupBoxGearKor"},
    {ExtraKind::Label, "LabelGearKorPout3", "Pout3", "GroupBoxGearKor"},
    {ExtraKind::Label, "LabelGearKorPout4", "Pout4", "GroupBoxGearKor"},
    {ExtraKind::Label, kKorRowLabels[0], "0-1 ", "GroupBoxGearKor"},
    {ExtraKind::Label, kKorRowLabels[1], "2", "GroupBoxGearKor"},
    {ExtraKind::Label, kKorRowLabels[2], "3", "GroupBoxGearKor"},
    {ExtraKind::Label, kKorRowLabels[3], "4", "GroupBoxGearKor"},
    {ExtraKind::Label, kKorRowLabels[4], "5", "GroupBoxGearKor"},
    {ExtraKind::Label, kKorRowLabels[5], "6", "GroupBoxGearKor"},
};
// clang-format on

// The binding of column `column` (0 quickshift time, 1 advance, 2 limiter, 3 servo, 4-7
// Pout1-4) in gear row `row`.
constexpr const Binding& RaceCell(int column, int row) {
  return kRaceRows[kRaceFirstCell + column * kRaceGearRows + row];
}

class RacePage final : public PageLogic {
 public:
  explicit RacePage(PageContext context) : context_(std::move(context)) {}

  int Index() const override { return kRacePageIndex; }
  std::span<const Binding> Rows() const override { return kRaceRows; }
  std::span<const PageExtra> Extras() const override { return kRaceExtras; }

  void Refresh(PageBinder& binder) override;
  void Tick(PageBinder& binder) override;

 private:
  PageContext context_;
};

}  // namespace zeda
