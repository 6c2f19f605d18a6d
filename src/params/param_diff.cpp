#include "params/param_diff.h"

#include <cstdio>

#include "params/param_addresses.h"

namespace zeda {

namespace {

using F = FieldId;

struct UnitRow {
  FieldId id;
  const char* unit;
};

// The units the pages and the file show these fields in.
constexpr UnitRow kUnits[] = {
    {F::TPS_0, "mV"},
    {F::TPS_100, "mV"},
    {F::IAP_V1, "mV"},
    {F::IAP_V2, "mV"},
    {F::GEAR_VOLTAGE, "mV"},
    {F::SERVO_HYSTER, "mV"},
    {F::SERVO_NO, "mV"},
    {F::START_SOFT_LIMITER, "rpm"},
    {F::START_LIMITER, "rpm"},
    {F::SOFT_LIMITER, "rpm"},
    {F::LIMITER, "rpm"},
    {F::POUT_SW_RPM, "rpm"},
    {F::POUT_HYSTER, "rpm"},
    {F::POUT_PWM_RPM, "rpm"},
    {F::GEAR_AUTO_RPM, "rpm"},
    {F::CLUTCH_MIN_RPM, "rpm"},
    {F::TEST_RPM, "rpm"},
    {F::SERVO_RPM, "rpm"},
    {F::RPM_ADV, "rpm"},
    {F::RPM_ADV2, "rpm"},
    {F::GEAR_CORR_LIMITER, "rpm"},
    {F::MAP2_ACCEL, "rpm/s"},
    {F::START_LIMITER_DELAY, "ms"},
    {F::POUT_SPULSE, "ms"},
    {F::CLUTCH_TIME, "ms"},
    {F::CLUTCH_PAUSE1, "ms"},
    {F::CLUTCH_PAUSE2, "ms"},
    {F::TEST_SERVO_TIME, "ms"},
    {F::BASE_ADV, "deg"},
    {F::CORR_ADVANCE, "deg"},
    {F::RETARD, "deg"},
    {F::CLUTCH_ADV, "deg"},
    {F::GEAR_CORR_ADV, "deg"},
    {F::ADVANCE, "deg"},
    {F::ADVANCE2, "deg"},
    {F::SPECIAL_START_PERC, "%"},
    {F::POUT_SP_PWM, "%"},
    {F::POUT_PWM_MAP, "%"},
    {F::GEAR_AUTO_TPS, "%"},
    {F::POUT_SPWM_FR, "Hz"},
};

int ElementBytes(const ParamField& f) { return f.area == ParamArea::Word ? 2 : 1; }
int ElementByte(const ParamField& f, int element) {
  const int a = f.Address(element);
  return f.area == ParamArea::Word ? 2 * a : a;
}

}  // namespace

const char* FieldUnit(const ParamField& field) {
  for (const UnitRow& r : kUnits) {
    if (r.id == field.id) return r.unit;
  }
  return "";
}

std::vector<FieldDifference> DifferencesByField(const ParamImage& ours, const ParamImage& theirs,
                                                bool skipReadLock) {
  std::vector<FieldDifference> out;
  for (int b = 0; b < PARAM_IMAGE_SIZE;) {
    const ParamField* f = FieldAtByte(b);
    if (f == nullptr) {
      if (ours.Byte(b) != theirs.Byte(b))
        out.push_back({nullptr, 0, b, -1, ours.Byte(b), theirs.Byte(b)});
      ++b;
      continue;
    }
    // Whole field at once, element by element.
    for (int e = 0; e < f->count; ++e) {
      const int first = ElementByte(*f, e);
      bool differs = false;
      for (int k = 0; k < ElementBytes(*f); ++k) {
        differs = differs || ours.Byte(first + k) != theirs.Byte(first + k);
      }
      if (!differs || (skipReadLock && f->id == FieldId::NO_READING)) continue;
      const bool shown = f->kind == FieldKind::Number;
      out.push_back({f, e, first, f->group,
                     shown ? ReadShown(ours, *f, e) : ReadStored(ours, *f, e),
                     shown ? ReadShown(theirs, *f, e) : ReadStored(theirs, *f, e)});
    }
    b = f->EndByte();
  }
  return out;
}

std::string DifferenceName(const FieldDifference& d) {
  if (d.field == nullptr) return "byte " + std::to_string(d.address);
  std::string name = d.field->name;
  if (d.field->count > 1) {
    // Appended piece by piece: GCC 12's -Wrestrict misreads "[" + std::string at -O2.
    name += '[';
    name += std::to_string(d.element);
    name += ']';
  }
  return name;
}

std::string FormatDifference(const FieldDifference& d, const std::string& page) {
  char text[200];
  if (d.field == nullptr) {
    std::snprintf(text, sizeof text, "byte %d: %d / %d", d.address, d.ours, d.theirs);
    return text;
  }
  const std::string name = DifferenceName(d);
  const char* unit = FieldUnit(*d.field);
  std::snprintf(text, sizeof text, "%s (%s%s%s): %d / %d", name.c_str(), page.c_str(),
                *unit ? ", " : "", unit, d.ours, d.theirs);
  return text;
}

}  // namespace zeda
