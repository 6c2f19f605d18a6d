// The port layer over pseudo-terminals: open/close state machine, line speed, exclusive
// use, both directions through the rings, open errors, device list changes and a device
// that vanishes while open.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "base/tick_clock.h"
#include "base/trace.h"
#include "link/ccomiosys.h"
#include "port_test_util.h"

namespace zeda {
namespace {

using test::PortFolder;
using test::Pty;
using test::WaitUntil;

class PortTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTickCount(100);
    ASSERT_TRUE(pty_.Ok());
    folder_.Link(7, pty_.Slave());
    folder_.Publish({7});
    sys_ = std::make_unique<CCOMIOSYS>();
  }
  void TearDown() override { sys_.reset(); }

  // Runs the supervisor (every second tick, as the main tick does) until `done`.
  bool SuperviseUntil(const std::function<bool()>& done, double seconds = 5.0) {
    return WaitUntil(
        [&] {
          AdvanceTick();
          AdvanceTick();
          sys_->SupervisePorts();
          return done();
        },
        seconds);
  }
  bool OpenAndWait(int port, int32_t baud) {
    sys_->OpenPort(port, baud);
    return SuperviseUntil(
        [&] { return sys_->Port(port).IsOpen() && sys_->Port(port).requests.load() == 0; });
  }

  Pty pty_;
  PortFolder folder_;
  std::unique_ptr<CCOMIOSYS> sys_;
};

TEST_F(PortTransportTest, OpensClosesAndReopensWithNewSpeed) {
  ASSERT_TRUE(OpenAndWait(7, 57600));
  EXPECT_EQ(pty_.Speed(), static_cast<speed_t>(B57600));
  EXPECT_STREQ(sys_->Port(7).lineSettings, "57600,N,8,1");
  EXPECT_EQ(sys_->Port(7).openResult.load(), OPEN_RESULT_NONE);

  // An open request on an open port closes it first, then opens at the new speed.
  sys_->OpenPort(7, 115200);
  EXPECT_EQ(sys_->Port(7).requests.load(), REQ_CLOSE | REQ_OPEN);
  bool sawClosed = false;
  ASSERT_TRUE(SuperviseUntil([&] {
    const CCOM& p = sys_->Port(7);
    if (p.portState.load() == PORT_CLOSED) sawClosed = true;
    return sawClosed && p.IsOpen() && p.requests.load() == 0;
  }));
  EXPECT_EQ(pty_.Speed(), static_cast<speed_t>(B115200));
  EXPECT_STREQ(sys_->Port(7).lineSettings, "115200,N,8,1");

  sys_->ClosePort(7);
  ASSERT_TRUE(SuperviseUntil([&] {
    const CCOM& p = sys_->Port(7);
    return p.portState.load() == PORT_CLOSED && p.requests.load() == 0 &&
           p.threadState.load() == THREAD_NONE;
  }));
  // Closing a closed port asks for nothing.
  sys_->ClosePort(7);
  EXPECT_EQ(sys_->Port(7).requests.load(), 0);
}

TEST_F(PortTransportTest, CloseRightAfterOpenLeavesThePortClosed) {
  sys_->OpenPort(7, 57600);
  AdvanceTick();
  sys_->SupervisePorts();  // open command given
  sys_->ClosePort(7);
  ASSERT_TRUE(SuperviseUntil([&] {
    const CCOM& p = sys_->Port(7);
    return p.requests.load() == 0 && p.threadState.load() == THREAD_NONE;
  }));
  EXPECT_EQ(sys_->Port(7).portState.load(), PORT_CLOSED);
}

TEST_F(PortTransportTest, BytesPassBothWaysThroughRingWrapAround) {
  ASSERT_TRUE(OpenAndWait(7, 57600));
  CCOM& port = sys_->Port(7);
  // Sizes that do not divide the ring, so the indices wrap at every position.
  uint8_t next = 0;
  uint8_t expect = 0;
  for (int round = 0; round < 12; ++round) {
    const int32_t size = 97 + round * 17;  // up to 284 bytes, less than the ring holds
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    for (uint8_t& b : bytes) b = next++;
    pty_.Write(bytes);
    std::vector<uint8_t> got;
    ASSERT_TRUE(WaitUntil([&] {
      uint8_t buf[400];
      const int32_t n = port.ReadBytes(buf, sizeof buf);
      got.insert(got.end(), buf, buf + n);
      return got.size() >= bytes.size();
    })) << "round "
        << round;
    ASSERT_EQ(got.size(), bytes.size());
    for (uint8_t b : got) ASSERT_EQ(b, expect++);
    EXPECT_EQ(port.Received(), 0);

    // And back: the transmit buffer takes up to 330 bytes at a time.
    std::vector<uint8_t> out(static_cast<size_t>(size + 40));
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(round * 31 + i);
    ASSERT_TRUE(WaitUntil([&] { return port.TransmitIdle(); }));
    ASSERT_TRUE(port.Transmit(out.data(), static_cast<int32_t>(out.size())));
    EXPECT_EQ(pty_.ReadCount(out.size()), out);
  }
  EXPECT_FALSE(port.Transmit(next == 0 ? &next : &expect, kComBufSize + 1));
}

TEST_F(PortTransportTest, FullRingLeavesTheRestInTheDriver) {
  ASSERT_TRUE(OpenAndWait(7, 115200));
  CCOM& port = sys_->Port(7);
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  pty_.Write(bytes);
  // The ring never holds more than 329 bytes (one slot stays free).
  ASSERT_TRUE(WaitUntil([&] { return port.Received() == kComBufSize - 1; }));
  std::vector<uint8_t> got;
  ASSERT_TRUE(WaitUntil([&] {
    EXPECT_LE(port.Received(), kComBufSize - 1);
    uint8_t buf[64];
    const int32_t n = port.ReadBytes(buf, sizeof buf);
    got.insert(got.end(), buf, buf + n);
    return got.size() >= bytes.size();
  }));
  EXPECT_EQ(got, bytes);
}

TEST_F(PortTransportTest, TracesOpenTransmitAndClose) {
  char name[] = "/tmp/zeda-trace-XXXXXX";
  const int fd = ::mkstemp(name);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ASSERT_TRUE(LinkTraceSink().Open(name));
  ASSERT_TRUE(OpenAndWait(7, 57600));
  const uint8_t frame[3] = {0x41, 0x00, 0xBE};
  const uint8_t monitor[2] = {0x30, 0x01};
  CCOM& port = sys_->Port(7);
  ASSERT_TRUE(port.Transmit(monitor, 2));  // monitor requests are not traced
  ASSERT_EQ(pty_.ReadCount(2).size(), 2u);
  ASSERT_TRUE(WaitUntil([&] { return port.TransmitIdle(); }));
  ASSERT_TRUE(port.Transmit(frame, 3));
  ASSERT_EQ(pty_.ReadCount(3).size(), 3u);
  sys_->ClosePort(7);
  ASSERT_TRUE(SuperviseUntil([&] { return sys_->Port(7).portState.load() == PORT_CLOSED; }));
  LinkTraceSink().Close();

  std::ifstream in(name);
  std::stringstream text;
  text << in.rdbuf();
  const std::string log = text.str();
  ::unlink(name);
  EXPECT_NE(log.find("]OPEN COM7 (57600,N,8,1)\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\n[7:TMR="), std::string::npos) << log;
  // The transmission count runs on over the whole process.
  EXPECT_TRUE(std::regex_search(log, std::regex("\\]TX [0-9]+:\n41\t00\tbe\t\n"))) << log;
  EXPECT_EQ(log.find("30\t01"), std::string::npos) << log;
  EXPECT_NE(log.find("]CLOSE COM7\n"), std::string::npos) << log;
}

// A failed open reports result 1 and keeps why, so the user can be told apart
// "permission denied" from "busy".
TEST_F(PortTransportTest, FailedOpensGiveResultOneAndKeepTheReason) {
  const std::string file = folder_.Dir() + "/plain";
  std::ofstream(file) << "not a tty";
  struct Case {
    int com;
    std::string target;
    SerialOpenError error;
  };
  const std::vector<Case> cases = {
      {9, folder_.Dir() + "/missing", SerialOpenError::NotFound},
      {10, file, SerialOpenError::NotSerial},
  };
  for (const Case& c : cases) folder_.Link(c.com, c.target);
  folder_.Publish({7, 9, 10});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.com);
    sys_->OpenPort(c.com, 57600);
    ASSERT_TRUE(SuperviseUntil([&] { return sys_->Port(c.com).requests.load() == 0; }));
    EXPECT_EQ(sys_->Port(c.com).openResult.load(), OPEN_RESULT_FAILED);
    EXPECT_EQ(sys_->Port(c.com).portState.load(), PORT_CLOSED);
    EXPECT_EQ(sys_->Port(c.com).OpenError(), c.error);
  }
  // A port number without any device path fails the same way.
  sys_->OpenPort(200, 57600);
  ASSERT_TRUE(SuperviseUntil([&] { return sys_->Port(200).requests.load() == 0; }));
  EXPECT_EQ(sys_->Port(200).openResult.load(), OPEN_RESULT_FAILED);
  // Numbers above 255 are ignored.
  sys_->OpenPort(256, 57600);
  sys_->ClosePort(300);
}

TEST_F(PortTransportTest, PortHeldElsewhereIsBusy) {
  // Another program holding the device (advisory lock, as this program takes it).
  const int other = ::open(pty_.Slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  sys_->OpenPort(7, 57600);
  ASSERT_TRUE(SuperviseUntil([&] { return sys_->Port(7).requests.load() == 0; }));
  EXPECT_EQ(sys_->Port(7).openResult.load(), OPEN_RESULT_FAILED);
  EXPECT_EQ(sys_->Port(7).OpenError(), SerialOpenError::Busy);
  ::close(other);

  // Once open here, a second user is kept out.
  ASSERT_TRUE(OpenAndWait(7, 57600));
  std::unique_ptr<SerialDevice> second = MakeSerialDevice();
  EXPECT_FALSE(second->Open(pty_.Slave().c_str(), 57600));
  EXPECT_EQ(ClassifyOpenErrno(second->LastErrno()), SerialOpenError::Busy);
}

TEST(SerialOpenErrorTest, ErrnoValuesMapToReasons) {
  struct Case {
    int err;
    SerialOpenError error;
  };
  const Case cases[] = {
      {0, SerialOpenError::None},
      {ENOENT, SerialOpenError::NotFound},
      {ENODEV, SerialOpenError::NotFound},
      {EACCES, SerialOpenError::PermissionDenied},
      {EPERM, SerialOpenError::PermissionDenied},
      {EBUSY, SerialOpenError::Busy},
      {EWOULDBLOCK, SerialOpenError::Busy},
      {ENOTTY, SerialOpenError::NotSerial},
      {EINVAL, SerialOpenError::BadSpeed},
      {EIO, SerialOpenError::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyOpenErrno(c.err), c.error) << c.err;
  EXPECT_STREQ(SerialOpenErrorName(SerialOpenError::PermissionDenied), "permission denied");
  EXPECT_STREQ(SerialOpenErrorName(SerialOpenError::Busy), "busy");
}

TEST_F(PortTransportTest, UnsupportedSpeedFailsTheOpen) {
  sys_->OpenPort(7, 12345);
  ASSERT_TRUE(SuperviseUntil([&] { return sys_->Port(7).requests.load() == 0; }));
  EXPECT_EQ(sys_->Port(7).openResult.load(), OPEN_RESULT_FAILED);
  EXPECT_EQ(sys_->Port(7).OpenError(), SerialOpenError::BadSpeed);
}

TEST_F(PortTransportTest, VanishedPortIsScannedAtMostOncePerSecondAndChangesTheListOnce) {
  sys_->SupervisePorts();
  EXPECT_TRUE(sys_->portsScanned);
  EXPECT_EQ(sys_->Port(7).present, 1);
  EXPECT_EQ(sys_->Port(0).present, 0);
  EXPECT_TRUE(sys_->portListChanged);
  sys_->portListChanged = false;  // the COM menu was rebuilt

  folder_.Unlink(7);
  AdvanceTick();  // 50 ms later: no new scan yet
  sys_->SupervisePorts();
  EXPECT_EQ(sys_->Port(7).present, 1);
  for (int i = 0; i < 18; ++i) AdvanceTick();  // 950 ms after the scan
  sys_->SupervisePorts();
  EXPECT_EQ(sys_->Port(7).present, 1);
  AdvanceTick();  // 1000 ms
  sys_->SupervisePorts();
  EXPECT_EQ(sys_->Port(7).present, 0);
  EXPECT_TRUE(sys_->portListChanged);
  sys_->portListChanged = false;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 20; ++i) AdvanceTick();
    sys_->SupervisePorts();
  }
  EXPECT_FALSE(sys_->portListChanged);
  // It comes back.
  folder_.Link(7, pty_.Slave());
  for (int i = 0; i < 20; ++i) AdvanceTick();
  sys_->SupervisePorts();
  EXPECT_EQ(sys_->Port(7).present, 1);
  EXPECT_TRUE(sys_->portListChanged);
}

TEST_F(PortTransportTest, VanishedDeviceClosesCleanlyAndOpensAgainLater) {
  ASSERT_TRUE(OpenAndWait(7, 57600));
  CCOM& port = sys_->Port(7);
  // The other end goes away (the simulator exits, the adapter is unplugged).
  pty_.Close();
  ASSERT_TRUE(WaitUntil([&] {
    return port.portState.load() == PORT_CLOSED && port.threadState.load() == THREAD_ENDED;
  }));
  EXPECT_TRUE(port.lost.load());
  EXPECT_EQ(port.threadCommand.load(), CMD_NONE);
  // The supervisor only joins the ended thread; nothing is left running.
  sys_->SupervisePorts();
  EXPECT_EQ(port.threadState.load(), THREAD_NONE);
  EXPECT_FALSE(port.thread.joinable());

  // The device comes back under the same name.
  pty_.Open();
  ASSERT_TRUE(pty_.Ok());
  folder_.Link(7, pty_.Slave());
  for (int i = 0; i < 20; ++i) AdvanceTick();
  ASSERT_TRUE(OpenAndWait(7, 57600));
  EXPECT_FALSE(port.lost.load());
  pty_.Write({1, 2, 3});
  uint8_t buf[8];
  int32_t got = 0;
  ASSERT_TRUE(WaitUntil([&] {
    got += port.ReadBytes(buf + got, 3 - got);
    return got == 3;
  }));
  EXPECT_EQ(buf[2], 3);
}

TEST_F(PortTransportTest, DestructionClosesOpenPortsAndJoinsTheirThreads) {
  ASSERT_TRUE(OpenAndWait(7, 57600));
  sys_.reset();
  // The slave end is closed: the master reads EIO (or end of file) at once.
  uint8_t b = 0;
  const ssize_t n = ::read(pty_.Master(), &b, 1);
  EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

// A device whose open hangs until the test lets it go.
class HangingDevice final : public SerialDevice {
 public:
  static std::atomic<bool> release;
  static std::atomic<int> opens;
  static std::atomic<int> closes;
  bool Open(const char*, int32_t) override {
    opens.fetch_add(1);
    while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    open_ = true;
    return true;
  }
  bool IsOpen() const override { return open_; }
  int LastErrno() const override { return 0; }
  int32_t Waiting() override { return 0; }
  int32_t Read(uint8_t*, int32_t) override { return 0; }
  int32_t Write(const uint8_t*, int32_t count, int) override { return count; }
  void Purge() override {}
  void Close() override {
    if (open_) closes.fetch_add(1);
    open_ = false;
  }
  SerialWaitResult Wait(int wakeFd, bool, int timeoutMs) override {
    WaitOnWakeHandle(wakeFd, timeoutMs);
    return SerialWaitResult{};
  }

 private:
  bool open_ = false;
};
std::atomic<bool> HangingDevice::release{false};
std::atomic<int> HangingDevice::opens{0};
std::atomic<int> HangingDevice::closes{0};

std::unique_ptr<SerialDevice> MakeHangingDevice() { return std::make_unique<HangingDevice>(); }

TEST(PortOpenLimitTest, OpenThatHangsIsTurnedIntoACloseAfter5000Ms) {
  ::setenv("ZEDA_PORTS_ONLY", "1", 1);
  ::unsetenv("ZEDA_PORTS");
  SetTickCount(100);
  HangingDevice::release = false;
  const SerialDeviceFactory previous = SetSerialDeviceFactory(&MakeHangingDevice);
  auto sys = std::make_unique<CCOMIOSYS>();
  SetSerialDeviceFactory(previous);
  CCOM& port = sys->Port(5);

  sys->OpenPort(5, 57600);
  sys->SupervisePorts();
  ASSERT_TRUE(WaitUntil([&] { return port.portState.load() == PORT_OPENING; }));
  // 5000 ms of ticks: still waiting.
  for (int i = 0; i < 100; ++i) AdvanceTick();
  sys->SupervisePorts();
  EXPECT_EQ(port.openResult.load(), OPEN_RESULT_NONE);
  EXPECT_EQ(port.requests.load(), REQ_OPEN);
  AdvanceTick();
  sys->SupervisePorts();
  EXPECT_EQ(port.openResult.load(), OPEN_RESULT_TIMEOUT);
  EXPECT_EQ(port.requests.load(), REQ_CLOSE);
  // The thread stuck in the open is let go: the port counts as closed, without a thread,
  // and can be opened again with a fresh device.
  EXPECT_EQ(port.threadCommand.load(), CMD_NONE);
  EXPECT_EQ(port.threadState.load(), THREAD_NONE);
  EXPECT_FALSE(port.thread.joinable());
  AdvanceTick();
  sys->SupervisePorts();
  EXPECT_EQ(port.requests.load(), 0);

  // When the open finally returns, the thread closes the device it opened and ends.
  HangingDevice::release = true;
  ASSERT_TRUE(WaitUntil([&] { return HangingDevice::closes.load() == 1; }));
  EXPECT_EQ(port.portState.load(), PORT_CLOSED);
  EXPECT_EQ(HangingDevice::opens.load(), 1);
  EXPECT_EQ(port.openResult.load(), OPEN_RESULT_TIMEOUT);  // kept for the caller
}

}  // namespace
}  // namespace zeda
