// The two update-check keys of application.ini.
#include <gtest/gtest.h>

#include "params/ini_file.h"
#include "params/settings.h"

namespace zeda {
namespace {

TEST(ApplicationIni, DismissedUpdateAndServerSurviveTheRoundTrip) {
  AppSettings s;
  s.patchDismissed = 5;
  s.updateServer = "http://127.0.0.1:8080";
  IniFile ini;
  StoreApplicationIni(s, ini);
  EXPECT_EQ(ini.GetInt(kSettingsSection, "PatchDismissed"), 5);
  AppSettings back;
  ApplyApplicationIni(ini, back, {});
  EXPECT_EQ(back.patchDismissed, 5);
  EXPECT_EQ(back.updateServer, "http://127.0.0.1:8080");

  // Without the keys: nothing dismissed, the maker's server; an unset server is not written.
  AppSettings fresh;
  IniFile empty;
  ApplyApplicationIni(empty, fresh, {});
  EXPECT_EQ(fresh.patchDismissed, 0);
  EXPECT_EQ(fresh.updateServer, "");
  IniFile written;
  written.Set(kSettingsSection, "UpdateServer", "http://old");
  StoreApplicationIni(fresh, written);
  EXPECT_FALSE(written.Get(kSettingsSection, "UpdateServer"));
}

}  // namespace
}  // namespace zeda
