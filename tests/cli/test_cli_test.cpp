// zedactl test and zedactl selftest against zedasim on a pty.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_fixture.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

class TestCli : public test::CliFixture {
 protected:
  void StartSim(std::vector<std::string> args) {
    args.push_back("--trace");
    args.push_back(Path("trace.txt"));
    CliFixture::StartSim(args);
  }
};

TEST_F(TestCli, TestButtonsReachTheUnit) {
  StartSim({"--engine", "stopped"});
  ASSERT_EQ(Run("test --port '" + sim_.Path() + "' ButtonTestIgn2 ButtonTest04"), 0) << Explain();
  EXPECT_EQ(out_, "sent: ButtonTestIgn2\nsent: ButtonTest04\n");
  const std::string trace = Read("trace.txt");
  EXPECT_NE(trace.find("ignition test 2 runs at 5000 rpm"), std::string::npos) << trace;
  EXPECT_NE(trace.find("power out 4 test runs"), std::string::npos) << trace;
}

TEST_F(TestCli, CalibrationIsFollowedToItsResult) {
  StartSim({"--engine", "stopped"});
  ASSERT_EQ(Run("test --port '" + sim_.Path() + "' ButtonCalibDwell"), 0) << Explain();
  EXPECT_EQ(out_, "sent: ButtonCalibDwell\ncalibration dwell: done 512 498 505\n");
}

TEST_F(TestCli, BadButtonsAndNoUnit) {
  EXPECT_EQ(Run("test --port COM1 ButtonTestN2O"), 2) << "N2O sets nothing";
  EXPECT_EQ(Run("test --port COM1 ButtonNothing"), 2);
  EXPECT_EQ(Run("test --port COM1"), 2);
  EXPECT_EQ(Run("test --port " + Path("no-tty") + " ButtonTestIgn1 --wait 1"), 3) << out_;
  EXPECT_EQ(Run("selftest"), 2);
}

TEST_F(TestCli, SelfTestInTheRigPasses) {
  StartSim({"--engine", "stopped", "--test-rig"});
  ASSERT_EQ(Run("selftest --port '" + sim_.Path() + "'"), 0) << out_ << Explain();
  EXPECT_EQ(out_.rfind("Selftest: ", 0), 0u) << out_;
  EXPECT_NE(out_.find("\n1) servo: OK\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("4) Powerout2 - In0: OK        In1: OK\n"), std::string::npos) << out_;
}

TEST_F(TestCli, SelfTestOutsideTheRigReportsTheErrors) {
  StartSim({"--engine", "stopped"});
  EXPECT_EQ(Run("selftest --port '" + sim_.Path() + "'"), 1) << out_ << Explain();
  EXPECT_NE(out_.find("3) Powerout1: ERROR"), std::string::npos) << out_;
}

}  // namespace
}  // namespace zeda
