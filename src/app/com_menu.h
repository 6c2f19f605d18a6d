#pragma once
// The COM menu's items, worked out from the ports present and the port choice: off,
// automatic, a separator, then the ports (at most 27; when they do not fit, the last item
// shows the selected port). With no port present a disabled line says so, after the
// fixed choice when that is listed.
//
// Pure functions of their inputs; main (UI) thread by use.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zeda {

inline constexpr int kComMenuMaxItems = 30;
inline constexpr int kComMenuFirstPort = 3;  // items 0 off, 1 automatic, 2 separator
inline constexpr int32_t kComOff = -1;
inline constexpr int32_t kComAuto = 0;

// A port of the system as the menu shows it.
struct ComMenuPort {
  int32_t com = 0;          // 1-255
  std::string device;       // "ttyUSB0"
  std::string description;  // a USB adapter's maker and product; empty for others
};

enum class ComItemKind { Off, Auto, Separator, Port, NoPorts };

struct ComMenuItem {
  ComItemKind kind = ComItemKind::Port;
  std::string caption;  // UTF-8, with "&" marking the mnemonic
  int32_t com = 0;      // the port of a Port item
  bool checked = false;
  bool radio = false;  // shown as one of a group (automatic mode)
  bool enabled = true;
};

// `ports` in any order (each COM number once); comSetting -1 off, 0 automatic, n port n;
// connectedPort the port of the active link, 0 when none. language -1: current.
std::vector<ComMenuItem> BuildComMenu(std::span<const ComMenuPort> ports, int32_t comSetting,
                                      int32_t connectedPort, int language = -1);

// The port number of an item caption: its first run of digits ("COM&12  ttyUSB0" -> 12),
// 0 when it has none.
int32_t ComNumberFromCaption(const std::string& caption);

// What a choice of an item means for the link.
struct ComChoice {
  int32_t comSetting = 0;   // the new setting
  bool changed = false;     // a separator or the line "no port" changes nothing
  bool disconnect = false;  // the connected unit sits on another port than the one chosen
};
ComChoice ChooseComItem(const ComMenuItem& item, int32_t comSetting, int32_t connectedPort);

// The hint shown in status slot 1 while no serial port is present (a LangString).
extern const char* const kNoSerialPortHint;

}  // namespace zeda
