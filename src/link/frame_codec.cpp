#include "link/frame_codec.h"

#include <algorithm>
#include <cstring>

#include "base/tick_clock.h"
#include "base/trace.h"
#include "link/frame_checks.h"
#include "link/job_codes.h"

namespace zeda {

namespace {

const uint8_t kStart[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB};

// Copies `length` bytes of a transfer buffer from `address`; what lies outside it is 0.
void CopyFromImage(uint8_t* dst, const uint8_t* image, int32_t imageSize, int32_t address,
                   int32_t length) {
  for (int32_t i = 0; i < length; ++i) {
    const int32_t at = address + i;
    dst[i] = (image && at >= 0 && at < imageSize) ? image[at] : 0;
  }
}

bool StoresData(int32_t job) { return job == JOB_READ || job == JOB_IDBLOCK || job == JOB_MONITOR; }

}  // namespace

void FrameCodec::ResetCodec(int32_t newProtocol, int32_t newGapTimeout) {
  *this = FrameCodec();
  protocol = newProtocol;
  gapTimeout = newGapTimeout;
  const ProtocolInfo* row = FindProtocol(newProtocol);
  frameLength = row ? row->frameLength : 0;
}

int32_t FrameCodec::BlockSize() const {
  const ProtocolInfo* row = FindProtocol(protocol);
  return (row && row->family == FrameFamily::Block) ? row->blockSize : 0;
}

int32_t FrameCodec::SealAddressed(uint16_t command, uint16_t address, int32_t length) {
  std::memcpy(transmitFrame, kStart, sizeof kStart);
  transmitFrame[7] = protocol == PROTOCOL_WCOM ? kTypeCrcRequest : kTypeSumRequest;
  transmitFrame[8] = static_cast<uint8_t>(command & 0xFF);
  transmitFrame[9] = static_cast<uint8_t>(command >> 8);
  transmitFrame[10] = static_cast<uint8_t>(address & 0xFF);
  transmitFrame[11] = static_cast<uint8_t>(address >> 8);
  transmitFrame[12] = static_cast<uint8_t>(length & 0xFF);
  transmitFrame[13] = static_cast<uint8_t>(length >> 8);
  const int32_t end = kAddressedHeader + length;
  if (protocol == PROTOCOL_WCOM) {
    const uint16_t crc = Crc16(transmitFrame, static_cast<size_t>(end));
    transmitFrame[end] = static_cast<uint8_t>(crc & 0xFF);
    transmitFrame[end + 1] = static_cast<uint8_t>(crc >> 8);
  } else {
    StoreSumCheck(transmitFrame, static_cast<size_t>(end));
  }
  transmitLength = end + 2;
  return transmitLength;
}

int32_t FrameCodec::SealBlock(uint8_t code, uint16_t parameterWord) {
  const ProtocolInfo* row = FindProtocol(protocol);
  const int32_t n = row->blockSize;
  transmitFrame[0] = code;
  if (row->parameterWord && parameterWord != 0) {
    transmitFrame[n] = static_cast<uint8_t>(parameterWord & 0xFF);
    if (parameterWord >= 256) transmitFrame[n - 1] = static_cast<uint8_t>(parameterWord >> 8);
  }
  transmitFrame[n + 1] = BlockCheck(transmitFrame, static_cast<size_t>(n + 1));
  transmitLength = n + kBlockOverhead;
  return transmitLength;
}

int32_t FrameCodec::BuildAddressedRequest(uint16_t command, uint16_t address, int32_t length,
                                          const uint8_t* data) {
  if (Family() != FrameFamily::Addressed) return 0;
  length = std::clamp(length, 0, kMaxAddressedData);
  uint8_t* dst = transmitFrame + kAddressedHeader;
  if (data) {
    std::memmove(dst, data, static_cast<size_t>(length));
  } else {
    std::memset(dst, 0, static_cast<size_t>(length));
  }
  return SealAddressed(command, address, length);
}

int32_t FrameCodec::BuildBlockRequest(uint8_t code, const uint8_t* block, uint16_t parameterWord) {
  const int32_t n = BlockSize();
  if (n == 0) return 0;
  if (block) {
    std::memmove(transmitFrame + 1, block, static_cast<size_t>(n));
  } else {
    std::memset(transmitFrame + 1, 0, static_cast<size_t>(n));
  }
  return SealBlock(code, parameterWord);
}

int32_t FrameCodec::BuildIdentifyRequest(uint16_t parameterWord) {
  switch (Family()) {
    case FrameFamily::Addressed:
      return BuildAddressedRequest(CMD_IDENTIFY, 0, 0, nullptr);
    case FrameFamily::Block:
      return BuildBlockRequest(CODE_MONITOR, nullptr, parameterWord);
    default:
      return 0;
  }
}

int32_t FrameCodec::BuildJobRequest(int32_t job, int32_t address, int32_t length,
                                    const uint8_t* writeImage, int32_t writeImageSize,
                                    uint16_t parameterWord) {
  const FrameFamily family = Family();
  if (family == FrameFamily::Addressed) {
    length = std::clamp(length, 0, kMaxAddressedData);
    const uint16_t at = static_cast<uint16_t>(address);
    uint8_t* data = transmitFrame + kAddressedHeader;
    switch (job) {
      case JOB_WRITE:
      case JOB_MONITOR: {
        const uint16_t command = job == JOB_WRITE ? CMD_WRITE : CMD_MONITOR;
        CopyFromImage(data, writeImage, writeImageSize, address, length);
        SealAddressed(command, at, length);
        return command;
      }
      case JOB_READ:
      case JOB_IDBLOCK: {
        const uint16_t command = job == JOB_READ ? CMD_READ : CMD_READ_IDBLOCK;
        data[0] = static_cast<uint8_t>(length & 0xFF);
        data[1] = static_cast<uint8_t>(length >> 8);
        SealAddressed(command, at, 2);
        return command;
      }
      case JOB_SPECIAL:
        SealAddressed(CMD_SPECIAL, kSpecialValue, 0);
        return CMD_SPECIAL;
      default:
        return -1;
    }
  }
  if (family == FrameFamily::Block) {
    const int32_t n = BlockSize();
    const int32_t block = std::max(address, 0) / n;
    uint8_t code = 0;
    uint16_t word = 0;
    switch (job) {
      case JOB_WRITE:
        code = static_cast<uint8_t>(CODE_WRITE + block);
        break;
      case JOB_READ:
        code = static_cast<uint8_t>(CODE_READ + block);
        break;
      case JOB_MONITOR:
        code = static_cast<uint8_t>(CODE_MONITOR + block);
        word = parameterWord;
        break;
      case JOB_IDBLOCK:
        code = CODE_READ_IDBLOCK;
        break;
      case JOB_SPECIAL:
        code = CODE_SPECIAL;
        break;
      default:
        return -1;
    }
    // Reads carry no data: their block is zeros whatever the transfer buffer holds.
    const bool carriesData = job != JOB_READ && job != JOB_IDBLOCK;
    CopyFromImage(transmitFrame + 1, carriesData ? writeImage : nullptr, writeImageSize, block * n,
                  n);
    SealBlock(code, word);
    return static_cast<uint8_t>(code | kAnswerBit);
  }
  return -1;
}

void FrameCodec::RewindTransmit() {
  rewound_ = true;
  echoPosition_ = 0;
}

void FrameCodec::ClearTransmit() {
  rewound_ = false;
  transmitRemaining = 0;
  transmitPosition = 0;
}

bool FrameCodec::SendFrame(const PortBuffers& port) {
  if (rewound_) {
    rewound_ = false;
    transmitRemaining = std::clamp(transmitLength, 0, kFrameBufferSize);
    transmitPosition = 0;
  }
  if (transmitRemaining <= 0) return true;
  if (!port.transmit || !port.transmitCount) return false;
  if (port.transmitCount->load(std::memory_order_acquire) != 0) return false;
  const int32_t part = std::min(transmitRemaining, kPortBufferSize);
  std::memcpy(port.transmit, transmitFrame + transmitPosition, static_cast<size_t>(part));
  LinkTraceSink().Tracef("...sent [0x%02x] (%i)", transmitFrame[0], transmitRemaining);
  transmitPosition += part;
  transmitRemaining -= part;
  port.transmitCount->store(part, std::memory_order_release);
  return transmitRemaining <= 0;
}

bool FrameCodec::ReceiveFrame(const PortBuffers& port, const CaptureLink* capture) {
  if (!port.ring || !port.readIndex || !port.writeIndex) return false;
  const int32_t write = port.writeIndex->load(std::memory_order_acquire);
  int32_t read = port.readIndex->load(std::memory_order_relaxed);
  if (write < 0 || write >= kPortBufferSize) return false;
  if (read < 0 || read >= kPortBufferSize || Family() == FrameFamily::None) {
    port.readIndex->store(write, std::memory_order_release);
    return false;
  }
  const int32_t now = tickMs();
  bool complete = false;
  while (read != write) {
    const uint8_t byte = port.ring[read];
    read = read + 1 == kPortBufferSize ? 0 : read + 1;
    if (capture) {
      const CaptureByte taken = DivertCaptureByte(*capture, byte);
      // The capture's last byte ends the call: what follows is read afresh next time.
      if (taken == CaptureByte::Ended) break;
      if (taken == CaptureByte::Taken) continue;
    }
    if (ReceiveByte(byte, now)) {
      complete = true;
      break;
    }
  }
  port.readIndex->store(read, std::memory_order_release);
  return complete;
}

int32_t FrameCodec::DropReceived(const PortBuffers& port) {
  position = 0;
  mode = kModeSeekStart;
  if (!port.ring || !port.readIndex || !port.writeIndex) return 0;
  const int32_t write = port.writeIndex->load(std::memory_order_acquire);
  const int32_t read = port.readIndex->load(std::memory_order_relaxed);
  if (write < 0 || write >= kPortBufferSize || read == write) return 0;
  const int32_t dropped =
      read >= 0 && read < kPortBufferSize ? (write - read + kPortBufferSize) % kPortBufferSize : 0;
  port.readIndex->store(write, std::memory_order_release);
  return dropped;
}

bool FrameCodec::ReceiveByte(uint8_t byte, int32_t now) {
  if (position > 0 && now - lastByteTime > gapTimeout) {
    position = 0;
    mode = kModeSeekStart;
  }
  lastByteTime = now;
  bool complete = false;
  switch (Family()) {
    case FrameFamily::Addressed:
      complete = TakeAddressedByte(byte);
      break;
    case FrameFamily::Block:
      complete = TakeBlockByte(byte);
      break;
    default:
      return false;
  }
  // Follow the request's own bytes: a line that echoes sends them back unchanged.
  const int32_t length = std::min(transmitLength, kFrameBufferSize);
  if (length > 0) {
    if (byte == transmitFrame[echoPosition_]) {
      ++echoPosition_;
    } else {
      echoPosition_ = byte == transmitFrame[0] ? 1 : 0;
    }
    if (echoPosition_ >= length) {
      echoPosition_ = 0;
      if (!complete) {
        std::memcpy(receiveBuffer, transmitFrame, static_cast<size_t>(length));
        frameLength = length;
        position = 0;
        mode = kModeSeekStart;
        complete = true;
      }
    }
  }
  return complete;
}

bool FrameCodec::TakeAddressedByte(uint8_t byte) {
  if (position >= kFrameBufferSize) {
    position = 0;
    mode = kModeSeekStart;
  }
  receiveBuffer[position] = byte;
  if (mode == kModeCrc) {
    checkAccumulator = Crc16Update(checkAccumulator, byte);
  } else if (mode == kModeSum) {
    checkAccumulator = Sum16Update(checkAccumulator, byte, static_cast<size_t>(position));
  }
  ++position;

  if (position == 8) {
    const uint8_t kind = receiveBuffer[7] & 0xF0;
    if (std::memcmp(receiveBuffer, kStart, sizeof kStart) == 0 && (kind == 0xB0 || kind == 0xF0)) {
      if (kind == 0xB0) {
        mode = kModeCrc;
        checkAccumulator = Crc16Update(kCrcAfterStart, receiveBuffer[7]);
      } else {
        mode = kModeSum;
        checkAccumulator = static_cast<uint16_t>(kSumAfterStart + receiveBuffer[7] * 256);
      }
    } else {
      std::memmove(receiveBuffer, receiveBuffer + 1, 7);
      position = 7;
      mode = kModeSeekStart;
    }
    return false;
  }
  if (position < kAddressedHeader) return false;

  frameLength = kAddressedOverhead + Word(12);
  if (position == frameLength - 2) savedCheck = checkAccumulator;
  if (position != frameLength) return false;

  const bool good =
      mode == kModeCrc ? savedCheck == Word(frameLength - 2) : checkAccumulator == 0xFFFF;
  position = 0;
  mode = kModeSeekStart;
  if (!good) return false;
  RewriteShortAnswer();
  return true;
}

bool FrameCodec::TakeBlockByte(uint8_t byte) {
  if (position >= frameLength) position = 0;
  if (position == 0) {
    checkAccumulator = 0xFF;
    if ((byte & kAnswerBit) == 0) return false;
  }
  checkAccumulator = static_cast<uint16_t>(checkAccumulator ^ byte);
  receiveBuffer[position++] = byte;
  if (position == frameLength && checkAccumulator == 0) {
    position = 0;
    return true;
  }
  return false;
}

void FrameCodec::RewriteShortAnswer() {
  const uint16_t command = Word(8);
  if (command != CMD_SHORT_ACK && command != CMD_SHORT_NAK) return;
  const uint8_t nibble = command == CMD_SHORT_ACK ? kTypeAnswer : kTypeNeverAccepted;
  receiveBuffer[7] = static_cast<uint8_t>((receiveBuffer[7] & 0xF0) | nibble);
  const uint16_t newCommand = Word(10);
  uint16_t newAddress = 0;
  uint16_t length = Word(12);
  if (length == 1) {
    newAddress = receiveBuffer[kAddressedHeader];
    length = 0;
  } else if (length == 2) {
    newAddress = Word(kAddressedHeader);
    length = 0;
  }
  receiveBuffer[8] = static_cast<uint8_t>(newCommand & 0xFF);
  receiveBuffer[9] = static_cast<uint8_t>(newCommand >> 8);
  receiveBuffer[10] = static_cast<uint8_t>(newAddress & 0xFF);
  receiveBuffer[11] = static_cast<uint8_t>(newAddress >> 8);
  receiveBuffer[12] = static_cast<uint8_t>(length & 0xFF);
  receiveBuffer[13] = static_cast<uint8_t>(length >> 8);
}

const uint8_t* FrameCodec::AnswerData() const {
  return receiveBuffer + (Family() == FrameFamily::Addressed ? kAddressedHeader : 1);
}

int32_t FrameCodec::AnswerDataLength() const {
  switch (Family()) {
    case FrameFamily::Addressed:
      return std::min<int32_t>(Word(12), kFrameBufferSize - kAddressedOverhead);
    case FrameFamily::Block:
      return BlockSize();
    default:
      return 0;
  }
}

bool FrameCodec::IsEcho() const {
  return transmitLength > 0 && frameLength == transmitLength &&
         std::memcmp(receiveBuffer, transmitFrame, static_cast<size_t>(frameLength)) == 0;
}

AnswerVerdict FrameCodec::CheckAnswer(int32_t job, int32_t address, int32_t length,
                                      int32_t expectedAnswer, int32_t tries) const {
  LinkTraceSink().Tracef("Frame rec [0x%02x] (%i)...", receiveBuffer[0], frameLength);
  const FrameFamily family = Family();
  if (family == FrameFamily::Addressed) {
    if ((AnswerType() & 0x0F) != kTypeAnswer || AnswerCommand() != expectedAnswer) {
      return AnswerVerdict::Ignored;
    }
    // The restart command carries its value where other requests carry the address; a
    // unit may echo either.
    const bool addressMatches =
        AnswerAddress() == address || (job == JOB_SPECIAL && AnswerAddress() == kSpecialValue);
    if (!addressMatches || (StoresData(job) && Word(12) != length)) {
      LinkTraceSink().Tracef("len or address is not equal %i!=%i (%i)...", address, AnswerAddress(),
                             tries);
      return AnswerVerdict::Rejected;
    }
    return AnswerVerdict::Accepted;
  }
  if (family != FrameFamily::Block) return AnswerVerdict::Ignored;

  const uint8_t code = receiveBuffer[0];
  if (code != expectedAnswer) {
    LinkTraceSink().Tracef("COM not expected answer 0x%02x!=0x%02x (%i)...", code, expectedAnswer,
                           tries);
    return AnswerVerdict::Rejected;
  }
  const int32_t n = BlockSize();
  int32_t block = code & 0x3F;
  if (block >= 0x30) block &= 0x0F;
  if (job == JOB_WRITE || job == JOB_READ) block -= 1;
  if (block * n != address) {
    LinkTraceSink().Tracef("address is not equal %i!=%i (%i)...", address, block * n, tries);
    return AnswerVerdict::Rejected;
  }
  if (job == JOB_WRITE) {
    int32_t errors = 0;
    for (int32_t i = 1; i <= n; ++i) {
      if (receiveBuffer[i] != transmitFrame[i]) ++errors;
    }
    if (errors > 0) {
      LinkTraceSink().Tracef("COM verify fail, %i errors (%i)...", errors, tries);
      return AnswerVerdict::Rejected;
    }
  }
  return AnswerVerdict::Accepted;
}

}  // namespace zeda
