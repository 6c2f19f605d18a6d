#include "params/ign_completeness.h"

#include <gtest/gtest.h>

#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/param_fields.h"

namespace zeda {
namespace {

std::string Whole() { return FormatIgnFile(StartImage()); }

std::string WithoutLine(const std::string& text, const std::string& keyword) {
  const size_t at = text.find("\n" + keyword + " ");
  EXPECT_NE(at, std::string::npos) << keyword;
  const size_t end = text.find('\n', at + 1);
  return text.substr(0, at) + text.substr(end);
}

TEST(IgnCompleteness, WholeFileLacksNothing) {
  EXPECT_TRUE(MissingIgnKeywords(Whole()).empty());
  // Also when a unit was connected (calibration lines after VERSIONS) and with CR LF.
  std::string crlf;
  for (char c : Whole()) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_TRUE(MissingIgnKeywords(crlf).empty());
}

TEST(IgnCompleteness, NamesWhatIsMissingOrShort) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> missing;
  };
  const std::string w = Whole();
  const size_t gearCorr = w.find("\nGEAR_CORR_POUT ");
  const Case cases[] = {
      {"one line out", WithoutLine(w, "SERVO_ENABLE"), {"SERVO_ENABLE"}},
      {"ignored keyword out", WithoutLine(w, "TEST_OUT"), {}},
      {"cut inside the last table", w.substr(0, gearCorr + 60), {"GEAR_CORR_POUT", "NO_READING"}},
  };
  for (const Case& c : cases) EXPECT_EQ(MissingIgnKeywords(c.text), c.missing) << c.what;
  // Cut at the start of the advance map: the map and all that follows.
  const std::vector<std::string> cut = MissingIgnKeywords(w.substr(0, w.find("\nADVANCE ") + 40));
  ASSERT_FALSE(cut.empty());
  EXPECT_EQ(cut.front(), "ADVANCE");
  EXPECT_EQ(cut.back(), "NO_READING");
}

// A file that ends inside a number was cut there: the digits before the cut are not the
// value written, so the field counts as missing and keeps its default.
TEST(IgnCompleteness, ANumberCutByTheEndOfTheFileIsNotTaken) {
  ImageBuffers start;
  start.params = StartImage();
  ParamImage written = StartImage();
  WriteShown(written, Field(FieldId::BASE_ADV), 0, 27);
  WriteShown(written, Field(FieldId::CLUTCH_TIME), 2, 250);
  const std::string w = FormatIgnFile(written);
  // Just after the first digit of the value `nth` of keyword's line.
  auto cutInside = [&](const char* keyword, int nth) {
    size_t at = w.find(std::string("\n") + keyword + " ") + 1 + std::string(keyword).size();
    for (int i = 0; i <= nth; ++i) {
      at = w.find_first_not_of(' ', at);
      if (i < nth) at = w.find(' ', at);
    }
    return w.substr(0, at + 1);
  };
  const struct {
    const char* what;
    std::string text;
    FieldId field;
    int element;
  } cases[] = {
      {"a one-value field, 27 cut to 2", cutInside("BASE_ADV", 0), FieldId::BASE_ADV, 0},
      {"a table row, 250 cut to 2", cutInside("CLUTCH_TIME", 2), FieldId::CLUTCH_TIME, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.text.back(), '2');
    ImageBuffers b = start;
    const IgnLoadResult r = LoadIgnText(b, c.text, -1, false);
    ASSERT_TRUE(r.Accepted());
    EXPECT_EQ(ReadShown(b.params, Field(c.field), c.element),
              ReadShown(StartImage(), Field(c.field), c.element));
    ASSERT_FALSE(r.missing.empty());
    EXPECT_EQ(r.missing.front(), Field(c.field).name);
  }
  // A whole file that ends without a line end keeps its last number.
  EXPECT_EQ(WithoutCutNumber("BASE_ADV 27 "), "BASE_ADV 27 ");
  EXPECT_EQ(WithoutCutNumber("BASE_ADV -2"), "BASE_ADV ");
}

TEST(IgnCompleteness, LoadReportsOnlyFilesOfTheCurrentKey) {
  ImageBuffers b;
  b.params = StartImage();
  const std::string cut = WithoutLine(Whole(), "GEAR_AUTO");
  IgnLoadResult r = LoadIgnText(b, cut, -1, false);
  EXPECT_TRUE(r.Accepted());
  EXPECT_EQ(r.missing, std::vector<std::string>{"GEAR_AUTO"});
  EXPECT_TRUE(r.defaultsApplied);
  // An older file lacks keywords by nature and has its own message.
  std::string older = cut;
  older.replace(older.find("107"), 3, "106");
  r = LoadIgnText(b, older, -1, false);
  EXPECT_TRUE(r.Accepted());
  EXPECT_TRUE(r.missing.empty());
  EXPECT_EQ(JoinKeywords({"A", "B", "C"}, 2), "A, B and 1 more");
}

}  // namespace
}  // namespace zeda
