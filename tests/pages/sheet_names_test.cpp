// Every map sheet the pages make is named in English, German and Czech: the sheet tabs, the
// titles and what a screen reader says follow a language switch, so a name with one language
// only would stay English in a German or Czech window.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "mapedit/lang_select.h"
#include "mapedit/table_factories.h"
#include "pages/advance_tables.h"
#include "pages/page_image.h"
#include "pages/pout_tables.h"
#include "pages/sensor_tables.h"
#include "pages/servo_tables.h"

namespace zeda {
namespace {

using test::PageImage;

// The parts of a "###English##German##Czech" text; empty when the text has another form.
std::vector<std::string> Parts(std::string_view text) {
  std::vector<std::string> parts;
  if (text.substr(0, 3) != "###") return parts;
  text.remove_prefix(3);
  for (;;) {
    const size_t cut = text.find("##");
    parts.emplace_back(text.substr(0, cut));
    if (cut == std::string_view::npos) break;
    text.remove_prefix(cut + 2);
  }
  return parts;
}

class SheetNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ParamImage img = PageImage();
    ASSERT_NE(CreateAdvanceTables(set_, 1, img, 0), nullptr);
    ASSERT_NE(CreateServoTables(set_, 2, img, 0), nullptr);
    const SensorTables sensors = CreateSensorTables(set_, 3, img, 0);
    ASSERT_TRUE(sensors.throttle && sensors.pressure);
    ASSERT_NE(CreateLambdaSensorTable(set_, 5, 0), nullptr);
    const PoutTables pout = CreatePoutTables(set_, 10, img, 0);
    ASSERT_NE(pout.pwm[POUT_COUNT - 1], nullptr);
  }
  void TearDown() override { SetMapeditLanguage(kLangEnglish); }
  TTableSet set_;
};

TEST_F(SheetNamesTest, EverySheetHasAllThreeLanguages) {
  int sheets = 0;
  for (int i = 0; i < set_.Count(); ++i) {
    const TTab& t = set_.Table(i);
    for (int s = 0; s < t.sheetCount; ++s, ++sheets) {
      const std::string& name = t.Sheet(s).name;
      const std::vector<std::string> parts = Parts(name);
      ASSERT_EQ(parts.size(), 3u) << "table " << t.id << " sheet " << s << ": " << name;
      for (const std::string& p : parts)
        EXPECT_FALSE(p.empty() || p == "..") << "table " << t.id << " sheet " << s << ": " << name;
    }
  }
  // Two advance sheets, servo, three sensors, four switching and four PWM tables.
  EXPECT_EQ(sheets, 14);
}

TEST_F(SheetNamesTest, NamesFollowTheLanguage) {
  const struct {
    int tableId;
    int sheet;
    const char* english;
    const char* german;
    const char* czech;
  } cases[] = {
      {1, 0, "Advance 1", "Vorz\u00fcndung 1", "P\u0159edstih 1"},
      {1, 1, "Advance 2", "Vorz\u00fcndung 2", "P\u0159edstih 2"},
      {3, 0, "TP sensor", "TP-Sensor", "Sn\u00edma\u010d TP"},
      {4, 0, "IAP sensor", "IAP-Sensor", "Sn\u00edma\u010d IAP"},
      {5, 0, "Lambda sensor", "Lambdasonde", "Lambda sonda"},
      {13, 0, "Power out 4 (pin 11)", "Leistungsausgang 4 (Pin 11)",
       "V\u00fdkonov\u00fd v\u00fdstup 4 (pin 11)"},
      {10 + POUT_COUNT, 0, "Power out 1 (pin 2)", "Leistungsausgang 1 (Pin 2)",
       "V\u00fdkonov\u00fd v\u00fdstup 1 (pin 2)"},
  };
  for (const auto& c : cases) {
    TTab* t = set_.FindById(c.tableId);
    ASSERT_NE(t, nullptr) << c.english;
    const std::string& name = t->Sheet(c.sheet).name;
    EXPECT_EQ(MapeditText(name, kLangEnglish), c.english);
    EXPECT_EQ(MapeditText(name, kLangGerman), c.german);
    EXPECT_EQ(MapeditText(name, kLangCzech), c.czech);
    // Without a language given, the program's current one.
    SetMapeditLanguage(kLangCzech);
    EXPECT_EQ(MapeditText(name), c.czech);
    SetMapeditLanguage(kLangEnglish);
  }
}

}  // namespace
}  // namespace zeda
