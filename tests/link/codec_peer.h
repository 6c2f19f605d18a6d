#pragma once
// Test driver: a FrameCodec talking over a byte line through a receive ring and transmit
// buffer laid out like a port's, doing what the link worker does for one job.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "link/frame_codec.h"
#include "link/job_codes.h"

namespace zeda::test {

class ByteLine {
 public:
  virtual ~ByteLine() = default;
  virtual void Write(const uint8_t* data, size_t length) = 0;
  // Up to `max` bytes, waiting at most timeoutMs for the first; 0 when none came.
  virtual size_t Read(uint8_t* data, size_t max, int timeoutMs) = 0;
};

// A line to a file descriptor (the slave side of a pty).
class FdLine : public ByteLine {
 public:
  explicit FdLine(int fd) : fd_(fd) {}
  void Write(const uint8_t* data, size_t length) override {
    size_t done = 0;
    while (done < length) {
      const ssize_t n = ::write(fd_, data + done, length - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p{fd_, POLLOUT, 0};
        if (poll(&p, 1, 1000) <= 0) return;
      }
    }
  }
  size_t Read(uint8_t* data, size_t max, int timeoutMs) override {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN)) return 0;
    const ssize_t n = ::read(fd_, data, max);
    return n > 0 ? static_cast<size_t>(n) : 0;
  }

 private:
  int fd_;
};

class CodecPeer {
 public:
  CodecPeer(ByteLine& line, int32_t protocol, int32_t gapTimeout) : line_(line) {
    codec_->ResetCodec(protocol, gapTimeout);
  }

  FrameCodec& Codec() { return *codec_; }
  // Bytes left in the ring after the last accepted frame (a capture, for instance).
  std::vector<uint8_t> TakeRing() {
    std::vector<uint8_t> out;
    int32_t r = read_.load();
    while (r != write_.load()) {
      out.push_back(ring_[r]);
      r = (r + 1) % kPortBufferSize;
    }
    read_.store(r);
    return out;
  }
  // Reads whatever else arrives within timeoutMs into `out`.
  void Drain(std::vector<uint8_t>& out, int timeoutMs) {
    std::vector<uint8_t> left = TakeRing();
    out.insert(out.end(), left.begin(), left.end());
    uint8_t buffer[512];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      const size_t n = line_.Read(buffer, sizeof buffer, 20);
      out.insert(out.end(), buffer, buffer + n);
    }
  }

  // Sends the built request through the transmit buffer and waits for a complete frame
  // that `judge` does not ignore. Returns the verdict, or Ignored on timeout.
  AnswerVerdict SendAndWait(const std::function<AnswerVerdict()>& judge, int timeoutMs) {
    codec_->RewindTransmit();
    PortBuffers port = View();
    bool sent = false;
    while (!sent) {
      sent = codec_->SendFrame(port);
      Flush();
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (codec_->ReceiveFrame(port)) {
        const AnswerVerdict v = judge();
        if (v != AnswerVerdict::Ignored) return v;
        continue;
      }
      Fill(20);
    }
    return AnswerVerdict::Ignored;
  }

  // One block of a job, with up to three tries. On acceptance the answer's data are
  // appended to `data` (when given).
  bool Exchange(int32_t job, int32_t address, int32_t length, const uint8_t* image,
                int32_t imageSize, std::vector<uint8_t>* data, int timeoutMs = 1500) {
    for (int tries = 0; tries < 3; ++tries) {
      const int32_t expected = codec_->BuildJobRequest(job, address, length, image, imageSize, 107);
      const AnswerVerdict v = SendAndWait(
          [&] { return codec_->CheckAnswer(job, address, length, expected, tries); }, timeoutMs);
      if (v == AnswerVerdict::Accepted) {
        if (data) {
          const uint8_t* a = codec_->AnswerData();
          data->insert(data->end(), a, a + codec_->AnswerDataLength());
        }
        return true;
      }
    }
    return false;
  }

  // The search's identification: true when an answer with the unit key arrived. Fills the
  // data block size the unit announced (addressed) or the protocol's N (block).
  bool Identify(int32_t& key, int32_t& blockSize, int timeoutMs = 1500) {
    codec_->BuildIdentifyRequest(107);
    const bool addressed = codec_->Family() == FrameFamily::Addressed;
    const AnswerVerdict v = SendAndWait(
        [&] {
          if (addressed) {
            return (codec_->AnswerType() & 0x0F) == 0x0C && codec_->AnswerCommand() == CMD_IDENTIFY
                       ? AnswerVerdict::Accepted
                       : AnswerVerdict::Ignored;
          }
          return codec_->receiveBuffer[0] == 0xB0 ? AnswerVerdict::Accepted
                                                  : AnswerVerdict::Ignored;
        },
        timeoutMs);
    if (v != AnswerVerdict::Accepted) return false;
    if (addressed) {
      const uint8_t* d = codec_->AnswerData();
      const int n = codec_->AnswerDataLength();
      int at = 0;
      while (at < n && d[at] != 0) ++at;
      ++at;
      int values[3] = {48, -1, -1};
      for (int i = 0; i < 3 && at + 1 < n; ++i, at += 2) values[i] = d[at] | (d[at + 1] << 8);
      blockSize = values[0] - kAddressedOverhead;
      key = values[2];
    } else {
      const int n = codec_->BlockSize();
      blockSize = n;
      key = codec_->protocol == PROTOCOL_IGN300
                ? (codec_->receiveBuffer[2] << 8) | codec_->receiveBuffer[3]
                : codec_->receiveBuffer[n];
    }
    return true;
  }

  // Reads [0, 1050) in blocks of n bytes.
  bool ReadImage(int32_t n, std::vector<uint8_t>& out) {
    out.clear();
    std::vector<uint8_t> zeros(8000, 0);
    for (int32_t a = 0; a < 1050; a += n) {
      const int32_t length = codec_->Family() == FrameFamily::Block ? n : std::min(n, 1050 - a);
      if (!Exchange(JOB_READ, a, length, zeros.data(), 8000, &out)) return false;
    }
    out.resize(1050);
    return true;
  }

  bool WriteImage(int32_t n, const std::vector<uint8_t>& image) {
    std::vector<uint8_t> buffer(8000, 0);
    std::copy(image.begin(), image.end(), buffer.begin());
    for (int32_t a = 0; a < 1050; a += n) {
      const int32_t length = codec_->Family() == FrameFamily::Block ? n : std::min(n, 1050 - a);
      if (!Exchange(JOB_WRITE, a, length, buffer.data(), 8000, nullptr)) return false;
    }
    return true;
  }

 private:
  PortBuffers View() { return PortBuffers{ring_, &read_, &write_, tx_, &txCount_}; }
  // The I/O thread's part: write out the transmit buffer.
  void Flush() {
    const int32_t n = txCount_.load();
    if (n > 0) {
      line_.Write(tx_, static_cast<size_t>(n));
      txCount_.store(0);
    }
  }
  // The I/O thread's part: move received bytes into the ring, never more than its free space.
  void Fill(int timeoutMs) {
    const int32_t r = read_.load();
    int32_t w = write_.load();
    const int32_t free = (r - w - 1 + kPortBufferSize) % kPortBufferSize;
    if (free == 0) return;
    uint8_t buffer[kPortBufferSize];
    const size_t n = line_.Read(buffer, static_cast<size_t>(free), timeoutMs);
    for (size_t i = 0; i < n; ++i) {
      ring_[w] = buffer[i];
      w = (w + 1) % kPortBufferSize;
    }
    write_.store(w);
  }

  ByteLine& line_;
  std::unique_ptr<FrameCodec> codec_ = std::make_unique<FrameCodec>();
  uint8_t ring_[kPortBufferSize] = {};
  std::atomic<int32_t> read_{0};
  std::atomic<int32_t> write_{0};
  uint8_t tx_[kPortBufferSize] = {};
  std::atomic<int32_t> txCount_{0};
};

}  // namespace zeda::test
