#include "monitor/monitor_texts.h"

#include "lang/status_texts.h"

namespace zeda {

namespace {

struct TextRow {
  MonText id;
  int number;  // in the status-text table
};

// Every word comes from the status-text table, so a language switch changes them all.
constexpr TextRow kTexts[] = {
    {MonText::Error, 27},
    {MonText::Potentiometer, 76},
    {MonText::AdvanceCorrection, 79},
    {MonText::StartLimiterCorrection, 80},
    {MonText::GearShiftLightCorrection, 81},
    {MonText::AccMapSwitchCorrection, 82},
    {MonText::PotentiometerCorrection, 77},
    {MonText::Pickup, 39},
    {MonText::IsRunning, 40},
    {MonText::NoSignal, 41},
    {MonText::PolarityError, 70},
    {MonText::NegativePolarity, 31},
    {MonText::PositivePolarity, 30},
    {MonText::PickupSystemError, 38},
    {MonText::Advance, 19},
    {MonText::Base, 20},
    {MonText::Speed, 83},
    {MonText::Gear, 84},
    {MonText::KillSwitch, 49},
    {MonText::Blocking, 22},
    {MonText::Quickshift, 46},
    {MonText::Retard, 66},
    {MonText::SecondAdvance, 87},
    {MonText::TachoLambda, 95},
    {MonText::Yes, 23},
    {MonText::No, 24},
    {MonText::StartLimiter, 68},
    {MonText::Ready, 26},
    {MonText::Soft, 25},
    {MonText::Limiter, 69},
    {MonText::Input, 47},
    {MonText::Grounded, 51},
    {MonText::Open, 50},
    {MonText::Acceleration, 86},
    {MonText::ProgramCount, 21},
    {MonText::FuelPump, 53},
    {MonText::GearShiftLight, 54},
    {MonText::PowerJet, 55},
    {MonText::N2O, 88},
    {MonText::SpecialOut, 56},
    {MonText::NotUsed, 57},
    {MonText::GearVoltage, 85},
    {MonText::HourMeter, 72},
    {MonText::HoursMinutes, 73},
    {MonText::OvervoltageCount, 74},
    {MonText::LastOccurredAt, 75},
};
static_assert(std::size(kTexts) == static_cast<std::size_t>(MonText::KCount));

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kTexts); ++i)
    if (static_cast<std::size_t>(kTexts[i].id) != i) return false;
  return true;
}
static_assert(InOrder(), "kTexts rows follow MonText");

}  // namespace

const char* MonitorText(MonText text) {
  const auto i = static_cast<std::size_t>(text);
  return i < std::size(kTexts) ? StatusText(kTexts[i].number) : "";
}

}  // namespace zeda
