#pragma once
// The window title and the status-bar texts.
#include <string>

namespace zeda {

// "###(Disconnected by bootloader)##..." shown while another program holds the port.
extern const char* const kDisconnectedByBootloader;

struct TitleInputs {
  bool fileMatches = false;  // the parameters equal the file last opened or saved
  bool linkEnabled = true;   // false while another program has taken the port
  std::string fileName;      // current file name, whole path as stored
  std::string csvPath;       // the CSV monitor output file; empty while it is off
  // The parameters were changed since the current file was opened or saved: the title
  // names the file with a "*" in front.
  bool unsaved = false;
};

// Composes the caption: "  KESTRA2 ZEDA (v107)" followed, depending on the file and
// link state, by the file name, the CSV note and the bootloader note.
std::string ComposeTitle(const TitleInputs& in, int language = -1);

// "Mmm dd yyyy" -> "yyyy_mm_dd" (month 0 when the name is unknown).
std::string FormatBuildDate(const char* date);

// Status-bar panel 2: "KESTRA2_RACE   RSKEY=107.00   COMPILE=2023_10_19".
std::string BuildText();

// The unit's identification texts shown on panel 4 once they are known.
struct UnitIdentTexts {
  std::string version;
  std::string date;
  std::string time;
  std::string hardware;
  std::string serial;
  std::string lastUpdate;
  std::string additional;
};

// What panel 4 shows.
enum KeyCheckKind : int { kKeyCheckNotConnected = 0, kKeyCheckText = 1, kKeyCheckIdent = 2 };

// Status-bar panel 4.
std::string UnitText(int keyCheckKind, const std::string& keyCheckText,
                     const UnitIdentTexts& ident);

}  // namespace zeda
