// The device-operation machine where keeping the unit's settings and the user's edits
// safe needs more than the plain sequence: identification gate, edits during programming,
// the save wait, lost links.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "params/normalize.h"
#include "params/param_diff.h"
#include "unit_ops_fixture.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;
using test::WriteTempImage;

const char kIdentical[] = "Unit and PC settings are identical";
const char kDifferent[] = "Unit and PC settings are different";
constexpr int kFreeByte = 330;  // block 2; the normaliser leaves it alone

class DeviceOpsMends : public test::UnitOpsTest {
 protected:
  // No write frame and no read of the image after `from` (monitor and id frames allowed).
  void ExpectNoTransfer(int from) {
    EXPECT_EQ(Frames(0x01, 0x2F, from), 0) << "write frames";
    EXPECT_EQ(Frames(0x41, 0x4F, from), 0) << "read frames";
  }
};

// A unit of another version, and a unit whose check failed: Read, Verify and automatic
// programming neither write nor load anything.
struct GateCase {
  const char* name;
  std::vector<std::string> args;
};

class IdentificationGate : public DeviceOpsMends, public ::testing::WithParamInterface<GateCase> {};

TEST_P(IdentificationGate, NothingIsReadLoadedOrWritten) {
  if (GetParam().args.empty()) {
    // The unit falls silent during the checking reads: the check fails.
    StartUnit({});
    rig_ = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == 30; }));
    unit_->Mute(true);
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_CHECK); }));
    EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Failed));
    EXPECT_EQ(rig_->ui.Slot(2), "Checking error !");
    unit_->Mute(false);
  } else {
    Connect(GetParam().args);
  }
  EXPECT_FALSE(rig_->ops.IdentPassed());
  ASSERT_TRUE(rig_->WaitIdle());
  const ParamImage before = NormalFactory();
  rig_->images.params = before;
  const ParamImage memory = UnitMemory();
  const int from = static_cast<int>(trace_.Lines().size());
  for (int32_t op : {OP_READ, OP_VERIFY}) {
    rig_->ui.ended.clear();
    rig_->ops.Request(op);
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(op); }));
    EXPECT_TRUE(rig_->ui.EndedWith(op, OpOutcome::Refused));
  }
  Edit(kFreeByte, static_cast<uint8_t>(memory.Byte(kFreeByte) ^ 0x40));
  rig_->ops.RequestAutoProgram();
  EXPECT_EQ(rig_->ops.opRequest(), 0);
  for (int i = 0; i < 12; ++i) rig_->Run();
  EXPECT_FALSE(rig_->ui.EndedOp(OP_PROGRAM_CHANGED));
  ExpectNoTransfer(from);
  EXPECT_EQ(UnitMemory(), memory);
  EXPECT_EQ(unit_->Programmings(), 0);
  // The edit is kept for later.
  EXPECT_TRUE(rig_->images.changedMask[kFreeByte]);
  EXPECT_FALSE(rig_->ui.Said("Verify: OK"));
  EXPECT_FALSE(rig_->ui.Said("Read:"));
}

INSTANTIATE_TEST_SUITE_P(Units, IdentificationGate,
                         ::testing::Values(GateCase{"Version1", {"--version", "1"}},
                                           GateCase{"FailedCheck", {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceOpsMends, VersionOneShowsTheSubversionBoxAndProgramIsRefused) {
  Connect({"--version", "1"});
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Refused));
  UserMessage box;
  ASSERT_TRUE(rig_->ops.TakeMessage(&box));
  EXPECT_EQ(box.text, "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01");
  EXPECT_EQ(rig_->ui.gaugeColour, kColourRed);
  EXPECT_FALSE(rig_->ops.TakeMessage(&box));
  // The idle polls go on; panel 4 shows the mismatch.
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.keyCheckKind() != 0; }, 40));
  EXPECT_EQ(rig_->ops.keyCheckKind(), 1);
  EXPECT_EQ(rig_->ops.keyCheckText(),
            "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01");
  const ParamImage memory = UnitMemory();
  rig_->images.params = NormalFactory();
  rig_->images.params.SetByte(kFreeByte, static_cast<uint8_t>(memory.Byte(kFreeByte) ^ 1));
  const int from = static_cast<int>(trace_.Lines().size());
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Refused));
  ASSERT_TRUE(rig_->ops.TakeMessage(&box));
  EXPECT_NE(box.text.find("PC-107.00, IGN-107.01"), std::string::npos);
  ExpectNoTransfer(from);
  EXPECT_EQ(UnitMemory(), memory);
}

// An address in block 5 whose unit value is not 0 and may be set to 0.
int ZeroableAddress(const ParamImage& img) {
  for (int a = 750; a < 900; ++a) {
    if (img.Byte(a) == 0) continue;
    ParamImage t = img;
    t.SetByte(a, 0);
    ParamImage n = t;
    NormalizeParams(n);
    if (n == t) return a;
  }
  return -1;
}

TEST_F(DeviceOpsMends, EditsMadeWhileProgrammingReachTheUnit) {
  Connect({});
  ReadUnit();
  const int zeroable = ZeroableAddress(rig_->images.params);
  ASSERT_GE(zeroable, 0);
  for (int32_t editState : {98, 99}) {
    SCOPED_TRACE(editState);
    rig_->ui.ended.clear();
    Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 3));
    rig_->ops.RequestAutoProgram();
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == editState; }));
    // Committed while the step runs: a value 0 outside the block being read back.
    Edit(zeroable, editState == 98 ? 0 : 7);
    rig_->ops.RequestAutoProgram();
    const auto maskEmpty = [&] {
      return std::none_of(rig_->images.changedMask.begin(), rig_->images.changedMask.end(),
                          [](bool b) { return b; });
    };
    ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.Busy() && maskEmpty(); }, 300))
        << "state " << rig_->ops.opState() << " request " << rig_->ops.opRequest() << " pending "
        << rig_->ops.programmedPending() << " countdown " << rig_->ops.saveCountdown()
        << " mask empty " << maskEmpty();
    EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
    EXPECT_EQ(UnitMemory(), rig_->images.params);
    EXPECT_EQ(rig_->ui.Slot(4), kIdentical);
  }
}

// The differences of a Verify are listed from the image its verdict was made on. The link's
// read buffer serves the next job (the idle monitor polls overwrite its first block), so a
// list taken from it after the Verify named fields the unit does not hold.
TEST_F(DeviceOpsMends, VerifyKeepsTheImageItsVerdictWasMadeOn) {
  Connect({});
  const ParamImage memory = UnitMemory();
  rig_->images.params = memory;
  rig_->images.params.SetByte(kFreeByte, static_cast<uint8_t>(memory.Byte(kFreeByte) ^ 0x21));
  rig_->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_VERIFY); }));
  ASSERT_TRUE(rig_->ui.EndedWith(OP_VERIFY, OpOutcome::Different));
  EXPECT_EQ(rig_->ops.VerifiedImage(), memory);
  // The buffer goes on serving the link; the kept image does not follow it.
  for (int i = 0; i < 20; ++i) rig_->Run();
  // The buffer is the worker's while a job runs; overwrite it only between jobs.
  const auto between = [&] {
    const int32_t job = rig_->link.Job();
    return job == 0 || job == JOB_DONE || job == JOB_FAILED;
  };
  for (int i = 0; i < 500 && !between(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(between());
  std::fill(rig_->link.readImage, rig_->link.readImage + PARAM_IMAGE_SIZE, uint8_t{0xA5});
  EXPECT_EQ(rig_->ops.VerifiedImage(), memory);
  EXPECT_EQ(DifferencesByField(rig_->images.params, rig_->ops.VerifiedImage()).size(), 1u);
}

TEST_F(DeviceOpsMends, IdenticalNeedsTheWholeImage) {
  // A locked unit is never read, so its image stays unknown.
  Connect({"--no-reading"});
  ASSERT_TRUE(rig_->ops.IdentPassed());
  ASSERT_FALSE(rig_->images.unitImageValid);
  ASSERT_TRUE(rig_->WaitIdle());
  rig_->images.params = UnitMemory();
  Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) ^ 0x10));
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(
      rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED) && !rig_->ops.Busy(); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory().Byte(kFreeByte), rig_->images.params.Byte(kFreeByte));
  EXPECT_FALSE(rig_->images.unitImageValid);
  for (const std::string& c : rig_->ui.congruence) EXPECT_NE(c, kIdentical);
}

TEST_F(DeviceOpsMends, EmptyChangedMaskProgramsNothingAndSaysSo) {
  Connect({});
  ReadUnit();
  const int from = static_cast<int>(trace_.Lines().size());
  rig_->ops.Request(OP_PROGRAM_CHANGED);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Nothing));
  EXPECT_EQ(rig_->ui.results.back(), "Program device: nothing changed");
  ExpectNoTransfer(from);
}

TEST_F(DeviceOpsMends, SavingStaysUntilALiveAnswerEndsIt) {
  Connect({});
  ReadUnit();
  Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 1));
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.programmedPending(); }));
  // Before any monitor answer: a language switch or page refresh keeps "Saving:".
  rig_->ui.slots.RefreshCaptions();
  rig_->Run();
  EXPECT_FALSE(rig_->ui.Said("Program device: OK"));
  EXPECT_EQ(rig_->ui.Slot(2), "Saving:");
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(rig_->ops.saveCountdown(), 0);
}

TEST_F(DeviceOpsMends, ResetAndReleaseWaitForTheSave) {
  Connect({});
  ReadUnit();
  Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 1));
  const ParamImage wanted = rig_->images.params;
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.programmedPending(); }));
  rig_->ops.Request(OP_RESET);
  rig_->ops.RequestRelease();
  EXPECT_TRUE(rig_->ops.LinkEnabled());
  EXPECT_TRUE(rig_->ops.ReleaseWanted());
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.LinkEnabled(); }));
  ASSERT_GE(rig_->ui.ended.size(), 2u);
  const auto& e = rig_->ui.ended;
  EXPECT_EQ(e[e.size() - 2], std::make_pair(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(e[e.size() - 1], std::make_pair(OP_RESET, OpOutcome::Ok));
  EXPECT_EQ(rig_->ops.RememberedPort(), 5);
  EXPECT_EQ(UnitMemory(), wanted);
  EXPECT_EQ(unit_->Programmings(), 1);
  // Given away: LabelCom says so, and nothing reconnects until the port comes back.
  for (int i = 0; i < 5; ++i) rig_->Run();
  EXPECT_FALSE(rig_->ops.UnitConnected());
  EXPECT_EQ(rig_->ui.labelCom, "COM=5 (DISCONECTED)");
  rig_->ops.TakeBackPort();
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
}

TEST_F(DeviceOpsMends, ResetAndReleaseGivesThePortAwayAfterTheSpecialCommand) {
  Connect({});
  ASSERT_TRUE(rig_->ops.Request(OP_RESET_RELEASE));
  EXPECT_FALSE(rig_->ops.Request(OP_READ));  // 129 is never replaced
  rig_->ops.RequestAutoProgram();
  EXPECT_EQ(rig_->ops.opRequest(), OP_RESET_RELEASE);
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.LinkEnabled(); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_RESET_RELEASE, OpOutcome::Ok));
  EXPECT_EQ(rig_->ops.RememberedPort(), 5);
}

TEST_F(DeviceOpsMends, ReleaseEvenAfterThreeFailures) {
  Connect({});
  ASSERT_TRUE(rig_->WaitIdle());
  unit_->Mute(true);
  ASSERT_TRUE(rig_->ops.Request(OP_RESET_RELEASE));
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return rig_->ui.EndedOp(OP_RESET_RELEASE) || !rig_->ops.UnitConnected(); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_RESET_RELEASE, OpOutcome::Failed));
  EXPECT_FALSE(rig_->ops.LinkEnabled());
}

TEST_F(DeviceOpsMends, FailuresDoNotCarryOverAConnection) {
  Connect({});
  ASSERT_TRUE(rig_->WaitIdle());
  unit_->Mute(true);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.jobFailCount() == 2; }, 100));
  rig_->ops.ReleasePort();
  unit_->Mute(false);
  rig_->ops.TakeBackPort();
  // The new connection's first job fails once (three lost answers): it is its first
  // failure, not the third, so the check goes on and passes.
  unit_->DropIdBlockAnswers(3);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.UnitConnected(); }));
  EXPECT_EQ(rig_->ops.jobFailCount(), 0);
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  EXPECT_NE(trace_.Find("COM timeout"), -1);
}

TEST_F(DeviceOpsMends, PortVanishingWhileProgrammingIsAFailureAndNothingIsLost) {
  Connect({});
  ReadUnit();
  ParamImage wanted = rig_->images.params;
  for (int a = 300; a < 310; ++a) wanted.SetByte(a, static_cast<uint8_t>(wanted.Byte(a) ^ 0x01));
  NormalizeParams(wanted);
  rig_->images.params = wanted;
  rig_->ops.Request(OP_PROGRAM);
  // Silenced as the write begins, then gone: the unit holds at most the first block.
  for (int i = 0; i < 400 && rig_->ops.opState() != 98; ++i) rig_->Run(2);
  ASSERT_EQ(rig_->ops.opState(), 98);
  unit_->Mute(true);
  for (int i = 0; i < 3; ++i) rig_->Run();
  unit_->Stop();
  const ParamImage partly = UnitMemory();
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }));
  rig_->Run();
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
  EXPECT_FALSE(rig_->ui.Said("Program device: OK"));
  // Said as what it is, and it stays: no expiry.
  EXPECT_EQ(rig_->ui.Slot(2),
            "Programming interrupted: the unit may hold part of the new settings. Connect it "
            "and program again.");
  EXPECT_EQ(rig_->images.params, wanted);

  // The unit comes back with what it got: the check says the sets differ.
  StartUnit({"--image", ImageFile(partly)});
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  EXPECT_EQ(rig_->ui.Slot(4), kDifferent);
  EXPECT_EQ(rig_->images.params, wanted);
}

TEST_F(DeviceOpsMends, TestModeDropsOnlyTheIdlePolls) {
  StartUnit({});
  rig_ = std::make_unique<OpsRig>();
  rig_->ops.testMode = true;
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  // The check's own monitor exchange counts; the idle polls after it are dropped.
  const int afterCheck = rig_->ui.monitors;
  EXPECT_EQ(afterCheck, 1);
  for (int i = 0; i < 20; ++i) rig_->Run();
  EXPECT_TRUE(rig_->SawState(2));
  EXPECT_EQ(rig_->ui.monitors, afterCheck);
  EXPECT_TRUE(rig_->ops.UnitConnected());
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_READ, OpOutcome::Ok));
  EXPECT_EQ(rig_->images.params, UnitMemory());
}

// Test mode drops idle-poll results, but the unit's save is only seen through them: a
// program must still end and a reset asked meanwhile must still run.
TEST_F(DeviceOpsMends, TestModeStillSeesTheSaveEnd) {
  StartUnit({});
  rig_ = std::make_unique<OpsRig>();
  rig_->ops.testMode = true;
  ASSERT_TRUE(rig_->WaitChecked());
  ReadUnit();
  Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 1));
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.programmedPending(); }));
  rig_->ops.Request(OP_RESET);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_RESET); }, 300))
      << "countdown " << rig_->ops.saveCountdown() << " pending " << rig_->ops.programmedPending();
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_TRUE(rig_->ui.Said("Program device: OK"));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_RESET, OpOutcome::Ok));
}

// A port hand-over that waits for the save, or a reset-and-release under way, still gives
// the port away when the unit vanishes meanwhile, instead of the search taking it again.
TEST_F(DeviceOpsMends, HandOverSurvivesTheLossOfTheUnit) {
  for (const bool waitingRelease : {true, false}) {
    SCOPED_TRACE(waitingRelease ? "release waiting for the save" : "reset-and-release running");
    Connect({});
    if (waitingRelease) {
      ReadUnit();
      Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 1));
      rig_->ops.Request(OP_PROGRAM);
      ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.programmedPending(); }));
      rig_->ops.RequestRelease();
      ASSERT_TRUE(rig_->ops.ReleaseWanted());
    } else {
      ASSERT_TRUE(rig_->WaitIdle());
      unit_->Mute(true);
      ASSERT_TRUE(rig_->ops.Request(OP_RESET_RELEASE));
      ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == OP_RESET_RELEASE; }));
    }
    unit_->Stop();
    ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }));
    for (int i = 0; i < 5; ++i) rig_->Run();
    EXPECT_FALSE(rig_->ops.LinkEnabled());
    EXPECT_EQ(rig_->ops.RememberedPort(), 5);
    EXPECT_EQ(rig_->ui.labelCom, "COM=5 (DISCONECTED)");
    if (waitingRelease) {
      EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
    }
    rig_.reset();
    unit_.reset();
  }
}

// An automatic program asked for on one connection is not carried to the next one (which
// may be another unit): the edit stays marked, nothing is written unasked.
TEST_F(DeviceOpsMends, AutomaticProgramDoesNotOutliveItsConnection) {
  Connect({});
  ReadUnit();
  // A Read that hangs on a silent unit keeps the request slot's 98 waiting.
  unit_->Mute(true);
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == OP_READ; }));
  Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 5));
  rig_->ops.RequestAutoProgram();
  ASSERT_EQ(rig_->ops.opRequest(), OP_PROGRAM_CHANGED);
  unit_->Stop();
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }));
  const ParamImage edited = rig_->images.params;

  StartUnit({});
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  for (int i = 0; i < 30; ++i) rig_->Run();
  EXPECT_FALSE(rig_->ui.EndedOp(OP_PROGRAM_CHANGED));
  EXPECT_EQ(unit_->Programmings(), 0);
  EXPECT_EQ(rig_->images.params, edited);
  EXPECT_TRUE(rig_->images.changedMask[kFreeByte]);
  EXPECT_EQ(rig_->ui.Slot(4), kDifferent);
}

// With programming after change, the byte being programmed is edited again meanwhile (a
// map value dragged on): the step wrote the older value, so the byte stays marked and the
// next automatic program sends the newer one.
TEST_F(DeviceOpsMends, ByteReEditedWhileItIsProgrammedStaysMarked) {
  Connect({});
  ReadUnit();
  const uint8_t first = static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) + 3);
  const uint8_t second = static_cast<uint8_t>(first + 3);
  Edit(kFreeByte, first);
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == 98; }));
  Edit(kFreeByte, second);
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.programmedPending(); }));
  ASSERT_TRUE(rig_->images.changedMask[kFreeByte]);
  ASSERT_TRUE(rig_->RunUntil([&] {
    return !rig_->images.changedMask[kFreeByte] && rig_->ops.opState() <= 2 &&
           UnitMemory().Byte(kFreeByte) == second;
  }));
  EXPECT_EQ(UnitMemory(), rig_->images.params);
  EXPECT_EQ(unit_->Programmings(), 2);
}

// An automatic program makes the checks the Program command makes with a question; when one
// fails nothing is programmed, slot 2 says why, and the edit waits for a Program.
struct AutoCheckCase {
  const char* name;
  bool newInstallation;
  bool otherBike;
  const char* said;
};

TEST_F(DeviceOpsMends, AutomaticProgramMakesTheProgramChecks) {
  const AutoCheckCase cases[] = {
      {"new installation", true, false, "Not programmed: read the unit or open a file first"},
      {"other bike", false, true,
       "Not programmed: a different bike is set in the unit (use Program)"},
  };
  Connect({});
  ReadUnit();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.ReportedBike() >= 0; }));
  const int unitBike = rig_->ops.ReportedBike();
  ASSERT_EQ(unitBike, rig_->images.params.Byte(Adrb::BIKE));
  for (const AutoCheckCase& k : cases) {
    SCOPED_TRACE(k.name);
    ASSERT_TRUE(rig_->WaitIdle());
    const ParamImage memory = UnitMemory();
    const int programmings = unit_->Programmings();
    rig_->ui.newInstallation = k.newInstallation;
    rig_->ui.ended.clear();
    Edit(kFreeByte, static_cast<uint8_t>(memory.Byte(kFreeByte) ^ 0x20));
    if (k.otherBike) Edit(Adrb::BIKE, static_cast<uint8_t>(unitBike == 7 ? 28 : 7));
    const int from = static_cast<int>(trace_.Lines().size());
    rig_->ops.RequestAutoProgram();
    EXPECT_EQ(rig_->ops.opRequest(), 0);
    EXPECT_EQ(rig_->ui.Slot(2), k.said);
    for (int i = 0; i < 12; ++i) rig_->Run();
    EXPECT_FALSE(rig_->ui.EndedOp(OP_PROGRAM_CHANGED));
    ExpectNoTransfer(from);
    EXPECT_EQ(unit_->Programmings(), programmings);
    EXPECT_EQ(UnitMemory(), memory);
    EXPECT_TRUE(rig_->images.changedMask[kFreeByte]);

    // Once the check passes, the same edit is programmed.
    rig_->ui.newInstallation = false;
    rig_->images.params.SetByte(Adrb::BIKE, static_cast<uint8_t>(unitBike));
    rig_->ops.RequestAutoProgram();
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED); }, 300));
    EXPECT_EQ(UnitMemory().Byte(kFreeByte), rig_->images.params.Byte(kFreeByte));
  }
}

}  // namespace
}  // namespace zeda
