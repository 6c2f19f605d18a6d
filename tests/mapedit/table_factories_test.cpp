#include "mapedit/table_factories.h"

#include <gtest/gtest.h>

#include "mapedit/lang_select.h"

namespace zeda {
namespace {

struct AxisExpect {
  const char* key;
  const char* unit;
  int32_t minValue, maxValue;
  double scale;
  int count;
  bool editable, resizable;
  int fixMode;
  uint32_t group;
};

void ExpectAxis(const CAxe& a, const AxisExpect& e, const char* what) {
  EXPECT_EQ(a.key, e.key) << what;
  EXPECT_EQ(a.unit, e.unit) << what;
  EXPECT_EQ(a.minValue, e.minValue) << what;
  EXPECT_EQ(a.maxValue, e.maxValue) << what;
  EXPECT_DOUBLE_EQ(a.scale, e.scale) << what;
  if (e.count >= 0) {
    EXPECT_EQ(a.count, e.count) << what;
  }
  EXPECT_EQ(a.editable, e.editable) << what;
  if (e.fixMode >= 0) {
    EXPECT_EQ(a.resizable, e.resizable) << what;
    EXPECT_EQ(a.fixMode, e.fixMode) << what;
  }
  EXPECT_EQ(a.groupMask, e.group) << what;
}

TEST(TableFactories, AdvanceMap) {
  TTableSet set;
  TTab* t = CreateAdvanceMap(set, 3, {});
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->style, 0x71u);
  ASSERT_EQ(t->sheetCount, 2);
  // The sheet names are shown in the program's language.
  EXPECT_EQ(MapeditText(t->Sheet(0).name, kLangEnglish), "Advance 1");
  EXPECT_EQ(MapeditText(t->Sheet(1).name, kLangEnglish), "Advance 2");
  EXPECT_EQ(MapeditText(t->Sheet(1).name, kLangGerman), "Vorz\u00fcndung 2");
  EXPECT_EQ(MapeditText(t->Sheet(0).name, kLangCzech), "P\u0159edstih 1");
  for (int i = 0; i < 2; ++i) {
    const CSheet& s = t->Sheet(i);
    EXPECT_EQ(s.flags, 0x701u);
    ExpectAxis(s.axisX, {"RPM", "", 3, 250, 100, 15, true, true, 0, 0x100}, "X");
    EXPECT_EQ(s.axisX.maxCount, 15);
    EXPECT_EQ(s.axisX.fixedIndexRule, -1);
    EXPECT_EQ(s.axisX.label, "RPM");
    ExpectAxis(s.axisY, {"TP", "%", 0, 100, 1, 10, false, false, 1, 0x100}, "Y");
    EXPECT_EQ(s.axisY.fixedIndexRule, -2);
    const int32_t tp[10] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(s.axisY.values[k], tp[k]);
    ExpectAxis(s.axisData, {"ADV", "\u00b0", -30, 60, 1, -1, true, false, -1, 0x100}, "data");
    EXPECT_EQ(s.axisX.tickRangeCount, 3);
    EXPECT_EQ(s.axisData.tickRangeCount, 2);
  }
}

TEST(TableFactories, AdvanceMapLoadChoices) {
  TTableSet set;
  AdvanceMapOptions o;
  o.load[1].iapLoad = true;
  o.load[0].loadSensor = false;
  TTab* t = CreateAdvanceMap(set, 3, o);
  ExpectAxis(t->Sheet(1).axisY, {"IAP", "kPa", 0, 999, 1, 10, true, true, 1, 0x100}, "IAP");
  EXPECT_EQ(t->Sheet(0).axisY.fixMode, 2);
  EXPECT_TRUE(t->Sheet(0).axisY.fixed);
}

TEST(TableFactories, ServoMap) {
  TTableSet set;
  ServoMapOptions o;
  TTab* t = CreateServoMap(set, 4, o);
  const CSheet& s = t->Cur();
  EXPECT_EQ(t->style, 0x71u);
  EXPECT_EQ(MapeditText(s.name, kLangEnglish), "Servo");
  EXPECT_EQ(MapeditText(s.name, kLangCzech), "Servo");
  EXPECT_EQ(s.flags, 0x609u);
  ExpectAxis(s.axisX, {"RPM", "", 3, 250, 100, 15, true, true, 1, 0}, "X");
  ExpectAxis(s.axisY, {"TP", "%", 0, 100, 1, 10, false, false, 1, 0}, "Y");
  ExpectAxis(s.axisData, {"U", "V", 0, 250, 0.02, -1, true, false, -1, 0}, "data");
  EXPECT_EQ(s.axisData.label, "STPS [V]");
  o.percent = true;
  TTab* p = CreateServoMap(set, 5, o);
  ExpectAxis(p->Cur().axisData, {"[%]", "%", 0, 100, 1, -1, true, false, -1, 0}, "percent");
  EXPECT_EQ(p->Cur().axisData.label, "STPS [%]");
  EXPECT_EQ(p->Cur().axisData.tickRangeCount, 4);
}

TEST(TableFactories, PowerOutputTables) {
  TTableSet set;
  TTab* sw = CreateSwitchingTable(set, 10, "PO 1", 0);
  EXPECT_EQ(sw->style, 0x2030u);
  EXPECT_TRUE(sw->IsZone());
  const CSheet& s = sw->Cur();
  EXPECT_EQ(s.flags, 1u);
  ExpectAxis(s.axisX, {"RPM", "", 3, 250, 100, 3, true, false, 0, 0}, "X");
  ExpectAxis(s.axisY, {"TP", "%", 0, 100, 1, 2, true, true, 1, 0}, "Y");
  EXPECT_EQ(s.axisY.fixedIndexRule, -2);
  ExpectAxis(s.axisData, {"PO", "", 0, 2, 1, -1, false, false, -1, 0}, "data");
  EXPECT_EQ(s.CellCols(), 4);
  EXPECT_EQ(s.CellRows(), 3);
  TTab* pwm = CreatePwmTable(set, 11, "PWM 1", 0);
  EXPECT_EQ(pwm->style, 0x30u);
  const CSheet& p = pwm->Cur();
  ExpectAxis(p.axisX, {"RPM", "", 3, 250, 100, 6, true, false, 1, 0}, "X");
  ExpectAxis(p.axisY, {"TP", "%", 0, 100, 1, 4, true, true, 1, 0}, "Y");
  ExpectAxis(p.axisData, {"PO", "%", 0, 100, 1, -1, true, false, -1, 0}, "data");
}

TEST(TableFactories, SensorTables) {
  TTableSet set;
  struct Case {
    TTab* t;
    const char* name;
    uint32_t flags;
    AxisExpect y;
  };
  const Case cases[] = {
      {CreateThrottleSensorTable(set, 20, 0),
       "TP sensor",
       0x7A2,
       {"TP", "%", 0, 100, 1, 2, false, false, 0, 0}},
      {CreatePressureSensorTable(set, 21, 0),
       "IAP sensor",
       0x7A2,
       {"P", "kPa", 0, 999, 1, 2, true, false, 0, 0}},
      {CreateLambdaSensorTable(set, 22, 0),
       "Lambda sensor",
       3,
       {"AFR", "", 0, 250, 0.1, 6, true, false, 0, 0}},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.t, nullptr);
    EXPECT_EQ(c.t->style, 0x130u);
    const CSheet& s = c.t->Cur();
    EXPECT_EQ(MapeditText(s.name, kLangEnglish), c.name);
    EXPECT_NE(MapeditText(s.name, kLangCzech), c.name);
    EXPECT_EQ(s.flags, c.flags);
    EXPECT_EQ(s.axisX.count, 1);
    EXPECT_TRUE(s.axisX.fixed);
    ExpectAxis(s.axisY, c.y, c.name);
    ExpectAxis(s.axisData, {"U", "V", 0, 5000, 0.001, -1, true, false, -1, 0}, c.name);
  }
  EXPECT_EQ(cases[0].t->Cur().axisY.values[1], 100);
}

TEST(TableFactories, RefusedWhenTheWindowIsFull) {
  TTableSet set;
  for (int i = 0; i < kMaxTables; ++i) set.CreateTable(i, 0, 0, 0);
  EXPECT_EQ(CreateAdvanceMap(set, 99, {}), nullptr);
  EXPECT_EQ(CreateLambdaSensorTable(set, 99, 0), nullptr);
}

}  // namespace
}  // namespace zeda
