#include "link/ccomcom.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {

namespace {

constexpr uint32_t kStateMask = 0xFF;

int32_t StateOf(uint32_t word) { return static_cast<int32_t>(word & kStateMask); }
uint32_t NextWord(uint32_t seen, int32_t state) {
  return ((seen & ~kStateMask) + (kStateMask + 1)) | static_cast<uint32_t>(state);
}
int32_t CodeOf(uint64_t word) { return static_cast<int32_t>(word & 0xFFFFFFFFu); }
bool Idle(int32_t code) { return code == 0 || code == JOB_DONE || code == JOB_FAILED; }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

CCOMCOM::CCOMCOM() : jobWord_(MakeJobWord(0, JOB_DONE)) {
  // The job stays JOB_DONE (the worker idles) until a link comes up.
  worker_ = std::thread([this] { WorkerMain(); });
}

CCOMCOM::~CCOMCOM() { StopWorker(); }

void CCOMCOM::StopWorker() {
  linkStop.store(true, std::memory_order_release);
  if (worker_.joinable()) worker_.join();
}

int32_t CCOMCOM::Job() const { return CodeOf(jobWord_.load(std::memory_order_acquire)); }

int32_t CCOMCOM::LinkState() const { return StateOf(linkWord_.load(std::memory_order_acquire)); }

bool CCOMCOM::LinkQuiet() const {
  return cancelAck_.load(std::memory_order_acquire) ==
         cancelRequest_.load(std::memory_order_relaxed);
}

CaptureLink CCOMCOM::Capture() { return CaptureLink{&capture, &completedCapture, pollMask}; }

// ---------------------------------------------------------------- main thread

bool CCOMCOM::PostJob(int32_t job, int32_t start, int32_t length, int32_t flags) {
  if (Job() != 0 || !LinkQuiet()) return false;
  if (start < 0) start = 0;
  jobCode_ = job;
  jobStart_ = start;
  jobLength_ = length;
  jobEnd_ = start + length;
  jobFlags_ = flags;
  blockAddress_ = start;
  blockLength_ = 0;
  currentAddress_.store(start, std::memory_order_release);
  tries_.store(0, std::memory_order_release);
  const int32_t from = std::clamp(start, 0, COMMAXBUF);
  const int32_t to = std::clamp(start + std::max(length, 0), 0, COMMAXBUF);
  for (int32_t a = from; a < to; ++a) {
    if (flags & JOBF_CLEAR_WRITE) writeImage[a] = 0;
    if (flags & JOBF_MARK_RANGE) transferMask[a] = 1;
    readImage[a] = 0;
    readFlags[a] = 0;
  }
  maxTries_.store((flags & JOBF_SINGLE_TRY) ? 1 : kDefaultMaxTries, std::memory_order_release);
  // Last: the worker sees a complete job.
  jobWord_.store(MakeJobWord(++jobSerial_, job), std::memory_order_release);
  return true;
}

void CCOMCOM::ClearJob() {
  uint64_t word = jobWord_.load(std::memory_order_acquire);
  const int32_t code = CodeOf(word);
  if (code != JOB_DONE && code != JOB_FAILED) return;
  jobWord_.compare_exchange_strong(word, MakeJobWord(static_cast<uint32_t>(word >> 32), 0),
                                   std::memory_order_acq_rel);
}

void CCOMCOM::SetLinkOff() {
  uint32_t seen = linkWord_.load(std::memory_order_acquire);
  while (
      StateOf(seen) != LINK_OFF &&
      !linkWord_.compare_exchange_weak(seen, NextWord(seen, LINK_OFF), std::memory_order_acq_rel)) {
  }
}

void CCOMCOM::CancelJob() {
  // Ask the worker to drop whatever it holds; it acknowledges at its next step.
  cancelRequest_.fetch_add(1, std::memory_order_acq_rel);
  jobWord_.store(MakeJobWord(jobSerial_, 0), std::memory_order_release);
  SetLinkOff();
}

void CCOMCOM::CloseLink() {
  const int32_t port = connectedPort.load(std::memory_order_acquire);
  if (port == 0) return;
  LinkTraceSink().Tracef("Close Port COM%i...", port);
  CancelJob();
  // A capture still being collected belongs to this link: left announced, the next
  // unit's monitor answers would be collected as its bytes, fail the checks and slow the
  // polling.
  CancelCapture(capture);
  ClosePort(port);
  connectedPort.store(0, std::memory_order_release);
  portListChanged = true;
}

void CCOMCOM::SuperviseLink() {
  SearchRun();
  int32_t port = connectedPort.load(std::memory_order_acquire);
  if (port != 0) {
    // A device that vanished (or closed) under the link ends the link.
    CCOM& p = Port(port);
    const bool closed = p.portState.load(std::memory_order_acquire) == PORT_CLOSED &&
                        p.requests.load(std::memory_order_acquire) == 0 &&
                        p.threadCommand.load(std::memory_order_acquire) == CMD_NONE;
    if (p.lost.exchange(false, std::memory_order_acq_rel) || closed) {
      CloseLink();
      port = 0;
    }
  }
  const bool enabled = linkEnabled.load(std::memory_order_acquire) != 0;
  uint32_t seen = linkWord_.load(std::memory_order_acquire);
  if (StateOf(seen) != LINK_OFF) {
    if (port == 0 || !enabled) {
      CancelJob();
    } else if (StateOf(seen) == LINK_WAITING &&
               tickMs() - requestTime_.load(std::memory_order_acquire) > kAnswerTimeoutMs) {
      // Only from the exact waiting state seen: if the worker moved on meanwhile (an
      // answer came), the exchange fails and nothing is overwritten.
      linkWord_.compare_exchange_strong(seen, NextWord(seen, LINK_RETRY),
                                        std::memory_order_acq_rel);
    }
    return;
  }
  if (port != 0 && enabled && LinkQuiet()) {
    if (!Idle(Job())) {
      // A job posted while the link was off: the worker may hold it, so it is cancelled
      // like any other before the link comes up.
      CancelJob();
      return;
    }
    // The worker holds nothing now: the transmitter can be cleared from here.
    activeLink.codec.ClearTransmit();
    jobWord_.store(MakeJobWord(jobSerial_, 0), std::memory_order_release);
    linkWord_.compare_exchange_strong(seen, NextWord(seen, LINK_READY), std::memory_order_acq_rel);
  }
}

// ---------------------------------------------------------------- worker

bool CCOMCOM::MoveLink(uint32_t seen, int32_t state) {
  return linkWord_.compare_exchange_strong(seen, NextWord(seen, state), std::memory_order_acq_rel);
}

void CCOMCOM::FinishJob(int32_t result) {
  lastJob_.store(jobCode_, std::memory_order_release);
  uint64_t expected = workingWord_;
  const uint64_t done = (workingWord_ & ~0xFFFFFFFFull) | static_cast<uint32_t>(result);
  // Fails when the job was cancelled (or taken away) meanwhile: that result is dropped.
  jobWord_.compare_exchange_strong(expected, done, std::memory_order_acq_rel);
  workingWord_ = 0;
}

void CCOMCOM::WorkerMain() {
  LinkTrace& trace = LinkTraceSink();
  while (!linkStop.load(std::memory_order_acquire)) {
    // 1. Count the loop (shown in every trace line).
    trace.loopCount.fetch_add(1, std::memory_order_relaxed);

    // A cancel from the main thread: drop the job and the request in flight.
    const uint32_t cancel = cancelRequest_.load(std::memory_order_acquire);
    if (cancel != cancelSeen_) {
      cancelSeen_ = cancel;
      workingWord_ = 0;
      activeLink.codec.ClearTransmit();
      cancelAck_.store(cancel, std::memory_order_release);
    }

    // 2. An announced pick-up capture is fed whether or not a job runs (while waiting for
    // an answer the receiver of step 5 feeds it).
    const bool capturing = capture.type.load(std::memory_order_acquire) != 0;
    if (capturing && LinkState() != LINK_WAITING) {
      const PortBuffers buffers = ActiveBuffers();
      const CaptureLink link = Capture();
      activeLink.codec.ReceiveFrame(buffers, &link);
    }

    // 3. Idle, or a job to work on.
    const uint64_t word = jobWord_.load(std::memory_order_acquire);
    const int32_t code = CodeOf(word);
    if (Idle(code)) {
      workingWord_ = 0;
      // A capture streams in faster than a 330-byte ring emptied every 50 ms can take.
      SleepMs(capturing ? kWorkerBusySleepMs : kWorkerIdleSleepMs);
      continue;
    }
    if (word != workingWord_) workingWord_ = word;  // a newly posted job
    SleepMs(kWorkerBusySleepMs);
    WorkerStep(code);
  }
}

void CCOMCOM::WorkerStep(int32_t code) {
  LinkTrace& trace = LinkTraceSink();
  const uint32_t seen = linkWord_.load(std::memory_order_acquire);
  switch (StateOf(seen)) {
    case LINK_RETRY: {
      // 4. No answer, or a wrong one: the same request again, or the job fails.
      const int32_t tries = tries_.load(std::memory_order_relaxed);
      trace.Tracef("COM timeout or redirection (%i)...", tries);
      tries_.store(tries + 1, std::memory_order_release);
      if (tries + 1 >= maxTries_.load(std::memory_order_relaxed)) {
        if (MoveLink(seen, LINK_READY)) FinishJob(JOB_FAILED);
      } else {
        activeLink.codec.RewindTransmit();
        requestTime_.store(tickMs(), std::memory_order_release);
        MoveLink(seen, LINK_SENDING);
      }
      break;
    }
    case LINK_WAITING: {
      // 5. Receive; check a complete frame as the answer.
      const PortBuffers buffers = ActiveBuffers();
      const CaptureLink link = Capture();
      if (!activeLink.codec.ReceiveFrame(buffers, &link)) break;
      const AnswerVerdict verdict =
          activeLink.codec.CheckAnswer(code, blockAddress_, blockLength_, expectedAnswer_,
                                       tries_.load(std::memory_order_relaxed));
      if (verdict == AnswerVerdict::Accepted) {
        // Claim the answer first: a timeout that won the race keeps the request pending.
        if (MoveLink(seen, LINK_READY)) {
          TakeAnswer();
          tries_.store(0, std::memory_order_release);
        }
      } else if (verdict == AnswerVerdict::Rejected) {
        MoveLink(seen, LINK_RETRY);
      }
      break;
    }
    case LINK_SENDING: {
      // 6. Hand the next part of the request to the port.
      const int32_t port = connectedPort.load(std::memory_order_acquire);
      if (port == 0) break;
      if (Port(port).SendFrame(activeLink.codec)) MoveLink(seen, LINK_WAITING);
      break;
    }
    case LINK_READY: {
      // 7. The next block, or the job is done.
      if (!SelectNextBlock()) {
        if (MoveLink(seen, LINK_READY)) FinishJob(JOB_DONE);
        break;
      }
      DropStaleBytes();
      const int32_t length = BuildRequest();
      if (length <= 0) {
        if (MoveLink(seen, LINK_READY)) FinishJob(JOB_FAILED);
        break;
      }
      activeLink.codec.RewindTransmit();
      requestTime_.store(tickMs(), std::memory_order_release);
      if (MoveLink(seen, LINK_SENDING)) {
        const uint8_t* frame = activeLink.codec.transmitFrame;
        trace.Tracef("Frame send [0x%02x] (%i).../Job=%i,len=%i/ data[21]=0x%02x", frame[0], length,
                     code, jobLength_, frame[21]);
      }
      break;
    }
    default:
      break;  // LINK_OFF: wait for the supervision
  }
}

void CCOMCOM::DropStaleBytes() {
  // An answer that came after its time-out (or a second answer to a repeated request) is
  // still in the ring: left there it would be taken for the answer to this request,
  // rejected, and make every later request go out twice. Capture bytes are the exception:
  // they stream in behind a monitor answer and are fed to the record between requests.
  if (capture.type.load(std::memory_order_acquire) != 0) return;
  const int32_t dropped = activeLink.codec.DropReceived(ActiveBuffers());
  if (dropped > 0) LinkTraceSink().Tracef("Stale bytes dropped (%i)...", dropped);
}

// The per-job logic (SelectNextBlock, BuildRequest, TakeAnswer) is in ccomcom_jobs.cpp.

}  // namespace zeda
