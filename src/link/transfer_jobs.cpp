#include "link/transfer_jobs.h"

#include <algorithm>
#include <cstring>

namespace zeda {

namespace {

// Unmarked bytes an addressed block may carry between two marked ones.
constexpr int32_t kBridgedGap = 50;

bool StoresAnswer(int32_t job) {
  return job == JOB_READ || job == JOB_IDBLOCK || job == JOB_MONITOR;
}

bool IsRunning(int32_t job) { return job != 0 && job != JOB_DONE && job != JOB_FAILED; }

}  // namespace

bool ChooseAddressedBlock(const uint8_t* mask, int32_t from, int32_t end, int32_t n,
                          JobBlock* block) {
  if (n <= 0) return false;
  from = std::max(from, 0);
  end = std::min(end, kTransferBufferSize);
  int32_t start = -1;
  int32_t last = -1;
  for (int32_t a = from; a < end; ++a) {
    if (start < 0) {
      if (mask[a]) start = last = a;
      continue;
    }
    if (a >= start + n) break;
    if (mask[a]) {
      last = a;
    } else if (a - last > kBridgedGap) {
      break;
    }
  }
  if (start < 0) return false;
  block->address = start;
  block->length = last - start + 1;
  return true;
}

bool ChooseAlignedBlock(const uint8_t* mask, int32_t from, int32_t end, int32_t n,
                        JobBlock* block) {
  if (n <= 0) return false;
  from = std::max(from, 0);
  end = std::min(end, kTransferBufferSize);
  for (int32_t b = from / n; b * n < end; ++b) {
    const int32_t lo = std::max(b * n, from);
    const int32_t hi = std::min(b * n + n, end);
    for (int32_t a = lo; a < hi; ++a) {
      if (mask[a]) {
        block->address = b * n;
        block->length = n;
        return true;
      }
    }
  }
  return false;
}

int32_t LinkBlockSize(int32_t frameSize, int32_t overhead) { return frameSize - overhead; }

void FillMonitorRequest(uint8_t* request, MonitorCommands& c, int32_t wantedKey,
                        int32_t wantedSubKey) {
  request[20] = c.testFlags1;
  request[21] = c.testFlags2;
  request[22] = c.testFlags3;
  c.testFlags1 = c.testFlags2 = c.testFlags3 = 0;  // each click goes out once
  request[23] = c.pickupActive ? 1 : 0;
  uint8_t first = 0;
  uint8_t second = 0;
  switch (c.calibration) {
    case 2:
      first = 0xA5;
      second = 0x5A;
      c.calibration = 1;
      break;
    case 1:
      first = 0x2C;
      second = 0xC2;
      c.calibration = 0;
      break;
    case 22:
      first = 0xA5;
      second = 0xA7;
      c.calibration = 21;
      break;
    case 21:
      first = 0xC6;
      second = 0x6C;
      c.calibration = 0;
      break;
    default:
      break;
  }
  request[137] = first;
  request[138] = second;
  request[148] = static_cast<uint8_t>(wantedSubKey);
  request[149] = static_cast<uint8_t>(wantedKey);
}

TransferJobs::TransferJobs() {
  std::memset(writeImage, 0, sizeof writeImage);
  std::memset(transferMask, 0, sizeof transferMask);
  std::memset(readImage, 0, sizeof readImage);
  std::memset(readFlags, 0, sizeof readFlags);
}

void TransferJobs::PostJob(int32_t job, int32_t start, int32_t length, int32_t flags) {
  if (job_.load(std::memory_order_acquire) != 0) return;
  start = std::clamp(start, 0, kTransferBufferSize);
  length = std::max(length, 0);
  // The range never reaches past the buffers.
  const int32_t end = std::min(start + std::min(length, kTransferBufferSize), kTransferBufferSize);
  jobStart_ = start;
  jobLength_ = length;
  jobEnd_ = end;
  currentAddress_.store(start, std::memory_order_relaxed);
  blockLength_ = 0;
  tries_ = 0;
  for (int32_t a = start; a < end; ++a) {
    if (flags & kJobClearWrite) writeImage[a] = 0;
    if (flags & kJobMarkRange) transferMask[a] = 1;
    readImage[a] = 0;
    readFlags[a] = 0;
  }
  maxTries_ = (flags & kJobSingleTry) ? 1 : 3;
  job_.store(job, std::memory_order_release);
}

bool TransferJobs::SendMonitor(MonitorCommands& commands, int32_t clearLength, int32_t wantedKey,
                               int32_t wantedSubKey) {
  if (job_.load(std::memory_order_acquire) != 0) return false;
  // Clear the link's whole block, not only the 150 monitor bytes: a block protocol sends
  // all of it, and it must not carry image bytes left from programming.
  const int32_t clear = std::clamp(clearLength, kMonitorBlockSize, kTransferBufferSize);
  std::memset(writeImage, 0, static_cast<size_t>(clear));
  FillMonitorRequest(writeImage, commands, wantedKey, wantedSubKey);
  PostJob(JOB_MONITOR, 0, kMonitorBlockSize, kJobMarkRange | kJobSingleTry);
  return true;
}

void TransferJobs::Finish(int32_t result) {
  lastJob_ = job_.load(std::memory_order_relaxed);
  job_.store(result, std::memory_order_release);
}

bool TransferJobs::BuildNextRequest(FrameCodec& codec, int32_t blockSize, uint16_t parameterWord) {
  const int32_t job = job_.load(std::memory_order_acquire);
  if (!IsRunning(job)) return false;
  addressed_ = codec.Family() == FrameFamily::Addressed;
  blockSize_ = addressed_ ? std::min(blockSize, kMaxAddressedData) : codec.BlockSize();
  if (blockSize_ <= 0) {
    Finish(JOB_FAILED);  // no usable block size: nothing could ever be sent
    return false;
  }
  int32_t end = jobEnd_;
  // The identification request names no block, so every answer is block 0: a block
  // protocol reads only the first block of it.
  if (!addressed_ && job == JOB_IDBLOCK) end = std::min(end, jobStart_ + blockSize_);
  JobBlock block;
  const int32_t from = currentAddress_.load(std::memory_order_relaxed);
  const bool found = addressed_ ? ChooseAddressedBlock(transferMask, from, end, blockSize_, &block)
                                : ChooseAlignedBlock(transferMask, from, end, blockSize_, &block);
  if (!found) {
    Finish(JOB_DONE);
    return false;
  }
  currentAddress_.store(block.address, std::memory_order_relaxed);
  blockLength_ = block.length;
  expectedAnswer_ =
      codec.BuildJobRequest(job, block.address, block.length, writeImage, kTransferBufferSize,
                            job == JOB_MONITOR ? parameterWord : 0);
  if (expectedAnswer_ < 0) {
    Finish(JOB_FAILED);
    return false;
  }
  return true;
}

AnswerVerdict TransferJobs::CheckAnswer(const FrameCodec& codec) const {
  return codec.CheckAnswer(job_.load(std::memory_order_relaxed),
                           currentAddress_.load(std::memory_order_relaxed), blockLength_,
                           expectedAnswer_, tries_);
}

void TransferJobs::StoreAnswer(const FrameCodec& codec) {
  const int32_t job = job_.load(std::memory_order_relaxed);
  const int32_t address = currentAddress_.load(std::memory_order_relaxed);
  const int32_t step = addressed_ ? blockLength_ : blockSize_;
  if (StoresAnswer(job)) {
    const int32_t count = std::min({codec.AnswerDataLength(), step, kTransferBufferSize - address});
    if (count > 0) {
      std::memcpy(readImage + address, codec.AnswerData(), static_cast<size_t>(count));
      std::memset(readFlags + address, 1, static_cast<size_t>(count));
    }
  }
  currentAddress_.store(address + step, std::memory_order_relaxed);
  tries_ = 0;
}

bool TransferJobs::FailTry() {
  ++tries_;
  if (tries_ < maxTries_) return false;
  Finish(JOB_FAILED);
  return true;
}

}  // namespace zeda
