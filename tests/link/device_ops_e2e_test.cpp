// The device-operation machine against simulated units over ptys.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "device_ops_util.h"
#include "params/normalize.h"
#include "params/param_fields.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;
using test::WriteTempImage;

const char kChecking[] = "Checking:";
const char kCheckingOk[] = "Checking: OK";
const char kIdentical[] = "Unit and PC settings are identical";
const char kDifferent[] = "Unit and PC settings are different";

class DeviceOpsE2E : public ::testing::Test {
 protected:
  void SetUp() override { setTickCount(100); }

  // Starts a unit on COM5 and the machine; runs until the check of the unit has ended.
  void Connect(const std::vector<std::string>& args, bool expectOk = true) {
    unit = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit->ok()) << unit->error;
    test::RegisterPorts({{5, unit->path()}});
    rig = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig->WaitChecked()) << "no check ended";
    if (expectOk) {
      ASSERT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
    }
  }
  ParamImage UnitMemory() { return unit->MemoryImage(); }
  // An image file for --image; removed with the fixture.
  std::string ImageFile(const ParamImage& img) {
    files.push_back(WriteTempImage(img));
    return files.back();
  }
  void TearDown() override {
    rig.reset();
    unit.reset();
    for (const auto& f : files) std::remove(f.c_str());
  }
  // The factory image of the simulated unit, normalised.
  static ParamImage NormalFactory() {
    ParamImage img;
    const auto m = sim::defaultSimMemory();
    std::copy(m.begin(), m.end(), img.bytes.begin());
    NormalizeParams(img);
    return img;
  }
  // Marks `address` changed in params to `value`, as a committed edit does.
  void Edit(int address, uint8_t value) {
    ParamImage& p = rig->images.params;
    if (p.byte(address) != value) rig->images.changedMask[static_cast<size_t>(address)] = true;
    p.setByte(address, value);
  }

  test::TraceFile trace;
  std::unique_ptr<PeerUnit> unit;
  std::unique_ptr<OpsRig> rig;
  std::vector<std::string> files;
};

// A byte the normaliser does not touch, in the third 150-byte block.
constexpr int kFreeByte = 330;

TEST_F(DeviceOpsE2E, ConnectingChecksTheUnitAndComparesIt) {
  Connect({});
  auto& ui = rig->ui;
  const int checking = ui.IndexOf(kChecking);
  ASSERT_GE(checking, 0);
  EXPECT_GT(ui.IndexOf(kCheckingOk, checking), checking);
  EXPECT_LE(rig->ops.opState(), 2);  // idle, or its first monitor poll
  EXPECT_TRUE(rig->ops.identPassed());
  EXPECT_TRUE(rig->images.unitImageValid);
  EXPECT_EQ(rig->images.unitImage, UnitMemory());
  // params are the program's defaults (all zero here), so the unit differs.
  EXPECT_EQ(ui.Slot(4), kDifferent);
  EXPECT_EQ(ui.labelCom, "COM=5");
  EXPECT_EQ(ui.gauge, 100);
  // The idle polls follow: panel 4 gets the unit's identification.
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.keyCheckKind() == 2; }, 40));
  EXPECT_EQ(rig->ops.keyCheckText(), "RSKEY=107.00");
  EXPECT_NE(rig->ops.idTexts().version, "Unit = --");
}

TEST_F(DeviceOpsE2E, ReadLoadsTheUnitAndSaysIdentical) {
  Connect({});
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
  auto& ui = rig->ui;
  EXPECT_TRUE(ui.EndedWith(OP_READ, OpOutcome::Ok));
  const int read = ui.IndexOf("Read:");
  ASSERT_GE(read, 0);
  const int verify = ui.IndexOf("Verify:", read);
  EXPECT_GT(verify, read);
  EXPECT_GT(ui.IndexOf("Verify: OK", verify), verify);
  EXPECT_EQ(rig->images.params, UnitMemory());
  EXPECT_EQ(rig->images.unitImage, UnitMemory());
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
    t.setByte(f.addr, 0xFF);
    ParamImage n = t;
    NormalizeParams(n);
    if (n.byte(f.addr) != 0xFF) {
      img = t;
      broken = f.addr;
      break;
    }
  }
  ASSERT_GE(broken, 0);
  Connect({"--image", ImageFile(img)});
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_READ, OpOutcome::Corrected));
  EXPECT_TRUE(rig->ui.Said("Verify: corrected"));
  // The unit still holds the broken value: the screen says different until programmed.
  EXPECT_EQ(rig->images.unitImage.byte(broken), 0xFF);
  EXPECT_NE(rig->images.params.byte(broken), 0xFF);
  EXPECT_TRUE(rig->images.changedMask[static_cast<size_t>(broken)]);
  EXPECT_EQ(rig->ui.Slot(4), kDifferent);

  // Programming the changed bytes sends the correction.
  rig->ops.RequestAutoProgram();
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory().byte(broken), rig->images.params.byte(broken));
  EXPECT_EQ(rig->ui.Slot(4), kIdentical);
}

TEST_F(DeviceOpsE2E, VerifySaysOkForTheSameSetAndErrorForAnother) {
  Connect({});
  rig->images.params = UnitMemory();
  rig->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_VERIFY); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_VERIFY, OpOutcome::Ok));
  EXPECT_EQ(rig->ui.results.back(), "Verify: OK");

  rig->ui.ended.clear();
  rig->images.params.setByte(kFreeByte, static_cast<uint8_t>(UnitMemory().byte(kFreeByte) + 1));
  rig->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_VERIFY); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_VERIFY, OpOutcome::Different));
  EXPECT_EQ(rig->ui.results.back(), "Verify error !");
  EXPECT_EQ(rig->ui.gaugeColour, kColourRed);
  EXPECT_EQ(rig->ui.gauge, 100);
}

TEST_F(DeviceOpsE2E, ProgramWritesVerifiesAndWaitsForTheSave) {
  Connect({});
  ParamImage wanted = NormalFactory();
  wanted.setByte(kFreeByte, static_cast<uint8_t>(wanted.byte(kFreeByte) ^ 0x11));
  NormalizeParams(wanted);
  rig->images.params = wanted;
  rig->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM); }));
  auto& ui = rig->ui;
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
  EXPECT_TRUE(rig->images.unitImageValid);
  EXPECT_EQ(unit->Programmings(), 1);
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
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
  ASSERT_TRUE(rig->WaitIdle());
  const int from = static_cast<int>(trace.Lines().size());
  Edit(kFreeByte, static_cast<uint8_t>(rig->images.params.byte(kFreeByte) ^ 0x22));
  rig->ops.RequestAutoProgram();
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory(), rig->images.params);
  // Block 2 (bytes 300-449) alone: write code 0x03, read code 0x43.
  const auto lines = trace.Lines();
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
  EXPECT_FALSE(rig->images.changedMask[kFreeByte]);
  EXPECT_EQ(rig->ui.Slot(4), kIdentical);
}

TEST_F(DeviceOpsE2E, NoReadingUnitRefusesReadAndVerifyButTakesAProgram) {
  Connect({"--no-reading"}, false);
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Refused));
  EXPECT_TRUE(rig->ui.Said("No reading !"));
  EXPECT_TRUE(rig->ops.identPassed());
  const ParamImage before = rig->images.params;
  for (int32_t op : {OP_READ, OP_VERIFY}) {
    rig->ui.ended.clear();
    rig->ui.results.clear();
    rig->ops.Request(op);
    ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(op); }));
    EXPECT_TRUE(rig->ui.EndedWith(op, OpOutcome::Refused));
    EXPECT_EQ(rig->ui.results.back(), "No reading !");
    EXPECT_EQ(rig->images.params, before);
  }
  // A locked unit stays locked: the set to program keeps NO_READING.
  ParamImage wanted = NormalFactory();
  wanted.setByte(186, 1);
  rig->images.params = wanted;
  rig->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_PROGRAM); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(UnitMemory(), wanted);
  EXPECT_EQ(rig->ui.Slot(4), "No reading !");
}

TEST_F(DeviceOpsE2E, UnstableReadsSwitchTheCheckToQuarters) {
  Connect({"--unstable-reads", "1"});
  EXPECT_TRUE(rig->SawState(52));
  EXPECT_TRUE(rig->SawState(59));
  EXPECT_EQ(rig->ui.results.back(), kCheckingOk);
  EXPECT_EQ(rig->images.unitImage, UnitMemory());
}

TEST_F(DeviceOpsE2E, ThreeLostMonitorAnswersCloseThePortAndTheSearchResumes) {
  Connect({});
  ASSERT_TRUE(rig->WaitIdle());
  unit->Mute(true);
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->ops.UnitConnected(); }, 200));
  EXPECT_EQ(rig->ui.Slot(1), "No connection with PC...");
  EXPECT_FALSE(rig->images.unitImageValid);
  EXPECT_FALSE(rig->ops.identPassed());
  EXPECT_EQ(rig->ops.keyCheckKind(), 0);
  EXPECT_NE(trace.Find("Close Port COM5"), -1);
  unit->Mute(false);
  rig->ui.ended.clear();
  ASSERT_TRUE(rig->WaitChecked());
  EXPECT_TRUE(rig->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
}

TEST_F(DeviceOpsE2E, ResetAskedDuringAReadRunsAfterIt) {
  Connect({});
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ops.opState() == OP_READ; }));
  rig->ops.Request(OP_RESET);
  // A request while the read runs waits in the one slot.
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_RESET); }));
  ASSERT_GE(rig->ui.ended.size(), 2u);
  EXPECT_EQ(rig->ui.ended[rig->ui.ended.size() - 2].first, OP_READ);
  EXPECT_TRUE(rig->ui.EndedWith(OP_RESET, OpOutcome::Ok));
  EXPECT_TRUE(rig->ui.EndedWith(OP_READ, OpOutcome::Ok));
}

// Program, then Verify and Read on the same connection: the identification kept from the
// check follows the programmed read-out lock, so a lock set by the program refuses the next
// Read and Verify, and a lock cleared by programming after change (which reads no new
// identification) lets them work again, without reconnecting.
TEST_F(DeviceOpsE2E, VerifyAndReadAfterProgramFollowTheProgrammedLock) {
  Connect({});
  ASSERT_EQ(rig->ops.idBlock()[9], 1);
  ParamImage open = NormalFactory();
  open.setByte(kFreeByte, static_cast<uint8_t>(open.byte(kFreeByte) ^ 0x11));
  NormalizeParams(open);
  ParamImage locked = open;
  locked.setByte(186, 1);
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
    rig->states.clear();
    if (step.afterChange) {
      Edit(186, step.set.byte(186));
      ASSERT_EQ(rig->images.params, step.set);
      rig->ops.RequestAutoProgram();
    } else {
      rig->images.params = step.set;
      rig->ops.Request(OP_PROGRAM);
    }
    // Verify and Read are asked for once the read-back passed, while the unit saves.
    ASSERT_TRUE(rig->RunUntil([&] { return rig->SawState(99) && rig->ops.opState() <= 2; }));
    ASSERT_TRUE(rig->ops.programmedPending());
    EXPECT_EQ(UnitMemory(), step.set);
    EXPECT_EQ(rig->ops.idBlock()[9], step.idByte9);
    for (int32_t op : {OP_VERIFY, OP_READ}) {
      rig->ui.ended.clear();
      rig->ui.results.clear();
      rig->ops.Request(op);
      ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(op); }));
      EXPECT_TRUE(rig->ui.EndedWith(op, step.outcome)) << op;
      EXPECT_EQ(rig->ui.Said("No reading !"), step.outcome == OpOutcome::Refused) << op;
    }
    EXPECT_EQ(rig->images.params, step.set);
  }
}

// The give-up counts, counted by the unit: a Read whose two reads disagree is read once
// more, and an operation ends at its third failed job (three tries each).
TEST_F(DeviceOpsE2E, GiveUpCountsAsTheUnitSeesThem) {
  constexpr uint8_t kReadBlock0 = 0x41;
  constexpr uint8_t kIdBlockRequest = 0x40;
  Connect({});
  ASSERT_TRUE(rig->WaitIdle());
  const ParamImage memory = UnitMemory();
  const auto requests = [&](uint8_t code) {
    return unit->WithUnit([code](sim::SimUnit& u) { return u.blockRequests(code); });
  };
  const auto spoilReads = [&](int n) {
    unit->WithUnit([n](sim::SimUnit& u) { u.SpoilNextImageReads(n); });
  };

  // The first read of the pair is wrong: one more pair, which agrees.
  int before = requests(kReadBlock0);
  spoilReads(1);
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
  EXPECT_TRUE(rig->ui.EndedWith(OP_READ, OpOutcome::Ok));
  EXPECT_EQ(requests(kReadBlock0) - before, 4);
  EXPECT_EQ(rig->images.params, memory);

  // No two reads agree: two pairs, then the error; nothing is loaded.
  ParamImage edited = memory;
  edited.setByte(kFreeByte, static_cast<uint8_t>(memory.byte(kFreeByte) ^ 0x08));
  rig->images.params = edited;
  rig->ui.ended.clear();
  before = requests(kReadBlock0);
  spoilReads(255);
  rig->ops.Request(OP_READ);
  ASSERT_TRUE(rig->RunUntil([&] { return rig->ui.EndedOp(OP_READ); }));
  spoilReads(0);
  EXPECT_TRUE(rig->ui.EndedWith(OP_READ, OpOutcome::Failed));
  EXPECT_EQ(rig->ui.Slot(2), "Verify error !");
  EXPECT_EQ(requests(kReadBlock0) - before, 4);
  EXPECT_EQ(rig->images.params, edited);

  // The identification block is never answered: a Program ends at its third failed job,
  // each of three tries, and writes nothing.
  ASSERT_TRUE(rig->WaitIdle());
  rig->ui.ended.clear();
  before = requests(kIdBlockRequest);
  unit->DropIdBlockAnswers(1000);
  rig->ops.Request(OP_PROGRAM);
  // Only answer timeouts pass here: short real pauses keep the test quick.
  for (int i = 0; i < 600 && !rig->ui.EndedOp(OP_PROGRAM); ++i) rig->Run(20);
  unit->DropIdBlockAnswers(0);
  EXPECT_TRUE(rig->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
  EXPECT_EQ(rig->ui.Slot(2), "Verify error !");
  EXPECT_EQ(requests(kIdBlockRequest) - before, 3 * 3);
  EXPECT_EQ(unit->Programmings(), 0);
  EXPECT_EQ(UnitMemory(), memory);
  EXPECT_TRUE(rig->ops.UnitConnected());
}

}  // namespace
}  // namespace zeda
