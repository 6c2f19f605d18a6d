// Port faults against simulated units: an open that blocks (and then fails or goes
// through), ending the link while an I/O thread is stuck in an open, the system console,
// and the line settings a port is left with.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gated_device.h"
#include "link_e2e_util.h"
#include "port_test_util.h"

namespace zeda {
namespace {

using test::Gate;
using test::RunUntil;

struct BlockedOpenCase {
  const char* name;
  int holdRuns;  // device-machine runs (100 ms of tickMs each) the open stays blocked
  int err;       // how the blocked open ends: errno, or 0 = it goes through
};

class BlockedOpen : public ::testing::TestWithParam<BlockedOpenCase> {
 protected:
  void SetUp() override { SetTickCount(100); }
  test::GatedDevices devices_;
};

// The search gives a port up 600 ms into an open and asks for it to be closed; the port
// layer turns an open into a close after 5000 ms. However the open finally ends, the port
// must be usable again: the unit is found on it.
TEST_P(BlockedOpen, PortOpensAgainAndTheUnitIsFound) {
  const BlockedOpenCase c = GetParam();
  test::SimUnitThread unit({});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{7, unit.Path()}});
  Gate().Hold(1);
  CCOMCOM link;
  test::TraceFile trace;
  ASSERT_GE(RunUntil(
                link, [] { return Gate().waiting.load() == 1; }, 50),
            0);
  for (int i = 0; i < c.holdRuns; ++i) test::RunOnce(link);
  EXPECT_EQ(link.connectedPort.load(), 0);
  EXPECT_NE(trace.Find("Not Openning"), -1);
  Gate().Release(c.err);
  EXPECT_GE(RunUntil(
                link, [&] { return link.connectedPort.load() == 7; }, 150),
            0)
      << "the port was never opened again";
  EXPECT_EQ(link.Port(7).requests.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Link, BlockedOpen,
                         ::testing::Values(BlockedOpenCase{"FailsAfterGiveUp", 12, EIO},
                                           BlockedOpenCase{"SucceedsAfterGiveUp", 12, 0},
                                           BlockedOpenCase{"FailsAfterOpenLimit", 60, EIO},
                                           BlockedOpenCase{"SucceedsAfterOpenLimit", 60, 0}),
                         [](const ::testing::TestParamInfo<BlockedOpenCase>& info) {
                           return info.param.name;
                         });

// Ending the program never waits on a device: the link object goes away at once while
// an I/O thread sits in an open that has not returned; the thread, released later, ends
// without touching the freed port.
TEST(LinkExit, ReturnsAtOnceWhileAnOpenHangs) {
  SetTickCount(100);
  test::GatedDevices devices;
  test::SimUnitThread unit({});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{7, unit.Path()}});
  Gate().Hold(1);
  auto link = std::make_unique<CCOMCOM>();
  link->comSetting = 7;
  ASSERT_GE(RunUntil(
                *link, [] { return Gate().waiting.load() == 1; }, 50),
            0);
  const auto start = std::chrono::steady_clock::now();
  link.reset();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(1));
  // The open now goes through on a device nobody owns but the thread: it closes it again.
  Gate().Release(0);
  ASSERT_TRUE(test::WaitUntil([] { return Gate().waiting.load() == 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // The unit's pty is free again: a new link connects to it.
  CCOMCOM again;
  EXPECT_GE(RunUntil(
                again, [&] { return again.connectedPort.load() == 7; }, 150),
            0);
}

// The kernel console is left alone by the automatic search (never opened, nothing
// written to it), though a unit answers there; fixing its COM number by hand reaches it.
TEST(ConsoleTty, AutomaticSearchLeavesItAloneAFixedNumberReachesIt) {
  namespace fs = std::filesystem;
  SetTickCount(100);
  test::SimUnitThread unit({});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  char tmpl[] = "/tmp/zeda-console-XXXXXX";
  const std::string root = ::mkdtemp(tmpl);
  const std::string sys = root + "/class", dev = root + "/dev";
  fs::create_directories(sys + "/ttyS9/device");
  std::ofstream(sys + "/ttyS9/type") << "4\n";
  fs::create_directories(sys + "/console");
  std::ofstream(sys + "/console/active") << "tty0 ttyS9\n";
  fs::create_directories(dev);
  fs::create_symlink(unit.Path(), dev + "/ttyS9");
  ::unsetenv("ZEDA_PORTS");
  ::unsetenv("ZEDA_PORTS_ONLY");  // the system part comes from the stand-in folders only
  test::TraceFile trace;
  {
    CCOMCOM link;
    link.Ports().SetSysClassDir(sys.c_str());
    link.Ports().SetDevDir(dev.c_str());
    EXPECT_EQ(RunUntil(
                  link, [&] { return link.connectedPort.load() != 0; }, 30),
              -1);
    EXPECT_EQ(link.Port(10).present, 1);
    EXPECT_TRUE(link.Port(10).console);
    EXPECT_EQ(trace.Find("OPEN COM10"), -1) << "the search opened the console";
    link.comSetting = 10;
    // Generous: a loaded machine (CI builds beside it) may need many runs to connect; the
    // loop ends as soon as it has.
    EXPECT_GE(RunUntil(
                  link, [&] { return link.connectedPort.load() == 10; }, 400),
              0);
  }
  ::setenv("ZEDA_PORTS_ONLY", "1", 1);
  std::error_code ec;
  fs::remove_all(root, ec);
}

bool SameLine(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

// A port is set raw at the search's speed while in use and gets back the line settings
// it had (here a cooked terminal at 9600) when it is closed.
TEST(PortTermios, LineSettingsComeBackAtClose) {
  SetTickCount(100);
  test::Pty pty;
  ASSERT_TRUE(pty.Ok());
  test::RegisterPorts({{7, pty.Slave()}});
  const int fd = ::open(pty.Slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios before{};
  ASSERT_EQ(::tcgetattr(fd, &before), 0);
  before.c_lflag |= ICANON | ECHO | ISIG;
  before.c_iflag |= ICRNL | IXON;
  before.c_oflag |= OPOST | ONLCR;
  cfsetispeed(&before, B9600);
  cfsetospeed(&before, B9600);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &before), 0);
  ASSERT_EQ(::tcgetattr(fd, &before), 0);
  {
    CCOMCOM link;
    link.comSetting = 7;
    ASSERT_GE(RunUntil(
                  link, [&] { return !pty.Read().empty(); }, 30),
              0)
        << "nothing sent";
    termios during{};
    ASSERT_EQ(::tcgetattr(fd, &during), 0);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(cfgetospeed(&during), static_cast<speed_t>(B57600));
    link.comSetting = kComSettingOff;
    EXPECT_GE(RunUntil(
                  link, [&] { return link.Port(7).portState.load() == PORT_CLOSED; }, 30),
              0);
    termios after{};
    ASSERT_EQ(::tcgetattr(fd, &after), 0);
    EXPECT_TRUE(SameLine(before, after)) << "line settings not restored at close";
  }
  ::close(fd);
}

// The row that connected a device is remembered in application.ini and probed first on
// the next connection: a unit on the last row (IGN300) is asked on its own protocol
// before any other.
TEST(KnownPort, RowThatConnectedIsProbedFirstNextTime) {
  SetTickCount(100);
  test::SimUnitThread unit({"--protocol", "3300"});
  ASSERT_TRUE(unit.Ok()) << unit.error;
  test::RegisterPorts({{7, unit.Path()}});
  char name[] = "/tmp/zeda-known-XXXXXX";
  const int fd = ::mkstemp(name);
  ASSERT_GE(fd, 0);
  ::close(fd);
  {
    CCOMCOM first;
    first.knownPortsIni = name;
    ASSERT_GE(RunUntil(
                  first, [&] { return first.connectedPort.load() == 7; }, 300),
              0);
  }
  std::ifstream in(name);
  const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(ini.find("[KNOWN_PORTS]"), std::string::npos) << ini;
  EXPECT_NE(ini.find(unit.Path() + "=13,3300,115200"), std::string::npos) << ini;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  test::TraceFile trace;
  CCOMCOM again;
  again.knownPortsIni = name;
  const int runs = RunUntil(
      again, [&] { return again.connectedPort.load() == 7; }, 300);
  EXPECT_GE(runs, 0);
  EXPECT_LE(runs, 8) << "a known unit takes as long as a new one";
  const int asked = trace.Find("Send Once");
  ASSERT_NE(asked, -1);
  EXPECT_NE(trace.Lines()[static_cast<size_t>(asked)].find("(IGN300)"), std::string::npos);
  std::remove(name);
}

}  // namespace
}  // namespace zeda
