#pragma once
// Transfer jobs: the four transfer buffers, the job word, posting a job, splitting it
// into blocks, and the monitor request block.
//
// The main thread posts a job only while the job word is 0, writing every parameter and
// buffer before the job word (release). The link worker takes it (acquire), works block
// by block through BuildNextRequest / StoreAnswer, and publishes JOB_DONE or JOB_FAILED
// after the last job and the buffers (release). The main thread reads the results after
// seeing one of those (acquire) and sets the job word to 0.
#include <atomic>
#include <cstdint>

#include "link/frame_codec.h"
#include "link/job_codes.h"

namespace zeda {

inline constexpr int32_t kTransferBufferSize = 8000;  // every transfer buffer
inline constexpr int32_t kMonitorBlockSize = 150;

// PostJob flags.
inline constexpr int32_t kJobMarkRange = 1;   // mark the whole range in transferMask
inline constexpr int32_t kJobClearWrite = 2;  // clear writeImage over the range
inline constexpr int32_t kJobSingleTry = 4;   // one try instead of three

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

// Data block size of a link: frame size minus overhead.
int32_t LinkBlockSize(int32_t frameSize, int32_t overhead);

// What the Test page and the pickup monitor want sent with the next monitor request.
struct MonitorCommands {
  uint8_t testFlags1 = 0;     // byte 20; cleared once placed into a request
  uint8_t testFlags2 = 0;     // byte 21; cleared once placed
  uint8_t testFlags3 = 0;     // byte 22; cleared once placed
  int32_t calibration = 0;    // pending calibration step: 2, 1 (dwell) or 22, 21 (SPA)
  bool pickupActive = false;  // byte 23: the pickup monitor is shown and not paused
};

// Fills bytes 20-23, 137-138, 148-149 of a cleared monitor request and advances the
// command state (test flags cleared, calibration to its next step).
void FillMonitorRequest(uint8_t* request, MonitorCommands& commands, int32_t wantedKey,
                        int32_t wantedSubKey);

class TransferJobs {
 public:
  TransferJobs();

  // --- Main thread.
  // Ignored while the job word is not 0.
  void PostJob(int32_t job, int32_t start, int32_t length, int32_t flags);
  // Builds the monitor request in writeImage (cleared over `clearLength` bytes, at least
  // the monitor block: the link's whole block) and posts JOB_MONITOR (0, 150, one try).
  // Does nothing while a job runs, so neither a running job's bytes nor a click is lost.
  bool SendMonitor(MonitorCommands& commands, int32_t clearLength, int32_t wantedKey,
                   int32_t wantedSubKey);
  int32_t Job() const { return job_.load(std::memory_order_acquire); }
  // Sets the job word (0 after taking a result; JOB_DONE to park the worker).
  void SetJob(int32_t job) { job_.store(job, std::memory_order_release); }
  int32_t LastJob() const { return lastJob_; }
  // Progress: runs from the start to the end of the last block.
  int32_t CurrentAddress() const { return currentAddress_.load(std::memory_order_relaxed); }
  int32_t JobEnd() const { return jobEnd_; }
  int32_t JobLength() const { return jobLength_; }

  // --- Link worker.
  // Picks the next block for the link's protocol and block size and builds its request in
  // codec. False when no block is left: the job is then JOB_DONE.
  bool BuildNextRequest(FrameCodec& codec, int32_t blockSize, uint16_t parameterWord);
  // The acceptance verdict of the codec's completed frame for the pending request.
  AnswerVerdict CheckAnswer(const FrameCodec& codec) const;
  // An accepted answer: stores the data of storing jobs, moves on to the next block.
  void StoreAnswer(const FrameCodec& codec);
  // Counts a failed try; true when the job has failed for good (job word JOB_FAILED).
  bool FailTry();
  int32_t Tries() const { return tries_; }
  int32_t MaxTries() const { return maxTries_; }
  int32_t BlockLength() const { return blockLength_; }
  int32_t ExpectedAnswer() const { return expectedAnswer_; }

  // The transfer buffers, indexed by unit byte address.
  uint8_t writeImage[kTransferBufferSize];
  uint8_t transferMask[kTransferBufferSize];
  uint8_t readImage[kTransferBufferSize];
  uint8_t readFlags[kTransferBufferSize];

 private:
  void Finish(int32_t result);

  std::atomic<int32_t> job_{JOB_DONE};
  int32_t lastJob_ = JOB_DONE;
  int32_t jobStart_ = 0;
  int32_t jobEnd_ = 0;
  int32_t jobLength_ = 0;
  std::atomic<int32_t> currentAddress_{0};
  int32_t blockLength_ = 0;
  int32_t blockSize_ = 0;  // N the current block was chosen with
  int32_t expectedAnswer_ = 0;
  int32_t tries_ = 0;
  int32_t maxTries_ = 3;
  bool addressed_ = false;
};

}  // namespace zeda
