#include "app/about_text.h"

#include <gtest/gtest.h>

#include "base/identity.h"
#include "lang/lang_string.h"

namespace zeda {
namespace {

TEST(AboutText, NamesProgramVersionUnitKeyAndProjectInEveryLanguage) {
  for (int lang = 0; lang < kLanguageCount; ++lang) {
    const std::string text = AboutText(lang);
    EXPECT_NE(text.find(std::string("zeda ") + kUnitVersionText), std::string::npos) << lang;
    EXPECT_NE(text.find(kProductText), std::string::npos) << lang;
    EXPECT_NE(text.find(kUnitVersionText), std::string::npos) << lang;
    EXPECT_NE(text.find(kProjectAddress), std::string::npos) << lang;
    EXPECT_NE(text.find("GNU General Public License"), std::string::npos) << lang;
    EXPECT_NE(text.find("GPL-3.0-or-later"), std::string::npos) << lang;
  }
  EXPECT_NE(AboutText(kCzech).find("Zdrojový kód"), std::string::npos);
  EXPECT_NE(AboutText(kGerman).find("Lizenz"), std::string::npos);
}

}  // namespace
}  // namespace zeda
