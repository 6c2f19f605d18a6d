#pragma once
// FrameCodec: receiver and transmitter of one port's frames.
//
// One codec exists per search slot and one for the active link. It never touches a port
// object: it works on a PortBuffers view of the port's receive ring and transmit buffer,
// so any port class can use it.
//
// How the link worker (and the search) drives it:
//
//   PortBuffers port = ccom.Buffers();   // ring + indices, transmit buffer + count
//   codec.ResetCodec(protocol, rowTimeout);                 // when the link comes up
//   // LINK_READY: build the block's request, remember the expected answer code
//   expected = codec.BuildJobRequest(job, address, length, writeImage, COMMAXBUF,
//                                    wantedSubKey * 256 + wantedKey);
//   codec.RewindTransmit();                                 // also on LINK_RETRY
//   // LINK_SENDING, every loop:
//   if (codec.SendFrame(port)) state = LINK_WAITING;
//   // LINK_WAITING, every loop:
//   if (codec.ReceiveFrame(port, &captureLink)) {
//     switch (codec.CheckAnswer(job, address, length, expected, tries)) {
//       case AnswerVerdict::Accepted: copy codec.AnswerData()/AnswerDataLength() ...
//       case AnswerVerdict::Rejected: state = LINK_RETRY; ...
//       case AnswerVerdict::Ignored:  keep waiting
//     }
//   }
//   // any state, while a capture is announced: codec.ReceiveFrame(port, &captureLink)
//
// A completed frame stays in receiveBuffer only until the next ReceiveFrame call. The
// search checks IsEcho() first: a line that echoes returns the request, and that
// completes as a frame on every protocol.
//
// Threads: the ring's write index belongs to the I/O thread, its read index to the codec;
// the codec fills the transmit buffer only while its count is 0 and publishes it by
// storing the count (release); the I/O thread writes the bytes out and stores 0. A codec
// is used by one thread at a time. Nothing is allocated; whatever arrives, the codec
// stays inside its own buffers.
#include <atomic>
#include <cstdint>

#include "link/capture_record.h"
#include "link/protocol.h"

namespace zeda {

inline constexpr int32_t kPortBufferSize = 330;

// The codec's view of one port: its receive ring (kPortBufferSize bytes, one slot always
// free, equal indices = empty) and its transmit buffer (kPortBufferSize bytes + count,
// count 0 = empty).
struct PortBuffers {
  const uint8_t* ring = nullptr;
  std::atomic<int32_t>* readIndex = nullptr;
  std::atomic<int32_t>* writeIndex = nullptr;
  uint8_t* transmit = nullptr;
  std::atomic<int32_t>* transmitCount = nullptr;
};

// Addressed frame layout and codes.
inline constexpr int32_t kAddressedHeader = 14;
inline constexpr uint8_t kTypeCrcRequest = 0xBB;
inline constexpr uint8_t kTypeSumRequest = 0xFB;
inline constexpr uint8_t kTypeAnswer = 0x0C;         // low nibble
inline constexpr uint8_t kTypeNeverAccepted = 0x0D;  // low nibble
inline constexpr uint16_t CMD_IDENTIFY = 0xFEEE;
inline constexpr uint16_t CMD_READ = 0x7010;
inline constexpr uint16_t CMD_WRITE = 0x7020;
inline constexpr uint16_t CMD_READ_IDBLOCK = 0x701F;
inline constexpr uint16_t CMD_MONITOR = 0x7050;
inline constexpr uint16_t CMD_SPECIAL = 0xF000;
// The value the restart command carries in its address field (no data, length 0).
inline constexpr uint16_t kSpecialValue = 1600;
inline constexpr uint16_t CMD_SHORT_ACK = 0xFFFF;
inline constexpr uint16_t CMD_SHORT_NAK = 0xFFFE;

// Block frame request codes (answers have bit 7 set).
inline constexpr uint8_t CODE_SPECIAL = 0x00;
inline constexpr uint8_t CODE_WRITE = 0x01;    // + block number
inline constexpr uint8_t CODE_MONITOR = 0x30;  // + block number; also the identify request
inline constexpr uint8_t CODE_READ_IDBLOCK = 0x40;
inline constexpr uint8_t CODE_READ = 0x41;  // + block number
inline constexpr uint8_t kAnswerBit = 0x80;

// Addressed receiver modes.
inline constexpr int32_t kModeCrc = 0;
inline constexpr int32_t kModeSum = 1;
inline constexpr int32_t kModeSeekStart = 255;

enum class AnswerVerdict : int32_t {
  Ignored = 0,   // not an answer to this request: keep waiting
  Accepted = 1,  // the answer: its data are AnswerData()
  Rejected = 2,  // a wrong answer (traced): repeat the request
};

class FrameCodec {
 public:
  FrameCodec() = default;

  // Clears everything and prepares the receiver for a protocol (0 = none, which
  // discards whatever arrives). gapTimeout in ms of tickMs.
  void ResetCodec(int32_t protocol, int32_t gapTimeout);

  // --- Requests. Each returns the transmit length (0 when the codec has no protocol).
  // Addressed request: command, address, data length (clamped to 512) and data (none
  // when null). The type byte follows the protocol (CRC or sum).
  int32_t BuildAddressedRequest(uint16_t command, uint16_t address, int32_t length,
                                const uint8_t* data);
  // Block request: code byte, data block (zero-filled when null), parameter word
  // (placed only on protocols that carry it, and only when not 0).
  int32_t BuildBlockRequest(uint8_t code, const uint8_t* block, uint16_t parameterWord);
  // The search's identification request of the current protocol.
  int32_t BuildIdentifyRequest(uint16_t parameterWord);
  // The request of a job's block at `address` with `length` bytes (addressed protocols;
  // block protocols always send a whole block). `writeImage` is the whole transfer buffer
  // indexed by unit address (bytes beyond writeImageSize count as 0). Returns the
  // expected answer code (command on addressed protocols, answer code on block
  // protocols) or -1 for an unknown job or no protocol.
  int32_t BuildJobRequest(int32_t job, int32_t address, int32_t length, const uint8_t* writeImage,
                          int32_t writeImageSize, uint16_t parameterWord);

  // --- Sending.
  // Starts sending the built request from its first byte.
  void RewindTransmit();
  // Hands the next part (at most kPortBufferSize bytes) to the port whenever its transmit
  // buffer is empty. True when the whole frame has been handed over.
  bool SendFrame(const PortBuffers& port);
  // Stops sending (nothing remains, nothing to rewind to).
  void ClearTransmit();

  // --- Receiving.
  // Takes bytes from the ring until it is empty or a frame is complete; true when a frame
  // is complete (it stays in receiveBuffer, frameLength bytes, until the next call).
  // `capture` (may be null): while a pick-up capture is announced every byte goes into it
  // and none to the frame receiver; the capture's last byte ends the call.
  bool ReceiveFrame(const PortBuffers& port, const CaptureLink* capture = nullptr);
  // Drops what the ring holds and any frame begun in the receiver (bytes left from earlier
  // exchanges). Returns the number of bytes dropped from the ring.
  int32_t DropReceived(const PortBuffers& port);
  // The same for bytes that do not come from a ring (tests, fuzzing, the simulator's
  // peers). `now` is the tickMs of arrival. Returns true when the byte completed a frame.
  bool ReceiveByte(uint8_t byte, int32_t now);

  // --- The completed frame.
  // Traces "Frame rec..." and applies the acceptance rules for the pending request.
  AnswerVerdict CheckAnswer(int32_t job, int32_t address, int32_t length, int32_t expectedAnswer,
                            int32_t tries) const;
  const uint8_t* AnswerData() const;  // data bytes of the completed frame
  int32_t AnswerDataLength() const;   // n (addressed) or N (block)
  uint8_t AnswerType() const { return receiveBuffer[7]; }
  uint16_t AnswerCommand() const { return Word(8); }
  uint16_t AnswerAddress() const { return Word(10); }
  // True when the completed frame is the request itself (a line that echoes). The
  // receiver also matches the bytes against the request as they arrive, so an echo
  // completes as a frame on block protocols too, whose request codes would otherwise be
  // skipped as not starting a frame.
  bool IsEcho() const;

  // Block size N of the protocol (0 for addressed protocols and none).
  int32_t BlockSize() const;
  FrameFamily Family() const { return FamilyOf(protocol); }

  // Fields (read by the link worker and the search; written only through the calls).
  int32_t protocol = 0;
  uint16_t checkAccumulator = 0;
  uint16_t savedCheck = 0;
  int32_t lastByteTime = 0;
  int32_t gapTimeout = 0;
  int32_t frameLength = 0;
  int32_t position = 0;
  int32_t mode = kModeSeekStart;
  uint8_t receiveBuffer[kFrameBufferSize] = {};
  int32_t transmitLength = 0;
  uint8_t transmitFrame[kFrameBufferSize] = {};
  int32_t transmitRemaining = 0;
  int32_t transmitPosition = 0;

 private:
  uint16_t Word(int32_t offset) const {
    return static_cast<uint16_t>(receiveBuffer[offset] | (receiveBuffer[offset + 1] << 8));
  }
  int32_t SealAddressed(uint16_t command, uint16_t address, int32_t length);
  int32_t SealBlock(uint8_t code, uint16_t parameterWord);
  bool TakeAddressedByte(uint8_t byte);
  bool TakeBlockByte(uint8_t byte);
  void RewriteShortAnswer();

  bool rewound_ = false;
  int32_t echoPosition_ = 0;  // request bytes matched in a row so far
};

}  // namespace zeda
