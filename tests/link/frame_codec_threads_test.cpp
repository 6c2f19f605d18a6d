// The codec's hand-over with a port's I/O thread: ring and transmit buffer shared by two
// threads through their atomic indices and count, as the port layer does it.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "link/frame_codec.h"
#include "link/frame_test_util.h"

namespace zeda {
namespace {

struct SharedPort {
  uint8_t ring[kPortBufferSize] = {};
  std::atomic<int32_t> read{0};
  std::atomic<int32_t> write{0};
  uint8_t tx[kPortBufferSize] = {};
  std::atomic<int32_t> txCount{0};
  PortBuffers View() { return PortBuffers{ring, &read, &write, tx, &txCount}; }
};

TEST(FrameCodecThreads, FramesArriveWholeWhileAnotherThreadFillsTheRing) {
  auto port = std::make_unique<SharedPort>();
  constexpr int kFrames = 300;
  std::vector<uint8_t> stream;
  for (int i = 0; i < kFrames; ++i) {
    const test::Bytes frame = test::Block(static_cast<uint8_t>(0xC1 + i % 7),
                                          test::Bytes(150, static_cast<uint8_t>(i)), 150);
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  // The I/O thread: writes bytes and the write index, never more than the free space.
  std::thread io([&] {
    size_t at = 0;
    while (at < stream.size()) {
      const int32_t r = port->read.load(std::memory_order_acquire);
      int32_t w = port->write.load(std::memory_order_relaxed);
      int32_t free = (r - w - 1 + kPortBufferSize) % kPortBufferSize;
      if (free == 0) {
        std::this_thread::yield();
        continue;
      }
      free = std::min<int32_t>(free, 37);  // odd chunks, across the ring's end
      for (int32_t i = 0; i < free && at < stream.size(); ++i) {
        port->ring[w] = stream[at++];
        w = (w + 1) % kPortBufferSize;
      }
      port->write.store(w, std::memory_order_release);
    }
  });
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_IGN150, 175);
  int frames = 0;
  bool inOrder = true;
  const PortBuffers view = port->View();
  while (frames < kFrames) {
    if (codec.ReceiveFrame(view)) {
      inOrder = inOrder && codec.receiveBuffer[1] == static_cast<uint8_t>(frames) &&
                codec.receiveBuffer[0] == 0xC1 + frames % 7;
      ++frames;
    } else {
      std::this_thread::yield();
    }
  }
  io.join();
  EXPECT_EQ(frames, kFrames);
  EXPECT_TRUE(inOrder);
}

TEST(FrameCodecThreads, TransmitPartsAreTakenByAnotherThread) {
  auto port = std::make_unique<SharedPort>();
  auto image = std::make_unique<uint8_t[]>(8000);
  for (int i = 0; i < 8000; ++i) image[i] = static_cast<uint8_t>(i * 13);
  FrameCodec codec;
  codec.ResetCodec(PROTOCOL_WCOM, 75);
  codec.BuildJobRequest(17, 0, 512, image.get(), 8000, 0);
  std::vector<uint8_t> wire;
  std::atomic<bool> done{false};
  std::thread io([&] {
    while (!done.load(std::memory_order_acquire) || port->txCount.load() > 0) {
      const int32_t n = port->txCount.load(std::memory_order_acquire);
      if (n > 0) {
        wire.insert(wire.end(), port->tx, port->tx + n);
        port->txCount.store(0, std::memory_order_release);
      } else {
        std::this_thread::yield();
      }
    }
  });
  const PortBuffers view = port->View();
  for (int round = 0; round < 20; ++round) {
    codec.RewindTransmit();
    while (!codec.SendFrame(view)) std::this_thread::yield();
  }
  done.store(true, std::memory_order_release);
  io.join();
  ASSERT_EQ(wire.size(), 20u * 528u);
  for (int round = 0; round < 20; ++round) {
    EXPECT_TRUE(
        std::equal(codec.transmitFrame, codec.transmitFrame + 528, wire.begin() + round * 528));
  }
}

}  // namespace
}  // namespace zeda
