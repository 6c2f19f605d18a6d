#include "app/com_menu.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "lang/lang_string.h"
#include "lang/status_texts.h"

namespace zeda {
namespace {

constexpr int kStatusComOffline = 89;
constexpr int kStatusComAuto = 90;

constexpr const char* kNoPortsLine =
    "###No serial port found##Kein serieller Anschluss gefunden##Nenalezen žádný sériový port";

std::string PortCaption(const ComMenuPort& port) {
  char number[16];
  std::snprintf(number, sizeof number, "COM&%d", static_cast<int>(port.com));
  std::string caption = number;
  // The device tells two adapters apart where "COM5" alone would not.
  if (!port.device.empty()) caption += "  " + port.device;
  if (!port.description.empty()) caption += " - " + port.description;
  return caption;
}

ComMenuPort MissingPort(int32_t com) {
  ComMenuPort p;
  p.com = com;
  return p;
}

}  // namespace

const char* const kNoSerialPortHint =
    "###No serial port: connect the cable; on Linux your user must be in the group dialout"
    "##Kein serieller Anschluss: Kabel anschließen; unter Linux muss Ihr Benutzer in der "
    "Gruppe dialout sein"
    "##Žádný sériový port: připojte kabel; v Linuxu musí být váš uživatel ve skupině dialout";

std::vector<ComMenuItem> BuildComMenu(std::span<const ComMenuPort> ports, int32_t comSetting,
                                      int32_t connectedPort, int language) {
  // The list in port order, with a fixed choice that is not present added (disabled).
  std::vector<const ComMenuPort*> list;
  list.reserve(ports.size() + 1);
  for (const ComMenuPort& p : ports) list.push_back(&p);
  const bool fixed = comSetting > 0;
  const ComMenuPort missing = MissingPort(comSetting);
  const bool fixedPresent =
      fixed && std::any_of(ports.begin(), ports.end(),
                           [&](const ComMenuPort& p) { return p.com == comSetting; });
  if (fixed && !fixedPresent) list.push_back(&missing);
  std::sort(list.begin(), list.end(),
            [](const ComMenuPort* a, const ComMenuPort* b) { return a->com < b->com; });

  std::vector<ComMenuItem> items;
  items.reserve(kComMenuMaxItems + 1);
  ComMenuItem off;
  off.kind = ComItemKind::Off;
  off.caption = StatusText(kStatusComOffline, language);
  off.checked = comSetting == kComOff;
  items.push_back(off);
  ComMenuItem autoItem;
  autoItem.kind = ComItemKind::Auto;
  autoItem.caption = StatusText(kStatusComAuto, language);
  autoItem.checked = comSetting == kComAuto;
  items.push_back(autoItem);
  ComMenuItem separator;
  separator.kind = ComItemKind::Separator;
  items.push_back(separator);

  const bool automatic = comSetting == kComAuto;
  const int32_t selected = automatic ? connectedPort : (fixed ? comSetting : 0);
  const auto present = [&](int32_t com) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const ComMenuPort& p) { return p.com == com; });
  };
  const std::size_t room = kComMenuMaxItems - kComMenuFirstPort;
  for (std::size_t i = 0; i < list.size() && i < room; ++i) {
    const ComMenuPort* port = list[i];
    // The last item of a list cut short shows the selected port when that lies further
    // on, so the choice in force is always visible.
    const bool cut = i + 1 == room && list.size() > room;
    if (cut && selected > port->com) {
      const auto it = std::find_if(list.begin(), list.end(),
                                   [&](const ComMenuPort* p) { return p->com == selected; });
      if (it != list.end()) port = *it;
    }
    ComMenuItem item;
    item.kind = ComItemKind::Port;
    item.com = port->com;
    item.caption = PortCaption(*port);
    item.radio = automatic;
    item.checked = port->com == selected && selected != 0;
    item.enabled = present(port->com);
    items.push_back(item);
  }
  // Without any port the menu says so (under a fixed choice that is not present).
  if (ports.empty()) {
    ComMenuItem none;
    none.kind = ComItemKind::NoPorts;
    none.caption = LangText(kNoPortsLine, language);
    none.enabled = false;
    items.push_back(none);
  }
  return items;
}

int32_t ComNumberFromCaption(const std::string& caption) {
  std::size_t i = 0;
  while (i < caption.size() && !std::isdigit(static_cast<unsigned char>(caption[i]))) ++i;
  int32_t n = 0;
  for (; i < caption.size() && std::isdigit(static_cast<unsigned char>(caption[i])); ++i) {
    n = n * 10 + (caption[i] - '0');
    if (n > 255) return 0;
  }
  return n;
}

ComChoice ChooseComItem(const ComMenuItem& item, int32_t comSetting, int32_t connectedPort) {
  ComChoice choice;
  choice.comSetting = comSetting;
  switch (item.kind) {
    case ComItemKind::Off:
      choice.comSetting = kComOff;
      break;
    case ComItemKind::Auto:
      choice.comSetting = kComAuto;
      break;
    case ComItemKind::Port:
      choice.comSetting = item.com;
      break;
    case ComItemKind::Separator:
    case ComItemKind::NoPorts:
      return choice;
  }
  choice.changed = true;
  // Automatic keeps a unit found on any port; a port of its own (or off) leaves it.
  choice.disconnect =
      connectedPort > 0 && choice.comSetting != kComAuto && choice.comSetting != connectedPort;
  return choice;
}

}  // namespace zeda
