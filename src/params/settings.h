#pragma once
// Application settings kept between runs: application.ini (one section "FORM_HLAV") and
// default.ini (the parameter image as plain numbers) in the settings folder, plus the
// service test switch file read once at start-up.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "params/file_history.h"
#include "params/ini_file.h"

namespace zeda {

inline constexpr char kSettingsSection[] = "FORM_HLAV";

// Default location of the test switch file; ZEDA_TEST_SWITCH overrides it.
inline constexpr char kTestSwitchDefaultPath[] = "/etc/torvelix/zeda_test_switch.txt";

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

struct AppSettings {
  WindowRect window;       // main window bounds in pixels
  int comPort = 0;         // -1 off, 0 automatic search, n = port n
  int comPortAuto = 1;     // port at which the automatic search starts
  int language = 0;        // language index: 0 English, 1 German, 2 Czech
  std::string file;        // current parameter file; empty after New
  std::string iniFileDir;  // path preset into the file dialogs
  int activePage = 0;      // active parameter page
  bool newInstal = true;   // no unit read and no accepted file opened yet
  bool monitorPlayer = false;
  FileHistory history;
  // The update the user asked not to be reminded of again ("PatchDismissed"); 0 = none.
  int patchDismissed = 0;
  // The server that publishes the update list ("UpdateServer"); empty = the maker's.
  std::string updateServer;
};

struct TestSwitch {
  bool testMode = false;
  int testCom = 0;
};

// The settings folder with a trailing '/': ZEDA_SETTINGS_DIR when set, else
// $XDG_CONFIG_HOME (default ~/.config) + "/Torvelix/KESTRA2 ZEDA/107/". Missing levels are
// created. Empty when no folder can be determined (the files then live in the working
// directory).
std::string SettingsFolder();
std::string ApplicationIniPath(const std::string& folder);
std::string DefaultIniPath(const std::string& folder);

// Moves a window onto the monitor it overhangs least (the first of equals); a window that
// lies wholly on a monitor, or an empty monitor list, leaves it unchanged.
WindowRect FitWindowToMonitors(WindowRect window, const std::vector<WindowRect>& monitors);

// Language index <-> the value kept in the file (Czech is written as 3).
int LanguageToFile(int languageIndex);
// The index for a file value, or current when the value is none of 0, 1, 3.
int LanguageFromFile(int fileValue, int current);

// Applies application.ini to s: keys that are missing keep the values the table gives
// (current window, page, language, ...). The window is fitted to the monitors.
void ApplyApplicationIni(const IniFile& ini, AppSettings& s,
                         const std::vector<WindowRect>& monitors);
// Writes every key of s into ini (the history for its current length; stale history
// keys beyond it are removed so that they cannot come back on the next start).
void StoreApplicationIni(const AppSettings& s, IniFile& ini);

// default.ini: each byte as "%5u ", a line feed after every 10th value and another after
// every 100th.
std::string FormatDefaultIni(std::span<const uint8_t> image);
// Reads numbers in order into image (low 8 bits each) until the text or the image ends or
// something that is not a number is met; returns how many bytes were filled.
size_t ParseDefaultIni(std::string_view text, std::span<uint8_t> image);

TestSwitch ParseTestSwitch(std::string_view text);
std::string TestSwitchPath();
// Reads the test switch file; without the file test mode is off.
TestSwitch ReadTestSwitch();

struct LoadSettingsResult {
  bool applicationIniFound = false;
  bool defaultIniFound = false;
  size_t defaultIniBytes = 0;  // bytes of the image filled from default.ini
};

// Start-up load: application.ini into s, then default.ini into image when it exists.
// The caller normalises the image afterwards.
LoadSettingsResult LoadSettings(const std::string& folder, AppSettings& s, std::span<uint8_t> image,
                                const std::vector<WindowRect>& monitors);

// Writes application.ini (keeping keys this program does not know) and then default.ini,
// each atomically. Returns false with a reason when either could not be written; a file
// that failed keeps its previous content.
bool SaveSettings(const std::string& folder, const AppSettings& s, std::span<const uint8_t> image,
                  std::string* error = nullptr);

}  // namespace zeda
