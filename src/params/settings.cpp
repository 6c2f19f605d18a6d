#include "params/settings.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/identity.h"
#include "params/atomic_file.h"
#include "params/path_escape.h"

namespace zeda {

namespace {

// Settings files are small; anything this big is not ours.
constexpr size_t kMaxSettingsFile = 1 << 20;

std::string EnvOrEmpty(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

bool EnsureFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string SettingsFolder() {
  std::string folder = EnvOrEmpty("ZEDA_SETTINGS_DIR");
  if (folder.empty()) {
    std::string base = EnvOrEmpty("XDG_CONFIG_HOME");
    if (base.empty()) {
      std::string home = EnvOrEmpty("HOME");
      if (home.empty()) return std::string();
      base = WithSlash(home) + ".config";
    }
    folder = WithSlash(base) + kMakerFolder + "/" + kProductText + "/" + kUnitKeyText;
  }
  folder = WithSlash(folder);
  EnsureFolder(folder);
  return folder;
}

// A folder given without its final "/" still names the folder, not a file prefix.
std::string ApplicationIniPath(const std::string& folder) {
  return WithSlash(folder) + "application.ini";
}
std::string DefaultIniPath(const std::string& folder) { return WithSlash(folder) + "default.ini"; }

WindowRect FitWindowToMonitors(WindowRect w, const std::vector<WindowRect>& monitors) {
  if (monitors.empty()) return w;
  auto overhang = [](int64_t a) { return a > 0 ? a : 0; };
  size_t best = 0;
  int64_t bestSum = INT64_MAX;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const WindowRect& m = monitors[i];
    int64_t sum = overhang(int64_t{m.left} - w.left) + overhang(int64_t{m.top} - w.top) +
                  overhang((int64_t{w.left} + w.width) - (int64_t{m.left} + m.width)) +
                  overhang((int64_t{w.top} + w.height) - (int64_t{m.top} + m.height));
    if (sum < bestSum) {
      bestSum = sum;
      best = i;
    }
  }
  if (bestSum == 0) return w;
  const WindowRect& m = monitors[best];
  int64_t left = w.left, top = w.top;
  int64_t right = int64_t{w.left} + w.width, bottom = int64_t{w.top} + w.height;
  const int64_t mRight = int64_t{m.left} + m.width, mBottom = int64_t{m.top} + m.height;
  if (w.width > m.width) {
    left = m.left;
    right = mRight;
  }
  if (w.height > m.height) {
    top = m.top;
    bottom = mBottom;
  }
  if (right > mRight) {
    int64_t d = right - mRight;
    left -= d;
    right -= d;
  }
  if (bottom > mBottom) {
    int64_t d = bottom - mBottom;
    top -= d;
    bottom -= d;
  }
  if (left < m.left) {
    int64_t d = m.left - left;
    left += d;
    right += d;
  }
  if (top < m.top) {
    int64_t d = m.top - top;
    top += d;
    bottom += d;
  }
  right = std::min(right, mRight);
  bottom = std::min(bottom, mBottom);
  return WindowRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                    static_cast<int>(bottom - top)};
}

int LanguageToFile(int languageIndex) { return languageIndex == 2 ? 3 : languageIndex; }

int LanguageFromFile(int fileValue, int current) {
  switch (fileValue) {
    case 0:
      return 0;
    case 1:
      return 1;
    case 3:
      return 2;
    default:
      return current;
  }
}

void ApplyApplicationIni(const IniFile& ini, AppSettings& s,
                         const std::vector<WindowRect>& monitors) {
  const char* sec = kSettingsSection;
  s.window.left = ini.GetInt(sec, "Left").value_or(s.window.left);
  s.window.top = ini.GetInt(sec, "Top").value_or(s.window.top);
  // A size of 0 or less would put the window off every monitor: the current size stands.
  if (int h = ini.GetInt(sec, "Height").value_or(0); h > 0) s.window.height = h;
  if (int w = ini.GetInt(sec, "Width").value_or(0); w > 0) s.window.width = w;
  s.window = FitWindowToMonitors(s.window, monitors);
  s.newInstal = ini.GetInt(sec, "NEWINSTAL").value_or(1) != 0;
  s.comPort = ini.GetInt(sec, "ComPort").value_or(0);
  s.comPortAuto = ini.GetInt(sec, "ComPortAuto").value_or(s.comPortAuto);
  if (auto lang = ini.GetInt(sec, "Language")) s.language = LanguageFromFile(*lang, s.language);
  auto file = ini.Get(sec, "File");
  s.file = file ? UnescapePath(*file) : std::string();
  auto dir = ini.Get(sec, "IniFileDir");
  s.iniFileDir = dir ? UnescapePath(*dir) : s.file;
  s.activePage = ini.GetInt(sec, "PageControl1->ActivePageIndex").value_or(s.activePage);
  s.monitorPlayer = ini.GetInt(sec, "MONITORPLAYER").value_or(0) != 0;
  s.patchDismissed = ini.GetInt(sec, "PatchDismissed").value_or(0);
  s.updateServer = ini.Get(sec, "UpdateServer").value_or(std::string());
  std::vector<std::string> history;
  for (int k = 0; k < FileHistory::kMaxEntries; ++k) {
    char key[32];
    std::snprintf(key, sizeof key, "MenuHistory%02i", k);
    auto v = ini.Get(sec, key);
    std::string path = v ? UnescapePath(*v) : std::string();
    if (k == 0 && !v) break;
    if (k > 0 && path.empty()) break;
    history.push_back(path);
  }
  s.history.Assign(std::move(history));
}

void StoreApplicationIni(const AppSettings& s, IniFile& ini) {
  const char* sec = kSettingsSection;
  ini.SetInt(sec, "Left", s.window.left);
  ini.SetInt(sec, "Top", s.window.top);
  ini.SetInt(sec, "Height", s.window.height);
  ini.SetInt(sec, "Width", s.window.width);
  ini.SetInt(sec, "ComPort", s.comPort);
  ini.SetInt(sec, "ComPortAuto", s.comPortAuto);
  ini.SetInt(sec, "Language", LanguageToFile(s.language));
  ini.Set(sec, "File", EscapePath(s.file));
  ini.Set(sec, "IniFileDir", EscapePath(s.iniFileDir));
  ini.SetInt(sec, "PageControl1->ActivePageIndex", s.activePage);
  ini.SetInt(sec, "NEWINSTAL", s.newInstal ? 1 : 0);
  ini.SetInt(sec, "MONITORPLAYER", s.monitorPlayer ? 1 : 0);
  ini.SetInt(sec, "PatchDismissed", s.patchDismissed);
  // Only a server the user has set is written: the maker's default may change.
  if (s.updateServer.empty()) {
    ini.Remove(sec, "UpdateServer");
  } else {
    ini.Set(sec, "UpdateServer", s.updateServer);
  }
  for (int k = 0; k < FileHistory::kMaxEntries; ++k) {
    char key[32];
    std::snprintf(key, sizeof key, "MenuHistory%02i", k);
    if (k < s.history.Count())
      ini.Set(sec, key, EscapePath(s.history.Entry(k)));
    else
      ini.Remove(sec, key);
  }
}

std::string FormatDefaultIni(std::span<const uint8_t> image) {
  std::string out;
  out.reserve(image.size() * 6 + image.size() / 10 + 16);
  char buf[16];
  for (size_t i = 0; i < image.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%5u ", static_cast<unsigned>(image[i]));
    out += buf;
    if ((i + 1) % 10 == 0) out += '\n';
    if ((i + 1) % 100 == 0) out += '\n';
  }
  return out;
}

size_t ParseDefaultIni(std::string_view text, std::span<uint8_t> image) {
  size_t pos = 0, filled = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;  // a byte-order mark from an editor
  while (filled < image.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' ||
                                 text[pos] == '\r' || text[pos] == '\v' || text[pos] == '\f'))
      ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
      negative = text[pos] == '-';
      ++pos;
    }
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') break;
    unsigned value = 0;  // only the low 8 bits matter, so wrapping is harmless
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10u + static_cast<unsigned>(text[pos] - '0');
      ++pos;
    }
    if (negative) value = 0u - value;
    image[filled++] = static_cast<uint8_t>(value & 0xFFu);
  }
  return filled;
}

TestSwitch ParseTestSwitch(std::string_view text) {
  TestSwitch t;
  auto isSpace = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  };
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isSpace(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !isSpace(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  for (size_t k = 0; k < words.size(); ++k) {
    if (words[k] == "DEVS_SWITCH") t.testMode = true;
    if (words[k] == "TEST_COM" && k + 1 < words.size()) {
      if (auto n = ParseIntPrefix(words[k + 1])) t.testCom = *n;
    }
  }
  return t;
}

std::string TestSwitchPath() {
  std::string p = EnvOrEmpty("ZEDA_TEST_SWITCH");
  return p.empty() ? std::string(kTestSwitchDefaultPath) : p;
}

TestSwitch ReadTestSwitch() {
  std::string text;
  if (!ReadWholeFile(TestSwitchPath(), &text, kMaxSettingsFile)) return TestSwitch{};
  return ParseTestSwitch(text);
}

LoadSettingsResult LoadSettings(const std::string& folder, AppSettings& s, std::span<uint8_t> image,
                                const std::vector<WindowRect>& monitors) {
  LoadSettingsResult r;
  IniFile ini;
  std::string text;
  if (ReadWholeFile(ApplicationIniPath(folder), &text, kMaxSettingsFile)) {
    r.applicationIniFound = true;
    ini.Parse(text);
  }
  ApplyApplicationIni(ini, s, monitors);
  if (ReadWholeFile(DefaultIniPath(folder), &text, kMaxSettingsFile)) {
    r.defaultIniFound = true;
    r.defaultIniBytes = ParseDefaultIni(text, image);
  }
  return r;
}

bool SaveSettings(const std::string& folder, const AppSettings& s, std::span<const uint8_t> image,
                  std::string* error) {
  if (!folder.empty()) EnsureFolder(folder);
  IniFile ini;
  std::string text;
  const std::string appPath = ApplicationIniPath(folder);
  if (ReadWholeFile(appPath, &text, kMaxSettingsFile)) ini.Parse(text);
  StoreApplicationIni(s, ini);
  std::string err1, err2;
  bool ok1 = WriteFileAtomic(appPath, ini.Serialize(), &err1);
  bool ok2 = WriteFileAtomic(DefaultIniPath(folder), FormatDefaultIni(image), &err2);
  if (error) {
    error->clear();
    if (!ok1) *error = err1;
    if (!ok2) *error += (error->empty() ? "" : "\n") + err2;
  }
  return ok1 && ok2;
}

}  // namespace zeda
