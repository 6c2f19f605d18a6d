// zedactl info, read, verify, program and reset against zedasim on a pty.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/page_list.h"
#include "cli_fixture.h"
#include "link/gated_device.h"
#include "params/normalize.h"
#include "params/param_diff.h"
#include "params/param_image.h"
#include "sim_unit.h"
#include "unit_session.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

class UnitCli : public test::CliFixture {
 protected:
  void StartSim(std::vector<std::string> args) {
    args.push_back("--save");
    args.push_back(Path("unit.bin"));
    CliFixture::StartSim(args);
  }
  // Runs zedactl against the simulator.
  int Run(const std::string& args) {
    return CliFixture::Run(args + " --port '" + sim_.Path() + "'");
  }
  static ParamImage Factory() {
    ParamImage img;
    const auto m = sim::DefaultSimMemory();
    std::copy(m.begin(), m.end(), img.bytes.begin());
    NormalizeParams(img);
    return img;
  }
  // The last line of stdout.
  std::string LastLine() const {
    std::string s = out_;
    while (!s.empty() && s.back() == '\n') s.pop_back();
    const size_t at = s.rfind('\n');
    return at == std::string::npos ? s : s.substr(at + 1);
  }
};

TEST_F(UnitCli, InfoPrintsTheUnit) {
  StartSim({});
  ASSERT_EQ(Run("info"), 0) << Explain();
  EXPECT_NE(out_.find("port: COM"), std::string::npos);
  EXPECT_NE(out_.find("protocol: IGN150\n"), std::string::npos);
  EXPECT_NE(out_.find("rskey: 107.00\n"), std::string::npos);
  EXPECT_NE(out_.find("version: "), std::string::npos);
  EXPECT_NE(out_.find("additional: "), std::string::npos);
  EXPECT_NE(err_.find("Checking: OK"), std::string::npos);
}

TEST_F(UnitCli, ReadVerifyProgramAndReset) {
  StartSim({});
  ASSERT_EQ(Run("read --raw unit-read.bin"), 0) << Explain();
  EXPECT_EQ(LastLine(), "read: OK");
  EXPECT_EQ(ReadImage("unit-read.bin"), Factory());
  ASSERT_EQ(Run("read -o unit-read.ign"), 0) << Explain();
  ASSERT_EQ(Run("verify unit-read.ign"), 0) << Explain();
  EXPECT_EQ(LastLine(), "verify: same");

  ParamImage other = Factory();
  other.SetByte(330, static_cast<uint8_t>(other.Byte(330) ^ 0x08));
  NormalizeParams(other);
  WriteImage("other.bin", other);
  ASSERT_EQ(Run("verify other.bin"), 1) << Explain();
  EXPECT_EQ(LastLine(), "verify: different");
  EXPECT_NE(out_.find("different: "), std::string::npos);
  // The same list the window's compare view shows, from the one core function.
  std::string expected;
  for (const FieldDifference& d : DifferencesByField(other, Factory())) {
    expected += "different: " + FormatDifference(d, PageCaption(d.group)) + "\n";
  }
  EXPECT_EQ(out_, expected + "verify: different\n");
  EXPECT_EQ(out_.find("OK"), std::string::npos);

  ASSERT_EQ(Run("program other.bin"), 0) << Explain();
  EXPECT_EQ(LastLine(), "program: OK");
  EXPECT_NE(err_.find("Saving:"), std::string::npos);
  EXPECT_NE(err_.find("Program device: OK"), std::string::npos);
  EXPECT_EQ(ReadImage("unit.bin"), other);  // the unit saved it
  ASSERT_EQ(Run("verify other.bin"), 0) << Explain();

  ASSERT_EQ(Run("reset"), 0) << Explain();
  EXPECT_EQ(LastLine(), "reset: OK");
}

TEST_F(UnitCli, RefusedOperationsNeverSaySuccess) {
  StartSim({"--version", "1"});
  WriteImage("set.bin", Factory());
  for (const char* cmd : {"read --raw x.bin", "verify set.bin", "program set.bin"}) {
    SCOPED_TRACE(cmd);
    EXPECT_EQ(Run(cmd), 4) << Explain();
    EXPECT_EQ(LastLine().rfind("refused: ", 0), 0u) << LastLine();
    EXPECT_EQ(out_.find("OK"), std::string::npos);
    EXPECT_NE(err_.find("Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01"),
              std::string::npos);
  }
  EXPECT_FALSE(fs::exists(Path("x.bin")));
  EXPECT_FALSE(fs::exists(Path("unit.bin")));  // never programmed
}

TEST_F(UnitCli, ReadLockRefusesReadButProgramWorks) {
  StartSim({"--no-reading"});
  EXPECT_EQ(Run("read --raw x.bin"), 4) << Explain();
  EXPECT_EQ(LastLine(), "refused: No reading !");
  ParamImage set = Factory();
  set.SetByte(186, 1);
  WriteImage("set.bin", set);
  EXPECT_EQ(Run("program set.bin"), 0) << Explain();
  EXPECT_EQ(LastLine(), "program: OK");
}

TEST_F(UnitCli, UsageAndNoUnit) {
  StartSim({});
  EXPECT_EQ(Run("read"), 2);  // neither -o nor --raw
  EXPECT_EQ(Run("verify"), 2);
  const std::string cmd = "cd '" + dir_ + "' && ZEDA_PORTS_ONLY=1 ZEDA_PORTS= '" + ZEDA_CTL_PATH +
                          "' reset --wait 2 --port COM77 >out.txt 2>err.txt";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(Read("out.txt"), "failed: COM77 is not present\n");
}

// The failure line names what the search saw on the wire; with one port given, an echo
// or another unit ends the search at once instead of after --wait.
TEST_F(UnitCli, FailureLineSaysWhatTheSearchSaw) {
  const struct {
    std::vector<std::string> sim;
    int code;
    std::string line;  // %s: the device path
  } cases[] = {
      {{"--echo"},
       3,
       "failed: %s echoes what is sent (a loop-back, an echoing cable, or no unit at its end)"},
      {{"--key", "42"}, 4, "refused: a unit with key 42 answered on %s, not 107 ("},
      {{"--version", "1"}, 4, "refused: unit 107.01 does not match 107.00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sim.front());
    sim_.Stop();
    StartSim(c.sim);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run("read --raw x.bin --wait 30"), c.code) << Explain();
    const auto took = std::chrono::steady_clock::now() - start;
    std::string line = c.line;
    if (const size_t at = line.find("%s"); at != std::string::npos)
      line.replace(at, 2, sim_.Path());
    EXPECT_EQ(LastLine().rfind(line, 0), 0u) << LastLine();
    EXPECT_LT(took, std::chrono::seconds(15)) << "waited for --wait";
  }
}

// A port another program holds: the line names that program, found through /proc.
TEST_F(UnitCli, BusyPortNamesTheProgramHoldingIt) {
  StartSim({});
  const int fd = open(sim_.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Run("info --wait 2"), 3) << Explain();
  close(fd);
  char comm[64] = "";
  std::FILE* f = std::fopen("/proc/self/comm", "r");
  ASSERT_NE(f, nullptr);
  ASSERT_NE(std::fgets(comm, sizeof comm, f), nullptr);
  std::fclose(f);
  comm[std::strcspn(comm, "\n")] = 0;
  EXPECT_EQ(LastLine(), "failed: " + sim_.Path() + " is busy: " + comm + " (pid " +
                            std::to_string(getpid()) + ") holds it");
}

// Permission denied (injected: tests run as root) names the group to join.
TEST_F(UnitCli, PermissionDeniedNamesTheGroupToJoin) {
  StartSim({});
  test::GatedDevices devices;
  test::Gate().failErrno = EACCES;
  setenv("ZEDA_PORTS_ONLY", "1", 1);
  std::FILE* quiet = std::fopen("/dev/null", "w");
  {
    cli::UnitSession s(quiet);
    std::string error;
    ASSERT_TRUE(s.SetPort(sim_.Path(), &error)) << error;
    EXPECT_EQ(s.Connect(1500), cli::kExitNoUnit);
    const std::string want =
        "failed: cannot open " + sim_.Path() + ": permission denied; add your user to the group ";
    EXPECT_EQ(s.FailureLine().rfind(want, 0), 0u) << s.FailureLine();
    EXPECT_EQ(s.FailureLine().find(" root "), std::string::npos);
    EXPECT_NE(s.FailureLine().find(" and log in again"), std::string::npos);
  }
  std::fclose(quiet);
  unsetenv("ZEDA_PORTS");
}

// read -o writes the unit's identification lines into the file, as the window does.
TEST_F(UnitCli, ReadIntoIgnCarriesTheUnitsIdentification) {
  StartSim({});
  ASSERT_EQ(Run("info"), 0) << Explain();
  const auto value = [&](const std::string& key) {
    const size_t at = out_.find(key + ": ");
    return at == std::string::npos
               ? std::string()
               : out_.substr(at + key.size() + 2, out_.find('\n', at) - at - key.size() - 2);
  };
  const std::string hex = "HEX   " + value("date") + "\t" + value("time") + "\t" + value("version");
  ASSERT_EQ(Run("read -o set.ign"), 0) << Explain();
  const std::string file = Read("set.ign");
  EXPECT_NE(file.find(hex), std::string::npos) << hex;
  EXPECT_EQ(file.find("Unit = --"), std::string::npos);
}

TEST(ZedactlUsage, PrintedOnceHelpExitsZero) {
  const auto run = [](const std::string& args, std::string* text) {
    const std::string cmd = std::string("'") + ZEDA_CTL_PATH + "' " + args + " 2>&1";
    std::FILE* p = popen(cmd.c_str(), "r");
    char buf[512];
    size_t n;
    text->clear();
    while (p != nullptr && (n = std::fread(buf, 1, sizeof buf, p)) > 0) text->append(buf, n);
    const int status = p != nullptr ? pclose(p) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string text;
  EXPECT_EQ(run("", &text), 2);
  const auto count = [&](const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("zedactl info"), 1) << text;
  EXPECT_EQ(count("zedactl ports"), 1) << text;
  for (const char* help : {"--help", "help"}) {
    EXPECT_EQ(run(help, &text), 0) << help;
    EXPECT_EQ(count("zedactl info"), 1) << text;
  }
}

}  // namespace
}  // namespace zeda

namespace zeda {
namespace {

// A file cut in the middle of a table is not programmed as if whole.
TEST_F(UnitCli, CutIgnFileIsRefusedUnlessPartial) {
  StartSim({});
  ASSERT_EQ(Run("read -o whole.ign"), 0) << Explain();
  const std::string whole = Read("whole.ign");
  const size_t advance2 = whole.find("\nADVANCE2 ");
  ASSERT_NE(advance2, std::string::npos);
  {
    std::ofstream f(Path("cut.ign"), std::ios::binary);
    f << whole.substr(0, advance2 + 200);  // inside the map's first line
  }
  for (const char* cmd : {"program cut.ign", "verify cut.ign"}) {
    EXPECT_EQ(Run(cmd), 4) << cmd << ": " << out_;
    EXPECT_NE(LastLine().find("incomplete file, missing ADVANCE2, SERVO_ENABLE"), std::string::npos)
        << LastLine();
    EXPECT_NE(LastLine().find("NO_READING"), std::string::npos) << LastLine();
    EXPECT_EQ(LastLine().find("RPM_ADV2"), std::string::npos) << "before the cut: whole";
  }
  ASSERT_EQ(Run("program --partial cut.ign"), 0) << err_ << out_;
  EXPECT_EQ(LastLine(), "program: OK");
  // A whole file still goes through without the option.
  const int code = Run("verify whole.ign");
  EXPECT_TRUE(code == 0 || code == 1) << out_;
  EXPECT_EQ(LastLine().rfind("verify: ", 0), 0u) << LastLine();
}

}  // namespace
}  // namespace zeda
