#include "link/device_ops.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/tick_clock.h"
#include "lang/lang_string.h"
#include "link/op_progress.h"
#include "link/op_verdicts.h"
#include "params/normalize.h"
#include "params/param_addresses.h"

namespace zeda {

namespace {

using S = OpState;

constexpr int32_t kResultMs = 2000;
constexpr int32_t kCongruenceMs = 4000;
constexpr int32_t kFailTries = 3;
constexpr int32_t kPollTicks = 6;  // an idle poll when more ticks than this have passed
constexpr int kImage = PARAM_IMAGE_SIZE;
constexpr int32_t kGaugeFull = 100;
constexpr int32_t kQuarterRetryGauge = 12;  // where the quarter reads start on the plan
// Identification block bytes this machine looks at.
constexpr int kIdReadAllowedByte = 9;  // 1: the unit may be read
constexpr int kIdKeyByte = 10;
constexpr int kIdVersionByte = 11;
constexpr int kResetWordByte = 12;
constexpr uint16_t kResetWord = 0x10A5;

// What follows each step of the connection check once its job is done (the second reads
// only when they agree with the first; the last ones end the check).
struct CheckStep {
  int32_t state, next;
};
constexpr CheckStep kCheckNext[] = {
    {S::kCheckPoll, S::kCheckRead1},        {S::kCheckRead1, S::kCheckRead2},
    {S::kQuarter0Poll1, S::kQuarter0Read1}, {S::kQuarter0Read1, S::kQuarter1Poll1},
    {S::kQuarter1Poll1, S::kQuarter1Read1}, {S::kQuarter1Read1, S::kQuarter2Poll1},
    {S::kQuarter2Poll1, S::kQuarter2Read1}, {S::kQuarter2Read1, S::kQuarter3Poll1},
    {S::kQuarter3Poll1, S::kQuarter3Read1}, {S::kQuarter3Read1, S::kQuarter0Poll2},
    {S::kQuarter0Poll2, S::kQuarter0Read2}, {S::kQuarter0Read2, S::kQuarter1Poll2},
    {S::kQuarter1Poll2, S::kQuarter1Read2}, {S::kQuarter1Read2, S::kQuarter2Poll2},
    {S::kQuarter2Poll2, S::kQuarter2Read2}, {S::kQuarter2Read2, S::kQuarter3Poll2},
    {S::kQuarter3Poll2, S::kQuarter3Read2},
};

int32_t NextCheckState(int32_t state) {
  for (const CheckStep& step : kCheckNext) {
    if (step.state == state) return step.next;
  }
  return S::kIdle;
}

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }
bool IsCheckingState(int32_t s) {
  return InRange(s, S::kCheckPoll, S::kCheckId2) ||
         InRange(s, S::kQuarter0Read1, S::kQuarter3Poll2);
}
bool IsReadState(int32_t s) { return s == S::kRead || s == S::kReadAgain; }
bool IsProgramState(int32_t s) { return InRange(s, S::kProgramId1, S::kProgramReadBack); }
// Only once the write has begun may the unit hold part of the new set; a Program that fails
// while it still checks the unit's identification has changed nothing there.
bool MayHaveWritten(int32_t s) { return s == S::kProgramWrite || s == S::kProgramReadBack; }

}  // namespace

DeviceOps::DeviceOps(CCOMCOM& link, ImageBuffers& images, DeviceOpsUi& ui)
    : link_(link), img_(images), ui_(ui) {}

// ------------------------------------------------------------------ user-visible effects

void DeviceOps::Result(OpText text) {
  ui_.ShowStatus(StatusSlot::kResult, DeviceText(text), kResultMs, kColourUnchanged,
                 kColourButtonFace, kPriorityNormal);
}

void DeviceOps::Error(OpText text) {
  ui_.ShowStatus(StatusSlot::kResult, DeviceText(text), kResultMs, kColourUnchanged, kColourRed,
                 kPriorityNormal);
}

// Stays until the window clears it when the next operation starts.
void DeviceOps::ProgrammingInterrupted() {
  ui_.ShowStatus(StatusSlot::kResult, InterruptedText(), kNoExpiry, kColourWhite, kColourRed,
                 kPriorityVerdict);
}

void DeviceOps::GaugeStart() {
  ui_.SetGauge(kColourAqua, 0);
  ui_.ShowGauge();
}

void DeviceOps::GaugeRed100() {
  ui_.SetGauge(kColourRed, kGaugeFull);
  ui_.ShowGauge();
}

void DeviceOps::GaugeFailed() {
  GaugeRed100();
  opState_ = S::kIdle;
}

void DeviceOps::ShowNoConnection() {
  ui_.ShowStatus(StatusSlot::kConnection, DeviceText(OpText::NoConnection), kNoExpiry, kColourBlack,
                 kColourRed, kPriorityNoConnection);
}

void DeviceOps::Ended(int32_t op, OpOutcome outcome) { ui_.OperationEnded(op, outcome); }

int32_t DeviceOps::OpOfState(int32_t state) const {
  if (IsCheckingState(state)) return OP_CHECK;
  if (IsReadState(state)) return OP_READ;
  if (state == S::kVerify) return OP_VERIFY;
  if (IsProgramState(state)) return programAll_ ? OP_PROGRAM : OP_PROGRAM_CHANGED;
  return state;
}

bool DeviceOps::Busy() const {
  return opState_ > S::kPoll || opRequest_ != 0 || programmedPending_ || saveCountdown_ > 0;
}

void DeviceOps::ShowComText() {
  char text[sizeof labelCom_];
  int n = 0;
  auto add = [&](const char* fmt, auto... v) {
    if (n < static_cast<int>(sizeof text)) {
      const int w = std::snprintf(text + n, sizeof text - static_cast<size_t>(n), fmt, v...);
      if (w > 0) n += w;
    }
  };
  if (!LinkEnabled()) {
    add("COM=%i (DISCONECTED)", rememberedPort_);
  } else if (link_.comSetting < 0) {
    add("COM=OFF");
  } else {
    const bool automatic = link_.comSetting == 0;
    int held = 0;
    add(automatic ? "COM=(auto " : "COM=");
    for (const LinkSlot& s : link_.slots) {
      if (s.port <= 0) continue;
      add(held == 0 ? "%i" : ",%i", s.port);
      ++held;
    }
    if (automatic) {
      if (held == 0) {
        n = 0;
        add("COM=%s", LangText("###none##kain##žádný"));
      } else {
        add(")");
      }
    }
  }
  if (std::strcmp(text, labelCom_) == 0) return;
  std::memcpy(labelCom_, text, sizeof labelCom_);
  ui_.SetLabelCom(labelCom_);
}

// ------------------------------------------------------------------ connection

void DeviceOps::CompareUnitAndPc() {
  img_.UpdateFileMatches();
  ui_.UpdateTitle();
  constexpr int kSlot = StatusSlot::kCongruence;
  if (!img_.unitImageValid) {
    ui_.ShowStatus(kSlot, nullptr, 0, kColourUnchanged, kColourUnchanged, kPriorityNormal);
  } else if (img_.unitImage.Byte(kNoReadingAddress) != 0) {
    ui_.ShowStatus(kSlot, DeviceText(OpText::NoReading), kCongruenceMs, kColourUnchanged,
                   kColourYellow, kPriorityNormal);
  } else if (img_.unitImage != img_.params) {
    ui_.ShowStatus(kSlot, DeviceText(OpText::Different), kNoExpiry, kColourUnchanged, kColourYellow,
                   kPriorityNormal);
  } else {
    ui_.ShowStatus(kSlot, DeviceText(OpText::Identical), kCongruenceMs, kColourUnchanged,
                   kColourGreen, kPriorityNormal);
  }
}

// An operation, or the unit's save after programming, was cut off by the loss of the
// connection: the user sees its error, never silence.
void DeviceOps::LostDuringOperation() {
  const int32_t s = opState_;
  if (IsCheckingState(s)) {
    Error(OpText::CheckingError);
  } else if (IsReadState(s)) {
    Error(OpText::ReadError);
  } else if (s == S::kReset || s == S::kResetRelease) {
    Error(OpText::ResetError);
  } else if (MayHaveWritten(s) || programmedPending_) {
    ProgrammingInterrupted();
  } else if (s == S::kVerify || IsProgramState(s)) {
    Error(OpText::VerifyError);
  } else {
    opState_ = S::kNotConnected;
    return;
  }
  GaugeRed100();
  // A state of the check or of an operation reports that operation; otherwise the loss cut
  // off the save of the last program.
  const bool inOperation =
      InRange(s, S::kCheckPoll, S::kProgramReadBack) || s == S::kReset || s == S::kResetRelease;
  const int32_t op = programmedPending_ && !inOperation ? pendingOp_ : OpOfState(s);
  if (MayHaveWritten(s) || programmedPending_) ui_.OperationInterrupted(op);
  Ended(op, OpOutcome::Failed);
  programmedPending_ = false;
  saveCountdown_ = 0;
  opState_ = S::kNotConnected;
}

bool DeviceOps::RequestTest(TestButton button) {
  // A playback shows a recorded unit: a test meant for it must not reach the real one.
  if (!UnitConnected() || !LinkEnabled() || !identPassed_ || ui_.PlayerActive()) return false;
  if (!PressTestButton(monitorCommands, button)) return false;
  if (monitorCommands.calibrationRunning) calibrationQuiet_ = 0;
  return true;
}

void DeviceOps::Disconnect() {
  LostDuringOperation();
  link_.CloseLink();
  opState_ = S::kNotConnected;
  programmedPending_ = false;
  saveCountdown_ = 0;
  if (LinkEnabled()) ShowNoConnection();
  identPassed_ = false;
  // An automatic program belongs to this connection; its bytes stay in changedMask.
  if (opRequest_ == OP_PROGRAM_CHANGED) opRequest_ = 0;
  // So does a command still waiting: it was meant for this unit, never for the next one.
  if (opRequest_ == OP_READ || opRequest_ == OP_VERIFY || opRequest_ == OP_PROGRAM ||
      opRequest_ == OP_RESET) {
    const int32_t dropped = opRequest_;
    opRequest_ = 0;
    Error(OpText::CommandDropped);
    Ended(dropped, OpOutcome::Failed);
  }
  img_.unitImageValid = false;
  CompareUnitAndPc();
  keyCheckKind_ = 0;
  keyCheckText_.clear();
  ui_.UnitTextChanged();
}

bool DeviceOps::CanRelease() const {
  // A pending request (a reset asked before the release) runs first.
  return opState_ <= S::kPoll && opRequest_ == 0 && saveCountdown_ <= 0 && !programmedPending_;
}

void DeviceOps::RequestRelease() {
  if (!LinkEnabled()) return;
  if (!UnitConnected() || CanRelease()) {
    ReleasePort();
  } else {
    releaseWanted_ = true;
  }
}

void DeviceOps::ReleasePort(int32_t com) {
  releaseWanted_ = false;
  if (!LinkEnabled()) return;
  const int32_t port = link_.connectedPort.load();
  link_.linkEnabled.store(0);
  rememberedPort_ = port != 0 ? port : (com > 0 ? com : rememberedPort_);
  Disconnect();
  ui_.UpdateTitle();
}

void DeviceOps::TakeBackPort() {
  releaseWanted_ = false;
  if (LinkEnabled()) return;
  link_.linkEnabled.store(1);
  rememberedPort_ = -1;
  ui_.UpdateTitle();
}

// ------------------------------------------------------------------ requests

bool DeviceOps::ChangedMaskEmpty() const {
  return std::none_of(img_.changedMask.begin(), img_.changedMask.end(), [](bool b) { return b; });
}

bool DeviceOps::Request(int32_t code) {
  if (opRequest_ == OP_RESET_RELEASE) return false;
  if (opRequest_ == OP_PROGRAM_CHANGED && code != OP_PROGRAM_CHANGED) autoProgramFor_ = connection_;
  opRequest_ = code;
  return true;
}

void DeviceOps::RequestAutoProgram() {
  // During a playback the image is the recording's, never meant for the real unit.
  if (!UnitConnected() || !identPassed_ || ChangedMaskEmpty() || ui_.PlayerActive()) return;
  // The Program command asks before it overwrites a unit it knows nothing about, or one set
  // for another bike; an automatic program cannot ask, so it refuses and says why. The
  // edits stay in changedMask for a later Program.
  if (ui_.NewInstallation()) {
    Error(OpText::AutoProgramNewInstal);
    return;
  }
  if (reportedBike_ >= 0 && reportedBike_ != img_.params.Byte(Adrb::BIKE)) {
    Error(OpText::AutoProgramOtherBike);
    return;
  }
  if (opRequest_ != 0) {
    if (opRequest_ != OP_PROGRAM_CHANGED) autoProgramFor_ = connection_;
    return;
  }
  opRequest_ = OP_PROGRAM_CHANGED;
}

bool DeviceOps::TakeMessage(UserMessage* message) {
  if (messages_.empty()) return false;
  *message = std::move(messages_.front());
  messages_.erase(messages_.begin());
  return true;
}

void DeviceOps::QueueVersionBox(int32_t key, int32_t version) {
  char tail[64];
  std::snprintf(tail, sizeof tail, "  PC-%d.%02d, IGN-%d.%02d", kOwnKey, kOwnVersion, key, version);
  const OpText which = key != kOwnKey ? OpText::VersionMismatch : OpText::SubversionMismatch;
  messages_.push_back(
      UserMessage{std::string(LangText(DeviceText(which))) + tail, "Error", MessageKind::Error});
}

// ------------------------------------------------------------------ one run

void DeviceOps::RunDeviceOps() {
  if (running_) return;
  running_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{running_};

  // 1.
  if (firstRun_) {
    firstRun_ = false;
    if (LinkEnabled()) ShowNoConnection();
  }
  // 2.
  link_.SuperviseLink();
  // 3.
  if (!UnitConnected() || !LinkEnabled()) {
    // A test asked for without a unit must not fire the ignition of the next one connected.
    ClearTestRequests(monitorCommands);
    // A hand-over asked for on the lost connection still gives its port away.
    const bool handOver = releaseWanted_ || opState_ == OP_RESET_RELEASE;
    if (opState_ != S::kNotConnected || programmedPending_) Disconnect();  // connection lost
    opState_ = S::kNotConnected;
    if (handOver && LinkEnabled()) ReleasePort(lastPort_);
    ShowComText();
    return;
  }
  // 4.
  if (opState_ == S::kNotConnected) {
    ++connection_;
    opState_ = S::kCheckId1;
    opAttempt_ = 0;
    lastPollTick_ = 0;
    programmedPending_ = false;
    saveCountdown_ = 0;
    jobFailCount_ = 0;
    identPassed_ = false;
    unitKey_ = unitVersion_ = -1;
    lastPort_ = link_.connectedPort.load();
    char text[32];
    std::snprintf(text, sizeof text, "COM=%i", lastPort_);
    std::memcpy(labelCom_, text, sizeof text);
    ui_.SetLabelCom(labelCom_);
  }
  // A port hand-over that waited for the operation and the save.
  if (releaseWanted_ && CanRelease()) {
    ReleasePort();
    return;
  }
  // 5. Test mode keeps the unit quiet: an idle poll's result is dropped, except while a
  // save is awaited, whose end only these answers report.
  int32_t job = link_.Job();
  const bool saveAwaited = programmedPending_ || saveCountdown_ > 0;
  if (testMode && opState_ == S::kPoll && !saveAwaited && (job == JOB_FAILED || job == JOB_DONE)) {
    link_.ClearJob();
    jobFailCount_ = 0;
    opState_ = S::kIdle;
    job = 0;
  }
  // 6.
  if (job == JOB_WRITE || job == JOB_READ) {
    Progress();
  } else if (job == JOB_FAILED) {
    JobFailed();
    if (!UnitConnected() || !LinkEnabled()) return;
  } else if (job == JOB_DONE) {
    JobDone();
    if (!UnitConnected() || !LinkEnabled()) return;
  }
  // 7.
  if (opState_ == S::kIdle) {
    opAttempt_ = 0;
    // A reset or another program waits for the save of the last program: the unit is
    // busy saving, and the end of that program must still be reported.
    const bool saving = saveCountdown_ > 0 || programmedPending_;
    const bool waitsForSave =
        saving && (opRequest_ == OP_RESET || opRequest_ == OP_RESET_RELEASE ||
                   opRequest_ == OP_PROGRAM || opRequest_ == OP_PROGRAM_CHANGED);
    if (opRequest_ != 0 && !waitsForSave) {
      opState_ = opRequest_;
      opRequest_ = 0;
      jobFailCount_ = 0;
      if (opState_ == OP_PROGRAM) programAll_ = true;
      if (opState_ == OP_PROGRAM_CHANGED) programAll_ = false;
    } else if (opRequest_ == 0 && !saving && autoProgramFor_ != 0 &&
               autoProgramFor_ == connection_ && identPassed_ && !ChangedMaskEmpty() &&
               !ui_.PlayerActive()) {
      // A program the user's edits still wait for waits out a playback too: until it
      // stops, the image is the recording's.
      autoProgramFor_ = 0;
      opState_ = OP_PROGRAM_CHANGED;
      programAll_ = false;
      jobFailCount_ = 0;
    } else if (tickCount() - lastPollTick_ > kPollTicks) {
      lastPollTick_ = tickCount();
      opState_ = S::kPoll;
    }
  }
  // 8.
  if (link_.Job() == 0) StartAction();
  // 9.
  SaveProgress();
}

void DeviceOps::Progress() {
  const int32_t p = RangePercent(link_.CurrentAddress(), rangeStart_, rangeEnd_);
  ui_.SetGauge(kColourUnchanged, GaugeForState(opState_, p));
}

void DeviceOps::JobFailed() {
  link_.ClearJob();
  if (++jobFailCount_ < kFailTries) return;  // the same step is posted again
  jobFailCount_ = 0;
  const int32_t s = opState_;
  if (s == S::kPoll) {
    Disconnect();
  } else if (IsCheckingState(s)) {
    identPassed_ = false;
    Error(OpText::CheckingError);
    GaugeFailed();
    Ended(OP_CHECK, OpOutcome::Failed);
  } else if (IsReadState(s)) {
    Error(OpText::ReadError);
    GaugeFailed();
    Ended(OP_READ, OpOutcome::Failed);
  } else if (MayHaveWritten(s)) {
    // The link failed while writing or reading back: the unit may hold part of the set.
    ProgrammingInterrupted();
    GaugeFailed();
    ui_.OperationInterrupted(OpOfState(s));
    Ended(OpOfState(s), OpOutcome::Failed);
  } else if (s == S::kVerify || IsProgramState(s)) {
    Error(OpText::VerifyError);
    GaugeFailed();
    Ended(OpOfState(s), OpOutcome::Failed);
  } else {
    opState_ = S::kIdle;
    if (s == OP_RESET_RELEASE) ReleasePort();  // the port is given away all the same
    if (s == OP_RESET || s == OP_RESET_RELEASE) Ended(s, OpOutcome::Failed);
  }
}

void DeviceOps::JobDone() {
  link_.ClearJob();
  jobFailCount_ = 0;
  if (link_.LastJob() == JOB_MONITOR) MonitorHandOver();
  if (opState_ == S::kPoll) opState_ = S::kIdle;
  Completion();
}

void DeviceOps::MonitorHandOver() {
  const uint8_t* answer = link_.readImage;
  monitorBlock_[0] = 0;
  std::memcpy(monitorBlock_.data() + 1, answer, kMonitorBlockSize);
  // The unit sends a capture it announces right behind this answer, whoever still wants
  // it: the worker must take those bytes as the capture, never as frames.
  AnnounceCaptureOf(link_.capture, monitorBlock_.data());
  // The unit's save countdown: monitor word 8. Only live answers set it.
  saveCountdown_ = monitorBlock_[16] | (monitorBlock_[17] << 8);
  reportedBike_ = monitorBlock_[1];
  FollowCalibration();
  if (ui_.PlayerActive()) return;
  const int32_t key = answer[149];
  const int32_t version = answer[148];
  char text[256];
  if (key == kOwnKey && version == kOwnVersion) {
    keyCheckKind_ = 2;
    std::snprintf(text, sizeof text, "RSKEY=%d.%02d", key, version);
  } else {
    keyCheckKind_ = 1;
    // Another unit answers on this line: nothing may be read from or written to it until
    // a new check has identified it.
    identPassed_ = false;
    const OpText which = key != kOwnKey ? OpText::VersionMismatch : OpText::SubversionMismatch;
    std::snprintf(text, sizeof text, "%s  PC-%d.%02d, IGN-%d.%02d", LangText(DeviceText(which)),
                  kOwnKey, kOwnVersion, key, version);
  }
  if (keyCheckText_ != text) keyCheckText_ = text;
  // The connected message outlives this; a no-connection or unmatched message goes.
  ui_.ShowStatus(StatusSlot::kConnection, nullptr, 0, kColourUnchanged, kColourUnchanged,
                 kPriorityNormal);
  ui_.UnitTextChanged();
  ui_.MonitorBlockReady(monitorBlock_.data());
}

void DeviceOps::FollowCalibration() {
  MonitorCommands& c = monitorCommands;
  // Answers before the unlock pair has fully gone out say nothing about this calibration.
  if (!c.calibrationRunning || c.calibration != 0) {
    calibrationQuiet_ = 0;
    calibrationAnswers_ = 0;
    return;
  }
  // The answer to the request that carried the second half was made before the unit saw
  // it: it may still show the end of an earlier calibration.
  if (++calibrationAnswers_ == 1) return;
  const CalibrationReport report = ReadCalibrationReport(monitorBlock_.data());
  if (report.kind != CalibrationKind::None) lastCalibration_ = report;
  if (report.Ended()) {
    EndCalibration(c);
  } else if (report.phase == CalibrationPhase::Running) {
    calibrationQuiet_ = 0;
  } else if (++calibrationQuiet_ > kCalibrationStartAnswers) {
    EndCalibration(c);  // the unit did not take it up: nothing runs
  }
}

void DeviceOps::PostRead(int32_t start, int32_t end) {
  rangeStart_ = start;
  rangeEnd_ = end;
  link_.PostJob(JOB_READ, start, end - start, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE);
}

bool DeviceOps::ReadPermitted() const {
  return idBlock_[kIdReadAllowedByte] == 1 && img_.unitImage.Byte(kNoReadingAddress) == 0;
}

void DeviceOps::StartAction() {
  const int32_t s = opState_;
  switch (s) {
    case S::kPoll:
    case S::kCheckPoll:
    case S::kQuarter0Poll1:
    case S::kQuarter1Poll1:
    case S::kQuarter2Poll1:
    case S::kQuarter3Poll1:
    case S::kQuarter0Poll2:
    case S::kQuarter1Poll2:
    case S::kQuarter2Poll2:
    case S::kQuarter3Poll2:
      SendMonitor(link_, monitorCommands);
      return;
    case S::kCheckRead1:
    case S::kCheckRead2:
      Result(OpText::Checking);
      PostRead(0, kImage);
      return;
    case S::kCheckId1:
    case S::kProgramId1:
      ++opAttempt_;
      [[fallthrough]];
    case S::kCheckId2:
    case S::kProgramId2:
      rangeStart_ = 0;
      rangeEnd_ = kIdBlockSize;
      link_.PostJob(JOB_IDBLOCK, 0, kIdBlockSize, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE);
      Result(OpText::Checking);
      GaugeStart();
      return;
    case S::kQuarter0Read1:
      ++opAttempt_;
      [[fallthrough]];
    case S::kQuarter1Read1:
    case S::kQuarter2Read1:
    case S::kQuarter3Read1:
    case S::kQuarter0Read2:
    case S::kQuarter1Read2:
    case S::kQuarter2Read2:
    case S::kQuarter3Read2: {
      int32_t start = 0;
      int32_t end = 0;
      QuarterRange(s, &start, &end);
      Result(OpText::Checking);
      PostRead(start, end);
      return;
    }
    case S::kRead:
    case S::kVerify:
      if (!identPassed_) {
        // No passed identification on this connection: nothing is read or loaded.
        opState_ = S::kIdle;
        Ended(s, OpOutcome::Refused);
        return;
      }
      if (!ReadPermitted()) {
        Error(OpText::NoReading);
        GaugeRed100();
        opState_ = S::kIdle;
        Ended(s, OpOutcome::Refused);
        return;
      }
      if (s == S::kRead) programmedPending_ = false;
      ++opAttempt_;
      Result(s == S::kRead ? OpText::Read : OpText::Verify);
      GaugeStart();
      PostRead(0, kImage);
      return;
    case S::kReadAgain:
      Result(OpText::Verify);
      GaugeStart();
      PostRead(0, kImage);
      return;
    case S::kProgramWrite:
      ProgramStart();
      return;
    case S::kProgramReadBack:
      rangeStart_ = 0;
      rangeEnd_ = kImage;
      Result(OpText::Verify);
      if (programAll_) {
        link_.PostJob(JOB_READ, 0, kImage, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE);
      } else {
        for (int a = 0; a < kImage; ++a) link_.transferMask[a] = programMask_[a] ? 1 : 0;
        link_.PostJob(JOB_READ, 0, kImage, JOBF_CLEAR_WRITE);
      }
      return;
    case S::kReset:
    case S::kResetRelease:
      ResetStart();
      return;
    default:
      return;
  }
}

void DeviceOps::ResetStart() {
  // The special job's command block: zero but for the reset word at bytes 12-13. The whole
  // buffer is cleared: a protocol with 300-byte blocks sends bytes 150-299 too, which must
  // not carry what the last program left there.
  std::memset(link_.writeImage, 0, sizeof link_.writeImage);
  link_.writeImage[kResetWordByte] = kResetWord & 0xFF;
  link_.writeImage[kResetWordByte + 1] = kResetWord >> 8;
  link_.PostJob(JOB_SPECIAL, 0, 1, JOBF_MARK_RANGE);
}

void DeviceOps::ProgramStart() {
  const int32_t op = programAll_ ? OP_PROGRAM : OP_PROGRAM_CHANGED;
  if (!identPassed_) {
    opState_ = S::kIdle;
    Ended(op, OpOutcome::Refused);
    return;
  }
  // What this step writes, as it is now: edits made while it runs are programmed next.
  if (programAll_) {
    programMask_.fill(true);
  } else {
    programMask_ = img_.changedMask;
    if (ChangedMaskEmpty()) {
      Result(OpText::NothingToProgram);
      opState_ = S::kIdle;
      Ended(op, OpOutcome::Nothing);
      return;
    }
  }
  programImage_ = img_.params;
  ++opAttempt_;
  Result(OpText::Program);
  GaugeStart();
  rangeStart_ = 0;
  rangeEnd_ = kImage;
  if (programAll_) {
    img_.unitImage = img_.params;
    img_.unitImageValid = false;
    CompareUnitAndPc();
  }
  std::memcpy(link_.writeImage, programImage_.Data(), kImage);
  if (programAll_) {
    link_.PostJob(JOB_WRITE, 0, kImage, JOBF_MARK_RANGE);
  } else {
    for (int a = 0; a < kImage; ++a) link_.transferMask[a] = programMask_[a] ? 1 : 0;
    link_.PostJob(JOB_WRITE, 0, kImage, 0);
  }
}

// ------------------------------------------------------------------ completions

void DeviceOps::Completion() {
  const int32_t s = opState_;
  switch (s) {
    case S::kCheckPoll:
    case S::kQuarter0Poll1:
    case S::kQuarter1Poll1:
    case S::kQuarter2Poll1:
    case S::kQuarter3Poll1:
    case S::kQuarter0Poll2:
    case S::kQuarter1Poll2:
    case S::kQuarter2Poll2:
    case S::kQuarter3Poll2:
      opState_ = NextCheckState(s);
      return;
    case S::kCheckRead1:
    case S::kQuarter0Read1:
    case S::kQuarter1Read1:
    case S::kQuarter2Read1:
    case S::kQuarter3Read1:
      std::memcpy(firstRead_.data() + rangeStart_, link_.readImage + rangeStart_,
                  static_cast<size_t>(rangeEnd_ - rangeStart_));
      opState_ = NextCheckState(s);
      return;
    case S::kCheckRead2:
    case S::kQuarter0Read2:
    case S::kQuarter1Read2:
    case S::kQuarter2Read2:
    case S::kQuarter3Read2: {
      const size_t n = static_cast<size_t>(rangeEnd_ - rangeStart_);
      if (std::memcmp(link_.readImage + rangeStart_, firstRead_.data() + rangeStart_, n) != 0) {
        if (opAttempt_ > 1) {
          identPassed_ = false;
          Result(OpText::CheckingError);
          GaugeFailed();
          Ended(OP_CHECK, OpOutcome::Failed);
        } else {
          // Read the image again in quarters.
          ui_.SetGauge(kColourUnchanged, kQuarterRetryGauge);
          opState_ = S::kQuarter0Poll1;
        }
        return;
      }
      std::memcpy(img_.unitImage.Data() + rangeStart_, link_.readImage + rangeStart_, n);
      if (s == S::kCheckRead2 || s == S::kQuarter3Read2) {
        CheckingDone();
      } else {
        opState_ = NextCheckState(s);
      }
      return;
    }
    case S::kCheckId1:
    case S::kProgramId1:
      std::memcpy(firstRead_.data(), link_.readImage, kIdBlockSize);
      opState_ = s == S::kCheckId1 ? S::kCheckId2 : S::kProgramId2;
      return;
    case S::kCheckId2:
    case S::kProgramId2:
      IdentificationCheck();
      return;
    case S::kRead:
      std::memcpy(firstRead_.data(), link_.readImage, kImage);
      opState_ = S::kReadAgain;
      return;
    case S::kReadAgain:
      ReadResult();
      return;
    case S::kVerify:
      VerifyResult();
      return;
    case S::kProgramWrite:
      opState_ = S::kProgramReadBack;
      return;
    case S::kProgramReadBack:
      ProgramResult();
      return;
    case S::kReset:
    case S::kResetRelease:
      opState_ = S::kIdle;
      if (s == S::kResetRelease) ReleasePort();
      Ended(s, OpOutcome::Ok);
      return;
    default:
      return;
  }
}

void DeviceOps::IdentificationCheck() {
  const int32_t s = opState_;
  const bool checking = s == S::kCheckId2;
  const int32_t op = checking ? OP_CHECK : OpOfState(s);
  const uint8_t* block = link_.readImage;
  if (std::memcmp(block, firstRead_.data(), kIdBlockSize) != 0) {
    if (opAttempt_ < 2) {
      ui_.SetGauge(kColourUnchanged, 0);
      opState_ = checking ? S::kCheckId1 : S::kProgramId1;
    } else {
      identPassed_ = false;
      Result(OpText::CheckingError);
      GaugeFailed();
      Ended(op, OpOutcome::Failed);
    }
    return;
  }
  std::memcpy(idBlock_.data(), block, kIdBlockSize);
  idTexts_ = DeriveIdTexts(idBlock_.data());
  unitKey_ = idBlock_[kIdKeyByte];
  unitVersion_ = idBlock_[kIdVersionByte];
  NormalizeParams(img_.params);
  ui_.RefreshActivePage();
  ui_.UnitTextChanged();
  if (unitKey_ != kOwnKey || unitVersion_ != kOwnVersion) {
    identPassed_ = false;
    opState_ = S::kIdle;
    QueueVersionBox(unitKey_, unitVersion_);
    GaugeRed100();
    Ended(op, OpOutcome::Refused);
    return;
  }
  identPassed_ = true;
  if (checking && idBlock_[kIdReadAllowedByte] != 1) {
    Error(OpText::NoReading);
    GaugeFailed();
    Ended(OP_CHECK, OpOutcome::Refused);
    return;
  }
  opAttempt_ = 0;
  opState_ = checking ? S::kCheckPoll : S::kProgramWrite;
}

void DeviceOps::CheckingDone() {
  img_.unitImageValid = true;
  CompareUnitAndPc();
  Result(OpText::CheckingOk);
  ui_.SetGauge(kColourUnchanged, kGaugeFull);
  opState_ = S::kIdle;
  Ended(OP_CHECK, OpOutcome::Ok);
}

void DeviceOps::ReadResult() {
  const uint8_t* read = link_.readImage;
  if (std::memcmp(read, firstRead_.data(), kImage) != 0) {
    if (opAttempt_ > 1) {
      Result(OpText::VerifyError);
      GaugeFailed();
      Ended(OP_READ, OpOutcome::Failed);
    } else {
      ui_.SetGauge(kColourUnchanged, 0);
      opState_ = S::kRead;
    }
    return;
  }
  opState_ = S::kIdle;
  if (read[kNoReadingAddress] != 0) {
    Error(OpText::NoReading);
    Ended(OP_READ, OpOutcome::Refused);
    return;
  }
  int corrected = 0;
  ui_.ReplaceParams([&] {
    std::memcpy(img_.params.Data(), read, kImage);
    NormalizeParams(img_.params);
    // The unit image is what the unit holds; what the normalisation corrected is marked
    // changed, so the screen says "different" until the corrections are programmed.
    for (int a = 0; a < kImage; ++a) {
      const bool differs = img_.params.Byte(a) != read[a];
      img_.changedMask[static_cast<size_t>(a)] = differs;
      if (differs && a != kNoReadingAddress) ++corrected;
    }
    autoProgramFor_ = 0;
    std::memcpy(img_.unitImage.Data(), read, kImage);
    img_.unitImageValid = true;
    ui_.ClearCurrentFile();
  });
  ui_.ClearNewInstal();
  CompareUnitAndPc();
  Result(corrected == 0 ? OpText::VerifyOk : OpText::VerifyCorrected);
  ui_.SetGauge(kColourUnchanged, kGaugeFull);
  Ended(OP_READ, corrected == 0 ? OpOutcome::Ok : OpOutcome::Corrected);
}

void DeviceOps::VerifyResult() {
  const uint8_t* read = link_.readImage;
  std::memcpy(verifiedImage_.Data(), read, kImage);
  bool differs = false;
  for (int a = 0; a < kImage && !differs; ++a) {
    differs = a != kNoReadingAddress && img_.params.Byte(a) != read[a];
  }
  if (differs) {
    if (opAttempt_ > 1) {
      Result(OpText::VerifyError);
      GaugeFailed();
      Ended(OP_VERIFY, OpOutcome::Different);
    } else {
      ui_.SetGauge(kColourUnchanged, 0);  // the step runs again
    }
    return;
  }
  Result(OpText::VerifyOk);
  ui_.SetGauge(kColourUnchanged, kGaugeFull);
  opState_ = S::kIdle;
  Ended(OP_VERIFY, OpOutcome::Ok);
}

void DeviceOps::ProgramResult() {
  const int32_t op = programAll_ ? OP_PROGRAM : OP_PROGRAM_CHANGED;
  // Every written byte must have come back, equal to what was written.
  bool same = true;
  for (int a = 0; a < kImage && same; ++a) {
    if (!programMask_[static_cast<size_t>(a)]) continue;
    same = link_.readFlags[a] != 0 && link_.readImage[a] == programImage_.Byte(a);
  }
  if (!same) {
    if (opAttempt_ > 1) {
      Result(OpText::VerifyError);
      GaugeFailed();
      Ended(op, OpOutcome::Failed);
    } else {
      ui_.SetGauge(kColourUnchanged, 0);
      opState_ = S::kProgramWrite;
    }
    return;
  }
  if (programMask_[kNoReadingAddress]) {
    idBlock_[kIdReadAllowedByte] = programImage_.Byte(kNoReadingAddress) != 0 ? 0 : 1;
  }
  for (int a = 0; a < kImage; ++a) {
    const size_t i = static_cast<size_t>(a);
    if (!programMask_[i]) continue;
    // Only what still equals the written value is done; a later edit stays marked.
    if (img_.params.Byte(a) == programImage_.Byte(a)) img_.changedMask[i] = false;
  }
  // Whole blocks were written, so bytes beside the marked ones may have changed in the
  // unit too: everything read back is what the unit now holds.
  for (int a = 0; a < kImage; ++a) {
    if (link_.readFlags[a] != 0) img_.unitImage.SetByte(a, link_.readImage[a]);
  }
  if (!programAll_) CompareUnitAndPc();
  Result(OpText::VerifyOk);
  ui_.SetGauge(kColourUnchanged, kGaugeFull);
  opState_ = S::kIdle;
  programmedPending_ = true;
  pendingSetsValid_ = programAll_;
  pendingOp_ = op;
  saveCountdown_ = 1;
}

void DeviceOps::SaveProgress() {
  if (saveCountdown_ > 0) {
    if (link_.Job() == 0) Result(OpText::Saving);
    ui_.SetGauge(
        kColourUnchanged,
        std::clamp((kSaveStart - saveCountdown_) * kGaugeFull / kSaveStart, 0, kGaugeFull));
    ui_.ShowGauge();
  } else if (programmedPending_) {
    if (pendingSetsValid_) img_.unitImageValid = true;
    programmedPending_ = false;
    CompareUnitAndPc();
    Result(OpText::ProgramOk);
    ui_.SetGauge(kColourUnchanged, kGaugeFull);
    Ended(pendingOp_, OpOutcome::Ok);
  }
}

}  // namespace zeda
