#include "params/settings_startup.h"

#include "params/normalize.h"

namespace zeda {

void NormalizeWithSettings(ParamImage& img, AppSettings& s) {
  RepairableSettings r;
  r.language = s.language;
  r.comPort = s.comPort;
  r.comPortAuto = s.comPortAuto;
  NormalizeParams(img, &r);
  s.language = r.language;
  s.comPort = r.comPort;
  s.comPortAuto = r.comPortAuto;
}

LoadSettingsResult LoadStartupSettings(const std::string& folder, AppSettings& s, ParamImage& img,
                                       const std::vector<WindowRect>& monitors,
                                       const TestSwitch& testSwitch) {
  LoadSettingsResult r = LoadSettings(folder, s, img.bytes, monitors);
  if (testSwitch.testMode && testSwitch.testCom != 0) s.comPort = testSwitch.testCom;
  NormalizeWithSettings(img, s);
  return r;
}

}  // namespace zeda
