#include "pages/pout_tables.h"

#include <algorithm>
#include <string>

#include "mapedit/table_factories.h"
#include "params/param_codes.h"
#include "params/param_fields.h"

namespace zeda {

namespace {

constexpr int kSheet = 0;
constexpr int32_t kRpmRawMin = 3;
constexpr int32_t kRpmRawMax = 250;
constexpr uint8_t kZoneBits = 0x0F;  // bits 0-3: the four zones of a row
constexpr int32_t kZoneOn = 1;

// The tables' sheet names, in the three languages a screen reader may read them in (the same
// words as the outputs' group boxes).
constexpr const char* kOutputTitles[POUT_COUNT] = {
    "###Power out 1 (pin 2)##Leistungsausgang 1 (Pin 2)##V\u00fdkonov\u00fd v\u00fdstup 1 (pin 2)",
    "###Power out 2 (pin 3)##Leistungsausgang 2 (Pin 3)##V\u00fdkonov\u00fd v\u00fdstup 2 (pin 3)",
    "###Power out 3 (pin 5)##Leistungsausgang 3 (Pin 5)##V\u00fdkonov\u00fd v\u00fdstup 3 (pin 5)",
    "###Power out 4 (pin 11)##Leistungsausgang 4 (Pin 11)##V\u00fdkonov\u00fd v\u00fdstup 4 (pin "
    "11)"};

// The pulse period of mode 253: 50 ms steps, never shorter than the pulse itself.
constexpr int32_t kPeriodMax = 200;
constexpr double kPeriodScale = 0.05;
constexpr int32_t kDutyMax = 100;

// One table's image fields: rpm points, load words, and where output k's cells start.
struct PoutAxes {
  FieldId rpm;
  FieldId load;
  int rpmPoints;
  int loadPoints;
};
constexpr PoutAxes kSwitchingAxes = {FieldId::POUT_SW_RPM, FieldId::POUT_SW_LOAD,
                                     POUT_SW_RPM_POINTS, POUT_SW_LOAD_POINTS};
constexpr PoutAxes kPwmAxes = {FieldId::POUT_PWM_RPM, FieldId::POUT_PWM_LOAD, POUT_PWM_RPM_POINTS,
                               POUT_PWM_LOAD_POINTS};

int ModeOf(const ParamImage& img, int k) { return ReadStored(img, FieldId::POUT_MODE, k); }

void LoadAxes(CSheet& s, const PoutAxes& a, int k, const ParamImage& img) {
  for (int i = 0; i < a.rpmPoints; ++i)
    s.axisX.values[i] = ReadStored(img, a.rpm, a.rpmPoints * k + i);
  for (int i = 0; i < a.loadPoints; ++i)
    s.axisY.values[i] = ReadStored(img, a.load, a.loadPoints * k + i);
}

void StoreAxes(const CSheet& s, const PoutAxes& a, int k, ParamImage& img) {
  const int32_t loadMax = Field(a.load).hi;
  for (int i = 0; i < a.rpmPoints; ++i)
    WriteStored(img, a.rpm, a.rpmPoints * k + i,
                std::clamp(s.axisX.values[i], kRpmRawMin, kRpmRawMax));
  for (int i = 0; i < a.loadPoints; ++i)
    WriteStored(img, a.load, a.loadPoints * k + i, std::clamp(s.axisY.values[i], 0, loadMax));
}

int SwitchingByte(int k, int r) { return POUT_SW_ROWS * k + r; }
int PwmCell(int k, int r, int i) { return POUT_PWM_CELLS * k + POUT_PWM_RPM_POINTS * r + i; }

void LoadZones(CSheet& s, int k, const ParamImage& img) {
  for (int r = 0; r < kPoutZoneRows; ++r) {
    const int32_t bits = ReadStored(img, FieldId::POUT_SW_BITS, SwitchingByte(k, r));
    for (int i = 0; i < kPoutZoneColumns; ++i) s.Cell(i, r) = (bits >> i) & 1 ? kZoneOn : 0;
  }
}

void StoreZones(const CSheet& s, int k, ParamImage& img) {
  for (int r = 0; r < kPoutZoneRows; ++r) {
    int32_t bits = ReadStored(img, FieldId::POUT_SW_BITS, SwitchingByte(k, r)) & ~kZoneBits;
    for (int i = 0; i < kPoutZoneColumns; ++i)
      if (s.Cell(i, r) != 0) bits |= 1 << i;
    WriteStored(img, FieldId::POUT_SW_BITS, SwitchingByte(k, r), bits);
  }
}

void LoadPwmCells(CSheet& s, int k, const ParamImage& img) {
  for (int r = 0; r < POUT_PWM_LOAD_POINTS; ++r)
    for (int i = 0; i < POUT_PWM_RPM_POINTS; ++i)
      s.Cell(i, r) = ReadStored(img, FieldId::POUT_PWM_MAP, PwmCell(k, r, i));
}

void StorePwmCells(const CSheet& s, int k, ParamImage& img) {
  const ParamField& f = Field(FieldId::POUT_PWM_MAP);
  for (int r = 0; r < POUT_PWM_LOAD_POINTS; ++r)
    for (int i = 0; i < POUT_PWM_RPM_POINTS; ++i)
      WriteStored(img, f, PwmCell(k, r, i), std::clamp(s.Cell(i, r), f.lo, f.hi));
}

// The load axis of a power-output table: same breakpoints, other quantity.
void SetLoadQuantity(CAxe& y, bool iap) {
  y.key = iap ? "IAP" : "TP";
  y.unit = iap ? "kPa" : "%";
  y.label = iap ? "IAP [kPa]" : "TP [%]";
  y.maxValue = iap ? Field(FieldId::POUT_SW_LOAD).hi : 100;
}

void SetPwmValues(CAxe& d, int mode, int32_t pulseStored) {
  if (mode == POUT_SPECIAL_PULSE) {
    d.label = "Periode";
    d.unit = "s";
    d.scale = kPeriodScale;
    d.minValue = (pulseStored + 9) / 10;
    d.maxValue = kPeriodMax;
  } else {
    d.label = mode == POUT_SPECIAL_PWM ? "PWM" : "PO [%]";
    d.unit = "%";
    d.scale = 1;
    d.minValue = 0;
    d.maxValue = kDutyMax;
  }
}

void LoadOutput(const PoutTables& t, int k, const ParamImage& img) {
  if (TTab* sw = t.switching[k]; sw && sw->sheetCount > kSheet) {
    CSheet& s = sw->Sheet(kSheet);
    LoadAxes(s, kSwitchingAxes, k, img);
    LoadZones(s, k, img);
  }
  if (TTab* pwm = t.pwm[k]; pwm && pwm->sheetCount > kSheet) {
    CSheet& s = pwm->Sheet(kSheet);
    LoadAxes(s, kPwmAxes, k, img);
    LoadPwmCells(s, k, img);
  }
  SetPoutTableRanges(t, k, img);
}

// The editor divides its width by the cells it may show at once (15 x 10 for a map); these
// tables are small, so every cell is shown and takes its share of the box instead of a
// corner of it.
void ShowEveryCell(TTab* t) {
  if (t == nullptr) return;
  int cols = 1, rows = 1;
  for (int i = 0; i < t->sheetCount; ++i) {
    cols = std::max(cols, t->Sheet(i).CellCols());
    rows = std::max(rows, t->Sheet(i).CellRows());
  }
  t->visibleCols = cols;
  t->visibleRows = rows;
}

}  // namespace

PoutTables CreatePoutTables(TTableSet& set, int firstId, const ParamImage& img, uint32_t colour) {
  PoutTables t;
  for (int k = 0; k < POUT_COUNT; ++k)
    t.switching[k] = CreateSwitchingTable(set, firstId + k, kOutputTitles[k], colour);
  for (int k = 0; k < POUT_COUNT; ++k)
    t.pwm[k] = CreatePwmTable(set, firstId + POUT_COUNT + k, kOutputTitles[k], colour);
  for (int k = 0; k < POUT_COUNT; ++k) {
    ShowEveryCell(t.switching[k]);
    ShowEveryCell(t.pwm[k]);
  }
  LoadPoutTables(t, img);
  return t;
}

void LoadPoutTables(const PoutTables& t, const ParamImage& img) {
  for (int k = 0; k < POUT_COUNT; ++k) LoadOutput(t, k, img);
}

void SetPoutTableRanges(const PoutTables& t, int k, const ParamImage& img) {
  if (k < 0 || k >= POUT_COUNT) return;
  const bool iap = ReadStored(img, FieldId::TPSIAP_SENSOR) == LOAD_SENSOR_IAP;
  for (TTab* table : {t.switching[k], t.pwm[k]}) {
    if (!table || table->sheetCount <= kSheet) continue;
    CSheet& s = table->Sheet(kSheet);
    SetLoadQuantity(s.axisY, iap);
    if (table == t.pwm[k])
      SetPwmValues(s.axisData, ModeOf(img, k), ReadStored(img, FieldId::POUT_SPULSE, k));
    table->Normalise(kSheet, kPartAll | kForgetLastEdited);
    table->Rebuild();
  }
}

int PoutOutputOf(const PoutTables& t, const TTab& table) {
  for (int k = 0; k < POUT_COUNT; ++k)
    if (&table == t.switching[k] || &table == t.pwm[k]) return k;
  return -1;
}

bool StorePoutTable(const PoutTables& t, const TTab& changed, ParamImage& img) {
  const int k = PoutOutputOf(t, changed);
  if (k < 0 || changed.sheetCount <= kSheet) return false;
  const CSheet& s = changed.Sheet(kSheet);
  if (&changed == t.switching[k]) {
    StoreAxes(s, kSwitchingAxes, k, img);
    StoreZones(s, k, img);
  } else {
    StoreAxes(s, kPwmAxes, k, img);
    StorePwmCells(s, k, img);
  }
  return true;
}

int32_t PoutHysteresisRpm(const ParamImage& img, int k) {
  if (k < 0 || k >= POUT_COUNT) return 0;
  return ReadShown(img, Field(FieldId::POUT_HYSTER), k);
}

}  // namespace zeda
