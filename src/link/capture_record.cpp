#include "link/capture_record.h"

#include <cstring>

namespace zeda {

bool AnnounceCapture(CaptureRecord& record, uint8_t type, uint16_t length, uint8_t xorCheck,
                     uint8_t sumCheck, uint8_t cycleCode) {
  if (type == CAPTURE_NONE || record.type.load(std::memory_order_acquire) != CAPTURE_NONE) {
    return false;
  }
  record.expectedLength.store(length, std::memory_order_relaxed);
  record.count.store(0, std::memory_order_relaxed);
  record.xorCheck.store(xorCheck, std::memory_order_relaxed);
  record.sumCheck.store(sumCheck, std::memory_order_relaxed);
  record.cycleCode.store(cycleCode, std::memory_order_relaxed);
  record.type.store(type, std::memory_order_release);
  return true;
}

bool AnnounceCaptureOf(CaptureRecord& record, const uint8_t* block) {
  const uint8_t type = block[kCaptureTypePosition];
  if (type != CAPTURE_SYNCHRONISED && type != CAPTURE_UNSYNCHRONISED) return false;
  const uint16_t length = static_cast<uint16_t>(block[2 * kCaptureLengthWord] |
                                                (block[2 * kCaptureLengthWord + 1] << 8));
  if (length == 0) return false;
  return AnnounceCapture(record, type, length, block[kCaptureXorPosition],
                         block[kCaptureSumPosition], block[kCaptureCyclePosition]);
}

void CancelCapture(CaptureRecord& record) {
  record.type.store(CAPTURE_NONE, std::memory_order_release);
}

void ReleaseCompletedCapture(CaptureRecord& completed) {
  completed.expectedLength.store(0, std::memory_order_relaxed);
  completed.count.store(0, std::memory_order_relaxed);
  completed.type.store(CAPTURE_NONE, std::memory_order_release);
}

namespace {

void SlowPolling(std::atomic<int32_t>* pollMask) {
  if (!pollMask) return;
  int32_t mask = pollMask->load(std::memory_order_relaxed);
  if (mask == 1) {
    pollMask->store(3, std::memory_order_relaxed);
  } else if (mask == 3) {
    pollMask->store(7, std::memory_order_relaxed);
  }
}

void CountDamaged(CaptureRecord* completed) {
  if (!completed) return;
  // The worker is the only writer; the main thread only reads it.
  completed->damagedCount.store(completed->damagedCount.load(std::memory_order_relaxed) + 1,
                                std::memory_order_release);
}

void EndCapture(CaptureRecord& record) {
  record.count.store(0, std::memory_order_relaxed);
  record.type.store(CAPTURE_NONE, std::memory_order_release);
}

}  // namespace

CaptureByte DivertCaptureByte(const CaptureLink& link, uint8_t byte) {
  CaptureRecord* record = link.record;
  if (!record) return CaptureByte::NotCapturing;
  const uint8_t type = record->type.load(std::memory_order_acquire);
  if (type == CAPTURE_NONE) return CaptureByte::NotCapturing;
  uint16_t count = record->count.load(std::memory_order_relaxed);
  if (count >= kCaptureMaxBytes) {
    CountDamaged(link.completed);
    EndCapture(*record);
    return CaptureByte::Ended;
  }
  record->data[count] = byte;
  ++count;
  record->count.store(count, std::memory_order_relaxed);
  const uint16_t expected = record->expectedLength.load(std::memory_order_relaxed);
  if (count != expected) return CaptureByte::Taken;

  uint8_t x = 0;
  uint8_t sum = 0;
  for (uint16_t i = 0; i < expected; ++i) {
    x ^= record->data[i];
    sum = static_cast<uint8_t>(sum + record->data[i]);
  }
  if (x == record->xorCheck.load(std::memory_order_relaxed) &&
      sum == record->sumCheck.load(std::memory_order_relaxed)) {
    CaptureRecord* done = link.completed;
    // A completed capture the main thread has not taken yet is kept; the new one is
    // dropped rather than overwritten under the reader.
    if (done && done->type.load(std::memory_order_acquire) == CAPTURE_NONE) {
      std::memcpy(done->data, record->data, expected);
      done->expectedLength.store(expected, std::memory_order_relaxed);
      done->count.store(expected, std::memory_order_relaxed);
      done->xorCheck.store(x, std::memory_order_relaxed);
      done->sumCheck.store(sum, std::memory_order_relaxed);
      done->cycleCode.store(record->cycleCode.load(std::memory_order_relaxed),
                            std::memory_order_relaxed);
      done->type.store(type, std::memory_order_release);
    }
  } else {
    CountDamaged(link.completed);
    SlowPolling(link.pollMask);
  }
  EndCapture(*record);
  return CaptureByte::Ended;
}

}  // namespace zeda
