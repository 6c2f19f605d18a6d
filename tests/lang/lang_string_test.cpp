#include "lang/lang_string.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "base/message_box.h"

namespace zeda {
namespace {

class LangTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearLangTextCacheForTests();
    SetCurrentLanguage(kEnglish);
    SetMessageSink([this](const UserMessage& m) { messages_.push_back(m); });
  }
  void TearDown() override {
    SetMessageSink(nullptr);
    ClearLangTextCacheForTests();
    SetCurrentLanguage(kEnglish);
  }
  std::vector<UserMessage> messages_;
};

std::string Repeat(const std::string& piece, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += piece;
  return out;
}

struct SelectCase {
  const char* text;
  int language;
  const char* expected;
};

TEST_F(LangTextTest, SelectsTheVariantOfTheLanguage) {
  const SelectCase cases[] = {
      {"###Off##Aus##Vypnut", 0, "Off"},
      {"###Off##Aus##Vypnut", 1, "Aus"},
      {"###Off##Aus##Vypnut", 2, "Vypnut"},
      // Outside 0..2 means English; -1 is the current language (English here).
      {"###Off##Aus##Vypnut", 3, "Off"},
      {"###Off##Aus##Vypnut", -2, "Off"},
      {"###Off##Aus##Vypnut", 99, "Off"},
      {"###Off##Aus##Vypnut", -1, "Off"},
      // Fewer variants than languages: English for the missing ones.
      {"###Off##Aus", 2, "Off"},
      {"###Off##Aus", 1, "Aus"},
      {"###Only", 1, "Only"},
      {"###Only", 2, "Only"},
      // Empty and ".." variants fall back to English; "..x" is a text of its own.
      {"###Off####Vypnut", 1, "Off"},
      {"###Off####Vypnut", 2, "Vypnut"},
      {"###Off##..##Vypnut", 1, "Off"},
      {"###Off##..x##Vypnut", 1, "..x"},
      {"###Off##Aus##..", 2, "Off"},
      {"###Off##Aus##", 2, "Off"},
      // Blank-only first or second variants are trimmed to empty.
      {"###Off##  \t ##Vypnut", 1, "Off"},
      {"### \r\n##Aus##Vypnut", 0, ""},
      {"### \r\n##Aus##Vypnut", 1, "Aus"},
      // Trailing blanks go from every variant but the last.
      {"###Off  ##Aus\t\n##Vyp  ", 0, "Off"},
      {"###Off  ##Aus\t\n##Vyp  ", 1, "Aus"},
      {"###Off  ##Aus\t\n##Vyp  ", 2, "Vyp  "},
      {"###Off  ##Aus  ", 1, "Aus  "},
      {"###  lead##Aus", 0, "  lead"},
      // At most three variants: the third keeps any further separator.
      {"###a##b##c##d", 2, "c##d"},
      // UTF-8 Czech text.
      {"###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...", 2,
       "Není spojení s PC..."},
  };
  for (const SelectCase& c : cases) {
    EXPECT_STREQ(LangText(c.text, c.language), c.expected) << c.text << " / " << c.language;
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(LangTextTest, MinusOneFollowsTheCurrentLanguage) {
  const char* text = "###Off##Aus##Vypnut";
  SetCurrentLanguage(kGerman);
  EXPECT_STREQ(LangText(text), "Aus");
  SetCurrentLanguage(kCzech);
  EXPECT_STREQ(LangText(text), "Vypnut");
  EXPECT_STREQ(LangText(text, kEnglish), "Off");
  SetCurrentLanguage(7);  // a broken index still selects English
  EXPECT_STREQ(LangText(text), "Off");
}

TEST_F(LangTextTest, PlainAndNullTextsComeBackUnchanged) {
  const char* plain = "COM=OFF";
  EXPECT_EQ(LangText(plain, 2), plain);
  EXPECT_EQ(LangText(nullptr, 1), nullptr);
  const char* empty = "";
  EXPECT_EQ(LangText(empty, 1), empty);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(LangTextTest, MissingThirdHashIsReportedAndTheRawTextUsed) {
  const char* text = "##Off##Aus";
  EXPECT_EQ(LangText(text, 1), text);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Chybi ### na zacatku v jazykovem retezci !\n##Off##Aus");
  EXPECT_EQ(messages_[0].caption, "Error");
  EXPECT_EQ(messages_[0].kind, MessageKind::Error);
  const char* shortText = "##";
  EXPECT_EQ(LangText(shortText, 0), shortText);
  EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(LangTextTest, TextThatIsNoLangStringReportsTheVariantCount) {
  const char* text = "#abc";
  EXPECT_EQ(LangText(text, 0), text);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Chybny pocet jazykovych mutaci (97 > 3 || 97==0) !\n ");
  EXPECT_EQ(messages_[0].caption, "Error");
  const char* hash = "#";
  EXPECT_EQ(LangText(hash, 0), hash);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1].text, "Chybny pocet jazykovych mutaci (0 > 3 || 0==0) !\n ");
}

TEST_F(LangTextTest, VariantLimitCountsWindows1250Bytes) {
  struct Case {
    std::string variant;
    bool ok;
  };
  const Case cases[] = {
      {Repeat("a", 255), true},
      {Repeat("a", 256), false},
      // Czech letters are two UTF-8 bytes but one byte of the code page.
      {Repeat("č", 255), true},
      {Repeat("č", 256), false},
      {Repeat("Ř", 200) + Repeat("x", 55), true},
      // A character outside the code page counts its UTF-8 bytes (three for an arrow).
      {Repeat("→", 85), true},
      {Repeat("→", 86), false},
  };
  for (const Case& c : cases) {
    for (int position = 0; position < 3; ++position) {
      ClearLangTextCacheForTests();
      messages_.clear();
      std::string v[3] = {"Off", "Aus", "Vyp"};
      v[position] = c.variant;
      const std::string text = "###" + v[0] + "##" + v[1] + "##" + v[2];
      const char* got = LangText(text.c_str(), position);
      if (c.ok) {
        EXPECT_EQ(got, c.variant) << position;
        EXPECT_TRUE(messages_.empty());
      } else {
        EXPECT_EQ(got, text.c_str()) << position;
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].text, "Prilis dlouha jazykova mutace (>255 chars) !\n" + text);
      }
    }
  }
}

TEST_F(LangTextTest, ParsesOnceAndReportsAnErrorOncePerText) {
  const char* text = "###Off##Aus##Vypnut";
  const char* first = LangText(text, 1);
  EXPECT_EQ(LangText(text, 1), first);  // the parsed form is kept
  // A copy with the same content shares the parsed form.
  const std::string copy = text;
  EXPECT_EQ(LangText(copy.c_str(), 1), first);
  const char* bad = "##x";
  for (int i = 0; i < 5; ++i) LangText(bad, 0);
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(LangTextTest, ConcurrentFirstUseAgrees) {
  const char* text = "###Read##Lesen##Číst";
  std::vector<std::thread> threads;
  std::vector<std::string> results(8);
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&results, text, i] { results[i] = LangText(text, i % 3); });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 8; ++i) {
    const char* expected[3] = {"Read", "Lesen", "Číst"};
    EXPECT_EQ(results[i], expected[i % 3]);
  }
}

TEST(Cp1250Length, CountsCharactersOfTheCodePageAsOneByte) {
  EXPECT_EQ(Cp1250Length(""), 0u);
  EXPECT_EQ(Cp1250Length("abc"), 3u);
  EXPECT_EQ(Cp1250Length("Příliš žluťoučký kůň"), 20u);
  EXPECT_EQ(Cp1250Length("Zündung Öffnen ß"), 16u);
  EXPECT_EQ(Cp1250Length("€„“"), 3u);        // in the code page's 0x80 row
  EXPECT_EQ(Cp1250Length("→"), 3u);          // not in the code page
  EXPECT_EQ(Cp1250Length("ñ"), 2u);          // Latin-1 but not Windows-1250
  EXPECT_EQ(Cp1250Length("\xC4"), 1u);       // cut-off sequence: byte by byte
  EXPECT_EQ(Cp1250Length("\xE2\x86x"), 3u);  // broken sequence
  EXPECT_EQ(Cp1250Length("\x80\xBF"), 2u);   // stray continuation bytes
}

}  // namespace
}  // namespace zeda
