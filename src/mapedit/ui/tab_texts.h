#pragma once
// Texts of the table control's buttons, menu and hints, in the three languages
// ("###English##German##Czech"). Main thread only (LangText).
namespace zeda::tab_text {

inline constexpr const char* kCopy = "###Copy##Kopieren##Kop\u00edrovat";
inline constexpr const char* kCopyTable = "###Copy table##Tabelle kopieren##Kop\u00edrovat tabulku";
inline constexpr const char* kCopyEntireTable =
    "###Copy the entire table##Tabelle kopieren##Kop\u00edrovat celou tabulku";
inline constexpr const char* kCopyGraph = "###Copy graph##Grafik kopieren##Kop\u00edrovat graf";
inline constexpr const char* kPaste = "###Paste##Einf\u00fcgen##Vlo\u017eit";
inline constexpr const char* kPasteTable =
    "###Paste table##Tabelle einf\u00fcgen##Vlo\u017eit tabulku";
inline constexpr const char* kIncrementHint =
    "###Increment selection or actual value##Auswahl oder aktuellen Wert erh\u00f6hen"
    "##Zv\u00fd\u0161it v\u00fdb\u011br nebo aktu\u00e1ln\u00ed hodnotu";
inline constexpr const char* kDecrementHint =
    "###Decrement selection or actual value##Auswahl oder aktuellen Wert verringern"
    "##Sn\u00ed\u017eit v\u00fdb\u011br nebo aktu\u00e1ln\u00ed hodnotu";
inline constexpr const char* kOnly = "###Only##Nur##Pouze";
inline constexpr const char* kUseOnly = "###Use only##Nur verwenden##Pou\u017e\u00edt pouze";
inline constexpr const char* kUse = "###Use##Verwenden##Pou\u017e\u00edt";
inline constexpr const char* kAnd = "###and##und##a";
inline constexpr const char* kUseOnlyHint =
    "###Use only this parameter for table definition"
    "##Nur diesen Parameter f\u00fcr die Tabelle verwenden"
    "##Pou\u017e\u00edt pro tabulku pouze tento parametr";
inline constexpr const char* kUseBothHint =
    "###Use both dimensions for table definition##Beide Dimensionen f\u00fcr die Tabelle verwenden"
    "##Pou\u017e\u00edt pro tabulku oba rozm\u011bry";
inline constexpr const char* kViewTable =
    "###View as table##Als Tabelle anzeigen##Zobrazit jako tabulku";
inline constexpr const char* kView2D =
    "###View as graph 2D##Als 2D-Grafik anzeigen##Zobrazit jako 2D graf";
inline constexpr const char* kView3D =
    "###View as graph 3D##Als 3D-Grafik anzeigen##Zobrazit jako 3D graf";
inline constexpr const char* kTopHint = "###View graph form top##Grafik von oben##Graf shora";
inline constexpr const char* kIso1Hint = "###View graph as ISO1##Grafik als ISO1##Graf jako ISO1";
inline constexpr const char* kIso2Hint = "###View graph as ISO2##Grafik als ISO2##Graf jako ISO2";
inline constexpr const char* kTopView = "###Top view##Ansicht von oben##Pohled shora";
inline constexpr const char* kIso1View = "###ISO1 view##Ansicht ISO1##Pohled ISO1";
inline constexpr const char* kIso2View = "###ISO2 view##Ansicht ISO2##Pohled ISO2";
inline constexpr const char* kAddColumn =
    "###Add column##Spalte hinzuf\u00fcgen##P\u0159idat sloupec";
inline constexpr const char* kRemoveColumn = "###Remove column##Spalte entfernen##Odebrat sloupec";
inline constexpr const char* kDisable = "###Disable##Ausschalten##Vypnout";
inline constexpr const char* kEnable = "###Enable##Einschalten##Zapnout";
inline constexpr const char* kInterpolate = "###Interpolate##Interpolieren##Interpolovat";
inline constexpr const char* kInterpolation = "###Interpolation##Interpolation##Interpolace";
inline constexpr const char* kInsertRowHere =
    "###Insert row here##Zeile hier einf\u00fcgen##Vlo\u017eit \u0159\u00e1dek sem";
inline constexpr const char* kInsertColumnHere =
    "###Insert column here##Spalte hier einf\u00fcgen##Vlo\u017eit sloupec sem";
inline constexpr const char* kAutoscroll =
    "###Autoscroll actual position##Aktuelle Position automatisch zeigen"
    "##Automaticky posouvat na aktu\u00e1ln\u00ed pozici";
inline constexpr const char* kNoAutoscroll =
    "###Disable autoscroll##Automatisches Bl\u00e4ttern aus##Vypnout automatick\u00e9 "
    "posouv\u00e1n\u00ed";
inline constexpr const char* kWireModel = "###Wire model##Drahtmodell##Dr\u00e1tov\u00fd model";
inline constexpr const char* kOneColour =
    "###One color graph##Einfarbige Grafik##Jednobarevn\u00fd graf";
inline constexpr const char* kHeightColours =
    "###Height colors (grain %i)##H\u00f6henfarben (Stufe %i)##V\u00fd\u0161kov\u00e9 barvy "
    "(jemnost %i)";
inline constexpr const char* kNoValues = "###No values##Keine Werte##Bez hodnot";
inline constexpr const char* kOnlyActive =
    "###Only active value##Nur aktiver Wert##Jen aktivn\u00ed hodnota";
inline constexpr const char* kInteresting =
    "###Only interresting values##Nur wichtige Werte##Jen zaj\u00edmav\u00e9 hodnoty";
inline constexpr const char* kAllValues = "###All values##Alle Werte##V\u0161echny hodnoty";
inline constexpr const char* kSwitchHint =
    "###2D Graph / Table view##2D-Grafik / Tabelle##2D graf / tabulka";
inline constexpr const char* kZoneStretchHint =
    "###Proporcional / nonproporcional view##Proportionale / gleichm\u00e4\u00dfige Ansicht"
    "##Proporcion\u00e1ln\u00ed / neproporcion\u00e1ln\u00ed zobrazen\u00ed";
// Followed by a space and the readout (the language table trims trailing blanks).
inline constexpr const char* kDragging = "###Dragging:##Ziehen:##Ta\u017een\u00ed:";
inline constexpr const char* kBaseAdvance =
    "###Base advance##Grundverstellung##Z\u00e1kladn\u00ed p\u0159edstih";
inline constexpr const char* kLimiter = "###Limiter##Begrenzer##Omezova\u010d";
inline constexpr const char* kStartLimiter =
    "###Start limiter##Startbegrenzer##Startovac\u00ed omezova\u010d";
inline constexpr const char* kPanelHint =
    "###Set actual value - mouse wheel##Aktuellen Wert setzen - Mausrad"
    "##Nastavit aktu\u00e1ln\u00ed hodnotu - kole\u010dko my\u0161i";
inline constexpr const char* kRotateHint =
    "###Rotate: drag mouse (X, XY) and wheel (XYZ)   \nGraph quality: CTRL+mouse wheel   \n"
    "View values: SHIFT + mouse wheel|high graph drawing quality takes lot of CPU time"
    "##Drehen: Maus ziehen (X, XY) und Mausrad (XYZ)   \nQualit\u00e4t: STRG+Mausrad   \n"
    "Werte: UMSCHALT + Mausrad|hohe Qualit\u00e4t braucht viel Rechenzeit"
    "##Ot\u00e1\u010den\u00ed: ta\u017een\u00ed my\u0161\u00ed (X, XY) a kole\u010dko (XYZ)   \n"
    "Kvalita grafu: CTRL+kole\u010dko   \nHodnoty: SHIFT + kole\u010dko"
    "|vysok\u00e1 kvalita grafu zab\u00edr\u00e1 hodn\u011b \u010dasu procesoru";
inline constexpr const char* kTable = "###Table##Tabelle##Tabulka";
inline constexpr const char* kMapName = "###Map##Kennfeld##Mapa";

}  // namespace zeda::tab_text
