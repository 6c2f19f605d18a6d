#pragma once
// The Test page (index 9): test requests to the unit (ignition, power outputs, rpm, servo,
// dwell and SPA calibration), the proprietary values and, in the service test mode, a
// loader that takes the parameters from one copy inside a memory dump.
//
// Thread contract: window thread only (driven by the PageBinder).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"

namespace zeda {

inline constexpr int kTestPageIndex = 9;
// A memory dump holds four copies of the parameters, 1152 bytes apart, from byte 1.
inline constexpr int kDumpCopyStride = 1152;
inline constexpr int kDumpFirstCopy = 1;

inline constexpr PageItem kLoadBinItems[] = {
    {0, "1.kopie"}, {1, "2.kopie"}, {2, "3.kopie"}, {3, "4.kopie"}};

// The buttons that send a test request to the unit, by control name.
inline constexpr const char* kTestButtonNames[] = {
    "ButtonTestIgn1", "ButtonTestIgn2",      "ButtonTestIgn3",       "ButtonTestIgn4",
    "ButtonTest01",   "ButtonTest02",        "ButtonTest03",         "ButtonTest04",
    "ButtonTestRpm",  "ButtonTestServoPlus", "ButtonTestServoMinus", "ButtonCalibDwell",
    "ButtonCalibSPA", "ButtonTestN2O"};
// The service loader's controls (shown in test mode only).
inline constexpr const char* kLoadBinControls[] = {"ComboBoxLoadBin", "EditLoadBin",
                                                   "ButtonLoadBin"};

inline constexpr const char* kTestWarning =
    "These buttons act on the engine: an ignition test fires the ignition.";
inline constexpr const char* kTestQuestion =
    "The test buttons act on the engine: an ignition test fires the ignition. "
    "Make sure nobody touches the engine and nothing can ignite. Send tests to the unit?";

// clang-format off
inline constexpr Binding kTestRows[] = {
    UpDown("UpDownTestRpm", nullptr, nullptr, FieldId::TEST_RPM, 200, 25000, 100, 0, "GroupBoxTestRpm"),
    UpDown("UpDownTestServo", "Time [ms]", "LabelTestServo", FieldId::TEST_SERVO_TIME, 10, 2500, 10, 0, "GroupBoxTestServo"),
    UpDown("UpDownProp1", "$1", "LabelProp1", FieldId::PROPRIETARY, -32000, 32000, 1, 0, "GroupBoxProp"),
    UpDown("UpDownProp2", "$2", "LabelProp2", FieldId::PROPRIETARY, -32000, 32000, 1, 1, "GroupBoxProp"),
    UpDown("UpDownProp3", "$3", "LabelProp3", FieldId::PROPRIETARY, -32000, 32000, 1, 2, "GroupBoxProp"),
    UpDown("UpDownProp4", "$4", "LabelProp4", FieldId::PROPRIETARY, -32000, 32000, 1, 3, "GroupBoxProp"),
    UpDown("UpDownProp5", "$5", "LabelProp5", FieldId::PROPRIETARY, -32000, 32000, 1, 4, "GroupBoxProp"),
};

inline constexpr PageExtra kTestExtras[] = {
    {ExtraKind::Label, "LabelTestWarning", kTestWarning, nullptr},
    {ExtraKind::Group, "GroupBoxTestIgn", "Ignition test", nullptr},
    {ExtraKind::Button, "ButtonTestIgn1", "Ign 1", "GroupBoxTestIgn"},
    {ExtraKind::Button, "ButtonTestIgn2", "Ign 2", "GroupBoxTestIgn"},
    {ExtraKind::Button, "ButtonTestIgn3", "Ign 3", "GroupBoxTestIgn"},
    {ExtraKind::Button, "ButtonTestIgn4", "Ign 4", "GroupBoxTestIgn"},
    {ExtraKind::Button, "ButtonCalibDwell", "Calibration dwell", "GroupBoxTestIgn"},
    {ExtraKind::Button, "ButtonCalibSPA", "Calibration SPA", "GroupBoxTestIgn"},
    {ExtraKind::Group, "GroupBoxTestPout", "Power out test", nullptr},
    {ExtraKind::Button, "ButtonTest01", "Pout 1", "GroupBoxTestPout"},
    {ExtraKind::Button, "ButtonTest02", "Pout 2", "GroupBoxTestPout"},
    {ExtraKind::Button, "ButtonTest03", "Pout 3", "GroupBoxTestPout"},
    {ExtraKind::Button, "ButtonTest04", "Pout 4", "GroupBoxTestPout"},
    {ExtraKind::Button, "ButtonTestN2O", "N2O", "GroupBoxTestPout"},
    {ExtraKind::Group, "GroupBoxTestRpm", "Rpm", nullptr},
    {ExtraKind::Button, "ButtonTestRpm", "Test rpm", "GroupBoxTestRpm"},
    {ExtraKind::Group, "GroupBoxTestServo", "Servo", nullptr},
    {ExtraKind::Button, "ButtonTestServoPlus", "Servo +", "GroupBoxTestServo"},
    {ExtraKind::Button, "ButtonTestServoMinus", "Servo -", "GroupBoxTestServo"},
    {ExtraKind::Group, "GroupBoxProp", "Proprietary settimgs", nullptr},
    // The unit's proprietary values; each box shows its value signed.
    {ExtraKind::Group, "GroupBoxPropMon", "Proprietary monitor", nullptr},
    {ExtraKind::Value, "LabelPropMon1", "Prop1", "GroupBoxPropMon"},
    {ExtraKind::Check, "CheckBoxPropMon1", "Signed", "GroupBoxPropMon"},
    {ExtraKind::Value, "LabelPropMon2", "Prop2", "GroupBoxPropMon"},
    {ExtraKind::Check, "CheckBoxPropMon2", "Signed", "GroupBoxPropMon"},
    {ExtraKind::Value, "LabelPropMon3", "Prop3", "GroupBoxPropMon"},
    {ExtraKind::Check, "CheckBoxPropMon3", "Signed", "GroupBoxPropMon"},
    {ExtraKind::Value, "LabelPropMon4", "Prop4", "GroupBoxPropMon"},
    {ExtraKind::Check, "CheckBoxPropMon4", "Signed", "GroupBoxPropMon"},
    {ExtraKind::Value, "LabelPropMon5", "Prop5", "GroupBoxPropMon"},
    {ExtraKind::Check, "CheckBoxPropMon5", "Signed", "GroupBoxPropMon"},
    // The unit's test values, for the service test mode only.
    {ExtraKind::Group, "GroupBoxMonTest", "Test values", nullptr},
    {ExtraKind::Value, "LabelTest1", "Test1", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest2", "Test2", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest3", "Test3", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest4", "Test4", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest5", "Test5", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest6", "Test6", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest7", "Test7", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest8", "Test8", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest9", "Test9", "GroupBoxMonTest"},
    {ExtraKind::Value, "LabelTest10", "Test10", "GroupBoxMonTest"},
    {ExtraKind::Combo, "ComboBoxLoadBin", nullptr, nullptr},
    {ExtraKind::Edit, "EditLoadBin", nullptr, nullptr},
    {ExtraKind::Button, "ButtonLoadBin", "LOAD BIN RS", nullptr},
};
// clang-format on

// The start address of dump copy n (0-3) as EditLoadBin shows it ("0x%x").
std::string LoadBinAddressText(int copy);

class TestPage final : public PageLogic {
 public:
  explicit TestPage(PageContext context) : context_(std::move(context)) {}

  int Index() const override { return kTestPageIndex; }
  std::span<const Binding> Rows() const override { return kTestRows; }
  std::span<const PageExtra> Extras() const override { return kTestExtras; }

  void Create(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;
  void Tick(PageBinder& binder) override;
  bool Change(PageBinder& binder, std::string_view control) override;

 private:
  // ButtonTestClick: asks once per connection, then passes the request on.
  void TestClick(std::string_view button);
  // ButtonLoadBinClick: the parameters from one copy of a memory dump.
  void LoadBinClick(PageBinder& binder);
  bool Connected() const { return context_.connected && context_.connected(); }
  bool Refused() const { return context_.refused && context_.refused(); }
  uint32_t Connection() const { return context_.connection ? context_.connection() : 0; }

  PageContext context_;
  // The user agreed to tests on connection confirmedFor_.
  bool confirmed_ = false;
  uint32_t confirmedFor_ = 0;
};

}  // namespace zeda
