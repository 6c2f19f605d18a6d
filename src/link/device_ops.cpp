#include "link/device_ops.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/tick_clock.h"
#include "lang/lang_string.h"
#include "link/op_progress.h"
#include "params/normalize.h"

namespace zeda {

namespace {

constexpr int32_t kResultMs = 2000;
constexpr int32_t kCongruenceMs = 4000;
constexpr int32_t kNoExpiry = -1;
constexpr int32_t kFailTries = 3;
constexpr int32_t kPollTicks = 6;  // an idle poll when more ticks than this have passed
constexpr int32_t kConnectedPriority = 10;
constexpr int kImage = PARAM_IMAGE_SIZE;

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }
bool IsCheckingState(int32_t s) { return InRange(s, 29, 33) || InRange(s, 48, 63); }

}  // namespace

DeviceOps::DeviceOps(CCOMCOM& link, ImageBuffers& images, DeviceOpsUi& ui)
    : link_(link), img_(images), ui_(ui) {}

// ------------------------------------------------------------------ user-visible effects

void DeviceOps::Result(OpText text) {
  ui_.ShowStatus(2, DeviceText(text), kResultMs, kColourUnchanged, kColourButtonFace, 10);
}

void DeviceOps::Error(OpText text) {
  ui_.ShowStatus(2, DeviceText(text), kResultMs, kColourUnchanged, kColourRed, 10);
}

void DeviceOps::GaugeStart() {
  ui_.SetGauge(kColourAqua, 0);
  ui_.ShowGauge();
}

void DeviceOps::GaugeRed100() {
  ui_.SetGauge(kColourRed, 100);
  ui_.ShowGauge();
}

void DeviceOps::GaugeFailed() {
  GaugeRed100();
  opState_ = 1;
}

void DeviceOps::Ended(int32_t op, OpOutcome outcome) { ui_.OperationEnded(op, outcome); }

int32_t DeviceOps::OpOfState(int32_t state) const {
  if (IsCheckingState(state)) return OP_CHECK;
  if (state == 64 || state == 65) return OP_READ;
  if (state == 80) return OP_VERIFY;
  if (InRange(state, 96, 99)) return programAll_ ? OP_PROGRAM : OP_PROGRAM_CHANGED;
  return state;
}

bool DeviceOps::Busy() const {
  return opState_ > 2 || opRequest_ != 0 || programmedPending_ || saveCountdown_ > 0;
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
  img_.updateFileMatches();
  ui_.UpdateTitle();
  if (!img_.unitImageValid) {
    ui_.ShowStatus(4, nullptr, 0, kColourUnchanged, kColourUnchanged, 10);
  } else if (img_.unitImage.byte(kNoReadingAddress) != 0) {
    ui_.ShowStatus(4, DeviceText(OpText::NoReading), kCongruenceMs, kColourUnchanged, kColourYellow,
                   10);
  } else if (img_.unitImage != img_.params) {
    ui_.ShowStatus(4, DeviceText(OpText::Different), kNoExpiry, kColourUnchanged, kColourYellow,
                   10);
  } else {
    ui_.ShowStatus(4, DeviceText(OpText::Identical), kCongruenceMs, kColourUnchanged, kColourGreen,
                   10);
  }
}

// An operation, or the unit's save after programming, was cut off by the loss of the
// connection: the user sees its error, never silence.
void DeviceOps::LostDuringOperation() {
  const int32_t s = opState_;
  if (IsCheckingState(s)) {
    Error(OpText::CheckingError);
  } else if (s == 64 || s == 65) {
    Error(OpText::ReadError);
  } else if (s == 80 || InRange(s, 96, 99) || programmedPending_) {
    Error(OpText::VerifyError);
  } else {
    opState_ = 0;
    return;
  }
  GaugeRed100();
  Ended(programmedPending_ && !InRange(s, 29, 99) ? pendingOp_ : OpOfState(s), OpOutcome::Failed);
  programmedPending_ = false;
  saveCountdown_ = 0;
  opState_ = 0;
}

void DeviceOps::Disconnect() {
  LostDuringOperation();
  link_.CloseLink();
  opState_ = 0;
  programmedPending_ = false;
  saveCountdown_ = 0;
  if (LinkEnabled()) {
    ui_.ShowStatus(1, DeviceText(OpText::NoConnection), kNoExpiry, kColourBlack, kColourRed, -5);
  }
  identPassed_ = false;
  // An automatic program belongs to this connection; its bytes stay in changedMask.
  if (opRequest_ == OP_PROGRAM_CHANGED) opRequest_ = 0;
  img_.unitImageValid = false;
  CompareUnitAndPc();
  keyCheckKind_ = 0;
  keyCheckText_.clear();
  ui_.UnitTextChanged();
}

bool DeviceOps::CanRelease() const {
  // A pending request (a reset asked before the release) runs first.
  return opState_ <= 2 && opRequest_ == 0 && saveCountdown_ <= 0 && !programmedPending_;
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
  if (!UnitConnected() || !identPassed_ || ChangedMaskEmpty()) return;
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
    if (LinkEnabled()) {
      ui_.ShowStatus(1, DeviceText(OpText::NoConnection), kNoExpiry, kColourBlack, kColourRed, -5);
    }
  }
  // 2.
  link_.SuperviseLink();
  // 3.
  if (!UnitConnected() || !LinkEnabled()) {
    // A hand-over asked for on the lost connection still gives its port away.
    const bool handOver = releaseWanted_ || opState_ == OP_RESET_RELEASE;
    if (opState_ != 0 || programmedPending_) Disconnect();  // the connection was lost
    opState_ = 0;
    if (handOver && LinkEnabled()) ReleasePort(lastPort_);
    ShowComText();
    return;
  }
  // 4.
  if (opState_ == 0) {
    ++connection_;
    opState_ = 32;
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
  if (testMode && opState_ == 2 && !saveAwaited && (job == JOB_FAILED || job == JOB_DONE)) {
    link_.ClearJob();
    jobFailCount_ = 0;
    opState_ = 1;
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
  if (opState_ == 1) {
    opAttempt_ = 0;
    const bool resetWaits = (opRequest_ == OP_RESET || opRequest_ == OP_RESET_RELEASE) &&
                            (saveCountdown_ > 0 || programmedPending_);
    if (opRequest_ != 0 && !resetWaits) {
      opState_ = opRequest_;
      opRequest_ = 0;
      jobFailCount_ = 0;
      if (opState_ == OP_PROGRAM) programAll_ = true;
      if (opState_ == OP_PROGRAM_CHANGED) programAll_ = false;
    } else if (opRequest_ == 0 && autoProgramFor_ != 0 && autoProgramFor_ == connection_ &&
               identPassed_ && !ChangedMaskEmpty()) {
      autoProgramFor_ = 0;
      opState_ = OP_PROGRAM_CHANGED;
      programAll_ = false;
      jobFailCount_ = 0;
    } else if (tickCount() - lastPollTick_ > kPollTicks) {
      lastPollTick_ = tickCount();
      opState_ = 2;
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
  if (s == 2) {
    Disconnect();
  } else if (IsCheckingState(s)) {
    identPassed_ = false;
    Error(OpText::CheckingError);
    GaugeFailed();
    Ended(OP_CHECK, OpOutcome::Failed);
  } else if (s == 64 || s == 65) {
    Error(OpText::ReadError);
    GaugeFailed();
    Ended(OP_READ, OpOutcome::Failed);
  } else if (s == 80 || InRange(s, 96, 99)) {
    Error(OpText::VerifyError);
    GaugeFailed();
    Ended(OpOfState(s), OpOutcome::Failed);
  } else {
    opState_ = 1;
    if (s == OP_RESET_RELEASE) ReleasePort();  // the port is given away all the same
    if (s == OP_RESET || s == OP_RESET_RELEASE) Ended(s, OpOutcome::Failed);
  }
}

void DeviceOps::JobDone() {
  link_.ClearJob();
  jobFailCount_ = 0;
  if (link_.LastJob() == JOB_MONITOR) MonitorHandOver();
  if (opState_ == 2) opState_ = 1;
  Completion();
}

void DeviceOps::MonitorHandOver() {
  const uint8_t* answer = link_.readImage;
  monitorBlock_[0] = 0;
  std::memcpy(monitorBlock_.data() + 1, answer, kMonitorBlockSize);
  // The unit's save countdown: monitor word 8. Only live answers set it.
  saveCountdown_ = monitorBlock_[16] | (monitorBlock_[17] << 8);
  reportedBike_ = monitorBlock_[1];
  if (ui_.PlayerActive()) return;
  const int32_t key = answer[149];
  const int32_t version = answer[148];
  char text[256];
  if (key == kOwnKey && version == kOwnVersion) {
    keyCheckKind_ = 2;
    std::snprintf(text, sizeof text, "RSKEY=%d.%02d", key, version);
  } else {
    keyCheckKind_ = 1;
    const OpText which = key != kOwnKey ? OpText::VersionMismatch : OpText::SubversionMismatch;
    std::snprintf(text, sizeof text, "%s  PC-%d.%02d, IGN-%d.%02d", LangText(DeviceText(which)),
                  kOwnKey, kOwnVersion, key, version);
  }
  if (keyCheckText_ != text) keyCheckText_ = text;
  // Priority 10: the connected message (100) stays, a no-connection message goes.
  ui_.ShowStatus(1, nullptr, 0, kColourUnchanged, kColourUnchanged, kConnectedPriority);
  ui_.UnitTextChanged();
  ui_.MonitorBlockReady(monitorBlock_.data());
}

void DeviceOps::PostRead(int32_t start, int32_t end) {
  rangeStart_ = start;
  rangeEnd_ = end;
  link_.PostJob(JOB_READ, start, end - start, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE);
}

bool DeviceOps::ReadPermitted() const {
  return idBlock_[9] == 1 && img_.unitImage.byte(kNoReadingAddress) == 0;
}

void DeviceOps::StartAction() {
  const int32_t s = opState_;
  switch (s) {
    case 2:
    case 29:
    case 52:
    case 53:
    case 54:
    case 55:
    case 60:
    case 61:
    case 62:
    case 63:
      SendMonitor(link_, monitorCommands);
      return;
    case 30:
    case 31:
      Result(OpText::Checking);
      PostRead(0, kImage);
      return;
    case 32:
    case 96:
      ++opAttempt_;
      [[fallthrough]];
    case 33:
    case 97:
      rangeStart_ = 0;
      rangeEnd_ = kIdBlockSize;
      link_.PostJob(JOB_IDBLOCK, 0, kIdBlockSize, JOBF_MARK_RANGE | JOBF_CLEAR_WRITE);
      Result(OpText::Checking);
      GaugeStart();
      return;
    case 48:
      ++opAttempt_;
      [[fallthrough]];
    case 49:
    case 50:
    case 51:
    case 56:
    case 57:
    case 58:
    case 59: {
      int32_t start = 0;
      int32_t end = 0;
      QuarterRange(s, &start, &end);
      Result(OpText::Checking);
      PostRead(start, end);
      return;
    }
    case OP_READ:
    case OP_VERIFY:
      if (!identPassed_) {
        // No passed identification on this connection: nothing is read or loaded.
        opState_ = 1;
        Ended(s, OpOutcome::Refused);
        return;
      }
      if (!ReadPermitted()) {
        Error(OpText::NoReading);
        GaugeRed100();
        opState_ = 1;
        Ended(s, OpOutcome::Refused);
        return;
      }
      if (s == OP_READ) programmedPending_ = false;
      ++opAttempt_;
      Result(s == OP_READ ? OpText::Read : OpText::Verify);
      GaugeStart();
      PostRead(0, kImage);
      return;
    case 65:
      Result(OpText::Verify);
      GaugeStart();
      PostRead(0, kImage);
      return;
    case 98:
      ProgramStart();
      return;
    case 99:
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
    case OP_RESET:
    case OP_RESET_RELEASE:
      ResetStart();
      return;
    default:
      return;
  }
}

void DeviceOps::ResetStart() {
  std::memset(link_.writeImage, 0, kIdBlockSize);
  link_.writeImage[12] = 0xA5;
  link_.writeImage[13] = 0x10;
  link_.PostJob(JOB_SPECIAL, 0, 1, JOBF_MARK_RANGE);
}

void DeviceOps::ProgramStart() {
  const int32_t op = programAll_ ? OP_PROGRAM : OP_PROGRAM_CHANGED;
  if (!identPassed_) {
    opState_ = 1;
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
      opState_ = 1;
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
  std::memcpy(link_.writeImage, programImage_.data(), kImage);
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
    case 29:
      opState_ = 30;
      return;
    case 30:
    case 48:
    case 49:
    case 50:
    case 51:
      std::memcpy(firstRead_.data() + rangeStart_, link_.readImage + rangeStart_,
                  static_cast<size_t>(rangeEnd_ - rangeStart_));
      opState_ = s == 30 ? 31 : (s == 51 ? 60 : s + 5);
      return;
    case 31:
    case 56:
    case 57:
    case 58:
    case 59: {
      const size_t n = static_cast<size_t>(rangeEnd_ - rangeStart_);
      if (std::memcmp(link_.readImage + rangeStart_, firstRead_.data() + rangeStart_, n) != 0) {
        if (opAttempt_ > 1) {
          identPassed_ = false;
          Result(OpText::CheckingError);
          GaugeFailed();
          Ended(OP_CHECK, OpOutcome::Failed);
        } else {
          ui_.SetGauge(kColourUnchanged, 12);
          opState_ = 52;
        }
        return;
      }
      std::memcpy(img_.unitImage.data() + rangeStart_, link_.readImage + rangeStart_, n);
      if (s == 31 || s == 59) {
        CheckingDone();
      } else {
        opState_ = s + 5;
      }
      return;
    }
    case 32:
    case 96:
      std::memcpy(firstRead_.data(), link_.readImage, kIdBlockSize);
      opState_ = s + 1;
      return;
    case 33:
    case 97:
      IdentificationCheck();
      return;
    case 52:
    case 53:
    case 54:
    case 55:
    case 60:
    case 61:
    case 62:
    case 63:
      opState_ = s - 4;
      return;
    case OP_READ:
      std::memcpy(firstRead_.data(), link_.readImage, kImage);
      opState_ = 65;
      return;
    case 65:
      ReadResult();
      return;
    case OP_VERIFY:
      VerifyResult();
      return;
    case 98:
      opState_ = 99;
      return;
    case 99:
      ProgramResult();
      return;
    case OP_RESET:
    case OP_RESET_RELEASE:
      opState_ = 1;
      if (s == OP_RESET_RELEASE) ReleasePort();
      Ended(s, OpOutcome::Ok);
      return;
    default:
      return;
  }
}

void DeviceOps::IdentificationCheck() {
  const int32_t s = opState_;
  const int32_t op = s == 33 ? OP_CHECK : OpOfState(s);
  const uint8_t* block = link_.readImage;
  if (std::memcmp(block, firstRead_.data(), kIdBlockSize) != 0) {
    if (opAttempt_ < 2) {
      ui_.SetGauge(kColourUnchanged, 0);
      opState_ = s - 1;
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
  unitKey_ = idBlock_[10];
  unitVersion_ = idBlock_[11];
  NormalizeParams(img_.params);
  ui_.RefreshActivePage();
  ui_.UnitTextChanged();
  if (unitKey_ != kOwnKey || unitVersion_ != kOwnVersion) {
    identPassed_ = false;
    opState_ = 1;
    QueueVersionBox(unitKey_, unitVersion_);
    GaugeRed100();
    Ended(op, OpOutcome::Refused);
    return;
  }
  identPassed_ = true;
  if (s == 33 && idBlock_[9] != 1) {
    Error(OpText::NoReading);
    GaugeFailed();
    Ended(OP_CHECK, OpOutcome::Refused);
    return;
  }
  opAttempt_ = 0;
  opState_ = s == 33 ? 29 : 98;
}

void DeviceOps::CheckingDone() {
  img_.unitImageValid = true;
  CompareUnitAndPc();
  Result(OpText::CheckingOk);
  ui_.SetGauge(kColourUnchanged, 100);
  opState_ = 1;
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
      opState_ = OP_READ;
    }
    return;
  }
  opState_ = 1;
  if (read[kNoReadingAddress] != 0) {
    Error(OpText::NoReading);
    Ended(OP_READ, OpOutcome::Refused);
    return;
  }
  std::memcpy(img_.params.data(), read, kImage);
  ui_.ClearNewInstal();
  NormalizeParams(img_.params);
  // The unit image is what the unit holds; what the normalisation corrected is marked
  // changed, so the screen says "different" until the corrections are programmed.
  int corrected = 0;
  for (int a = 0; a < kImage; ++a) {
    const bool differs = img_.params.byte(a) != read[a];
    img_.changedMask[static_cast<size_t>(a)] = differs;
    if (differs && a != kNoReadingAddress) ++corrected;
  }
  autoProgramFor_ = 0;
  std::memcpy(img_.unitImage.data(), read, kImage);
  img_.unitImageValid = true;
  ui_.ClearCurrentFile();
  CompareUnitAndPc();
  ui_.RecordUndo();
  NormalizeParams(img_.params);
  ui_.RefreshPages();
  Result(corrected == 0 ? OpText::VerifyOk : OpText::VerifyCorrected);
  ui_.SetGauge(kColourUnchanged, 100);
  Ended(OP_READ, corrected == 0 ? OpOutcome::Ok : OpOutcome::Corrected);
}

void DeviceOps::VerifyResult() {
  const uint8_t* read = link_.readImage;
  bool differs = false;
  for (int a = 0; a < kImage && !differs; ++a) {
    differs = a != kNoReadingAddress && img_.params.byte(a) != read[a];
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
  ui_.SetGauge(kColourUnchanged, 100);
  opState_ = 1;
  Ended(OP_VERIFY, OpOutcome::Ok);
}

void DeviceOps::ProgramResult() {
  const int32_t op = programAll_ ? OP_PROGRAM : OP_PROGRAM_CHANGED;
  // Every written byte must have come back, equal to what was written.
  bool same = true;
  for (int a = 0; a < kImage && same; ++a) {
    if (!programMask_[static_cast<size_t>(a)]) continue;
    same = link_.readFlags[a] != 0 && link_.readImage[a] == programImage_.byte(a);
  }
  if (!same) {
    if (opAttempt_ > 1) {
      Result(OpText::VerifyError);
      GaugeFailed();
      Ended(op, OpOutcome::Failed);
    } else {
      ui_.SetGauge(kColourUnchanged, 0);
      opState_ = 98;
    }
    return;
  }
  if (programMask_[kNoReadingAddress]) {
    idBlock_[9] = programImage_.byte(kNoReadingAddress) != 0 ? 0 : 1;
  }
  for (int a = 0; a < kImage; ++a) {
    const size_t i = static_cast<size_t>(a);
    if (!programMask_[i]) continue;
    // Only what still equals the written value is done; a later edit stays marked.
    if (img_.params.byte(a) == programImage_.byte(a)) img_.changedMask[i] = false;
    if (!programAll_) img_.unitImage.setByte(a, link_.readImage[a]);
  }
  if (!programAll_) CompareUnitAndPc();
  Result(OpText::VerifyOk);
  ui_.SetGauge(kColourUnchanged, 100);
  opState_ = 1;
  programmedPending_ = true;
  pendingSetsValid_ = programAll_;
  pendingOp_ = op;
  saveCountdown_ = 1;
}

void DeviceOps::SaveProgress() {
  if (saveCountdown_ > 0) {
    if (link_.Job() == 0) Result(OpText::Saving);
    ui_.SetGauge(kColourUnchanged,
                 std::clamp((kSaveStart - saveCountdown_) * 100 / kSaveStart, 0, 100));
    ui_.ShowGauge();
  } else if (programmedPending_) {
    if (pendingSetsValid_) img_.unitImageValid = true;
    programmedPending_ = false;
    CompareUnitAndPc();
    Result(OpText::ProgramOk);
    ui_.SetGauge(kColourUnchanged, 100);
    Ended(pendingOp_, OpOutcome::Ok);
  }
}

}  // namespace zeda
