// COM numbers for the system's serial devices and the ZEDA_PORTS entries.
#include "link/port_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/ccomiosys.h"
#include "port_test_util.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

TEST(PortListTest, FixedNumbersFollowTheDeviceName) {
  const struct {
    const char* name;
    int32_t com;
  } cases[] = {
      {"ttyS0", 1},     {"ttyS31", 32},  {"ttyS32", 0},   {"ttyUSB0", 33},
      {"ttyUSB31", 64}, {"ttyUSB32", 0}, {"ttyACM0", 65}, {"ttyACM63", 128},
      {"ttyACM64", 0},  {"ttyAMA0", 0},  {"rfcomm0", 0},  {"ttyS", 0},
      {"ttyS1a", 0},    {"ttyUSBx", 0},  {"tty0", 0},     {"ttyACM7", 72},
  };
  for (const auto& c : cases) EXPECT_EQ(PortList::FixedComNumber(c.name), c.com) << c.name;
}

TEST(PortListTest, PortsVariableGivesFixedEntriesAndSkipsMalformedOnes) {
  PortEntry out[8];
  ASSERT_EQ(PortList::ParsePortsVariable("COM7=/dev/pts/3;COM9=/tmp/sim0", out, 8), 2);
  EXPECT_EQ(out[0].com, 7);
  EXPECT_STREQ(out[0].path, "/dev/pts/3");
  EXPECT_EQ(out[1].com, 9);
  EXPECT_STREQ(out[1].path, "/tmp/sim0");

  const struct {
    const char* text;
    int count;
  } cases[] = {
      {"", 0},          {";;", 0},       {"COM0=/x", 0},    {"COM256=/x", 0},
      {"COMX=/x", 0},   {"COM5=", 0},    {"=/x", 0},        {"COM5/x", 0},
      {"COM-5=/x", 0},  {"com12=/x", 1}, {" COM3=/a ;", 1}, {"COM3=/a;bad;COM4=/b", 2},
      {"COM255=/a", 1}, {"COM 5=/a", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortList::ParsePortsVariable(c.text, out, 8), c.count) << '"' << c.text << '"';
  }
  EXPECT_EQ(PortList::ParsePortsVariable(nullptr, out, 8), 0);
  EXPECT_EQ(PortList::ParsePortsVariable("COM1=/a;COM2=/b;COM3=/c", out, 2), 2);
}

// A stand-in for /sys/class/tty.
class FakeTtyClass {
 public:
  FakeTtyClass() {
    char tmpl[] = "/tmp/zeda-ttyclass-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  ~FakeTtyClass() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // A tty; withDevice false gives a virtual one (console, vt, pty); type < 0: no type file.
  void Add(const std::string& name, bool withDevice = true, int type = -1) {
    fs::create_directories(dir_ + "/" + name);
    if (withDevice) fs::create_directories(dir_ + "/" + name + "/device");
    if (type >= 0) std::ofstream(dir_ + "/" + name + "/type") << type << "\n";
  }
  void Remove(const std::string& name) { fs::remove_all(dir_ + "/" + name); }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

class SystemScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("ZEDA_PORTS");
    ::unsetenv("ZEDA_PORTS_ONLY");  // the system part is read from the fake folder only
    list_.SetSysClassDir(fake_.Dir().c_str());
  }
  void TearDown() override {
    ::setenv("ZEDA_PORTS_ONLY", "1", 1);
    ::unsetenv("ZEDA_PORTS");
  }
  int32_t ComOf(const char* name) const {
    for (int i = 0; i < list_.Count(); ++i) {
      if (std::string(list_.Entry(i).name) == name) return list_.Entry(i).com;
    }
    return 0;
  }

  FakeTtyClass fake_;
  PortList list_;
};

TEST_F(SystemScanTest, NumbersRealDevicesAndSkipsConsolesAndUnknownUarts) {
  fake_.Add("ttyS0", true, 4);  // a 16550A
  fake_.Add("ttyS1", true, 0);  // legacy entry without a UART: not a port
  fake_.Add("ttyS2");           // no type attribute: kept
  fake_.Add("tty0", false);     // virtual console
  fake_.Add("console", false);
  fake_.Add("ttyUSB1");
  fake_.Add("ttyACM0");
  fake_.Add("ttyAMA0");
  fake_.Add("rfcomm0");
  ASSERT_TRUE(list_.Scan());
  EXPECT_EQ(list_.Count(), 6);
  EXPECT_EQ(ComOf("ttyS0"), 1);
  EXPECT_EQ(ComOf("ttyS1"), 0);
  EXPECT_EQ(ComOf("ttyS2"), 3);
  EXPECT_EQ(ComOf("tty0"), 0);
  EXPECT_EQ(ComOf("ttyUSB1"), 34);
  EXPECT_EQ(ComOf("ttyACM0"), 65);
  EXPECT_EQ(ComOf("rfcomm0"), 129);  // others in name order from 129
  EXPECT_EQ(ComOf("ttyAMA0"), 130);
  ASSERT_NE(list_.Find(34), nullptr);
  EXPECT_STREQ(list_.Find(34)->path, "/dev/ttyUSB1");
  EXPECT_EQ(list_.Find(2), nullptr);
}

TEST_F(SystemScanTest, OtherDevicesKeepTheirNumbersWhileTheyExist) {
  fake_.Add("rfcomm0");
  fake_.Add("ttyAMA0");
  ASSERT_TRUE(list_.Scan());
  EXPECT_EQ(ComOf("rfcomm0"), 129);
  EXPECT_EQ(ComOf("ttyAMA0"), 130);
  // A new device that sorts first does not push the others around.
  fake_.Add("pl0");
  ASSERT_TRUE(list_.Scan());
  EXPECT_EQ(ComOf("pl0"), 131);
  EXPECT_EQ(ComOf("rfcomm0"), 129);
  EXPECT_EQ(ComOf("ttyAMA0"), 130);
  // A device that went away frees its number for the next newcomer.
  fake_.Remove("rfcomm0");
  ASSERT_TRUE(list_.Scan());
  EXPECT_EQ(ComOf("ttyAMA0"), 130);
  EXPECT_EQ(list_.Find(129), nullptr);
  fake_.Add("rfcomm1");
  ASSERT_TRUE(list_.Scan());
  EXPECT_EQ(ComOf("rfcomm1"), 129);
  // The same set scanned in one go from nothing gives the name order.
  PortList fresh;
  fresh.SetSysClassDir(fake_.Dir().c_str());
  ASSERT_TRUE(fresh.Scan());
  EXPECT_EQ(fresh.Find(129)->name, std::string("pl0"));
  EXPECT_EQ(fresh.Find(130)->name, std::string("rfcomm1"));
  EXPECT_EQ(fresh.Find(131)->name, std::string("ttyAMA0"));
}

TEST_F(SystemScanTest, PortsVariableWinsOverSystemNumbersAndOnlyLeavesTheSystemOut) {
  test::PortFolder folder;
  folder.Link(34, "/dev/null");  // any existing path
  folder.Link(129, "/dev/null");
  fake_.Add("ttyUSB1");
  fake_.Add("rfcomm0");
  const std::string text = "COM34=" + folder.PathOf(34) + ";COM129=" + folder.PathOf(129) +
                           ";COM40=" + folder.Dir() + "/absent";
  ::setenv("ZEDA_PORTS", text.c_str(), 1);
  ASSERT_TRUE(list_.Scan());
  ASSERT_NE(list_.Find(34), nullptr);
  EXPECT_EQ(list_.Find(34)->path, folder.PathOf(34));
  EXPECT_EQ(ComOf("ttyUSB1"), 0);      // hidden behind the fixed entry
  EXPECT_EQ(ComOf("rfcomm0"), 130);    // 129 is taken
  EXPECT_EQ(list_.Find(40), nullptr);  // path missing: not present

  ::setenv("ZEDA_PORTS_ONLY", "1", 1);
  ASSERT_TRUE(list_.Scan());
  EXPECT_EQ(list_.Count(), 2);
  EXPECT_EQ(ComOf("rfcomm0"), 0);
}

TEST_F(SystemScanTest, UnreadableListCountsTheFirstPortsAsPresent) {
  CCOMIOSYS sys;
  sys.Ports().SetSysClassDir("/nonexistent/zeda");
  EXPECT_FALSE(sys.Ports().Scan());
  sys.ScanPorts();
  EXPECT_EQ(sys.Port(0).present, 0);  // port 0 never
  for (int i = 1; i < 30; ++i) EXPECT_EQ(sys.Port(i).present, 1) << i;
  EXPECT_EQ(sys.Port(30).present, 0);
  EXPECT_TRUE(sys.portListChanged);
  EXPECT_TRUE(sys.portsScanned);
}

}  // namespace
}  // namespace zeda
