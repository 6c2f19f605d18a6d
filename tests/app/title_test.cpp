#include "app/title.h"

#include <gtest/gtest.h>

#include "lang/lang_string.h"

namespace zeda {
namespace {

const std::string P = "  KESTRA2 ZEDA (v107)";
const std::string S = "       ";
const std::string D = "(Disconnected by bootloader)";

TEST(Title, FourForms) {
  struct Case {
    bool fileMatches;
    bool linkEnabled;
    std::string expected;
  };
  const std::string f = "/home/t/bikes/r1.ign";
  const Case cases[] = {
      {false, true, P},
      {false, false, P + S + D},
      {true, true, P + S + f},
      {true, false, P + S + f + D},
  };
  for (const Case& c : cases) {
    TitleInputs in;
    in.fileMatches = c.fileMatches;
    in.linkEnabled = c.linkEnabled;
    in.fileName = f;
    EXPECT_EQ(ComposeTitle(in, kEnglish), c.expected) << c.fileMatches << c.linkEnabled;
  }
}

TEST(Title, CsvOutputShowsTheFileNameWithoutFolder) {
  TitleInputs in;
  in.csvPath = "/tmp/logs/run1.csv";
  const std::string c = "       (CSV output: run1.csv)      ";
  EXPECT_EQ(ComposeTitle(in, kEnglish), P + c);
  in.linkEnabled = false;
  EXPECT_EQ(ComposeTitle(in, kEnglish), P + S + c + D);
  in.fileMatches = true;
  in.fileName = "C:\\bikes\\a.ign";
  in.csvPath = "C:\\out\\m.csv";
  EXPECT_EQ(ComposeTitle(in, kEnglish),
            P + S + "C:\\bikes\\a.ign" + "       (CSV output: m.csv)      " + D);
}

TEST(Title, BootloaderNoteFollowsTheLanguage) {
  TitleInputs in;
  in.linkEnabled = false;
  EXPECT_EQ(ComposeTitle(in, kGerman), P + S + "(Von Bootloader getrennt)");
  EXPECT_EQ(ComposeTitle(in, kCzech), P + S + "(Dočasně odpojeno bootloaderem)");
}

TEST(StatusBarTexts, BuildText) {
  EXPECT_EQ(BuildText(), "KESTRA2_RACE   RSKEY=107.00   COMPILE=2023_10_19");
}

TEST(StatusBarTexts, BuildDateFormat) {
  EXPECT_EQ(FormatBuildDate("Oct 19 2023"), "2023_10_19");
  EXPECT_EQ(FormatBuildDate("Jan  2 2024"), "2024_01_02");
  EXPECT_EQ(FormatBuildDate("Dec 31 1999"), "1999_12_31");
  EXPECT_EQ(FormatBuildDate("Foo 31 1999"), "1999_00_31");
}

TEST(StatusBarTexts, UnitText) {
  UnitIdentTexts id;
  id.version = "V107.00";
  id.date = "12.5.2023";
  id.time = "10:20";
  EXPECT_EQ(UnitText(kKeyCheckNotConnected, "key", id), "not connected");
  EXPECT_EQ(UnitText(kKeyCheckText, "RSKEY 107.00 = 107.00", id), "RSKEY 107.00 = 107.00");
  EXPECT_EQ(UnitText(kKeyCheckIdent, "K", id), "V107.00   K   12.5.2023   10:20");
  id.hardware = "HW3";
  id.serial = "12345";
  id.lastUpdate = "1.1.2024";
  id.additional = "extra";
  EXPECT_EQ(UnitText(kKeyCheckIdent, "K", id), "HW3   K   (12345)   1.1.2024   extra");
}

}  // namespace
}  // namespace zeda
