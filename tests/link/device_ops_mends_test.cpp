// The device-operation machine where keeping the unit's settings and the user's edits
// safe needs more than the plain sequence: identification gate, edits during programming,
// the save wait, lost links.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "device_ops_util.h"
#include "params/normalize.h"
#include "params/param_diff.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;
using test::WriteTempImage;

const char kIdentical[] = "Unit and PC settings are identical";
const char kDifferent[] = "Unit and PC settings are different";
constexpr int kFreeByte = 330;  // block 2; the normaliser leaves it alone

class DeviceOpsMends : public ::testing::Test {
 protected:
  void SetUp() override { setTickCount(100); }
  void TearDown() override {
    rig.reset();
    unit.reset();
    for (const auto& f : files) std::remove(f.c_str());
  }
  void StartUnit(const std::vector<std::string>& args) {
    unit = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit->ok()) << unit->error;
    test::RegisterPorts({{5, unit->path()}});
  }
  void Connect(const std::vector<std::string>& args) {
    StartUnit(args);
    rig = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig->WaitChecked()) << "no check ended";
  }
  ParamImage UnitMemory() { return unit->MemoryImage(); }
  std::string ImageFile(const ParamImage& img) {
    files.push_back(WriteTempImage(img));
    return files.back();
  }
  static ParamImage NormalFactory() {
    ParamImage img;
    const auto m = sim::defaultSimMemory();
    std::copy(m.begin(), m.end(), img.bytes.begin());
    NormalizeParams(img);
    return img;
  }
  void Edit(int address, uint8_t value) {
    ParamImage& p = rig->images.params;
    if (p.byte(address) != value) rig->images.changedMask[static_cast<size_t>(address)] = true;
    p.setByte(address, value);
  }
  void ReadUnit() {
    rig->ops.Request(OP_READ);
    ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
    ASSERT_TRUE(rig->ui.EndedWith(OP_READ, OpOutcome::Ok));
    ASSERT_TRUE(rig->WaitIdle());
  }
  // Block frames sent after trace line `from` whose code lies in [lo, hi].
  int Frames(int lo, int hi, int from) {
    const auto lines = trace.Lines();
    int n = 0;
    for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i) {
      const size_t at = lines[i].find("Frame send [0x");
      if (at == std::string::npos) continue;
      const int code = std::stoi(lines[i].substr(at + 14, 2), nullptr, 16);
      if (code >= lo && code <= hi) ++n;
    }
    return n;
  }
  // No write frame and no read of the image after `from` (monitor and id frames allowed).
  void ExpectNoTransfer(int from) {
    EXPECT_EQ(Frames(0x01, 0x2F, from), 0) << "write frames";
    EXPECT_EQ(Frames(0x41, 0x4F, from), 0) << "read frames";
  }

  test::TraceFile trace;
  std::unique_ptr<PeerUnit> unit;
  std::unique_ptr<OpsRig> rig;
  std::vector<std::string> files;
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
    rig = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.opState() == 30; }));
    unit->Mute(true);
    ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_CHECK); }));
    EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Failed));
    EXPECT_EQ(rig->ui.Slot(2), "Checking error !");
    unit->Mute(false);
  } else {
    Connect(GetParam().args);
  }
  EXPECT_FALSE(rig->ops.identPassed());
  ASSERT_TRUE(rig->WaitIdle());
  const ParamImage before = NormalFactory();
  rig->images.params = before;
  const ParamImage memory = UnitMemory();
  const int from = static_cast<int>(trace.Lines().size());
  for (int32_t op : {OP_READ, OP_VERIFY}) {
    rig->ui.ended.clear();
    rig->ops.Request(op);
    ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(op); }));
    EXPECT_TRUE(rig->ui.EndedWith(op, OpOutcome::Refused));
  }
  Edit(kFreeByte, static_cast<uint8_t>(memory.byte(kFreeByte) ^ 0x40));
  rig->ops.RequestAutoProgram();
  EXPECT_EQ(rig->ops.opRequest(), 0);
  for (int i = 0; i < 12; ++i) rig->Run();
  EXPECT_FALSE(rig->ui.EndedOp(OP_PROGRAM_CHANGED));
  ExpectNoTransfer(from);
  EXPECT_EQ(UnitMemory(), memory);
  EXPECT_EQ(unit->Programmings(), 0);
  // The edit is kept for later.
  EXPECT_TRUE(rig->images.changedMask[kFreeByte]);
  EXPECT_FALSE(rig->ui.Said("Verify: OK"));
  EXPECT_FALSE(rig->ui.Said("Read:"));
}

INSTANTIATE_TEST_SUITE_P(Units, IdentificationGate,
                         ::testing::Values(GateCase{"Version1", {"--version", "1"}},
                                           GateCase{"FailedCheck", {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceOpsMends, VersionOneShowsTheSubversionBoxAndProgramIsRefused) {
  Connect({"--version", "1"});
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Refused));
  UserMessage box;
  ASSERT_TRUE(rig->ops.TakeMessage(&box));
  EXPECT_EQ(box.text, "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01");
  EXPECT_EQ(rig->ui.gaugeColour, kColourRed);
  EXPECT_FALSE(rig->ops.TakeMessage(&box));
  // The idle polls go on; panel 4 shows the mismatch.
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.keyCheckKind() != 0; }, 40));
  EXPECT_EQ(rig->ops.keyCheckKind(), 1);
  EXPECT_EQ(rig->ops.keyCheckText(),
            "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01");
  const ParamImage memory = UnitMemory();
  rig->images.params = NormalFactory();
  rig->images.params.setByte(kFreeByte, static_cast<uint8_t>(memory.byte(kFreeByte) ^ 1));
  const int from = static_cast<int>(trace.Lines().size());
  rig->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Refused));
  ASSERT_TRUE(rig->ops.TakeMessage(&box));
  EXPECT_NE(box.text.find("PC-107.00, IGN-107.01"), std::string::npos);
  ExpectNoTransfer(from);
  EXPECT_EQ(UnitMemory(), memory);
}

// An address in block 5 whose unit value is not 0 and may be set to 0.
int ZeroableAddress(const ParamImage& img) {
  for (int a = 750; a < 900; ++a) {
    if (img.byte(a) == 0) continue;
    ParamImage t = img;
    t.setByte(a, 0);
    ParamImage n = t;
    NormalizeParams(n);
    if (n == t) return a;
  }
  return -1;
}

TEST_F(DeviceOpsMends, EditsMadeWhileProgrammingReachTheUnit) {
  Connect({});
  ReadUnit();
  const int zeroable = ZeroableAddress(rig->images.params);
  ASSERT_GE(zeroable, 0);
  for (int32_t editState : {98, 99}) {
    SCOPED_TRACE(editState);
    rig->ui.ended.clear();
    Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 3));
    rig->ops.RequestAutoProgram();
    ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.opState() == editState; }));
    // Committed while the step runs: a value 0 outside the block being read back.
    Edit(zeroable, editState == 98 ? 0 : 7);
    rig->ops.RequestAutoProgram();
    const auto maskEmpty = [&] {
      return std::none_of(rig->images.changedMask.begin(), rig->images.changedMask.end(),
                          [](bool b) { return b; });
    };
    ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.Busy() && maskEmpty(); }, 300))
        << "state " << rig->ops.opState() << " request " << rig->ops.opRequest() << " pending "
        << rig->ops.programmedPending() << " countdown " << rig->ops.saveCountdown()
        << " mask empty " << maskEmpty();
    EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
    EXPECT_EQ(UnitMemory(), rig->images.params);
    EXPECT_EQ(rig->ui.Slot(4), kIdentical);
  }
}

// The differences of a Verify are listed from the image its verdict was made on. The link's
// read buffer serves the next job (the idle monitor polls overwrite its first block), so a
// list taken from it after the Verify named fields the unit does not hold.
TEST_F(DeviceOpsMends, VerifyKeepsTheImageItsVerdictWasMadeOn) {
  Connect({});
  const ParamImage memory = UnitMemory();
  rig->images.params = memory;
  rig->images.params.setByte(kFreeByte, static_cast<uint8_t>(memory.byte(kFreeByte) ^ 0x21));
  rig->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_VERIFY); }));
  ASSERT_TRUE(rig->ui.EndedWith(OP_VERIFY, OpOutcome::Different));
  EXPECT_EQ(rig->ops.verifiedImage(), memory);
  // The buffer goes on serving the link; the kept image does not follow it.
  for (int i = 0; i < 20; ++i) rig->Run();
  std::fill(rig->link.readImage, rig->link.readImage + PARAM_IMAGE_SIZE, uint8_t{0xA5});
  EXPECT_EQ(rig->ops.verifiedImage(), memory);
  EXPECT_EQ(DifferencesByField(rig->images.params, rig->ops.verifiedImage()).size(), 1u);
}

TEST_F(DeviceOpsMends, IdenticalNeedsTheWholeImage) {
  // A locked unit is never read, so its image stays unknown.
  Connect({"--no-reading"});
  ASSERT_TRUE(rig->ops.identPassed());
  ASSERT_FALSE(rig->images.unitImageValid);
  ASSERT_TRUE(rig->WaitIdle());
  rig->images.params = UnitMemory();
  Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) ^ 0x10));
  rig->ops.RequestAutoProgram();
  ASSERT_TRUE(
      rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM_CHANGED) && !rig->ops.Busy(); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory().byte(kFreeByte), rig->images.params.byte(kFreeByte));
  EXPECT_FALSE(rig->images.unitImageValid);
  for (const std::string& c : rig->ui.congruence) EXPECT_NE(c, kIdentical);
}

TEST_F(DeviceOpsMends, EmptyChangedMaskProgramsNothingAndSaysSo) {
  Connect({});
  ReadUnit();
  const int from = static_cast<int>(trace.Lines().size());
  rig->ops.Request(OP_PROGRAM_CHANGED);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Nothing));
  EXPECT_EQ(rig->ui.results.back(), "Program device: nothing changed");
  ExpectNoTransfer(from);
}

TEST_F(DeviceOpsMends, SavingStaysUntilALiveAnswerEndsIt) {
  Connect({});
  ReadUnit();
  Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 1));
  rig->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.programmedPending(); }));
  // Before any monitor answer: a language switch or page refresh keeps "Saving:".
  rig->ui.slots.refreshCaptions();
  rig->Run();
  EXPECT_FALSE(rig->ui.Said("Program device: OK"));
  EXPECT_EQ(rig->ui.Slot(2), "Saving:");
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(rig->ops.saveCountdown(), 0);
}

TEST_F(DeviceOpsMends, ResetAndReleaseWaitForTheSave) {
  Connect({});
  ReadUnit();
  Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 1));
  const ParamImage wanted = rig->images.params;
  rig->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.programmedPending(); }));
  rig->ops.Request(OP_RESET);
  rig->ops.RequestRelease();
  EXPECT_TRUE(rig->ops.LinkEnabled());
  EXPECT_TRUE(rig->ops.releaseWanted());
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.LinkEnabled(); }));
  ASSERT_GE(rig->ui.ended.size(), 2u);
  const auto& e = rig->ui.ended;
  EXPECT_EQ(e[e.size() - 2], std::make_pair(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(e[e.size() - 1], std::make_pair(OP_RESET, OpOutcome::Ok));
  EXPECT_EQ(rig->ops.rememberedPort(), 5);
  EXPECT_EQ(UnitMemory(), wanted);
  EXPECT_EQ(unit->Programmings(), 1);
  // Given away: LabelCom says so, and nothing reconnects until the port comes back.
  for (int i = 0; i < 5; ++i) rig->Run();
  EXPECT_FALSE(rig->ops.UnitConnected());
  EXPECT_EQ(rig->ui.labelCom, "COM=5 (DISCONECTED)");
  rig->ops.TakeBackPort();
  rig->ui.ended.clear();
  ASSERT_TRUE(rig->WaitChecked());
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
}

TEST_F(DeviceOpsMends, ResetAndReleaseGivesThePortAwayAfterTheSpecialCommand) {
  Connect({});
  ASSERT_TRUE(rig->ops.Request(OP_RESET_RELEASE));
  EXPECT_FALSE(rig->ops.Request(OP_READ));  // 129 is never replaced
  rig->ops.RequestAutoProgram();
  EXPECT_EQ(rig->ops.opRequest(), OP_RESET_RELEASE);
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.LinkEnabled(); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_RESET_RELEASE, OpOutcome::Ok));
  EXPECT_EQ(rig->ops.rememberedPort(), 5);
}

TEST_F(DeviceOpsMends, ReleaseEvenAfterThreeFailures) {
  Connect({});
  ASSERT_TRUE(rig->WaitIdle());
  unit->Mute(true);
  ASSERT_TRUE(rig->ops.Request(OP_RESET_RELEASE));
  ASSERT_TRUE(rig->RunUntil(
      [&] { return rig->ui.EndedOp(OP_RESET_RELEASE) || !rig->ops.UnitConnected(); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_RESET_RELEASE, OpOutcome::Failed));
  EXPECT_FALSE(rig->ops.LinkEnabled());
}

TEST_F(DeviceOpsMends, FailuresDoNotCarryOverAConnection) {
  Connect({});
  ASSERT_TRUE(rig->WaitIdle());
  unit->Mute(true);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.jobFailCount() == 2; }, 100));
  rig->ops.ReleasePort();
  unit->Mute(false);
  rig->ops.TakeBackPort();
  // The new connection's first job fails once (three lost answers): it is its first
  // failure, not the third, so the check goes on and passes.
  unit->DropIdBlockAnswers(3);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.UnitConnected(); }));
  EXPECT_EQ(rig->ops.jobFailCount(), 0);
  rig->ui.ended.clear();
  ASSERT_TRUE(rig->WaitChecked());
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  EXPECT_NE(trace.Find("COM timeout"), -1);
}

TEST_F(DeviceOpsMends, PortVanishingWhileProgrammingIsAFailureAndNothingIsLost) {
  Connect({});
  ReadUnit();
  ParamImage wanted = rig->images.params;
  for (int a = 300; a < 310; ++a) wanted.setByte(a, static_cast<uint8_t>(wanted.byte(a) ^ 0x01));
  NormalizeParams(wanted);
  rig->images.params = wanted;
  rig->ops.Request(OP_PROGRAM);
  // Silenced as the write begins, then gone: the unit holds at most the first block.
  for (int i = 0; i < 400 && rig->ops.opState() != 98; ++i) rig->Run(2);
  ASSERT_EQ(rig->ops.opState(), 98);
  unit->Mute(true);
  for (int i = 0; i < 3; ++i) rig->Run();
  unit->Stop();
  const ParamImage partly = UnitMemory();
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.UnitConnected(); }));
  rig->Run();
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
  EXPECT_FALSE(rig->ui.Said("Program device: OK"));
  // Said as what it is, and it stays: no expiry.
  EXPECT_EQ(rig->ui.Slot(2),
            "Programming interrupted: the unit may hold part of the new settings. Connect it "
            "and program again.");
  EXPECT_EQ(rig->images.params, wanted);

  // The unit comes back with what it got: the check says the sets differ.
  StartUnit({"--image", ImageFile(partly)});
  rig->ui.ended.clear();
  ASSERT_TRUE(rig->WaitChecked());
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  EXPECT_EQ(rig->ui.Slot(4), kDifferent);
  EXPECT_EQ(rig->images.params, wanted);
}

TEST_F(DeviceOpsMends, TestModeDropsOnlyTheIdlePolls) {
  StartUnit({});
  rig = std::make_unique<OpsRig>();
  rig->ops.testMode = true;
  ASSERT_TRUE(rig->WaitChecked());
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  // The check's own monitor exchange counts; the idle polls after it are dropped.
  const int afterCheck = rig->ui.monitors;
  EXPECT_EQ(afterCheck, 1);
  for (int i = 0; i < 20; ++i) rig->Run();
  EXPECT_TRUE(rig->SawState(2));
  EXPECT_EQ(rig->ui.monitors, afterCheck);
  EXPECT_TRUE(rig->ops.UnitConnected());
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_READ, OpOutcome::Ok));
  EXPECT_EQ(rig->images.params, UnitMemory());
}

// Test mode drops idle-poll results, but the unit's save is only seen through them: a
// program must still end and a reset asked meanwhile must still run.
TEST_F(DeviceOpsMends, TestModeStillSeesTheSaveEnd) {
  StartUnit({});
  rig = std::make_unique<OpsRig>();
  rig->ops.testMode = true;
  ASSERT_TRUE(rig->WaitChecked());
  ReadUnit();
  Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 1));
  rig->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.programmedPending(); }));
  rig->ops.Request(OP_RESET);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_RESET); }, 300))
      << "countdown " << rig->ops.saveCountdown() << " pending " << rig->ops.programmedPending();
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_TRUE(rig->ui.Said("Program device: OK"));
  EXPECT_TRUE(rig->ui.EndedWith(OP_RESET, OpOutcome::Ok));
}

// A port hand-over that waits for the save, or a reset-and-release under way, still gives
// the port away when the unit vanishes meanwhile, instead of the search taking it again.
TEST_F(DeviceOpsMends, HandOverSurvivesTheLossOfTheUnit) {
  for (const bool waitingRelease : {true, false}) {
    SCOPED_TRACE(waitingRelease ? "release waiting for the save" : "reset-and-release running");
    Connect({});
    if (waitingRelease) {
      ReadUnit();
      Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 1));
      rig->ops.Request(OP_PROGRAM);
      ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.programmedPending(); }));
      rig->ops.RequestRelease();
      ASSERT_TRUE(rig->ops.releaseWanted());
    } else {
      ASSERT_TRUE(rig->WaitIdle());
      unit->Mute(true);
      ASSERT_TRUE(rig->ops.Request(OP_RESET_RELEASE));
      ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.opState() == OP_RESET_RELEASE; }));
    }
    unit->Stop();
    ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.UnitConnected(); }));
    for (int i = 0; i < 5; ++i) rig->Run();
    EXPECT_FALSE(rig->ops.LinkEnabled());
    EXPECT_EQ(rig->ops.rememberedPort(), 5);
    EXPECT_EQ(rig->ui.labelCom, "COM=5 (DISCONECTED)");
    if (waitingRelease) {
      EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
    }
    rig.reset();
    unit.reset();
  }
}

// An automatic program asked for on one connection is not carried to the next one (which
// may be another unit): the edit stays marked, nothing is written unasked.
TEST_F(DeviceOpsMends, AutomaticProgramDoesNotOutliveItsConnection) {
  Connect({});
  ReadUnit();
  // A Read that hangs on a silent unit keeps the request slot's 98 waiting.
  unit->Mute(true);
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.opState() == OP_READ; }));
  Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 5));
  rig->ops.RequestAutoProgram();
  ASSERT_EQ(rig->ops.opRequest(), OP_PROGRAM_CHANGED);
  unit->Stop();
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.UnitConnected(); }));
  const ParamImage edited = rig->images.params;

  StartUnit({});
  rig->ui.ended.clear();
  ASSERT_TRUE(rig->WaitChecked());
  for (int i = 0; i < 30; ++i) rig->Run();
  EXPECT_FALSE(rig->ui.EndedOp(OP_PROGRAM_CHANGED));
  EXPECT_EQ(unit->Programmings(), 0);
  EXPECT_EQ(rig->images.params, edited);
  EXPECT_TRUE(rig->images.changedMask[kFreeByte]);
  EXPECT_EQ(rig->ui.Slot(4), kDifferent);
}

// With programming after change, the byte being programmed is edited again meanwhile (a
// map value dragged on): the step wrote the older value, so the byte stays marked and the
// next automatic program sends the newer one.
TEST_F(DeviceOpsMends, ByteReEditedWhileItIsProgrammedStaysMarked) {
  Connect({});
  ReadUnit();
  const uint8_t first = static_cast<uint8_t>(rig->images.params.byte(kFreeByte) + 3);
  const uint8_t second = static_cast<uint8_t>(first + 3);
  Edit(kFreeByte, first);
  rig->ops.RequestAutoProgram();
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.opState() == 98; }));
  Edit(kFreeByte, second);
  rig->ops.RequestAutoProgram();
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.programmedPending(); }));
  ASSERT_TRUE(rig->images.changedMask[kFreeByte]);
  ASSERT_TRUE(rig->RunUntil([&] {
    return !rig->images.changedMask[kFreeByte] && rig->ops.opState() <= 2 &&
           UnitMemory().byte(kFreeByte) == second;
  }));
  EXPECT_EQ(UnitMemory(), rig->images.params);
  EXPECT_EQ(unit->Programmings(), 2);
}

}  // namespace
}  // namespace zeda
