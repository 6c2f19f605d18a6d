// Feeds arbitrary bytes to the application.ini and default.ini readers, the path
// unescaping and the test switch parser; what they read must write and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "params/ini_file.h"
#include "params/path_escape.h"
#include "params/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  zeda::IniFile ini;
  ini.Parse(text);
  zeda::AppSettings s;
  s.window = {10, 20, 800, 600};
  const std::vector<zeda::WindowRect> monitors = {{0, 0, 1920, 1080}, {1920, -200, 1280, 1024}};
  zeda::ApplyApplicationIni(ini, s, monitors);

  zeda::IniFile out;
  zeda::StoreApplicationIni(s, out);
  zeda::IniFile reread;
  reread.Parse(out.Serialize());
  zeda::AppSettings t;
  zeda::ApplyApplicationIni(reread, t, {});
  if (t.file != s.file || t.iniFileDir != s.iniFileDir ||
      t.history.Entries() != s.history.Entries() || t.language != s.language ||
      !(t.window == s.window))
    __builtin_trap();

  std::string path = zeda::UnescapePath(text);
  if (zeda::UnescapePath(zeda::EscapePath(path)) != path) __builtin_trap();

  std::vector<uint8_t> image(1050);
  size_t n = zeda::ParseDefaultIni(text, image);
  if (n > image.size()) __builtin_trap();
  std::vector<uint8_t> back(1050, 0);
  if (zeda::ParseDefaultIni(zeda::FormatDefaultIni(image), back) != 1050 || back != image)
    __builtin_trap();

  zeda::ParseTestSwitch(text);
  return 0;
}
