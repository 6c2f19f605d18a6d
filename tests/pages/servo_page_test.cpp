// The Servo page: the "Percent" conversion on store, the enable box and the map's switch,
// the change report.
#include "pages/servo_page.h"

#include <gtest/gtest.h>

#include "map_pages_fixture.h"
#include "params/param_addresses.h"

namespace zeda::test {
namespace {

using ServoPageTest = MapPageFixture<ServoPage>;

constexpr int kCellA = Adrb::SERVO;      // row 0, column 0
constexpr int kCellB = Adrb::SERVO + 1;  // row 0, column 1

TEST_F(ServoPageTest, PercentConvertsTheCellsBothWays) {
  Img().SetByte(Adrb::SERVO_PERCENT, 0);
  Img().SetByte(kCellA, 250);
  Img().SetByte(kCellB, 1);
  binder.LoadActivePage();

  controls.SetChecked("CheckBoxServoProcenta", true);
  binder.ControlChanged("CheckBoxServoProcenta", ChangeKind::Immediate);
  EXPECT_EQ(Img().Byte(Adrb::SERVO_PERCENT), 1);
  EXPECT_EQ(Img().Byte(kCellA), 100);
  EXPECT_EQ(Img().Byte(kCellB), 0);

  controls.SetChecked("CheckBoxServoProcenta", false);
  binder.ControlChanged("CheckBoxServoProcenta", ChangeKind::Immediate);
  EXPECT_EQ(Img().Byte(Adrb::SERVO_PERCENT), 0);
  EXPECT_EQ(Img().Byte(kCellA), 250);
  EXPECT_EQ(Img().Byte(kCellB), 0);  // a cell rounded to 0 stays 0
}

TEST_F(ServoPageTest, StoringWithoutAChangeOfUnitKeepsTheCells) {
  Img().SetByte(kCellA, 123);
  binder.LoadActivePage();
  controls.SetPosition("UpDownServoNo", 500);
  binder.ControlChanged("UpDownServoNo", ChangeKind::Immediate);
  EXPECT_EQ(Img().Byte(Adrb::SERVO_NO), 100);
  EXPECT_EQ(Img().Byte(kCellA), 123);
}

TEST_F(ServoPageTest, EnableBoxAndTheMapsSwitchFollowEachOther) {
  controls.SetChecked("CheckBoxServoEnable", true);
  binder.ControlChanged("CheckBoxServoEnable", ChangeKind::Immediate);
  ASSERT_EQ(Img().Byte(Adrb::SERVO_ENABLE), 1);
  TTab& t = *page.Table();
  EXPECT_TRUE(t.Cur().enabled);

  const int commits = binder.Commits();
  t.Cur().enabled = false;
  t.onTableChanged(t);
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(Img().Byte(Adrb::SERVO_ENABLE), 0);
  EXPECT_FALSE(controls.Checked("CheckBoxServoEnable"));
}

TEST_F(ServoPageTest, ChangeReportStoresTheCell) {
  TTab& t = *page.Table();
  t.Cur().Cell(2, 0) = 77;
  t.onTableChanged(t);
  EXPECT_EQ(Img().Byte(Adrb::SERVO + 2), 77);
  EXPECT_EQ(snapshots, 1);
}

TEST_F(ServoPageTest, WithoutTheMapPercentIsNotChanged) {
  Document d;
  ImageBuffers& b = d.Buffers();
  b.params = PageImage();
  b.params.SetByte(Adrb::SERVO_PERCENT, 0);
  MemoryControls c;
  PageBinder other(d, c);
  ServoPage bare{PageContext{}};
  other.AddPage(bare);
  other.CreatePages();
  other.ChangePage(kServoPageIndex);
  other.LoadAllPages();
  c.SetChecked("CheckBoxServoProcenta", true);
  other.ControlChanged("CheckBoxServoProcenta", ChangeKind::Immediate);
  EXPECT_EQ(b.params.Byte(Adrb::SERVO_PERCENT), 0);
  EXPECT_FALSE(c.Checked("CheckBoxServoProcenta"));
}

}  // namespace
}  // namespace zeda::test
