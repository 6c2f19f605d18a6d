#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "device_commands.h"

namespace zeda {
namespace {

std::string RunPorts() {
  char* buf = nullptr;
  size_t len = 0;
  std::FILE* out = open_memstream(&buf, &len);
  std::FILE* err = std::fopen("/dev/null", "w");
  EXPECT_EQ(cli::PortsCommand(0, nullptr, out, err), 0);
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
