#include "update/patch_list.h"

#include <gtest/gtest.h>

#include "base/identity.h"
#include "lang/lang_string.h"
#include "update/patch_texts.h"

namespace zeda {
namespace {

const PatchBuild kBuild{"KESTRA2_RACE", 107, "2023_10_19"};

std::string Body(const std::string& recommendations, const char* cls = "KESTRA2_RACE",
                 int key = 107) {
  return std::string(
             "<?xml version=\"1.0\"?><patches><product class=\"OTHER\" key=\"107\">"
             "<recommendation update_number=\"99\"><english>other</english>"
             "</recommendation></product><product class=\"") +
         cls + "\" key=\"" + std::to_string(key) + "\">" + recommendations + "</product></patches>";
}

std::string Rec(const std::string& attrs, const std::string& content = "<english>e</english>") {
  return "<recommendation " + attrs + ">" + content + "</recommendation>";
}

TEST(PatchList, BuildDateComesFromTheCompileDate) {
  EXPECT_EQ(PatchDateFromBuildDate("Oct 19 2023"), "2023_10_19");
  EXPECT_EQ(PatchDateFromBuildDate("Jan  3 2024"), "2024_01_03");
  EXPECT_EQ(PatchDateFromBuildDate("Foo 3 2024"), "0000_00_00");
  EXPECT_EQ(ThisPatchBuild().key, kUnitKey);
  EXPECT_EQ(ThisPatchBuild().productClass, kProductIdentifier);
}

TEST(PatchList, FromAndToEdgesDecideWhetherARecommendationApplies) {
  struct Case {
    const char* attrs;
    bool applies;
  } cases[] = {
      {"update_number=\"1\" from=\"2023_10_19\"", true},  // from is inclusive
      {"update_number=\"1\" to=\"2023_10_19\"", false},   // to is exclusive
      {"update_number=\"1\" from=\"2023_10_20\"", false},
      {"update_number=\"1\" to=\"2023_10_20\"", true},
      {"update_number=\"1\" from=\"\" to=\"\"", true},  // empty: open ends
      {"update_number=\"1\"", true},
      {"update_number=\"1\" from=\"2023_10_18\" to=\"2023_10_19\"", false},
      // Longer than 11 characters: the first 11 count ("2023_10_19x" < "2023_10_19" is false).
      {"update_number=\"1\" from=\"2023_10_19xyz\"", false},
      {"update_number=\"1\" to=\"2023_10_19_and_more\"", true},
  };
  for (const Case& c : cases) {
    const auto offer = EvaluatePatchList(Body(Rec(c.attrs)), kBuild, kEnglish);
    EXPECT_EQ(offer.has_value(), c.applies) << c.attrs;
  }
}

TEST(PatchList, HighestApplyingNumberWinsAndTheFirstOfEquals) {
  const std::string body =
      Body(Rec("update_number=\"3\"", "<english>three</english>") +
           Rec("update_number=\"5\"", "<english>five</english>") +
           Rec("update_number=\"9\" to=\"2020_01_01\"", "<english>old</english>") +
           Rec("update_number=\"5\"", "<english>second five</english>"));
  const auto offer = EvaluatePatchList(body, kBuild, kEnglish);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->number, 5);
  EXPECT_EQ(offer->text, "five");
}

TEST(PatchList, LanguageChoosesTextAndAddressesAndGermanUsesEnglish) {
  const std::string body = Body(Rec("update_number=\"4\"",
                                    "<english>en</english><czech>cz</czech><web>http://w/en</web>"
                                    "<web_cz>http://w/cz</web_cz><download>http://d/setup.exe"
                                    "</download>"));
  const auto en = EvaluatePatchList(body, kBuild, kEnglish);
  const auto de = EvaluatePatchList(body, kBuild, kGerman);
  const auto cz = EvaluatePatchList(body, kBuild, kCzech);
  ASSERT_TRUE(en && de && cz);
  EXPECT_EQ(de->text, "en");
  EXPECT_EQ(de->web, "http://w/en");
  EXPECT_EQ(cz->text, "cz");
  EXPECT_EQ(cz->web, "http://w/cz");
  EXPECT_EQ(de->download, "http://d/setup.exe");
  EXPECT_STREQ(PatchCaptionsFor(kGerman).download, "Download update");
  EXPECT_STREQ(PatchCaptionsFor(kCzech).later, "Zpět (připomeň příště)");
  // Czech without its own texts falls back to English.
  const auto fallback = EvaluatePatchList(
      Body(Rec("update_number=\"4\"", "<english>en</english><web>http://w</web>")), kBuild, kCzech);
  ASSERT_TRUE(fallback);
  EXPECT_EQ(fallback->text, "en");
  EXPECT_EQ(fallback->web, "http://w");
}

TEST(PatchList, NoTextGivesTheStandardNoticeAndRtfIsRecognised) {
  auto offer = EvaluatePatchList(Body(Rec("update_number=\"7\"", "")), kBuild, kEnglish);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->text, std::string(kMakerFolder) + " patch KESTRA2_RACE Key=107 Ver=7");
  EXPECT_FALSE(offer->rtf);
  offer = EvaluatePatchList(Body(Rec("update_number=\"7\"", "<english>{\\rtf1 x}</english>")),
                            kBuild, kEnglish);
  ASSERT_TRUE(offer);
  EXPECT_TRUE(offer->rtf);
}

TEST(PatchList, NothingWithoutTheProductSectionOrAnApplyingRecommendation) {
  EXPECT_FALSE(EvaluatePatchList("", kBuild, kEnglish));
  EXPECT_FALSE(
      EvaluatePatchList(Body(Rec("update_number=\"3\""), "KESTRA2_RACE", 108), kBuild, kEnglish));
  EXPECT_FALSE(EvaluatePatchList(Body(Rec("update_number=\"3\""), "kestra2_race"), kBuild,
                                 kEnglish));  // case-sensitive
  EXPECT_FALSE(EvaluatePatchList(Body(""), kBuild, kEnglish));
  // A recommendation without its end is not one.
  EXPECT_FALSE(
      EvaluatePatchList(Body("<recommendation update_number=\"3\"><english>x"), kBuild, kEnglish));
}

TEST(PatchList, NumbersAndAddressesAreReadSafely) {
  const std::string longAddress = "http://" + std::string(300, 'a');
  const auto list = ReadPatchRecommendations(
      Rec("update_number=\"x1\"", "<web>" + longAddress + "</web>") +
      Rec("update_number=\"99999999999999\"") + Rec("from=\"2020_01_01\""));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].number, 0);
  EXPECT_EQ(list[0].web->size(), kPatchMaxAddress);
  EXPECT_EQ(list[1].number, 0);  // out of range: unreadable
  EXPECT_EQ(list[2].number, 0);
}

TEST(PatchList, UpdateZeroIsNeverWantedAndADismissedNumberStaysQuiet) {
  PatchOffer offer;
  offer.number = 0;
  EXPECT_FALSE(PatchWanted(offer, 0));
  offer.number = 5;
  EXPECT_TRUE(PatchWanted(offer, 0));
  EXPECT_FALSE(PatchWanted(offer, 5));
  EXPECT_TRUE(PatchWanted(offer, 4));
}

TEST(PatchTexts, OnlyWebAddressesMayBeOpened) {
  struct Case {
    const char* address;
    bool ok;
  } cases[] = {
      {"http://example.com/a", true},
      {"HTTPS://example.com", true},
      {"https://example.com/setup.exe?x=1", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"ftp://example.com", false},
      {"http://", false},
      {"https:///path", false},
      {"http://exa mple.com", false},
      {"http://a\nb", false},
      {"", false},
      {"/usr/bin/xterm", false},
      {"httpx://a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsOpenableWebAddress(c.address), c.ok) << c.address;
  EXPECT_EQ(PatchListAddress(""), std::string(kPatchDefaultServer) + "/old/patch.xml");
  EXPECT_EQ(PatchListAddress("http://127.0.0.1:8080/"), "http://127.0.0.1:8080/old/patch.xml");
  EXPECT_EQ(PatchListAddress("file:///tmp"), "");
  EXPECT_EQ(std::string(kPatchDefaultServer).substr(0, 8), "https://");
}

TEST(PatchTexts, DownloadMessageAndNoticeEncoding) {
  EXPECT_STREQ(PatchDownloadMessage("http://x/zeda_setup.exe"), kPatchRunInstaller);
  EXPECT_STREQ(PatchDownloadMessage("http://x/zeda.exe"), kPatchStoreNewVersion);
  EXPECT_EQ(PatchTextToUtf8("Zpět"), "Zpět");  // UTF-8 stays
  EXPECT_EQ(PatchTextToUtf8("Zp\xEC"
                            "t"),
            "Zpět");  // Windows-1250 is decoded
  EXPECT_STREQ(LangText(kPatchTrying, kGerman), "Trying updates...");
}

}  // namespace
}  // namespace zeda
