// The pending-edit rule, the commit and the undo ring as the binder runs them.
#include <gtest/gtest.h>

#include "pages_fixture.h"
#include "params/param_addresses.h"

namespace zeda::test {
namespace {

using PageBinderTest = PagesFixture;

TEST_F(PageBinderTest, TenArrowClicksCommitOnceFiveTicksAfterTheLast) {
  autoProgram = true;
  const int before = Limiter();
  for (int i = 0; i < 10; ++i) {
    Arrow("UpDownLimiter", 50);
    Ticks(1);  // quicker than the commit delay
  }
  EXPECT_EQ(binder.Commits(), 0);
  EXPECT_EQ(binder.PendingControl(), "UpDownLimiter");
  Ticks(kArrowCommitTicks - 2);  // one tick already passed after the last click
  EXPECT_EQ(binder.Commits(), 0);
  Ticks(1);
  EXPECT_EQ(binder.Commits(), 1);
  EXPECT_EQ(snapshots, 1);
  EXPECT_EQ(programs, 1);
  EXPECT_EQ(Limiter(), before + 500);
  EXPECT_TRUE(binder.PendingControl().empty());
  Ticks(20);
  EXPECT_EQ(binder.Commits(), 1);
}

TEST_F(PageBinderTest, ArrowThenCheckBoxCommitTogether) {
  const int before = Limiter();
  Arrow("UpDownLimiter", 50);
  Ticks(2);
  controls.SetChecked("CheckBoxInNeutralSs", true);
  binder.ControlChanged("CheckBoxInNeutralSs", ChangeKind::Immediate);
  EXPECT_EQ(binder.Commits(), 1);
  EXPECT_EQ(snapshots, 1);
  EXPECT_EQ(Limiter(), before + 50);
  EXPECT_EQ(buffers.params.Byte(Adrb::INPUT_NEUTRAL_SS), 1);
  Ticks(10);
  EXPECT_EQ(binder.Commits(), 1);
}

TEST_F(PageBinderTest, ArrowsOnTwoUpDownsCommitTheFirstWhenTheSecondIsClicked) {
  Arrow("UpDownLimiter", 50);
  Arrow("UpDownSoftLimiter", -50);
  EXPECT_EQ(binder.Commits(), 1);
  EXPECT_TRUE(binder.PendingControl().empty());
}

TEST_F(PageBinderTest, LoadingNeverCommits) {
  WriteStored(buffers.params, FieldId::LIMITER, 0, 12000);
  buffers.params.SetByte(Adrb::INPUT_NEUTRAL_SS, 1);
  binder.LoadAllPages();
  binder.LoadActivePage();
  EXPECT_EQ(controls.Position("UpDownLimiter"), 12000);
  // A widget raises its change signal while being loaded: the guard swallows it.
  {
    PageBinder::Guard guard(binder);
    binder.ControlChanged("UpDownLimiter", ChangeKind::Immediate);
    binder.ControlChanged("RadioButtonPoti1", ChangeKind::Immediate);
  }
  EXPECT_EQ(binder.Commits(), 0);
  EXPECT_EQ(snapshots, 0);
}

TEST_F(PageBinderTest, CommitThatChangesNothingTakesNoSnapshotAndProgramsNothing) {
  autoProgram = true;
  buffers.changedMask.fill(false);
  binder.ControlChanged("UpDownLimiter", ChangeKind::Immediate);
  for (int i = 0; i < PARAM_IMAGE_SIZE; ++i)
    EXPECT_FALSE(buffers.changedMask[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(binder.Commits(), 1);
  EXPECT_EQ(snapshots, 0);
  EXPECT_EQ(programs, 0);
  EXPECT_EQ(compares, 1);
  EXPECT_FALSE(binder.Ring().CanUndo());
}

TEST_F(PageBinderTest, CommitMarksEveryChangedByte) {
  buffers.changedMask.fill(false);
  controls.SetPosition("UpDownLimiter", 0x3344);  // both bytes of the word differ
  binder.ControlChanged("UpDownLimiter", ChangeKind::Immediate);
  const int first = 2 * Adrw::LIMITER;
  EXPECT_TRUE(buffers.changedMask[first]);
  EXPECT_TRUE(buffers.changedMask[first + 1]);
  EXPECT_EQ(std::count(buffers.changedMask.begin(), buffers.changedMask.end(), true), 2);
}

TEST_F(PageBinderTest, UndoOfAChangeOnAnotherPageSwitchesBack) {
  binder.ChangePage(1);
  const int before = buffers.params.Byte(Adrb::COMPENSATION);
  controls.SetPosition("UpDownKompenz", before + 3);
  binder.ControlChanged("UpDownKompenz", ChangeKind::Immediate);
  binder.ChangePage(0);
  shown.clear();

  binder.Undo();
  EXPECT_EQ(binder.ActivePage(), 1);
  EXPECT_EQ(shown, std::vector<int>{1});
  EXPECT_EQ(buffers.params.Byte(Adrb::COMPENSATION), before);
  EXPECT_EQ(controls.Position("UpDownKompenz"), before);

  binder.ChangePage(0);
  shown.clear();
  binder.Redo();
  EXPECT_EQ(binder.ActivePage(), 1);
  EXPECT_EQ(buffers.params.Byte(Adrb::COMPENSATION), before + 3);
}

TEST_F(PageBinderTest, PendingEditIsCommittedBeforeThePageChanges) {
  Arrow("UpDownLimiter", 50);
  const int before = Limiter();
  binder.ChangePage(1);
  EXPECT_EQ(Limiter(), before + 50);
  EXPECT_EQ(binder.ActivePage(), 1);
  EXPECT_EQ(binder.Commits(), 1);
}

// A replacement of the image commits a waiting edit into the image it was made on, before
// the replacement, and never afterwards over the new one.
TEST_F(PageBinderTest, APendingEditGoesIntoTheImageItWasMadeOnBeforeAReplacement) {
  const int before = Limiter();
  Arrow("UpDownLimiter", 50);
  const int snapshotsBefore = snapshots;
  document.Replace(DocumentChange::Open, [](ImageBuffers& b) {
    b.params.SetWord(Adrw::LIMITER, 9000);
    return true;
  });
  EXPECT_EQ(Limiter(), 9000);
  EXPECT_EQ(controls.Position("UpDownLimiter"), 9000);
  EXPECT_EQ(snapshots, snapshotsBefore + 2);  // the edit, then the replacement
  Ticks(2 * kArrowCommitTicks);
  EXPECT_EQ(Limiter(), 9000);  // nothing waits any more
  binder.Undo();
  EXPECT_EQ(Limiter(), before + 50);
  binder.Undo();
  EXPECT_EQ(Limiter(), before);
}

// A replacement that declines (a file that does not open) changes nothing, and a pending
// edit it committed stays committed.
TEST_F(PageBinderTest, ADeclinedReplacementReloadsAndRecordsNothing) {
  Arrow("UpDownLimiter", 50);
  const int committed = Limiter() + 50;
  const int snapshotsBefore = snapshots;
  EXPECT_FALSE(document.Replace(DocumentChange::Open, [](ImageBuffers&) { return false; }));
  EXPECT_EQ(Limiter(), committed);
  EXPECT_EQ(snapshots, snapshotsBefore + 1);
  EXPECT_TRUE(binder.PendingControl().empty());
}

TEST_F(PageBinderTest, UndoAndRedoProgramOnlyWhenAskedAndStopAtTheEnds) {
  autoProgram = true;
  Arrow("UpDownLimiter", 50);
  Ticks(kArrowCommitTicks);
  EXPECT_EQ(programs, 1);
  binder.Undo();
  EXPECT_EQ(programs, 2);
  binder.Undo();  // at the oldest: nothing
  EXPECT_EQ(programs, 2);
  binder.Redo();
  binder.Redo();  // at the newest: nothing
  EXPECT_EQ(programs, 3);
  autoProgram = false;
  binder.Undo();
  EXPECT_EQ(programs, 3);
}

TEST_F(PageBinderTest, RingKeepsTheLast199StepsAfterWrapping) {
  const int start = Limiter();
  constexpr int kCommits = 250;
  for (int i = 1; i <= kCommits; ++i) {
    controls.SetPosition("UpDownLimiter", start + (i % 2 == 0 ? 0 : 50) + 100 * (i % 7));
    binder.ControlChanged("UpDownLimiter", ChangeKind::Immediate);
  }
  int undos = 0;
  while (binder.Ring().CanUndo()) {
    binder.Undo();
    ++undos;
  }
  EXPECT_EQ(undos, kUndoDepth - 1);
  // The image is now the one committed 199 steps before the last.
  const int oldest = kCommits - (kUndoDepth - 1);
  EXPECT_EQ(Limiter(), start + (oldest % 2 == 0 ? 0 : 50) + 100 * (oldest % 7));
}

}  // namespace
}  // namespace zeda::test
