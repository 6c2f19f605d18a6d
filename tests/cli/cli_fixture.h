#pragma once
// What every zedactl test stands on: a private directory, zedactl run in it with its
// standard output and error kept, and for the tests against a unit a zedasim on a pty.
// Every run writes its link trace beside the directory (not in it: some tests check that
// nothing was written there), so a failure can show what happened on the line.
// Single-threaded, like the tests.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/sim_process.h"
#include "params/param_image.h"

namespace zeda::test {

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zeda-cli-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
  }
  void TearDown() override {
    sim_.Stop();
    std::filesystem::remove_all(dir_);
    std::filesystem::remove(TracePath());
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string TracePath() const { return dir_ + ".trace"; }

  // Runs zedactl in the directory with the arguments (quoted by the caller); returns its
  // exit code, with stdout in out_ and stderr in err_.
  int Run(const std::string& args) {
    std::filesystem::remove(TracePath());
    const std::string cmd = "cd '" + dir_ + "' && ZEDA_PORTS_ONLY=1 ZEDA_TRACE='" + TracePath() +
                            "' '" + ZEDA_CTL_PATH + "' " + args + " >out.txt 2>err.txt";
    const int status = std::system(cmd.c_str());
    out_ = Read("out.txt");
    err_ = Read("err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // For a failure message: what zedactl said and the end of its link trace.
  std::string Explain(size_t traceLines = 80) const {
    std::ifstream f(TracePath());
    std::vector<std::string> lines;
    for (std::string l; std::getline(f, l);) lines.push_back(l);
    std::string text = "stderr:\n" + err_ + "link trace (last lines):\n";
    const size_t from = lines.size() > traceLines ? lines.size() - traceLines : 0;
    for (size_t i = from; i < lines.size(); ++i) text += lines[i] + "\n";
    return text;
  }

  void StartSim(const std::vector<std::string>& args) {
    std::string error;
    ASSERT_TRUE(sim_.Start(args, error)) << error;
  }

  std::string Read(const std::string& name) const {
    std::ifstream f(Path(name), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream f(Path(name), std::ios::binary);
    f << bytes;
  }
  ParamImage ReadImage(const std::string& name) const {
    const std::string data = Read(name);
    EXPECT_EQ(data.size(), static_cast<size_t>(PARAM_IMAGE_SIZE));
    ParamImage img;
    for (size_t i = 0; i < data.size() && i < img.bytes.size(); ++i)
      img.bytes[i] = static_cast<uint8_t>(data[i]);
    return img;
  }
  void WriteImage(const std::string& name, const ParamImage& img) const {
    Write(name, std::string(reinterpret_cast<const char*>(img.Data()), PARAM_IMAGE_SIZE));
  }

  SimProcess sim_;
  std::string dir_, out_, err_;
};

}  // namespace zeda::test
