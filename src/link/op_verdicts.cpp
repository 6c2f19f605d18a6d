#include "link/op_verdicts.h"

#include <cstdio>

#include "base/identity.h"
#include "lang/lang_string.h"
#include "link/device_texts.h"

namespace zeda {

const char* InterruptedText() {
  return "###Programming interrupted: the unit may hold part of the new settings. Connect it "
         "and program again."
         "##Programmierung unterbrochen: die Einheit kann einen Teil der neuen Einstellungen "
         "enthalten. Schließen Sie sie an und programmieren Sie erneut."
         "##Programování přerušeno: jednotka může obsahovat část nového nastavení. Připojte ji "
         "a naprogramujte znovu.";
}

bool UnitRefused(int key, int version) {
  return key >= 0 && (key != kUnitKey || version != kUnitVersion);
}

std::string RefusalReason(int key, int version) {
  char unit[32];
  std::snprintf(unit, sizeof unit, "%d.%02d", key, version);
  char text[320];
  std::snprintf(text, sizeof text,
                "###IGN-%s: this program needs %s##IGN-%s: dieses Programm braucht %s"
                "##IGN-%s: tento program potřebuje %s",
                unit, kUnitVersionText, unit, kUnitVersionText, unit, kUnitVersionText);
  return text;
}

std::string MismatchText(int key, int version) {
  const OpText which = key != kUnitKey ? OpText::VersionMismatch : OpText::SubversionMismatch;
  char text[256];
  std::snprintf(text, sizeof text, "%s  PC-%d.%02d, IGN-%d.%02d", LangText(DeviceText(which)),
                kUnitKey, kUnitVersion, key, version);
  return text;
}

}  // namespace zeda
