#pragma once
// The pick-up capture record.
//
// A monitor answer may announce a capture of raw samples that follows it on the line.
// The main thread announces it (AnnounceCapture) from the answer's header; from then on
// the link worker's receiver diverts every received byte into the record. When the
// announced length is in and both check bytes match, the worker copies the record into
// the completed capture, which the main thread takes and releases.
//
// Hand-over without locks: the header fields are written before `type` (release) by the
// main thread, and only while `type` is 0; `count` and `data` belong to the worker while
// `type` is not 0. The completed record is written by the worker only while its `type`
// is 0 and published by storing `type` (release); the main thread reads it after seeing
// a non-zero `type` (acquire) and hands it back with ReleaseCompletedCapture.
// `damagedCount` of the completed record counts the captures the worker dropped (failed
// checks, overlong); the worker alone writes it (release), the main thread only reads it
// (acquire) to tell the user why no picture comes.
#include <atomic>
#include <cstdint>

namespace zeda {

inline constexpr int32_t kCaptureMaxBytes = 15000;

inline constexpr uint8_t CAPTURE_NONE = 0;
inline constexpr uint8_t CAPTURE_SYNCHRONISED = 1;
inline constexpr uint8_t CAPTURE_UNSYNCHRONISED = 2;

struct CaptureRecord {
  std::atomic<uint8_t> type{0};
  std::atomic<uint16_t> expectedLength{0};
  std::atomic<uint16_t> count{0};
  std::atomic<uint8_t> xorCheck{0};
  std::atomic<uint8_t> sumCheck{0};
  std::atomic<uint8_t> cycleCode{0};
  // Completed record only: captures dropped as damaged since the link started.
  std::atomic<uint32_t> damagedCount{0};
  uint8_t data[kCaptureMaxBytes] = {};
};

// What the receiver needs to feed a capture: the record being filled, the completed
// capture and the main tick's polling mask (slowed 1 -> 3 -> 7 on a bad capture).
// Any pointer may be null: no record means no diversion, no mask means no slowing.
struct CaptureLink {
  CaptureRecord* record = nullptr;
  CaptureRecord* completed = nullptr;
  std::atomic<int32_t>* pollMask = nullptr;
};

// Main thread: announces a capture of `length` bytes. Ignored while one is being
// collected (type not 0) or for type 0. Returns true when announced.
bool AnnounceCapture(CaptureRecord& record, uint8_t type, uint16_t length, uint8_t xorCheck,
                     uint8_t sumCheck, uint8_t cycleCode);

// Monitor block positions of the capture header (position 0 of the block stays 0).
inline constexpr int kCaptureTypePosition = 128;
inline constexpr int kCaptureLengthWord = 49;
inline constexpr int kCaptureXorPosition = 129;
inline constexpr int kCaptureSumPosition = 130;
inline constexpr int kCaptureCyclePosition = 131;

// Main thread: announces the capture a monitor block (151 positions) reports, if any.
bool AnnounceCaptureOf(CaptureRecord& record, const uint8_t* monitorBlock);

// Main thread: drops a capture being collected (the worker also drops one on its own).
void CancelCapture(CaptureRecord& record);

// Main thread: gives the completed capture back after its samples were taken.
void ReleaseCompletedCapture(CaptureRecord& completed);

// What became of a received byte offered to the capture.
enum class CaptureByte : uint8_t {
  NotCapturing,  // no capture announced: the byte belongs to the frame receiver
  Taken,         // stored in the capture, more are expected
  Ended,         // stored and the capture is complete (checked), or it was dropped
};

// Link worker: one received byte. While a capture is announced every byte is the
// capture's and never reaches the frame receiver (samples could look like the start of
// a frame and swallow the next answer).
CaptureByte DivertCaptureByte(const CaptureLink& link, uint8_t byte);

}  // namespace zeda
