#include "mapedit/lang_select.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

TEST(MapeditText, SelectsVariantByLanguage) {
  EXPECT_EQ(mapeditText("###Off##Aus##Vypnut", 0), "Off");
  EXPECT_EQ(mapeditText("###Off##Aus##Vypnut", 1), "Aus");
  EXPECT_EQ(mapeditText("###Off##Aus##Vypnut", 2), "Vypnut");
  EXPECT_EQ(mapeditText("###Off##Aus##Vypnut", 7), "Off");
}

TEST(MapeditText, FallsBackToEnglish) {
  EXPECT_EQ(mapeditText("###Off##Aus", 2), "Off");
  EXPECT_EQ(mapeditText("###Off##..##Vypnut", 1), "Off");
  EXPECT_EQ(mapeditText("###Off##  ##Vypnut", 1), "Off");
  EXPECT_EQ(mapeditText("plain", 2), "plain");
}

TEST(MapeditText, KeepsLineBreaksInsideVariants) {
  EXPECT_EQ(mapeditText("###A\nB##C\nD##E\nF", 1), "C\nD");
}

TEST(MapeditText, UsesCurrentLanguage) {
  setMapeditLanguage(kLangGerman);
  EXPECT_EQ(mapeditText("###Off##Aus##Vypnut"), "Aus");
  setMapeditLanguage(kLangEnglish);
  EXPECT_EQ(mapeditText("###Off##Aus##Vypnut"), "Off");
}

}  // namespace
}  // namespace zeda
