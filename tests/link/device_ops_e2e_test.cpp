// The device-operation machine against simulated units over ptys.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "params/normalize.h"
#include "params/param_fields.h"
#include "unit_ops_fixture.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;
using test::WriteTempImage;

const char kChecking[] = "Checking:";
const char kCheckingOk[] = "Checking: OK";
const char kIdentical[] = "Unit and PC settings are identical";
const char kDifferent[] = "Unit and PC settings are different";

class DeviceOpsE2E : public test::UnitOpsTest {
 protected:
  // Runs until the check of the unit has ended, and by default that it passed.
  void Connect(const std::vector<std::string>& args, bool expectOk = true) {
    UnitOpsTest::Connect(args);
    if (expectOk) {
      ASSERT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
    }
  }
};

// A byte the normaliser does not touch, in the third 150-byte block.
constexpr int kFreeByte = 330;

TEST_F(DeviceOpsE2E, ConnectingChecksTheUnitAndComparesIt) {
  Connect({});
  auto& ui = rig_->ui;
  const int checking = ui.IndexOf(kChecking);
  ASSERT_GE(checking, 0);
  EXPECT_GT(ui.IndexOf(kCheckingOk, checking), checking);
  EXPECT_LE(rig_->ops.opState(), 2);  // idle, or its first monitor poll
  EXPECT_TRUE(rig_->ops.IdentPassed());
  EXPECT_TRUE(rig_->images.unitImageValid);
  EXPECT_EQ(rig_->images.unitImage, UnitMemory());
  // params are the program's defaults (all zero here), so the unit differs.
  EXPECT_EQ(ui.Slot(4), kDifferent);
  EXPECT_EQ(ui.labelCom, "COM=5");
  EXPECT_EQ(ui.gauge, 100);
  // The idle polls follow: panel 4 gets the unit's identification.
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.keyCheckKind() == 2; }, 40));
  EXPECT_EQ(rig_->ops.keyCheckText(), "RSKEY=107.00");
  EXPECT_NE(rig_->ops.UnitIdTexts().version, "Unit = --");
}

TEST_F(DeviceOpsE2E, ReadLoadsTheUnitAndSaysIdentical) {
  Connect({});
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
  auto& ui = rig_->ui;
  EXPECT_TRUE(ui.EndedWith(OP_READ, OpOutcome::Ok));
  const int read = ui.IndexOf("Read:");
  ASSERT_GE(read, 0);
  const int verify = ui.IndexOf("Verify:", read);
  EXPECT_GT(verify, read);
  EXPECT_GT(ui.IndexOf("Verify: OK", verify), verify);
  EXPECT_EQ(rig_->images.params, UnitMemory());
  EXPECT_EQ(rig_->images.unitImage, UnitMemory());
  EXPECT_EQ(ui.Slot(4), kIdentical);
  EXPECT_EQ(ui.fileCleared, 1);
  EXPECT_GE(ui.pageRefreshes, 1);
}

TEST_F(DeviceOpsE2E, ReadOfAnImageTheNormaliserCorrectsMarksTheCorrections) {
  // A factory image with one value out of range.
  ParamImage img = NormalFactory();
  int broken = -1;
  for (const ParamField& f : ParamFields()) {
    if (f.area != ParamArea::Byte || f.addr == 186) continue;
    ParamImage t = img;
    t.SetByte(f.addr, 0xFF);
    ParamImage n = t;
    NormalizeParams(n);
    if (n.Byte(f.addr) != 0xFF) {
      img = t;
      broken = f.addr;
      break;
    }
  }
  ASSERT_GE(broken, 0);
  Connect({"--image", ImageFile(img)});
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_READ, OpOutcome::Corrected));
  EXPECT_TRUE(rig_->ui.Said("Verify: corrected"));
  // The unit still holds the broken value: the screen says different until programmed.
  EXPECT_EQ(rig_->images.unitImage.Byte(broken), 0xFF);
  EXPECT_NE(rig_->images.params.Byte(broken), 0xFF);
  EXPECT_TRUE(rig_->images.changedMask[static_cast<size_t>(broken)]);
  EXPECT_EQ(rig_->ui.Slot(4), kDifferent);

  // Programming the changed bytes sends the correction.
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory().Byte(broken), rig_->images.params.Byte(broken));
  EXPECT_EQ(rig_->ui.Slot(4), kIdentical);
}

TEST_F(DeviceOpsE2E, VerifySaysOkForTheSameSetAndErrorForAnother) {
  Connect({});
  rig_->images.params = UnitMemory();
  rig_->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_VERIFY); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_VERIFY, OpOutcome::Ok));
  EXPECT_EQ(rig_->ui.results.back(), "Verify: OK");

  rig_->ui.ended.clear();
  rig_->images.params.SetByte(kFreeByte, static_cast<uint8_t>(UnitMemory().Byte(kFreeByte) + 1));
  rig_->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_VERIFY); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_VERIFY, OpOutcome::Different));
  EXPECT_EQ(rig_->ui.results.back(), "Verify error !");
  EXPECT_EQ(rig_->ui.gaugeColour, kColourRed);
  EXPECT_EQ(rig_->ui.gauge, 100);
}

TEST_F(DeviceOpsE2E, ProgramWritesVerifiesAndWaitsForTheSave) {
  Connect({});
  ParamImage wanted = NormalFactory();
  wanted.SetByte(kFreeByte, static_cast<uint8_t>(wanted.Byte(kFreeByte) ^ 0x11));
  NormalizeParams(wanted);
  rig_->images.params = wanted;
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM); }));
  auto& ui = rig_->ui;
  EXPECT_TRUE(ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  const int program = ui.IndexOf("Program device:");
  const int verify = ui.IndexOf("Verify:", program);
  const int saving = ui.IndexOf("Saving:", verify);
  const int ok = ui.IndexOf("Program device: OK", saving);
  EXPECT_GE(program, 0);
  EXPECT_GT(verify, program);
  EXPECT_GT(saving, verify);
  EXPECT_GT(ok, saving);
  EXPECT_EQ(UnitMemory(), wanted);
  EXPECT_EQ(ui.Slot(4), kIdentical);
  EXPECT_TRUE(rig_->images.unitImageValid);
  EXPECT_EQ(unit_->Programmings(), 1);
  // The gauge rose while the countdown fell: several values strictly between 0 and 100.
  int between = 0;
  int32_t last = -1;
  bool falling = false;
  for (int32_t g : ui.gauges) {
    if (g > 0 && g < 100 && g != last) ++between;
    last = g;
  }
  EXPECT_GE(between, 3);
  EXPECT_FALSE(falling);
}

TEST_F(DeviceOpsE2E, AutomaticProgrammingWritesOnlyTheChangedBlock) {
  Connect({});
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
  ASSERT_TRUE(rig_->WaitIdle());
  const int from = static_cast<int>(trace_.Lines().size());
  Edit(kFreeByte, static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) ^ 0x22));
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory(), rig_->images.params);
  // Block 2 (bytes 300-449) alone: write code 0x03, read code 0x43.
  const auto lines = trace_.Lines();
  int writes = 0, reads = 0;
  for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.find("Frame send [0x0") != std::string::npos) {
      ++writes;
      EXPECT_NE(l.find("[0x03]"), std::string::npos) << l;
    }
    if (l.find("Frame send [0x4") != std::string::npos) {
      ++reads;
      EXPECT_NE(l.find("[0x43]"), std::string::npos) << l;
    }
  }
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(reads, 1);
  EXPECT_FALSE(rig_->images.changedMask[kFreeByte]);
  EXPECT_EQ(rig_->ui.Slot(4), kIdentical);
}

TEST_F(DeviceOpsE2E, NoReadingUnitRefusesReadAndVerifyButTakesAProgram) {
  Connect({"--no-reading"}, false);
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Refused));
  EXPECT_TRUE(rig_->ui.Said("No reading !"));
  EXPECT_TRUE(rig_->ops.IdentPassed());
  const ParamImage before = rig_->images.params;
  for (int32_t op : {OP_READ, OP_VERIFY}) {
    rig_->ui.ended.clear();
    rig_->ui.results.clear();
    rig_->ops.Request(op);
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(op); }));
    EXPECT_TRUE(rig_->ui.EndedWith(op, OpOutcome::Refused));
    EXPECT_EQ(rig_->ui.results.back(), "No reading !");
    EXPECT_EQ(rig_->images.params, before);
  }
  // A locked unit stays locked: the set to program keeps NO_READING.
  ParamImage wanted = NormalFactory();
  wanted.SetByte(186, 1);
  rig_->images.params = wanted;
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory(), wanted);
  EXPECT_EQ(rig_->ui.Slot(4), "No reading !");
}

TEST_F(DeviceOpsE2E, UnstableReadsSwitchTheCheckToQuarters) {
  Connect({"--unstable-reads", "1"});
  EXPECT_TRUE(rig_->SawState(52));
  EXPECT_TRUE(rig_->SawState(59));
  EXPECT_EQ(rig_->ui.results.back(), kCheckingOk);
  EXPECT_EQ(rig_->images.unitImage, UnitMemory());
}

TEST_F(DeviceOpsE2E, ThreeLostMonitorAnswersCloseThePortAndTheSearchResumes) {
  Connect({});
  ASSERT_TRUE(rig_->WaitIdle());
  unit_->Mute(true);
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }, 200));
  EXPECT_EQ(rig_->ui.Slot(1), "No connection with PC...");
  EXPECT_FALSE(rig_->images.unitImageValid);
  EXPECT_FALSE(rig_->ops.IdentPassed());
  EXPECT_EQ(rig_->ops.keyCheckKind(), 0);
  EXPECT_NE(trace_.Find("Close Port COM5"), -1);
  unit_->Mute(false);
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
}

TEST_F(DeviceOpsE2E, ResetAskedDuringAReadRunsAfterIt) {
  Connect({});
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == OP_READ; }));
  rig_->ops.Request(OP_RESET);
  // A request while the read runs waits in the one slot.
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_RESET); }));
  ASSERT_GE(rig_->ui.ended.size(), 2u);
  EXPECT_EQ(rig_->ui.ended[rig_->ui.ended.size() - 2].first, OP_READ);
  EXPECT_TRUE(rig_->ui.EndedWith(OP_RESET, OpOutcome::Ok));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_READ, OpOutcome::Ok));
}

// Program, then Verify and Read on the same connection: the identification kept from the
// check follows the programmed read-out lock, so a lock set by the program refuses the next
// Read and Verify, and a lock cleared by programming after change (which reads no new
// identification) lets them work again, without reconnecting.
TEST_F(DeviceOpsE2E, VerifyAndReadAfterProgramFollowTheProgrammedLock) {
  Connect({});
  ASSERT_EQ(rig_->ops.idBlock()[9], 1);
  ParamImage open = NormalFactory();
  open.SetByte(kFreeByte, static_cast<uint8_t>(open.Byte(kFreeByte) ^ 0x11));
  NormalizeParams(open);
  ParamImage locked = open;
  locked.SetByte(186, 1);
  struct Step {
    const char* name;
    const ParamImage& set;
    bool afterChange;  // the changed bytes by automatic programming, else Program
    uint8_t idByte9;
    OpOutcome outcome;  // of Verify and Read
  };
  for (const Step& step : {Step{"lock off", open, false, 1, OpOutcome::Ok},
                           Step{"lock on", locked, false, 0, OpOutcome::Refused},
                           Step{"lock off after change", open, true, 1, OpOutcome::Ok}}) {
    SCOPED_TRACE(step.name);
    rig_->states.clear();
    if (step.afterChange) {
      Edit(186, step.set.Byte(186));
      ASSERT_EQ(rig_->images.params, step.set);
      rig_->ops.RequestAutoProgram();
    } else {
      rig_->images.params = step.set;
      rig_->ops.Request(OP_PROGRAM);
    }
    // Verify and Read are asked for once the read-back passed, while the unit saves.
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->SawState(99) && rig_->ops.opState() <= 2; }));
    ASSERT_TRUE(rig_->ops.programmedPending());
    EXPECT_EQ(UnitMemory(), step.set);
    EXPECT_EQ(rig_->ops.idBlock()[9], step.idByte9);
    for (int32_t op : {OP_VERIFY, OP_READ}) {
      rig_->ui.ended.clear();
      rig_->ui.results.clear();
      rig_->ops.Request(op);
      ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(op); }));
      EXPECT_TRUE(rig_->ui.EndedWith(op, step.outcome)) << op;
      EXPECT_EQ(rig_->ui.Said("No reading !"), step.outcome == OpOutcome::Refused) << op;
    }
    EXPECT_EQ(rig_->images.params, step.set);
  }
}

// The give-up counts, counted by the unit: a Read whose two reads disagree is read once
// more, and an operation ends at its third failed job (three tries each).
TEST_F(DeviceOpsE2E, GiveUpCountsAsTheUnitSeesThem) {
  constexpr uint8_t kReadBlock0 = 0x41;
  constexpr uint8_t kIdBlockRequest = 0x40;
  Connect({});
  ASSERT_TRUE(rig_->WaitIdle());
  const ParamImage memory = UnitMemory();
  const auto requests = [&](uint8_t code) {
    return unit_->WithUnit([code](sim::SimUnit& u) { return u.BlockRequests(code); });
  };
  const auto spoilReads = [&](int n) {
    unit_->WithUnit([n](sim::SimUnit& u) { u.SpoilNextImageReads(n); });
  };

  // The first read of the pair is wrong: one more pair, which agrees.
  int before = requests(kReadBlock0);
  spoilReads(1);
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_READ, OpOutcome::Ok));
  EXPECT_EQ(requests(kReadBlock0) - before, 4);
  EXPECT_EQ(rig_->images.params, memory);

  // No two reads agree: two pairs, then the error; nothing is loaded.
  ParamImage edited = memory;
  edited.SetByte(kFreeByte, static_cast<uint8_t>(memory.Byte(kFreeByte) ^ 0x08));
  rig_->images.params = edited;
  rig_->ui.ended.clear();
  before = requests(kReadBlock0);
  spoilReads(255);
  rig_->ops.Request(OP_READ);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
  spoilReads(0);
  EXPECT_TRUE(rig_->ui.EndedWith(OP_READ, OpOutcome::Failed));
  EXPECT_EQ(rig_->ui.Slot(2), "Verify error !");
  EXPECT_EQ(requests(kReadBlock0) - before, 4);
  EXPECT_EQ(rig_->images.params, edited);

  // The identification block is never answered: a Program ends at its third failed job,
  // each of three tries, and writes nothing.
  ASSERT_TRUE(rig_->WaitIdle());
  rig_->ui.ended.clear();
  before = requests(kIdBlockRequest);
  unit_->DropIdBlockAnswers(1000);
  rig_->ops.Request(OP_PROGRAM);
  // Only answer timeouts pass here: short real pauses keep the test quick.
  for (int i = 0; i < 600 && !rig_->ui.EndedOp(OP_PROGRAM); ++i) rig_->Run(20);
  unit_->DropIdBlockAnswers(0);
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
  EXPECT_EQ(rig_->ui.Slot(2), "Verify error !");
  EXPECT_EQ(requests(kIdBlockRequest) - before, 3 * 3);
  EXPECT_EQ(unit_->Programmings(), 0);
  EXPECT_EQ(UnitMemory(), memory);
  EXPECT_TRUE(rig_->ops.UnitConnected());
}

}  // namespace
}  // namespace zeda
