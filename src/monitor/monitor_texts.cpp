#include "monitor/monitor_texts.h"

#include "lang/lang_string.h"

namespace zeda {

namespace {

struct TextRow {
  MonText id;
  const char* text;
};

// English variants; the translation tables supply the others once they exist, so a row
// without them is the same in every language.
constexpr TextRow kTexts[] = {
    {MonText::Error, "error"},
    {MonText::Potentiometer, "Potentiometer"},
    {MonText::AdvanceCorrection, "Advance correction"},
    {MonText::StartLimiterCorrection, "Start Limiter correction"},
    {MonText::GearShiftLightCorrection, "Gear shift light correction"},
    {MonText::AccMapSwitchCorrection, "Correction of acc map switch"},
    {MonText::PotentiometerCorrection, "Potentiometer correction"},
    {MonText::Pickup, "Pick-up (CKPS)"},
    {MonText::IsRunning, "is running"},
    {MonText::NoSignal, "no signal"},
    {MonText::PolarityError, ", polarity error"},
    {MonText::NegativePolarity, ", negative polarity"},
    {MonText::PositivePolarity, ", positive polarity"},
    // Kept at its stored width of 40 characters.
    {MonText::PickupSystemError, "Pick up system error                    "},
    {MonText::Advance, "Advance"},
    {MonText::Base, "Base"},
    {MonText::Speed, "Speed"},
    {MonText::Gear, "Gear"},
    {MonText::KillSwitch, "Kill switch"},
    {MonText::Blocking, "Blocking"},
    {MonText::Quickshift, "Quickshift"},
    {MonText::Retard, "Retard"},
    {MonText::SecondAdvance, "2nd advance chart"},
    {MonText::TachoLambda, "Tacho Lambda"},
    {MonText::Yes, "YES"},
    {MonText::No, "NO"},
    {MonText::StartLimiter, "Start limiter"},
    {MonText::Ready, "READY"},
    {MonText::Soft, "SOFT"},
    {MonText::Limiter, "Limiter"},
    {MonText::Input, "Input"},
    {MonText::Grounded, "Grounded"},
    {MonText::Open, "Open"},
    {MonText::Acceleration, "Acceleration"},
    {MonText::ProgramCount, "Number of Programing"},
    {MonText::FuelPump, "Fuel pump"},
    {MonText::GearShiftLight, "Gear shift light"},
    {MonText::PowerJet, "Power jet"},
    {MonText::N2O, "N2O"},
    {MonText::SpecialOut, "Special out"},
    {MonText::NotUsed, "Not used"},
    {MonText::GearVoltage, "Gear voltage"},
    {MonText::HourMeter, "Hour meter"},
    {MonText::HoursMinutes, "[h:mm]"},
    {MonText::OvervoltageCount, "Number of overvoltages on-board"},
    {MonText::LastOccurredAt, "last ocurred at"},
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
  return i < std::size(kTexts) ? LangText(kTexts[i].text) : "";
}

}  // namespace zeda
