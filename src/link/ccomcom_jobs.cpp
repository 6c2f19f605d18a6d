// The link worker's per-job logic: the next block of a job, its request, its answer; and
// the monitor request posted by the device machine.
#include <algorithm>
#include <cstring>

#include "link/ccomcom.h"
#include "link/transfer_jobs.h"

namespace zeda {

namespace {

bool StoresAnswer(int32_t job) {
  return job == JOB_READ || job == JOB_IDBLOCK || job == JOB_MONITOR;
}

// Data block size N of the active link.
int32_t LinkBlockSize(const LinkSlot& link) {
  const int32_t block = link.codec.BlockSize();
  if (block > 0) return block;
  return std::min(link.frameSize - link.overhead, kMaxAddressedData);
}

}  // namespace

bool CCOMCOM::SelectNextBlock() {
  const int32_t n = LinkBlockSize(activeLink);
  const int32_t from = currentAddress_.load(std::memory_order_relaxed);
  if (n <= 0) {
    // No usable block size: BuildRequest fails the job instead of looping for ever.
    blockLength_ = 0;
    return true;
  }
  const bool blockFrames = activeLink.codec.BlockSize() > 0;
  int32_t end = std::min(jobEnd_, COMMAXBUF);
  // The identification request names no block, so every answer counts as block 0: on the
  // block protocols the job reads the first N bytes of the block (all of it from N = 150).
  if (blockFrames && jobCode_ == JOB_IDBLOCK) end = std::min(end, jobStart_ + n);
  JobBlock block;
  const bool found = blockFrames ? ChooseAlignedBlock(transferMask, from, end, n, &block)
                                 : ChooseAddressedBlock(transferMask, from, end, n, &block);
  if (!found) return false;
  blockAddress_ = block.address;
  blockLength_ = block.length;
  currentAddress_.store(block.address, std::memory_order_release);
  return true;
}

int32_t CCOMCOM::BuildRequest() {
  if (blockLength_ <= 0) return 0;
  expectedAnswer_ =
      activeLink.codec.BuildJobRequest(jobCode_, blockAddress_, blockLength_, writeImage, COMMAXBUF,
                                       static_cast<uint16_t>(wantedSubKey * 256 + wantedKey));
  return expectedAnswer_ < 0 ? 0 : activeLink.codec.transmitLength;
}

void CCOMCOM::TakeAnswer() {
  const int32_t block = activeLink.codec.BlockSize();
  const int32_t taken = block > 0 ? block : blockLength_;
  if (StoresAnswer(jobCode_)) {
    const int32_t count =
        std::min({activeLink.codec.AnswerDataLength(), taken, COMMAXBUF - blockAddress_});
    if (count > 0) {
      std::memcpy(readImage + blockAddress_, activeLink.codec.AnswerData(),
                  static_cast<size_t>(count));
      std::memset(readFlags + blockAddress_, 1, static_cast<size_t>(count));
    }
  }
  currentAddress_.store(blockAddress_ + taken, std::memory_order_release);
}

bool SendMonitor(CCOMCOM& link, MonitorCommands& commands) {
  if (link.Job() != 0 || !link.LinkQuiet()) return false;
  // Clear every block the job sends, not only the 150 monitor bytes: a block protocol
  // sends whole blocks (0-199 on IGN100), and they must not carry image bytes left from
  // programming.
  const int32_t n = std::max(LinkBlockSize(link.activeLink), 1);
  const int32_t clear = std::clamp((kMonitorBlockSize + n - 1) / n * n, kMonitorBlockSize,
                                   static_cast<int32_t>(COMMAXBUF));
  std::memset(link.writeImage, 0, static_cast<size_t>(clear));
  FillMonitorRequest(link.writeImage, commands, link.wantedKey, link.wantedSubKey);
  return link.PostJob(JOB_MONITOR, 0, kMonitorBlockSize, JOBF_MARK_RANGE | JOBF_SINGLE_TRY);
}

bool TakeMonitorAnswer(const CCOMCOM& link, MonitorAnswer& answer) {
  if (link.Job() != JOB_DONE || link.LastJob() != JOB_MONITOR) return false;
  std::memcpy(answer.data, link.readImage, sizeof answer.data);
  answer.unitKey = answer.data[149];
  answer.unitVersion = answer.data[148];
  return true;
}

}  // namespace zeda
