// The translation tables: every row complete, within the limits of a three-language text,
// and the rows the window and the monitor rely on.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "lang/control_texts.h"
#include "lang/lang_string.h"
#include "lang/status_texts.h"

namespace zeda {
namespace {

// Number of Unicode characters of a UTF-8 text.
std::size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// A variant fits when every character exists in Windows-1250 (one byte each) and the
// whole is within a variant's byte limit.
void ExpectFitsCp1250(std::string_view text, const std::string& where) {
  EXPECT_EQ(Cp1250Length(text), CodePoints(text)) << where << ": a character outside Windows-1250";
  EXPECT_LE(Cp1250Length(text), static_cast<std::size_t>(kMaxVariantBytes)) << where;
}

const char* PropertyName(TextProperty p) {
  switch (p) {
    case TextProperty::Caption:
      return "caption";
    case TextProperty::Hint:
      return "hint";
    case TextProperty::Items:
      return "items";
  }
  return "?";
}

void CheckControlTable(std::span<const ControlText> table, const char* tableName) {
  std::set<std::pair<std::string, int>> seen;
  for (const ControlText& row : table) {
    const std::string where =
        std::string(tableName) + " " + row.name + " " + PropertyName(row.property);
    EXPECT_TRUE(seen.insert({row.name, static_cast<int>(row.property)}).second)
        << where << " appears twice";
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      ASSERT_NE(row.text[lang], nullptr) << where;
      EXPECT_NE(std::string_view(row.text[lang]), "") << where << " language " << lang;
      // Each item of a list is a text of its own.
      std::string_view rest = row.text[lang];
      do {
        const std::size_t end = rest.find('\n');
        const std::string_view item = rest.substr(0, end);
        EXPECT_FALSE(item.empty()) << where << " language " << lang << ": an empty item";
        ExpectFitsCp1250(item, where + " language " + std::to_string(lang));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      } while (!rest.empty());
    }
    if (row.property == TextProperty::Items) {
      // Every language lists the same number of items, so an index means one item.
      const auto lines = [](std::string_view s) { return std::count(s.begin(), s.end(), '\n'); };
      EXPECT_EQ(lines(row.text[1]), lines(row.text[0])) << where;
      EXPECT_EQ(lines(row.text[2]), lines(row.text[0])) << where;
    }
  }
}

TEST(TranslationTables, EveryControlRowHasThreeVariantsWithinCp1250Limits) {
  CheckControlTable(MenuTextTable(), "menu");
  CheckControlTable(PageTextTable(), "page");
}

TEST(TranslationTables, PageCaptionsInFixedOrderComeFirst) {
  const auto table = PageTextTable();
  ASSERT_GE(table.size(), static_cast<std::size_t>(kOrderedPageCaptions));
  EXPECT_STREQ(table[0].name, "CheckBoxProgHned");
  EXPECT_STREQ(table[kOrderedPageCaptions - 1].name, "LabelHourMeter");
  for (int i = 0; i < kOrderedPageCaptions; ++i) {
    EXPECT_EQ(table[i].property, TextProperty::Caption) << table[i].name;
  }
}

TEST(TranslationTables, KnownRowsAreExact) {
  struct Case {
    const char* name;
    TextProperty property;
    const char* text[3];
  };
  const Case cases[] = {
      {"CheckBoxProgHned",
       TextProperty::Caption,
       {"Programming after change", "Programmierung nach Änderung", "Programování po změně"}},
      {"TabSheetRuzne", TextProperty::Caption, {"Miscellaneous", "Verschiedene", "Různé"}},
      {"LabelLimiter",
       TextProperty::Caption,
       {"Limiter [rpm]", "Begrenzer [rpm]", "Omezovač [rpm]"}},
      {"RadioGroupTpsIap",
       TextProperty::Items,
       {"No\nTP\nIAP+Synchro IAP", "keinen\nTP\nIAP+Synchro IAP", "Žádný\nTP\nIAP+Synchro IAP"}},
      {"RadioGroupPickup2Polarita",
       TextProperty::Caption,
       {"Polarity of pick-up 2", "Geberpolarität 2", "Polarita snímače 2"}},
      {"MenuCzech", TextProperty::Caption, {"&Czech - Česky", "&Tschechisch - Česky", "Če&sky"}},
      {"MenuNew",
       TextProperty::Hint,
       {"Set default parameters ", "Neue Kenndatendatei erstellen",
        "Nastavení výchozích parametrů"}},
      {"ButtonRead", TextProperty::Caption, {"&Read", "&Lesen", "Čí&st"}},
      // The caption row of CheckBoxProgHned and its hint row are two rows.
      {"CheckBoxProgHned",
       TextProperty::Hint,
       {"Programing at once after change", "Programmmieren sofort nach dem änderung",
        "Programování ihned po změně"}},
  };
  for (const Case& c : cases) {
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      const char* got = ControlTextFor(c.name, c.property, lang);
      ASSERT_NE(got, nullptr) << c.name;
      EXPECT_STREQ(got, c.text[lang]) << c.name << " language " << lang;
    }
  }
  EXPECT_EQ(ControlTextFor("NoSuchControl", TextProperty::Caption), nullptr);
  EXPECT_EQ(ControlTextFor("LabelLimiter", TextProperty::Hint), nullptr);
}

TEST(TranslationTables, ControlTextFollowsTheCurrentLanguage) {
  SetCurrentLanguage(kCzech);
  EXPECT_STREQ(ControlTextFor("MenuFile", TextProperty::Caption), "&Soubor");
  SetCurrentLanguage(kGerman);
  EXPECT_STREQ(ControlTextFor("MenuFile", TextProperty::Caption), "&Datei");
  SetCurrentLanguage(kEnglish);
  EXPECT_STREQ(ControlTextFor("MenuFile", TextProperty::Caption), "&File");
}

TEST(StatusTexts, EveryNumberHasThreeVariantsAndTheUnusedNone) {
  const std::set<int> unused = {16, 28, 29, 44, 45, 48, 91, 92, 93, 94};
  std::set<int> numbers;
  for (const StatusTextRow& row : StatusTextTable()) {
    EXPECT_TRUE(numbers.insert(row.number).second) << row.number << " twice";
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      const std::string where =
          "text " + std::to_string(row.number) + " language " + std::to_string(lang);
      ASSERT_NE(row.text[lang], nullptr) << where;
      if (row.number != 15) {
        EXPECT_NE(std::string_view(row.text[lang]), "") << where;
      }
      ExpectFitsCp1250(row.text[lang], where);
    }
  }
  for (int n = kFirstStatusText; n <= kLastStatusText; ++n) {
    EXPECT_EQ(numbers.count(n), unused.count(n) ? 0u : 1u) << n;
  }
  EXPECT_STREQ(StatusText(16), "");
  EXPECT_STREQ(StatusText(-1), "");
  EXPECT_STREQ(StatusText(1000), "");
}

TEST(StatusTexts, RulesOfTheTable) {
  for (int lang = 0; lang < kLanguageCount; ++lang) {
    EXPECT_STREQ(StatusText(15, lang), "");
    EXPECT_STREQ(StatusText(78, lang), StatusText(77, lang));
    EXPECT_STREQ(StatusText(88, lang), "N2O");
    EXPECT_STREQ(StatusText(95, lang), "Tacho Lambda");
    // Text 38 keeps the display's width in every language.
    EXPECT_EQ(CodePoints(StatusText(38, lang)), kPickupErrorWidth) << lang;
  }
  EXPECT_STREQ(StatusText(89, kCzech), "COM &odpojen");
  EXPECT_STREQ(StatusText(90, kGerman), "COM &auto");
  EXPECT_EQ(std::string(StatusText(35, kEnglish)),
            "Older or another version of *.ign file!\n\nSome parameters won't be changed or will "
            "be set to default value.\nThey are parameters which are not in older version or "
            "have another structure.");
}

TEST(StatusTexts, SelectsTheCurrentLanguageAndReadsEnglishOutsideTheRange) {
  SetCurrentLanguage(kGerman);
  EXPECT_STREQ(StatusText(23), "JA");
  SetCurrentLanguage(kCzech);
  EXPECT_STREQ(StatusText(23), "ANO");
  SetCurrentLanguage(kEnglish);
  EXPECT_STREQ(StatusText(23), "YES");
  EXPECT_STREQ(StatusText(23, 7), "YES");
}

// Texts the pages write in English (captions, items, run-time captions) find their row: the
// control's own first, then any page row or status text; LangStrings keep their variants
// and texts without a row (numbers, type names) stay as they are.
TEST(EnglishTexts, TranslateByTheControlsRowThenAnyRow) {
  struct Case {
    const char* name;
    const char* text;
    int language;
    const char* expected;
  };
  const Case cases[] = {
      // The own caption row, and a run-time caption found in another row.
      {"LabelLimiter", "Limiter [rpm]", kCzech, "Omezovač [rpm]"},
      {"LabelRevWoIgnition", "Revolutions with collective ignitions", kGerman,
       "Umdrehungen mit Sammelzündung"},
      // An item of the control's own list wins over the same English item elsewhere.
      {"RadioGroupGearSystem", "No", kGerman, "Keine"},
      {"RadioGroupTpsIap", "No", kGerman, "keinen"},
      // An item list of another name, and a status text.
      {"RadioGroupPOut3", "Gear shift light", kCzech, "Kontrolka řazení"},
      {"", "Potentiometer", kCzech, "Potenciometr"},
      // A control whose page caption differs from its row keeps the page's text when no
      // row has it; TranslateText alone does not guess.
      {"ButtonTestIgn1", "Ign 1", kGerman, "Ign 1"},
      {"LabelProp1", "$1", kCzech, "$1"},
      {"LabelBike", "###Off##Aus##Vypnuto", kCzech, "Vypnuto"},
      {"LabelBike", "Motorbike type", kEnglish, "Motorbike type"},
      {"LabelBike", "", kGerman, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TranslateText(c.name, c.text, c.language), c.expected)
        << c.name << " \"" << c.text << "\" " << c.language;
  EXPECT_FALSE(FindEnglishText("LabelBike", "Ign 1").has_value());
  EXPECT_FALSE(FindEnglishText("LabelBike", "").has_value());
}

TEST(EnglishTexts, EveryItemOfAListFindsItsOwnLine) {
  for (const ControlText& row : PageTextTable()) {
    if (row.property != TextProperty::Items) continue;
    std::string_view rest[kLanguageCount];
    for (int l = 0; l < kLanguageCount; ++l) rest[l] = row.text[l];
    while (!rest[kEnglish].empty()) {
      std::string_view item[kLanguageCount];
      for (int l = 0; l < kLanguageCount; ++l) {
        const std::size_t end = rest[l].find('\n');
        item[l] = rest[l].substr(0, end);
        rest[l] = end == std::string_view::npos ? std::string_view() : rest[l].substr(end + 1);
      }
      const auto v = FindEnglishText(row.name, item[kEnglish]);
      ASSERT_TRUE(v.has_value()) << row.name << " " << item[kEnglish];
      for (int l = 0; l < kLanguageCount; ++l)
        EXPECT_EQ(v->at(static_cast<std::size_t>(l)), item[l]) << row.name << " " << l;
    }
  }
}

}  // namespace
}  // namespace zeda
