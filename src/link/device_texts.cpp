#include "link/device_texts.h"

#include <iterator>

namespace zeda {

namespace {

// One row per OpText, in its order.
constexpr const char* kTexts[] = {
    "###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...",
    "###Checking:##Geräteprüfung:##Kontrola jednotky:",
    "###Checking: OK##Geräteprüfung: OK##Kontrola jednotky: OK",
    "###Checking error !##Geräteprüfung Fehler !##Chyba kontroly jednotky !",
    "###Read:##Lesen:##Čtení:",
    "###Read error !##Lesefehler !##Chyba čtení !",
    "###Verify:##Vergleichen:##Verifikace:",
    "###Verify: OK##Vergleichen: OK##Verifikace: OK",
    "###Verify: corrected##Vergleichen: korrigiert##Verifikace: opraveno",
    "###Verify error !##Vergleichsfehler !##Chyba verifikace !",
    "###No reading !##Lesen verboten !##Zákaz čtení !",
    "###Program device:##Programmieren:##Programování:",
    "###Saving:##Speichern:##Ukládání:",
    "###Program device: OK##Programmieren: OK##Programování: OK",
    "###Unit and PC settings are identical##Einrichten des Einheit und der PC ist die "
    "gleichen##Nastavení v jednotce a PC je shodné",
    "###Unit and PC settings are different##Einrichten der Einheit und der PC sind "
    "anders##Nastavení v jednotce a PC se liší",
    // An automatic program found no changed byte: said, so nothing looks programmed.
    "###Program device: nothing changed##Programmieren: nichts geändert##Programování: "
    "beze změn",
    "###Unmatched version of PC and Ignition programs!##Unpassende Version der PC- und "
    "Zündungsprogramme!##Nesouhlasí verze programu PC a zapalování!",
    "###Unmatched subversion of PC and Ignition programs!##Unpassende Unterversion der PC- "
    "und Zündungsprogramme!##Nesouhlasí podverze programu PC a zapalování!",
    "###Reset error !##Reset-Fehler !##Chyba resetu !",
    // A command still waiting when its connection ended: never run on the next unit.
    "###Connection lost: command not done##Verbindung verloren: Befehl nicht "
    "ausgeführt##Spojení ztraceno: příkaz neproveden",
    // Automatic programming refused: the checks the Program command makes with a question.
    "###Not programmed: read the unit or open a file first##Nicht programmiert: zuerst die "
    "Einheit lesen oder eine Datei öffnen##Nenaprogramováno: nejprve načtěte jednotku nebo "
    "otevřete soubor",
    "###Not programmed: a different bike is set in the unit (use Program)##Nicht "
    "programmiert: in der Einheit ist ein anderes Motorrad gewählt (Programmieren "
    "benutzen)##Nenaprogramováno: v jednotce je zvolen jiný motocykl (použijte Programování)",
};
static_assert(std::size(kTexts) == static_cast<int>(OpText::COUNT_), "one text per OpText");

}  // namespace

const char* DeviceText(OpText text) {
  const int i = static_cast<int>(text);
  return i >= 0 && i < static_cast<int>(OpText::COUNT_) ? kTexts[i] : "";
}

}  // namespace zeda
