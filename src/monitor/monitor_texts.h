#pragma once
// The words the monitor display puts into its labels, one table. Each entry names its
// text in the status-text table; MonitorText returns the current language's variant.
// Constant; any thread that may read the current language.
namespace zeda {

enum class MonText : int {
  Error,
  Potentiometer,
  AdvanceCorrection,
  StartLimiterCorrection,
  GearShiftLightCorrection,
  AccMapSwitchCorrection,
  PotentiometerCorrection,
  Pickup,
  IsRunning,
  NoSignal,
  PolarityError,
  NegativePolarity,
  PositivePolarity,
  PickupSystemError,
  Advance,
  Base,
  Speed,
  Gear,
  KillSwitch,
  Blocking,
  Quickshift,
  Retard,
  SecondAdvance,
  TachoLambda,
  Yes,
  No,
  StartLimiter,
  Ready,
  Soft,
  Limiter,
  Input,
  Grounded,
  Open,
  Acceleration,
  ProgramCount,
  FuelPump,
  GearShiftLight,
  PowerJet,
  N2O,
  SpecialOut,
  NotUsed,
  GearVoltage,
  HourMeter,
  HoursMinutes,
  OvervoltageCount,
  LastOccurredAt,
  KCount,
};

const char* MonitorText(MonText text);

}  // namespace zeda
