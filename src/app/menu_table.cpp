#include "app/menu_table.h"

namespace zeda {
namespace {

constexpr uint32_t kOn = kMenuEnabled;
constexpr uint32_t kSep = kMenuSeparator | kMenuEnabled;

constexpr MenuEntry kMenus[] = {
    {"MenuFile", "", "&File", "", "", kOn},
    {"MenuNew", "MenuFile", "&New", "Ctrl+N", "Set default parameters ", 0},
    {"MenuNewPage", "MenuFile", "&New for actual page", "Ctrl+Alt+N", "", 0},
    {"MenuOpen", "MenuFile", "&Open", "F3", "Open file with parametrs", 0},
    {"MenuOpenExeDir", "MenuFile", "Open from exe dir", "Ctrl+F3", "", 0},
    {"MenuOpenPage", "MenuFile", "Open for actual page", "Shift+F3", "", 0},
    {"MenuSave", "MenuFile", "&Save", "F2", "Save parametrs to file", 0},
    {"MenuSaveAs", "MenuFile", "###Save &as...##Speichern &unter...##Uložit &jako...",
     "Ctrl+Shift+S", "", 0},
    {"MenuSaveExeDir", "MenuFile", "Save to exe dir", "Ctrl+F2", "", 0},
    {"MenuSaveVersion", "MenuFile", "Quicksave version", "Shift+F2", "", 0},
    {"MenuFileSep1", "MenuFile", "-", "", "", kSep},
    {"MenuPrint", "MenuFile", "&Print", "Ctrl+P", "Print parametrs", kOn},
    {"MenuPrintAll", "MenuFile", "Print all", "", "", kMenuHidden | kOn},
    {"MenuFileSep2", "MenuFile", "-", "", "", kSep},
    {"MenuHistory1", "MenuFile", "1", "", "", kMenuHidden},
    {"MenuHistory2", "MenuFile", "2", "", "", kMenuHidden},
    {"MenuHistory3", "MenuFile", "3", "", "", kMenuHidden},
    {"MenuHistory4", "MenuFile", "4", "", "", kMenuHidden},
    {"MenuHistory5", "MenuFile", "5", "", "", kMenuHidden},
    {"MenuHistory6", "MenuFile", "6", "", "", kMenuHidden},
    {"MenuHistory7", "MenuFile", "7", "", "", kMenuHidden},
    {"MenuHistory8", "MenuFile", "8", "", "", kMenuHidden},
    {"MenuHistory9", "MenuFile", "9", "", "", kMenuHidden},
    {"MenuHistoryEnd", "MenuFile", "-", "", "", kSep | kMenuHidden},
    {"MenuExit", "MenuFile", "E&xit", "", "End of program", kOn},

    {"MenuCom", "", "&Com", "", "Set number of com", kOn},

    {"MenuDevice", "", "&Ignition", "", "", kOn},
    {"MenuRead", "MenuDevice", "&Read", "F7", "Reading parametrs from ignition", 0},
    {"MenuVerify", "MenuDevice", "&Verify", "F8",
     "Compare set parametrs  with parametrs of ignition", 0},
    {"MenuProgram", "MenuDevice", "&Program", "F9", "Programing  set parametrs to ignition", 0},
    {"MenuReset", "MenuDevice", "&Reset", "", "", 0},
    {"MenuDeviceSep1", "MenuDevice", "-", "", "", kSep},
    {"MenuCompareUnit", "MenuDevice",
     "###&Compare with unit##&Mit Einheit vergleichen##&Porovnat s jednotkou", "Ctrl+F8",
     "###List the fields where the settings differ from the unit##Die Felder zeigen, in denen "
     "sich die Einstellungen von der Einheit unterscheiden##Vypsat položky, v nichž se "
     "nastavení liší od jednotky",
     0},
    {"MenuCompareFile", "MenuDevice",
     "###Compare with &file...##Mit &Datei vergleichen...##Porovnat se &souborem...", "Shift+F8",
     "###List the fields where the settings differ from a parameter file##Die Felder zeigen, in "
     "denen sich die Einstellungen von einer Parameterdatei unterscheiden##Vypsat položky, v "
     "nichž se nastavení liší od souboru parametrů",
     kOn},

    {"MenuTools", "", "Tools", "", "", kOn},
    {"MenuAdvanceMinus", "MenuTools", "Advance -", "F4", "", 0},
    {"MenuAdvancePlus", "MenuTools", "Advance +", "F5", "", 0},
    {"MenuToolsSep1", "MenuTools", "-", "", "", kSep},
    {"MenuZpet", "MenuTools", "Undo", "Ctrl+Z", "", 0},
    {"MenuZnovu", "MenuTools", "Redo", "Ctrl+Alt+Z", "", 0},
    {"MenuToolsSep2", "MenuTools", "-", "", "", kSep},
    {"MenuMonitorPlayer", "MenuTools", "Monitor player", "Ctrl+M", "", kMenuCheckable},
    {"MenuCSVout", "MenuTools", "CSV output monitor", "", "", kMenuCheckable},
    {"MenuToolsSep3", "MenuTools", "-", "", "", kSep},
    {"MenuMonPickup", "MenuTools", "###Pickup monitor##PickUp-Monitor##Monitor snímačů", "",
     "###Shows the pick-up signals the unit captures##Zeigt die von der Einheit "
     "aufgezeichneten Gebersignale##Zobrazí signály snímačů zaznamenané jednotkou",
     kOn},
    {"MenuActivityLog", "MenuTools", "###Activity &log##Aktivitäts&protokoll##Protokol &činností",
     "Ctrl+L",
     "###Every operation on the unit with its time, port and result##Jeder Vorgang an der "
     "Einheit mit Zeit, Port und Ergebnis##Každá operace s jednotkou s časem, portem a "
     "výsledkem",
     kOn | kMenuCheckable},

    {"MenuLanguage", "", "&Language", "", "Set LNG_ENGLISH or German or Czech ", kOn},
    {"MenuEnglish", "MenuLanguage", "&English", "", "", kMenuCheckable},
    {"MenuGerman", "MenuLanguage", "&German - Deutsch", "", "", kMenuCheckable},
    {"MenuCzech", "MenuLanguage", "&Czech - Česky", "", "", kMenuCheckable},

    {"MenuServis", "", "Servis", "", "", kMenuHidden},

    {"MenuHelp", "", "&Help", "", "", kOn},
    {"MenuContens", "MenuHelp", "&Contents...", "F1", "", 0},
    {"MenuUpdate", "MenuHelp", "&Update", "", "", kOn},
    {"MenuAbout", "MenuHelp", "&About...", "", "", kOn},
};

constexpr SpeedButtonEntry kSpeedButtons[] = {
    {"SpeedButtonNew", "MenuNew", "New", "Set default parametrs"},
    {"SpeedButtonOpen", "MenuOpen", "Open", "Open file with parametrs"},
    {"SpeedButtonSave", "MenuSave", "Save", "Save parametrs to file"},
    {"SpeedButtonPrint", "MenuPrint", "Print", "Print parametrs"},
    {"SpeedButtonZpet", "MenuZpet", "Undo", ""},
    {"SpeedButtonZnovu", "MenuZnovu", "Redo", ""},
};

}  // namespace

std::span<const MenuEntry> MenuTable() { return kMenus; }
std::span<const SpeedButtonEntry> SpeedButtonTable() { return kSpeedButtons; }

}  // namespace zeda
