#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_fixture.h"
#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "support/fifo_guard.h"
#include "support/unprivileged.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

using CliTest = test::CliFixture;

TEST_F(CliTest, DefaultsFromBinToBinRoundTrip) {
  ASSERT_EQ(Run("defaults a.bin --bike 28"), 0) << Read("err.txt");
  ParamImage expected = StartImage();
  expected.SetByte(Adrb::BIKE, 28);
  PageGroups groups;
  ApplyDefaultsForPage(expected, groups, -1);
  NormalizeParams(expected);
  EXPECT_EQ(ReadImage("a.bin"), expected);

  ASSERT_EQ(Run("ign from-bin a.bin a.ign"), 0) << Read("err.txt");
  EXPECT_EQ(Read("a.ign").substr(0, 46), "TORVELIX_KEY     107 KESTRA2_RACE/KESTRA2 ZEDA");
  ASSERT_EQ(Run("ign to-bin a.ign b.bin"), 0) << Read("err.txt");
  EXPECT_EQ(Read("b.bin"), Read("a.bin"));
}

TEST_F(CliTest, FromBinNormalisesAndWritesAsSave) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::BASE_ADV, 99);  // normalised to 40
  WriteImage("in.bin", img);
  ASSERT_EQ(Run("ign from-bin in.bin out.ign"), 0);
  NormalizeParams(img);
  IgnIdentification none;
  std::string expected = FormatIgnFile(img, none);
  // Everything up to the build line is fixed.
  size_t exe = expected.find("\nEXE    ");
  ASSERT_NE(exe, std::string::npos);
  EXPECT_EQ(Read("out.ign").substr(0, exe), expected.substr(0, exe));
  ASSERT_EQ(Run("normalize in.bin n.bin"), 0);
  EXPECT_EQ(ReadImage("n.bin"), img);
}

TEST_F(CliTest, ToBinForOnePageKeepsTheOtherPagesOfTheStartImage) {
  Write("f.ign", "TORVELIX_KEY   107 X\nBASE_ADV 22\nRETARD 9\nLIMITER 6000 7000 0 9000 9500\n");
  ASSERT_EQ(Run("ign to-bin f.ign p.bin --page 3"), 0) << Read("err.txt");
  ImageBuffers buf;
  buf.params = StartImage();
  ASSERT_TRUE(LoadIgnText(buf, Read("f.ign"), 3, false).Accepted());
  ParamImage out = ReadImage("p.bin");
  EXPECT_EQ(out, buf.params);
  EXPECT_EQ(out.Byte(Adrb::BASE_ADV), 22);
  EXPECT_EQ(out.Byte(Adrb::RETARD), StartImage().Byte(Adrb::RETARD));
}

TEST_F(CliTest, FilesNotAcceptedGiveExit4AndWriteNothing) {
  struct Case {
    const char* text;
    const char* args;
    int code;
    const char* message;
  } cases[] = {
      {"TORVELIX_KEY 96 X\nBASE_ADV 5", "", 4, "Unmatched version of *.ign file!"},
      {"TORVELIX_KEY 96 X\nBASE_ADV 5", "--test-mode", 0, "CROSS TRANSFORMATION OF IGN FILE !"},
      {"TORVELIX_KEY 48 X\nBASE_ADV 5", "--test-mode", 4, "Unmatched version of *.ign file!"},
      {"BASE_ADV 5\n", "", 4, "no TORVELIX_KEY header"},
      {"", "", 4, "no TORVELIX_KEY header"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Write("in.ign", c.text);
    Write("out.bin", "old");
    EXPECT_EQ(Run(std::string("ign to-bin in.ign out.bin ") + c.args), c.code);
    EXPECT_NE(Read("err.txt").find(c.message), std::string::npos) << Read("err.txt");
    if (c.code != 0) {
      EXPECT_EQ(Read("out.bin"), "old");
    }
  }
}

TEST_F(CliTest, UsageAndFileErrors) {
  struct Case {
    const char* args;
    int code;
  } cases[] = {
      {"", 2},
      {"bogus", 2},
      {"ign", 2},
      {"ign to-bin only.ign", 2},
      {"ign to-bin a.ign b.bin --page 10", 2},
      {"ign to-bin a.ign b.bin --page x", 2},
      {"ign to-bin a.ign b.bin --frob", 2},
      {"defaults", 2},
      {"defaults o.bin --bike 300", 2},
      {"normalize a b c", 2},
      {"ign to-bin missing.ign b.bin", 1},
      {"normalize missing.bin b.bin", 1},
      {"normalize short.bin b.bin", 1},
      {"defaults o.bin --from short.bin", 1},
      {"defaults nodir/o.bin", 1},
      {"--help", 0},
  };
  Write("short.bin", "abc");
  for (const auto& c : cases) EXPECT_EQ(Run(c.args), c.code) << c.args;
  EXPECT_FALSE(fs::exists(Path("o.bin")));
  EXPECT_FALSE(fs::exists(Path("b.bin")));
}

TEST_F(CliTest, DefaultsFromAnImageForOnePage) {
  ParamImage img = StartImage();
  img.SetByte(Adrb::BASE_ADV, 30);
  img.SetByte(Adrb::RETARD, 20);
  WriteImage("in.bin", img);
  ASSERT_EQ(Run("defaults out.bin --from in.bin --page 3"), 0) << Read("err.txt");
  ParamImage out = ReadImage("out.bin");
  EXPECT_EQ(out.Byte(Adrb::BASE_ADV), 10);  // Advance page reset
  EXPECT_EQ(out.Byte(Adrb::RETARD), 20);    // Miscellaneous kept
}

// from-bin writes through the window's careful writer: through a link, keeping the mode,
// refusing a file the user may not write; a named pipe as input is refused at once.
TEST_F(CliTest, FromBinTreatsTheOutputFileWithCare) {
  WriteImage("in.bin", StartImage());
  Write("real.ign", "old");
  ASSERT_EQ(chmod(Path("real.ign").c_str(), 0640), 0);
  fs::create_symlink("real.ign", Path("link.ign"));
  ASSERT_EQ(Run("ign from-bin in.bin link.ign"), 0) << Read("err.txt");
  EXPECT_TRUE(fs::is_symlink(Path("link.ign")));
  EXPECT_EQ(Read("real.ign").substr(0, 12), "TORVELIX_KEY");
  struct stat st {};
  ASSERT_EQ(stat(Path("real.ign").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  Write("ro.ign", "old");
  if (testing::RunsAsRoot()) {
    ASSERT_EQ(chown(Path("ro.ign").c_str(), testing::kNobodyUid, testing::kNobodyGid), 0);
  }
  ASSERT_EQ(chmod(Path("ro.ign").c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
  // The ordinary user makes its own output files.
  fs::remove(Path("out.txt"));
  fs::remove(Path("err.txt"));
  // The ordinary user must be able to reach the program; a build inside a private folder
  // (a 0700 temporary checkout) keeps it out, which says nothing about zedactl.
  if (testing::RunsAsRoot() && testing::RunUnprivileged([&] {
                                 return access(ZEDA_CTL_PATH, X_OK) == 0 ? std::string()
                                                                         : std::string("no access");
                               }) != "") {
    GTEST_SKIP() << "the unprivileged user cannot run " << ZEDA_CTL_PATH;
  }
  const std::string failures = testing::RunUnprivileged([&] {
    std::string f;
    if (Run("ign from-bin in.bin ro.ign") != 1) f += "read-only output not refused; ";
    if (Read("err.txt").find("Open file error!") == std::string::npos)
      f += "message: " + Read("err.txt");
    return f;
  });
  EXPECT_EQ(failures, "");
  EXPECT_EQ(Read("ro.ign"), "old");

  testing::FifoGuard pipe(Path("pipe.ign"));
  ASSERT_TRUE(pipe.Ok());
  int code = 0;
  EXPECT_LT(testing::Timed([&] { code = Run("ign to-bin pipe.ign out.bin"); }), testing::kAtOnce);
  EXPECT_EQ(code, 1);
  EXPECT_NE(Read("err.txt").find("Open file error!"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("out.bin")));
}

}  // namespace
}  // namespace zeda
