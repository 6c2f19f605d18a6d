#include "params/file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "params/defaults.h"
#include "params/param_addresses.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zeda-files-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
    buffers_.params = StartImage();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream f(Path(name), std::ios::binary);
    f << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream f(Path(name), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }

  std::string dir_;
  ImageBuffers buffers_;
  AppSettings settings_;
  FileDocument doc_{buffers_, settings_};
};

TEST_F(FileCommandsTest, MissingFileFromHistoryIsRemovedAndChangesNothing) {
  settings_.history.Assign({"/cur.ign", Path("gone.ign"), "/other.ign"});
  const ParamImage before = buffers_.params;
  OpenOutcome r = OpenFile(doc_, Path("gone.ign"), -1);
  EXPECT_EQ(r.status, OpenOutcome::kOpenError);
  EXPECT_EQ(settings_.history.Entries(), (std::vector<std::string>{"/cur.ign", "/other.ign"}));
  EXPECT_EQ(buffers_.params, before);
  EXPECT_FALSE(buffers_.fileMatches);
}

TEST_F(FileCommandsTest, AcceptedFileBecomesCurrentAndClearsNewInstallation) {
  Write("a.ign", "TORVELIX_KEY 107 X\nBASE_ADV 25\n");
  settings_.history.Assign({"/1", "/2", "/3", Path("a.ign"), "/5"});
  OpenOutcome r = OpenCommand(doc_, Path("a.ign"), -1);
  EXPECT_EQ(r.status, OpenOutcome::kLoaded);
  EXPECT_TRUE(r.newInstalCleared);
  EXPECT_FALSE(settings_.newInstal);
  EXPECT_EQ(settings_.file, Path("a.ign"));
  EXPECT_EQ(settings_.iniFileDir, Path("a.ign"));
  EXPECT_EQ(settings_.history.Count(), 5);
  EXPECT_EQ(settings_.history.Entry(0), Path("a.ign"));
  EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 25);
  EXPECT_TRUE(buffers_.fileMatches);
  EXPECT_EQ(buffers_.fileImage, buffers_.params);
  EXPECT_TRUE(doc_.quickSaveAvailable);
}

TEST_F(FileCommandsTest, RejectedFileKeepsNewInstallationAndCurrentFile) {
  Write("old.ign", "TORVELIX_KEY 48 X\nBASE_ADV 25\n");
  settings_.file = "/cur.ign";
  OpenOutcome r = OpenFile(doc_, Path("old.ign"), -1);
  EXPECT_EQ(r.status, OpenOutcome::kNotAccepted);
  EXPECT_EQ(r.message, IgnMessage::UnmatchedVersion);
  EXPECT_TRUE(settings_.newInstal);
  EXPECT_EQ(settings_.file, "/cur.ign");
  EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 10);
}

// What the user is told about a file that was not taken: another unit's or version's
// parameter file, or no parameter file at all.
TEST_F(FileCommandsTest, AFileWithoutHeaderIsNoParameterFile) {
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 256);
  const struct {
    const char* what;
    std::string text;
    bool notParameterFile;
  } cases[] = {
      {"random bytes", noise, true},
      {"a text", "Shopping list\n2 spark plugs\n", true},
      {"another unit's file", "TORVELIX_KEY 48 X\nBASE_ADV 25\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write("f.ign", c.text);
    const OpenOutcome r = OpenFile(doc_, Path("f.ign"), -1);
    EXPECT_EQ(r.status, OpenOutcome::kNotAccepted);
    EXPECT_EQ(r.notParameterFile, c.notParameterFile);
    EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 10);  // nothing taken
  }
}

TEST_F(FileCommandsTest, OpenForActualPageLoadsOnlyThatPage) {
  Write("p.ign",
        "TORVELIX_KEY 107 X\nBIKE 28 0 1 2 1 0 0 1 1 0 1 0 1 1 1 1 1 6 6 6 6\n"
        "BASE_ADV 25\nRETARD 30\n");
  buffers_.params.SetByte(Adrb::RETARD, 12);
  OpenOutcome r = OpenFile(doc_, Path("p.ign"), 3);  // Advance page
  EXPECT_EQ(r.status, OpenOutcome::kLoaded);
  EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 25);
  EXPECT_EQ(buffers_.params.Byte(Adrb::RETARD), 12);  // Miscellaneous untouched
  EXPECT_EQ(buffers_.params.Byte(Adrb::BIKE), 7);     // Bike untouched
}

TEST_F(FileCommandsTest, SaveWritesAndFailedSaveChangesNothing) {
  buffers_.params.SetByte(Adrb::BASE_ADV, 200);  // normalised to 40 before writing
  SaveOutcome s = SaveFile(doc_, Path("s.ign"), {});
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 40);
  EXPECT_TRUE(buffers_.fileMatches);
  EXPECT_EQ(settings_.file, Path("s.ign"));
  EXPECT_EQ(settings_.history.Entry(0), Path("s.ign"));
  EXPECT_NE(Read("s.ign").find("\nBASE_ADV          40 "), std::string::npos);

  buffers_.fileMatches = false;
  s = SaveFile(doc_, Path("missing-dir/t.ign"), {});
  EXPECT_FALSE(s.ok);
  EXPECT_FALSE(s.error.empty());
  EXPECT_FALSE(buffers_.fileMatches);
  EXPECT_EQ(settings_.file, Path("s.ign"));
  EXPECT_EQ(settings_.history.Count(), 1);
}

TEST_F(FileCommandsTest, QuicksaveNumbersBesideTheCurrentFile) {
  QuicksaveOutcome q = QuicksaveVersion(doc_, {});
  EXPECT_TRUE(q.needsSaveDialog);  // nothing opened or saved yet

  ASSERT_TRUE(SaveFile(doc_, Path("bike.ign"), {}).ok);
  Write("bike_007.ign", "x");
  Write("bike_012.ign", "x");
  buffers_.params.SetByte(Adrb::BASE_ADV, 33);
  buffers_.fileMatches = false;
  q = QuicksaveVersion(doc_, {});
  ASSERT_FALSE(q.needsSaveDialog);
  ASSERT_TRUE(q.save.ok);
  EXPECT_EQ(q.save.path, Path("bike_013.ign"));
  EXPECT_NE(Read("bike_013.ign").find("\nBASE_ADV          33 "), std::string::npos);
  EXPECT_EQ(settings_.file, Path("bike.ign"));
  EXPECT_FALSE(buffers_.fileMatches);
  EXPECT_EQ(buffers_.fileImage, buffers_.params);
}

TEST_F(FileCommandsTest, NewOnlyWithYes) {
  settings_.file = "/cur.ign";
  settings_.history.Assign({"/cur.ign"});
  buffers_.params.SetByte(Adrb::BASE_ADV, 30);
  for (NewAnswer a : {NewAnswer::No, NewAnswer::Cancel}) {
    EXPECT_FALSE(NewDocument(doc_, -1, a));
    EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 30);
    EXPECT_EQ(settings_.file, "/cur.ign");
  }
  EXPECT_TRUE(NewDocument(doc_, -1, NewAnswer::Yes));
  EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 10);
  EXPECT_EQ(settings_.file, "");
  EXPECT_EQ(settings_.history.Entries(), (std::vector<std::string>{"", "/cur.ign"}));
}

// The identification lines after "VERSIONS" carry the unit's free texts, which may hold
// keywords followed by numbers; none of them may come back as a parameter.
TEST_F(FileCommandsTest, IdentificationTextsAfterVersionsAreNotRead) {
  IgnIdentification id;
  id.hexDate = "RPM 9000";
  id.hexTime = "LIMITER 7";
  id.hexVersion = "ADVANCE 1 2 3";
  id.hardware = "Race GEAR kit";
  id.unitKey = "BIKE 41";
  id.serialNumber = "BASE_ADV 33";
  id.lastUpdate = "SERVO_NO 5";
  id.additional = "TPS IAP calibrated 2023";
  id.exeDate = "Oct 19 2023";
  id.exeTime = "12:34:56";
  id.unitConnected = true;  // the calibration lines follow the texts
  id.calibEE = 17;
  id.calibFlash = 18;
  id.calibNew = 19;
  buffers_.params.SetWord(Adrw::TPS_0, 700);
  ASSERT_TRUE(SaveFile(doc_, Path("id.ign"), id).ok);
  const ParamImage saved = buffers_.params;
  ASSERT_NE(Read("id.ign").find("TPS IAP calibrated 2023"), std::string::npos);

  ImageBuffers other;
  other.params = StartImage();
  AppSettings otherSettings;
  FileDocument otherDoc{other, otherSettings};
  ASSERT_EQ(OpenFile(otherDoc, Path("id.ign"), -1).status, OpenOutcome::kLoaded);
  EXPECT_EQ(other.params.Word(Adrw::TPS_0), saved.Word(Adrw::TPS_0));
  EXPECT_EQ(other.params, saved);
}

// Open takes the pending page edit after the file was read and before the load, so that the
// load (and its undo step) start from the edited image; Save and Quicksave take it before
// they write. A file that does not open commits nothing.
TEST_F(FileCommandsTest, OpenAndSaveCommitThePendingEditFirst) {
  int pendingBaseAdv = 0;
  std::vector<int> seen;  // BASE_ADV at each commit
  doc_.commitActivePage = [&] {
    seen.push_back(buffers_.params.Byte(Adrb::BASE_ADV));
    buffers_.params.SetByte(Adrb::BASE_ADV, static_cast<uint8_t>(pendingBaseAdv));
  };
  pendingBaseAdv = 33;
  ASSERT_TRUE(SaveFile(doc_, Path("s.ign"), {}).ok);
  EXPECT_NE(Read("s.ign").find("\nBASE_ADV          33 "), std::string::npos);
  EXPECT_EQ(seen.size(), 1u);

  pendingBaseAdv = 34;
  QuicksaveOutcome q = QuicksaveVersion(doc_, {});
  ASSERT_TRUE(q.save.ok) << q.save.error;
  EXPECT_NE(Read("s_001.ign").find("\nBASE_ADV          34 "), std::string::npos);
  EXPECT_EQ(seen.size(), 2u);

  EXPECT_EQ(OpenFile(doc_, Path("gone.ign"), -1).status, OpenOutcome::kOpenError);
  EXPECT_EQ(seen.size(), 2u);

  Write("a.ign", "TORVELIX_KEY 107 X\nBASE_ADV 25\n");
  pendingBaseAdv = 35;
  ASSERT_EQ(OpenFile(doc_, Path("a.ign"), -1).status, OpenOutcome::kLoaded);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2], 34);  // the image before the load
  EXPECT_EQ(buffers_.params.Byte(Adrb::BASE_ADV), 25);
}

}  // namespace
}  // namespace zeda
