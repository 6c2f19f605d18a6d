// The Advance Map page: correction visibility, the map editor's change report, the overlays
// and the base advance caption tick.
#include "pages/advance_page.h"

#include <gtest/gtest.h>

#include "map_pages_fixture.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda::test {
namespace {

using AdvancePageTest = MapPageFixture<AdvancePage>;

TEST_F(AdvancePageTest, CorrectionsFollowTheChannelCount) {
  struct Case {
    int channels;
    bool shown[kCylinderCorrections];
  } cases[] = {{1, {true, false, false, false}}, {2, {true, true, false, false}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels);
    Img().SetByte(Adrb::CHANNEL_COUNT, static_cast<uint8_t>(c.channels));
    binder.LoadActivePage();
    for (int k = 0; k < kCylinderCorrections; ++k) {
      EXPECT_EQ(controls.Visible(kCorrectionControls[k][0]), c.shown[k]) << k;
      EXPECT_EQ(controls.Visible(kCorrectionControls[k][1]), c.shown[k]) << k;
    }
  }
}

TEST_F(AdvancePageTest, CorrectionIsStoredWithItsOffset) {
  controls.SetPosition("UpDownKorAdv1", -5);
  binder.ControlChanged("UpDownKorAdv1", ChangeKind::Immediate);
  EXPECT_EQ(Img().Byte(Adrb::CORR_ADVANCE), 95);
  EXPECT_EQ(controls.Position("UpDownKorAdv1"), -5);
}

TEST_F(AdvancePageTest, TableIsListedForTheWidgetBuilder) {
  ASSERT_NE(page.Table(), nullptr);
  const std::vector<PageTable> tables = page.Tables();
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables[0].tab, page.Table());
  EXPECT_STREQ(tables[0].name, AdvancePage::kTableName);
}

TEST_F(AdvancePageTest, ChangeReportStoresTheCellAndCommitsOnce) {
  TTab& t = *page.Table();
  const int commits = binder.Commits();
  t.Cur().Cell(3, 0) = 17;
  t.onTableChanged(t);
  EXPECT_EQ(binder.Commits(), commits + 1);
  EXPECT_EQ(Img().Byte(Adrb::ADVANCE + 3), 117);
  EXPECT_EQ(snapshots, 1);
  EXPECT_EQ(t.Cur().Cell(3, 0), 17);  // reloaded from the image
}

TEST_F(AdvancePageTest, ChangeReportUnderTheLoadGuardIsIgnored) {
  TTab& t = *page.Table();
  const int commits = binder.Commits();
  const uint8_t before = Img().Byte(Adrb::ADVANCE);
  t.Cur().Cell(0, 0) = before - 100 + 1;
  {
    PageBinder::Guard guard(binder);
    t.onTableChanged(t);
  }
  EXPECT_EQ(binder.Commits(), commits);
  EXPECT_EQ(Img().Byte(Adrb::ADVANCE), before);
}

TEST_F(AdvancePageTest, BaseAdvanceSteppedBelowZeroInTheTableStaysZero) {
  controls.SetPosition("UpDownBaseAdv", 0);
  binder.ControlChanged("UpDownBaseAdv", ChangeKind::Immediate);
  ASSERT_EQ(Img().Byte(Adrb::BASE_ADV), 0);
  TTab& t = *page.Table();
  t.baseAdvance = -1;
  t.onTableChanged(t);
  EXPECT_EQ(Img().Byte(Adrb::BASE_ADV), 0);
  EXPECT_EQ(controls.Position("UpDownBaseAdv"), 0);
}

TEST_F(AdvancePageTest, BaseAdvanceChangedInTheTableReachesTheImageAndTheUpDown) {
  controls.SetPosition("UpDownBaseAdv", 10);
  binder.ControlChanged("UpDownBaseAdv", ChangeKind::Immediate);
  TTab& t = *page.Table();
  t.baseAdvance = 12;
  t.onTableChanged(t);
  EXPECT_EQ(Img().Byte(Adrb::BASE_ADV), 12);
  EXPECT_EQ(controls.Position("UpDownBaseAdv"), 12);
}

// An arrow click still pending when the map is edited is committed with it, in one step.
TEST_F(AdvancePageTest, PendingArrowClickIsCommittedWithTheMapEdit) {
  controls.SetPosition("UpDownKorAdv1", controls.Position("UpDownKorAdv1") + 1);
  binder.ControlChanged("UpDownKorAdv1", ChangeKind::ArrowClick);
  const int expected = controls.Position("UpDownKorAdv1");
  TTab& t = *page.Table();
  t.Cur().Cell(4, 0) = 9;
  t.onTableChanged(t);
  EXPECT_EQ(Img().Byte(Adrb::ADVANCE + 4), 109);
  EXPECT_EQ(Img().Byte(Adrb::CORR_ADVANCE), expected + 100);
  EXPECT_EQ(t.Cur().Cell(4, 0), 9);
  EXPECT_EQ(snapshots, 1);
}

// A limiter changed on another page reaches the table on the next load, so a later map
// edit does not write the old one back.
TEST_F(AdvancePageTest, MapEditKeepsALimiterChangedElsewhere) {
  Img().SetWord(Adrw::LIMITER, 12300);
  binder.LoadActivePage();
  TTab& t = *page.Table();
  EXPECT_EQ(t.givenLimiter, 12300);
  t.Cur().Cell(1, 0) = 5;
  t.onTableChanged(t);
  EXPECT_EQ(Img().Word(Adrw::LIMITER), 12300);
}

TEST_F(AdvancePageTest, BaseAdvanceCaptionIsGreenBelowTheFirstRpmPoint) {
  const int first = Img().Byte(Adrb::RPM_ADV) * 100;
  struct Case {
    bool live;
    int rpm;
    Colour colour;
  } cases[] = {{true, first - 100, kColourGreen},
               {true, first, kColourButtonFace},
               {true, first + 500, kColourButtonFace},
               {false, first - 100, kColourButtonFace}};
  for (const Case& c : cases) {
    live.live = c.live;
    live.engineSpeed = c.rpm;
    binder.Tick();
    EXPECT_EQ(page.BaseAdvanceCaptionColour(), c.colour) << c.live << " " << c.rpm;
    EXPECT_EQ(controls.ColourOf(kBaseAdvanceCaption), c.colour) << c.live << " " << c.rpm;
  }
}

TEST_F(AdvancePageTest, WithoutATableSetThePageStillBinds) {
  Document d;
  ImageBuffers& b = d.Buffers();
  b.params = PageImage();
  MemoryControls c;
  PageBinder other(d, c);
  AdvancePage bare{PageContext{}};
  other.AddPage(bare);
  other.CreatePages();
  other.ChangePage(kAdvancePageIndex);
  other.LoadAllPages();
  EXPECT_TRUE(bare.Tables().empty());
  other.Tick();
  EXPECT_EQ(bare.BaseAdvanceCaptionColour(), kColourButtonFace);
}

}  // namespace
}  // namespace zeda::test
