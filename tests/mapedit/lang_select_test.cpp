#include "mapedit/lang_select.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

TEST(MapeditText, SelectsVariantByLanguage) {
  EXPECT_EQ(MapeditText("###Off##Aus##Vypnut", 0), "Off");
  EXPECT_EQ(MapeditText("###Off##Aus##Vypnut", 1), "Aus");
  EXPECT_EQ(MapeditText("###Off##Aus##Vypnut", 2), "Vypnut");
  EXPECT_EQ(MapeditText("###Off##Aus##Vypnut", 7), "Off");
}

TEST(MapeditText, FallsBackToEnglish) {
  EXPECT_EQ(MapeditText("###Off##Aus", 2), "Off");
  EXPECT_EQ(MapeditText("###Off##..##Vypnut", 1), "Off");
  EXPECT_EQ(MapeditText("###Off##  ##Vypnut", 1), "Off");
  EXPECT_EQ(MapeditText("plain", 2), "plain");
}

TEST(MapeditText, KeepsLineBreaksInsideVariants) {
  EXPECT_EQ(MapeditText("###A\nB##C\nD##E\nF", 1), "C\nD");
}

TEST(MapeditText, UsesCurrentLanguage) {
  SetMapeditLanguage(kLangGerman);
  EXPECT_EQ(MapeditText("###Off##Aus##Vypnut"), "Aus");
  SetMapeditLanguage(kLangEnglish);
  EXPECT_EQ(MapeditText("###Off##Aus##Vypnut"), "Off");
}

}  // namespace
}  // namespace zeda
