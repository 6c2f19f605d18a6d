#pragma once
// The per-job pieces of the link: which block a job transfers next, and the monitor
// request block that carries the program's commands to the unit.
#include <cstdint>

#include "link/link_constants.h"

namespace zeda {

class CCOMCOM;

inline constexpr int32_t kMonitorBlockSize = 150;

// The block chosen for the next request.
struct JobBlock {
  int32_t address = 0;
  int32_t length = 0;
};

// Next block of an addressed-protocol job: from the first marked address in [from, end),
// growing to the last marked address while the block stays within n bytes; gaps of up to
// 50 unmarked bytes are bridged. False when no address is marked.
bool ChooseAddressedBlock(const uint8_t* mask, int32_t from, int32_t end, int32_t n,
                          JobBlock* block);
// Next block of a block-protocol job: the first aligned block of n bytes, starting with
// the one holding `from`, that has a marked address in [from, end). False when none.
bool ChooseAlignedBlock(const uint8_t* mask, int32_t from, int32_t end, int32_t n, JobBlock* block);

// What the Test page and the pickup monitor want sent with the next monitor request.
struct MonitorCommands {
  uint8_t testFlags1 = 0;           // byte 20; cleared once placed into a request
  uint8_t testFlags2 = 0;           // byte 21; cleared once placed
  uint8_t testFlags3 = 0;           // byte 22; cleared once placed
  int32_t calibration = 0;          // pending calibration step: 2, 1 (dwell) or 22, 21 (SPA)
  bool calibrationRunning = false;  // a calibration was started and has not reported its end
  bool pickupActive = false;        // byte 23: the pickup monitor is shown and not paused
};

// Fills bytes 20-23, 137-138, 148-149 of a cleared monitor request and advances the
// command state (test flags cleared, calibration to its next step).
void FillMonitorRequest(uint8_t* request, MonitorCommands& commands, int32_t wantedKey,
                        int32_t wantedSubKey);

// Builds the monitor request in writeImage, cleared over the link's whole data block
// (at least 150 bytes), and posts JOB_MONITOR (0, 150, one try). Does nothing (false)
// while a job runs or the link cannot take one, so neither a running job's bytes nor a
// click is lost.
bool SendMonitor(CCOMCOM& link, MonitorCommands& commands);

// A finished monitor exchange, as the device machine hands it on.
struct MonitorAnswer {
  uint8_t data[kMonitorBlockSize] = {};
  int32_t unitKey = 0;      // answer byte 149
  int32_t unitVersion = 0;  // answer byte 148
};
// Copies readImage[0..149] when the last job was JOB_MONITOR and it ended JOB_DONE.
bool TakeMonitorAnswer(const CCOMCOM& link, MonitorAnswer& answer);

}  // namespace zeda
