#pragma once
// The link object: transfer buffers, job word, link state and the link worker thread.
//
// Hand-overs between the main thread and the worker, without locks:
// - Job word: the main thread posts only while it reads 0, writing every job parameter
//   and buffer before the word (release); the worker writes the last job and its results
//   before it publishes JOB_DONE / JOB_FAILED (release); the main thread reads results
//   after seeing one of those (acquire) and then clears the word to 0. The word carries a
//   post number next to the code: the worker ends a job with a compare-exchange on the
//   exact word it started, so a completion that belongs to a cancelled job is never
//   taken for a later one.
// - Cancel: the main thread never rips a job out from under the worker. CloseLink and the
//   supervision raise a cancel request (and publish job 0 / LINK_OFF); the worker
//   acknowledges it at its next step, dropping the job and clearing the transmitter.
//   PostJob waits (refuses) until the acknowledgement, so job fields never have two
//   writers at once.
// - Link state: one word with a change counter next to the state. Every transition is a
//   compare-exchange from the word its writer saw, so neither side overwrites a state the
//   other changed meanwhile (in particular the timeout LINK_WAITING -> LINK_RETRY).
#include <atomic>
#include <cstdint>
#include <thread>

#include "link/capture_record.h"
#include "link/ccomsearch.h"
#include "link/link_constants.h"

namespace zeda {

class CCOMCOM : public CCOMSEARCH {
 public:
  CCOMCOM();
  ~CCOMCOM() override;

  // ---- Main thread ----
  // Posts a job (flags JOBF_*). Does nothing (false) while the job word is not 0 or the
  // worker has not yet acknowledged a cancel.
  bool PostJob(int32_t job, int32_t start, int32_t length, int32_t flags);
  // Takes the job word back to 0 after JOB_DONE or JOB_FAILED was seen.
  void ClearJob();
  // Drops the active link.
  void CloseLink();
  // Runs the search, then supervises the link (every second tick).
  void SuperviseLink();
  // True when the worker has acknowledged every cancel (no job of an old link is alive).
  bool LinkQuiet() const override;

  // ---- Any thread ----
  int32_t Job() const;  // 0, the running job code, JOB_DONE or JOB_FAILED
  int32_t LastJob() const { return lastJob_.load(std::memory_order_acquire); }
  int32_t LinkState() const;
  int32_t CurrentAddress() const { return currentAddress_.load(std::memory_order_acquire); }
  int32_t Tries() const { return tries_.load(std::memory_order_acquire); }
  int32_t MaxTries() const { return maxTries_.load(std::memory_order_acquire); }
  int32_t RequestTime() const { return requestTime_.load(std::memory_order_acquire); }

  // Transfer buffers, indexed by unit byte address.
  uint8_t writeImage[COMMAXBUF] = {};
  uint8_t transferMask[COMMAXBUF] = {};
  uint8_t readImage[COMMAXBUF] = {};
  uint8_t readFlags[COMMAXBUF] = {};

  // Pick-up capture being collected and the completed one; pollMask is the main tick's
  // polling mask (set by the owner, may stay null).
  CaptureRecord capture;
  CaptureRecord completedCapture;
  std::atomic<int32_t>* pollMask = nullptr;

 protected:
  // ---- Per-job logic, run by the worker while a job runs ----
  // Chooses the next block from the current address up to the job end and sets
  // blockAddress_, blockLength_ and the current address; false when none is left.
  virtual bool SelectNextBlock();
  // Builds the request of the selected block in the active link's codec and sets
  // expectedAnswer_; returns the transmit length (0: cannot build, the job fails).
  virtual int32_t BuildRequest();
  // An accepted answer: store its data and advance the current address.
  virtual void TakeAnswer();

  // A derived class that overrides the functions above stops the worker in its own
  // destructor (the worker must not call into a half-destroyed object).
  void StopWorker();

  // Job parameters: written by PostJob before the job word, then read by the worker.
  int32_t jobCode_ = 0;
  int32_t jobStart_ = 0;
  int32_t jobLength_ = 0;
  int32_t jobEnd_ = 0;
  int32_t jobFlags_ = 0;
  // Worker state of the current block.
  int32_t blockAddress_ = 0;
  int32_t blockLength_ = 0;
  int32_t expectedAnswer_ = 0;
  std::atomic<int32_t> currentAddress_{0};
  std::atomic<int32_t> tries_{0};
  std::atomic<int32_t> maxTries_{kDefaultMaxTries};

 private:
  void WorkerMain();
  void WorkerStep(int32_t code);
  // Worker: ends the running job with JOB_DONE or JOB_FAILED.
  void FinishJob(int32_t result);
  // Worker: a link-state transition from the word `seen`; false when the state changed
  // meanwhile (the step is then dropped).
  bool MoveLink(uint32_t seen, int32_t state);
  // Worker: before a new request, drops what is left in the receive ring from earlier
  // exchanges (traced), unless capture bytes are being received.
  void DropStaleBytes();
  // Main thread: drop the running job and take the link to LINK_OFF.
  void CancelJob();
  void SetLinkOff();
  CaptureLink Capture();

  static uint64_t MakeJobWord(uint32_t serial, int32_t code) {
    return (static_cast<uint64_t>(serial) << 32) | static_cast<uint32_t>(code);
  }

  std::atomic<uint64_t> jobWord_;
  uint32_t jobSerial_ = 0;    // main thread: number of the last post
  uint64_t workingWord_ = 0;  // worker: the job word it works on
  std::atomic<int32_t> lastJob_{JOB_DONE};
  std::atomic<uint32_t> linkWord_{LINK_OFF};
  std::atomic<int32_t> requestTime_{0};
  std::atomic<uint32_t> cancelRequest_{0};
  std::atomic<uint32_t> cancelAck_{0};
  uint32_t cancelSeen_ = 0;  // worker
  std::thread worker_;
};

}  // namespace zeda
