#include "pages/pout_controls.h"

#include <gtest/gtest.h>

#include <string>

#include "params/param_codes.h"

namespace zeda {
namespace {

TEST(PoutControls, ShownByModeAndLoadSensor) {
  struct Case {
    int mode;
    bool sensor;
    bool switching, shiftLight, duty, label;
    const char* text;
    bool frequency, pulse, pwmTable;
  } cases[] = {
      {POUT_OFF, true, false, false, false, false, "PWM [%]", false, false, false},
      {POUT_FUEL_PUMP, true, false, false, false, false, "PWM [%]", false, false, false},
      {POUT_GEAR_SHIFT_LIGHT, false, true, true, false, false, "PWM [%]", false, false, false},
      {POUT_POWER_JET_HONDA, false, true, false, false, false, "PWM [%]", false, false, false},
      {POUT_SPECIAL, false, true, false, true, true, "PWM [%]", false, false, false},
      {POUT_SPECIAL_PWM, false, false, false, false, false, "(PWM duty)", true, false, true},
      {POUT_SPECIAL_PWM, true, false, false, false, true, "(PWM duty)", true, false, true},
      {POUT_SPECIAL_PULSE, false, false, false, false, false, "(Period)", false, true, true},
      {POUT_SPECIAL_PULSE, true, false, false, false, true, "(Period)", false, true, true},
      {7, true, false, false, false, false, "PWM [%]", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " sensor " << c.sensor);
    const PoutControls p = PoutControlsFor(c.mode, c.sensor);
    EXPECT_EQ(p.switching, c.switching);
    EXPECT_EQ(p.shiftLightPattern, c.shiftLight);
    EXPECT_EQ(p.pwmDuty, c.duty);
    EXPECT_EQ(p.pwmLabel, c.label);
    EXPECT_EQ(std::string(p.pwmLabelText), c.text);
    EXPECT_EQ(p.frequency, c.frequency);
    EXPECT_EQ(p.pulse, c.pulse);
    EXPECT_EQ(p.pwmTable, c.pwmTable);
  }
}

}  // namespace
}  // namespace zeda
