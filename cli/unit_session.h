#pragma once
// A zedactl session with a unit: the link, the parameter images and the device-operation
// machine, run on the program's 55 ms tick by a loop with sleeps. Progress goes to stderr.
#include <cstdio>
#include <functional>
#include <string>

#include "link/ccomcom.h"
#include "link/device_ops.h"
#include "params/ign_writer.h"
#include "params/param_image.h"

namespace zeda::cli {

inline constexpr int kExitDifferent = 1;  // verify: the unit differs from the file
inline constexpr int kExitNoUnit = 3;     // no unit found, or the link failed
inline constexpr int kExitRefused = 4;    // other key or version, read-out lock

class UnitSession : public DeviceOpsUi {
 public:
  explicit UnitSession(std::FILE* err);
  ~UnitSession() override;

  // --port: "COMn", "n", "auto" or a device path. False with a message when malformed.
  bool SetPort(const std::string& port, std::string* error);

  // Runs until a unit is connected and its check has ended. Returns 0 when the unit passed
  // its identification (NO_READING units included), else an exit code.
  int Connect(int timeoutMs);
  // Runs request `op` until it ends (a program: until the unit has saved).
  OpOutcome Run(int32_t op, int timeoutMs);
  // Runs the tick while keepGoing() holds, at most timeoutMs; false on timeout.
  bool RunWhile(const std::function<bool()>& keepGoing, int timeoutMs);
  // Called with each live monitor answer (the 151-position block).
  std::function<void(const uint8_t*)> onMonitor;

  // What the check found.
  bool ReadLocked() const { return readLocked_; }
  // After Connect failed: the result line saying what the search saw ("failed: ...",
  // "refused: ...").
  const std::string& FailureLine() const { return failureLine_; }
  // The unit's identification lines for a .ign file, as the window writes them.
  IgnIdentification FileIdentification() const;

  CCOMCOM link;
  ImageBuffers images;
  DeviceOps ops{link, images, *this};

  // DeviceOpsUi
  void ShowStatus(int slot, const char* text, int32_t durationMs, Colour font, Colour back,
                  int32_t priority) override;
  void SetGauge(Colour, int32_t) override {}
  void ShowGauge() override {}
  void SetLabelCom(const char*) override {}
  void UpdateTitle() override {}
  void UnitTextChanged() override {}
  void OperationEnded(int32_t op, OpOutcome outcome) override;
  void MonitorBlockReady(const uint8_t* block) override {
    if (onMonitor) onMonitor(block);
  }

 private:
  // One tick; the machine runs on every second one. Returns when the tick is over, or
  // earlier when a job has ended, so the next step follows without waiting out the tick.
  void Tick();
  bool WaitFor(int32_t op, int timeoutMs);
  // With one port given: true once the search saw a certain cause there (an echo,
  // another unit), so waiting longer cannot help.
  bool CauseCertain() const;
  // Fills failureLine_ from what the search and the ports saw; the exit code.
  int DescribeNoUnit();

  std::FILE* err_;
  std::string lastSlotText_[StatusSlot::kCount];
  int32_t endedOp_ = 0;
  OpOutcome outcome_ = OpOutcome::Failed;
  bool ended_ = false;
  bool readLocked_ = false;
  std::string failureLine_;
};

// The protocol name of a protocol number ("IGN150"), "?" when unknown.
const char* ProtocolName(int32_t protocol);

}  // namespace zeda::cli
