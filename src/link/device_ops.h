#pragma once
// The device-operation machine: turns Read, Verify, Program, Reset and the check of a newly
// connected unit into link jobs, checks every result, moves bytes between the link buffers
// and the parameter buffers, and tells the user what happens through DeviceOpsUi.
//
// Runs in the user-interface thread on every second main tick (RunDeviceOps); it never
// waits, it looks at the job word and posts the next job. The window and zedactl run the
// same machine; only DeviceOpsUi differs.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/colours.h"
#include "base/identity.h"
#include "base/message_box.h"
#include "base/status_sink.h"
#include "link/calibration_report.h"
#include "link/ccomcom.h"
#include "link/device_texts.h"
#include "link/id_texts.h"
#include "link/op_states.h"
#include "link/test_requests.h"
#include "link/transfer_jobs.h"
#include "params/param_image.h"

namespace zeda {

// Requests (opRequest): each starts the state of its own code.
inline constexpr int32_t OP_READ = OpState::kRead;
inline constexpr int32_t OP_VERIFY = OpState::kVerify;
inline constexpr int32_t OP_PROGRAM = OpState::kProgramId1;
inline constexpr int32_t OP_PROGRAM_CHANGED = OpState::kProgramWrite;
inline constexpr int32_t OP_RESET = OpState::kReset;
inline constexpr int32_t OP_RESET_RELEASE = OpState::kResetRelease;
inline constexpr int32_t OP_CHECK =
    OpState::kCheckId1;  // reported only: the check of a new connection

inline constexpr int32_t kOwnKey = kUnitKey;
inline constexpr int32_t kOwnVersion = kUnitVersion;
inline constexpr int kMonitorBlockPositions = 151;  // position 0 stays 0
inline constexpr int32_t kSaveStart = 2100;         // the unit's countdown when a save starts
inline constexpr int kNoReadingAddress = 186;

// How an operation ended, for front ends that wait for it (zedactl).
enum class OpOutcome {
  Ok,         // done; Read: nothing corrected
  Corrected,  // Read: the normalisation corrected values
  Different,  // Verify: the unit differs from params
  Failed,     // link failure, two reads or the read-back disagreed, connection lost
  Refused,    // other key or version, read-out lock, not identified
  Nothing,    // an automatic program with no changed byte
};

// What the machine needs from its front end: the status messages (the same interface the
// search reports through, so one object serves both) and the rest of the window.
class DeviceOpsUi : public StatusSink {
 public:
  // The progress gauge (CGaugeProgram, maximum 100): colour kColourUnchanged keeps it.
  virtual void SetGauge(Colour foreground, int32_t progress) = 0;
  virtual void ShowGauge() = 0;
  virtual void SetLabelCom(const char* text) = 0;
  virtual void UpdateTitle() = 0;
  // keyCheckKind, keyCheckText or the identification texts changed (panel 4).
  virtual void UnitTextChanged() = 0;
  // params normalised by the machine: the active page reloads from it.
  virtual void RefreshActivePage() {}
  // A successful read replaces params: `replace` does it. The front end runs it as the
  // document's replacement (pending edits committed before, every page reloaded and one
  // undo step after).
  virtual void ReplaceParams(const std::function<void()>& replace) { replace(); }
  // A successful read: the current file name is cleared (and the title follows).
  virtual void ClearCurrentFile() {}
  // A successful read: the new-installation setting is cleared and the settings saved
  // when it was set.
  virtual void ClearNewInstal() {}
  // This is a new installation whose unit can be read: nothing may be programmed before the
  // unit is read or a file is opened.
  virtual bool NewInstallation() const { return false; }
  // A live monitor answer (monitorBlock, 151 positions) for display, recorder and CSV.
  virtual void MonitorBlockReady(const uint8_t* /*block*/) {}
  virtual bool PlayerActive() const { return false; }
  // An operation ended (request code or OP_CHECK).
  virtual void OperationEnded(int32_t /*op*/, OpOutcome /*outcome*/) {}
  // A program (or the unit's save after it) was cut off by the loss of the link; called
  // just before OperationEnded(op, Failed).
  virtual void OperationInterrupted(int32_t /*op*/) {}
};

class DeviceOps {
 public:
  DeviceOps(CCOMCOM& link, ImageBuffers& images, DeviceOpsUi& ui);

  // One run of the machine (every second tick). Does nothing when called from inside
  // itself (a front end that handles an event loop in a callback).
  void RunDeviceOps();

  // ---- Requests (commands, automatic programming, self-test, hand-over) ----
  // Sets opRequest. A pending reset-and-release (129) is never replaced; a pending
  // automatic program that is replaced is asked for again afterwards. False when refused.
  bool Request(int32_t code);
  // After a committed edit (with programming after change on): program the changed bytes
  // when the unit passed its identification on this connection. Never replaces another
  // request; it is asked for again once that one is done.
  void RequestAutoProgram();
  // A Test page button: its request goes out with the next monitor request. Refused
  // (false) without a connected unit that passed its identification, and for a button
  // that sets nothing. Requests not yet sent are dropped when the connection ends.
  bool RequestTest(TestButton button);
  // A calibration was started and the unit has not reported its end (see EndCalibration).
  // It ends when the unit reports it done or failed, when another test button cuts its
  // unlock pair short, when the unit does not report it running within a few answers after
  // the pair, and with the connection.
  bool CalibrationRunning() const { return monitorCommands.calibrationRunning; }
  // The last calibration the unit reported on this run (kind None before any).
  const CalibrationReport& LastCalibration() const { return lastCalibration_; }

  // ---- Port hand-over and connection ----
  void Disconnect();
  // Another program takes the port: at once when nothing runs, else once the operation
  // and the unit's save have ended.
  void RequestRelease();
  // com: the port to remember when no unit is connected (0: keep the remembered one).
  void ReleasePort(int32_t com = 0);
  void TakeBackPort();
  void CompareUnitAndPc();

  // Message boxes asked for during the last run; the front end shows them after
  // RunDeviceOps has returned.
  bool TakeMessage(UserMessage* message);

  // ---- State (read by the front ends and tests) ----
  bool UnitConnected() const { return link_.connectedPort.load() != 0; }
  bool LinkEnabled() const { return link_.linkEnabled.load() != 0; }
  int32_t ConnectedPortNumber() const { return link_.connectedPort.load(); }
  // Counts connections: each new connection (before its check) takes the next number.
  uint32_t ConnectionNumber() const { return connection_; }
  int32_t opState() const { return opState_; }
  int32_t opRequest() const { return opRequest_; }
  int32_t opAttempt() const { return opAttempt_; }
  int32_t jobFailCount() const { return jobFailCount_; }
  int32_t saveCountdown() const { return saveCountdown_; }
  bool programmedPending() const { return programmedPending_; }
  bool programAll() const { return programAll_; }
  bool IdentPassed() const { return identPassed_; }
  bool ReleaseWanted() const { return releaseWanted_; }
  int32_t RememberedPort() const { return rememberedPort_; }
  // True while the machine works on something (not idle, not polling).
  bool Busy() const;
  const uint8_t* idBlock() const { return idBlock_.data(); }
  const uint8_t* monitorBlock() const { return monitorBlock_.data(); }
  const IdTexts& UnitIdTexts() const { return idTexts_; }
  int keyCheckKind() const { return keyCheckKind_; }
  const std::string& keyCheckText() const { return keyCheckText_; }
  // BIKE as the unit's monitor answers report it (block position 1), -1 before any.
  int32_t ReportedBike() const { return reportedBike_; }
  // What the last Verify read from the unit, kept when it ended: the link's read buffer is
  // reused by the next job (the idle polls), so a list of differences taken from it later
  // could name fields the unit does not hold.
  const ParamImage& VerifiedImage() const { return verifiedImage_; }
  // The unit's key and version from the identification block of this connection (-1).
  int32_t UnitKey() const { return unitKey_; }
  int32_t UnitVersion() const { return unitVersion_; }

  // Test mode (service switch file): the result of an idle poll is dropped.
  bool testMode = false;
  // What the Test page and the pickup monitor want sent with the monitor requests.
  MonitorCommands monitorCommands;

 private:
  void Result(OpText text);
  void Error(OpText text);
  void ShowNoConnection();
  void ProgrammingInterrupted();
  void GaugeStart();
  void GaugeFailed();
  void GaugeRed100();
  void Ended(int32_t op, OpOutcome outcome);
  void ShowComText();
  void LostDuringOperation();
  void JobFailed();
  void JobDone();
  void StartAction();
  void Completion();
  void Progress();
  void SaveProgress();
  void MonitorHandOver();
  void FollowCalibration();
  void IdentificationCheck();
  void CheckingDone();
  void ReadResult();
  void VerifyResult();
  void ProgramStart();
  void ProgramResult();
  void ResetStart();
  bool ReadPermitted() const;
  bool ChangedMaskEmpty() const;
  bool CanRelease() const;
  void QueueVersionBox(int32_t key, int32_t version);
  int32_t OpOfState(int32_t state) const;
  void PostRead(int32_t start, int32_t end);

  CCOMCOM& link_;
  ImageBuffers& img_;
  DeviceOpsUi& ui_;

  int32_t opState_ = 0;
  int32_t opRequest_ = 0;
  int32_t opAttempt_ = 0;
  int32_t jobFailCount_ = 0;
  int32_t lastPollTick_ = 0;
  int32_t rangeStart_ = 0;
  int32_t rangeEnd_ = 0;
  std::array<uint8_t, PARAM_IMAGE_SIZE> firstRead_{};
  std::array<uint8_t, kIdBlockSize> idBlock_{};
  std::array<uint8_t, kMonitorBlockPositions> monitorBlock_{};
  bool programAll_ = false;
  bool programmedPending_ = false;
  bool pendingSetsValid_ = false;  // the pending save ends a whole-image program
  int32_t saveCountdown_ = 0;

  // Snapshot of what a program step writes: the image and the addresses.
  ParamImage programImage_;
  ParamImage verifiedImage_;
  std::array<bool, PARAM_IMAGE_SIZE> programMask_{};

  bool firstRun_ = true;
  bool running_ = false;
  bool identPassed_ = false;
  uint32_t connection_ = 0;      // counts connections
  uint32_t autoProgramFor_ = 0;  // connection that wants an automatic program, 0 none
  bool releaseWanted_ = false;
  int32_t rememberedPort_ = -1;
  int32_t lastPort_ = 0;   // the port of the current or last connection
  int32_t pendingOp_ = 0;  // the program whose save is awaited
  char labelCom_[96] = {};
  int32_t reportedBike_ = -1;
  // Answers since the unlock pair went out that did not show the calibration running.
  static constexpr int kCalibrationStartAnswers = 5;
  int calibrationQuiet_ = 0;
  int calibrationAnswers_ = 0;  // answers since the unlock pair went out
  CalibrationReport lastCalibration_;
  int32_t unitKey_ = -1;
  int32_t unitVersion_ = -1;

  int keyCheckKind_ = 0;
  std::string keyCheckText_;
  IdTexts idTexts_;
  std::vector<UserMessage> messages_;
};

}  // namespace zeda
