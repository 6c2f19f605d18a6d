#include "params/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "params/atomic_file.h"
#include "params/param_addresses.h"
#include "params/path_escape.h"
#include "params/settings_startup.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (fs::temp_directory_path() / "zeda-settings-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
    path_ += '/';
  }
  ~TempFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, ec);
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

TEST(PathEscape, CharacterAboveLatin1IsWrittenAsHexUnit) {
  EXPECT_EQ(EscapePath("/home/a/\xC4\x8C"
                       "esky.ign"),
            "/home/a/\\x010Cesky.ign");
  EXPECT_EQ(UnescapePath("/home/a/\\x010Cesky.ign"),
            "/home/a/\xC4\x8C"
            "esky.ign");
  EXPECT_EQ(UnescapePath("/home/a/\\x010cesky.ign"),
            "/home/a/\xC4\x8C"
            "esky.ign");
}

TEST(PathEscape, TableOfValues) {
  struct Case {
    const char* stored;
    const char* path;
  } cases[] = {
      {"C:\\\\data\\\\x.ign", "C:\\data\\x.ign"},  // escaped drive path
      {"C:\\data\\x.ign", "C:\\data\\x.ign"},      // written without escaping: literal
      {"\\\\server\\share\\a.ign", "\\\\server\\share\\a.ign"},  // UNC path, literal
      {"\\\\\\\\server", "\\\\server"},                          // escaped UNC path
      {"/tmp/plain.ign", "/tmp/plain.ign"},
      {"/tmp/\\x", "/tmp/\\x"},  // broken escape kept as it stands
      {"/tmp/\\xZZZZ", "/tmp/\\xZZZZ"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnescapePath(c.stored), c.path) << c.stored;
}

TEST(PathEscape, AnyByteStringSurvivesTheRoundTrip) {
  const std::string paths[] = {
      "/home/u/\xF0\x9F\x9A\x80/bike.ign",  // outside the BMP: a surrogate pair
      "/home/u/\xE9t\xE9.ign",              // Latin-1 bytes, not UTF-8
      "/home/u/line\nbreak.ign",            // control character
      "/home/u/caf\xC3\xA9\\x0041.ign",     // UTF-8 e-acute and a literal backslash-x
      "\\_\\",                              // one leading backslash: not a UNC name
      "\\a",
      "C:\xC4\x8C.ign",  // drive letter, then a unit written as hex
      "\\\\server\\share",
  };
  for (const auto& p : paths) {
    std::string e = EscapePath(p);
    EXPECT_EQ(e.find('\n'), std::string::npos);
    EXPECT_EQ(UnescapePath(e), p);
  }
}

TEST(WindowFit, Cases) {
  const std::vector<WindowRect> two = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  struct Case {
    WindowRect in;
    WindowRect out;
  } cases[] = {
      {{100, 100, 800, 600}, {100, 100, 800, 600}},     // inside: unchanged
      {{1800, 100, 800, 600}, {1920, 100, 800, 600}},   // overhangs both: nearest
      {{3000, 500, 800, 600}, {2400, 424, 800, 600}},   // monitor gone: moved fully on
      {{-500, -50, 800, 600}, {0, 0, 800, 600}},        // left and top overhang
      {{2000, 0, 2000, 2000}, {1920, 0, 1280, 1024}},   // larger than the monitor
      {{5000, 5000, 100, 100}, {3100, 924, 100, 100}},  // far away: the nearest monitor
      {{1870, 0, 100, 100}, {1820, 0, 100, 100}},       // a tie: the first monitor
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitWindowToMonitors(c.in, two), c.out)
        << c.in.left << "," << c.in.top << " " << c.in.width << "x" << c.in.height;
  }
  EXPECT_EQ(FitWindowToMonitors({5, 5, 10, 10}, {}), (WindowRect{5, 5, 10, 10}));
}

TEST(Language, FileValuesMapToIndices) {
  struct Case {
    int file, current, index;
  } cases[] = {{0, 2, 0}, {1, 0, 1}, {3, 0, 2}, {2, 1, 1}, {2, 0, 0}, {-1, 2, 2}, {7, 1, 1}};
  for (const auto& c : cases) EXPECT_EQ(LanguageFromFile(c.file, c.current), c.index);
  EXPECT_EQ(LanguageToFile(2), 3);
  EXPECT_EQ(LanguageToFile(1), 1);
}

TEST(ApplicationIni, MissingKeysGiveTheTableDefaults) {
  AppSettings s;
  s.window = {10, 20, 640, 480};
  s.comPort = 5;
  s.comPortAuto = 9;
  s.language = 1;
  s.activePage = 4;
  s.newInstal = false;
  s.monitorPlayer = true;
  s.history.Add("/x.ign");
  IniFile empty;
  ApplyApplicationIni(empty, s, {});
  EXPECT_EQ(s.window, (WindowRect{10, 20, 640, 480}));
  EXPECT_EQ(s.comPort, 0);
  EXPECT_EQ(s.comPortAuto, 9);
  EXPECT_EQ(s.language, 1);
  EXPECT_EQ(s.activePage, 4);
  EXPECT_TRUE(s.newInstal);
  EXPECT_FALSE(s.monitorPlayer);
  EXPECT_EQ(s.file, "");
  EXPECT_EQ(s.history.Count(), 0);
}

TEST(ApplicationIni, LanguageTwoKeepsCurrentThreeSelectsCzech) {
  for (auto [value, expected] : {std::pair{2, 1}, std::pair{3, 2}, std::pair{0, 0}}) {
    IniFile ini;
    ini.SetInt("FORM_HLAV", "Language", value);
    AppSettings s;
    s.language = 1;
    ApplyApplicationIni(ini, s, {});
    EXPECT_EQ(s.language, expected) << value;
  }
}

TEST(ApplicationIni, IniFileDirDefaultsToFileAndPlainDrivePathIsLiteral) {
  IniFile ini;
  ini.Parse("[FORM_HLAV]\nFile=D:\\motor\\bike.ign\n");
  AppSettings s;
  ApplyApplicationIni(ini, s, {});
  EXPECT_EQ(s.file, "D:\\motor\\bike.ign");
  EXPECT_EQ(s.iniFileDir, "D:\\motor\\bike.ign");
}

TEST(ApplicationIni, HistoryStopsAtFirstEmptyEntryAfterTheFirst) {
  IniFile ini;
  ini.Parse(
      "[FORM_HLAV]\nMenuHistory00=\nMenuHistory01=/a.ign\nMenuHistory02=/b.ign\n"
      "MenuHistory03=\nMenuHistory04=/c.ign\n");
  AppSettings s;
  ApplyApplicationIni(ini, s, {});
  ASSERT_EQ(s.history.Count(), 3);
  EXPECT_EQ(s.history.Entry(0), "");
  EXPECT_EQ(s.history.Entry(2), "/b.ign");
}

TEST(Settings, SaveThenLoadRestoresEverything) {
  TempFolder dir;
  AppSettings out;
  out.window = {30, 40, 1000, 700};
  out.comPort = -1;
  out.comPortAuto = 17;
  out.language = 2;
  out.file =
      "/data/\xC4\x8C"
      "R/bike.ign";
  out.iniFileDir = "/data/dialog";
  out.activePage = 6;
  out.newInstal = false;
  out.monitorPlayer = true;
  for (int i = 0; i < 12; ++i) out.history.Add("/h/f" + std::to_string(i) + ".ign");
  std::vector<uint8_t> image(1050);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
  std::string err;
  ASSERT_TRUE(SaveSettings(dir.Path(), out, image, &err)) << err;
  EXPECT_NE(ReadText(ApplicationIniPath(dir.Path())).find("File=/data/\\x010CR/bike.ign"),
            std::string::npos);

  AppSettings in;
  std::vector<uint8_t> back(1050, 0xEE);
  auto r = LoadSettings(dir.Path(), in, back, {{0, 0, 1920, 1080}});
  EXPECT_TRUE(r.applicationIniFound);
  EXPECT_EQ(r.defaultIniBytes, 1050u);
  EXPECT_EQ(back, image);
  EXPECT_EQ(in.window, out.window);
  EXPECT_EQ(in.comPort, -1);
  EXPECT_EQ(in.comPortAuto, 17);
  EXPECT_EQ(in.language, 2);
  EXPECT_EQ(in.file, out.file);
  EXPECT_EQ(in.iniFileDir, out.iniFileDir);
  EXPECT_EQ(in.activePage, 6);
  EXPECT_FALSE(in.newInstal);
  EXPECT_TRUE(in.monitorPlayer);
  EXPECT_EQ(in.history.Entries(), out.history.Entries());
  EXPECT_EQ(in.history.Count(), 10);
}

TEST(Settings, ShorterHistoryDoesNotResurrectOldEntries) {
  TempFolder dir;
  AppSettings s;
  for (int i = 0; i < 5; ++i) s.history.Add("/h/" + std::to_string(i) + ".ign");
  std::vector<uint8_t> image(1050);
  ASSERT_TRUE(SaveSettings(dir.Path(), s, image));
  s.history.Remove("/h/0.ign");
  ASSERT_TRUE(SaveSettings(dir.Path(), s, image));
  AppSettings in;
  LoadSettings(dir.Path(), in, image, {});
  EXPECT_EQ(in.history.Entries(), s.history.Entries());
}

TEST(Settings, UnknownKeysAndSectionsAreKept) {
  TempFolder dir;
  WriteText(ApplicationIniPath(dir.Path()), "[OTHER]\nA=1\n[FORM_HLAV]\nMine=2\nLeft=5\n");
  AppSettings s;
  std::vector<uint8_t> image(1050);
  ASSERT_TRUE(SaveSettings(dir.Path(), s, image));
  IniFile ini;
  ini.Parse(ReadText(ApplicationIniPath(dir.Path())));
  EXPECT_EQ(ini.Get("OTHER", "A"), "1");
  EXPECT_EQ(ini.Get("FORM_HLAV", "Mine"), "2");
  EXPECT_EQ(ini.GetInt("FORM_HLAV", "Left"), 0);
}

TEST(Settings, FailedSaveReportsAndKeepsTheOldFiles) {
  if (geteuid() == 0) {
    // Root ignores folder permissions; use a folder path that is a file instead.
    TempFolder dir;
    WriteText(dir.Path() + "blocker", "x");
    AppSettings s;
    std::vector<uint8_t> image(1050);
    std::string err;
    EXPECT_FALSE(SaveSettings(dir.Path() + "blocker/", s, image, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(ReadText(dir.Path() + "blocker"), "x");
    return;
  }
  TempFolder dir;
  AppSettings s;
  std::vector<uint8_t> image(1050, 3);
  ASSERT_TRUE(SaveSettings(dir.Path(), s, image));
  std::string before = ReadText(DefaultIniPath(dir.Path()));
  chmod(dir.Path().c_str(), 0500);
  std::fill(image.begin(), image.end(), 9);
  std::string err;
  EXPECT_FALSE(SaveSettings(dir.Path(), s, image, &err));
  EXPECT_FALSE(err.empty());
  chmod(dir.Path().c_str(), 0700);
  EXPECT_EQ(ReadText(DefaultIniPath(dir.Path())), before);
}

TEST(DefaultIni, LayoutOfTheWriter) {
  std::vector<uint8_t> image(1050);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i);
  std::string text = FormatDefaultIni(image);
  EXPECT_EQ(text.substr(0, 61), "    0     1     2     3     4     5     6     7     8     9 \n");
  // After the tenth line of a block comes a blank line.
  size_t block = 10 * 61;
  EXPECT_EQ(text.substr(block - 1, 2), "\n\n");
  EXPECT_EQ(text.substr(block + 1, 6), "  100 ");
  EXPECT_EQ(text.size(), 1050u * 6 + 105 + 10);
}

TEST(DefaultIni, ReaderCases) {
  struct Case {
    std::string text;
    size_t filled;
    std::vector<uint8_t> head;
  } cases[] = {
      {"1 2 3", 3, {1, 2, 3, 0xEE}}, {"256 257\n\n-1", 3, {0, 1, 255, 0xEE}},
      {"5 6 x 7", 2, {5, 6, 0xEE}},  {"", 0, {0xEE}},
      {"+7 0x10", 2, {7, 0, 0xEE}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> image(1050, 0xEE);
    EXPECT_EQ(ParseDefaultIni(c.text, image), c.filled) << c.text;
    for (size_t i = 0; i < c.head.size(); ++i) EXPECT_EQ(image[i], c.head[i]) << c.text;
  }
  std::vector<uint8_t> image(1050, 0xEE);
  EXPECT_EQ(ParseDefaultIni("99999999999999999999999 4", image), 2u);
  EXPECT_EQ(image[1], 4);
}

TEST(DefaultIni, TwoThousandValuesFillTheImageAndTheRestIsIgnored) {
  TempFolder dir;
  std::string text;
  for (int i = 0; i < 2000; ++i) text += std::to_string(i % 200 + 1) + " ";
  WriteText(DefaultIniPath(dir.Path()), text);
  std::vector<uint8_t> image(1050, 0), extra(1, 0x55);
  AppSettings s;
  auto r = LoadSettings(dir.Path(), s, image, {});
  EXPECT_EQ(r.defaultIniBytes, 1050u);
  EXPECT_EQ(image[0], 1);
  EXPECT_EQ(image[1049], 1049 % 200 + 1);
}

TEST(DefaultIni, ShortFileFillsOnlyItsBytes) {
  TempFolder dir;
  WriteText(DefaultIniPath(dir.Path()), "9 8 7");
  std::vector<uint8_t> image(1050, 0x42);
  AppSettings s;
  auto r = LoadSettings(dir.Path(), s, image, {});
  EXPECT_EQ(r.defaultIniBytes, 3u);
  EXPECT_EQ(image[2], 7);
  EXPECT_EQ(image[3], 0x42);
}

TEST(TestSwitch, Words) {
  struct Case {
    const char* text;
    bool mode;
    int com;
  } cases[] = {{"", false, 0},
               {"DEVS_SWITCH", true, 0},
               {"  TEST_COM 7\n DEVS_SWITCH ", true, 7},
               {"TEST_COM\t12", false, 12},
               {"devs_switch TEST_COM", false, 0},
               {"TEST_COM x DEVS_SWITCH", true, 0}};
  for (const auto& c : cases) {
    TestSwitch t = ParseTestSwitch(c.text);
    EXPECT_EQ(t.testMode, c.mode) << c.text;
    EXPECT_EQ(t.testCom, c.com) << c.text;
  }
}

TEST(TestSwitch, FileNamedByEnvironment) {
  TempFolder dir;
  std::string old = std::getenv("ZEDA_TEST_SWITCH") ? std::getenv("ZEDA_TEST_SWITCH") : "";
  setenv("ZEDA_TEST_SWITCH", (dir.Path() + "switch").c_str(), 1);
  EXPECT_FALSE(ReadTestSwitch().testMode);
  WriteText(dir.Path() + "switch", "DEVS_SWITCH TEST_COM 3");
  TestSwitch t = ReadTestSwitch();
  EXPECT_TRUE(t.testMode);
  EXPECT_EQ(t.testCom, 3);
  if (old.empty())
    unsetenv("ZEDA_TEST_SWITCH");
  else
    setenv("ZEDA_TEST_SWITCH", old.c_str(), 1);
}

TEST(SettingsFolder, EnvironmentChoosesTheFolder) {
  TempFolder dir;
  std::string old = std::getenv("ZEDA_SETTINGS_DIR") ? std::getenv("ZEDA_SETTINGS_DIR") : "";
  setenv("ZEDA_SETTINGS_DIR", (dir.Path() + "a/b").c_str(), 1);
  EXPECT_EQ(SettingsFolder(), dir.Path() + "a/b/");
  EXPECT_TRUE(fs::is_directory(dir.Path() + "a/b"));
  unsetenv("ZEDA_SETTINGS_DIR");
  std::string oldXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", (dir.Path() + "cfg").c_str(), 1);
  EXPECT_EQ(SettingsFolder(), dir.Path() + "cfg/Torvelix/KESTRA2 ZEDA/107/");
  EXPECT_TRUE(fs::is_directory(dir.Path() + "cfg/Torvelix/KESTRA2 ZEDA/107"));
  if (oldXdg.empty())
    unsetenv("XDG_CONFIG_HOME");
  else
    setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
  if (!old.empty()) setenv("ZEDA_SETTINGS_DIR", old.c_str(), 1);
}

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporary) {
  TempFolder dir;
  std::string path = dir.Path() + "f.txt";
  WriteText(path, "old content");
  ASSERT_TRUE(WriteFileAtomic(path, "new"));
  EXPECT_EQ(ReadText(path), "new");
  int files = 0;
  for (auto& e : fs::directory_iterator(dir.Path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
  std::string err;
  EXPECT_FALSE(WriteFileAtomic(dir.Path() + "missing/f.txt", "x", &err));
  EXPECT_FALSE(err.empty());
}

TEST(IniFile, ParsesTolerantly) {
  IniFile ini;
  ini.Parse("junk\n[form_hlav]\r\n Left = 12 \r\nnoequals\n=x\nTop=-3abc\nFile=/a b \n");
  EXPECT_EQ(ini.GetInt("FORM_HLAV", "left"), 12);
  EXPECT_EQ(ini.GetInt("FORM_HLAV", "Top"), -3);
  EXPECT_EQ(ini.Get("FORM_HLAV", "File"), "/a b ");
  EXPECT_FALSE(ini.GetInt("FORM_HLAV", "File").has_value());
  EXPECT_FALSE(ini.Get("FORM_HLAV", "noequals").has_value());
}

TEST(StartupSettings, ImageIsNormalisedAndSettingsRepaired) {
  TempFolder dir;
  WriteText(ApplicationIniPath(dir.Path()), "[FORM_HLAV]\nComPort=300\nComPortAuto=0\n");
  std::string image;
  for (int i = 0; i < 1050; ++i) image += (i == Adrb::BASE_ADV ? "99 " : "0 ");
  WriteText(DefaultIniPath(dir.Path()), image);
  AppSettings s;
  ParamImage img;
  auto r = LoadStartupSettings(dir.Path(), s, img, {}, TestSwitch{});
  EXPECT_EQ(r.defaultIniBytes, 1050u);
  EXPECT_EQ(img.Byte(Adrb::BASE_ADV), 40);
  EXPECT_EQ(s.comPort, -1);
  EXPECT_EQ(s.comPortAuto, 1);
}

TEST(StartupSettings, TestComReplacesThePortOnlyInTestMode) {
  TempFolder dir;
  WriteText(ApplicationIniPath(dir.Path()), "[FORM_HLAV]\nComPort=4\n");
  for (auto [sw, expected] : {std::pair{TestSwitch{true, 9}, 9}, std::pair{TestSwitch{false, 9}, 4},
                              std::pair{TestSwitch{true, 0}, 4}}) {
    AppSettings s;
    ParamImage img;
    LoadStartupSettings(dir.Path(), s, img, {}, sw);
    EXPECT_EQ(s.comPort, expected);
  }
}

// Small damage that editors and other programs do to application.ini must not cost the
// settings: a byte-order mark before the section, blanks at the ends of a path, a window
// size of 0 or less.
TEST(ApplicationIni, SmallDamageIsSurvived) {
  TempFolder dir;
  AppSettings saved;
  saved.newInstal = false;
  saved.file = " lead and trail.ign ";
  saved.iniFileDir = "/data/ trailing blank ";
  saved.history.Assign({saved.file, "/a/b.ign"});
  ASSERT_TRUE(SaveSettings(dir.Path(), saved, ParamImage{}.bytes));
  const std::string text = ReadText(ApplicationIniPath(dir.Path()));
  EXPECT_NE(text.find("File=\\x0020lead and trail.ign\\x0020\n"), std::string::npos) << text;
  WriteText(ApplicationIniPath(dir.Path()), "\xEF\xBB\xBF" + text);
  WriteText(DefaultIniPath(dir.Path()), "\xEF\xBB\xBF    7     8 ");

  AppSettings loaded;
  ParamImage img;
  LoadSettingsResult r = LoadSettings(dir.Path(), loaded, img.bytes, {});
  EXPECT_TRUE(r.applicationIniFound);
  EXPECT_FALSE(loaded.newInstal);  // programming stays allowed
  EXPECT_EQ(loaded.file, saved.file);
  EXPECT_EQ(loaded.iniFileDir, saved.iniFileDir);
  EXPECT_EQ(loaded.history.Entries(), saved.history.Entries());
  EXPECT_EQ(r.defaultIniBytes, 2u);
  EXPECT_EQ(img.Byte(1), 8);

  // A stored size of 0 or less keeps the current one, then the window is fitted.
  const std::vector<WindowRect> monitor = {{0, 0, 1920, 1080}};
  struct Case {
    const char* ini;
    WindowRect out;
  } cases[] = {
      {"Left=100\nTop=1000\nWidth=800\nHeight=0\n", {100, 480, 800, 600}},
      {"Left=100\nTop=1000\nWidth=800\nHeight=-500\n", {100, 480, 800, 600}},
      {"Left=1800\nTop=10\nWidth=-1\nHeight=300\n", {1120, 10, 800, 300}},
      {"Left=10\nTop=10\nWidth=700\nHeight=500\n", {10, 10, 700, 500}},
  };
  for (const auto& c : cases) {
    IniFile ini;
    ini.Parse(std::string("\xEF\xBB\xBF[FORM_HLAV]\n") + c.ini);
    AppSettings s;
    s.window = {0, 0, 800, 600};  // the form's current bounds
    ApplyApplicationIni(ini, s, monitor);
    EXPECT_EQ(s.window, c.out) << c.ini;
  }
}

TEST(PathEscape, BlanksAtTheEndsAreEscapedAndComeBack) {
  struct Case {
    const char* path;
    const char* stored;
  } cases[] = {
      {" a", "\\x0020a"},
      {"a ", "a\\x0020"},
      {" ", "\\x0020"},
      {"a b", "a b"},
      {"  two  ", "\\x0020 two \\x0020"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapePath(c.path), c.stored) << "[" << c.path << "]";
    EXPECT_EQ(UnescapePath(c.stored), c.path) << "[" << c.path << "]";
  }
}

}  // namespace
}  // namespace zeda
