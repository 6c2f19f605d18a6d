#pragma once
// The Servo page (index 5): the servo map editor, the servo enable (also the map's own
// switch), the "Percent" unit of the map and the servo's hysteresis and off voltage.
//
// Storing the page while "Percent" no longer matches the image converts the map's cells
// into the new unit before anything else is stored. The map editor's change report takes
// the overlays, stores the map (with its enable switch) and commits.
//
// Thread contract: window thread only (driven by the PageBinder and the map editor).
#include <span>
#include <vector>

#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"

namespace zeda {

inline constexpr int kServoPageIndex = 5;
inline constexpr int kServoEnableRow = 0;  // its row in kServoRows (the map's switch too)

// clang-format off
inline constexpr Binding kServoRows[] = {
    Check("CheckBoxServoEnable", "Servo enable", FieldId::SERVO_ENABLE),
    Check("CheckBoxServoProcenta", "Percent", FieldId::SERVO_PERCENT),
    UpDown("UpDownServoHyster", "1/P [mV]", "LabelServoHyster", FieldId::SERVO_HYSTER, 0, 1275, 5),
    UpDown("UpDownServoNo", "Off [mV]", "LabelServoNo", FieldId::SERVO_NO, 0, 1250, 5),
};
// clang-format on

// The servo's position and target as the unit reports them.
inline constexpr PageExtra kServoExtras[] = {
    {ExtraKind::Value, "LabelServo", "Servo", nullptr},
};

class ServoPage final : public PageLogic {
 public:
  static constexpr const char* kTableName = "TabServo";

  explicit ServoPage(const PageContext& context) : context_(context) {}

  int Index() const override { return kServoPageIndex; }
  std::span<const Binding> Rows() const override { return kServoRows; }
  std::span<const PageExtra> Extras() const override { return kServoExtras; }
  std::vector<PageTable> Tables() override;

  void Create(PageBinder& binder) override;
  void Load(PageBinder& binder) override;
  void Store(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;

  TTab* Table() const { return tab_; }

 private:
  void TableChanged(PageBinder& binder, TTab& t);

  PageContext context_;
  TTab* tab_ = nullptr;
};

}  // namespace zeda
