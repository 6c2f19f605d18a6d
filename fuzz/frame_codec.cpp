// Arbitrary bytes into the frame receiver of every protocol, through the ring and the
// capture diversion, followed by the acceptance rules on whatever completes.
#include "link/frame_codec.h"

#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/job_codes.h"

namespace {

constexpr int32_t kProtocols[] = {0, 1, 2, 3050, 3100, 3150, 3300};
constexpr int32_t kJobs[] = {zeda::JOB_WRITE, zeda::JOB_READ, zeda::JOB_MONITOR, zeda::JOB_SPECIAL,
                             zeda::JOB_IDBLOCK};

struct State {
  zeda::FrameCodec codec;
  uint8_t ring[zeda::kPortBufferSize] = {};
  std::atomic<int32_t> read{0};
  std::atomic<int32_t> write{0};
  uint8_t tx[zeda::kPortBufferSize] = {};
  std::atomic<int32_t> txCount{0};
  zeda::CaptureRecord record;
  zeda::CaptureRecord completed;
  std::atomic<int32_t> pollMask{1};
  uint8_t image[1100] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* state = new State();
  if (size < 4) return 0;
  State& s = *state;
  const int32_t protocol = kProtocols[data[0] % 7];
  const int32_t job = kJobs[data[1] % 5];
  const bool capture = (data[2] & 1) != 0;
  const int32_t address = (data[3] % 22) * 50;
  data += 4;
  size -= 4;

  s.codec.ResetCodec(protocol, 175);
  const int32_t expected = s.codec.BuildJobRequest(job, address, 150, s.image, sizeof s.image, 107);
  s.read = 0;
  s.write = 0;
  zeda::ReleaseCompletedCapture(s.completed);
  zeda::CancelCapture(s.record);
  if (capture) zeda::AnnounceCapture(s.record, 1, static_cast<uint16_t>(size / 2), 0, 0, 1);
  zeda::CaptureLink link{&s.record, &s.completed, &s.pollMask};
  zeda::PortBuffers port{s.ring, &s.read, &s.write, s.tx, &s.txCount};

  // Feed the ring in chunks that fit (one slot stays free), draining it between chunks.
  size_t at = 0;
  while (at < size) {
    int32_t w = s.write.load();
    size_t n = 0;
    while (at < size && n < zeda::kPortBufferSize - 1) {
      s.ring[w] = data[at++];
      w = (w + 1) % zeda::kPortBufferSize;
      ++n;
    }
    s.write.store(w);
    int guard = 0;
    while (s.read.load() != s.write.load() && guard++ < 4 * zeda::kPortBufferSize) {
      if (s.codec.ReceiveFrame(port, &link)) {
        s.codec.CheckAnswer(job, address, 150, expected, 0);
        volatile uint8_t sink = 0;
        const uint8_t* answer = s.codec.AnswerData();
        for (int32_t i = 0; i < s.codec.AnswerDataLength(); ++i) sink = sink ^ answer[i];
        (void)sink;
        (void)s.codec.IsEcho();
      }
    }
    zeda::ReleaseCompletedCapture(s.completed);
  }
  // Sending never leaves the frame either.
  s.codec.RewindTransmit();
  for (int i = 0; i < 4 && !s.codec.SendFrame(port); ++i) s.txCount = 0;
  s.txCount = 0;
  return 0;
}
