#pragma once
// The Sensors page (index 2): the load sensor with its calibration table (throttle or
// pressure), the two throttle calibration buttons that take the voltage the unit reports
// now, and the servo sensor.
//
// Thread contract: window thread only (driven by the PageBinder and the map editors).
#include <span>
#include <string_view>
#include <vector>

#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"
#include "pages/sensor_tables.h"

namespace zeda {

inline constexpr int kSensorsPageIndex = 2;
// Table ids of the two calibration tables (consecutive), clear of the pages' map ids.
inline constexpr int kSensorTableFirstId = 20;

inline constexpr PageItem kLoadSensorItems[] = {{0, "No"}, {1, "TP"}, {2, "IAP"}};
// The pressure sensor also synchronises when the servo input is the synchro IAP.
inline constexpr PageItem kLoadSensorItemsSynchro[] = {
    {0, "No"}, {1, "TP"}, {2, "IAP+Synchro IAP"}};
inline constexpr PageItem kServoSensorItems[] = {{0, "Servo"}, {1, "Synchro IAP"}};

// clang-format off
inline constexpr Binding kSensorsRows[] = {
    RadioIndex("RadioGroupTpsIap", "Load sensor", FieldId::TPSIAP_SENSOR, kLoadSensorItems),
    RadioIndex("RadioGroupSensorServa", "Servo sensor", FieldId::SERVO_SENSOR, kServoSensorItems),
};
inline constexpr PageExtra kSensorsExtras[] = {
    {ExtraKind::Button, "BitBtnTps0", " TP 0 %    ", nullptr},
    {ExtraKind::Button, "BitBtnTps100", "TP 100 %", nullptr},
};
// clang-format on

// Controls this build keeps but never shows (the lambda sensor).
inline constexpr const char* kSensorsHiddenControls[] = {"RadioGroupCidloLambdaMode"};

class SensorsPage final : public PageLogic {
 public:
  static constexpr const char* kThrottleTableName = "TabTps";
  static constexpr const char* kPressureTableName = "TabIap";

  explicit SensorsPage(const PageContext& context) : context_(context) {}

  int Index() const override { return kSensorsPageIndex; }
  std::span<const Binding> Rows() const override { return kSensorsRows; }
  std::span<const PageExtra> Extras() const override { return kSensorsExtras; }
  std::vector<PageTable> Tables() override;

  void Create(PageBinder& binder) override;
  void Load(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;
  bool Change(PageBinder& binder, std::string_view control) override;

  const SensorTables& Tabs() const { return tabs_; }

 private:
  void TableChanged(PageBinder& binder, TTab& t);
  // BitBtnTps0Click / BitBtnTps100Click.
  void ThrottleButton(PageBinder& binder, int row);

  PageContext context_;
  SensorTables tabs_;
};

}  // namespace zeda
