#pragma once
// The activity log: every operation on the unit (Read, Verify, Program, automatic
// programming, Reset, the check of a newly connected unit) with its local time, port and
// verdict, so that a result outlives the 2 s status message. A Verify or check that found
// the unit different keeps the differing fields, from the same diff zedactl verify prints.
//
// The window feeds it from DeviceOpsUi::OperationInterrupted / OperationEnded and lists it;
// no Qt here. User-interface thread only.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "params/param_diff.h"

namespace zeda {

enum class OpOutcome;  // link/device_ops.h

enum class ActivityVerdict { Ok, Corrected, Different, Refused, Failed, Interrupted, Nothing };

struct ActivityEntry {
  std::chrono::system_clock::time_point when;
  int32_t port = 0;  // COM number, 0 when not known
  int32_t op = 0;    // request code or OP_CHECK
  ActivityVerdict verdict = ActivityVerdict::Ok;
  std::string detail;                        // a LangString or plain text, may be empty
  std::vector<FieldDifference> differences;  // Different only: params against the unit
};

class ActivityLog {
 public:
  // Oldest entries go beyond this: automatic programming may log for days.
  static constexpr size_t kMaxEntries = 1000;

  // The next end of `op` as Failed is an interruption (the unit may hold part of it).
  void OperationInterrupted(int32_t op);
  // Records the end of `op`. `differences` is kept for a Different verdict; a check that
  // ended Ok with differences is recorded as Different (the unit holds other settings).
  void OperationEnded(int32_t op, OpOutcome outcome, int32_t port,
                      std::chrono::system_clock::time_point when,
                      std::vector<FieldDifference> differences = {}, std::string detail = {});

  const std::deque<ActivityEntry>& Entries() const { return entries_; }
  // Counts every change (a view redraws when it moved).
  uint64_t Revision() const { return revision_; }
  void Clear();

 private:
  std::deque<ActivityEntry> entries_;
  int32_t interruptedOp_ = 0;
  uint64_t revision_ = 0;
};

// The texts the log is shown with, in the current language.
std::string ActivityOperationText(int32_t op);
std::string ActivityVerdictText(ActivityVerdict verdict);
// "2026-12-10 20:01:02" in local time.
std::string ActivityTimeText(std::chrono::system_clock::time_point when);
// "COM3", "" for 0.
std::string ActivityPortText(int32_t port);
// The detail column: the detail text, or for differences "3 fields: BASE_ADV (...): 12 / 14; ...".
std::string ActivityDetailText(const ActivityEntry& entry);

}  // namespace zeda
