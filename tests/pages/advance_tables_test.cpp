#include "pages/advance_tables.h"

#include <gtest/gtest.h>

#include "mapedit/lang_select.h"
#include "pages/page_image.h"
#include "pages/table_overlays.h"
#include "params/param_codes.h"

namespace zeda {
namespace {

using test::PageImage;

class AdvanceTables : public ::testing::Test {
 protected:
  void Create() {
    NormalizeParams(img_);
    t_ = CreateAdvanceTables(set_, 3, img_, 0xFFFFFF);
    ASSERT_NE(t_, nullptr);
  }
  TTableSet set_;
  ParamImage img_ = PageImage();
  TTab* t_ = nullptr;
};

struct RowAxisCase {
  int sensor;
  int advMap[2];
  const char* key;  // the row axis of both sheets
  bool fixed[2];    // rows collapsed into one rpm curve
  bool editable;    // breakpoints of the row axis
};

TEST_F(AdvanceTables, RowAxisFollowsLoadSensorAndMapFlags) {
  const RowAxisCase cases[] = {
      {LOAD_SENSOR_NONE, {1, 1}, "TP", {true, true}, false},
      {LOAD_SENSOR_TP, {0, 1}, "TP", {true, false}, false},
      {LOAD_SENSOR_TP, {1, 0}, "TP", {false, true}, false},
      {LOAD_SENSOR_IAP, {1, 1}, "IAP", {false, false}, true},
      {LOAD_SENSOR_IAP, {0, 0}, "IAP", {true, true}, true},
  };
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_TP);
  Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "sensor " << c.sensor << " maps " << c.advMap[0] << c.advMap[1]);
    img_.SetByte(Adrb::TPSIAP_SENSOR, static_cast<uint8_t>(c.sensor));
    img_.SetByte(Adrb::ADV_MAP, static_cast<uint8_t>(c.advMap[0]));
    img_.SetByte(Adrb::ADV2_MAP, static_cast<uint8_t>(c.advMap[1]));
    for (int i = 0; i < MAP_ROWS; ++i) {
      img_.SetWord(Adrw::ADV_IAP + i, static_cast<uint16_t>(40 + 5 * i));
      img_.SetWord(Adrw::ADV2_IAP + i, static_cast<uint16_t>(60 + 7 * i));
    }
    LoadAdvanceTables(*t_, img_);
    for (int m = 0; m < 2; ++m) {
      const CAxe& y = t_->Sheet(m).axisY;
      EXPECT_EQ(y.key, c.key);
      EXPECT_EQ(y.fixed, c.fixed[m]) << "sheet " << m;
      EXPECT_EQ(y.editable, c.editable);
      EXPECT_EQ(y.count, MAP_ROWS);
      EXPECT_FALSE(y.resizable);  // ten stored load points, never more or fewer
      EXPECT_EQ(y.fixMode, c.sensor == LOAD_SENSOR_NONE ? 2 : 1);
      for (int i = 0; i < MAP_ROWS; ++i) {
        const int32_t want =
            c.sensor == LOAD_SENSOR_IAP ? (m == 0 ? 40 + 5 * i : 60 + 7 * i) : kTpLoadAxis[i];
        EXPECT_EQ(y.values[i], want) << "row " << i;
      }
      EXPECT_EQ(SheetUsesRows(t_->Sheet(m), img_), !c.fixed[m]);
    }
  }
}

TEST_F(AdvanceTables, LoadShowsRpmDegreesUsedColumnsAndBaseAdvance) {
  for (int i = 0; i < MAP_COLUMNS; ++i)
    img_.SetByte(Adrb::RPM_ADV2 + i, static_cast<uint8_t>(20 + 3 * i));
  img_.SetByte(Adrb::ADVANCE + 2 * MAP_COLUMNS + 4, 70);    // -30 degrees, row 2, column 4
  img_.SetByte(Adrb::ADVANCE2 + 9 * MAP_COLUMNS + 0, 160);  // +60 degrees
  img_.SetByte(Adrb::ADV_COLUMNS, 9);
  img_.SetByte(Adrb::ADV2_COLUMNS, 15);
  img_.SetByte(Adrb::BASE_ADV, 17);
  Create();
  const CSheet& a = t_->Sheet(0);
  const CSheet& b = t_->Sheet(1);
  EXPECT_EQ(MapeditText(a.name, kLangEnglish), "Advance 1");
  EXPECT_EQ(MapeditText(b.name, kLangEnglish), "Advance 2");
  EXPECT_EQ(a.axisX.count, 9);
  EXPECT_EQ(b.axisX.count, 15);
  for (int i = 0; i < MAP_COLUMNS; ++i) EXPECT_EQ(b.axisX.values[i], 20 + 3 * i);
  EXPECT_EQ(a.axisX.values[0] * a.axisX.scale, 1500);  // 15 hundreds shown as rpm
  EXPECT_EQ(a.Cell(4, 2), -30);
  EXPECT_EQ(b.Cell(0, 9), 60);
  EXPECT_EQ(a.Cell(0, 0), img_.Byte(Adrb::ADVANCE) - 100);
  EXPECT_EQ(t_->baseAdvance, 17);
  EXPECT_EQ(t_->givenBaseAdvance, 17);
}

// Loading and storing an unchanged normalised image gives the same image, in every row
// mode: the change report stores both sheets and must not disturb the one not edited.
TEST_F(AdvanceTables, StoringWhatWasLoadedChangesNothing) {
  struct Case {
    int sensor, advMap, adv2Map, columns, columns2;
  } cases[] = {{0, 0, 1, 15, 15}, {1, 1, 0, 7, 12}, {2, 1, 1, 1, 15}, {2, 0, 1, 10, 3}};
  Create();
  for (const auto& c : cases) {
    img_.SetByte(Adrb::TPSIAP_SENSOR, static_cast<uint8_t>(c.sensor));
    img_.SetByte(Adrb::ADV_MAP, static_cast<uint8_t>(c.advMap));
    img_.SetByte(Adrb::ADV2_MAP, static_cast<uint8_t>(c.adv2Map));
    img_.SetByte(Adrb::ADV_COLUMNS, static_cast<uint8_t>(c.columns));
    img_.SetByte(Adrb::ADV2_COLUMNS, static_cast<uint8_t>(c.columns2));
    for (int i = 0; i < MAP_CELLS; ++i)
      img_.SetByte(Adrb::ADVANCE + i, static_cast<uint8_t>(70 + (i * 7) % 91));
    NormalizeParams(img_);
    const ParamImage before = img_;
    LoadAdvanceTables(*t_, img_);
    StoreAdvanceTables(*t_, img_);
    EXPECT_EQ(img_, before) << "sensor " << c.sensor << " columns " << c.columns;
  }
}

TEST_F(AdvanceTables, StoreWritesCellsPlus100AndRepeatsLastUsedColumn) {
  Create();
  CSheet& s = t_->Sheet(0);
  s.axisX.count = 10;
  for (int r = 0; r < MAP_ROWS; ++r) s.Cell(9, r) = -5 + r;
  s.Cell(12, 3) = 44;  // behind the used columns: replaced by column 9
  s.axisX.values[0] = 12;
  StoreAdvanceSheet(*t_, 0, img_);
  EXPECT_EQ(img_.Byte(Adrb::ADV_COLUMNS), 10);
  EXPECT_EQ(img_.Byte(Adrb::RPM_ADV), 12);
  for (int r = 0; r < MAP_ROWS; ++r)
    for (int c = 9; c < MAP_COLUMNS; ++c)
      EXPECT_EQ(img_.Byte(Adrb::ADVANCE + r * MAP_COLUMNS + c), 95 + r) << r << "," << c;
}

TEST_F(AdvanceTables, MapFlagFollowsTheSheetsAxisUse) {
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_TP);
  img_.SetByte(Adrb::ADV_MAP, 0);
  Create();
  t_->SelectSheet(0);
  ASSERT_TRUE(t_->CanUseBoth());
  t_->UseBoth();
  StoreAdvanceSheet(*t_, 0, img_);
  EXPECT_EQ(img_.Byte(Adrb::ADV_MAP), 1);
  t_->UseOnlyX();
  StoreAdvanceSheet(*t_, 0, img_);
  EXPECT_EQ(img_.Byte(Adrb::ADV_MAP), 0);
  // Without a load sensor the rows are always collapsed: the user's flag is kept for when
  // a sensor is set again.
  img_.SetByte(Adrb::ADV_MAP, 1);
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_NONE);
  LoadAdvanceTables(*t_, img_);
  StoreAdvanceSheet(*t_, 0, img_);
  EXPECT_EQ(img_.Byte(Adrb::ADV_MAP), 1);
}

// The throttle row axis holds the fixed points 0 ... 100: storing them as IAP words would
// overwrite the pressure axis the user set up for an IAP sensor.
TEST_F(AdvanceTables, IapWordsAreStoredOnlyFromAPressureAxisInUse) {
  for (int i = 0; i < MAP_ROWS; ++i)
    img_.SetWord(Adrw::ADV_IAP + i, static_cast<uint16_t>(30 + 8 * i));
  img_.SetByte(Adrb::ADV_MAP, 1);
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_TP);
  Create();
  StoreAdvanceTables(*t_, img_);
  for (int i = 0; i < MAP_ROWS; ++i) EXPECT_EQ(img_.Word(Adrw::ADV_IAP + i), 30 + 8 * i);

  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_IAP);
  LoadAdvanceTables(*t_, img_);
  t_->Sheet(0).axisY.values[4] = 66;
  StoreAdvanceSheet(*t_, 0, img_);
  EXPECT_EQ(img_.Word(Adrw::ADV_IAP + 4), 66);
  EXPECT_EQ(img_.Word(Adrw::ADV_IAP + 3), 54);
}

// An increment on "Advance 1" still pending when the user selects "Advance 2" commits
// with the second sheet current: the change report must still carry the first sheet's edit.
TEST_F(AdvanceTables, EditPendingWhileTheOtherSheetIsSelectedIsStored) {
  img_.SetByte(Adrb::TPSIAP_SENSOR, LOAD_SENSOR_TP);
  img_.SetByte(Adrb::ADV_MAP, 1);
  Create();
  t_->onTableChanged = [this](TTab& t) {
    TakeOverlaysIntoImage(set_, t, img_);
    StoreAdvanceTables(t, img_);
  };
  const uint8_t before = img_.Byte(Adrb::ADVANCE + 2 * MAP_COLUMNS + 5);
  t_->SelectSheet(0);
  t_->SelectItem(5, 2);
  t_->Increment(+1);
  t_->SelectSheet(1);
  test::TickUntilCommitted(*t_);
  EXPECT_EQ(t_->current, 1);
  EXPECT_EQ(img_.Byte(Adrb::ADVANCE + 2 * MAP_COLUMNS + 5), before + 1);
}

TEST_F(AdvanceTables, BaseAdvanceAppliesBelowTheShownSheetsFirstRpmPoint) {
  img_.SetByte(Adrb::RPM_ADV, 15);
  img_.SetByte(Adrb::RPM_ADV2, 30);
  Create();
  struct Case {
    int sheet;
    int32_t rpm;
    bool inUse;
  } cases[] = {{0, 0, true}, {0, 1499, true}, {0, 1500, false}, {1, 2999, true}, {1, 3000, false}};
  for (const auto& c : cases) {
    t_->SelectSheet(c.sheet);
    EXPECT_EQ(BaseAdvanceInUse(*t_, c.rpm), c.inUse) << c.sheet << " " << c.rpm;
  }
  TTab empty;
  EXPECT_FALSE(BaseAdvanceInUse(empty, 0));
}

TEST_F(AdvanceTables, NoRoomForTheTableGivesNone) {
  for (int i = 0; i < kMaxTables; ++i) ASSERT_NE(set_.CreateTable(100 + i, 0, 0, 0), nullptr);
  EXPECT_EQ(CreateAdvanceTables(set_, 3, img_, 0), nullptr);
}

}  // namespace
}  // namespace zeda
