// The device-operation machine against simulated units where a fault would show on the
// wire: what the unit image holds after programming, late answers, commands that outlive
// their unit, resets that lose the link, stale bytes in requests, and the simulator's own
// read-out lock and unstable reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "params/normalize.h"
#include "unit_ops_fixture.h"

namespace zeda {
namespace {

using test::OpsRig;
using test::PeerUnit;
using test::WriteTempImage;

const char kIdentical[] = "Unit and PC settings are identical";
constexpr int kFreeByte = 330;  // block 2; the normaliser leaves it and its neighbour alone

class DeviceOpsFaults : public test::UnitOpsTest {
 protected:
  // These tests start from an idle machine.
  void Connect(const std::vector<std::string>& args) {
    UnitOpsTest::Connect(args);
    ASSERT_TRUE(rig_->WaitIdle());
  }
};

// An automatic program writes whole blocks, so a byte beside the edited one that differs
// between params and the unit changes in the unit too; the unit image must follow.
TEST_F(DeviceOpsFaults, UnitImageAfterAnAutomaticProgramIsWhatTheUnitSaved) {
  const std::string saved = TempName();
  Connect({"--save", saved});
  ASSERT_EQ(RunOp(OP_READ), OpOutcome::Ok);
  ParamImage& params = rig_->images.params;
  params.SetByte(kFreeByte + 1,
                 static_cast<uint8_t>(params.Byte(kFreeByte + 1) ^ 0x0F));  // unmarked
  Edit(kFreeByte, static_cast<uint8_t>(params.Byte(kFreeByte) ^ 0x22));
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.programmedPending(); }));
  // What the read-back brought beyond the identification block: the worker's idle polls
  // keep reusing bytes 0-149, so those are neither read here nor compared below.
  std::vector<uint8_t> flags(PARAM_IMAGE_SIZE, 0);
  std::copy(rig_->link.readFlags + kIdBlockSize, rig_->link.readFlags + PARAM_IMAGE_SIZE,
            flags.begin() + kIdBlockSize);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED); }));
  ASSERT_TRUE(rig_->WaitIdle());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM_CHANGED, OpOutcome::Ok));

  std::ifstream in(saved, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(file.size(), static_cast<size_t>(PARAM_IMAGE_SIZE));
  int readBack = 0;
  for (int a = kIdBlockSize; a < PARAM_IMAGE_SIZE; ++a) {
    if (flags[static_cast<size_t>(a)] == 0) continue;
    ++readBack;
    EXPECT_EQ(rig_->images.unitImage.Byte(a), file[static_cast<size_t>(a)]) << "byte " << a;
  }
  EXPECT_GE(readBack, 150);  // the whole block around the edit
  EXPECT_EQ(file[kFreeByte + 1], params.Byte(kFreeByte + 1));
  EXPECT_EQ(rig_->ui.Slot(4), kIdentical);
}

// An answer that comes after its time-out reaches the ring together with the answer to
// the repeated request; the second is dropped when the next request is built, instead of
// being rejected by it and making every later block go out twice.
TEST_F(DeviceOpsFaults, ALateAnswerDoesNotEchoThroughTheRestOfTheRead) {
  Connect({});
  const int from = Lines();
  unit_->AnswerLate(0xC1);  // the first block of the first read
  EXPECT_EQ(RunOp(OP_READ), OpOutcome::Ok);
  EXPECT_GE(Count("Stale bytes dropped", from), 1);
  // One time-out, at most one rejected answer that raced the next request.
  EXPECT_LE(Count("COM timeout or redirection", from), 3);
  EXPECT_LE(Frames(0x41, 0x47, from), 2 * 7 + 3);
}

// A program asked for while the unit saves the last one waits for that save: both are
// reported and the unit image becomes valid.
TEST_F(DeviceOpsFaults, ASecondProgramDuringSavingWaitsForTheSave) {
  Connect({});
  ASSERT_EQ(RunOp(OP_READ), OpOutcome::Ok);
  ParamImage& params = rig_->images.params;
  params.SetByte(kFreeByte, static_cast<uint8_t>(params.Byte(kFreeByte) ^ 0x11));
  rig_->ui.results.clear();
  rig_->ui.ended.clear();
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.saveCountdown() > 0; }));
  Edit(kFreeByte + 1, static_cast<uint8_t>(params.Byte(kFreeByte + 1) ^ 0x30));
  rig_->ops.RequestAutoProgram();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_PROGRAM_CHANGED); }, 900));
  ASSERT_TRUE(rig_->WaitIdle());
  const auto& ui = rig_->ui;
  ASSERT_EQ(ui.ended.size(), 2u);
  EXPECT_EQ(ui.ended[0], std::make_pair(OP_PROGRAM, OpOutcome::Ok));
  EXPECT_EQ(ui.ended[1], std::make_pair(OP_PROGRAM_CHANGED, OpOutcome::Ok));
  const int firstOk = ui.IndexOf("Program device: OK");
  EXPECT_GT(firstOk, ui.IndexOf("Saving:"));
  EXPECT_GT(ui.IndexOf("Program device:", firstOk), firstOk) << "second program after the save";
  EXPECT_TRUE(rig_->images.unitImageValid);
  EXPECT_EQ(unit_->MemoryImage(), params);
  EXPECT_EQ(ui.Slot(4), kIdentical);
}

// Another unit on the same line (key or version) revokes the identification at its first
// monitor answer: nothing is read from or written to it.
class MonitorIdentity : public DeviceOpsFaults,
                        public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(MonitorIdentity, AnotherUnitInAMonitorAnswerRevokesTheIdentification) {
  Connect({});
  ASSERT_TRUE(rig_->ops.IdentPassed());
  const ParamImage memory = unit_->MemoryImage();
  unit_->SwapIdentity(GetParam().first, GetParam().second);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.keyCheckKind() == 1; }));
  EXPECT_FALSE(rig_->ops.IdentPassed());
  const int from = Lines();
  EXPECT_EQ(RunOp(OP_READ), OpOutcome::Refused);
  EXPECT_EQ(RunOp(OP_VERIFY), OpOutcome::Refused);
  Edit(kFreeByte, static_cast<uint8_t>(memory.Byte(kFreeByte) ^ 0x40));
  rig_->ops.RequestAutoProgram();
  EXPECT_EQ(RunOp(OP_PROGRAM), OpOutcome::Refused);
  EXPECT_EQ(Frames(0x01, 0x2F, from), 0) << "write frames";
  EXPECT_EQ(Frames(0x41, 0x4F, from), 0) << "read frames";
  EXPECT_EQ(unit_->MemoryImage(), memory);
  EXPECT_EQ(unit_->Programmings(), 0);
}

INSTANTIATE_TEST_SUITE_P(Swapped, MonitorIdentity,
                         ::testing::Values(std::make_pair(42, 0), std::make_pair(kUnitKey, 1)),
                         [](const auto& info) {
                           return "Key" + std::to_string(info.param.first) + "Version" +
                                  std::to_string(info.param.second);
                         });

// A command still waiting when its unit goes away ends with a message and is never run on
// the unit that connects next.
TEST_F(DeviceOpsFaults, ACommandWaitingWhenItsConnectionEndsIsDropped) {
  Connect({});
  rig_->images.params.SetByte(kFreeByte,
                              static_cast<uint8_t>(rig_->images.params.Byte(kFreeByte) ^ 0x08));
  unit_->AnswerLate(0xC1);  // the verify stays on its first block
  rig_->ops.Request(OP_VERIFY);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == OP_VERIFY; }));
  rig_->ops.Request(OP_PROGRAM);
  unit_->Stop();
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }));
  rig_->Run();
  EXPECT_TRUE(rig_->ui.EndedWith(OP_VERIFY, OpOutcome::Failed));
  EXPECT_TRUE(rig_->ui.EndedWith(OP_PROGRAM, OpOutcome::Failed));
  EXPECT_EQ(rig_->ui.Slot(2), "Connection lost: command not done");
  EXPECT_EQ(rig_->ops.opRequest(), 0);

  StartUnit({});
  const ParamImage memory = unit_->MemoryImage();
  const int from = Lines();
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  ASSERT_TRUE(rig_->WaitIdle());
  for (int i = 0; i < 10; ++i) rig_->Run();
  EXPECT_EQ(Frames(0x01, 0x2F, from), 0) << "write frames";
  EXPECT_EQ(unit_->Programmings(), 0);
  EXPECT_EQ(unit_->MemoryImage(), memory);
  EXPECT_FALSE(rig_->ui.EndedOp(OP_PROGRAM));
}

// A reset (or reset and release) cut off by the loss of the port ends with a failure, so
// a front end waiting for it is told at once.
class LostReset : public DeviceOpsFaults, public ::testing::WithParamInterface<int32_t> {};

TEST_P(LostReset, EndsWithAFailureReport) {
  const int32_t op = GetParam();
  Connect({});
  unit_->AnswerLate(0x80);  // the special command's answer: the unit is gone before it comes
  rig_->ops.Request(op);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == op; }));
  unit_->Stop();
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(op); }, 100));
  EXPECT_TRUE(rig_->ui.EndedWith(op, OpOutcome::Failed));
  EXPECT_EQ(rig_->ui.Slot(2), "Reset error !");
  // The hand-over still gives the port away.
  EXPECT_EQ(rig_->ops.LinkEnabled(), op != OP_RESET_RELEASE);
}

INSTANTIATE_TEST_SUITE_P(Ops, LostReset, ::testing::Values(OP_RESET, OP_RESET_RELEASE),
                         [](const auto& info) {
                           return info.param == OP_RESET ? std::string("Reset")
                                                         : std::string("ResetAndRelease");
                         });

// IGN300 sends 300-byte blocks: requests that carry no data (the identification and image
// reads, the reset) send zeros in bytes 150-299, never what the transfer buffer still holds
// from a program that the loss of the last unit cut off.
TEST_F(DeviceOpsFaults, RequestsWithoutDataSendZerosOnIgn300) {
  Connect({"--protocol", "3300"});
  ParamImage wanted = NormalFactory();
  for (int a = 150; a < 300; ++a) wanted.SetByte(a, static_cast<uint8_t>(wanted.Byte(a) | 0x01));
  NormalizeParams(wanted);
  rig_->images.params = wanted;
  unit_->AnswerLate(0x81);  // the first written block: the unit is gone before it answers
  rig_->ops.Request(OP_PROGRAM);
  ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ops.opState() == OpState::kProgramWrite; }));
  unit_->Stop();
  ASSERT_TRUE(rig_->RunUntil([&] { return !rig_->ops.UnitConnected(); }));
  bool stale = false;  // the transfer buffer holds data in bytes 150-299
  for (int a = 150; a < 300; ++a) stale = stale || rig_->link.writeImage[a] != 0;
  ASSERT_TRUE(stale);

  StartUnit({"--protocol", "3300"});
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  ASSERT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  ASSERT_TRUE(rig_->WaitIdle());
  ASSERT_EQ(RunOp(OP_RESET), OpOutcome::Ok);

  // Requests of this protocol come in unbroken runs once the search has found the unit;
  // around them are probes of other protocols and perhaps a request still arriving.
  constexpr size_t kFrame = 302;  // code, 300 data bytes, check
  const std::vector<uint8_t> wire = unit_->Received();
  auto isRequest = [&](size_t at) {
    if (at + kFrame > wire.size()) return false;
    uint8_t x = 0;
    for (size_t k = 0; k < kFrame; ++k) x ^= wire[at + k];
    return (wire[at] & 0x80) == 0 && x == 0xFF;
  };
  int checked = 0;
  for (size_t i = 0; i < wire.size();) {
    if (!isRequest(i) || !isRequest(i + kFrame)) {
      ++i;
      continue;
    }
    for (; isRequest(i); i += kFrame) {
      const uint8_t code = wire[i];
      // Writes and monitor requests carry data. A reset carries its word at data bytes
      // 12-13; zeros between probes of other protocols can look like frames of code 0.
      const bool reset = code == 0x00 && wire[i + 13] == 0xA5 && wire[i + 14] == 0x10;
      if (!reset && code < 0x40) continue;
      ++checked;
      const auto high = wire.begin() + static_cast<long>(i + 1 + 150);
      EXPECT_TRUE(std::all_of(high, high + 150, [](uint8_t b) { return b == 0; }))
          << "request 0x" << std::hex << int{code} << " carries stale bytes";
    }
  }
  // Two identification reads, two whole reads of four blocks, the reset.
  // On a failure: how many single frames of a request shape the unit saw at all.
  int single = 0;
  for (size_t i = 0; i + kFrame <= wire.size(); ++i) single += isRequest(i) && wire[i] >= 0x40;
  EXPECT_GE(checked, 2 + 8 + 1) << wire.size() << " bytes received, " << single
                                << " frames of code 0x40 or more";
}

// --no-reading locks the unit at start only: a program with byte 186 = 0 unlocks it and
// the identification block follows, so the next connection's check reads it.
TEST_F(DeviceOpsFaults, SimulatedReadLockIsMemoryByte186) {
  StartUnit({"--no-reading"});
  rig_ = std::make_unique<OpsRig>();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Refused));
  ASSERT_TRUE(rig_->WaitIdle());
  rig_->images.params = NormalFactory();
  ASSERT_EQ(rig_->images.params.Byte(186), 0);
  EXPECT_EQ(RunOp(OP_PROGRAM), OpOutcome::Ok);
  EXPECT_EQ(unit_->MemoryImage().Byte(186), 0);

  rig_->ops.ReleasePort();
  rig_->ops.TakeBackPort();
  rig_->ui.ended.clear();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  EXPECT_EQ(rig_->ops.idBlock()[9], 1);
  EXPECT_EQ(rig_->images.unitImage, unit_->MemoryImage());
}

// --unstable-reads corrupts each of the first reads differently: two of them never agree,
// so the check (in quarters when its two whole reads differ) ends with the true image.
TEST_F(DeviceOpsFaults, UnstableReadsNeverAgreeWithEachOther) {
  StartUnit({"--unstable-reads", "2"});
  rig_ = std::make_unique<OpsRig>();
  ASSERT_TRUE(rig_->WaitChecked());
  EXPECT_TRUE(rig_->ui.EndedWith(OP_CHECK, OpOutcome::Ok));
  // Two reads corrupted the same way would agree and leave a wrong byte in the image.
  EXPECT_EQ(rig_->images.unitImage, unit_->MemoryImage());
}

}  // namespace
}  // namespace zeda
