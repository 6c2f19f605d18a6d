#include "app/activity_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "lang/lang_string.h"
#include "link/device_ops.h"
#include "link/op_verdicts.h"
#include "params/defaults.h"

namespace zeda {
namespace {

using Clock = std::chrono::system_clock;

// Two images that differ in two fields, and their differences.
std::vector<FieldDifference> TwoDifferences() {
  const ParamImage a = StartImage();
  ParamImage b = a;
  const ParamField& adv = Field(FieldId::ADVANCE);
  WriteShown(b, adv, 17, ReadShown(a, adv, 17) + 3);
  WriteShown(b, Field(FieldId::LIMITER), 0, 9000);
  return DifferencesByField(a, b);
}

class ActivityLogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentLanguage(kEnglish); }
  void TearDown() override { SetCurrentLanguage(kEnglish); }
  ActivityLog log_;
  const Clock::time_point t0_ = Clock::from_time_t(1'800'000'000);
};

// Every outcome of every operation leaves one entry with the verdict the user reads.
TEST_F(ActivityLogTest, EveryOutcomeBecomesOneVerdict) {
  struct Case {
    int32_t op;
    OpOutcome outcome;
    bool interruptedFirst;
    ActivityVerdict verdict;
    const char* operation;
    const char* result;
  };
  const Case cases[] = {
      {OP_READ, OpOutcome::Ok, false, ActivityVerdict::Ok, "Read", "OK"},
      {OP_READ, OpOutcome::Corrected, false, ActivityVerdict::Corrected, "Read",
       "OK, values corrected"},
      {OP_VERIFY, OpOutcome::Different, false, ActivityVerdict::Different, "Verify", "different"},
      {OP_CHECK, OpOutcome::Refused, false, ActivityVerdict::Refused, "Unit check", "refused"},
      {OP_READ, OpOutcome::Failed, false, ActivityVerdict::Failed, "Read", "failed"},
      {OP_PROGRAM, OpOutcome::Failed, true, ActivityVerdict::Interrupted, "Program", "interrupted"},
      {OP_PROGRAM_CHANGED, OpOutcome::Failed, true, ActivityVerdict::Interrupted,
       "Automatic programming", "interrupted"},
      {OP_PROGRAM_CHANGED, OpOutcome::Nothing, false, ActivityVerdict::Nothing,
       "Automatic programming", "OK, nothing to program"},
      {OP_RESET, OpOutcome::Ok, false, ActivityVerdict::Ok, "Reset", "OK"},
  };
  for (const Case& c : cases) {
    if (c.interruptedFirst) log_.OperationInterrupted(c.op);
    log_.OperationEnded(c.op, c.outcome, 3, t0_);
    const ActivityEntry& e = log_.Entries().back();
    EXPECT_EQ(e.verdict, c.verdict) << c.operation << " " << c.result;
    EXPECT_EQ(ActivityOperationText(e.op), c.operation);
    EXPECT_EQ(ActivityVerdictText(e.verdict), c.result);
    EXPECT_EQ(e.port, 3);
  }
  EXPECT_EQ(log_.Entries().size(), std::size(cases));
}

// An interruption belongs to the one end that follows it: a later failure of another
// operation is a plain failure.
TEST_F(ActivityLogTest, InterruptionMarksOnlyTheNextEnd) {
  log_.OperationInterrupted(OP_PROGRAM);
  log_.OperationEnded(OP_PROGRAM, OpOutcome::Failed, 1, t0_);
  log_.OperationEnded(OP_PROGRAM, OpOutcome::Failed, 1, t0_);
  log_.OperationInterrupted(OP_PROGRAM);
  log_.OperationEnded(OP_READ, OpOutcome::Failed, 1, t0_);  // not the interrupted one
  ASSERT_EQ(log_.Entries().size(), 3u);
  EXPECT_EQ(log_.Entries()[0].verdict, ActivityVerdict::Interrupted);
  EXPECT_EQ(log_.Entries()[1].verdict, ActivityVerdict::Failed);
  EXPECT_EQ(log_.Entries()[2].verdict, ActivityVerdict::Failed);
}

// A Verify or check that found differences keeps them; a check without differences is
// OK, and differences given with another verdict are not kept.
TEST_F(ActivityLogTest, DifferencesAreKeptForVerifyAndCheck) {
  const auto two = TwoDifferences();
  ASSERT_EQ(two.size(), 2u);
  log_.OperationEnded(OP_VERIFY, OpOutcome::Different, 5, t0_, two);
  log_.OperationEnded(OP_CHECK, OpOutcome::Ok, 5, t0_, two);
  log_.OperationEnded(OP_CHECK, OpOutcome::Ok, 5, t0_, {});
  log_.OperationEnded(OP_READ, OpOutcome::Ok, 5, t0_, two);
  const auto& e = log_.Entries();
  EXPECT_EQ(e[0].differences.size(), 2u);
  EXPECT_EQ(e[1].verdict, ActivityVerdict::Different);
  EXPECT_EQ(e[1].differences.size(), 2u);
  EXPECT_EQ(e[2].verdict, ActivityVerdict::Ok);
  EXPECT_EQ(e[3].verdict, ActivityVerdict::Ok);
  EXPECT_TRUE(e[3].differences.empty());
  // The detail names every field as zedactl verify prints it.
  const std::string detail = ActivityDetailText(e[0]);
  EXPECT_EQ(detail.rfind("2 fields differ: LIMITER (Miscellaneous, rpm): ", 0), 0u) << detail;
  EXPECT_NE(detail.find("; ADVANCE[17] (Advance Map, deg): "), std::string::npos) << detail;
}

TEST_F(ActivityLogTest, TextsFollowTheLanguage) {
  log_.OperationEnded(OP_CHECK, OpOutcome::Refused, 240, t0_, {}, RefusalReason(kUnitKey, 1));
  const ActivityEntry& e = log_.Entries().back();
  EXPECT_EQ(ActivityPortText(e.port), "COM240");
  EXPECT_EQ(ActivityPortText(0), "");
  EXPECT_EQ(ActivityDetailText(e), "IGN-107.01: this program needs 107.00");
  SetCurrentLanguage(kGerman);
  EXPECT_EQ(ActivityVerdictText(e.verdict), "abgelehnt");
  EXPECT_EQ(ActivityDetailText(e), "IGN-107.01: dieses Programm braucht 107.00");
  SetCurrentLanguage(kCzech);
  EXPECT_EQ(ActivityOperationText(e.op), "Kontrola jednotky");
}

TEST_F(ActivityLogTest, TimeIsLocal) {
  const char* saved = std::getenv("TZ");
  const std::string keep = saved ? saved : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(ActivityTimeText(t0_), "2027-01-15 08:00:00");
  setenv("TZ", "CET-1", 1);
  tzset();
  EXPECT_EQ(ActivityTimeText(t0_), "2027-01-15 09:00:00");
  if (saved) {
    setenv("TZ", keep.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

// The log keeps the newest entries when it is full, and every change moves the revision.
TEST_F(ActivityLogTest, KeepsTheNewestEntriesWhenFull) {
  const uint64_t r0 = log_.Revision();
  for (size_t i = 0; i < ActivityLog::kMaxEntries + 5; ++i) {
    log_.OperationEnded(OP_READ, OpOutcome::Ok, static_cast<int32_t>(i), t0_);
  }
  EXPECT_EQ(log_.Entries().size(), ActivityLog::kMaxEntries);
  EXPECT_EQ(log_.Entries().front().port, 5);
  EXPECT_EQ(log_.Revision(), r0 + ActivityLog::kMaxEntries + 5);
  log_.Clear();
  EXPECT_TRUE(log_.Entries().empty());
}

}  // namespace
}  // namespace zeda
