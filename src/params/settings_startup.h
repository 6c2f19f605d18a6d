#pragma once
// The settings steps of start-up and shutdown that also touch the parameter image.
#include <string>
#include <vector>

#include "params/param_image.h"
#include "params/settings.h"

namespace zeda {

// NormalizeParams on the image, also repairing the language, COM port and automatic-search
// port of the settings.
void NormalizeWithSettings(ParamImage& img, AppSettings& s);

// Start-up, after the defaults of all pages were applied to img: application.ini into s,
// default.ini into img when it exists, then the image is normalised. In test mode a test
// COM port other than 0 replaces the COM port choice.
LoadSettingsResult LoadStartupSettings(const std::string& folder, AppSettings& s, ParamImage& img,
                                       const std::vector<WindowRect>& monitors,
                                       const TestSwitch& testSwitch);

}  // namespace zeda
