#pragma once
// Fixed numbers of the port layer and the link worker. Port states, link states and
// job codes appear in traces and are shared between threads as plain integers.
#include <cstdint>

#include "link/job_codes.h"
#include "params/param_image.h"  // PARAM_IMAGE_SIZE, RS_LEN_EXE

namespace zeda {

// Size of each transfer buffer, indexed by unit byte address.
inline constexpr int32_t COMMAXBUF = 8000;
static_assert(RS_LEN_EXE <= COMMAXBUF, "the image must fit the transfer buffers");

// Job flags of PostJob.
inline constexpr int32_t JOBF_MARK_RANGE = 1;   // mark the whole range in transferMask
inline constexpr int32_t JOBF_CLEAR_WRITE = 2;  // clear writeImage over the range
inline constexpr int32_t JOBF_SINGLE_TRY = 4;   // one try instead of three

inline constexpr int32_t kDefaultMaxTries = 3;

// Link states.
inline constexpr int32_t LINK_OFF = 0;
inline constexpr int32_t LINK_READY = 1;
inline constexpr int32_t LINK_SENDING = 2;
inline constexpr int32_t LINK_WAITING = 3;
inline constexpr int32_t LINK_RETRY = 4;

// Ports.
inline constexpr int kPortCount = 256;       // port numbers 0-255; 0 is never present
inline constexpr int32_t kComBufSize = 330;  // transmit buffer and receive ring
inline constexpr int32_t kDefaultBaud = 115200;

// Port states.
inline constexpr uint8_t PORT_CLOSED = 0;
inline constexpr uint8_t PORT_OPENING = 16;
inline constexpr uint8_t PORT_OPEN = 32;
inline constexpr uint8_t PORT_CLOSING = 48;

// Open results.
inline constexpr uint8_t OPEN_RESULT_NONE = 0;
inline constexpr uint8_t OPEN_RESULT_FAILED = 1;     // the device failed to open
inline constexpr uint8_t OPEN_RESULT_TIMEOUT = 2;    // not open within kOpenLimitMs
inline constexpr uint8_t OPEN_RESULT_NO_THREAD = 3;  // the I/O thread failed to start

// Port requests (bit set, written by the link layer, executed by the supervisor).
inline constexpr uint8_t REQ_OPEN = 1;
inline constexpr uint8_t REQ_CLOSE = 2;

// Thread commands (written by the supervisor, executed by the I/O thread).
inline constexpr uint8_t CMD_NONE = 0;
inline constexpr uint8_t CMD_OPEN = 1;
inline constexpr uint8_t CMD_CLOSE = 2;

// I/O thread states.
inline constexpr uint8_t THREAD_NONE = 0;
inline constexpr uint8_t THREAD_RUNNING = 1;
inline constexpr uint8_t THREAD_ENDED = 2;

// Timings, in ms of tickMs unless noted.
inline constexpr int32_t kOpenLimitMs = 5000;     // an open that takes longer is closed
inline constexpr int32_t kAnswerTimeoutMs = 400;  // no answer: the request is repeated
inline constexpr int32_t kScanIntervalMs = 1000;  // device list scan at most this often
// Real-time waits of the threads (ms of the system clock).
inline constexpr int kWorkerIdleSleepMs = 50;
inline constexpr int kWorkerBusySleepMs = 1;
inline constexpr int kIoIdleWaitMs = 50;  // port closed: wait for a command
// Port open: the longest wait on the device. Bytes, a hangup and a wake (Transmit,
// SendFrame, commands, stop) end the wait at once; the limit only bounds the delay of a
// transmit buffer filled without a wake.
inline constexpr int kIoOpenWaitMs = 10;

}  // namespace zeda
