// Frame codec throughput: receiving whole answers byte by byte through the ring, and
// building requests. The link worker polls every millisecond, so a frame must cost far
// less than that.
#include "link/frame_codec.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <vector>

#include "link/frame_checks.h"
#include "link/job_codes.h"

namespace {

using namespace zeda;

std::vector<uint8_t> Answer(int32_t protocol) {
  std::vector<uint8_t> f;
  if (protocol == PROTOCOL_WCOM || protocol == PROTOCOL_WCOMS) {
    f = {0xFF, 0xFF, 0xFF, 0xFF,
         0xA5, 0x5A, 0xBB, static_cast<uint8_t>(protocol == PROTOCOL_WCOM ? 0xBC : 0xFC),
         0x10, 0x70, 0,    0,
         150,  0};
    for (int i = 0; i < 150; ++i) f.push_back(static_cast<uint8_t>(i));
    const size_t end = f.size();
    f.resize(end + 2);
    if (protocol == PROTOCOL_WCOM) {
      const uint16_t crc = Crc16(f.data(), end);
      f[end] = static_cast<uint8_t>(crc & 0xFF);
      f[end + 1] = static_cast<uint8_t>(crc >> 8);
    } else {
      StoreSumCheck(f.data(), end);
    }
    return f;
  }
  const int n = FindProtocol(protocol)->blockSize;
  f.push_back(0xC1);
  for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(i));
  f.push_back(BlockCheck(f.data(), f.size()));
  return f;
}

void BM_ReceiveFrame(benchmark::State& state) {
  const int32_t protocol = static_cast<int32_t>(state.range(0));
  const std::vector<uint8_t> frame = Answer(protocol);
  auto codec = std::make_unique<FrameCodec>();
  codec->ResetCodec(protocol, 175);
  uint8_t ring[kPortBufferSize];
  std::atomic<int32_t> read{0}, write{0}, txCount{0};
  uint8_t tx[kPortBufferSize];
  const PortBuffers port{ring, &read, &write, tx, &txCount};
  int64_t frames = 0;
  for (auto _ : state) {
    int32_t w = write.load();
    for (uint8_t b : frame) {
      ring[w] = b;
      w = (w + 1) % kPortBufferSize;
    }
    write.store(w);
    frames += codec->ReceiveFrame(port) ? 1 : 0;
  }
  if (frames != state.iterations()) state.SkipWithError("a frame was lost");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
}
BENCHMARK(BM_ReceiveFrame)->Arg(1)->Arg(2)->Arg(3050)->Arg(3150)->Arg(3300);

void BM_BuildJobRequest(benchmark::State& state) {
  const int32_t protocol = static_cast<int32_t>(state.range(0));
  auto codec = std::make_unique<FrameCodec>();
  codec->ResetCodec(protocol, 175);
  std::vector<uint8_t> image(8000, 0x5A);
  for (auto _ : state) {
    benchmark::DoNotOptimize(codec->BuildJobRequest(JOB_WRITE, 150, 150, image.data(), 8000, 107));
  }
}
BENCHMARK(BM_BuildJobRequest)->Arg(1)->Arg(2)->Arg(3150);

}  // namespace

BENCHMARK_MAIN();
