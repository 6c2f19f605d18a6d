#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "device_commands.h"

namespace zeda {
namespace {

std::string RunPorts() {
  char* buf = nullptr;
  size_t len = 0;
  std::FILE* out = open_memstream(&buf, &len);
  std::FILE* err = std::fopen("/dev/null", "w");
  EXPECT_EQ(cli::PortsCommand({}, out, err), 0);
  std::fclose(out);
  std::fclose(err);
  std::string s(buf, len);
  std::free(buf);
  return s;
}

TEST(PortsCommand, ListsRegisteredPortsInComOrder) {
  char dir[] = "/tmp/zeda-ports-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string a = std::string(dir) + "/a";
  const std::string b = std::string(dir) + "/b";
  for (const std::string& p : {a, b}) std::fclose(std::fopen(p.c_str(), "w"));
  const std::string missing = std::string(dir) + "/gone";
  const std::string ports = "COM12=" + a + ";COM3=" + b + ";COM5=" + missing;
  setenv("ZEDA_PORTS", ports.c_str(), 1);
  setenv("ZEDA_PORTS_ONLY", "1", 1);
  const std::string listed = RunPorts();
  unsetenv("ZEDA_PORTS");
  EXPECT_EQ(listed, "COM3\t" + b + "\t\nCOM12\t" + a + "\t\n");
  std::remove(a.c_str());
  std::remove(b.c_str());
  rmdir(dir);
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

std::string RunCtl(const std::string& arguments) {
  // Appended piece by piece: GCC 12 at -O2 misreads a chain of operator+ on a temporary
  // as an out-of-bounds copy (-Warray-bounds).
  std::string command = ZEDA_CTL_PATH;
  command.append(" ").append(arguments).append(" 2>&1");
  std::FILE* p = popen(command.c_str(), "r");
  std::string out;
  char buf[256];
  size_t n;
  while (p != nullptr && (n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  if (p != nullptr) pclose(p);
  return out;
}

TEST(ZedactlDeviceCommands, RegisteredInTheProgram) {
  const std::string help = RunCtl("--help");
  EXPECT_NE(help.find("zedactl idtext FILE"), std::string::npos) << help;
  EXPECT_NE(help.find("zedactl ports"), std::string::npos) << help;
  char path[] = "/tmp/zeda-idblock-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  unsigned char block[150] = {'Z', 'E', 'D', 3};
  ASSERT_EQ(write(fd, block, sizeof block), 150);
  close(fd);
  const std::string texts = RunCtl(std::string("idtext ") + path);
  std::remove(path);
  EXPECT_EQ(texts.rfind("version: ZED03\ndate:  0.00.2000\ntime: 00:00\nhardware: \n", 0), 0u)
      << texts;
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

TEST(PortsCommand, MarksTheSystemConsole) {
  namespace fs = std::filesystem;
  char dir[] = "/tmp/zeda-ports-console-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string sys = std::string(dir) + "/class";
  for (const char* tty : {"ttyS0", "ttyS1"}) {
    fs::create_directories(sys + "/" + tty + "/device");
    std::ofstream(sys + "/" + tty + "/type") << "4\n";
  }
  fs::create_directories(sys + "/console");
  std::ofstream(sys + "/console/active") << "tty0 ttyS0\n";
  unsetenv("ZEDA_PORTS");
  unsetenv("ZEDA_PORTS_ONLY");
  PortList list;
  list.SetSysClassDir(sys.c_str());
  list.SetDevDir("/devx");
  char* buf = nullptr;
  size_t len = 0;
  std::FILE* out = open_memstream(&buf, &len);
  std::FILE* err = std::fopen("/dev/null", "w");
  EXPECT_EQ(cli::PortsCommand({}, out, err, &list), 0);
  std::fclose(out);
  std::fclose(err);
  const std::string listed(buf, len);
  std::free(buf);
  setenv("ZEDA_PORTS_ONLY", "1", 1);
  EXPECT_EQ(listed,
            "COM1\t/devx/ttyS0\tsystem console (not searched; use --port to force)\n"
            "COM2\t/devx/ttyS1\t\n");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zeda
