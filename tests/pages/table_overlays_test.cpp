#include "pages/table_overlays.h"

#include <gtest/gtest.h>

#include "pages/advance_tables.h"
#include "pages/page_image.h"
#include "pages/servo_tables.h"

namespace zeda {
namespace {

using test::PageImage;

class TableOverlays : public ::testing::Test {
 protected:
  void SetUp() override {
    adv_ = CreateAdvanceTables(set_, 3, img_, 0);
    servo_ = CreateServoTables(set_, 5, img_, 0);
    ASSERT_TRUE(adv_ && servo_);
    HandOverlays(set_, img_);
    set_.pushOverlays = 0;
  }
  TTableSet set_;
  ParamImage img_ = PageImage();
  TTab* adv_ = nullptr;
  TTab* servo_ = nullptr;
};

TEST_F(TableOverlays, HandOverlaysGivesEveryTableTheImagesValues) {
  img_.SetByte(Adrb::BASE_ADV, 23);
  img_.SetWord(Adrw::LIMITER, 12500);
  img_.SetWord(Adrw::START_LIMITER, 4100);
  HandOverlays(set_, img_);
  for (TTab* t : {adv_, servo_}) {
    EXPECT_EQ(t->baseAdvance, 23);
    EXPECT_EQ(t->givenBaseAdvance, 23);
    EXPECT_EQ(t->limiter, 12500);
    EXPECT_EQ(t->givenLimiter, 12500);
    EXPECT_EQ(t->startLimiter, 4100);
    EXPECT_EQ(t->givenStartLimiter, 4100);
  }
  EXPECT_NE(set_.pushOverlays & 2u, 0u);
}

// The base advance is 0-40 degrees; the table's own limit is the advance axis (-30 ... 60).
// A step below 0 must not be written as 255 (which the normaliser would turn into 40).
TEST_F(TableOverlays, BaseAdvanceIsBroughtIntoItsRangeBeforeItIsStored) {
  struct Case {
    int given, table, stored;
  } cases[] = {{0, -1, 0}, {0, -30, 0}, {40, 41, 40}, {40, 60, 40}, {10, 11, 11}, {10, 9, 9}};
  for (const auto& c : cases) {
    img_.SetByte(Adrb::BASE_ADV, static_cast<uint8_t>(c.given));
    HandOverlays(set_, img_);
    set_.pushOverlays = 0;
    adv_->baseAdvance = c.table;
    TakeOverlaysIntoImage(set_, *adv_, img_);
    EXPECT_EQ(img_.Byte(Adrb::BASE_ADV), c.stored) << c.given << " -> " << c.table;
    EXPECT_EQ(set_.pushOverlays & 2u, 2u);  // the stepping table is given the image's value again
  }
}

TEST_F(TableOverlays, LimitersAreBroughtIntoTheirRange) {
  adv_->limiter = 25100;     // the rpm axis allows up to 25 000 in whole hundreds
  adv_->startLimiter = 300;  // and down to 300
  TakeOverlaysIntoImage(set_, *adv_, img_);
  EXPECT_EQ(img_.Word(Adrw::LIMITER), 25000);
  EXPECT_EQ(img_.Word(Adrw::START_LIMITER), 1000);
}

TEST_F(TableOverlays, OnlyOverlaysTheTableChangedGoBack) {
  // The limiter is changed on another page; the map still shows the old one.
  img_.SetWord(Adrw::LIMITER, 9000);
  adv_->baseAdvance = adv_->givenBaseAdvance + 1;
  TakeOverlaysIntoImage(set_, *adv_, img_);
  EXPECT_EQ(img_.Word(Adrw::LIMITER), 9000);
  EXPECT_EQ(img_.Byte(Adrb::BASE_ADV), adv_->givenBaseAdvance + 1);
}

// A table whose overlay was changed and taken back still holds it when the image is set
// back (undo, a file, another page) and the pages reload: the reload must hand it the new
// value, or its next edit would write the old overlay over the image again.
TEST_F(TableOverlays, PageLoadGivesFreshOverlaysSoALaterEditRevertsNothing) {
  const uint8_t original = img_.Byte(Adrb::BASE_ADV);
  servo_->baseAdvance = original + 5;
  TakeOverlaysIntoImage(set_, *servo_, img_);
  ASSERT_EQ(img_.Byte(Adrb::BASE_ADV), original + 5);
  img_.SetByte(Adrb::BASE_ADV, original);  // undo
  LoadServoTable(*servo_, img_);
  HandOverlays(set_, img_);
  TakeOverlaysIntoImage(set_, *servo_, img_);  // a later map edit's change report
  EXPECT_EQ(img_.Byte(Adrb::BASE_ADV), original);
}

}  // namespace
}  // namespace zeda
