// Processing of captures into events: cycle spans, speed, wrap-around, waiting for enough
// cycles, the one-event-per-change rule and long records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "capture_builder.h"
#include "link/capture_record.h"
#include "pickup/pickup_core.h"

namespace zeda {
namespace {

using test::CaptureBuilder;

constexpr int64_t kCycle = 50000;  // counts: 20 ms, 3000 rpm at 360 degrees

std::vector<PickupEvent> DataEvents(const PickupCore& core) {
  std::vector<PickupEvent> out;
  for (int32_t i = 0; i < core.Events().count; ++i) {
    if (!(core.Events().items[i].flags & EV_MARKERS)) out.push_back(core.Events().items[i]);
  }
  return out;
}

struct SpanCase {
  uint8_t cycleCode;
  int32_t span;
};

class CycleSpanTest : public ::testing::TestWithParam<SpanCase> {};

TEST_P(CycleSpanTest, CycleCodeSetsSpanViewAndMarkers) {
  const SpanCase c = GetParam();
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b;
  b.Cycles(5, kCycle, 0.1, 0.3, 0.2);
  core->FeedCapture(CAPTURE_SYNCHRONISED, c.cycleCode, b.Bytes().data(), b.Size());
  core->Process();
  EXPECT_EQ(core->Span(), c.span);
  EXPECT_EQ(core->ViewStart(), -(c.span / 2));
  EXPECT_EQ(core->ViewEnd(), c.span + c.span / 2);
  const EventList& ev = core->Events();
  ASSERT_GE(ev.count, 2);
  EXPECT_EQ(ev.items[ev.count - 2].position, 0.0);
  EXPECT_EQ(ev.items[ev.count - 2].flags, EV_CYCLE_START);
  EXPECT_EQ(ev.items[ev.count - 1].position, c.span);
  EXPECT_EQ(ev.items[ev.count - 1].flags, EV_CYCLE_END);
  // Speed from the middle cycle: 60 / (L2 x 0.4 us) x span / 360.
  EXPECT_NEAR(core->Speed(), 3000.0 * c.span / 360.0, 1e-6);
  // The rise sits at a tenth of every cycle: -s + s/10, s/10, s + s/10.
  std::vector<double> rises;
  uint32_t last = 0;
  for (const PickupEvent& e : DataEvents(*core)) {
    if ((e.flags & EV_PICKUP1) && !(last & EV_PICKUP1)) rises.push_back(e.position);
    last = e.flags;
  }
  ASSERT_EQ(rises.size(), 3u);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(rises[k], (k - 1) * c.span + c.span / 10.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Codes, CycleSpanTest,
                         ::testing::Values(SpanCase{0, 720}, SpanCase{1, 360}, SpanCase{2, 180},
                                           SpanCase{3, 120}, SpanCase{9, 360}),
                         [](const auto& info) {
                           return "Code" + std::to_string(info.param.cycleCode);
                         });

TEST(PickupProcessing, TimeStampsWrappingPast24BitsGiveContinuousPositions) {
  // The counter wraps in the middle of the second cycle.
  auto wrapped = std::make_unique<PickupCore>(nullptr);
  auto plain = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder a(kStampWrap - kCycle - kCycle / 2);
  CaptureBuilder b(1000);
  a.Cycles(5, kCycle, 0.1, 0.3, 0.2);
  b.Cycles(5, kCycle, 0.1, 0.3, 0.2);
  wrapped->FeedCapture(CAPTURE_SYNCHRONISED, 1, a.Bytes().data(), a.Size());
  plain->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
  wrapped->Process();
  plain->Process();
  ASSERT_EQ(wrapped->Events().count, plain->Events().count);
  for (int32_t i = 0; i < plain->Events().count; ++i) {
    EXPECT_NEAR(wrapped->Events().items[i].position, plain->Events().items[i].position, 1e-9) << i;
    EXPECT_EQ(wrapped->Events().items[i].flags, plain->Events().items[i].flags);
  }
  EXPECT_NEAR(wrapped->Speed(), 3000.0, 1e-6);
  // Positions rise monotonically over the three cycles.
  const auto data = DataEvents(*wrapped);
  for (size_t i = 1; i < data.size(); ++i) EXPECT_GE(data[i].position, data[i - 1].position);
  EXPECT_NEAR(data.front().position, -360.0, 1e-9);
  EXPECT_NEAR(data.back().position, 720.0, 1e-9);
}

TEST(PickupProcessing, FewerThanFourCycleChangesGiveNoPictureAndKeepTheSamples) {
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder good;
  good.Cycles(5, kCycle, 0.1, 0.3, 0.2);
  core->FeedCapture(CAPTURE_SYNCHRONISED, 1, good.Bytes().data(), good.Size());
  core->Process();
  const int32_t before = core->Events().count;
  ASSERT_GT(before, 2);
  core->ClearRedrawNeeded();

  CaptureBuilder shortOne;
  shortOne.Cycles(4, kCycle, 0.1, 0.3, 0.2);  // three changes of the counter
  core->FeedCapture(CAPTURE_SYNCHRONISED, 2, shortOne.Bytes().data(), shortOne.Size());
  const int32_t waiting = core->Ring().NewCount();
  core->Process();
  EXPECT_FALSE(core->RedrawNeeded());
  EXPECT_EQ(core->Events().count, before);  // the old picture stays
  EXPECT_EQ(core->Ring().NewCount(), waiting);
  EXPECT_EQ(core->CyclesInLastCapture(), 3);
}

TEST(PickupProcessing, AnEventOnlyWhereALevelOrIgnitionChanges) {
  // Every cycle repeats each state over many samples, as a unit that samples at a fixed
  // rate would send: only the changes become events.
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b;
  for (uint32_t k = 0; k < 5; ++k) {
    for (int i = 0; i < 40; ++i) b.Add(k == 0 && i == 0 ? 0 : 250, k & 3);
    for (int i = 0; i < 40; ++i) b.Add(250, (k & 3) | EV_PICKUP1);
    for (int i = 0; i < 20; ++i) b.Add(250, (k & 3) | EV_PICKUP1 | EV_PICKUP2);
    for (int i = 0; i < 100; ++i) b.Add(250, k & 3);
  }
  core->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
  core->Process();
  const auto data = DataEvents(*core);
  // Per cycle: pick-up 1 up, pick-up 2 up, both down; plus the first sample and the
  // closing event at 2s.
  EXPECT_EQ(data.size(), 3u * 3u + 2u);
  EXPECT_EQ(core->Events().found, static_cast<int32_t>(data.size()));
  EXPECT_NEAR(data.back().position, 720.0, 1e-9);
  EXPECT_EQ(data.back().flags & EV_LEVELS, 0u);
}

TEST(PickupProcessing, ALongRecordKeepsTheMiddleCycleAndSaysSo) {
  // 1000 changes per cycle: far more than the list holds.
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b;
  for (uint32_t k = 0; k < 5; ++k) {
    for (int i = 0; i < 700; ++i)
      b.Add(k == 0 && i == 0 ? 0 : 20, (k & 3) | ((i & 1) ? EV_PICKUP1 : 0));
  }
  ASSERT_LE(b.Size(), kCaptureMaxBytes);
  core->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
  core->Process();
  const EventList& ev = core->Events();
  EXPECT_EQ(ev.count, kMaxEvents);
  EXPECT_GT(ev.found, kMaxEvents);
  EXPECT_EQ(ev.items[ev.count - 2].flags, EV_CYCLE_START);
  EXPECT_EQ(ev.items[ev.count - 1].flags, EV_CYCLE_END);
  // The kept part starts at the middle cycle (its 700 changes do not all fit).
  EXPECT_GE(ev.items[0].position, 0.0);
  EXPECT_LT(ev.items[0].position, 1.0);
  for (int32_t i = 1; i < ev.count - 2; ++i) {
    EXPECT_GT(ev.items[i].position, ev.items[i - 1].position);
  }
}

TEST(PickupProcessing, UnsynchronisedTimesAreMillisecondsAfterThePickup2Rise) {
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b(kStampWrap - 3000);  // wraps too
  b.Add(0, 0).Add(2500, EV_PICKUP1).Add(2500, 0).Add(2500, EV_PICKUP2).Add(2500, 0);
  b.Add(1250, EV_IGNITION1).Add(1, 0).Add(10000, 0);
  core->FeedCapture(CAPTURE_UNSYNCHRONISED, 1, b.Bytes().data(), b.Size());
  core->Process();
  EXPECT_FALSE(core->Synchronised());
  EXPECT_EQ(core->Speed(), 0.0);
  const EventList& ev = core->Events();
  ASSERT_EQ(ev.count, 8);
  EXPECT_NEAR(ev.items[0].position, -3.0, 1e-9);  // 7500 counts before the trigger
  EXPECT_NEAR(ev.items[3].position, 0.0, 1e-9);
  EXPECT_EQ(ev.items[3].flags, EV_PICKUP2);
  EXPECT_NEAR(ev.items[5].position, 1.5, 1e-9);
  EXPECT_NEAR(ev.items[7].position, 5.5004, 1e-9);
  // The whole record fits the view with the trigger a quarter in.
  EXPECT_EQ(core->ViewStart(), 0.0);
  EXPECT_GE(core->ViewEnd(), 5.5004 / 0.65);
  EXPECT_GE(core->ViewEnd(), 3.0 / 0.2);
}

TEST(PickupProcessing, AChangeOfModeClearsEventsAndDimensions) {
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b;
  b.Cycles(5, kCycle, 0.1, 0.3, 0.2);
  core->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
  core->Process();
  core->Tick(false);
  ASSERT_TRUE(core->Dimensions().Keep(Dimension{0, 36, 150, EV_CYCLE_START, EV_PICKUP1}));
  core->FeedCapture(CAPTURE_UNSYNCHRONISED, 1, b.Bytes().data(), b.Size());
  EXPECT_EQ(core->Events().count, 0);
  EXPECT_EQ(core->Dimensions().Count(), 0);
}

TEST(PickupProcessing, ACaptureOfTheOtherModeProcessedInItsFirstTickIsKept) {
  // Hand-over, processing (a 16th tick) and the tick all in one main tick.
  auto core = std::make_unique<PickupCore>(nullptr);
  core->SetShown(true);
  CaptureBuilder b;
  b.Cycles(5, kCycle, 0.1, 0.3, 0.2);
  core->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
  core->Periodic();
  core->Tick(false);
  core->FeedCapture(CAPTURE_UNSYNCHRONISED, 1, b.Bytes().data(), b.Size());
  core->Periodic();
  core->Tick(false);
  EXPECT_FALSE(core->Synchronised());
  EXPECT_GT(core->Events().count, 2);
}

// ---------------------------------------------------------------- polling back-off

class PollingBackOff : public ::testing::Test {
 protected:
  void SetUp() override {
    core_ = std::make_unique<PickupCore>(&mask_);
    core_->SetShown(true);
  }
  // A capture through the worker's receiver, with good or spoiled check bytes.
  void Receive(bool good) {
    CaptureBuilder b;
    b.Cycles(5, kCycle, 0.1, 0.3, 0.2);
    uint8_t x = 0, sum = 0;
    for (uint8_t v : b.Bytes()) {
      x ^= v;
      sum = static_cast<uint8_t>(sum + v);
    }
    if (!good) x ^= 0x01;
    ASSERT_TRUE(AnnounceCapture(*record_, CAPTURE_SYNCHRONISED, static_cast<uint16_t>(b.Size()), x,
                                sum, 1));
    const CaptureLink link{record_.get(), completed_.get(), &mask_};
    for (uint8_t v : b.Bytes()) DivertCaptureByte(link, v);
    core_->TakeCompletedCapture(*completed_);
  }
  std::atomic<int32_t> mask_{1};
  std::unique_ptr<CaptureRecord> record_ = std::make_unique<CaptureRecord>();
  std::unique_ptr<CaptureRecord> completed_ = std::make_unique<CaptureRecord>();
  std::unique_ptr<PickupCore> core_;
};

TEST_F(PollingBackOff, FailedChecksSlowPollingTo3Then7AndPauseRestores1) {
  Receive(false);
  EXPECT_EQ(mask_.load(), 3);
  Receive(false);
  EXPECT_EQ(mask_.load(), 7);
  Receive(false);
  EXPECT_EQ(mask_.load(), 7);
  core_->Periodic();  // running: the back-off stays
  EXPECT_EQ(mask_.load(), 7);
  core_->SetPaused(true);
  mask_.store(7);
  core_->Periodic();
  EXPECT_EQ(mask_.load(), 1);
  EXPECT_FALSE(core_->CaptureWanted());
}

TEST_F(PollingBackOff, AGoodCaptureEndsTheBackOff) {
  Receive(false);
  Receive(false);
  ASSERT_EQ(mask_.load(), 7);
  Receive(true);
  EXPECT_EQ(mask_.load(), 1);
  EXPECT_EQ(completed_->type.load(), CAPTURE_NONE);  // handed back
  core_->Process();
  EXPECT_GT(core_->Events().count, 2);
}

TEST_F(PollingBackOff, HidingTheWindowEndsTheBackOffAndTheRequests) {
  Receive(false);
  ASSERT_EQ(mask_.load(), 3);
  core_->SetShown(false);
  EXPECT_EQ(mask_.load(), 1);
  EXPECT_FALSE(core_->CaptureWanted());
  mask_.store(3);  // a capture in flight failed after the window went
  core_->Periodic();
  EXPECT_EQ(mask_.load(), 1);
  // Showing it again resumes unpaused.
  core_->SetPaused(true);
  core_->SetShown(true);
  EXPECT_FALSE(core_->Paused());
  EXPECT_TRUE(core_->CaptureWanted());
}

// ---------------------------------------------------------------- what is shown and saved

// Captures through the worker's real receiver into the core, as the main tick hands them.
class ShownCapture : public PollingBackOff {
 protected:
  static CaptureBuilder AtRpm(int64_t cycle) {
    CaptureBuilder b;
    b.Cycles(5, cycle, 0.1, 0.3, 0.2);
    return b;
  }
  void ReceiveBytes(const std::vector<uint8_t>& bytes, bool good = true,
                    uint8_t type = CAPTURE_SYNCHRONISED) {
    uint8_t x = 0, sum = 0;
    for (uint8_t v : bytes) {
      x ^= v;
      sum = static_cast<uint8_t>(sum + v);
    }
    if (!good) sum ^= 0x80;
    ASSERT_TRUE(AnnounceCapture(*record_, type, static_cast<uint16_t>(bytes.size()), x, sum, 1));
    const CaptureLink link{record_.get(), completed_.get(), &mask_};
    for (uint8_t v : bytes) DivertCaptureByte(link, v);
    core_->TakeCompletedCapture(*completed_);
  }
  static bool Holds(const RawCapture& c, const std::vector<uint8_t>& bytes) {
    return c.length == static_cast<int32_t>(bytes.size()) &&
           std::equal(bytes.begin(), bytes.end(), c.data);
  }
};

TEST_F(ShownCapture, PausedPictureAndCaptureStayTogether) {
  const CaptureBuilder first = AtRpm(kCycle);  // 3000 rpm
  ReceiveBytes(first.Bytes());
  core_->Periodic();
  ASSERT_NEAR(core_->Speed(), 3000, 1);
  ASSERT_TRUE(Holds(core_->ShownCapture(), first.Bytes()));

  // A newer capture taken but not yet processed is not what the picture shows.
  const CaptureBuilder second = AtRpm(kCycle / 2);  // 6000 rpm
  ReceiveBytes(second.Bytes());
  EXPECT_TRUE(Holds(core_->ShownCapture(), first.Bytes()));
  core_->Periodic();
  ASSERT_NEAR(core_->Speed(), 6000, 1);
  EXPECT_TRUE(Holds(core_->ShownCapture(), second.Bytes()));

  // Paused, a capture still in flight is handed back unused: picture and capture stay,
  // even when it is of the other mode (which would clear the picture).
  core_->SetPaused(true);
  const int32_t events = core_->Events().count;
  ReceiveBytes(first.Bytes(), true, CAPTURE_UNSYNCHRONISED);
  EXPECT_EQ(completed_->type.load(), CAPTURE_NONE);
  core_->Periodic();
  core_->Tick(false);
  EXPECT_NEAR(core_->Speed(), 6000, 1);
  EXPECT_TRUE(core_->Synchronised());
  EXPECT_EQ(core_->Events().count, events);
  EXPECT_TRUE(Holds(core_->ShownCapture(), second.Bytes()));
  EXPECT_EQ(core_->WhyNothingToSave(), NothingToSave::No);
}

TEST_F(ShownCapture, StatusFollowsTheLatestCaptureAndSaysWhyNothingCanBeSaved) {
  EXPECT_EQ(core_->Status(), CaptureStatus::Waiting);
  EXPECT_EQ(core_->WhyNothingToSave(), NothingToSave::NoCaptureYet);
  core_->ClearRedrawNeeded();

  ReceiveBytes(AtRpm(kCycle).Bytes(), false);
  EXPECT_EQ(core_->Status(), CaptureStatus::Damaged);
  EXPECT_TRUE(core_->RedrawNeeded());  // the window must say it
  EXPECT_EQ(core_->WhyNothingToSave(), NothingToSave::OnlyDamaged);
  // It keeps saying so while damaged ones keep coming, across ticks and processing.
  for (int i = 0; i < 3; ++i) {
    ReceiveBytes(AtRpm(kCycle).Bytes(), false);
    core_->TakeCompletedCapture(*completed_);  // a tick with nothing new
    core_->Periodic();
    EXPECT_EQ(core_->Status(), CaptureStatus::Damaged);
  }
  // An overlong capture is damaged too.
  ASSERT_TRUE(AnnounceCapture(*record_, CAPTURE_SYNCHRONISED, 16000, 0, 0, 1));
  const CaptureLink link{record_.get(), completed_.get(), &mask_};
  const uint32_t before = completed_->damagedCount.load();
  for (int i = 0; i <= kCaptureMaxBytes; ++i) DivertCaptureByte(link, 0);
  EXPECT_EQ(completed_->damagedCount.load(), before + 1);

  // A whole capture with too few cycles to draw: whole, but nothing shown to save.
  CaptureBuilder few;
  few.Cycles(2, kCycle, 0.1, 0.3, 0.2);
  ReceiveBytes(few.Bytes());
  core_->Periodic();
  EXPECT_EQ(core_->Status(), CaptureStatus::Whole);
  EXPECT_EQ(core_->WhyNothingToSave(), NothingToSave::NotDrawn);
  ReceiveBytes(AtRpm(kCycle).Bytes());
  core_->Periodic();
  EXPECT_EQ(core_->WhyNothingToSave(), NothingToSave::No);
  // Damaged again after a picture: the picture stays (and can be saved), the status says.
  ReceiveBytes(AtRpm(kCycle).Bytes(), false);
  EXPECT_EQ(core_->Status(), CaptureStatus::Damaged);
  EXPECT_EQ(core_->WhyNothingToSave(), NothingToSave::No);
}

TEST(PickupCsv, SamplesWithUnwrappedTimes) {
  auto core = std::make_unique<PickupCore>(nullptr);
  CaptureBuilder b(kStampWrap - 10);
  b.Add(0, 1).Add(20, EV_PICKUP1 | 1).Add(5, EV_IGNITION1 << 3 | 2);
  core->FeedCapture(CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
  const std::string csv = CaptureCsv(core->LastCapture());
  EXPECT_NE(csv.find("index,stamp,time_us,cycle,pickup1,pickup2,ign1,ign2,ign3,ign4\n"),
            std::string::npos);
  EXPECT_NE(csv.find("0,16777206,0.0,1,0,0,0,0,0,0\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("1,10,8.0,1,1,0,0,0,0,0\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("2,15,10.0,2,0,0,0,0,0,1\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace zeda
